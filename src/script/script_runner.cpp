#include "script/script_runner.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/app_globals.h"
#include "script/command_program.h"
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

// Starts command (in a new console, workDir current) and waits until it has ended; then, when
// windowClass is not null, until no window of that class is left. The thread runs at idle
// priority while it waits. CreateProcessA may write into command, hence not const.
ResultCode RunCommand(const ArchiveContext& context, char (&command)[kScriptTextSize],
                      const char* windowClass) {
  char programPath[kPathSize];
  const char* application =
      WorkDirProgramPath(context.workDir, command, IsFile, programPath) ? programPath : nullptr;

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (!CreateProcessA(application, command, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      context.workDir, &startup, &process)) {
    return kSystemError;
  }
  CloseHandle(process.hThread);

  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
  DWORD exitCode = 0;  // read only to prove the program has really ended; its value is not used
  const bool ended =
      WaitForProcessPumping(process.hProcess) && GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
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

ResultCode RunScriptLine(ArchiveContext& context, bool& done) {
  char line[kScriptLineSize];
  switch (ReadScriptLine(context.scriptFile, line)) {
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

  char text[kScriptTextSize];
  switch (ParseScriptLine(line, text)) {
    case kLineStatus:
      SendSetStatus(statusWindow, text);
      return kNoError;
    case kLineRun:
      return RunCommand(context, text, nullptr);
    case kLineRunWaitWindow: {
      char className[kWindowClassSize];
      ScriptLineWindowClass(line, className);
      return RunCommand(context, text, className);
    }
    case kLineComment:
    case kLineSkip:
      break;
  }
  return kNoError;
}

ResultCode RunScript(ArchiveContext& context) {
  if (context.trailer.scriptIndex == 0) return kNoError;

  char savedDir[kPathSize];
  const DWORD savedLength = GetCurrentDirectoryA(kPathSize, savedDir);
  const bool saved = savedLength > 0 && savedLength < kPathSize;
  if (!SetCurrentDirectoryA(context.workDir)) return kBadPath;

  ResultCode result = kNoError;
  context.scriptFile = std::fopen(context.scriptPath, "rt");
  if (context.scriptFile == nullptr) {
    result = kCannotOpenFile;
  } else {
    bool done = false;
    while (!done && result == kNoError) result = RunScriptLine(context, done);
    std::fclose(context.scriptFile);
    context.scriptFile = nullptr;
  }

  if (saved) {
    SetCurrentDirectoryA(savedDir);
  } else {
    LeaveWorkDir(context.workDir);
  }
  return result;
}
