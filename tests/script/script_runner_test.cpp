// RunScript under Wine: real script files in a temporary work directory, real programs
// (zbscripttool.exe, copied in as setup.exe) and a stand-in for the status window.
#include "script/script_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/messages.h"

// The process-wide values the stub's driver defines; this test links without the driver.
HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND statusWindow = nullptr;
char exePathBuffer[kPathSize] = {};

namespace {

constexpr char kStandInClass[] = "ZbScriptStatusStandIn";
constexpr char kToolName[] = "zbscripttool.exe";
constexpr char kToolLog[] = "zbscripttool.log";

// Every kMsgSetStatus text the stand-in received, in order. The stand-in also takes the text as
// its title, so that a started program can read what the status window showed while it ran.
std::vector<std::string> statusTexts;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgSetStatus) {
    const char* text = reinterpret_cast<const char*>(lParam);
    statusTexts.push_back(text);
    SetWindowTextA(window, text);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// One line of the tool's log.
struct ToolRun {
  std::string tag, module, cwd, cmdline, status;
  int priority = 0;
  int exitCode = 0;
};

// The value of "name=value" among the '|'-separated fields of line; "" when absent.
std::string Field(const std::string& line, const std::string& name) {
  const std::string key = name + "=";
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find('|', start);
    if (end == std::string::npos) end = line.size();
    if (line.compare(start, key.size(), key) == 0) {
      return line.substr(start + key.size(), end - start - key.size());
    }
    start = end + 1;
  }
  return "";
}

std::string Directory(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, buffer);
  return buffer;
}

// A program the script started (or its console) may still be ending and hold its file or
// its current directory for a moment: bounded retries.
bool DeleteWithRetry(const std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    Sleep(50);
  }
  return false;
}

DWORD RemoveDirectoryWithRetry(const std::string& path) {
  DWORD error = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (RemoveDirectoryA(path.c_str())) return 0;
    error = GetLastError();
    Sleep(50);
  }
  return error;
}

class RunScriptTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kStandInClass;
    RegisterClassA(&windowClass);
    statusWindow = CreateWindowA(kStandInClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    testDir = Directory(self);
  }

  static void TearDownTestSuite() {
    DestroyWindow(statusWindow);
    statusWindow = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(statusWindow, nullptr);
    statusTexts.clear();
    SetWindowTextA(statusWindow, "");
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    static int serial = 0;
    char name[64];
    std::snprintf(name, sizeof name, "zbscript_%lu_%d\\", GetCurrentProcessId(), ++serial);
    workDir = std::string(temp) + name;
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((testDir + kToolName).c_str(), (workDir + "setup.exe").c_str(), FALSE))
        << "the tool " << kToolName << " belongs beside the test program";
    startDir = CurrentDirectory();
  }

  void TearDown() override {
    SetCurrentDirectoryA(startDir.c_str());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((workDir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          EXPECT_TRUE(DeleteWithRetry(workDir + found.cFileName)) << found.cFileName;
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    EXPECT_EQ(RemoveDirectoryWithRetry(workDir), 0u) << workDir;
  }

  // Writes script byte for byte (so its line ends are exactly those given) and runs it.
  ResultCode Run(const std::string& script) {
    WriteScript(script);
    return RunScript(context);
  }

  void WriteScript(const std::string& script) {
    const std::string path = workDir + "install.txt";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);
    lstrcpynA(context.workDir, workDir.c_str(), kPathSize);
    context.workDirLength = static_cast<uint32_t>(workDir.size());
    lstrcpynA(context.scriptPath, path.c_str(), kPathSize);
    context.trailer.scriptIndex = 2;
  }

  // The tool's runs so far, in order; its log lies in the directory it ran in.
  std::vector<ToolRun> ToolRuns() const {
    std::vector<ToolRun> runs;
    FILE* log = std::fopen((workDir + kToolLog).c_str(), "r");
    if (log == nullptr) return runs;
    char line[2048];
    while (std::fgets(line, sizeof line, log) != nullptr) {
      std::string text(line);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      ToolRun run;
      run.tag = Field(text, "tag");
      run.module = Field(text, "module");
      run.cwd = Field(text, "cwd");
      run.cmdline = Field(text, "cmdline");
      run.status = Field(text, "status");
      run.priority = std::atoi(Field(text, "priority").c_str());
      run.exitCode = std::atoi(Field(text, "exit").c_str());
      runs.push_back(run);
    }
    std::fclose(log);
    return runs;
  }

  std::vector<std::string> ToolTags() const {
    std::vector<std::string> tags;
    for (const ToolRun& run : ToolRuns()) tags.push_back(run.tag);
    return tags;
  }

  // The work directory as a current directory reads: without its final separator.
  std::string WorkDirAsCurrent() const { return workDir.substr(0, workDir.size() - 1); }

  static std::string testDir;  // ends in '\'
  std::string workDir;         // ends in '\'
  std::string startDir;
  ArchiveContext context;
};

