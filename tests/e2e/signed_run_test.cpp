// A signed installer (packed by zbpack.exe and signed by osslsigncode before the Wine tests, see
// make-signed-installer.sh) runs exactly as an unsigned one, and zbpack reads it.
#include <string>

#include "e2e_run_support.h"

namespace e2e {
namespace run {
namespace {

using SignedRunTest = RunSession;

TEST_F(SignedRunTest, APaddedSignedInstallerExtractsRunsItsScriptAndEndsWithOk) {
  const std::string fixture = BinPath("signed\\");
  bool skipped = false;
  const std::string reason = ReadFileBytes(fixture + "skipped", &skipped);
  if (skipped) GTEST_SKIP() << reason;
  ASSERT_TRUE(CopyFileA((fixture + "setup.exe").c_str(), InstallerPath().c_str(), FALSE))
      << fixture << "setup.exe: error " << GetLastError();
  const PackerResult list = RunPacker({"list", InstallerPath()});
  EXPECT_NE(list.output.find("of padding before it"), std::string::npos) << list.output;
  ExpectVerify(0);

  HeldWindow hold("ZbE2ESigned");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  ExpectFilesEqual(WorkDir(), {{"install.txt", fixture + "in\\install.txt"},
                               {"data.bin", fixture + "in\\data.bin"},
                               {"setup.exe", fixture + "in\\setup.exe"}});
  hold.Release();
  FinishWithOk(status);
}

}  // namespace
}  // namespace run
}  // namespace e2e
