// The fixture of the end-to-end tests: one private scratch directory per test (in\ for the
// inputs, tmp\ as the stub's TMP and TEMP, so its work directory is tmp\ZubrexInstall, and
// setup.exe), a real installer built there by the real packer, the real stub run from it, and
// the robot playing the user. The directory is removed when the test passes and kept (its path
// printed) when it fails. Every wait is bounded; a stub still running at the end is killed.
//
// Scripts start zbscripttool (packed as setup.exe): each run appends a line to
// zbscripttool.log in the scratch directory (ToolLogPath). A script line "#CLASS command" makes the
// stub wait, once the command has ended, while a top-level window of CLASS exists: HeldWindow makes
// one in the test process, so the test decides when the run goes on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "resource.h"
#include "robot.h"
#include "test_inputs.h"

namespace e2e {

// What the user reads, exactly as the stub shows it.
extern const char kFinalText[];
std::string QuestionFor(const std::string& product);

// Longest any single window may take to appear, and the stub to end.
constexpr DWORD kWaitMs = 20000;

std::string ReadFileBytes(const std::string& path, bool* ok = nullptr);
bool IsDirectory(const std::string& path);
// Names in a directory, "." and ".." left out, sorted; none when it does not exist.
std::vector<std::string> Entries(const std::string& dir);
std::vector<std::string> Sorted(std::vector<std::string> names);

// A fixed time with a sub-second part, distinct for each k.
uint64_t SampleFileTime(int k);
// Lines joined with CR LF; the last line gets one too unless lastLineFeed is false.
std::string CrLfScript(const std::vector<std::string>& lines, bool lastLineFeed = true);
// The shared reproducible inputs (test_inputs.h) as file contents: noise, words, and
// machine-code-like data.
std::string RandomText(size_t size, uint64_t seed);
std::string WordsText(size_t size, uint64_t seed);
std::string MixedText(size_t size, uint64_t seed);

// One line of zbscripttool.log.
struct ToolRun {
  std::string tag, module, cwd, cmdline;
  std::string silent;  // the value of ZUBREX_SILENT it saw
  int priority = -99;  // of the installer's thread while the program ran, when asked for
  int exitCode = -1;
};
std::vector<ToolRun> ReadToolLog(const std::string& path);
std::vector<std::string> ToolTags(const std::vector<ToolRun>& runs);

// A hidden top-level window of a class of its own in the test process, until Release.
class HeldWindow {
 public:
  explicit HeldWindow(const std::string& className);
  ~HeldWindow() { Release(); }
  HeldWindow(const HeldWindow&) = delete;
  HeldWindow& operator=(const HeldWindow&) = delete;
  void Release();

 private:
  HWND window_ = nullptr;
};

// What the user saw from Yes to the status window or an error box. Times in ms after Yes.
struct Trace {
  HWND splash = nullptr, progress = nullptr, status = nullptr, error = nullptr;
  DWORD splashLastMs = 0, progressFirstMs = 0;
  bool splashUpAtProgress = false, splashUpAtEnd = false;
  POINT splashCentre{}, progressCentre{};
  std::string splashTitle, splashNotice, progressText;  // as first seen
  bool splashTitleBar = false;
  int lastBar = -1;  // the bar's last reading before the progress window went
  bool progressGone = false;
};

// Names the cases of a table of a TEST_P by their `name` field.
struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& c) const {
    return c.param.name;
  }
};

using Files = std::vector<std::pair<std::string, std::string>>;  // member name, input path

class Session : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Paths inside the scratch directory, without a trailing backslash.
  const std::string& Dir() const { return dir_; }
  std::string TempDir() const { return dir_ + "\\tmp"; }
  std::string WorkDir() const { return TempDir() + "\\ZubrexInstall"; }
  std::string InstallerPath() const { return dir_ + "\\setup.exe"; }
  std::string ToolLogPath() const { return dir_ + "\\zbscripttool.log"; }
  // A program next to this test program.
  static std::string BinPath(const std::string& name);
  static std::string ScriptToolPath() { return BinPath("zbscripttool.exe"); }

  // Writes in\<name>, with this last-write time unless it is 0; returns its full path.
  std::string WriteInput(const std::string& name, const std::string& contents,
                         uint64_t fileTime = 0);

  // Builds setup.exe: zbpack pack -o setup.exe --stub ... --product PRODUCT OPTIONS... FILES...,
  // the damaging options among OPTIONS (archive_damage.h) done to it afterwards; false
  // (failure recorded) unless both succeed.
  bool Pack(const std::string& product, const std::vector<std::string>& options,
            const std::vector<std::string>& files);
  // Runs zbpack.exe; its exit code (~0u, failure recorded, when it did not run) and output.
  DWORD RunPacker(const std::vector<std::string>& args, std::string* output);
  // zbpack verify and extract of setup.exe (into a fresh folder, returned): both exit 0, or
  // both exit 1 naming failCode, and extract writes nothing beside its folder.
  std::string ExpectPackerReads(uint32_t failCode);

  // Starts setup.exe with these arguments, TMP and TEMP set to TempDir() and zbscripttool's
  // log to ToolLogPath(), then these changes.
  bool Launch(const robot::Environment& changes = {}, const std::string& arguments = "");
  // After Launch: expects the question (its text unchecked when product is empty), presses
  // Yes and follows the windows up to the status window or an error box (failure recorded
  // when neither comes). Unknown windows on the way are failures.
  Trace Yes(const std::string& product);
  // Yes, expecting the status window; null (failure recorded) otherwise.
  HWND ToStatus(const std::string& product);
  // Yes, expecting the error box with this text and a single OK; null otherwise.
  HWND ToError(const std::string& product, const std::string& text, Trace* trace = nullptr);
  // The splash, progress window and status window in turn, placed and filled as the user
  // expects, for an archive of this many members.
  void ExpectWindowsInTurn(const Trace& trace, const std::string& product, int members);

  // Waits for the stub's dialog with this caption; null (failure recorded) otherwise.
  HWND WaitDialog(const char* caption);
  // The box's caption, exact text and its buttons exactly these among OK, Cancel, Yes, No.
  void ExpectBox(HWND box, const char* caption, const std::string& text,
                 const std::vector<int>& buttons);
  bool Press(HWND window, int buttonId);
  // After pressing a button of `answered`: the stub ends with this exit code and shows no
  // other dialog than that one and the status window.
  void ExpectEnd(HWND answered, DWORD exitCode = 0);
  // OK stays disabled until the final text is shown, then is enabled and has the focus;
  // pressing it ends the run; the work directory is then gone unless workDirStays.
  void FinishWithOk(HWND status, bool workDirStays = false);
  // Presses OK; the exit code is the code that the box shows in parentheses.
  void DismissError(HWND error);

  // Waits until zbscripttool.log has a line of this tag; false (failure recorded, with what
  // the stub shows) when the stub ends, shows an error box or finishes its script first, or
  // the time runs out. The work directory, the log with it, goes at the end of the script:
  // the script must hold the run (a "#CLASS" line of a HeldWindow) at or after that program.
  bool WaitToolTag(const std::string& tag);
  // The stub's windows as the user sees them: class, caption and text.
  std::string DescribeStub();

  // Each name in dir with exactly the bytes and last-write time of its input.
  void ExpectFiles(const std::string& dir, const Files& files);

  const robot::Process& Stub() const { return stub_; }

 private:
  std::string dir_;
  robot::Process stub_;
};

}  // namespace e2e
