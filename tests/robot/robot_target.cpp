// A program for the robot's own tests: one window with the kinds of controls the stub shows.
// It exits with the id of the first
// button that reached it, so a test can tell which press really clicked.
#include <windows.h>
#include <commctrl.h>

namespace {

constexpr int kTextId = 100;
constexpr int kDisabledId = 101;
constexpr int kEnabledId = 102;
constexpr int kProgressId = 103;
constexpr int kTempId = 104;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    PostQuitMessage(LOWORD(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int id, int y) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, 20, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "RobotTarget";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "RobotTarget", "Robot Target", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                200, nullptr, nullptr, instance, nullptr);
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  Child(window, "STATIC", "hello", 0, kTextId, 0);
  Child(window, "BUTTON", "Disabled", BS_PUSHBUTTON | WS_DISABLED, kDisabledId, 25);
  Child(window, "BUTTON", "Enabled", BS_PUSHBUTTON, kEnabledId, 50);
  HWND progress = Child(window, PROGRESS_CLASSA, "", 0, kProgressId, 75);
  SendMessageA(progress, PBM_SETPOS, 42, 0);
  Child(window, "STATIC", temp, 0, kTempId, 100);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
