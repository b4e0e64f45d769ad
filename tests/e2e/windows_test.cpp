// The windows of a run the user agrees to, as the user sees them: the splash for its pause, the
// progress window below it with a full bar before it closes, the status window in the top-left
// corner whose OK comes with the final text, takes the focus and ends the run.
#include <string>
#include <vector>

#include "e2e_windows_support.h"

namespace e2e {
namespace {

using WindowsTest = seq::WindowSequence;

// Bytes that do not compress, from a fixed seed: a member big enough that its extraction is a
// visible stretch of the progress window's life.
std::string NoiseBytes(size_t size) {
  std::string bytes(size, '\0');
  unsigned int state = 0x2545F491u;
  for (char& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

TEST_F(WindowsTest, YesShowsSplashProgressAndStatusInTurnAndOkEndsTheRun) {
  std::vector<std::string> files = {
      WriteInput("readme.txt", "Read me first.\r\n"),
      WriteInput("license.txt", std::string(3000, 'L')),
      WriteInput("payload.bin", NoiseBytes(4u << 20)),
      WriteInput("notes.txt", "The last member.\r\n"),
  };
  ASSERT_TRUE(Pack("Window Product", {"--method", "stored"}, files));
  ASSERT_TRUE(Launch());
  HWND status = YesThroughProgress("Window Product", 4);
  ASSERT_NE(status, nullptr);
  FinishWithOk(status);
  bool exists = true;
  WorkDirEntries(&exists);
  EXPECT_FALSE(exists) << WorkDir() << " is still there";
}

TEST_F(WindowsTest, AnArchiveWithoutMembersShowsTheSameWindows) {
  // The packer wants at least one file: its member stays behind a member count of 0, unread.
  // A total of 0 would be refused before the extraction; 1 lets the run through to the
  // progress window with an empty range.
  ASSERT_TRUE(Pack("Empty Product",
                   {"--set", "trailer.fileCount=0", "--set", "trailer.totalBytes=1"},
                   {WriteInput("unread.txt", "never extracted\r\n")}));
  ASSERT_TRUE(Launch());
  HWND status = YesThroughProgress("Empty Product", 0);
  ASSERT_NE(status, nullptr);
  FinishWithOk(status);
  bool exists = true;
  WorkDirEntries(&exists);
  EXPECT_FALSE(exists) << WorkDir() << " is still there";
}

}  // namespace
}  // namespace e2e
