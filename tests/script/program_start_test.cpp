// Starting a script's program when Windows asks for elevation (740), through the starter seam:
// Wine never answers 740, so the starters here play Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "script/program_start.h"

namespace {

// What the fake Windows answers and what it was handed.
struct FakeWindows {
  DWORD createError = 0;  // 0: CreateProcessA succeeds
  DWORD shellError = 0;   // 0: ShellExecuteExA succeeds
  int shellCalls = 0;
  std::string verb, file, parameters, directory;
};
FakeWindows fake;

HANDLE FakeCreate(const ProgramLaunch&) {
  if (fake.createError == 0) return GetCurrentProcess();
  SetLastError(fake.createError);
  return nullptr;
}

BOOL FakeShellExecute(SHELLEXECUTEINFOA* info) {
  ++fake.shellCalls;
  fake.verb = info->lpVerb;
  fake.file = info->lpFile;
  fake.parameters = info->lpParameters;
  fake.directory = info->lpDirectory;
  if (fake.shellError != 0) {
    SetLastError(fake.shellError);
    return FALSE;
  }
  info->hProcess = GetCurrentProcess();
  return TRUE;
}

struct StartCase {
  const char* name;
  const char* application;  // as the runner resolved it
  const char* command;
  bool silent;
  DWORD createError, shellError;
  ResultCode result;
  const char* file;  // handed to ShellExecuteExA; null when it must not be called
  const char* parameters;
};

class StartProgramTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartProgramTest, ElevatesOnlyWhenWindowsAsksAndThePromptMayShow) {
  const StartCase& c = GetParam();
  fake = FakeWindows();
  fake.createError = c.createError;
  fake.shellError = c.shellError;
  char command[512];
  lstrcpynA(command, c.command, sizeof command);
  const ProgramLaunch launch = {c.application, command, "C:\\w\\", CREATE_NEW_CONSOLE, c.silent};
  HANDLE process = nullptr;
  DWORD error = 0;
  EXPECT_EQ(StartProgram(launch, {FakeCreate, FakeShellExecute}, &process, &error), c.result);
  EXPECT_EQ(process != nullptr, c.result == kNoError);
  EXPECT_EQ(fake.shellCalls, c.file != nullptr ? 1 : 0);
  if (c.file == nullptr) return;
  EXPECT_EQ(fake.verb, "runas");
  EXPECT_EQ(fake.file, c.file);
  EXPECT_EQ(fake.parameters, c.parameters);
  EXPECT_EQ(fake.directory, "C:\\w\\");
}

const StartCase kCases[] = {
    {"started", "C:\\w\\setup.exe", "setup.exe /q", false, 0, 0, kNoError, nullptr, ""},
    {"missing", nullptr, "C:\\x\\gone.exe", false, ERROR_FILE_NOT_FOUND, 0, kSystemError, nullptr,
     ""},
    {"silent", "C:\\w\\setup.exe", "setup.exe /q", true, 740, 0, kSystemError, nullptr, ""},
    {"elevated", "C:\\w\\setup.exe", "setup /q  \"a b\"", false, 740, 0, kNoError,
     "C:\\w\\setup.exe", "/q  \"a b\""},
    {"blanks", "C:\\w\\my setup.exe", "  my setup.exe /S", false, 740, 0, kNoError,
     "C:\\w\\my setup.exe", "/S"},
    {"folder", "C:\\w\\sub\\tool.exe", "sub\\tool.exe", false, 740, 0, kNoError,
     "C:\\w\\sub\\tool.exe", ""},
    {"system", "C:\\windows\\system32\\cmd.exe", "cmd /c x.bat", false, 740, 0, kNoError,
     "C:\\windows\\system32\\cmd.exe", "/c x.bat"},
    {"byPath", nullptr, "\"C:\\My Tools\\a.exe\" -x", false, 740, 0, kNoError,
     "C:\\My Tools\\a.exe", "-x"},
    {"declined", "C:\\w\\setup.exe", "setup.exe", false, 740, ERROR_CANCELLED, kElevationDeclined,
     "C:\\w\\setup.exe", ""},
    {"shellFails", "C:\\w\\setup.exe", "setup.exe", false, 740, ERROR_ACCESS_DENIED, kSystemError,
     "C:\\w\\setup.exe", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, StartProgramTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StartCase>& i) { return i.param.name; });

}  // namespace
