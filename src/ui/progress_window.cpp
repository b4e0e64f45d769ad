#include "ui/progress_window.h"

#include <commctrl.h>

#include "common/extracted_bytes.h"
#include "common/messages.h"
#include "resource.h"
#include "ui/common_controls.h"
#include "ui/dialogs.h"
#include "ui/pump.h"

// Zero-initialised, so that the program carries no initialised data section for it: the
// meter takes its start values when the first window opens, before any message can reach it.
ProgressState progressState = {};

namespace {

// Where the window's centre goes, relative to the desktop's: below the splash, which stands
// in the middle of the screen during the whole extraction. Pixels at 96 DPI: the stub is
// DPI-aware, so the dialogs grow with the system DPI and the offset must grow with them.
constexpr int kOffsetBelowSplashPx = 150;
constexpr int kBaseDpi = 96;
constexpr uint32_t kCloseLingerMs = 1000;
// IsBadStringPtrA's length: the caption line's buffer size.
constexpr UINT_PTR kCaptionTextBytes = 256;

void OnInitDialog(HWND window) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  CenterOnDesktop(window, 0, MulDiv(kOffsetBelowSplashPx, dpi, kBaseDpi));
  if (!progressState.meterStarted) {
    progressState.meter = kFreshProgressMeter;
    progressState.meterStarted = true;
  }
  progressState.progressBar = GetDlgItem(window, IDC_PROGRESS);
  SendMessageA(progressState.progressBar, PBM_SETPOS, 0, 0);
  extractedBytes = 0;
  StartSampling(progressState.meter);
  SetTimer(window, kProgressTimerId, kProgressTimerPeriodMs, nullptr);
}

void OnTimer(HWND window) {
  const uint32_t fresh = TakeNewBytes(progressState.meter, extractedBytes);
  if (fresh > 0) {
    // Unsigned 32-bit in lParam; OnAddBytes takes it back as such, also where LPARAM is 32-bit.
    SendMessageA(window, kMsgAddBytes, 0, static_cast<LPARAM>(fresh));
  }
}

void OnAddBytes(HWND window, uint32_t bytes) {
  AddPendingBytes(progressState.meter, bytes);
  while (TakePendingStep(progressState.meter)) {
    SendMessageA(window, kMsgStepIt, 0, 0);
  }
}

void OnSetText(HWND window, const char* text) {
  const HWND line = GetDlgItem(window, IDC_PROGRESS_TEXT);
  // The senders pass a caption buffer; a pointer that cannot be read is dropped, not shown.
  if (IsBadStringPtrA(text, kCaptionTextBytes)) {
    return;
  }
  SetWindowTextA(line, text);
}

void OnClose(HWND window) {
  KillTimer(window, kProgressTimerId);
  // Bytes written after the last tick never became steps: show the bar full regardless.
  SendMessageA(progressState.progressBar, PBM_SETPOS, progressState.meter.rangeUpper, 0);
  WaitPumping(kCloseLingerMs);
  DestroyWindow(window);
}

}  // namespace

void SendSetText(HWND window, const char* text) {
  SendMessageA(window, kMsgSetText, 0, reinterpret_cast<LPARAM>(text));
}

void SendSetRange(HWND window, uint32_t lower, uint32_t upper) {
  SendMessageA(window, kMsgSetRange, 0, static_cast<LPARAM>(PackRange(lower, upper)));
}

void SendSetStep(HWND window, int32_t step) {
  SendMessageA(window, kMsgSetStep, static_cast<WPARAM>(step), 0);
}

void SendSetTotal(HWND window, uint32_t totalBytes) {
  SendMessageA(window, kMsgSetTotal, 0, static_cast<LPARAM>(totalBytes));
}

INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      return 1;
    case WM_TIMER:  // the only timer of the window; its id is not examined
      OnTimer(window);
      return 1;
    case WM_ACTIVATE:  // keeps the dialog manager from saving and restoring the focus
      return 1;
    case kMsgClose:
      OnClose(window);
      return 1;
    case kMsgStepIt:
      if (TakeStep(progressState.meter)) {
        SendMessageA(progressState.progressBar, PBM_STEPIT, 0, 0);
      }
      return 1;
    case kMsgSetRange: {
      const ProgressRange range = UnpackRange(static_cast<uint32_t>(lParam));
      SendMessageA(progressState.progressBar, PBM_SETRANGE, 0,
                   static_cast<LPARAM>(PackRange(range.lower, range.upper)));
      SetMeterRange(progressState.meter, range);
      return 1;
    }
    case kMsgSetStep:
      SendMessageA(progressState.progressBar, PBM_SETSTEP, wParam, 0);
      SetMeterStep(progressState.meter, static_cast<int32_t>(wParam));
      return 1;
    case kMsgAddBytes:
      OnAddBytes(window, static_cast<uint32_t>(lParam));
      return 1;
    case kMsgSetTotal:
      // Totals of 2 GiB and more arrive as negative 32-bit LPARAMs: the low 32 bits are the
      // unsigned count.
      SetMeterTotal(progressState.meter, static_cast<uint32_t>(lParam));
      return 1;
    case kMsgSetText:
      OnSetText(window, reinterpret_cast<const char*>(lParam));
      return 1;
    default:
      return 0;
  }
}
