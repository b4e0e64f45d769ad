// The question that opens every run: what it says, its buttons, and what No does.
#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {

using QuestionTest = StubSession;

const char kReadme[] = "Thank you for installing My Product.\r\n";

TEST_F(QuestionTest, NamesTheProductAndNoEndsTheRunWithNothingElseShown) {
  ASSERT_TRUE(Pack("My Product", {}, {WriteInput("readme.txt", kReadme)}));
  ASSERT_TRUE(Launch());
  HWND question = WaitBox(kQuestionCaption);
  ASSERT_NE(question, nullptr);
  ExpectBox(question, kQuestionCaption,
            "This application will install My Product on your system.\nDo you wish to continue?",
            {IDYES, IDNO});

  ASSERT_TRUE(Press(question, IDNO));
  std::vector<std::string> dialogs;
  EXPECT_EQ(WaitEnd(question, &dialogs), 0u);
  EXPECT_TRUE(dialogs.empty()) << "a window appeared after No, first \""
                               << Printable(dialogs.empty() ? "" : dialogs[0]) << "\"";

  // The work directory is made before the question and stays, empty, after a No.
  bool exists = false;
  std::vector<std::string> entries = WorkDirEntries(&exists);
  EXPECT_TRUE(exists) << WorkDir();
  EXPECT_TRUE(entries.empty()) << "first entry: " << (entries.empty() ? "" : entries[0]);
}

TEST_F(QuestionTest, ProductNameFillingItsWholeFieldIsCutNotOverrun) {
  // 256 bytes and no NUL in the field: nothing after the field may leak into the question.
  const std::string name(256, 'Q');
  ASSERT_TRUE(Pack("My Product", {"--set", "trailer.productName=" + name},
                   {WriteInput("readme.txt", kReadme)}));
  ASSERT_TRUE(Launch());
  HWND question = WaitBox(kQuestionCaption);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(robot::WindowCaption(question), kQuestionCaption);

  // The text is the question with the name cut somewhere: the prefix, one or more Qs, then
  // the start (possibly all) of the rest of the question. Anything else came from outside the
  // name's field.
  const std::string text = robot::MessageBoxText(question);
  EXPECT_LE(text.size(), 255u) << Printable(text);
  const std::string prefix = "This application will install ";
  const std::string rest = " on your system.\nDo you wish to continue?";
  ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << Printable(text);
  size_t qs = text.find_first_not_of('Q', prefix.size());
  if (qs == std::string::npos) qs = text.size();
  EXPECT_GT(qs, prefix.size()) << "no part of the name shown: " << Printable(text);
  EXPECT_LE(qs - prefix.size(), name.size());
  EXPECT_EQ(rest.compare(0, text.size() - qs, text, qs, std::string::npos), 0)
      << "unexpected text after the name: " << Printable(text.substr(qs));

  // The process survived the long name: it still takes the answer and ends normally.
  ASSERT_TRUE(Press(question, IDNO));
  std::vector<std::string> dialogs;
  EXPECT_EQ(WaitEnd(question, &dialogs), 0u);
  EXPECT_TRUE(dialogs.empty());
}

}  // namespace
}  // namespace e2e
