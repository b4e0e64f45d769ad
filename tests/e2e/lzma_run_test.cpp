// LZMA installers, one stream per member and solid (packed on the host before the Wine tests,
// see make-lzma-installers.sh), run to OK with every member in place byte for byte and with
// its time, and zbpack.exe reads them.
#include <string>

#include "e2e_support.h"

namespace e2e {
namespace {

class LzmaRunTest : public Session, public ::testing::WithParamInterface<const char*> {};

TEST_P(LzmaRunTest, EveryMemberArrivesWithItsTimeAndTheRunEndsWithOk) {
  const std::string fixture = BinPath("lzma\\");
  bool skipped = false;
  const std::string reason = ReadFileBytes(fixture + "skipped", &skipped);
  if (skipped) GTEST_SKIP() << reason;
  const std::string installer = fixture + GetParam() + ".exe";
  ASSERT_TRUE(CopyFileA(installer.c_str(), InstallerPath().c_str(), FALSE))
      << installer << ": error " << GetLastError();
  Files files;
  for (const std::string& name : Entries(fixture + "in"))
    files.push_back({name, fixture + "in\\" + name});
  ASSERT_EQ(files.size(), 12u);

  HeldWindow hold("ZbE2ELzma");
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("LZMA Product");
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  ExpectFiles(WorkDir(), files);
  hold.Release();
  FinishWithOk(status);
  ExpectFiles(ExpectPackerReads(0), files);
}

INSTANTIATE_TEST_SUITE_P(Modes, LzmaRunTest, ::testing::Values("plain", "solid"),
                         [](const ::testing::TestParamInfo<const char*>& c) {
                           return std::string(c.param);
                         });

}  // namespace
}  // namespace e2e
