#include "e2e_windows_support.h"

#include <cstdlib>
#include <sstream>

namespace e2e {
namespace seq {

namespace {

const char kSplashTitle[] = "Zubrex Self-Extracting Archive";
// The splash must be up at least this long after Yes: the stub shows it for 2000 ms before it
// extracts; the margin absorbs how late this process sees it.
constexpr DWORD kSplashStandsMs = 1500;
constexpr DWORD kPollMs = 5;
constexpr DWORD kFocusWaitMs = 5000;

std::string Describe(const RECT& r) {
  std::ostringstream out;
  out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
  return out.str();
}

bool Up(HWND window) { return window != nullptr && IsWindow(window) && IsWindowVisible(window); }

}  // namespace

std::string ProgressTextFor(const std::string& product) {
  return "Extracting the " + product + " Installation files ...";
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND WindowSequence::YesThroughProgress(const std::string& product, int memberCount) {
  HWND question = WaitBox(kQuestionCaption);
  if (question == nullptr) return nullptr;
  ExpectBox(question, kQuestionCaption, QuestionFor(product), {IDYES, IDNO});
  if (!Press(question, IDYES)) return nullptr;
  // The splash is made after the question box has returned, so after this moment.
  const DWORD yes = GetTickCount();

  HWND splash = nullptr, progress = nullptr, status = nullptr;
  DWORD splashFirstMs = 0, splashLastMs = 0, progressFirstMs = 0;
  POINT splashCentre{};
  bool splashUpWithProgress = false, splashUpWithStatus = false, progressGone = false;
  int lastPosition = -1;
  int readings = 0;
  std::vector<std::string> others;
  std::vector<HWND> othersSeen;
  for (;;) {
    const DWORD now = GetTickCount() - yes;
    const bool ended = !Stub().Running();
    for (const robot::WindowInfo& w : robot::ListWindows(Stub().id())) {
      if (w.window == question) continue;
      if (w.window == splash) {
        splashLastMs = now;
      } else if (w.window == progress || w.window == status) {
      } else if (splash == nullptr && w.className == robot::kDialogClass && w.caption.empty() &&
                 robot::ControlExists(w.window, kSplashTitleId)) {
        splash = w.window;
        splashFirstMs = splashLastMs = now;
        splashCentre = CentreOf(splash);
        EXPECT_EQ(progress, nullptr) << "the progress window came before the splash";
        EXPECT_EQ(robot::ControlText(splash, kSplashTitleId), kSplashTitle);
        EXPECT_FALSE(robot::ControlText(splash, kSplashNoticeId).empty())
            << "the splash's notice is empty or missing";
        const LONG style = GetWindowLongA(splash, GWL_STYLE);
        EXPECT_NE(style & WS_CAPTION, WS_CAPTION) << "the splash has a title bar";
      } else if (progress == nullptr && w.className == robot::kDialogClass &&
                 w.caption == kQuestionCaption && robot::ControlExists(w.window, kProgressBarId)) {
        progress = w.window;
        progressFirstMs = now;
        splashUpWithProgress = Up(splash);
        EXPECT_EQ(robot::ControlText(progress, kProgressTextId), ProgressTextFor(product));
        EXPECT_EQ(robot::WindowClass(robot::Control(progress, kProgressBarId)),
                  "msctls_progress32");
        // Centred 150 px below the desktop's centre (the desktop as this process sees it,
        // which under Wine is the same one the stub sees).
        RECT desktop{};
        GetWindowRect(GetDesktopWindow(), &desktop);
        RECT r{};
        GetWindowRect(progress, &r);
        const POINT centre = CentreOf(progress);
        const LONG wantX = desktop.left + (desktop.right - desktop.left) / 2;
        const LONG wantY = desktop.top + (desktop.bottom - desktop.top) / 2 + 150;
        EXPECT_LE(std::labs(centre.x - wantX), kPlacementSlackPx)
            << "progress window " << Describe(r) << " on desktop " << Describe(desktop);
        EXPECT_LE(std::labs(centre.y - wantY), kPlacementSlackPx)
            << "progress window " << Describe(r) << " on desktop " << Describe(desktop);
      } else if (status == nullptr && w.className == robot::kDialogClass &&
                 w.caption == kStatusCaption) {
        status = w.window;
        splashUpWithStatus = Up(splash);
      } else if (w.className == robot::kDialogClass && w.caption == kErrorCaption) {
        ADD_FAILURE() << "error box: \"" << Printable(robot::MessageBoxText(w.window)) << "\"";
        return nullptr;
      } else {
        bool known = false;
        for (HWND h : othersSeen) known = known || h == w.window;
        if (!known) {
          othersSeen.push_back(w.window);
          others.push_back(w.className + " \"" + Printable(w.caption) + "\"");
        }
      }
    }
    // The bar while the window lives; a reading is kept only if the window still existed
    // after it, so the last one kept is the bar as it stood right before the window went.
    if (progress != nullptr && !progressGone) {
      const int position = robot::ProgressPosition(progress, kProgressBarId);
      if (position >= 0 && IsWindow(progress)) {
        lastPosition = position;
        ++readings;
      }
      progressGone = !IsWindow(progress);
    }
    if (status != nullptr || ended || now >= kWaitMs) break;
    Sleep(kPollMs);
  }

  EXPECT_TRUE(others.empty()) << "unexpected window: " << others[0];
  if (splash == nullptr) {
    ADD_FAILURE() << "no splash after Yes";
  } else {
    EXPECT_GE(splashLastMs, kSplashStandsMs)
        << "the splash, first seen " << splashFirstMs << " ms after Yes, was gone by "
        << splashLastMs << " ms";
    EXPECT_FALSE(splashUpWithStatus) << "the splash was still up beside the status window";
    // DS_CENTER: in the middle of the screen (the progress window stands below it).
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_LE(std::labs(splashCentre.x - (desktop.left + desktop.right) / 2), kPlacementSlackPx)
        << "splash centre x " << splashCentre.x << " on desktop " << Describe(desktop);
    EXPECT_LE(std::labs(splashCentre.y - (desktop.top + desktop.bottom) / 2), kPlacementSlackPx)
        << "splash centre y " << splashCentre.y << " on desktop " << Describe(desktop);
  }
  if (progress == nullptr) {
    ADD_FAILURE() << "no progress window after Yes";
  } else {
    EXPECT_GE(progressFirstMs, kSplashStandsMs)
        << "the progress window came before the splash's pause was over";
    EXPECT_TRUE(splashUpWithProgress) << "the splash was not up when the progress window came";
    EXPECT_TRUE(progressGone || !IsWindow(progress)) << "the progress window is still up";
    EXPECT_EQ(lastPosition, memberCount + 1)
        << "the bar's last reading before the progress window closed (" << readings
        << " readings)";
  }
  if (status == nullptr) {
    DWORD code = 0;
    if (Stub().WaitExit(0, &code)) {
      ADD_FAILURE() << "the stub ended (exit code " << code << ") without a status window";
    } else {
      ADD_FAILURE() << "no status window within " << kWaitMs << " ms";
    }
    return nullptr;
  }
  // Placed by its template at (0, 0) of the hidden main window's client area: the top-left
  // corner of the screen.
  RECT r{};
  GetWindowRect(status, &r);
  EXPECT_LE(std::labs(r.left), kPlacementSlackPx) << "status window at " << Describe(r);
  EXPECT_LE(std::labs(r.top), kPlacementSlackPx) << "status window at " << Describe(r);
  return status;
}

HWND WindowSequence::YesThroughSplashToError(const std::string& product) {
  HWND question = WaitBox(kQuestionCaption);
  if (question == nullptr) return nullptr;
  ExpectBox(question, kQuestionCaption, QuestionFor(product), {IDYES, IDNO});
  if (!Press(question, IDYES)) return nullptr;
  const DWORD yes = GetTickCount();

  HWND splash = nullptr, error = nullptr;
  DWORD splashLastMs = 0;
  bool splashUpWithError = false;
  std::vector<std::string> others;
  for (;;) {
    const DWORD now = GetTickCount() - yes;
    const bool ended = !Stub().Running();
    for (const robot::WindowInfo& w : robot::ListWindows(Stub().id())) {
      if (w.window == question || w.className != robot::kDialogClass) continue;
      if (w.window == splash) {
        splashLastMs = now;
      } else if (splash == nullptr && w.caption.empty() &&
                 robot::ControlExists(w.window, kSplashTitleId)) {
        splash = w.window;
        splashLastMs = now;
        EXPECT_EQ(error, nullptr) << "the error box came before the splash";
      } else if (w.caption == kErrorCaption) {
        error = w.window;
        splashUpWithError = Up(splash);
      } else {
        others.push_back(Printable(w.caption));
      }
    }
    if (error != nullptr || ended || now >= kWaitMs) break;
    Sleep(kPollMs);
  }
  EXPECT_TRUE(others.empty()) << "unexpected window \"" << others[0] << "\"";
  if (splash == nullptr) {
    ADD_FAILURE() << "no splash after Yes";
  } else {
    EXPECT_GE(splashLastMs, kSplashStandsMs) << "the splash was gone too early";
    EXPECT_FALSE(splashUpWithError) << "the splash was still up beside the error box";
  }
  if (error == nullptr) ADD_FAILURE() << "no error box after Yes";
  return error;
}

void WindowSequence::FinishWithOk(HWND status, const std::vector<std::string>& scriptTexts) {
  // Read in this order (enabled, then text), a late enable cannot pass for an early one.
  bool enabled = false;
  std::string shown;
  const DWORD start = GetTickCount();
  for (;;) {
    enabled = robot::ControlEnabled(status, kStatusOkId);
    shown = robot::ControlText(status, kStatusTextId);
    if (enabled) break;
    bool known = shown.empty() || shown == kFinalText;
    for (const std::string& t : scriptTexts) known = known || shown == t;
    EXPECT_TRUE(known) << "status text \"" << Printable(shown) << "\"";
    if (!known || !Stub().Running() || GetTickCount() - start >= kWaitMs) break;
    Sleep(kPollMs);
  }
  ASSERT_TRUE(enabled) << "OK never became enabled; status text \"" << Printable(shown) << "\"";
  EXPECT_EQ(shown, kFinalText) << "OK was enabled before the final text";
  EXPECT_TRUE(robot::ControlVisible(status, kStatusOkId));

  // The focus is the stub thread's own; GetFocus cannot be asked across processes.
  const HWND ok = robot::Control(status, kStatusOkId);
  const DWORD thread = GetWindowThreadProcessId(status, nullptr);
  HWND focus = nullptr;
  const DWORD focusStart = GetTickCount();
  do {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info)) focus = info.hwndFocus;
    if (focus == ok) break;
    Sleep(kPollMs);
  } while (GetTickCount() - focusStart < kFocusWaitMs);
  EXPECT_EQ(focus, ok) << "the focus is on " << robot::WindowClass(focus) << " \""
                       << Printable(robot::WindowCaption(focus)) << "\", not on OK";

  ASSERT_TRUE(Press(status, kStatusOkId));
  std::vector<std::string> after;
  EXPECT_EQ(WaitEnd(status, &after), 0u);
  EXPECT_TRUE(after.empty()) << "a window appeared after OK, first \""
                             << Printable(after.empty() ? "" : after[0]) << "\"";
}

}  // namespace seq
}  // namespace e2e
