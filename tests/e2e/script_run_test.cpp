// Runs whose install script decides the outcome: a program that cannot be started, exit codes,
// lines that wait for window classes, line lengths, a last line without a line feed. The
// programs are zbscripttool, packed as setup.exe; the test holds the script at "#ZbE2E..."
// lines with windows of its own.
#include <string>
#include <vector>

#include "e2e_run_support.h"

namespace e2e {
namespace run {
namespace {

class ScriptRunTest : public RunSession {
 protected:
  // Packs the script as install.txt (the script member), zbscripttool as setup.exe and one
  // plain file.
  bool PackScript(const std::string& script) {
    names_ = {"install.txt", "setup.exe", "notes.txt"};
    return Pack("My Product", {"--script", "install.txt"},
                {WriteTimedInput("install.txt", script, SampleFileTime(41)),
                 WriteTimedInput("setup.exe", ReadFileBytes(ScriptToolPath()), SampleFileTime(42)),
                 WriteTimedInput("notes.txt", TextBytes(20000, 43), SampleFileTime(43))});
  }

  // After a failed script: every member and the tool's log are still in the work directory.
  void ExpectFilesStay() {
    std::vector<std::string> expected = names_;
    expected.push_back("zbscripttool.log");
    EXPECT_EQ(Entries(WorkDir()), Sorted(expected));
    for (const std::string& name : names_) {
      EXPECT_TRUE(ReadFileBytes(WorkDir() + "\\" + name) == ReadFileBytes(Dir() + "\\in\\" + name))
          << name;
    }
  }

  std::vector<std::string> names_;
};

TEST_F(ScriptRunTest, ProgramThatCannotBeFoundIsASystemErrorOverTheStatusWindow) {
  ASSERT_TRUE(PackScript(CrLfScript({">Starting", "setup.exe one", ">Running a missing program",
                                     "zbe2e-no-such-program.exe two", "setup.exe three",
                                     ">Never shown"})));
  bool statusShown = false;
  HWND error = StartToError("Error: There was a system error. (10012)\n", &statusShown);
  ASSERT_NE(error, nullptr);
  EXPECT_TRUE(statusShown) << "the status window is not on screen behind the error box";
  HWND status = robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kStatusCaption);
  if (status != nullptr) {
    EXPECT_EQ(robot::ControlText(status, kStatusTextId), "Running a missing program");
  }
  DismissError(error);
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())), std::vector<std::string>{"one"});
  ExpectFilesStay();
  ExpectVerify(0);
}

TEST_F(ScriptRunTest, ExitCodesAndWindowClassWaits) {
  const std::string linger = "\"" + ScriptToolPath() + "\" linger spawn ZbE2ELinger 3000";
  ASSERT_TRUE(PackScript(CrLfScript({
      ">Exit codes",
      "setup.exe active exit 259",
      "setup.exe three exit 3",
      "#ZbE2EHoldA setup.exe held",
      "#ZbE2ENoSuchClass setup.exe noclass",
      "setup.exe afternoclass",
      ">Lingering window",
      "#ZbE2ELinger " + linger,
      "setup.exe afterlinger",
      "#ZbE2EHoldB setup.exe end",
  })));
  HeldWindow holdA("ZbE2EHoldA");
  HeldWindow holdB("ZbE2EHoldB");
  HWND status = StartToStatus();
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
  const DWORD waited = GetTickCount() - released;
  EXPECT_GE(waited, 950u) << "no grace time after a program of a #class line";
  EXPECT_LT(waited, 15000u);
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())),
            (std::vector<std::string>{"active", "three", "held", "noclass", "afternoclass"}));

  // A window that lingers for 3 s after its program has ended holds the run until it is gone.
  bool sawWindow = false;
  bool afterLinger = false;
  const DWORD start = GetTickCount();
  while (!afterLinger && GetTickCount() - start < kWaitMs && Stub().Running()) {
    // The log is read before the window is looked for: a program run after the window has
    // gone cannot be taken for one run while it was there.
    afterLinger = false;
    for (const ToolRun& run : ReadToolLog(ToolLogPath())) afterLinger |= run.tag == "afterlinger";
    const bool window = FindWindowA("ZbE2ELinger", nullptr) != nullptr;
    sawWindow |= window;
    if (window) {
      ASSERT_FALSE(afterLinger) << "the next line ran while the window was still there";
      EXPECT_EQ(robot::ControlText(status, kStatusTextId), "Lingering window");
    }
    Sleep(5);
  }
  EXPECT_TRUE(sawWindow) << "the lingering window was never seen";
  ASSERT_TRUE(WaitToolTag("end"));
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())),
            (std::vector<std::string>{"active", "three", "held", "noclass", "afternoclass",
                                      "holder", "linger", "afterlinger", "end"}));
  holdB.Release();
  FinishWithOk(status);
}

