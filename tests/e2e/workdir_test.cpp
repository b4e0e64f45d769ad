// The work directory on the user's disk: a file that another program keeps open stays with its
// directory while the run still ends normally, and the free-space check passes exactly the free
// byte count.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

using WorkDirTest = Session;

TEST_F(WorkDirTest, AFileKeptOpenStaysWithItsDirectoryAndTheRunStillEnds) {
  // Held far longer than the removal tries (three 1250 ms waits for the file, three for the
  // directory); ended by the test.
  const std::string pidFile = Dir() + "\\holder.pid";
  const std::string lock =
      "\"" + ScriptToolPath() + "\" lock spawnfile locked.dat 60000 \"" + pidFile + "\"";
  ASSERT_TRUE(Pack("Locked Product", {"--script", "install.zbs"},
                   {WriteInput("readme.txt", "Read me.\r\n"),
                    WriteInput("locked.dat", "kept open by another program"),
                    WriteInput("install.zbs", CrLfScript({">Locking a file ...", lock}))}));
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("Locked Product");
  ASSERT_NE(status, nullptr);
  FinishWithOk(status, true);

  const DWORD id = std::strtoul(ReadFileBytes(pidFile).c_str(), nullptr, 10);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  ASSERT_NE(process, nullptr) << "the holder never reported its process id";
  EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the holder ended before the stub did: the lock proves nothing";
  EXPECT_EQ(Entries(WorkDir()), std::vector<std::string>{"locked.dat"});
  // Still locked: the stub's deletions failed for the same reason.
  const std::string locked = WorkDir() + "\\locked.dat";
  EXPECT_FALSE(DeleteFileA(locked.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  EXPECT_TRUE(DeleteFileA(locked.c_str())) << "error " << GetLastError();
}

// Drive T:, the 1 MiB tmpfs of scripts/tmpfs-drive.sh, as the stub's temporary directory.
struct SpaceCase {
  const char* name;
  int moreThanFree;  // bytes the closing record claims beyond the free space
  // One member of 3 MiB of zeros, imploded (its bytes reach the disk only through the
  // decoder's writes), under a claimed total of 1: the check passes, then the drive fills.
  bool fill;
};

class FreeSpaceTest : public Session, public ::testing::WithParamInterface<SpaceCase> {
 protected:
  const std::string kWorkDir = "T:\\ZubrexInstall";

  void SetUp() override {
    Session::SetUp();
    if (HasFatalFailure()) return;
    if (DriveBytes(true) != 1u << 20) {
      GTEST_SKIP() << "drive T: is not the 1 MiB tmpfs that scripts/tmpfs-drive.sh up makes "
                      "(it needs root; CTest runs it as a fixture)";
    }
    // Made ahead, so that the stub reuses it and its making cannot change the free space
    // between this measure and the stub's check.
    EmptyWorkDir();
    ASSERT_TRUE(CreateDirectoryA(kWorkDir.c_str(), nullptr)) << "error " << GetLastError();
  }

  void TearDown() override {
    Session::TearDown();
    EmptyWorkDir();
  }

  // Free (or total) bytes of T:\ through the call the stub makes; 0 when it fails.
  static uint64_t DriveBytes(bool total = false) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA("T:\\", &sectors, &bytes, &freeClusters, &clusters)) return 0;
    return uint64_t{total ? clusters : freeClusters} * sectors * bytes;
  }

  void EmptyWorkDir() const {
    for (const std::string& name : Entries(kWorkDir)) DeleteFileA((kWorkDir + "\\" + name).c_str());
    RemoveDirectoryA(kWorkDir.c_str());
  }
};

TEST_P(FreeSpaceTest, TheExactFreeByteCountPassesAndNoByteMore) {
  const SpaceCase& c = GetParam();
  const uint64_t total = c.fill ? 1 : DriveBytes() + uint64_t(c.moreThanFree);
  ASSERT_TRUE(Pack("Space Product",
                   {"--method", c.fill ? "implode" : "stored", "--level", "1", "--set",
                    "trailer.totalBytes=" + std::to_string(total)},
                   {c.fill ? WriteInput("zeros.bin", std::string(3 << 20, '\0'))
                           : WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch({{"TMP", "T:\\"}, {"TEMP", "T:\\"}}));
  if (c.moreThanFree == 0 && !c.fill) {
    HWND status = ToStatus("Space Product");
    ASSERT_NE(status, nullptr);
    FinishWithOk(status);
    EXPECT_FALSE(IsDirectory(kWorkDir)) << kWorkDir << " is still there";
    return;
  }
  Trace trace;
  HWND error =
      ToError("Space Product",
              "Error: Sorry, there does not seem to be enough free disk space. (3000d)\n", &trace);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(trace.status, nullptr);
  EXPECT_NE(trace.splash, nullptr) << "no splash before the error box";
  EXPECT_FALSE(trace.splashUpAtEnd) << "the splash was still up beside the error box";
  DismissError(error);
  if (!c.fill) {  // refused before the extraction: the directory stays, empty
    EXPECT_EQ(trace.progress, nullptr);
    EXPECT_TRUE(IsDirectory(kWorkDir));
    EXPECT_EQ(Entries(kWorkDir), std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(Drive, FreeSpaceTest,
                         ::testing::Values(SpaceCase{"ExactlyTheFreeBytes", 0, false},
                                           SpaceCase{"OneByteMore", 1, false},
                                           SpaceCase{"AnImplodedMemberFillsTheDrive", 0, true}),
                         CaseName());

}  // namespace
}  // namespace e2e
