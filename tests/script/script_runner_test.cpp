// RunScript under Wine, for what a run of the installer does not show: the thread's priority
// and current directory while a program runs and after the script ends or fails, the status
// texts in order, and the failures before the first line. The lines' own behaviour (exit codes,
// window waits, line lengths) is seen end to end.
#include "script/script_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/messages.h"
#include "scratch_dir.h"

// The process-wide values the stub's driver defines; this test links without the driver.
HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND statusWindow = nullptr;
char exePathBuffer[kPathSize] = {};

namespace {

constexpr char kStandInClass[] = "ZbScriptStatusStandIn";
using Texts = std::vector<std::string>;

// Every kMsgSetStatus text the stand-in for the status window received, in order. It also
// takes the text as its title, so that a started program can read what was shown while it ran.
Texts statusTexts;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgSetStatus) {
    const char* text = reinterpret_cast<const char*>(lParam);
    statusTexts.push_back(text);
    SetWindowTextA(window, text);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, buffer);
  return buffer;
}

class RunScriptTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kStandInClass;
    RegisterClassA(&windowClass);
    statusWindow = CreateWindowA(kStandInClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(statusWindow); }

  void SetUp() override {
    ASSERT_NE(statusWindow, nullptr);
    statusTexts.clear();
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string tool = std::string(self, std::strrchr(self, '\\') + 1) + "zbscripttool.exe";
    ASSERT_TRUE(CopyFileA(tool.c_str(), work_.Path("setup.exe").c_str(), FALSE)) << tool;
    startDir_ = CurrentDirectory();
  }
  void TearDown() override { SetCurrentDirectoryA(startDir_.c_str()); }

  // Writes script byte for byte as the script member and points context at it.
  void WriteScript(const std::string& script) {
    WriteFileText(work_.Path("install.txt"), script);
    lstrcpynA(context_.workDir, work_.Path("").c_str(), kPathSize);
    context_.workDirLength = static_cast<uint32_t>(work_.Path("").size());
    lstrcpynA(context_.scriptPath, work_.Path("install.txt").c_str(), kPathSize);
    context_.trailer.scriptIndex = 2;
  }

  // What the runner must leave behind whatever the outcome.
  void ExpectRestored() {
    EXPECT_EQ(CurrentDirectory(), startDir_);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(context_.scriptFile, nullptr);
  }

  std::string ToolLog() const {
    const Bytes log = ReadFileBytes(work_.Path("zbscripttool.log"));
    return std::string(log.begin(), log.end());
  }

  ScratchDir work_;
  std::string startDir_;
  ArchiveContext context_;
};

TEST_F(RunScriptTest, CarriesOutTheLinesInOrderAndRestoresTheThread) {
  char threadId[16];
  std::snprintf(threadId, sizeof threadId, "%lu", GetCurrentThreadId());
  const std::string command =
      std::string("setup.exe first status ") + kStandInClass + " priority " + threadId;
  WriteScript("; comment\r\n>Installing\r\n\r\n" + command +
              "\r\n#ZbScriptSkipped\r\n#ZbScriptSkipped \r\n>\r\n>Done\r\n");
  ASSERT_EQ(RunScript(context_), kNoError);

  EXPECT_EQ(statusTexts, (Texts{"Installing", "", "Done"}));
  // One run: the '#' lines without a command start nothing. It saw the status of its time,
  // the work directory as its current one, and the runner idle while it waited.
  const std::string log = ToolLog();
  EXPECT_EQ(log.find("tag=first|"), 0u) << log;
  EXPECT_EQ(log.find("tag=", 1), std::string::npos) << log;
  EXPECT_NE(log.find("|cmdline=" + command + "|status=Installing|priority=" +
                     std::to_string(THREAD_PRIORITY_IDLE) + "|"),
            std::string::npos)
      << log;
  const size_t cwd = log.find("|cwd=") + 5;
  const std::string ranIn = log.substr(cwd, log.find("|cmdline=") - cwd);
  EXPECT_EQ(lstrcmpiA(ranIn.c_str(), work_.root().c_str()), 0) << ranIn;
  ExpectRestored();
}

struct FailureCase {
  const char* what;
  std::string script;
  std::function<void(ArchiveContext&, const ScratchDir&)> change;  // after WriteScript
  ResultCode expected;
  Texts statuses;
};

TEST_F(RunScriptTest, FailuresStopTheScriptAndRestoreTheThread) {
  const FailureCase cases[] = {
      {"missing program", ">before\nzbscript_no_such_program.exe /x\n>after\nsetup.exe late\n",
       nullptr, kSystemError, {"before"}},
      {"no script", ">shown\nsetup.exe ran\n",
       [](ArchiveContext& c, const ScratchDir&) { c.trailer.scriptIndex = 0; }, kNoError, {}},
      {"work directory missing", "setup.exe ran\n",
       [](ArchiveContext& c, const ScratchDir& d) {
         lstrcpynA(c.workDir, d.Path("missing\\").c_str(), kPathSize);
       },
       kBadPath, {}},
      {"script missing", "setup.exe ran\n",
       [](ArchiveContext& c, const ScratchDir& d) {
         lstrcpynA(c.scriptPath, d.Path("missing.txt").c_str(), kPathSize);
       },
       kCannotOpenFile, {}},
      {"script index naming no member", "setup.exe ran\n",
       [](ArchiveContext& c, const ScratchDir&) { c.scriptPath[0] = '\0'; }, kCannotOpenFile, {}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    statusTexts.clear();
    WriteScript(c.script);
    if (c.change) c.change(context_, work_);
    EXPECT_EQ(RunScript(context_), c.expected);
    EXPECT_EQ(statusTexts, c.statuses);
    EXPECT_EQ(ToolLog(), "") << "no program ran";
    ExpectRestored();
  }
}

}  // namespace
