#include "ui/dialogs.h"

#include "common/app_globals.h"
#include "common/messages.h"

HWND CreateModelessDialog(int templateId, HWND owner, DLGPROC proc) {
  return CreateDialogParamA(appInstance, MAKEINTRESOURCEA(templateId), owner, proc, 0);
}

void SendClose(HWND window) { SendMessageA(window, kMsgClose, 0, 0); }

void SendSetStatus(HWND window, const char* text) {
  SendMessageA(window, kMsgSetStatus, 0, reinterpret_cast<LPARAM>(text));
}

void SendEnableOk(HWND window) { SendMessageA(window, kMsgEnableOk, 0, 0); }

void CenterOnDesktop(HWND window, int dx, int dy) {
  RECT own;
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;

  const HWND desktop = GetDesktopWindow();
  RECT screen;
  GetWindowRect(desktop, &screen);
  POINT centre = {(screen.right - screen.left) / 2 + dx, (screen.bottom - screen.top) / 2 + dy};
  // The desktop's client area need not start at the screen origin on every system.
  ClientToScreen(desktop, &centre);

  MoveWindow(window, centre.x - width / 2, centre.y - height / 2, width, height, FALSE);
}
