// The windows of a run as the user sees them: the question and what No does; after Yes the
// splash for its pause, the progress window below it with a full bar before it closes, the
// status window in the top-left corner whose OK comes with the final text, takes the focus
// and ends the run.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

struct WindowsCase {
  const char* name;
  std::vector<std::string> options;
  int members;          // as the closing record counts them
  bool leftoverWorkDir;  // an earlier run's work directory, with files, is there already
};

class WindowsTest : public Session, public ::testing::WithParamInterface<WindowsCase> {};

TEST_P(WindowsTest, YesShowsSplashProgressAndStatusInTurnAndOkEndsTheRun) {
  const WindowsCase& c = GetParam();
  if (c.leftoverWorkDir) {
    ASSERT_TRUE(CreateDirectoryA(WorkDir().c_str(), nullptr));
    WriteInput("..\\tmp\\ZubrexInstall\\old-install.log", "left by an earlier run\r\n");
    WriteInput("..\\tmp\\ZubrexInstall\\readme.txt", "an older read-me\r\n");  // overwritten
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
}

INSTANTIATE_TEST_SUITE_P(
    Runs, WindowsTest,
    ::testing::Values(
        WindowsCase{"ThreeStoredMembers", {"--method", "stored"}, 3, false},
        // A member count of 0 leaves the packed member unread; a total of 1 (0 is refused
        // before the extraction) lets the run through to the progress window.
        WindowsCase{"NoMembers", {"--set", "trailer.fileCount=0", "--set", "trailer.totalBytes=1"},
                    0, false},
        WindowsCase{"LeftoverWorkDirectoryIsReusedAndRemoved", {}, 3, true}),
    CaseName());

using QuestionTest = Session;

TEST_F(QuestionTest, NoEndsTheRunWithNothingElseShownAndTheWorkDirectoryEmpty) {
  ASSERT_TRUE(Pack("My Product", {}, {WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch());
  HWND question = WaitDialog(ZB_APP_TITLE);
  ASSERT_NE(question, nullptr);
  ExpectBox(question, ZB_APP_TITLE, QuestionFor("My Product"), {IDYES, IDNO});
  ASSERT_TRUE(Press(question, IDNO));
  ExpectEnd(question);
  // The work directory is made before the question and stays, empty, after a No.
  EXPECT_TRUE(IsDirectory(WorkDir()));
  EXPECT_EQ(Entries(WorkDir()), std::vector<std::string>{});
}

TEST_F(QuestionTest, ProductNameFillingItsWholeFieldIsCutNotOverrun) {
  // 256 bytes and no NUL in the field: nothing after the field may leak into the question.
  const std::string name(256, 'Q');
  ASSERT_TRUE(Pack("My Product", {"--set", "trailer.productName=" + name},
                   {WriteInput("readme.txt", "Read me.\r\n")}));
  ASSERT_TRUE(Launch());
  HWND question = WaitDialog(ZB_APP_TITLE);
  ASSERT_NE(question, nullptr);
  // The question with the name cut somewhere: the prefix, one or more Qs, then the start
  // (possibly all) of the rest of the question.
  const std::string text = robot::MessageBoxText(question);
  const std::string prefix = "This application will install ";
  const std::string rest = " on your system.\nDo you wish to continue?";
  EXPECT_LE(text.size(), 255u) << Printable(text);
  ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << Printable(text);
  const size_t qs = std::min(text.find_first_not_of('Q', prefix.size()), text.size());
  EXPECT_GT(qs, prefix.size()) << "no part of the name shown: " << Printable(text);
  EXPECT_EQ(rest.compare(0, text.size() - qs, text, qs, std::string::npos), 0)
      << "unexpected text after the name: " << Printable(text.substr(qs));
  ASSERT_TRUE(Press(question, IDNO));
  ExpectEnd(question);
}

}  // namespace
}  // namespace e2e
