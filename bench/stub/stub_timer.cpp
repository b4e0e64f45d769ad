// Times a real installer run as the user sees it: from the press on Yes in the question box
// to the moment the status window's OK button becomes enabled. Starts the installer with TMP
// and TEMP set to a directory of the caller's, presses OK at the end and checks the exit code.
// Also prints the installer's peak working set, read once OK is enabled.
// Usage: zbstubtimer INSTALLER TMPDIR  -> prints "yes_to_ok_ms N"
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <string>

#include "resource.h"
#include "robot.h"

namespace {

constexpr DWORD kTimeoutMs = 600000;

int Fail(const char* what) {
  std::fprintf(stderr, "zbstubtimer: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: zbstubtimer INSTALLER TMPDIR");
  robot::StartOptions options;
  options.environment = {{"TMP", argv[2]}, {"TEMP", argv[2]}};
  DWORD error = 0;
  robot::Process stub = robot::Start(argv[1], std::string(), options, &error);
  if (!stub.started()) return Fail("cannot start the installer");

  HWND question = robot::WaitWindow(stub.handle(), "#32770", ZB_APP_TITLE, kTimeoutMs);
  if (question == nullptr) return Fail("no question box");
  if (robot::Press(question, IDYES) != robot::PressResult::kPressed)
    return Fail("cannot press Yes");
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);

  HWND status = robot::WaitWindow(stub.handle(), "#32770", ZB_STATUS_CAPTION, kTimeoutMs);
  if (status == nullptr) {
    stub.Kill();
    return Fail("no status window (did the run fail?)");
  }
  while (!robot::ControlEnabled(status, IDC_OK)) {
    if (!stub.Running()) return Fail("the installer ended before OK was enabled");
    Sleep(1);
  }
  QueryPerformanceCounter(&end);
  // Extraction is over: its peak is in. (Once the process has ended, Wine reports nothing.)
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(stub.handle(), &memory, sizeof memory)) memory.PeakWorkingSetSize = 0;
  robot::Press(status, IDC_OK);
  DWORD exitCode = 1;
  if (!stub.WaitExit(kTimeoutMs, &exitCode)) return Fail("the installer did not end");
  std::printf("yes_to_ok_ms %.0f\nexit_code %lu\npeak_working_set_kb %lu\n",
              double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart),
              static_cast<unsigned long>(exitCode),
              static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
  return exitCode == 0 ? 0 : 1;
}
