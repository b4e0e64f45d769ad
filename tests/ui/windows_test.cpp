// The three dialogs, made from the real resources in this process, driven with their private
// messages. Runs under Wine; each test leaves no window and no pending message behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "archive/member_transfer.h"
#include "common/app_globals.h"
#include "resource.h"
#include "ui/common_controls.h"
#include "ui/dialogs.h"
#include "common/messages.h"
#include "ui/progress_window.h"
#include "ui/pump.h"

// The run's process-wide values; the stub defines them in its driver, this program here.
HINSTANCE appInstance;
HWND mainWindow;
HWND statusWindow;
char exePathBuffer[kPathSize];

namespace {

constexpr char kOwnerClass[] = "ZubrexUiTestOwner";
constexpr UINT kOwnerPing = WM_APP + 1;  // posted to the owner to see when messages get dispatched

// What the hidden owner window has seen.
struct OwnerLog {
  int closes;
  int pings;
  HWND watched;           // a window whose existence is recorded at WM_CLOSE
  bool watchedAtClose;
};
OwnerLog ownerLog;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++ownerLog.closes;
    ownerLog.watchedAtClose = IsWindow(ownerLog.watched) != FALSE;
    return 0;
  }
  if (message == kOwnerPing) {
    ++ownerLog.pings;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// What reached the progress bar control, seen through a subclass of it.
struct BarLog {
  WNDPROC original;
  int stepIts;
  int setPosCount;
  WPARAM lastSetPos;
};
BarLog barLog;

LRESULT CALLBACK BarSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_STEPIT) {
    ++barLog.stepIts;
  } else if (message == PBM_SETPOS) {
    ++barLog.setPosCount;
    barLog.lastSetPos = wParam;
  }
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
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = appInstance;
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass);  // fails harmlessly for the second suite
  }

  void SetUp() override {
    ownerLog = {};
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

// ---------------------------------------------------------------------------------------------
// Progress window

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
    lineLog.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(GetDlgItem(window, IDC_PROGRESS_TEXT), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(LineSpy)));
    return window;
  }

  static int BarPosition() {
    return static_cast<int>(SendMessageA(progressState.progressBar, PBM_GETPOS, 0, 0));
  }

  // One timer tick as the system delivers it.
  static void Tick(HWND window) { SendMessageA(window, WM_TIMER, kProgressTimerId, 0); }
};

TEST_F(ProgressWindowTest, OpeningResetsTheByteCountersButKeepsTheRestOfTheState) {
  progressState.meter.bytesPerStep = 321;
  progressState.meter.stepsTaken = 4;
  progressState.meter.reportedBytes = 999;
  extractedBytes = 5000;

  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(extractedBytes, 0);
  EXPECT_EQ(progressState.meter.reportedBytes, 0);
  EXPECT_EQ(progressState.meter.sampledBytes, 0);
  EXPECT_EQ(progressState.meter.bytesPerStep, 321);
  EXPECT_EQ(progressState.meter.stepsTaken, 4);
  EXPECT_EQ(BarPosition(), 0);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_STREQ(TextOf(window, IDC_PROGRESS_TEXT).c_str(), "");
}

TEST_F(ProgressWindowTest, StandsCentredOneHundredFiftyPixelsBelowTheDesktopCentre) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  RECT desktop, own;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  EXPECT_EQ(own.left, desktop.left + (desktop.right - desktop.left) / 2 - width / 2);
  EXPECT_EQ(own.top, desktop.top + (desktop.bottom - desktop.top) / 2 + 150 - height / 2);
}

