// The fixture of the end-to-end tests: one private scratch directory per test, a real
// installer built into it by the real packer, the real stub run from it with TMP and TEMP
// pointing into the same directory, and the robot playing the user.
//
// Layout of the scratch directory (under the Wine user's temporary directory):
//   in\             input files written by the test
//   tmp\            TMP and TEMP of the stub, so its work directory is tmp\ZubrexInstall
//   setup.exe       the installer (packer output, or a copy of the stub)
//   zbpack.log      the packer's stdout and stderr
// It is removed when the test passes and kept (its path printed) when it fails.
//
// Every wait is bounded; a stub still running when a test ends is killed, so a failing test
// leaves no window behind for the next one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "robot.h"

namespace e2e {

// What the user reads, exactly as the stub shows it.
extern const char* const kQuestionCaption;  // "Zubrex Self-Extracting Archive"
extern const char* const kErrorCaption;     // "Zubrex Self-Extracting Archive Error"
extern const char* const kStatusCaption;    // "Zubrex Self-Extracting Archive Status"
extern const char* const kFinalText;        // string 3, two blanks after the exclamation mark

// The question for a product name.
std::string QuestionFor(const std::string& product);

// Longest any single window may take to appear, and the stub to end.
constexpr DWORD kWaitMs = 20000;

class StubSession : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Paths inside the scratch directory, without a trailing backslash.
  const std::string& Dir() const { return dir_; }
  std::string TempDir() const { return dir_ + "\\tmp"; }
  std::string WorkDir() const { return TempDir() + "\\ZubrexInstall"; }
  std::string InstallerPath() const { return dir_ + "\\setup.exe"; }
  // A program next to this test program (the packer, the stub).
  static std::string BinPath(const std::string& name);

  // Writes in\<name> and returns its full path.
  std::string WriteInput(const std::string& name, const std::string& contents);

  // Builds setup.exe: zbpack pack (or fixture, for --set and the like) -o setup.exe --stub <bin>\zubrex-stub.exe --product PRODUCT
  // OPTIONS... FILES... False (and a recorded failure with the packer's output) unless the
  // packer exits 0.
  bool Pack(const std::string& product, const std::vector<std::string>& options,
            const std::vector<std::string>& files);

  // Makes setup.exe a plain copy of the stub, with no archive behind it.
  bool CopyStubAsInstaller();

  // Starts setup.exe with TMP and TEMP set to TempDir().
  bool Launch();
  // The same with further changes to the stub's environment, applied after TMP and TEMP (so
  // they may also replace those two).
  bool LaunchWith(const robot::Environment& changes);

  // Waits for the stub's dialog with this caption; null (failure recorded) on timeout or when
  // the stub ended first. Meanwhile collects the captions of the stub's other dialogs (the
  // splash has none; the progress window shares the question's caption).
  HWND WaitBox(const char* caption, std::vector<std::string>* othersSeen = nullptr);

  // Checks the box's caption and exact text and that its buttons are exactly the given ones
  // among OK, Cancel, Yes and No.
  void ExpectBox(HWND box, const char* caption, const std::string& text,
                 const std::vector<int>& buttons);

  // Presses a button of the stub's window; records a failure unless it was pressed.
  bool Press(HWND window, int buttonId);

  // Waits for the stub's end and returns its exit code (a failure is recorded and the stub
  // killed on timeout, giving ~0u). Meanwhile collects the captions of the dialogs it shows,
  // other than `answered` (a box already answered, which may linger for a moment).
  DWORD WaitEnd(HWND answered, std::vector<std::string>* dialogsSeen);

  // The names in the work directory ("." and ".." left out); exists is false when the
  // directory does not exist.
  std::vector<std::string> WorkDirEntries(bool* exists) const;

  const robot::Process& Stub() const { return stub_; }

 private:
  std::string dir_;
  robot::Process stub_;
};

// Keeps the text readable in failure messages: line breaks and other control bytes escaped.
std::string Printable(const std::string& text);

}  // namespace e2e
