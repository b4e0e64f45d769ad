#include "ui/splash_window.h"

#include "common/messages.h"

INT_PTR CALLBACK SplashDialogProc(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case kMsgClose:
      DestroyWindow(window);
      return 1;
    case WM_ACTIVATE:
      return 1;
    default:
      return 0;
  }
}