// The installer's own windows (its hidden main window of class ZubrexSea, its status window
// of the dialog class #32770) are no windows of the program to wait for. A status line is
// shown as written: "&" is no mnemonic prefix there.
TEST_F(ScriptRunTest, OwnWindowsAreNotWaitedForAndAmpersandsShowAsWritten) {
  ASSERT_TRUE(PackScript(CrLfScript({">Tom & Jerry && Co", "##32770 setup.exe dialogs",
                                     "#ZubrexSea setup.exe stub", "#ZbE2EHoldAmp setup.exe amp"})));
  HeldWindow hold("ZbE2EHoldAmp");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("amp"));
  EXPECT_EQ(robot::ControlText(status, kStatusTextId), "Tom & Jerry && Co");
  const LONG_PTR style = GetWindowLongPtrA(robot::Control(status, kStatusTextId), GWL_STYLE);
  EXPECT_NE(style & SS_NOPREFIX, 0) << "the text is drawn with \"&\" as a mnemonic prefix";
  hold.Release();
  FinishWithOk(status);
}

// An unquoted program name with a blank is looked up in the work directory as the platform
// splits the line ("my.exe", then "my setup.exe"), before the platform's own search, which would
// find the planted copy beside the installer first.
TEST_F(ScriptRunTest, UnquotedProgramNameWithABlankRunsFromTheWorkDirectory) {
  const std::string planted = Dir() + "\\my setup.exe";
  ASSERT_TRUE(CopyFileA(ScriptToolPath().c_str(), planted.c_str(), FALSE)) << GetLastError();
  ASSERT_TRUE(Pack("My Product", {"--script", "install.txt"},
                   {WriteTimedInput("install.txt", CrLfScript({"my setup.exe spaced"}),
                                    SampleFileTime(44)),
                    "--as", "my setup.exe", ScriptToolPath()}));
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("setup.exe"));  // the tag is the first argument: "setup.exe"
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(lstrcmpiA(runs[0].module.c_str(), (WorkDir() + "\\my setup.exe").c_str()), 0)
      << runs[0].module;
  EXPECT_EQ(runs[0].cmdline, "my setup.exe spaced");
  FinishWithOk(status);
}

TEST_F(ScriptRunTest, LineOverTheLengthLimitStopsTheScriptUnrun) {
  std::string edge = "setup.exe edge ";
  edge.append(255 - edge.size(), 'e');
  std::string tooLong = "setup.exe long ";
  tooLong.append(300 - tooLong.size(), 'l');
  ASSERT_TRUE(PackScript(
      CrLfScript({">Long lines", "setup.exe before", edge, tooLong, "setup.exe after"})));
  bool statusShown = false;
  HWND error =
      StartToError("Error: The selected archive is not currently supported. (30004)\n", &statusShown);
  ASSERT_NE(error, nullptr);
  EXPECT_TRUE(statusShown) << "the status window is not on screen behind the error box";
  DismissError(error);
  // A line of exactly 255 characters is still one line, run with all of them.
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(ToolTags(runs), (std::vector<std::string>{"before", "edge"}));
  EXPECT_EQ(runs[1].cmdline, edge);
  ExpectFilesStay();
}

TEST_F(ScriptRunTest, LastLineWithoutLineFeedIsCarriedOut) {
  ASSERT_TRUE(PackScript(
      CrLfScript({">Last line", "setup.exe first", "#ZbE2EHold setup.exe last"}, false)));
  HeldWindow hold("ZbE2EHold");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("last"));
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(ToolTags(runs), (std::vector<std::string>{"first", "last"}));
  EXPECT_EQ(runs[1].cmdline, "setup.exe last");
  EXPECT_EQ(robot::ControlText(status, kStatusTextId), "Last line");
  hold.Release();
  FinishWithOk(status);
}

}  // namespace
}  // namespace run
}  // namespace e2e
