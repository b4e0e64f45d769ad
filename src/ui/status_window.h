// The status window (IDD_STATUS): a picture, one status line and an OK button that ends the
// program. Created after the extraction; the script runner feeds it status lines.
#pragma once
#include <windows.h>

// Longest status line shown, in characters; a longer text is cut to this length.
constexpr int kStatusTextMax = 255;

// kMsgSetStatus: copies the text (cut to kStatusTextMax characters; null counts as empty) into
// the window's own buffer and shows it. kMsgEnableOk: enables and focuses OK. WM_COMMAND with
// wParam exactly IDC_OK / BN_CLICKED: destroys the window, then sends WM_CLOSE to mainWindow.
// kMsgClose: destroys the window. Each of these and WM_ACTIVATE return 1; everything else,
// other WM_COMMAND notifications included, returns 0 and changes nothing.
INT_PTR CALLBACK StatusDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
