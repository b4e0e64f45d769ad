#include "e2e_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <shellapi.h>

#include "archive_damage.h"

namespace e2e {

const char kFinalText[] = "Files extracted and run successfully!  Press OK to exit.";

namespace {

std::string AsText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

constexpr DWORD kPollMs = 5;
constexpr DWORD kPackerMs = 60000;
// The splash must be up at least this long after Yes: the stub shows it for 2000 ms before it
// extracts; the margin absorbs how late this process sees it.
constexpr DWORD kSplashStandsMs = 1500;
// Pixels by which a measured position may differ from the computed one (frame rounding).
constexpr LONG kSlackPx = 2;

// Deletes a directory with everything below it; best effort.
void RemoveTree(const std::string& path) {
  const std::string from = path + '\0';  // a list of paths, ended by an empty one
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationA(&operation);
}

// The value after "key=" up to "|nextKey=" or the end of the line.
std::string Field(const std::string& line, const std::string& key, const std::string& nextKey) {
  const size_t start = line.find(key + "=");
  if (start == std::string::npos) return std::string();
  const size_t from = start + key.size() + 1;
  const size_t end = nextKey.empty() ? line.size() : line.find("|" + nextKey + "=", from);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

std::string Join(const std::vector<std::string>& names) {
  std::string all;
  for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
  return "[" + all + "]";
}

bool Up(HWND window) { return window != nullptr && IsWindow(window) && IsWindowVisible(window); }

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

std::string QuestionFor(const std::string& product) {
  return "This application will install " + product + " on your system.\nDo you wish to continue?";
}

std::string ReadFileBytes(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  if (ok != nullptr) *ok = in.is_open();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint64_t LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return Sorted(names);
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return out;
}

uint64_t SampleFileTime(int k) {
  // 2003-04-05 06:07:08 UTC, plus k hours and k * 1234567 hundred nanoseconds.
  return 126939736280000000ull + uint64_t(k) * (36000000000ull + 1234567ull);
}

std::string CrLfScript(const std::vector<std::string>& lines, bool lastLineFeed) {
  std::string script;
  for (size_t i = 0; i < lines.size(); ++i) {
    script += lines[i];
    if (i + 1 < lines.size() || lastLineFeed) script += "\r\n";
  }
  return script;
}

std::string RandomText(size_t size, uint64_t seed) { return AsText(RandomBytes(size, seed)); }
std::string WordsText(size_t size, uint64_t seed) { return AsText(TextLike(size, seed)); }
std::string MixedText(size_t size, uint64_t seed) { return AsText(StructuredBinary(size, seed)); }

std::vector<ToolRun> ReadToolLog(const std::string& path) {
  std::vector<ToolRun> runs;
  const std::string text = ReadFileBytes(path);
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ToolRun run;
    run.tag = Field(line, "tag", "module");
    run.module = Field(line, "module", "cwd");
    run.cwd = Field(line, "cwd", "cmdline");
    run.cmdline = Field(line, "cmdline", "silent");
    run.silent = Field(line, "silent", "priority");
    run.priority = std::atoi(Field(line, "priority", "exit").c_str());
    const std::string exitText = Field(line, "exit", "");
    run.exitCode = exitText.empty() ? -1 : std::atoi(exitText.c_str());
    runs.push_back(run);
  }
  return runs;
}

std::vector<std::string> ToolTags(const std::vector<ToolRun>& runs) {
  std::vector<std::string> tags;
  for (const ToolRun& r : runs) tags.push_back(r.tag);
  return tags;
}

HeldWindow::HeldWindow(const std::string& className) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className.c_str();
  RegisterClassA(&windowClass);  // a second registration of the class fails harmlessly
  window_ = CreateWindowA(className.c_str(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                          windowClass.hInstance, nullptr);
  EXPECT_NE(window_, nullptr) << "cannot create a window of class " << className;
}

void HeldWindow::Release() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

std::string Session::BinPath(const std::string& name) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  return dir.erase(dir.find_last_of('\\') + 1) + name;
}

void Session::SetUp() {
  static int counter = 0;
  char temp[MAX_PATH] = "";
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  ASSERT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '_');
  dir_ = std::string(temp) + "zbe2e-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "-" + name;
  RemoveTree(dir_);
  for (const std::string& d : {dir_, dir_ + "\\in", TempDir()}) {
    ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr)) << d << ": error " << GetLastError();
  }
}

