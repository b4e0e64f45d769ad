// The robot that plays the user of a Win32 program from another process: it starts the
// program, finds its windows, reads what they show and presses their buttons, all through
// window messages, so it works headless under Wine's null display driver.
//
// Every wait is bounded by a timeout in milliseconds and polls; none sleeps longer than a few
// milliseconds at a time. Functions that take a process handle stop waiting as soon as that
// process has ended, so a program that dies early fails a test at once instead of after the
// timeout.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace robot {

// One visible top-level window as the user sees it.
struct WindowInfo {
  HWND window;
  DWORD processId;
  std::string className;
  std::string caption;
};

// The class of message boxes and dialogs.
extern const char* const kDialogClass;  // "#32770"
// The control of a message box that holds its text.
constexpr int kMessageBoxTextId = 0xFFFF;

// Visible top-level windows, in z-order; of one process only when processId is not 0.
std::vector<WindowInfo> ListWindows(DWORD processId);

// The first visible top-level window whose class and caption match exactly; a null className
// or caption matches any. processId 0 means any process. Null when there is none.
HWND FindVisibleWindow(DWORD processId, const char* className, const char* caption);

// Polls FindVisibleWindow until a window matches, timeoutMs passes, or (when process is not
// null) that process ends. Null unless a window was found.
HWND WaitWindow(HANDLE process, const char* className, const char* caption, DWORD timeoutMs);

// Polls until the window no longer exists or is hidden. False on timeout.
bool WaitWindowGone(HWND window, DWORD timeoutMs);

// The caption of a top-level window of any process.
std::string WindowCaption(HWND window);
std::string WindowClass(HWND window);

// A control of a dialog, or null.
HWND Control(HWND dialog, int id);

// The text of a dialog's control (WM_GETTEXT, read in full whatever its length). ok is set to
// false when the control does not exist or does not answer.
std::string ControlText(HWND dialog, int id, bool* ok = nullptr);

// The text of a message box: its control 0xFFFF.
std::string MessageBoxText(HWND box, bool* ok = nullptr);

bool ControlExists(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);

// The position of a progress bar control (PBM_GETPOS); -1 when it does not answer.
int ProgressPosition(HWND dialog, int id);

enum class PressResult { kPressed, kNoSuchControl, kDisabled, kHidden, kNoAnswer };
const char* PressResultName(PressResult result);

// Presses a button of a dialog as a mouse click would: only a visible, enabled button is
// clicked (BM_CLICK; under Wine a BM_CLICK on a disabled button would still click, a mouse
// would not). Returns once the dialog has handled the click.
PressResult Press(HWND dialog, int buttonId);

// A started process. Move-only; the destructor closes the handle but leaves the process alone.
class Process {
 public:
  Process() = default;
  Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  HANDLE handle() const { return handle_; }
  DWORD id() const { return id_; }
  bool started() const { return handle_ != nullptr; }
  bool Running() const;

  // Waits for the end; true and the exit code when it ended within timeoutMs.
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode) const;

  // Ends the process if it still runs and waits (bounded) until it has gone.
  void Kill() const;

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Environment changes for a child: each pair sets (or adds) one variable, names compared
// without case as Windows does.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Options of a start. The child gets this process's environment with the changes applied, as
// its own environment block (under Wine the only way to hand a Win32 child another TMP).
struct StartOptions {
  Environment environment;
  std::string currentDirectory;  // empty: this process's
  // Redirect the child's stdout and stderr into this file (created anew). Empty: none.
  std::string outputFile;
  bool newConsole = false;
  // Give the child no standard handles. Under Wine it then holds none of the caller's Unix
  // stdin and stdout either, so a script's $(zbrobot run ...) does not wait for it to end.
  bool noStdHandles = false;
};

// Starts program with the given command line (the program's own quoted path is put in front).
// On failure the result is not started() and error holds the Win32 error code.
Process Start(const std::string& program, const std::string& arguments, const StartOptions& options,
              DWORD* error = nullptr);

// Quotes one command-line argument for the Microsoft C runtime's parser.
std::string QuoteArgument(const std::string& argument);

}  // namespace robot
