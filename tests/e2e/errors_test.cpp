// Failures found before the question: the question is still asked, and only a Yes brings the
// error box, after the splash. The work directory stays, empty.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {

const char kReadme[] = "Thank you for installing My Product.\r\n";

class ErrorBoxTest : public StubSession {
 protected:
  // Answers Yes to the question; expects the error box with exactly this text, dismisses it,
  // and expects the run to end with exit code 0, nothing else shown, the work directory empty.
  void YesLeadsToError(HWND question, const std::string& errorText) {
    ASSERT_TRUE(Press(question, IDYES));
    HWND error = WaitBox(kErrorCaption);
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kQuestionCaption))
        << "the question is still shown beside the error box";
    ExpectBox(error, kErrorCaption, errorText, {IDOK});

    ASSERT_TRUE(Press(error, IDOK));
    std::vector<std::string> dialogs;
    EXPECT_EQ(WaitEnd(error, &dialogs), 0u);
    EXPECT_TRUE(dialogs.empty()) << "a window appeared after the error box, first \""
                                 << Printable(dialogs.empty() ? "" : dialogs[0]) << "\"";
    bool exists = false;
    std::vector<std::string> entries = WorkDirEntries(&exists);
    EXPECT_TRUE(exists) << WorkDir();
    EXPECT_TRUE(entries.empty()) << "first entry: " << (entries.empty() ? "" : entries[0]);
  }

  // Builds an installer of one small member with these test settings, starts it, and checks
  // that the question names My Product.
  HWND AskAboutMyProduct(const std::vector<std::string>& options) {
    if (!Pack("My Product", options, {WriteInput("readme.txt", kReadme)}) || !Launch()) {
      return nullptr;
    }
    HWND question = WaitBox(kQuestionCaption);
    if (question != nullptr) {
      ExpectBox(question, kQuestionCaption, QuestionFor("My Product"), {IDYES, IDNO});
    }
    return question;
  }
};

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string LastBytes(const std::string& path, size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return all.size() < count ? all : all.substr(all.size() - count);
}

uint32_t Le32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

TEST_F(ErrorBoxTest, ClosingRecordTagOfAnotherTypeIsACorruptArchive) {
  HWND question = AskAboutMyProduct({"--set", "trailer.seaTag=0x12345678"});
  ASSERT_NE(question, nullptr);
  YesLeadsToError(question, "Error: The archive seems to have been corrupted. (3000a)\n");
}

TEST_F(ErrorBoxTest, ClosingRecordTagOfAnotherVersionIsABadVersion) {
  HWND question = AskAboutMyProduct({"--set", "trailer.seaTag=0x000F0005"});
  ASSERT_NE(question, nullptr);
  YesLeadsToError(question, "Error: kBadSeaVersion (30007)\n");
}

TEST_F(ErrorBoxTest, TotalByteCountZeroIsAnEmptyArchive) {
  HWND question = AskAboutMyProduct({"--set", "trailer.totalBytes=0"});
  ASSERT_NE(question, nullptr);
  YesLeadsToError(question, "Error: Unknown Error (30017)\n");
}

TEST_F(ErrorBoxTest, StubWithoutArchiveIsACorruptArchive) {
  ASSERT_TRUE(CopyStubAsInstaller());
  // Whatever the stub's own last 280 bytes hold is read as the closing record. Its tag field
  // decides the error; its product field is what the question names.
  const std::string tail = LastBytes(InstallerPath(), 280);
  ASSERT_EQ(tail.size(), 280u);
  if ((Le32(tail, 16) >> 16) == 0x000F) {
    GTEST_SKIP() << "this build of the stub happens to end in a closing-record tag type";
  }
  std::string product(tail.data() + 24, strnlen(tail.data() + 24, 255));

  ASSERT_TRUE(Launch());
  HWND question = WaitBox(kQuestionCaption);
  ASSERT_NE(question, nullptr);
  if (product.size() <= 184) {
    ExpectBox(question, kQuestionCaption, QuestionFor(product), {IDYES, IDNO});
  } else {
    EXPECT_EQ(robot::MessageBoxText(question).rfind("This application will install ", 0), 0u);
  }
  YesLeadsToError(question, "Error: The archive seems to have been corrupted. (3000a)\n");
}

TEST_F(ErrorBoxTest, CopyCutShortInsideAMemberIsACorruptArchive) {
  // A stored member of letters only: the last 280 bytes of the cut copy are letters, so the
  // tag field is no closing-record tag and the product field holds no NUL.
  std::string letters(8192, '\0');
  for (size_t i = 0; i < letters.size(); ++i) letters[i] = static_cast<char>('a' + i % 26);
  const std::string input = WriteInput("letters.txt", letters);
  // Stub, archive tag, member header, the name "letters.txt" with its NUL, half the data.
  const uint64_t cut = FileSize(BinPath("zubrex-stub.exe")) + 4 + 32 + 12 + letters.size() / 2;
  ASSERT_TRUE(
      Pack("My Product", {"--method", "stored", "--truncate", std::to_string(cut)}, {input}));
  ASSERT_EQ(FileSize(InstallerPath()), cut);
  ASSERT_TRUE(Launch());

  HWND question = WaitBox(kQuestionCaption);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(robot::WindowCaption(question), kQuestionCaption);
  const std::string text = robot::MessageBoxText(question);
  EXPECT_EQ(text.rfind("This application will install ", 0), 0u) << Printable(text);
  EXPECT_LE(text.size(), 255u);
  YesLeadsToError(question, "Error: The archive seems to have been corrupted. (3000a)\n");
}

}  // namespace
}  // namespace e2e
