// Which file a script command runs when the work directory holds its program. Portable.
//
// Left to the platform's own search, a bare "setup.exe" is looked for first in the folder the
// stub was started from (often the user's downloads folder) and only then in the current
// directory: a stranger's file of that name would run instead of the installer's own. So a
// command whose program names no path, and whose file the work directory holds, is run from
// there by its full path; every other command keeps the platform's search ("cmd /c ...").
#pragma once
#include <cstddef>

#include "archive/archive_format.h"

// Tells whether path names an existing file (not a directory).
using IsFileFn = bool (*)(const char* path);

// The program token of a command: after leading blanks and tabs, either a "quoted" token
// (without its quotes; to the end of the command when the closing quote is missing) or
// everything up to the next blank or tab. No other quoting exists.
struct ProgramToken {
  const char* start;  // first character of the program's name, inside the command
  size_t length;      // characters of the name
};
ProgramToken FindProgramToken(const char* command);

// Fills path (kPathSize bytes) with workDir followed by the program's file name and returns
// true when the work directory holds the program: the token names no path (no '\', '/' or
// ':') and isFile accepts the joined path. A token without an extension (no '.') is looked up
// with ".exe" appended, as the platform's search would run it. workDir ends in a separator.
// Returns false, leaving path unspecified, when the joined path does not fit in kPathSize.
bool WorkDirProgramPath(const char* workDir, const char* command, IsFileFn isFile,
                        char (&path)[kPathSize]);
