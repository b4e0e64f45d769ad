// Carrying out the install script in the work directory, with the status window on screen.
// Win32 only.
#pragma once
#include <cstdint>
#include <cstdio>

#include "archive/work_directory.h"
#include "common/result_codes.h"

// Runs every line of the script member (dir.scriptPath) with dir.path as the current
// directory; the former current directory is current again afterwards. Returns 0 when the
// archive has no script (scriptIndex, the closing record's, is 0) or every line was carried
// out, else the
// first failure:
//   kBadPath            workDir cannot be made current (nothing else was done)
//   kCannotOpenFile     the script cannot be opened
//   kSystemError        a program is found nowhere (command_program.h), cannot be started,
//                       waited for, or its exit code read
//   kUnsupportedArchive a line longer than 255 characters (a line this stub cannot hold)
//   kIOError            the script cannot be read
// A program's own exit code is not a failure (some setup programs end with a non-zero code on
// success); it is logged. Status lines go to the process-wide statusWindow, every line to the
// log. Call once, on the thread that owns the windows; it dispatches their messages.
ResultCode RunScript(const WorkDirectory& dir, uint32_t scriptIndex);

// Reads the next line of script (open "rt") and carries it out with workDir current. Sets
// done, returning 0, once the script has no line left; done stays as it was otherwise.
ResultCode RunScriptLine(FILE* script, const char* workDir, bool& done);
