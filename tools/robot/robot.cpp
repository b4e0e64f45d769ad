#include "robot.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

namespace robot {

const char* const kDialogClass = "#32770";

namespace {

// Polling step of every wait: short enough that a test costs little more than the program's
// own time, long enough not to starve the program of the CPU.
constexpr DWORD kPollMs = 5;

// How long a single message to another process may take. A window that does not answer in
// this time is treated as hung.
constexpr UINT kAnswerMs = 10000;

struct EnumState {
  DWORD processId;
  std::vector<WindowInfo>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (state->processId != 0 && owner != state->processId) return TRUE;
  state->windows->push_back({window, owner, WindowClass(window), WindowCaption(window)});
  return TRUE;
}

bool ProcessEnded(HANDLE process) {
  return process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kAnswerMs, result) != 0;
}

std::string UpperName(const std::string& entry) {
  // An entry's name ends at the first '=' after its first character: names such as "=C:"
  // begin with one.
  size_t end = entry.find('=', 1);
  std::string name = entry.substr(0, end);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// This process's environment with the changes applied, as a block of NUL-terminated
// "name=value" entries sorted by name without case, ending in an extra NUL.
std::string MakeEnvironmentBlock(const Environment& changes) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p != '\0'; p += std::char_traits<char>::length(p) + 1) {
      entries.emplace_back(p);
    }
    FreeEnvironmentStringsA(block);
  }
  for (const auto& change : changes) {
    std::string entry = change.first + "=" + change.second;
    std::string name = UpperName(entry);
    auto same = std::find_if(entries.begin(), entries.end(),
                             [&](const std::string& e) { return UpperName(e) == name; });
    if (same != entries.end()) {
      *same = entry;
    } else {
      entries.push_back(entry);
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return UpperName(a) < UpperName(b);
  });
  std::string block;
  for (const auto& e : entries) {
    block += e;
    block += '\0';
  }
  block += '\0';
  return block;
}

}  // namespace

std::vector<WindowInfo> ListWindows(DWORD processId) {
  std::vector<WindowInfo> windows;
  EnumState state{processId, &windows};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return windows;
}

HWND FindVisibleWindow(DWORD processId, const char* className, const char* caption) {
  for (const WindowInfo& w : ListWindows(processId)) {
    if (className != nullptr && w.className != className) continue;
    if (caption != nullptr && w.caption != caption) continue;
    return w.window;
  }
  return nullptr;
}

HWND WaitWindow(HANDLE process, const char* className, const char* caption, DWORD timeoutMs) {
  DWORD processId = process != nullptr ? GetProcessId(process) : 0;
  DWORD start = GetTickCount();
  for (;;) {
    // Test the end of the process first: its windows may still be listed for a moment after.
    bool ended = ProcessEnded(process);
    if (HWND found = FindVisibleWindow(processId, className, caption)) {
      if (!ended) return found;
    }
    if (ended || GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::string WindowCaption(HWND window) {
  // For a window of another process this reads the caption the system keeps; it sends no
  // message, so a hung window cannot block it.
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string WindowClass(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND Control(HWND dialog, int id) { return dialog != nullptr ? GetDlgItem(dialog, id) : nullptr; }

std::string ControlText(HWND dialog, int id, bool* ok) {
  if (ok != nullptr) *ok = false;
  HWND control = Control(dialog, id);
  if (control == nullptr) return std::string();
  // Length and text are two messages: the program may change the text in between. A read
  // counts only when the length was the same before and after it.
  for (int attempt = 0; attempt < 100; ++attempt) {
    DWORD_PTR length = 0;
    if (!Send(control, WM_GETTEXTLENGTH, 0, 0, &length)) return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied)) {
      return std::string();
    }
    DWORD_PTR lengthAfter = 0;
    if (!Send(control, WM_GETTEXTLENGTH, 0, 0, &lengthAfter)) return std::string();
    if (lengthAfter != length || copied != length) continue;
    text.resize(length);
    if (ok != nullptr) *ok = true;
    return text;
  }
  return std::string();
}

std::string MessageBoxText(HWND box, bool* ok) { return ControlText(box, kMessageBoxTextId, ok); }

bool ControlExists(HWND dialog, int id) { return Control(dialog, id) != nullptr; }

bool ControlEnabled(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  return control != nullptr && IsWindowEnabled(control);
}

bool ControlVisible(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  return control != nullptr && IsWindowVisible(control);
}

int ProgressPosition(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  DWORD_PTR position = 0;
  if (control == nullptr || !Send(control, PBM_GETPOS, 0, 0, &position)) return -1;
  return static_cast<int>(position);
}

const char* PressResultName(PressResult result) {
  switch (result) {
    case PressResult::kPressed:
      return "pressed";
    case PressResult::kNoSuchControl:
      return "no such control";
    case PressResult::kDisabled:
      return "disabled";
    case PressResult::kHidden:
      return "hidden";
    case PressResult::kNoAnswer:
      return "no answer";
  }
  return "?";
}

PressResult Press(HWND dialog, int buttonId) {
  HWND button = Control(dialog, buttonId);
  if (button == nullptr) return PressResult::kNoSuchControl;
  if (!IsWindowVisible(button)) return PressResult::kHidden;
  if (!IsWindowEnabled(button)) return PressResult::kDisabled;
  DWORD_PTR ignored = 0;
  if (!Send(button, BM_CLICK, 0, 0, &ignored)) return PressResult::kNoAnswer;
  return PressResult::kPressed;
}

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
  other.handle_ = nullptr;
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

Process::~Process() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

bool Process::Running() const {
  return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (handle_ == nullptr || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) {
    return false;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(handle_, &code)) return false;
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

void Process::Kill() const {
  if (!Running()) return;
  TerminateProcess(handle_, 0xDEAD);
  WaitForSingleObject(handle_, 5000);
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    return argument;
  }
  // Backslashes are literal except in front of a quote, the closing one included: there each
  // must be doubled, and an inner quote is escaped with one more.
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

Process Start(const std::string& program, const std::string& arguments, const StartOptions& options,
              DWORD* error) {
  if (error != nullptr) *error = 0;
  std::string commandLine = QuoteArgument(program);
  if (!arguments.empty()) commandLine += " " + arguments;
  std::string environment = MakeEnvironmentBlock(options.environment);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  HANDLE output = nullptr;
  if (!options.outputFile.empty()) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    output = CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
      if (error != nullptr) *error = GetLastError();
      return Process();
    }
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
  } else if (options.noStdHandles) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = INVALID_HANDLE_VALUE;
    startup.hStdError = INVALID_HANDLE_VALUE;
  }

  PROCESS_INFORMATION info = {};
  DWORD flags = options.newConsole ? CREATE_NEW_CONSOLE : 0;
  BOOL started =
      CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr,
                     output != nullptr ? TRUE : FALSE, flags, &environment[0],
                     options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(),
                     &startup, &info);
  DWORD startError = started ? 0 : GetLastError();
  if (output != nullptr) CloseHandle(output);
  if (!started) {
    if (error != nullptr) *error = startError;
    return Process();
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

}  // namespace robot
