// Unattended and concurrent runs as deployment tools make them: /S shows no window at any
// moment and ends with the run's exit code, /LOG= records what happened, a second installer
// started meanwhile leaves the first one alone, and links planted in a leftover work directory
// reach nothing.
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

using DeployTest = Session;

// Polls the stub, failing on every window it shows, until it ends (its exit code) or, when
// toolLog is given, until zbscripttool has logged a run there (~0u, as on a time-out).
DWORD WatchSilentRun(const robot::Process& stub, const std::string& toolLog = "") {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs; Sleep(5)) {
    EXPECT_TRUE(robot::ListWindows(stub.id()).empty()) << "a window of a silent run";
    DWORD code = ~0u;
    if (stub.WaitExit(0, &code)) return code;
    if (!toolLog.empty() && !ReadToolLog(toolLog).empty()) break;
  }
  return ~0u;
}

std::string LogPath(const std::string& dir) { return dir + "\\setup.log"; }

TEST_F(DeployTest, SilentRunShowsNothingInstallsAndEndsWithZero) {
  const Files files = {
      {"install.txt",
       WriteInput("install.txt", CrLfScript({">Installing", "#ZbE2EHold setup.exe held"}))},
      {"setup.exe", WriteInput("setup.exe", ReadFileBytes(ScriptToolPath()))},
      {"data.bin", WriteInput("data.bin", MixedText(300000, 5), SampleFileTime(1))}};
  ASSERT_TRUE(Pack("Silent Product", {"--script", "install.txt"},
                   {files[0].second, files[1].second, files[2].second}));
  HeldWindow hold("ZbE2EHold");
  // The switches in another case, the log's path quoted.
  ASSERT_TRUE(Launch({}, "/s \"/Log=" + LogPath(Dir()) + "\""));
  WatchSilentRun(Stub(), ToolLogPath());
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(runs.size(), 1u) << DescribeStub();
  ExpectFiles(WorkDir(), files);
  EXPECT_EQ(runs[0].silent, "1") << "ZUBREX_SILENT as the script's program saw it";
  hold.Release();
  EXPECT_EQ(WatchSilentRun(Stub()), 0u);
  EXPECT_FALSE(IsDirectory(WorkDir())) << WorkDir();
  const std::string log = ReadFileBytes(LogPath(Dir()));
  for (const std::string& line :
       {"Installer: " + InstallerPath() + " (silent)", std::string("Product: Silent Product"),
        std::string("Extracted setup.exe ("), std::string("Extracted data.bin (300000 bytes, "),
        std::string("Script line: >Installing"), std::string("Program ended with exit code 0"),
        std::string("Outcome: 0 (0x0) No Errors.")}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " not in the log:\n" << log;
  }
}

TEST_F(DeployTest, SilentRunOfADamagedInstallerEndsWithTheResultCode) {
  ASSERT_TRUE(Pack("Damaged Product", {"--set", "member.1.crc=0x12345678"},
                   {WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch({}, "/S /LOG=" + LogPath(Dir())));
  EXPECT_EQ(WatchSilentRun(Stub()), 0x3000Au);
  const std::string log = ReadFileBytes(LogPath(Dir()));
  EXPECT_NE(log.find("Outcome: 196618 (0x3000a) The archive seems to have been corrupted.\r\n"),
            std::string::npos)
      << log;
}

TEST_F(DeployTest, ASecondInstallerMeanwhileEndsWith1618AndTouchesNothing) {
  const std::string second = Dir() + "\\second.exe";
  ASSERT_TRUE(Pack("First Product", {"--script", "install.txt"},
                   {WriteInput("install.txt", CrLfScript({"#ZbE2EHold setup.exe held"})),
                    WriteInput("setup.exe", ReadFileBytes(ScriptToolPath())),
                    WriteInput("first.txt", WordsText(20000, 3))}));
  ASSERT_TRUE(CopyFileA(InstallerPath().c_str(), second.c_str(), FALSE));
  HeldWindow hold("ZbE2EHold");
  ASSERT_TRUE(Launch({}, "/S"));
  const robot::Process& first = Stub();
  bool held = false;
  for (DWORD start = GetTickCount(); !held && GetTickCount() - start < kWaitMs; Sleep(5)) {
    held = !ReadToolLog(ToolLogPath()).empty();
  }
  ASSERT_TRUE(held);
  // A person starts the second one: one box in place of the question, and nothing else.
  robot::StartOptions options;
  options.environment = {{"TMP", TempDir()}, {"TEMP", TempDir()}};
  robot::Process other = robot::Start(second, "", options);
  ASSERT_TRUE(other.started());
  HWND box = robot::WaitWindow(other.handle(), robot::kDialogClass, ZB_APP_TITLE, kWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(robot::MessageBoxText(box),
            "Another installation is in progress. Complete that installation before you run "
            "this one.");
  EXPECT_EQ(robot::Press(box, IDOK), robot::PressResult::kPressed);
  DWORD code = 0;
  EXPECT_TRUE(other.WaitExit(kWaitMs, &code));
  EXPECT_EQ(code, 1618u);
  EXPECT_EQ(Entries(TempDir()), std::vector<std::string>{"ZubrexInstall"});
  EXPECT_EQ(ReadFileBytes(WorkDir() + "\\first.txt"), WordsText(20000, 3));
  hold.Release();
  EXPECT_TRUE(first.WaitExit(kWaitMs, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsDirectory(WorkDir()));
}

TEST_F(DeployTest, LinksPlantedInALeftoverWorkDirectoryReachNothing) {
  // plant-links.sh made C:\zbe2e-links: tmp\ZubrexInstall\readme.txt and stray.txt are links
  // to the files in outside\, as another user of the machine could leave them.
  const std::string root = "C:\\zbe2e-links";
  const std::string memberTarget = ReadFileBytes(root + "\\outside\\member-target.txt");
  const std::string strayTarget = ReadFileBytes(root + "\\outside\\stray-target.txt");
  ASSERT_EQ(memberTarget, "member target\r\n") << "no planted links: plant-links.sh did not run";
  ASSERT_TRUE(Pack("Linked Product", {}, {WriteInput("readme.txt", "The real read-me.\r\n")}));
  ASSERT_TRUE(Launch({{"TMP", root + "\\tmp"}, {"TEMP", root + "\\tmp"}}));
  HWND status = ToStatus("Linked Product");
  ASSERT_NE(status, nullptr);
  FinishWithOk(status);
  EXPECT_FALSE(IsDirectory(root + "\\tmp\\ZubrexInstall"));
  EXPECT_EQ(ReadFileBytes(root + "\\outside\\member-target.txt"), memberTarget);
  EXPECT_EQ(ReadFileBytes(root + "\\outside\\stray-target.txt"), strayTarget);
  EXPECT_EQ(Entries(root + "\\tmp\\ZubrexInstall.1"), Sorted({"readme.txt", "stray.txt"}));
}

}  // namespace
}  // namespace e2e
