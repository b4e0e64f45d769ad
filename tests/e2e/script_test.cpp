// The install script as the user's programs see it: exit codes, lines that wait for window
// classes, the installer's own windows, status lines shown as written, a last line without a
// line feed, and where a program is looked for. The program is zbscripttool, packed as
// setup.exe; the test holds the script at "#ZbE2E..." lines with windows of its own.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

class ScriptTest : public Session {
 protected:
  // Packs the script as install.txt with zbscripttool as setup.exe, starts the installer and
  // answers Yes up to the status window.
  HWND RunScript(const std::string& script) {
    if (!Pack("My Product", {"--script", "install.txt"},
              {WriteInput("install.txt", script),
               WriteInput("setup.exe", ReadFileBytes(ScriptToolPath()))}) ||
        !Launch()) {
      return nullptr;
    }
    return ToStatus("My Product");
  }
};

TEST_F(ScriptTest, ExitCodesAndWindowClassWaits) {
  const std::string linger = "\"" + ScriptToolPath() + "\" linger spawn ZbE2ELinger 3000";
  HeldWindow holdA("ZbE2EHoldA");
  HeldWindow holdB("ZbE2EHoldB");
  HWND status =
      RunScript(CrLfScript({">Exit codes", "setup.exe active exit 259", "setup.exe three exit 3",
                            "#ZbE2EHoldA setup.exe held", "#ZbE2ENoSuchClass setup.exe noclass",
                            "setup.exe afternoclass", ">Lingering window", "#ZbE2ELinger " + linger,
                            "setup.exe afterlinger", "#ZbE2EHoldB setup.exe end"}));
  ASSERT_NE(status, nullptr);

  // 259 (STILL_ACTIVE) and 3 both let the script go on.
  ASSERT_TRUE(WaitToolTag("held"));
  std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(ToolTags(runs), (std::vector<std::string>{"active", "three", "held"}));
  EXPECT_EQ(runs[0].exitCode, 259);
  EXPECT_EQ(runs[1].exitCode, 3);

  // A class that never exists: the run goes on after the grace time of about one second.
  const DWORD released = GetTickCount();
  holdA.Release();
  ASSERT_TRUE(WaitToolTag("afternoclass"));
  EXPECT_GE(GetTickCount() - released, 950u) << "no grace time after a program of a #class line";

  // A window that lingers for 3 s after its program has ended holds the run until it is gone.
  bool sawWindow = false, afterLinger = false;
  for (const DWORD start = GetTickCount();
       !afterLinger && GetTickCount() - start < kWaitMs && Stub().Running(); Sleep(5)) {
    // The log is read before the window is looked for: a program run after the window has
    // gone cannot be taken for one run while it was there.
    const std::vector<std::string> tags = ToolTags(ReadToolLog(ToolLogPath()));
    afterLinger = std::find(tags.begin(), tags.end(), "afterlinger") != tags.end();
    const bool window = FindWindowA("ZbE2ELinger", nullptr) != nullptr;
    sawWindow |= window;
    if (window) {
      ASSERT_FALSE(afterLinger) << "the next line ran while the window was still there";
      EXPECT_EQ(robot::ControlText(status, IDC_STATUS_TEXT), "Lingering window");
    }
  }
  EXPECT_TRUE(sawWindow) << "the lingering window was never seen";
  ASSERT_TRUE(WaitToolTag("end"));
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())),
            (std::vector<std::string>{"active", "three", "held", "noclass", "afternoclass",
                                      "holder", "linger", "afterlinger", "end"}));
  holdB.Release();
  FinishWithOk(status);
}

// The installer's own windows (its hidden main window of class ZubrexSea, its status window of
// the dialog class #32770) are no windows of the program to wait for. A status line is shown as
// written: "&" is no mnemonic prefix there. The last line, without a line feed, still runs.
TEST_F(ScriptTest, OwnWindowsAreNotWaitedForAndAmpersandsShowAsWritten) {
  HeldWindow hold("ZbE2EHoldAmp");
  HWND status = RunScript(CrLfScript({">Tom & Jerry && Co", "##32770 setup.exe dialogs",
                                      "#ZubrexSea setup.exe stub", "#ZbE2EHoldAmp setup.exe amp"},
                                     false));
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("amp"));
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())),
            (std::vector<std::string>{"dialogs", "stub", "amp"}));
  EXPECT_EQ(robot::ControlText(status, IDC_STATUS_TEXT), "Tom & Jerry && Co");
  const LONG_PTR style = GetWindowLongPtrA(robot::Control(status, IDC_STATUS_TEXT), GWL_STYLE);
  EXPECT_NE(style & SS_NOPREFIX, 0) << "the text is drawn with \"&\" as a mnemonic prefix";
  hold.Release();
  FinishWithOk(status);
}

// Programs are never taken from the installer's folder, where a download may have put copies
// of them: a bare "cmd.exe" is the system's, and an unquoted name with a blank is looked up in
// the work directory as the platform splits the line ("my.exe", then "my setup.exe"). The
// planted copies would log runs of their own.
TEST_F(ScriptTest, ProgramsAreNeverTakenFromTheInstallersFolder) {
  ASSERT_TRUE(CopyFileA(ScriptToolPath().c_str(), (Dir() + "\\my setup.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(ScriptToolPath().c_str(), (Dir() + "\\cmd.exe").c_str(), FALSE));
  const std::string marker = Dir() + "\\marker.txt";
  ASSERT_TRUE(
      Pack("My Product", {"--script", "install.txt"},
           {WriteInput("install.txt", CrLfScript({"cmd.exe /c echo system> \"" + marker + "\"",
                                                  "#ZbE2EHold my setup.exe spaced"})),
            "--as", "my setup.exe", ScriptToolPath()}));
  HeldWindow hold("ZbE2EHold");
  ASSERT_TRUE(Launch());
  HWND status = ToStatus("My Product");
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("setup.exe"));  // the tag is the first argument: "setup.exe"
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(lstrcmpiA(runs[0].module.c_str(), (WorkDir() + "\\my setup.exe").c_str()), 0)
      << runs[0].module;
  EXPECT_EQ(runs[0].cmdline, "my setup.exe spaced");
  EXPECT_EQ(ReadFileBytes(marker), "system\r\n");
  hold.Release();
  FinishWithOk(status);
}

}  // namespace
}  // namespace e2e
