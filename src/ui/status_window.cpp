#include "ui/status_window.h"

#include "common/app_globals.h"
#include "common/messages.h"
#include "resource.h"

namespace {

// The shown status line; the static control keeps its own copy as well.
char statusText[kStatusTextMax + 1];

void TakeStatusText(const char* text) {
  int length = 0;
  if (text != nullptr) {
    while (length < kStatusTextMax && text[length] != '\0') {
      statusText[length] = text[length];
      ++length;
    }
  }
  statusText[length] = '\0';
}

}  // namespace

INT_PTR CALLBACK StatusDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgSetStatus:
      TakeStatusText(reinterpret_cast<const char*>(lParam));
      SetDlgItemTextA(window, IDC_STATUS_TEXT, statusText);
      return 1;
    case kMsgEnableOk: {
      const HWND ok = GetDlgItem(window, IDC_OK);
      EnableWindow(ok, TRUE);
      SetFocus(ok);
      return 1;
    }
    case WM_COMMAND:
      // The whole wParam: the focus notifications of BS_NOTIFY carry other codes in the high
      // half and must not end the program.
      if (wParam != MAKEWPARAM(IDC_OK, BN_CLICKED)) {
        return 0;
      }
      // Destroyed first, so the run's loop that waits on this window ends on its next pass.
      DestroyWindow(window);
      SendMessageA(mainWindow, WM_CLOSE, 0, 0);
      return 1;
    case kMsgClose:
      DestroyWindow(window);
      return 1;
    case WM_ACTIVATE:
      return 1;
    default:
      return 0;
  }
}