std::string RunScriptTest::testDir;

using Texts = std::vector<std::string>;

TEST_F(RunScriptTest, CarriesOutTheLinesInOrder) {
  char threadId[16];
  std::snprintf(threadId, sizeof threadId, "%lu", GetCurrentThreadId());
  const std::string command = std::string("setup.exe first status ") + kStandInClass +
                              " priority " + threadId;
  // CR LF line ends, as a typical script has them; the file is read in text mode.
  ASSERT_EQ(Run("; Zubrex test script\r\n"
                ">Installing\r\n"
                "\r\n" +
                command +
                "\r\n"
                "#ZbScriptSkipped\r\n"
                "#ZbScriptSkipped \r\n"
                ">\r\n"
                ">Done\r\n"),
            kNoError);

  EXPECT_EQ(statusTexts, (Texts{"Installing", "", "Done"}));
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 1u) << "the '#' lines without a command start nothing";
  EXPECT_EQ(runs[0].tag, "first");
  EXPECT_EQ(runs[0].status, "Installing") << "status while the program ran";
  EXPECT_EQ(runs[0].cmdline, command);
  EXPECT_TRUE(SameText(runs[0].cwd, WorkDirAsCurrent())) << runs[0].cwd;
  EXPECT_EQ(runs[0].priority, THREAD_PRIORITY_IDLE) << "the runner's priority while it waited";

  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  EXPECT_EQ(CurrentDirectory(), startDir);
  EXPECT_EQ(context.scriptFile, nullptr);
}

TEST_F(RunScriptTest, LastLineWithoutLineFeedIsCarriedOut) {
  ASSERT_EQ(Run(">One\nsetup.exe last"), kNoError);
  EXPECT_EQ(ToolTags(), (Texts{"last"}));
  ASSERT_EQ(Run(">One\n>Two"), kNoError);
  EXPECT_EQ(statusTexts, (Texts{"One", "One", "Two"}));
}

TEST_F(RunScriptTest, ExitCodesAreNotFailures) {
  ASSERT_EQ(Run("cmd /c exit 3\nsetup.exe three exit 3\n>after\n"), kNoError);
  EXPECT_EQ(statusTexts, (Texts{"after"}));
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].exitCode, 3);
}

TEST_F(RunScriptTest, ProgramEndingWithStillActiveCodeEndsTheWait) {
  // 259 is what GetExitCodeProcess also reports for a running program.
  ASSERT_EQ(Run("setup.exe still exit 259\n>after\n"), kNoError);
  EXPECT_EQ(statusTexts, (Texts{"after"}));
  EXPECT_EQ(ToolTags(), (Texts{"still"}));
}

