// zbrobot: the robot as a command for scripts (demos, screenshots, manual checks). Each
// command does one thing, prints what it read to stdout, and exits 0 on success, 1 when the
// thing looked for did not happen (timeout, no such window, disabled button) and 2 on bad
// usage. Window handles are printed and taken as hexadecimal numbers (0x...).
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "robot.h"

namespace {

const char kUsage[] =
    "usage: zbrobot COMMAND ...\n"
    "  windows [PID]                          list visible top-level windows:\n"
    "                                         HWND PID CLASS \"CAPTION\"\n"
    "  wait-window CLASS|- CAPTION|- MS       wait for a visible top-level window; print HWND\n"
    "  wait-gone HWND MS                      wait until the window is gone or hidden\n"
    "  caption HWND                           print a window's caption\n"
    "  text HWND [ID]                         print a control's text (default 0xFFFF: the\n"
    "                                         text of a message box)\n"
    "  enabled HWND ID                        print 1 if the control is enabled, else 0\n"
    "  progress HWND ID                       print a progress bar's position\n"
    "  press HWND ID                          click a visible, enabled button\n"
    "  answer CAPTION yes|no|ok|ID MS         wait for the message box with this caption,\n"
    "                                         print its text, press the button\n"
    "  run [--env NAME=VALUE]... [--wait MS] PROGRAM [ARG]...\n"
    "                                         start a program with a changed environment;\n"
    "                                         print its PID, or with --wait its exit code\n"
    "  run-stub INSTALLER TMPDIR [MS]         run with TMP and TEMP set to TMPDIR; print its\n"
    "                                         PID, or with MS wait and print its exit code\n"
    "  wait-exit PID MS                       wait for a process's end; print its exit code.\n"
    "                                         Start it while the process still runs: an ended\n"
    "                                         process is gone with its exit code.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(const char* what) {
  std::fprintf(stderr, "zbrobot: %s\n", what);
  return 1;
}

bool ParseNumber(const char* text, unsigned long* value) {
  char* end = nullptr;
  *value = std::strtoul(text, &end, 0);
  return end != text && *end == '\0';
}

HWND ParseWindow(const char* text) {
  unsigned long value = 0;
  if (!ParseNumber(text, &value)) return nullptr;
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

const char* OrAny(const char* text) { return std::strcmp(text, "-") == 0 ? nullptr : text; }

void PrintWindow(HWND window) {
  std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
}

int PrintExit(const robot::Process& process, DWORD timeoutMs) {
  DWORD code = 0;
  if (!process.WaitExit(timeoutMs, &code)) return Fail("the process did not end in time");
  std::printf("%lu\n", static_cast<unsigned long>(code));
  return 0;
}

// Starts the program; prints its PID and leaves it running, or waits and prints its exit code.
int StartAndReport(const char* program, const std::string& arguments, robot::StartOptions options,
                   bool wait, DWORD waitMs) {
  options.noStdHandles = !wait;
  DWORD error = 0;
  robot::Process process = robot::Start(program, arguments, options, &error);
  if (!process.started()) {
    std::fprintf(stderr, "zbrobot: cannot start %s: error %lu\n", program,
                 static_cast<unsigned long>(error));
    return 1;
  }
  if (wait) return PrintExit(process, waitMs);
  std::printf("%lu\n", static_cast<unsigned long>(process.id()));
  return 0;
}

int Windows(int argc, char** argv) {
  unsigned long pid = 0;
  if (argc > 1 || (argc == 1 && !ParseNumber(argv[0], &pid))) return Usage();
  for (const robot::WindowInfo& w : robot::ListWindows(pid)) {
    std::printf("0x%lx %lu %s \"%s\"\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(w.window)),
                static_cast<unsigned long>(w.processId), w.className.c_str(), w.caption.c_str());
  }
  return 0;
}

int WaitWindow(int argc, char** argv) {
  unsigned long ms = 0;
  if (argc != 3 || !ParseNumber(argv[2], &ms)) return Usage();
  HWND window = robot::WaitWindow(nullptr, OrAny(argv[0]), OrAny(argv[1]), ms);
  if (window == nullptr) return Fail("no such window appeared in time");
  PrintWindow(window);
  return 0;
}

int WaitGone(int argc, char** argv) {
  unsigned long ms = 0;
  HWND window = argc == 2 ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr || !ParseNumber(argv[1], &ms)) return Usage();
  return robot::WaitWindowGone(window, ms) ? 0 : Fail("the window is still there");
}

int Caption(int argc, char** argv) {
  HWND window = argc == 1 ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr) return Usage();
  if (!IsWindow(window)) return Fail("no such window");
  std::printf("%s\n", robot::WindowCaption(window).c_str());
  return 0;
}

int Text(int argc, char** argv) {
  unsigned long id = robot::kMessageBoxTextId;
  HWND window = (argc == 1 || argc == 2) ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr || (argc == 2 && !ParseNumber(argv[1], &id))) return Usage();
  bool ok = false;
  std::string text = robot::ControlText(window, static_cast<int>(id), &ok);
  if (!ok) return Fail("no such control, or it does not answer");
  std::printf("%s\n", text.c_str());
  return 0;
}

