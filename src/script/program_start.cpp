#include "script/program_start.h"

#include <cstring>
#include <initializer_list>

#include "common/buffer_sizes.h"

namespace {

// ERROR_ELEVATION_REQUIRED, spelt out: older SDK headers lack it.
constexpr DWORD kElevationRequired = 740;

using ShellExecuteExFn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

HANDLE CreateWithWindows(const ProgramLaunch& launch) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (!CreateProcessA(launch.application, launch.command, nullptr, nullptr, FALSE,
                      launch.creationFlags, nullptr, launch.workDir, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// shell32 is loaded only when a program needs elevation. It is one of the KnownDLLs, which
// Windows always maps from the system directory, so no planted copy can stand in for it.
BOOL ShellExecuteWithWindows(SHELLEXECUTEINFOA* info) {
  HMODULE shell = LoadLibraryA("shell32.dll");
  const auto execute = shell == nullptr ? nullptr
                                        : reinterpret_cast<ShellExecuteExFn>(reinterpret_cast<void*>(
                                              GetProcAddress(shell, "ShellExecuteExA")));
  if (execute == nullptr) return FALSE;
  return execute(info);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether the len bytes at candidate end programPath: after a separator, as written or with
// ".exe" appended.
bool NamesFile(const char* candidate, size_t len, const char* programPath) {
  const size_t pathLength = std::strlen(programPath);
  for (const size_t extra : {size_t(0), size_t(4)}) {
    if (len + extra >= pathLength) continue;
    const char* tail = programPath + pathLength - len - extra;
    if ((tail[-1] == '\\' || tail[-1] == '/') && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE,
                                                                tail, int(len), candidate, int(len)) == CSTR_EQUAL &&
        (extra == 0 || lstrcmpiA(tail + len, ".exe") == 0)) {
      return true;
    }
  }
  return false;
}

// Where the program's part of command ends (a byte index): after the closing quote of a quoted
// name, else after the blank-separated prefix that names programPath's file (with or without
// ".exe"), else at the first blank.
size_t ProgramPartLength(const char* command, const char* programPath) {
  size_t start = 0;
  while (IsBlank(command[start])) ++start;
  if (command[start] == '"') {
    const char* close = std::strchr(command + start + 1, '"');
    return close == nullptr ? std::strlen(command) : size_t(close - command) + 1;
  }
  size_t firstBlank = 0;
  for (size_t end = start; ; ++end) {
    if (command[end] != '\0' && !IsBlank(command[end])) continue;
    if (firstBlank == 0) firstBlank = end;
    if (programPath != nullptr && NamesFile(command + start, end - start, programPath)) return end;
    if (command[end] == '\0') return firstBlank;
  }
}

}  // namespace

const ProgramStarter kWindowsStarter = {CreateWithWindows, ShellExecuteWithWindows};

ResultCode StartProgram(const ProgramLaunch& launch, const ProgramStarter& starter,
                        HANDLE* process, DWORD* error) {
  *process = starter.createProcess(launch);
  *error = *process == nullptr ? GetLastError() : 0;
  if (*process != nullptr) return kNoError;
  if (*error != kElevationRequired || launch.silent) return kSystemError;

  // The program and its parameters, split where the program's part of the command ends.
  const size_t split = ProgramPartLength(launch.command, launch.application);
  char file[kPathSize];
  if (launch.application != nullptr) {
    lstrcpynA(file, launch.application, kPathSize);
  } else {
    const char* from = launch.command;
    while (IsBlank(*from)) ++from;
    const bool quoted = *from == '"';
    const size_t length = size_t(launch.command + split - from) - (quoted ? 2 : 0);
    if (length >= kPathSize) return kSystemError;
    lstrcpynA(file, from + (quoted ? 1 : 0), int(length) + 1);
  }
  const char* parameters = launch.command + split;
  while (IsBlank(*parameters)) ++parameters;

  SHELLEXECUTEINFOA info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "runas";
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = launch.workDir;
  info.nShow = SW_SHOWNORMAL;
  if (starter.shellExecute(&info) && info.hProcess != nullptr) {
    *process = info.hProcess;
    *error = 0;
    return kNoError;
  }
  *error = GetLastError();
  return *error == ERROR_CANCELLED ? kElevationDeclined : kSystemError;
}
