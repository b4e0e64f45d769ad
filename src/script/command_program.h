// Which file a script command runs. Portable.
//
// Left to the platform's own search, a bare "setup.exe" or "cmd.exe" is looked for first in the
// folder the stub was started from (often the user's downloads folder) and then in the current
// directory of whoever started it: a stranger's file of that name would run instead, with the
// installer's rights. So the stub resolves every program itself, in a fixed order that never
// includes those two folders, and hands the file it found to the platform as the application:
//   1. the work directory (the name may have a folder part inside it: "sub\tool.exe");
//   2. the system directory;  3. the Windows directory;
//   4. each absolute folder of PATH (empty and relative entries are skipped: "." would bring
//      the current directory back).
// Places 2 to 4 are asked only for bare names, without '\', '/' or ':'.
#pragma once
#include <cstddef>

#include "archive/archive_format.h"

// Tells whether path names an existing file (not a directory).
using IsFileFn = bool (*)(const char* path);

// The places of the search. workDir ends in a separator; the others need not. Any of the last
// three may be empty. pathList is the value of PATH: folders separated by ';', each possibly
// in double quotes.
struct ProgramPlaces {
  const char* workDir;
  const char* systemDir;
  const char* windowsDir;
  const char* pathList;
};

enum ProgramLookup {
  kProgramFound,        // path holds the file to run
  kProgramNotFound,     // a bare name that no place holds: nothing may run
  kProgramNamedByPath,  // the command names its program by a path of its own ("C:\x\y.exe",
                        // "..\y.exe"): the platform runs it as written, which searches nothing
};

// The program is named as the platform reads a command line without an application name:
// after leading blanks and tabs, a "quoted" name (without its quotes; to the end of the command
// when the closing quote is missing) is the one candidate. Unquoted, every blank-separated
// prefix is a candidate in turn, shortest first ("my setup.exe /q": "my", then "my setup.exe",
// then "my setup.exe /q"), each looked for in every place before the next one, as the platform
// does. A candidate with '/' (which begins a switch) ends the search. One whose file name has
// no extension (no '.') is looked up with ".exe" appended, as the platform would run it. A
// candidate with a folder part is looked for in the work directory only, held to the member
// name rules. The first candidate that isFile accepts wins. A joined path that would not fit
// kPathSize is not asked about. path is unspecified unless kProgramFound.
ProgramLookup FindScriptProgram(const ProgramPlaces& places, const char* command, IsFileFn isFile,
                                char (&path)[kPathSize]);