TEST_F(ProgressWindowTest, ReturnsOneForItsMessagesAndZeroForTheStatusWindows) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  // SendMessageA to a dialog returns DWLP_MSGRESULT, so the procedure is asked directly.
  const char text[] = "caption";
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetText, 0, reinterpret_cast<LPARAM>(text)), 1);
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetRange, 0, PackRange(1, 3)), 1);
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetStep, 1, 0), 1);
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetTotal, 0, 0), 1);
  EXPECT_EQ(ProgressDialogProc(window, kMsgAddBytes, 0, 0), 1);
  EXPECT_EQ(ProgressDialogProc(window, kMsgStepIt, 0, 0), 1);
  EXPECT_EQ(ProgressDialogProc(window, WM_TIMER, kProgressTimerId, 0), 1);
  EXPECT_EQ(ProgressDialogProc(window, WM_ACTIVATE, WA_INACTIVE, 0), 1);

  const int stepsBefore = barLog.stepIts;
  EXPECT_EQ(ProgressDialogProc(window, kMsgSetStatus, 0, reinterpret_cast<LPARAM>("x")), 0);
  EXPECT_EQ(ProgressDialogProc(window, kMsgEnableOk, 0, 0), 0);
  EXPECT_EQ(ProgressDialogProc(window, WM_COMMAND, IDOK, 0), 0);
  EXPECT_EQ(barLog.stepIts, stepsBefore);
  EXPECT_STREQ(TextOf(window, IDC_PROGRESS_TEXT).c_str(), "caption");
  EXPECT_TRUE(IsWindow(window));
}

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

TEST_F(ProgressWindowTest, CloseFillsTheBarDispatchesForASecondAndDestroys) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendSetRange(window, 1, 9);
  SendSetStep(window, 1);
  SendSetTotal(window, 800);
  PostMessageA(mainWindow, kOwnerPing, 0, 0);

  const DWORD start = GetTickCount();
  SendClose(window);
  const DWORD elapsed = GetTickCount() - start;

  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(barLog.stepIts, 0);
  EXPECT_EQ(barLog.lastSetPos, 9u);  // full, although no step was taken
  EXPECT_EQ(ownerLog.pings, 1);      // other windows' messages ran during the wait
  EXPECT_GE(elapsed, 990u);          // the tick count's granularity allows a little less
}

// ---------------------------------------------------------------------------------------------
// Status window

class StatusWindowTest : public DialogTest {
 protected:
  HWND Open() {
    const HWND window = CreateModelessDialog(IDD_STATUS, mainWindow, StatusDialogProc);
    EXPECT_NE(window, nullptr);
    ownerLog.watched = window;
    return window;
  }
};

TEST_F(StatusWindowTest, StartsVisibleWithEmptyTextAndOkDisabled) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_STREQ(TextOf(window, IDC_STATUS_TEXT).c_str(), "");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_OK)));
  char title[128];
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Zubrex Self-Extracting Archive Status");
}

TEST_F(StatusWindowTest, StatusTextIsReplacedClearedAndCutAt255Characters) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendSetStatus(window, "Installing the runtime ...");
  EXPECT_STREQ(TextOf(window, IDC_STATUS_TEXT).c_str(), "Installing the runtime ...");
  SendSetStatus(window, "");
  EXPECT_STREQ(TextOf(window, IDC_STATUS_TEXT).c_str(), "");

  char longText[301];
  for (int i = 0; i < 300; ++i) longText[i] = static_cast<char>('a' + i % 26);
  longText[300] = '\0';
  SendSetStatus(window, longText);
  EXPECT_EQ(TextOf(window, IDC_STATUS_TEXT), std::string(longText, 255));

  EXPECT_EQ(StatusDialogProc(window, kMsgSetStatus, 0, reinterpret_cast<LPARAM>("x")), 1);
}

TEST_F(StatusWindowTest, EnableOkEnablesAndFocusesTheButton) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendEnableOk(window);
  const HWND ok = GetDlgItem(window, IDC_OK);
  EXPECT_TRUE(IsWindowEnabled(ok));
  EXPECT_EQ(GetFocus(), ok);
  EXPECT_EQ(StatusDialogProc(window, kMsgEnableOk, 0, 0), 1);
}

TEST_F(StatusWindowTest, OkClickDestroysTheWindowBeforeClosingTheOwner) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendEnableOk(window);
  const HWND ok = GetDlgItem(window, IDC_OK);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_OK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ownerLog.closes, 1);
  EXPECT_FALSE(ownerLog.watchedAtClose);
}

