// zbscripttool: the program the end-to-end tests put into install scripts. A console program;
// every run appends one line to the file that ZBSCRIPTTOOL_LOG names (else "zbscripttool.log"
// in its current directory):
//
//   tag=<tag>|module=<own path>|cwd=<current directory>|cmdline=<command line>
//   |silent=<ZUBREX_SILENT>|priority=<n>|exit=<exit code>     (one line)
//
// so the test can tell which file ran, where, with which exact command line, how the
// installer waited for it, and how it ended.
// Usage: zbscripttool <tag> [operation...], operations carried out in order:
//   exit N           end with exit code N (after the log line is written)
//   priority CLASS   log the scheduling priority of the thread that owns the top-level
//                    window of CLASS (of any process)
//   window CLASS MS  hold a hidden top-level window of CLASS for MS milliseconds
//   spawn CLASS MS   start a copy of this program that holds that window, wait until the
//                    window exists, and end without waiting for the copy
//   file FILE MS PIDFILE       hold FILE open without delete sharing for MS milliseconds once
//                              this process's id is in PIDFILE (written aside and renamed, so
//                              that it appears whole); exit code 2 when FILE cannot be opened
//   spawnfile FILE MS PIDFILE  start a copy that does "file", wait until PIDFILE exists, and end
//                              without waiting for the copy (which may be ended through that id)
// Other words are ignored, so that a test may pass arguments of its own.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kSpawnReadyLimitMs = 20000;

int priority = -99;  // none asked for

void HoldWindow(const char* className, DWORD ms) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA(className, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  DestroyWindow(window);
}

bool WindowExists(const char* className) { return FindWindowA(className, nullptr) != nullptr; }

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Starts a detached copy of this program, in the same current directory, as "holder OPERATION
// ARGS..." and waits until Ready(subject); false when the copy could not start, ended first, or
// took longer than kSpawnReadyLimitMs. The copy is left running either way.
bool SpawnHolder(const char* operation, char** args, int count, bool (*Ready)(const char*),
                 const char* subject) {
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  char commandLine[4 * MAX_PATH];
  int used = std::snprintf(commandLine, sizeof commandLine, "\"%s\" holder %s", module, operation);
  for (int i = 0; i < count && used > 0 && size_t(used) < sizeof commandLine; ++i) {
    used +=
        std::snprintf(commandLine + used, sizeof commandLine - size_t(used), " \"%s\"", args[i]);
  }
  if (used <= 0 || size_t(used) >= sizeof commandLine) return false;  // cut short
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(module, commandLine, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  const DWORD start = GetTickCount();
  bool ready = false;
  while (!(ready = Ready(subject)) && GetTickCount() - start < kSpawnReadyLimitMs) {
    if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
  }
  CloseHandle(process.hProcess);
  return ready || Ready(subject);
}

bool WritePid(const char* pidFile) {
  char aside[MAX_PATH + 8];
  std::snprintf(aside, sizeof aside, "%s.part", pidFile);
  FILE* out = std::fopen(aside, "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "%lu", GetCurrentProcessId());
  std::fclose(out);
  return MoveFileExA(aside, pidFile, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

void WriteLog(const char* tag, int exitCode) {
  char module[MAX_PATH] = "";
  char cwd[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  GetCurrentDirectoryA(MAX_PATH, cwd);
  const char* path = std::getenv("ZBSCRIPTTOOL_LOG");
  const char* silent = std::getenv("ZUBREX_SILENT");
  FILE* log = std::fopen(path != nullptr ? path : "zbscripttool.log", "a");
  if (log == nullptr) return;
  std::fprintf(log, "tag=%s|module=%s|cwd=%s|cmdline=%s|silent=%s|priority=%d|exit=%d\n", tag,
               module, cwd, GetCommandLineA(), silent != nullptr ? silent : "", priority, exitCode);
  std::fclose(log);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  int exitCode = 0;
  bool logged = false;
  for (int i = 2; i < argc; ++i) {
    const char* operation = argv[i];
    if (std::strcmp(operation, "exit") == 0 && i + 1 < argc) {
      exitCode = std::atoi(argv[++i]);
    } else if (std::strcmp(operation, "priority") == 0 && i + 1 < argc) {
      HWND window = FindWindowA(argv[++i], nullptr);
      const DWORD threadId = window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0;
      HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
      if (thread != nullptr) {
        priority = GetThreadPriority(thread);
        CloseHandle(thread);
      }
    } else if (std::strcmp(operation, "window") == 0 && i + 2 < argc) {
      // Logged first: the test waits for the window, not for this program.
      WriteLog(argv[1], exitCode);
      logged = true;
      HoldWindow(argv[i + 1], static_cast<DWORD>(std::atoi(argv[i + 2])));
      i += 2;
    } else if (std::strcmp(operation, "spawn") == 0 && i + 2 < argc) {
      if (!SpawnHolder("window", argv + i + 1, 2, WindowExists, argv[i + 1])) exitCode = 4;
      i += 2;
    } else if (std::strcmp(operation, "file") == 0 && i + 3 < argc) {
      HANDLE held = CreateFileA(argv[i + 1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (held == INVALID_HANDLE_VALUE) {
        exitCode = 2;
      } else {
        // Logged before the pid file appears: whoever waits for it may remove this directory.
        WriteLog(argv[1], exitCode);
        logged = true;
        if (WritePid(argv[i + 3])) Sleep(static_cast<DWORD>(std::atoi(argv[i + 2])));
        CloseHandle(held);
      }
      i += 3;
    } else if (std::strcmp(operation, "spawnfile") == 0 && i + 3 < argc) {
      DeleteFileA(argv[i + 3]);  // a stale one would stand for a copy that is not there
      if (!SpawnHolder("file", argv + i + 1, 3, FileExists, argv[i + 3])) exitCode = 4;
      i += 3;
    }
  }
  if (!logged) WriteLog(argv[1], exitCode);
  return exitCode;
}
