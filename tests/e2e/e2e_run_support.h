// Helpers of the end-to-end tests that play whole runs: extraction, the install script and the
// packer's own reading of the same installers.
//
// Holding a run: a script line "#CLASS command" makes the stub wait, once the command has
// ended, for as long as a top-level window of CLASS exists in any process. HeldWindow creates
// such a window in the test process, so the test decides when the run may go on; meanwhile it
// reads the work directory and the status window at a known point of the script.
//
// The program the scripts start is zbscripttool (next to the test program; packed as a member
// named setup.exe): each run appends a line to zbscripttool.log in its current directory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace run {

constexpr int kStatusTextId = 1004;
constexpr int kStatusOkId = 1005;

// Whole-file contents; ok (when given) tells whether the file could be read.
std::string ReadFileBytes(const std::string& path, bool* ok = nullptr);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The last-write time as a 64-bit FILETIME value; 0 when it cannot be read.
uint64_t LastWriteTime(const std::string& path);
bool SetLastWriteTime(const std::string& path, uint64_t fileTime);

// A fixed time with a sub-second part, distinct for each k, so that a copied time is told
// apart from the time of writing and from a time rounded to seconds.
uint64_t SampleFileTime(int k);

// Lines joined with CR LF; the last line gets one too unless lastLineFeed is false.
std::string CrLfScript(const std::vector<std::string>& lines, bool lastLineFeed = true);

// Deterministic content generators.
std::string RandomBytes(size_t size, uint32_t seed);
std::string TextBytes(size_t size, uint32_t seed);
// Runs of text, random bytes, zeros and a slowly mutating pattern: compresses, but not trivially.
std::string MixedBytes(size_t size, uint32_t seed);

// One member as the installer file holds it, read directly from the bytes.
struct StoredMember {
  std::string name;
  uint32_t storedSize = 0;
  uint32_t compressed = 0;
  uint32_t originalSize = 0;
  uint32_t crc = 0;
  uint64_t lastWriteTime = 0;
  std::string dataStart;  // up to the first 2 data bytes (an implode stream's header)
};
// Walks the archive of an installer by its closing record; false (with a failure recorded)
// when the layout cannot be walked.
bool ReadStoredMembers(const std::string& installer, std::vector<StoredMember>* members);

// One line of zbscripttool.log.
struct ToolRun {
  std::string tag, module, cwd, cmdline;
  int exitCode = -1;
};
// The complete lines of a zbscripttool.log; none when it does not exist.
std::vector<ToolRun> ReadToolLog(const std::string& path);
std::vector<std::string> ToolTags(const std::vector<ToolRun>& runs);

// A hidden top-level window of a class of its own, in the test process, until Release or the
// end of the object.
class HeldWindow {
 public:
  explicit HeldWindow(const std::string& className);
  ~HeldWindow();
  HeldWindow(const HeldWindow&) = delete;
  HeldWindow& operator=(const HeldWindow&) = delete;
  bool held() const { return window_ != nullptr; }
  void Release();

 private:
  std::string className_;
  HWND window_ = nullptr;
};

// What one zbpack run printed and returned.
struct PackerResult {
  bool ran = false;
  DWORD exitCode = ~0u;
  std::string output;  // stdout and stderr
};

// The fixture of these tests: the shared session plus the steps of a whole run.
class RunSession : public StubSession {
 protected:
  std::string ToolLogPath() const { return WorkDir() + "\\zbscripttool.log"; }
  static std::string ScriptToolPath() { return BinPath("zbscripttool.exe"); }

  // Writes in\NAME with this content and time; returns its full path.
  std::string WriteTimedInput(const std::string& name, const std::string& contents,
                              uint64_t fileTime);

  // Launches the installer, answers Yes and waits for the status window. Null (failure
  // recorded) when an error box or nothing comes instead.
  HWND StartToStatus();
  // Launches the installer, answers Yes and waits for the error box; checks its caption, text
  // and single OK button. Null (failure recorded) otherwise. statusShown tells whether the
  // status window was on screen while the error box was up.
  HWND StartToError(const std::string& text, bool* statusShown);

  // Waits (bounded) until zbscripttool.log has a line of this tag; false and a failure when
  // the stub ends or the time runs out first.
  bool WaitToolTag(const std::string& tag);

  // Waits for the final text and the enabled OK, presses OK, expects exit code 0, no further
  // window, and the work directory gone.
  void FinishWithOk(HWND status);
  // Dismisses the error box; expects exit code 0 and no further window.
  void DismissError(HWND error);

  // Runs zbpack.exe (next to the test program) with these arguments.
  PackerResult RunPacker(const std::vector<std::string>& args);
  // zbpack verify of the installer: exit 0, or exit 1 naming this code.
  void ExpectVerify(uint32_t failCode);
  // zbpack extract of the installer into a fresh directory below the scratch directory,
  // which is returned: exit 0, or exit 1 naming this code.
  std::string ExpectExtract(uint32_t failCode);

  // Expects each name to be a file in dir with exactly the bytes and the time of the file
  // in\<input name> beside it in inputs (pairs of member name, input path).
  void ExpectFilesEqual(const std::string& dir,
                        const std::vector<std::pair<std::string, std::string>>& files);
  // Expects the same files with the same bytes and times in both directories.
  void ExpectSameFiles(const std::string& a, const std::string& b,
                       const std::vector<std::string>& names);

  // Names in a directory, "." and ".." left out, sorted.
  static std::vector<std::string> Entries(const std::string& dir);
};

std::vector<std::string> Sorted(std::vector<std::string> names);

}  // namespace run
}  // namespace e2e
