#include "script/program_start.h"

#include <cstring>

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
  const auto execute = shell == nullptr
                           ? nullptr
                           : reinterpret_cast<ShellExecuteExFn>(
                                 reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExA")));
  if (execute == nullptr) return FALSE;
  return execute(info);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where the program's part of command ends (a byte index): after the closing quote of a quoted
// name; else before the blank that follows as many blanks as the program's name holds. The
// name is what the runner looked up (command_program.h): the path below the work directory, or
// a bare file name; with no program (named by a path of its own) the first word.
size_t ProgramPartLength(const char* command, const ProgramLaunch& launch) {
  size_t start = 0;
  while (IsBlank(command[start])) ++start;
  if (command[start] == '"') {
    const char* close = std::strchr(command + start + 1, '"');
    return close == nullptr ? std::strlen(command) : size_t(close - command) + 1;
  }
  const char* name = launch.application;
  int blanks = 0;
  if (name != nullptr) {
    const size_t dirLength = std::strlen(launch.workDir);
    const char* file = std::strrchr(name, '\\');
    name = std::strncmp(name, launch.workDir, dirLength) == 0 ? name + dirLength
           : file != nullptr                                  ? file + 1
                                                              : name;
    for (; *name != '\0'; ++name) blanks += IsBlank(*name) ? 1 : 0;
  }
  size_t end = start;
  for (; command[end] != '\0'; ++end) {
    if (IsBlank(command[end]) && blanks-- == 0) break;
  }
  return end;
}

}  // namespace

const ProgramStarter kWindowsStarter = {CreateWithWindows, ShellExecuteWithWindows};

ResultCode StartProgram(const ProgramLaunch& launch, const ProgramStarter& starter, HANDLE* process,
                        DWORD* error) {
  *process = starter.createProcess(launch);
  *error = *process == nullptr ? GetLastError() : 0;
  if (*process != nullptr) return kNoError;
  if (*error != kElevationRequired || launch.silent) return kSystemError;

  // The program and its parameters, split where the program's part of the command ends.
  const size_t split = ProgramPartLength(launch.command, launch);
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
