#include "script/script_runner.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/app_globals.h"
#include "common/run_log.h"
#include "script/command_program.h"
#include "script/program_start.h"
#include "script/script_line.h"
#include "script/script_reader.h"
#include "ui/dialogs.h"
#include "ui/pump.h"

namespace {

// The waits sleep between messages instead of spinning: each sleep ends at once when a message
// arrives (or one is already queued), when the program ends, or after this slice, when a
// window class is looked for again. The windows stay as responsive as with a spinning loop,
// and the installer leaves the processor to the program it waits for.
constexpr DWORD kWaitSliceMs = 50;
// Time a "#class" line gives the program's windows to appear after the program has ended.
constexpr uint32_t kWindowGraceMs = 1000;

bool IsFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Sleeps until a message is queued for this thread, one of handles is signalled, or the slice
// has passed. MWMO_INPUTAVAILABLE: messages still queued from before count as well, so a
// backlog is dispatched without a slice's delay per message.
DWORD SleepUntilInput(DWORD handleCount, const HANDLE* handles) {
  return MsgWaitForMultipleObjectsEx(handleCount, handles, kWaitSliceMs, QS_ALLINPUT,
                                     MWMO_INPUTAVAILABLE);
}

// Dispatches messages until process has ended; false when the wait itself fails. Waiting on
// the handle, not on the exit code, also ends for a program whose exit code is 259
// (STILL_ACTIVE).
bool WaitForProcessPumping(HANDLE process) {
  for (;;) {
    PumpMessages();
    const DWORD woke = SleepUntilInput(1, &process);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke == WAIT_FAILED) return false;
  }
}

struct WindowSearch {
  const char* className;
  DWORD ownProcess;
  bool found;
};

BOOL CALLBACK MatchForeignWindow(HWND window, LPARAM searchAddress) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(searchAddress);
  char className[kWindowClassSize];
  if (GetClassNameA(window, className, sizeof className) == 0 ||
      lstrcmpiA(className, search.className) != 0) {
    return TRUE;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search.ownProcess) return TRUE;
  search.found = true;
  return FALSE;
}

