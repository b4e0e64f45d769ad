// The progress window (IDD_PROGRESS): a caption line and a bar driven by the bytes written.
// The extraction opens it with CreateModelessDialog, configures it with SendSetText,
// SendSetRange, SendSetStep and then SendSetTotal (in that order, before dispatching anything),
// and closes it with SendClose. The write callback only adds to extractedBytes; the window
// samples that counter on its own 100 ms timer.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/progress_math.h"

// Timer of the window; it has no timer procedure, so ticks arrive as WM_TIMER.
constexpr UINT_PTR kProgressTimerId = 34047;
constexpr UINT kProgressTimerPeriodMs = 100;

// Process-wide: one progress window at a time, and the state outlives it. Opening the window
// sets progressBar and the meter's byte counters only.
struct ProgressState {
  HWND progressBar;     // the bar control IDC_PROGRESS of the open window
  ProgressMeter meter;  // the numbers; see progress_math.h
  bool meterStarted;    // meter holds kFreshProgressMeter or later values
};
extern ProgressState progressState;

// kMsgSetText: text (NUL-terminated, only read during the send) becomes the caption line.
void SendSetText(HWND window, const char* text);

// kMsgSetRange: the bar's range; each end keeps only its low 16 bits.
void SendSetRange(HWND window, uint32_t lower, uint32_t upper);

// kMsgSetStep: the bar's step increment.
void SendSetStep(HWND window, int32_t step);

// kMsgSetTotal: total bytes of all members; derives the bytes per step from the range and
// step already set.
void SendSetTotal(HWND window, uint32_t totalBytes);

// Returns 1 for WM_INITDIALOG, WM_TIMER, WM_ACTIVATE and kMsgClose, kMsgStepIt, kMsgSetRange,
// kMsgSetStep, kMsgAddBytes, kMsgSetTotal, kMsgSetText (even when they change nothing), and 0
// for everything else, kMsgSetStatus and kMsgEnableOk included. kMsgClose fills the bar,
// dispatches messages for one second and destroys the window before it returns.
INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
