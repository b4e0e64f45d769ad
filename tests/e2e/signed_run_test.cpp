// A signed installer (packed by zbpack.exe and signed by osslsigncode before the Wine tests, see
// make-signed-installer.sh) runs exactly as an unsigned one, and zbpack reads it.
#include <string>

#include "e2e_support.h"

namespace e2e {
namespace {

using SignedRunTest = Session;

TEST_F(SignedRunTest, APaddedSignedInstallerExtractsRunsItsScriptAndEndsWithOk) {
  const std::string fixture = BinPath("signed\\");
  bool skipped = false;
  const std::string reason = ReadFileBytes(fixture + "skipped", &skipped);
  if (skipped) GTEST_SKIP() << reason;
  ASSERT_TRUE(CopyFileA((fixture + "setup.exe").c_str(), InstallerPath().c_str(), FALSE))
      << fixture << "setup.exe: error " << GetLastError();

  HeldWindow hold("ZbE2ESigned");
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("Signed Product");
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  const Files files = {{"install.txt", fixture + "in\\install.txt"},
                       {"data.bin", fixture + "in\\data.bin"},
                       {"setup.exe", fixture + "in\\setup.exe"}};
  ExpectFiles(WorkDir(), files);
  hold.Release();
  FinishWithOk(status);
  ExpectFiles(ExpectPackerReads(0), files);
}

}  // namespace
}  // namespace e2e
