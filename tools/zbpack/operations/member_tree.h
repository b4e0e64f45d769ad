// Turns pack's inputs into one member per file: a file stays itself, a folder becomes the files
// below it, a list file the inputs it names.
//
// - A folder's members are named by their path relative to that folder, with '\' between the
//   components ("docs/a/b.txt" given as "docs" becomes "a\b.txt"; "--as NAME docs" gives
//   "NAME\a\b.txt"). They come in byte order of those names, so the order does not depend on
//   the file system. Arguments keep their command-line order among each other.
// - Inside a folder, a link to a file is followed (the member holds the file's contents); a
//   link to a folder, and anything else that is neither file nor folder (devices, sockets,
//   broken links), is refused: nothing is skipped silently. A folder named on the command line
//   (or in a list) is followed even when it is a link. An empty folder below a given folder
//   cannot be stored (members are files) and is named in a warning on stderr.
// - A list file holds one input per line: a path, whatever it begins with or contains (no --as
//   or other options); empty lines are skipped and a CR before the LF is dropped. Lists do not
//   nest.
#pragma once
#include <string>
#include <vector>

#include "zbpack/operations/pack_options.h"

// Replaces members by their expansion, and appends to containers the path of each folder walked
// and each list read (what a rebuild must watch besides the files). False on the first input
// that cannot be expanded, with its path in what and the reason in problem; members is then
// unspecified.
bool ExpandMemberTree(std::vector<MemberSource>* members, std::vector<std::string>* containers,
                      std::string* what, std::string* problem);
