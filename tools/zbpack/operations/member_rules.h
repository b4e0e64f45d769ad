// What a member name must be for the installer to create exactly that file: the stub's own
// rules (MemberNameFault, shared with the stub), plus what only a look at the whole archive or
// the target machine shows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// Longest member name zbpack accepts, in bytes without the NUL. The installer composes
// "<temporary directory>\ZubrexInstall\<name>" in a 260-byte path: 259 characters. A typical
// temporary directory, "C:\Users\<user>\AppData\Local\Temp\", takes 29 characters plus the
// user's folder name; with "ZubrexInstall\" (14) a bound of 160 leaves room for folder names of
// up to 56 characters.
constexpr size_t kMaxMemberNameLength = 160;

// Empty, or why the installer cannot create a member of this stored name: the stub's rules
// (for every component of a name with folders); a control character once the name is
// converted from codePage as Windows converts it (0x81 in 1252 is U+0081); longer than
// kMaxMemberNameLength, folders included.
std::string MemberNameProblem(const std::string& name, uint32_t codePage);

// The name as Windows compares file names: converted to UTF-16 as the installer's system
// converts it from codePage, each character in its simple uppercase, '/' as '\', trailing dots
// and blanks dropped (Windows drops them when it creates a file). Returned in UTF-8.
std::string WindowsFoldedName(const std::string& name, uint32_t codePage);

// The names of one archive so far, as Windows compares them: each member's file and each
// folder a name with separators needs. Fed in archive order, it finds the first member that
// cannot be created beside the earlier ones.
struct MemberNameSet {
  uint32_t codePage;
  std::map<std::string, uint32_t> files;    // folded name -> its member's index
  std::map<std::string, uint32_t> folders;  // folded folder -> the first member below it
};

enum class NameClashKind {
  kNone,
  kSameFile,       // another member names the same file
  kFileAndFolder,  // one name is a folder of the other: a file and a folder of one name
};

struct NameClash {
  NameClashKind kind;
  uint32_t other;  // the earlier member's index, for kind != kNone
};

// Adds member index (any numbering the caller uses) with its stored name, or reports the
// first earlier member it clashes with (then nothing is added).
NameClash AddMemberName(MemberNameSet& names, const std::string& stored, uint32_t index);
