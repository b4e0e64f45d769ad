// The window functions every part of the run shares: making a dialog from the resources, the
// senders of the private messages to the splash and the status window, and placement.
#pragma once
#include <windows.h>

// The procedures that the run hands to CreateModelessDialog with IDD_SPLASH and IDD_STATUS.
#include "ui/splash_window.h"
#include "ui/status_window.h"

// A modeless dialog from the template with numeric resource id templateId in appInstance,
// owned by owner; null if it cannot be made. appInstance must be set before the first call.
HWND CreateModelessDialog(int templateId, HWND owner, DLGPROC proc);

// kMsgClose: the splash and the status window are destroyed at once, the progress window
// after one second of dispatching. window is gone when this returns.
void SendClose(HWND window);

// kMsgSetStatus: text (NUL-terminated, only read during the call) becomes the status line.
void SendSetStatus(HWND window, const char* text);

// kMsgEnableOk: enables the status window's OK button and gives it the focus.
void SendEnableOk(HWND window);

// Moves window, keeping its size, so that its centre lies dx, dy pixels from the centre of the
// desktop. Each half is truncated on its own: a desktop 1024 wide and a window 301 wide with
// dx 0 give a left edge of 512 - 150 = 362.
void CenterOnDesktop(HWND window, int dx, int dy);
