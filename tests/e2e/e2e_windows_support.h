// Following the stub's windows through a run that the user agrees to, as the user sees them:
// the splash, the progress window below it, the status window with its final text and OK.
#pragma once

#include <windows.h>

#include <string>

#include "stub_session.h"

namespace e2e {
// Nested: other helpers' support files share namespace e2e.
namespace seq {

// The stub's own texts and control ids.
std::string ProgressTextFor(const std::string& product);
constexpr int kProgressBarId = 1000;      // IDC_PROGRESS
constexpr int kProgressTextId = 1001;     // IDC_PROGRESS_TEXT
constexpr int kSplashTitleId = 1002;      // IDC_TITLE
constexpr int kSplashNoticeId = 1003;     // IDC_NOTICE
constexpr int kStatusTextId = 1004;       // IDC_STATUS_TEXT
constexpr int kStatusOkId = 1005;         // IDC_OK

// Pixels by which a measured position may differ from the computed one (frame rounding).
constexpr int kPlacementSlackPx = 2;

class WindowSequence : public StubSession {
 protected:
  // After Launch(): checks the question for `product`, answers Yes and follows the windows up
  // to the status window, checking on the way (failures recorded):
  //  - the splash (no caption, title and notice) comes first and is still up 1.5 s after Yes;
  //  - the progress window comes no earlier than that, while the splash is up, centred 150 px
  //    below the desktop's centre, with the caption line for `product`;
  //  - its bar, sampled until the window goes, last reads memberCount + 1 (full);
  //  - the splash is gone when the status window comes; no other window shows.
  // Returns the status window, or null when the run did not get there.
  HWND YesThroughProgress(const std::string& product, int memberCount);

  // After Launch(): checks the question for `product`, answers Yes and expects the splash
  // (up 1.5 s after Yes as above), then, once it is gone and with no progress window shown,
  // the error box. Returns the error box, or null when it did not come.
  HWND YesThroughSplashToError(const std::string& product);

  // With the status window up: OK stays disabled until the final text is shown, is then
  // enabled and has the focus; pressing it ends the stub with exit code 0 and no other window.
  // `scriptTexts` are status texts the window may show before the final text.
  void FinishWithOk(HWND status, const std::vector<std::string>& scriptTexts = {});
};

// The centre of a window's rectangle.
POINT CentreOf(HWND window);

}  // namespace seq
}  // namespace e2e
