// The splash (IDD_SPLASH): the product's picture and title while the extraction runs.
#pragma once
#include <windows.h>

// Destroys the splash on kMsgClose. Returns 1 for kMsgClose and WM_ACTIVATE (so the dialog
// manager does not save and restore the focus), 0 for everything else.
INT_PTR CALLBACK SplashDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