void Session::TearDown() {
  if (stub_.Running()) {
    if (!HasFailure()) ADD_FAILURE() << "the stub was still running when the test ended";
    stub_.Kill();
  }
  if (dir_.empty()) return;
  if (HasFailure()) {
    std::printf("[ kept     ] %s\n", dir_.c_str());
  } else {
    RemoveTree(dir_);
  }
}

std::string Session::WriteInput(const std::string& name, const std::string& contents,
                                uint64_t fileTime) {
  const std::string path = dir_ + "\\in\\" + name;
  std::ofstream out(path, std::ios::binary);
  out << contents;
  out.close();
  EXPECT_TRUE(out.good()) << "cannot write " << path;
  if (fileTime == 0) return path;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  FILETIME time{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  EXPECT_TRUE(file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time))
      << "cannot set the time of " << path;
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return path;
}

DWORD Session::RunPacker(const std::vector<std::string>& args, std::string* output) {
  std::string commandLine;
  for (const std::string& a : args)
    commandLine += (commandLine.empty() ? "" : " ") + robot::QuoteArgument(a);
  robot::StartOptions start;
  start.outputFile = dir_ + "\\zbpack.log";
  DWORD error = 0, code = ~0u;
  robot::Process zbpack = robot::Start(BinPath("zbpack.exe"), commandLine, start, &error);
  if (!zbpack.started()) {
    ADD_FAILURE() << "cannot start zbpack.exe: error " << error;
  } else if (!zbpack.WaitExit(kPackerMs, &code)) {
    zbpack.Kill();
    ADD_FAILURE() << "zbpack " << commandLine << " did not end within " << kPackerMs << " ms";
    code = ~0u;
  }
  *output = "zbpack " + commandLine + "\n" + ReadFileBytes(start.outputFile);
  return code;
}

bool Session::Pack(const std::string& product, const std::vector<std::string>& options,
                   const std::vector<std::string>& files) {
  std::vector<std::string> args = {
      "pack", "-o", InstallerPath(), "--stub", BinPath("zubrex-stub.exe"), "--product", product};
  args.insert(args.end(), options.begin(), options.end());
  ArchiveDamage damage;
  const std::string problem = SplitDamageOptions(&args, &damage);
  EXPECT_EQ(problem, "");
  args.insert(args.end(), files.begin(), files.end());
  std::string output;
  const DWORD code = RunPacker(args, &output);
  EXPECT_EQ(code, 0u) << output;
  const std::string damaged = code == 0 ? DamageInstaller(InstallerPath(), damage) : "";
  EXPECT_EQ(damaged, "");
  return problem.empty() && code == 0 && damaged.empty();
}

std::string Session::ExpectPackerReads(uint32_t failCode) {
  char codeText[16];
  std::snprintf(codeText, sizeof codeText, "0x%lx", static_cast<unsigned long>(failCode));
  const std::string parent = Dir() + "\\packer", out = parent + "\\out";
  EXPECT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"verify", InstallerPath()},
        std::vector<std::string>{"extract", "-C", out, InstallerPath()}}) {
    std::string output;
    const DWORD code = RunPacker(args, &output);
    EXPECT_EQ(code, failCode == 0 ? 0u : 1u) << output;
    if (failCode != 0) {
      EXPECT_NE(output.find(codeText), std::string::npos) << "does not name " << codeText << ":\n"
                                                          << output;
    }
  }
  EXPECT_EQ(Entries(parent), std::vector<std::string>{"out"}) << "extract wrote beside its folder";
  return out;
}

bool Session::Launch(const robot::Environment& changes, const std::string& arguments) {
  robot::StartOptions options;
  options.environment = {
      {"TMP", TempDir()}, {"TEMP", TempDir()}, {"ZBSCRIPTTOOL_LOG", ToolLogPath()}};
  options.environment.insert(options.environment.end(), changes.begin(), changes.end());
  DWORD error = 0;
  stub_ = robot::Start(InstallerPath(), arguments, options, &error);
  EXPECT_TRUE(stub_.started()) << "cannot start " << InstallerPath() << ": error " << error;
  return stub_.started();
}

