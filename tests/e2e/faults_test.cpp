// Runs outside the ordinary: a closing record that claims 2 GiB, and a work directory that is
// a link to another folder. What the user sees must still be right, quickly,
// and nothing outside the work directory may be touched.
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

using FaultTest = Session;

uint64_t CpuTime100ns(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return ((uint64_t{kernel.dwHighDateTime} + user.dwHighDateTime) << 32) + kernel.dwLowDateTime +
         user.dwLowDateTime;
}

// A total of 0x80000000 bytes is negative as a signed 32-bit number; the bar must still move
// by bytes, not by one message per byte (which took minutes for members of this size). At OK
// the stub sleeps until the user acts.
TEST_F(FaultTest, TotalOf2GiBReachesOkInSecondsAndOkWaitsWithoutSpinning) {
  ASSERT_TRUE(Pack("Huge Product", {"--method", "stored", "--set", "trailer.totalBytes=0x80000000"},
                   {WriteInput("big.bin", RandomText(32 << 20, 51)),
                    WriteInput("small.txt", WordsText(5000, 52))}));
  const DWORD start = GetTickCount();
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("Huge Product");
  ASSERT_NE(status, nullptr);
  while (!robot::ControlEnabled(status, IDC_OK) && Stub().Running() &&
         GetTickCount() - start < 60000) {
    Sleep(5);
  }
  const DWORD toOk = GetTickCount() - start;
  ASSERT_TRUE(robot::ControlEnabled(status, IDC_OK)) << DescribeStub();
  const uint64_t cpuBefore = CpuTime100ns(Stub().handle());
  Sleep(3000);
  const uint64_t cpuAtOk = CpuTime100ns(Stub().handle()) - cpuBefore;
  std::printf(
      "figure: 32 MiB under a 2 GiB total, launch to OK %lu ms; CPU at OK over 3 s "
      "%.3f s\n",
      static_cast<unsigned long>(toOk), double(cpuAtOk) / 1e7);
  // The run itself takes about 3.5 s (the splash's 2 s, the bar's last 1 s); one message per
  // byte took over 30 s.
  EXPECT_LT(toOk, 20000u);
  EXPECT_LT(cpuAtOk, 1000000u) << "the stub spends CPU time while it waits for OK";
  FinishWithOk(status);
}

// Runs a host program (Wine starts Unix programs like any other) in dir and waits until path
// has, or no longer has, the reparse-point attribute; false when it does not come to that.
bool RunHostUntil(const std::string& dir, const std::string& program, const std::string& args,
                  const std::string& path, bool reparse) {
  robot::StartOptions options;
  options.currentDirectory = dir;
  options.noStdHandles = true;
  // Under Wine the start of a Unix program may be reported as failed although it runs, and
  // its handle says nothing about when it has run: only the link tells.
  robot::Start(program, args, options);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
    const DWORD attributes = GetFileAttributesA((dir + "\\" + path).c_str());
    const bool isLink =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (isLink == reparse) return true;
  }
  return false;
}

// A link in place of the work directory is never written or emptied through: its target's
// files stay as they are. The stub would replace the link by a real directory, but under Wine
// RemoveDirectoryA does not remove a link to a folder that holds files, so the run ends with a
// system error before anything is extracted (and before the archive is read: the question
// names no product).
TEST_F(FaultTest, WorkDirectoryLinkedToAnotherFolderLeavesThatFolderAlone) {
  const std::string elsewhere = Dir() + "\\elsewhere";
  ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
  WriteInput("..\\elsewhere\\precious.doc", "precious");
  if (!RunHostUntil(Dir(), "Z:\\bin\\ln", "-s ../elsewhere tmp/ZubrexInstall", "tmp\\ZubrexInstall",
                    true)) {
    GTEST_SKIP() << "no host ln to make a symbolic link with (not under Wine?)";
  }
  ASSERT_TRUE(Pack("Linked Product", {}, {WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch());
  HWND error = ToError("", "Error: There was a system error. (10012)\n");
  ASSERT_NE(error, nullptr);
  DismissError(error);
  EXPECT_EQ(Entries(elsewhere), std::vector<std::string>{"precious.doc"});
  EXPECT_EQ(ReadFileBytes(elsewhere + "\\precious.doc"), "precious");
  // The scratch directory's removal cannot remove the link either.
  EXPECT_TRUE(RunHostUntil(Dir(), "Z:\\bin\\rm", "tmp/ZubrexInstall", "tmp\\ZubrexInstall", false));
}

}  // namespace
}  // namespace e2e
