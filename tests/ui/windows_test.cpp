// What the end-to-end runs cannot see of the dialogs: a bad caption pointer is never offered to
// the control, the progress window's own timer moves the bar, an over-long status text is cut.
// Made from the real resources in this process under Wine; each test leaves no window and no
// pending message behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/app_globals.h"
#include "common/extracted_bytes.h"
#include "common/messages.h"
#include "resource.h"
#include "ui/common_controls.h"
#include "ui/dialogs.h"
#include "ui/progress_window.h"
#include "ui/pump.h"

// The run's process-wide values; the stub defines them in its driver, this program here.
HINSTANCE appInstance;
HWND mainWindow;
HWND statusWindow;
char exePathBuffer[kPathSize];
bool silentRun;

namespace {

constexpr char kOwnerClass[] = "ZubrexUiTestOwner";

// What reached the progress bar control, seen through a subclass of it.
struct BarLog {
  WNDPROC original;
  int stepIts;
};
BarLog barLog;

LRESULT CALLBACK BarSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_STEPIT) ++barLog.stepIts;
  return CallWindowProcA(barLog.original, window, message, wParam, lParam);
}

// Texts offered to the progress window's caption line, seen through a subclass of it.
struct LineLog {
  WNDPROC original;
  int setTexts;
};
LineLog lineLog;

LRESULT CALLBACK LineSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    ++lineLog.setTexts;
  }
  return CallWindowProcA(lineLog.original, window, message, wParam, lParam);
}

void DrainMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string TextOf(HWND dialog, int controlId) {
  char text[1024];
  GetDlgItemTextA(dialog, controlId, text, sizeof text);
  return text;
}

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    appInstance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(LoadCommonControls());
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = appInstance;
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass);  // fails harmlessly for the second suite
  }

  void SetUp() override {
    barLog = {};
    lineLog = {};
    mainWindow = CreateWindowExA(0, kOwnerClass, "", WS_POPUPWINDOW, 0, 0, 0, 0, nullptr, nullptr,
                                 appInstance, nullptr);
    ASSERT_NE(mainWindow, nullptr);
    DrainMessages();
  }

  void TearDown() override {
    DestroyWindow(mainWindow);  // takes any dialog it owns along
    mainWindow = nullptr;
    DrainMessages();
  }
};

class ProgressWindowTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    progressState = {nullptr, kFreshProgressMeter, true};
    extractedBytes = 0;
  }

  // Opens the window as the extraction does and watches its bar and its caption line.
  HWND Open() {
    const HWND window = CreateModelessDialog(IDD_PROGRESS, mainWindow, ProgressDialogProc);
    EXPECT_NE(window, nullptr);
    if (window == nullptr) return nullptr;
    const HWND bar = GetDlgItem(window, IDC_PROGRESS);
    EXPECT_EQ(progressState.progressBar, bar);
    barLog.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarSpy)));
    lineLog.original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetDlgItem(window, IDC_PROGRESS_TEXT), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LineSpy)));
    return window;
  }

  static int BarPosition() {
    return static_cast<int>(SendMessageA(progressState.progressBar, PBM_GETPOS, 0, 0));
  }
};

TEST_F(ProgressWindowTest, CaptionTakesReadableTextAndIgnoresABadPointer) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendSetText(window, "Extracting the Demo Installation files ...");
  EXPECT_STREQ(TextOf(window, IDC_PROGRESS_TEXT).c_str(),
               "Extracting the Demo Installation files ...");
  EXPECT_EQ(lineLog.setTexts, 1);

  // Wine survives a bad pointer in WM_SETTEXT, so the test is that none is even offered.
  const LPARAM unreadable = 0x10;  // in the never-mapped first page
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetText, 0, unreadable), 1);
  SendMessageA(window, kMsgSetText, 0, 0);
  EXPECT_EQ(lineLog.setTexts, 1);
  EXPECT_STREQ(TextOf(window, IDC_PROGRESS_TEXT).c_str(),
               "Extracting the Demo Installation files ...");
}

TEST_F(ProgressWindowTest, ItsOwnTimerSamplesTheCounter) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendSetRange(window, 0, 100);
  SendSetStep(window, 1);
  SendSetTotal(window, 1000);  // 10 bytes per step
  extractedBytes = 30;
  // Dispatch until the first tick has come (100 ms period), with a generous limit.
  const DWORD start = GetTickCount();
  while (barLog.stepIts == 0 && GetTickCount() - start < 3000) {
    WaitPumping(50);
  }
  WaitPumping(250);  // later ticks find nothing new
  EXPECT_EQ(barLog.stepIts, 3);
  EXPECT_EQ(BarPosition(), 3);
}

using StatusWindowTest = DialogTest;

// A script line cannot be this long; the window must still not take more than its buffer.
TEST_F(StatusWindowTest, StatusTextIsCutAt255Characters) {
  const HWND window = CreateModelessDialog(IDD_STATUS, mainWindow, StatusDialogProc);
  ASSERT_NE(window, nullptr);
  std::string longText(300, 'a');
  for (size_t i = 0; i < longText.size(); ++i) longText[i] = static_cast<char>('a' + i % 26);
  SendSetStatus(window, longText.c_str());
  EXPECT_EQ(TextOf(window, IDC_STATUS_TEXT), longText.substr(0, 255));
}

}  // namespace