std::string Session::DescribeStub() {
  DWORD code = 0;
  if (stub_.WaitExit(0, &code)) return "the stub has ended, exit code " + std::to_string(code);
  std::string list = "the stub runs; its windows:";
  for (const robot::WindowInfo& w : robot::ListWindows(stub_.id())) {
    list += " [" + w.className + " \"" + Printable(w.caption) + "\"";
    bool read = false;
    std::string text = robot::MessageBoxText(w.window, &read);
    if (!read) text = robot::ControlText(w.window, IDC_STATUS_TEXT, &read);
    if (read) list += " text \"" + Printable(text) + "\"";
    if (robot::ControlExists(w.window, IDC_OK)) {
      list += robot::ControlEnabled(w.window, IDC_OK) ? " OK enabled" : " OK disabled";
    }
    list += "]";
  }
  return list;
}

HWND Session::WaitDialog(const char* caption) {
  const DWORD start = GetTickCount();
  do {
    // The end is tested first: windows may still be listed for a moment after it.
    const bool ended = !stub_.Running();
    HWND found = robot::FindVisibleWindow(stub_.id(), robot::kDialogClass, caption);
    if (found != nullptr && !ended) return found;
    if (ended) break;
    Sleep(kPollMs);
  } while (GetTickCount() - start < kWaitMs);
  ADD_FAILURE() << "no \"" << caption << "\"; " << DescribeStub();
  stub_.Kill();
  return nullptr;
}