int Enabled(int argc, char** argv) {
  unsigned long id = 0;
  HWND window = argc == 2 ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr || !ParseNumber(argv[1], &id)) return Usage();
  if (!robot::ControlExists(window, static_cast<int>(id))) return Fail("no such control");
  std::printf("%d\n", robot::ControlEnabled(window, static_cast<int>(id)) ? 1 : 0);
  return 0;
}

int Progress(int argc, char** argv) {
  unsigned long id = 0;
  HWND window = argc == 2 ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr || !ParseNumber(argv[1], &id)) return Usage();
  int position = robot::ProgressPosition(window, static_cast<int>(id));
  if (position < 0) return Fail("no such progress bar, or it does not answer");
  std::printf("%d\n", position);
  return 0;
}

int Press(int argc, char** argv) {
  unsigned long id = 0;
  HWND window = argc == 2 ? ParseWindow(argv[0]) : nullptr;
  if (window == nullptr || !ParseNumber(argv[1], &id)) return Usage();
  robot::PressResult result = robot::Press(window, static_cast<int>(id));
  return result == robot::PressResult::kPressed ? 0 : Fail(robot::PressResultName(result));
}

int Answer(int argc, char** argv) {
  unsigned long ms = 0;
  unsigned long id = 0;
  if (argc != 3 || !ParseNumber(argv[2], &ms)) return Usage();
  if (std::strcmp(argv[1], "yes") == 0)
    id = IDYES;
  else if (std::strcmp(argv[1], "no") == 0)
    id = IDNO;
  else if (std::strcmp(argv[1], "ok") == 0)
    id = IDOK;
  else if (!ParseNumber(argv[1], &id))
    return Usage();
  HWND box = robot::WaitWindow(nullptr, robot::kDialogClass, argv[0], ms);
  if (box == nullptr) return Fail("no such message box appeared in time");
  std::printf("%s\n", robot::MessageBoxText(box).c_str());
  robot::PressResult result = robot::Press(box, static_cast<int>(id));
  return result == robot::PressResult::kPressed ? 0 : Fail(robot::PressResultName(result));
}

int Run(int argc, char** argv) {
  robot::StartOptions options;
  unsigned long waitMs = 0;
  bool wait = false;
  int i = 0;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--env") == 0 && i + 1 < argc) {
      const char* setting = argv[++i];
      const char* equals = std::strchr(setting, '=');
      if (equals == nullptr || equals == setting) return Usage();
      options.environment.emplace_back(std::string(setting, equals), equals + 1);
    } else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &waitMs)) return Usage();
      wait = true;
    } else {
      return Usage();
    }
  }
  if (i == argc) return Usage();
  std::string arguments;
  for (int a = i + 1; a < argc; ++a) {
    if (!arguments.empty()) arguments += ' ';
    arguments += robot::QuoteArgument(argv[a]);
  }
  return StartAndReport(argv[i], arguments, options, wait, waitMs);
}

int RunStub(int argc, char** argv) {
  unsigned long waitMs = 0;
  if (argc != 2 && (argc != 3 || !ParseNumber(argv[2], &waitMs))) return Usage();
  robot::StartOptions options;
  options.environment = {{"TMP", argv[1]}, {"TEMP", argv[1]}};
  return StartAndReport(argv[0], std::string(), options, argc == 3, waitMs);
}

int WaitExit(int argc, char** argv) {
  unsigned long pid = 0;
  unsigned long ms = 0;
  if (argc != 2 || !ParseNumber(argv[0], &pid) || !ParseNumber(argv[1], &ms)) return Usage();
  HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (handle == nullptr) return Fail("no such process (it may have ended already)");
  return PrintExit(robot::Process(handle, pid), ms);
}

}  // namespace

int main(int argc, char** argv) {
  // Scripts read the output on Unix: no carriage returns.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  const char* command = argv[1];
  int rest = argc - 2;
  char** args = argv + 2;
  if (std::strcmp(command, "windows") == 0) return Windows(rest, args);
  if (std::strcmp(command, "wait-window") == 0) return WaitWindow(rest, args);
  if (std::strcmp(command, "wait-gone") == 0) return WaitGone(rest, args);
  if (std::strcmp(command, "caption") == 0) return Caption(rest, args);
  if (std::strcmp(command, "text") == 0) return Text(rest, args);
  if (std::strcmp(command, "enabled") == 0) return Enabled(rest, args);
  if (std::strcmp(command, "progress") == 0) return Progress(rest, args);
  if (std::strcmp(command, "press") == 0) return Press(rest, args);
  if (std::strcmp(command, "answer") == 0) return Answer(rest, args);
  if (std::strcmp(command, "run") == 0) return Run(rest, args);
  if (std::strcmp(command, "run-stub") == 0) return RunStub(rest, args);
  if (std::strcmp(command, "wait-exit") == 0) return WaitExit(rest, args);
  return Usage();
}
