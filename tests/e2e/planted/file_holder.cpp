// file_holder: keeps a file open without FILE_SHARE_DELETE from a detached process, so that an
// install script can leave a file that its installer cannot delete.
//
//   file_holder spawn FILE MS PIDFILE
//       starts a detached copy that holds FILE (resolved against the current directory) for MS
//       milliseconds, waits until that copy has opened it, and ends: exit code 0 when the copy
//       holds the file, 1 otherwise.
//   file_holder hold FILE MS PIDFILE
//       opens FILE (which must exist), writes its own process id into PIDFILE, keeps the file
//       open for MS milliseconds, and ends. Exit code 2 when FILE cannot be opened.
// PIDFILE appears whole or not at all (written aside and renamed), so a reader never sees part
// of a number; whoever started the chain ends the holder early by that id.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kReadyLimitMs = 20000;

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

int Hold(const char* file, DWORD ms, const char* pidFile) {
  HANDLE held = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
  char aside[MAX_PATH + 8];
  std::snprintf(aside, sizeof aside, "%s.part", pidFile);
  FILE* out = std::fopen(aside, "wb");
  if (out == nullptr) return 3;
  std::fprintf(out, "%lu", GetCurrentProcessId());
  std::fclose(out);
  if (!MoveFileExA(aside, pidFile, MOVEFILE_REPLACE_EXISTING)) return 3;
  Sleep(ms);
  CloseHandle(held);
  return 0;
}

int Spawn(const char* file, const char* ms, const char* pidFile) {
  char fullFile[MAX_PATH];
  char fullPid[MAX_PATH];
  if (GetFullPathNameA(file, MAX_PATH, fullFile, nullptr) == 0 ||
      GetFullPathNameA(pidFile, MAX_PATH, fullPid, nullptr) == 0) {
    return 1;
  }
  DeleteFileA(fullPid);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char commandLine[4 * MAX_PATH];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\" hold \"%s\" %s \"%s\"", self, fullFile,
                ms, fullPid);
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(self, commandLine, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &process)) {
    return 1;
  }
  CloseHandle(process.hThread);
  const DWORD start = GetTickCount();
  bool ready = false;
  while (!(ready = Exists(fullPid)) && GetTickCount() - start < kReadyLimitMs) {
    if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
  }
  ready = ready || Exists(fullPid);
  CloseHandle(process.hProcess);
  return ready ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "spawn") == 0) return Spawn(argv[2], argv[3], argv[4]);
  if (argc == 5 && std::strcmp(argv[1], "hold") == 0) {
    return Hold(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)), argv[4]);
  }
  std::fprintf(stderr, "usage: file_holder spawn|hold FILE MS PIDFILE\n");
  return 64;
}
