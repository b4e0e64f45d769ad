// A run without failure: the status window ends it with the final text and an enabled OK, and
// the work directory is gone.
#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {

using SuccessTest = StubSession;

const char kStatusCaption[] = "Zubrex Self-Extracting Archive Status";
const char kFinalText[] = "Files extracted and run successfully!  Press OK to exit.";
constexpr int kStatusTextId = 1004;
constexpr int kStatusOkId = 1005;

TEST_F(SuccessTest, WithoutScriptEndsInTheStatusWindowAndRemovesTheWorkDirectory) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + " of the readme\r\n";
  ASSERT_TRUE(Pack("My Product", {}, {WriteInput("readme.txt", text)}));
  ASSERT_TRUE(Launch());
  HWND question = WaitBox(kQuestionCaption);
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(Press(question, IDYES));

  std::vector<std::string> before;
  HWND status = WaitBox(kStatusCaption, &before);
  ASSERT_NE(status, nullptr);
  for (const std::string& caption : before) EXPECT_NE(caption, kErrorCaption);

  // OK is enabled only after the final text is in place (read in this order, a late enable
  // cannot be mistaken for an early one).
  std::string shown;
  bool enabled = false;
  DWORD start = GetTickCount();
  do {
    enabled = robot::ControlEnabled(status, kStatusOkId);
    shown = robot::ControlText(status, kStatusTextId);
    if (enabled) {
      EXPECT_EQ(shown, kFinalText) << "OK was enabled before the final text";
    } else {
      Sleep(5);
    }
  } while (!enabled && Stub().Running() && GetTickCount() - start < kWaitMs);
  ASSERT_TRUE(enabled) << "OK never became enabled; status text \"" << Printable(shown) << "\"";
  EXPECT_EQ(shown, kFinalText);
  EXPECT_TRUE(robot::ControlVisible(status, kStatusOkId));

  ASSERT_TRUE(Press(status, kStatusOkId));
  std::vector<std::string> after;
  EXPECT_EQ(WaitEnd(status, &after), 0u);
  EXPECT_TRUE(after.empty()) << "a window appeared after OK, first \""
                             << Printable(after.empty() ? "" : after[0]) << "\"";
  bool exists = true;
  WorkDirEntries(&exists);
  EXPECT_FALSE(exists) << WorkDir() << " is still there";
}

}  // namespace
}  // namespace e2e
