// The windows of a run as the user sees them: the question and what No does; after Yes the
// splash for its pause, the progress window below it with a full bar before it closes, the
// status window in the top-left corner whose OK comes with the final text, takes the focus
// and ends the run.
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

struct WindowsCase {
  const char* name;
  std::vector<std::string> options;
  int members;           // as the closing record counts them
  bool leftoverWorkDir;  // an earlier run's work directory, with files, is there already
};

class WindowsTest : public Session, public ::testing::WithParamInterface<WindowsCase> {};

TEST_P(WindowsTest, YesShowsSplashProgressAndStatusInTurnAndOkEndsTheRun) {
  const WindowsCase& c = GetParam();
  if (c.leftoverWorkDir) {
    ASSERT_TRUE(CreateDirectoryA(WorkDir().c_str(), nullptr));
    WriteInput("..\\tmp\\ZubrexInstall\\old-install.log", "left by an earlier run\r\n");
    WriteInput("..\\tmp\\ZubrexInstall\\readme.txt", "an older read-me\r\n");
  }
  // A member of 4 MiB that does not compress: its extraction is a visible stretch of the
  // progress window's life.
  ASSERT_TRUE(Pack("Window Product", c.options,
                   {WriteInput("readme.txt", "Read me first.\r\n"),
                    WriteInput("payload.bin", RandomText(4u << 20, 1)),
                    WriteInput("notes.txt", "The last member.\r\n")}));
  ASSERT_TRUE(Launch());
  const Trace trace = Yes("Window Product");
  ExpectWindowsInTurn(trace, "Window Product", c.members);
  if (trace.status != nullptr) FinishWithOk(trace.status);
  // An earlier run's directory is moved aside whole, never reused or emptied.
  if (c.leftoverWorkDir) {
    EXPECT_EQ(Entries(WorkDir() + ".1"), Sorted({"old-install.log", "readme.txt"}));
    EXPECT_EQ(ReadFileBytes(WorkDir() + ".1\\readme.txt"), "an older read-me\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, WindowsTest,
    ::testing::Values(WindowsCase{"ThreeStoredMembers", {"--method", "stored"}, 3, false},
                      // A member count of 0 leaves the packed member unread; a total of 1 (0 is
                      // refused before the extraction) lets the run through to the progress window.
                      WindowsCase{"NoMembers",
                                  {"--set", "trailer.fileCount=0", "--set", "trailer.totalBytes=1"},
                                  0,
                                  false},
                      WindowsCase{"LeftoverWorkDirectoryIsMovedAside", {}, 3, true}),
    CaseName());

using QuestionTest = Session;

TEST_F(QuestionTest, NoEndsTheRunWithNothingElseShownAndTheWorkDirectoryEmpty) {
  ASSERT_TRUE(Pack("My Product", {}, {WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch());
  HWND question = WaitDialog(ZB_APP_TITLE);
  ASSERT_NE(question, nullptr);
  ExpectBox(question, ZB_APP_TITLE, QuestionFor("My Product"), {IDYES, IDNO});
  ASSERT_TRUE(Press(question, IDNO));
  ExpectEnd(question, 1602);
  // The work directory is made before the question and stays, empty, after a No.
  EXPECT_TRUE(IsDirectory(WorkDir()));
  EXPECT_EQ(Entries(WorkDir()), std::vector<std::string>{});
}

}  // namespace
}  // namespace e2e