void Session::ExpectBox(HWND box, const char* caption, const std::string& text,
                        const std::vector<int>& buttons) {
  EXPECT_EQ(robot::WindowCaption(box), caption);
  bool read = false;
  EXPECT_EQ(robot::MessageBoxText(box, &read), text);
  EXPECT_TRUE(read) << "the box's text control did not answer";
  for (const auto& [id, name] :
       {std::pair{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"}}) {
    const bool wanted = std::find(buttons.begin(), buttons.end(), id) != buttons.end();
    const bool shown = robot::ControlVisible(box, id) && robot::ControlEnabled(box, id);
    EXPECT_EQ(shown, wanted) << "button " << name << " of \"" << caption << "\"";
  }
}

bool Session::Press(HWND window, int buttonId) {
  const robot::PressResult result = robot::Press(window, buttonId);
  if (result == robot::PressResult::kPressed) return true;
  ADD_FAILURE() << "pressing button " << buttonId << " of \""
                << Printable(robot::WindowCaption(window))
                << "\": " << robot::PressResultName(result) << "; " << DescribeStub();
  return false;
}

Trace Session::Yes(const std::string& product) {
  Trace t;
  HWND question = WaitDialog(ZB_APP_TITLE);
  if (question == nullptr) return t;
  if (!product.empty()) ExpectBox(question, ZB_APP_TITLE, QuestionFor(product), {IDYES, IDNO});
  if (!Press(question, IDYES)) return t;
  // The splash is made after the question box has returned, so after this moment.
  const DWORD yes = GetTickCount();
  std::vector<HWND> known = {question};
  for (;;) {
    const DWORD now = GetTickCount() - yes;
    const bool ended = !stub_.Running();
    for (const robot::WindowInfo& w : robot::ListWindows(stub_.id())) {
      if (w.window == t.splash) t.splashLastMs = now;
      if (std::find(known.begin(), known.end(), w.window) != known.end()) continue;
      known.push_back(w.window);
      const bool dialog = w.className == robot::kDialogClass;
      if (dialog && w.caption.empty() && robot::ControlExists(w.window, IDC_TITLE)) {
        t.splash = w.window;
        t.splashLastMs = now;
        t.splashCentre = CentreOf(w.window);
        t.splashTitle = robot::ControlText(w.window, IDC_TITLE);
        t.splashNotice = robot::ControlText(w.window, IDC_NOTICE);
        t.splashTitleBar = (GetWindowLongA(w.window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
        EXPECT_EQ(t.progress, nullptr) << "the progress window came before the splash";
      } else if (dialog && w.caption == ZB_APP_TITLE &&
                 robot::ControlExists(w.window, IDC_PROGRESS)) {
        t.progress = w.window;
        t.progressFirstMs = now;
        t.splashUpAtProgress = Up(t.splash);
        t.progressCentre = CentreOf(w.window);
        t.progressText = robot::ControlText(w.window, IDC_PROGRESS_TEXT);
      } else if (dialog && (w.caption == ZB_STATUS_CAPTION || w.caption == ZB_ERROR_CAPTION)) {
        (w.caption == ZB_STATUS_CAPTION ? t.status : t.error) = w.window;
        t.splashUpAtEnd = Up(t.splash);
      } else {
        ADD_FAILURE() << "unexpected window " << w.className << " \"" << Printable(w.caption)
                      << "\"";
      }
    }
    // A bar reading counts only if the window still existed after it: the last one kept is
    // the bar as it stood right before the window went.
    if (t.progress != nullptr && !t.progressGone) {
      const int position = robot::ProgressPosition(t.progress, IDC_PROGRESS);
      if (position >= 0 && IsWindow(t.progress)) t.lastBar = position;
      t.progressGone = !IsWindow(t.progress);
    }
    if (t.status != nullptr || t.error != nullptr || ended || now >= kWaitMs) break;
    Sleep(kPollMs);
  }
  EXPECT_FALSE(Up(question)) << "the question is still shown";
  if (t.status == nullptr && t.error == nullptr) {
    ADD_FAILURE() << "neither the status window nor an error box after Yes; " << DescribeStub();
  }
  return t;
}

HWND Session::ToStatus(const std::string& product) {
  const Trace t = Yes(product);
  if (t.error != nullptr) {
    ADD_FAILURE() << "error box instead of the status window: \""
                  << Printable(robot::MessageBoxText(t.error)) << "\"";
  }
  return t.status;
}

HWND Session::ToError(const std::string& product, const std::string& text, Trace* trace) {
  Trace t = Yes(product);
  if (t.status != nullptr) t.error = WaitDialog(ZB_ERROR_CAPTION);
  if (t.error != nullptr) ExpectBox(t.error, ZB_ERROR_CAPTION, text, {IDOK});
  if (trace != nullptr) *trace = t;
  return t.error;
}

void Session::ExpectWindowsInTurn(const Trace& t, const std::string& product, int members) {
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  const LONG midX = (desktop.left + desktop.right) / 2, midY = (desktop.top + desktop.bottom) / 2;
  ASSERT_NE(t.splash, nullptr) << "no splash after Yes";
  EXPECT_GE(t.splashLastMs, kSplashStandsMs) << "the splash went too early";
  EXPECT_FALSE(t.splashUpAtEnd) << "the splash was still up beside the status window";
  EXPECT_EQ(t.splashTitle, ZB_APP_TITLE);
  EXPECT_FALSE(t.splashNotice.empty()) << "the splash's notice";
  EXPECT_FALSE(t.splashTitleBar) << "the splash has a title bar";
  EXPECT_LE(std::labs(t.splashCentre.x - midX), kSlackPx) << "splash not centred";
  EXPECT_LE(std::labs(t.splashCentre.y - midY), kSlackPx) << "splash not centred";

  ASSERT_NE(t.progress, nullptr) << "no progress window after Yes";
  EXPECT_GE(t.progressFirstMs, kSplashStandsMs) << "progress window before the splash's pause";
  EXPECT_TRUE(t.splashUpAtProgress) << "the splash was not up when the progress window came";
  EXPECT_EQ(t.progressText, "Extracting the " + product + " Installation files ...");
  // Centred 150 px below the desktop's centre.
  EXPECT_LE(std::labs(t.progressCentre.x - midX), kSlackPx) << "progress window misplaced";
  EXPECT_LE(std::labs(t.progressCentre.y - (midY + 150)), kSlackPx) << "progress window misplaced";
  EXPECT_TRUE(t.progressGone) << "the progress window is still up";
  EXPECT_EQ(t.lastBar, members + 1) << "the bar's last reading before its window closed";

  // The status window stands at (0, 0) of the hidden main window's client area: the top left.
  ASSERT_NE(t.status, nullptr) << "no status window";
  RECT r{};
  GetWindowRect(t.status, &r);
  EXPECT_LE(std::labs(r.left) + std::labs(r.top), 2 * kSlackPx) << "status window misplaced";
}

void Session::ExpectEnd(HWND answered, DWORD exitCode) {
  HWND status = robot::FindVisibleWindow(stub_.id(), robot::kDialogClass, ZB_STATUS_CAPTION);
  std::vector<std::string> after;
  const DWORD start = GetTickCount();
  DWORD code = ~0u;
  while (!stub_.WaitExit(0, &code)) {
    for (const robot::WindowInfo& w : robot::ListWindows(stub_.id())) {
      if (w.window != answered && w.window != status && w.className == robot::kDialogClass &&
          std::find(after.begin(), after.end(), w.caption) == after.end()) {
        after.push_back(w.caption);
      }
    }
    if (GetTickCount() - start >= kWaitMs) {
      ADD_FAILURE() << "the stub did not end within " << kWaitMs << " ms; " << DescribeStub();
      stub_.Kill();
      return;
    }
    Sleep(kPollMs);
  }
  EXPECT_EQ(code, exitCode) << "exit code";
  EXPECT_TRUE(after.empty()) << "a window appeared after the answer: " << Join(after);
}

void Session::DismissError(HWND error) {
  const std::string text = robot::MessageBoxText(error);
  const size_t open = text.rfind('(');
  const DWORD code =
      open == std::string::npos ? 0 : std::strtoul(text.c_str() + open + 1, nullptr, 16);
  if (Press(error, IDOK)) ExpectEnd(error, code);
}

void Session::FinishWithOk(HWND status, bool workDirStays) {
  // Read in this order (enabled, then text), a late enable cannot pass for an early one.
  bool enabled = false;
  std::string shown;
  const DWORD start = GetTickCount();
  while (!(enabled = robot::ControlEnabled(status, IDC_OK)) && stub_.Running() &&
         GetTickCount() - start < kWaitMs) {
    Sleep(kPollMs);
  }
  shown = robot::ControlText(status, IDC_STATUS_TEXT);
  ASSERT_TRUE(enabled) << "OK never became enabled; " << DescribeStub();
  EXPECT_EQ(shown, kFinalText) << "OK was enabled before the final text";
  // The focus is the stub thread's own; GetFocus cannot be asked across processes.
  const HWND ok = robot::Control(status, IDC_OK);
  GUITHREADINFO info{};
  for (const DWORD focusStart = GetTickCount(); GetTickCount() - focusStart < 5000;) {
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(status, nullptr), &info) &&
        info.hwndFocus == ok) {
      break;
    }
    Sleep(kPollMs);
  }
  EXPECT_EQ(info.hwndFocus, ok) << "the focus is not on OK";
  ASSERT_TRUE(Press(status, IDC_OK));
  ExpectEnd(status);
  EXPECT_EQ(IsDirectory(WorkDir()), workDirStays) << WorkDir();
}

bool Session::WaitToolTag(const std::string& tag) {
  const DWORD start = GetTickCount();
  std::string why = "the time ran out";
  for (;;) {
    // Read before the log, so that a run logged just before the end is still found.
    const bool running = stub_.Running();
    HWND status = robot::FindVisibleWindow(stub_.id(), robot::kDialogClass, ZB_STATUS_CAPTION);
    const bool scriptDone = status != nullptr && robot::ControlEnabled(status, IDC_OK);
    const bool error =
        robot::FindVisibleWindow(stub_.id(), robot::kDialogClass, ZB_ERROR_CAPTION) != nullptr;
    for (const ToolRun& run : ReadToolLog(ToolLogPath())) {
      if (run.tag == tag) return true;
    }
    if (!running || scriptDone || error) {
      why = !running ? "the stub ended" : scriptDone ? "the script has ended" : "an error box came";
      break;
    }
    if (GetTickCount() - start >= kWaitMs) break;
    Sleep(kPollMs);
  }
  ADD_FAILURE() << "no run of zbscripttool with tag \"" << tag << "\" (" << why << " after "
                << GetTickCount() - start << " ms); the log holds "
                << Join(ToolTags(ReadToolLog(ToolLogPath()))) << "; the work directory holds "
                << Join(Entries(WorkDir())) << "; " << DescribeStub();
  return false;
}

void Session::ExpectFiles(const std::string& dir, const Files& files) {
  for (const auto& [name, input] : files) {
    const std::string path = dir + "\\" + name;
    bool read = false;
    const std::string got = ReadFileBytes(path, &read), want = ReadFileBytes(input);
    EXPECT_TRUE(read) << path << " cannot be read";
    EXPECT_EQ(got.size(), want.size()) << path;
    EXPECT_TRUE(got == want) << path << " differs from " << input;
    EXPECT_EQ(LastWriteTime(path), LastWriteTime(input)) << "last-write time of " << path;
  }
}

}  // namespace e2e