// Whether a top-level window of className (compared as the system compares class names,
// without case) exists in another process. The installer's own windows (its hidden main
// window, and dialogs of the common dialog class) would otherwise keep the wait from ever
// ending.
bool ForeignWindowOfClassExists(const char* className) {
  WindowSearch search = {className, GetCurrentProcessId(), false};
  EnumWindows(MatchForeignWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Dispatches messages for kWindowGraceMs, then for as long as a top-level window of className
// exists in another process. An empty class names no window: only the grace time is waited.
void WaitForWindowClassPumping(const char* className) {
  WaitPumping(kWindowGraceMs);
  if (className[0] == '\0') return;
  while (ForeignWindowOfClassExists(className)) {
    PumpMessages();
    SleepUntilInput(0, nullptr);
  }
}

// PATH's value, read once per program: up to the 32,767 characters an environment variable
// may hold. A static buffer: too large for the stack of a small program, and used by one
// thread only.
char pathList[32768];

// Finds the file that command runs (command_program.h). False when it is found nowhere;
// application is then unspecified. A command that names its program by a path outside the work
// directory runs as written: application is set to null.
bool ResolveProgram(const char* workDir, const char* command, char (&programPath)[kPathSize],
                    const char** application) {
  char systemDir[kPathSize];
  char windowsDir[kPathSize];
  const UINT systemLength = GetSystemDirectoryA(systemDir, kPathSize);
  if (systemLength == 0 || systemLength >= kPathSize) systemDir[0] = '\0';
  const UINT windowsLength = GetWindowsDirectoryA(windowsDir, kPathSize);
  if (windowsLength == 0 || windowsLength >= kPathSize) windowsDir[0] = '\0';
  const DWORD pathLength = GetEnvironmentVariableA("PATH", pathList, sizeof pathList);
  if (pathLength == 0 || pathLength >= sizeof pathList) pathList[0] = '\0';
  const ProgramPlaces places = {workDir, systemDir, windowsDir, pathList};
  switch (FindScriptProgram(places, command, IsFile, programPath)) {
    case kProgramFound:
      *application = programPath;
      return true;
    case kProgramNamedByPath:
      *application = nullptr;
      return true;
    case kProgramNotFound:
      break;
  }
  return false;
}

// Starts command (workDir current; program_start.h, elevated when it must be) and waits until it
// has ended; then, when windowClass is not null, until no window of that class is left. A
// program gets a new console of its own, or none at all in a silent run. The thread runs at idle
// priority while it waits. CreateProcessA may write into command, hence not const.
ResultCode RunCommand(const char* workDir, char (&command)[kScriptTextSize],
                      const char* windowClass) {
  char programPath[kPathSize];
  const char* application = nullptr;
  if (!ResolveProgram(workDir, command, programPath, &application)) {
    LogLine("No program found for: %s", command);
    return kSystemError;
  }

  const DWORD flags = silentRun ? CREATE_NO_WINDOW : CREATE_NEW_CONSOLE;
  const ProgramLaunch launch = {application, command, workDir, flags, silentRun};
  HANDLE process = nullptr;
  DWORD error = 0;
  const ResultCode started = StartProgram(launch, kWindowsStarter, &process, &error);
  if (started != kNoError) {
    LogLine("Cannot start %s (error %lu)", application != nullptr ? application : command, error);
    return started;
  }

  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
  DWORD exitCode = 0;  // logged; a program's own code is no failure of the installation
  const bool ended = WaitForProcessPumping(process) && GetExitCodeProcess(process, &exitCode);
  CloseHandle(process);
  if (ended) LogLine("Program ended with exit code %lu", exitCode);
  if (ended && windowClass != nullptr) WaitForWindowClassPumping(windowClass);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  return ended ? kNoError : kSystemError;
}

// Makes the parent of workDir current: the fallback when the former current directory could
// not be saved, so that at least the work directory is no longer in use and can be removed.
void LeaveWorkDir(const char* workDir) {
  char parent[kPathSize];
  lstrcpynA(parent, workDir, kPathSize);
  size_t length = std::strlen(parent);
  while (length > 0 && (parent[length - 1] == '\\' || parent[length - 1] == '/')) --length;
  while (length > 0 && parent[length - 1] != '\\' && parent[length - 1] != '/') --length;
  if (length == 0) return;
  parent[length] = '\0';
  SetCurrentDirectoryA(parent);
}

}  // namespace

ResultCode RunScriptLine(FILE* script, const char* workDir, bool& done) {
  char line[kScriptLineSize];
  switch (ReadScriptLine(script, line)) {
    case kScriptLineRead:
      break;
    case kScriptEnd:
      done = true;
      return kNoError;
    case kScriptLineTooLong:
      return kUnsupportedArchive;
    case kScriptReadError:
      return kIOError;
  }

  LogLine("Script line: %s", line);
  char text[kScriptTextSize];
  switch (ParseScriptLine(line, text)) {
    case kLineStatus:
      SendSetStatus(statusWindow, text);  // none in a silent run: the log alone has it
      return kNoError;
    case kLineRun:
      return RunCommand(workDir, text, nullptr);
    case kLineRunWaitWindow: {
      char className[kWindowClassSize];
      ScriptLineWindowClass(line, className);
      return RunCommand(workDir, text, className);
    }
    case kLineComment:
    case kLineSkip:
      break;
  }
  return kNoError;
}

ResultCode RunScript(const WorkDirectory& dir, uint32_t scriptIndex) {
  if (scriptIndex == 0) return kNoError;

  char savedDir[kPathSize];
  const DWORD savedLength = GetCurrentDirectoryA(kPathSize, savedDir);
  const bool saved = savedLength > 0 && savedLength < kPathSize;
  if (!SetCurrentDirectoryA(dir.path)) return kBadPath;

  ResultCode result = kNoError;
  FILE* script = std::fopen(dir.scriptPath, "rt");
  if (script == nullptr) {
    result = kCannotOpenFile;
  } else {
    bool done = false;
    while (!done && result == kNoError) result = RunScriptLine(script, dir.path, done);
    std::fclose(script);
  }

  if (saved) {
    SetCurrentDirectoryA(savedDir);
  } else {
    LeaveWorkDir(dir.path);
  }
  return result;
}
