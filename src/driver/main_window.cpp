// Process entry and the hidden main window. The whole run happens inside the window's
// WM_CREATE; the message loop afterwards only takes the quit message that ends the process.
#include <windows.h>

#include <cstdlib>

#include "common/app_globals.h"
#include "driver/installer_arguments.h"
#include "driver/main_sequence.h"
#include "resource.h"
#include "ui/common_controls.h"

namespace {

constexpr char kClassName[] = "ZubrexSea";
constexpr char kWindowTitle[] = ZB_APP_TITLE;

InstallerArguments arguments;  // read by the entry before the main window is made
uint32_t exitCode = 0;         // what the run decided; the quit message's value is always 0

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      mainWindow = window;
      exitCode = MainSequence(arguments);
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
    case WM_CLOSE:
      // WM_CLOSE is not passed on: the window is never destroyed, the loop just ends.
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand) {
  // The whole command line, the program's name included: the parser skips it by the C
  // runtime's own rule.
  arguments = ParseInstallerArguments(GetCommandLineA());
  silentRun = arguments.silent;
  // Inherited by every program the script starts, so that a packed setup can run quietly too.
  if (silentRun) SetEnvironmentVariableA("ZUBREX_SILENT", "1");
  // A downloaded installer sits beside whatever else was downloaded: no DLL may come from its
  // folder. The search is limited to the system directory before anything else loads.
  RestrictDllSearchToSystem();
  // The progress bar's class must exist before any dialog template that holds one is made.
  LoadCommonControls();

  if (previousInstance == nullptr) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ICON1));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return 0;
    appInstance = instance;
  }

  HWND window = CreateWindowExA(0, kClassName, kWindowTitle, WS_POPUPWINDOW, CW_USEDEFAULT, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
  if (!silentRun) {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
  }

  MSG message = {};
  // No window filter: the quit message belongs to the thread, not to the window.
  while (GetMessageA(&message, nullptr, 0, 0) == 1) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return int(exitCode);
}

// The process entry, under the name the linker looks for in a GUI program, in place of the C
// runtime's start-up code (linked with -nostartfiles). That code prepares nothing the stub
// uses: it has no static constructors or destructors, no thread-local data, no argv (WinMain
// reads the command line itself), and
// msvcrt.dll sets up its own heap and stdio when it loads. Nothing here would run a static
// constructor, so every global of the stub's code must be constant-initialised.
extern "C" void WinMainCRTStartup() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  // The show command a starting program passes on, as the runtime computes it for WinMain.
  const int showCommand =
      (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  char noArguments[] = "";
  // exit, not ExitProcess: it flushes and closes any stream still open, as the runtime did.
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, showCommand));
}