TEST_F(RunScriptTest, MissingProgramStopsTheScript) {
  EXPECT_EQ(Run(">before\nzbscript_no_such_program.exe /x\n>after\nsetup.exe late\n"),
            kSystemError);
  EXPECT_EQ(statusTexts, (Texts{"before"}));
  EXPECT_TRUE(ToolRuns().empty()) << "lines after the failure are not read";
  EXPECT_EQ(CurrentDirectory(), startDir);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

TEST_F(RunScriptTest, WindowClassThatNeverExistsIsWaitedForAboutASecond) {
  const DWORD start = GetTickCount();
  ASSERT_EQ(Run("#ZbScriptNoSuchClass setup.exe named\n# setup.exe unnamed\n>after\n"),
            kNoError);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(ToolTags(), (Texts{"named", "unnamed"}));
  EXPECT_EQ(statusTexts, (Texts{"after"}));
  EXPECT_GE(elapsed, 2u * 1000u) << "1000 ms after each program";
  EXPECT_LT(elapsed, 30u * 1000u) << "no endless wait on a class that never exists";
}

TEST_F(RunScriptTest, LingeringWindowIsWaitedOut) {
  // The program leaves behind a window of the class that lives 3 s more: longer than the
  // runner's 1000 ms, so only the wait on the class explains its being gone afterwards.
  const char kLingerClass[] = "ZbScriptLinger";
  ASSERT_EQ(FindWindowA(kLingerClass, nullptr), nullptr);
  ASSERT_EQ(Run(std::string("#") + kLingerClass + " setup.exe spawner spawn " + kLingerClass +
                " 3000\n>after\n"),
            kNoError);
  EXPECT_EQ(FindWindowA(kLingerClass, nullptr), nullptr);
  EXPECT_EQ(statusTexts, (Texts{"after"}));
  const std::vector<ToolRun> runs = ToolRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].tag, "holder");
  EXPECT_EQ(runs[1].tag, "spawner");
  EXPECT_EQ(runs[1].exitCode, 0) << "the window existed when the started program ended";
}

TEST_F(RunScriptTest, NoScriptDoesNothing) {
  WriteScript(">shown\nsetup.exe ran\n");
  context.trailer.scriptIndex = 0;
  EXPECT_EQ(RunScript(context), kNoError);
  EXPECT_TRUE(statusTexts.empty());
  EXPECT_TRUE(ToolRuns().empty());
}

TEST_F(RunScriptTest, WorkDirThatCannotBeMadeCurrent) {
  WriteScript("setup.exe ran\n");
  lstrcpynA(context.workDir, (workDir + "missing\\").c_str(), kPathSize);
  EXPECT_EQ(RunScript(context), kBadPath);
  EXPECT_EQ(CurrentDirectory(), startDir);
  EXPECT_TRUE(ToolRuns().empty());
}

TEST_F(RunScriptTest, ScriptThatCannotBeOpened) {
  WriteScript("setup.exe ran\n");
  lstrcpynA(context.scriptPath, (workDir + "missing.txt").c_str(), kPathSize);
  EXPECT_EQ(RunScript(context), kCannotOpenFile);
  EXPECT_EQ(CurrentDirectory(), startDir);
  context.scriptPath[0] = '\0';  // a script index that named no member
  EXPECT_EQ(RunScript(context), kCannotOpenFile);
  EXPECT_EQ(CurrentDirectory(), startDir);
  EXPECT_EQ(context.scriptFile, nullptr);
}

TEST_F(RunScriptTest, OverlongLineStopsTheScript) {
  const std::string overlong = "setup.exe cut " + std::string(300, 'x');
  EXPECT_EQ(Run(">before\n" + overlong + "\nsetup.exe late\n>after\n"), kUnsupportedArchive);
  EXPECT_EQ(statusTexts, (Texts{"before"}));
  EXPECT_TRUE(ToolRuns().empty()) << "neither the cut command nor its tail nor later lines";
  EXPECT_EQ(CurrentDirectory(), startDir);
  EXPECT_EQ(context.scriptFile, nullptr);
}

}  // namespace