TEST_F(StatusWindowTest, OtherNotificationsOfTheButtonChangeNothing) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  SendEnableOk(window);
  const LPARAM ok = reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_OK));
  EXPECT_EQ(StatusDialogProc(window, WM_COMMAND, MAKEWPARAM(IDC_OK, BN_SETFOCUS), ok), 0);
  EXPECT_EQ(StatusDialogProc(window, WM_COMMAND, MAKEWPARAM(IDC_OK, BN_KILLFOCUS), ok), 0);
  EXPECT_EQ(StatusDialogProc(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(ownerLog.closes, 0);
}

TEST_F(StatusWindowTest, CloseDestroysAtOnceWithoutClosingTheOwner) {
  const HWND window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(StatusDialogProc(window, WM_ACTIVATE, WA_ACTIVE, 0), 1);
  EXPECT_EQ(StatusDialogProc(window, WM_INITDIALOG, 0, 0), 0);
  SendClose(window);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ownerLog.closes, 0);
}

// ---------------------------------------------------------------------------------------------
// Splash, placement, dispatching

using SplashTest = DialogTest;

TEST_F(SplashTest, ShowsTheTitleAndIsDestroyedAtOnceByClose) {
  const HWND window = CreateModelessDialog(IDD_SPLASH, mainWindow, SplashDialogProc);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_STREQ(TextOf(window, IDC_TITLE).c_str(), "Zubrex Self-Extracting Archive");
  EXPECT_EQ(SplashDialogProc(window, WM_ACTIVATE, WA_ACTIVE, 0), 1);
  EXPECT_EQ(SplashDialogProc(window, WM_INITDIALOG, 0, 0), 0);
  EXPECT_EQ(SplashDialogProc(window, kMsgSetStatus, 0, 0), 0);

  const DWORD start = GetTickCount();
  SendClose(window);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_LT(GetTickCount() - start, 500u);  // no lingering like the progress window
}

TEST_F(SplashTest, CenterOnDesktopTruncatesEachHalfOnItsOwn) {
  const HWND window = CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 301, 151, nullptr,
                                      nullptr, appInstance, nullptr);
  ASSERT_NE(window, nullptr);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const int centreX = desktop.left + (desktop.right - desktop.left) / 2;
  const int centreY = desktop.top + (desktop.bottom - desktop.top) / 2;

  const int offsets[][2] = {{0, 0}, {-40, 25}, {7, -3}};
  for (const auto& offset : offsets) {
    CenterOnDesktop(window, offset[0], offset[1]);
    RECT own;
    GetWindowRect(window, &own);
    EXPECT_EQ(own.left, centreX + offset[0] - 150);  // 301 / 2 truncated
    EXPECT_EQ(own.top, centreY + offset[1] - 75);
    EXPECT_EQ(own.right - own.left, 301);
    EXPECT_EQ(own.bottom - own.top, 151);
  }
  DestroyWindow(window);
}

TEST_F(SplashTest, WaitPumpingZeroDispatchesNothingAndPumpMessagesOnlyOne) {
  PostMessageA(mainWindow, kOwnerPing, 0, 0);
  PostMessageA(mainWindow, kOwnerPing, 0, 0);
  WaitPumping(0);
  EXPECT_EQ(ownerLog.pings, 0);
  PumpMessages();
  EXPECT_EQ(ownerLog.pings, 1);
  PumpMessages();
  PumpMessages();  // empty queue: returns at once
  EXPECT_EQ(ownerLog.pings, 2);
}

TEST_F(SplashTest, PacedPumpingLooksAtTheQueueOncePerIntervalAndStillDrainsIt) {
  constexpr int kMessages = 20;
  for (int i = 0; i < kMessages; ++i) PostMessageA(mainWindow, kOwnerPing, 0, 0);
  // Back-to-back calls take far less than the interval; the tick count may step once in
  // between (it is coarse under Wine), so at most two looks, one message each.
  for (int i = 0; i < kMessages; ++i) PumpMessagesPaced();
  EXPECT_LE(ownerLog.pings, 2);
  // Over time every message is dispatched, one per look.
  const DWORD start = GetTickCount();
  while (ownerLog.pings < kMessages && GetTickCount() - start < 5000) PumpMessagesPaced();
  EXPECT_EQ(ownerLog.pings, kMessages);
}

}  // namespace
