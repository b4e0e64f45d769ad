// zbscripttool: the program the script runner's tests put into their scripts. A console
// program; every run appends one line to "zbscripttool.log" in its current directory:
//
//   tag=<tag>|module=<own path>|cwd=<current directory>|cmdline=<command line>|status=<text>
//   |priority=<n>|exit=<exit code>     (one line)
//
// so the test can tell which file ran, where, with which exact command line, what it saw, and
// how it ended.
// Usage: zbscripttool <tag> [operation...], operations carried out in order:
//   exit N           end with exit code N (after the log line is written)
//   status CLASS     log the title text of the top-level window of CLASS
//   priority TID     log the scheduling priority of thread TID (of any process)
//   window CLASS MS  hold a hidden top-level window of CLASS for MS milliseconds
//   spawn CLASS MS   start a copy of this program that holds that window, wait until the
//                    window exists, and end without waiting for the copy
// Other words are ignored, so that a test may pass arguments of its own.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kSpawnReadyLimitMs = 20000;

char statusText[256] = "";
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

bool SpawnWindowHolder(const char* className, const char* ms) {
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  char commandLine[600];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\" holder window %s %s", module, className,
                ms);
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(module, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const DWORD start = GetTickCount();
  while (FindWindowA(className, nullptr) == nullptr) {
    if (GetTickCount() - start > kSpawnReadyLimitMs) return false;
    Sleep(10);
  }
  return true;
}

void WriteLog(const char* tag, int exitCode) {
  char module[MAX_PATH] = "";
  char cwd[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  GetCurrentDirectoryA(MAX_PATH, cwd);
  FILE* log = std::fopen("zbscripttool.log", "a");
  if (log == nullptr) return;
  std::fprintf(log, "tag=%s|module=%s|cwd=%s|cmdline=%s|status=%s|priority=%d|exit=%d\n", tag,
               module, cwd, GetCommandLineA(), statusText, priority, exitCode);
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
    } else if (std::strcmp(operation, "status") == 0 && i + 1 < argc) {
      HWND window = FindWindowA(argv[++i], nullptr);
      if (window != nullptr) GetWindowTextA(window, statusText, sizeof statusText);
    } else if (std::strcmp(operation, "priority") == 0 && i + 1 < argc) {
      const DWORD threadId = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
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
      if (!SpawnWindowHolder(argv[i + 1], argv[i + 2])) exitCode = 4;
      i += 2;
    }
  }
  if (!logged) WriteLog(argv[1], exitCode);
  return exitCode;
}
