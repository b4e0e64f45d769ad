// Starting one program of the install script. Win32.
//
// The program is started with CreateProcessA. An installer that runs asInvoker may start a
// program that needs administrator rights (a setup.exe without a manifest of its own, which
// Windows' installer detection elevates): CreateProcessA then fails with
// ERROR_ELEVATION_REQUIRED. Such a program is started again through ShellExecuteExA with the
// verb "runas", which shows the elevation prompt:
//   - the file is the program's path as the script runner resolved it (command_program.h),
//     never a bare name: ShellExecuteExA's own search looks in the application's folder and App
//     Paths, where a stranger's file could stand;
//   - the rest of the command line goes over verbatim as the parameters;
//   - the same work directory, and the caller waits for the process as for any other.
// In a silent run no prompt may appear: the failure stands. A declined prompt
// (ERROR_CANCELLED) ends the run with kElevationDeclined.
//
// The elevated program does not inherit the installer's environment: Windows builds its
// environment for the elevated user. Nothing is lost by that: the one variable the installer
// sets for its programs (ZUBREX_SILENT) is set only in silent runs, which never elevate.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include "common/result_codes.h"

// What to start. command may be written into (CreateProcessA's contract).
struct ProgramLaunch {
  const char* application;  // the resolved program, or null: the command names it by a path
  char* command;            // the whole command line, program first
  const char* workDir;
  DWORD creationFlags;  // for CreateProcessA
  bool silent;          // no prompt may appear
};

// The seam: the two ways a process is started, as Windows does it by default.
struct ProgramStarter {
  // CreateProcessA with the launch's values; the process handle, or null with the last error.
  HANDLE (*createProcess)(const ProgramLaunch& launch);
  // ShellExecuteExA; false with the last error set.
  BOOL (*shellExecute)(SHELLEXECUTEINFOA* info);
};
extern const ProgramStarter kWindowsStarter;

// Starts the program; on kNoError *process is the handle to wait for and close. On failure the
// Windows error is in *error (0 when none applies).
ResultCode StartProgram(const ProgramLaunch& launch, const ProgramStarter& starter, HANDLE* process,
                        DWORD* error);
