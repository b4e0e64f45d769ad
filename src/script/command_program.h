// Which file a script command runs when the work directory holds its program. Portable.
//
// Left to the platform's own search, a bare "setup.exe" is looked for first in the folder the
// stub was started from (often the user's downloads folder) and only then in the current
// directory: a stranger's file of that name would run instead of the installer's own. So a
// command whose program names no path, and whose file the work directory holds, is run from
// there by its full path, as is one in a folder of the work directory; every other command keeps the platform's search ("cmd /c ...").
#pragma once
#include <cstddef>

#include "archive/archive_format.h"

// Tells whether path names an existing file (not a directory).
using IsFileFn = bool (*)(const char* path);

// Fills path (kPathSize bytes) with workDir followed by the program's file name and returns
// true when the work directory holds the program. workDir ends in a separator.
//
// The program is named as the platform reads a command line without an application name:
// after leading blanks and tabs, a "quoted" name (without its quotes; to the end of the command
// when the closing quote is missing) is the one candidate. Unquoted, every blank-separated
// prefix is a candidate in turn, shortest first ("my setup.exe /q": "my", then "my setup.exe",
// then "my setup.exe /q"), so that a name with blanks is found in the work directory before
// the platform would look for its first word anywhere else. The first candidate that isFile
// accepts wins. A candidate with a folder part inside the work directory ("sub\tool.exe",
// held to the member name rules) is looked up there too; any other path (a drive, ':', "..",
// an absolute path, '/', which begins a switch) ends the search: that path is the script's own choice. One whose file name
// has no extension (no '.') is looked up with ".exe" appended, as the platform would run it. Returns false, leaving path unspecified, when no
// candidate is found or the joined path would not fit kPathSize.
bool WorkDirProgramPath(const char* workDir, const char* command, IsFileFn isFile,
                        char (&path)[kPathSize]);
