#include "stub_session.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace e2e {

const char* const kQuestionCaption = "Zubrex Self-Extracting Archive";
const char* const kErrorCaption = "Zubrex Self-Extracting Archive Error";
const char* const kStatusCaption = "Zubrex Self-Extracting Archive Status";
const char* const kFinalText = "Files extracted and run successfully!  Press OK to exit.";

namespace {

constexpr DWORD kPackMs = 60000;
constexpr DWORD kPollMs = 5;

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Deletes a directory with everything below it; best effort.
void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::string DescribeWindows(DWORD processId) {
  std::string list;
  for (const robot::WindowInfo& w : robot::ListWindows(processId)) {
    list += " [" + w.className + " \"" + Printable(w.caption) + "\"]";
  }
  return list.empty() ? " none" : list;
}

const char* ButtonName(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
  }
  return "?";
}

}  // namespace

std::string QuestionFor(const std::string& product) {
  return "This application will install " + product +
         " on your system.\nDo you wish to continue?";
}

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string StubSession::BinPath(const std::string& name) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir.erase(dir.find_last_of('\\') + 1);
  return dir + name;
}

void StubSession::SetUp() {
  static int counter = 0;
  char temp[MAX_PATH] = "";
  DWORD length = GetTempPathA(MAX_PATH, temp);
  ASSERT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  dir_ = std::string(temp) + "zbe2e-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "-" + name;
  RemoveTree(dir_);
  for (const std::string& d : {dir_, dir_ + "\\in", TempDir()}) {
    ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr))
        << "cannot create " << d << ": error " << GetLastError();
  }
}

void StubSession::TearDown() {
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

std::string StubSession::WriteInput(const std::string& name, const std::string& contents) {
  std::string path = dir_ + "\\in\\" + name;
  std::ofstream out(path, std::ios::binary);
  out << contents;
  out.close();
  EXPECT_TRUE(out.good()) << "cannot write " << path;
  return path;
}

bool StubSession::Pack(const std::string& product, const std::vector<std::string>& options,
                       const std::vector<std::string>& files) {
  // Damaging options belong to the hidden fixture command; it packs like pack otherwise.
  bool fixture = false;
  for (const std::string& option : options) {
    fixture = fixture || option == "--set" || option == "--append-bytes" || option == "--truncate";
  }
  std::vector<std::string> args = {fixture ? "fixture" : "pack", "-o", InstallerPath(), "--stub",
                                   BinPath("zubrex-stub.exe"), "--product", product};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), files.begin(), files.end());
  std::string commandLine;
  for (const std::string& a : args) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += robot::QuoteArgument(a);
  }

  robot::StartOptions start;
  start.outputFile = dir_ + "\\zbpack.log";
  DWORD error = 0;
  std::string packer = BinPath("zbpack.exe");
  robot::Process zbpack = robot::Start(packer, commandLine, start, &error);
  if (!zbpack.started()) {
    ADD_FAILURE() << "cannot start " << packer << ": error " << error;
    return false;
  }
  DWORD code = 0;
  if (!zbpack.WaitExit(kPackMs, &code)) {
    zbpack.Kill();
    ADD_FAILURE() << "zbpack did not end within " << kPackMs << " ms: zbpack " << commandLine;
    return false;
  }
  if (code != 0) {
    ADD_FAILURE() << "zbpack exited with " << code << ": zbpack " << commandLine << "\n"
                  << ReadWholeFile(start.outputFile);
    return false;
  }
  return true;
}

bool StubSession::CopyStubAsInstaller() {
  std::string stub = BinPath("zubrex-stub.exe");
  if (!CopyFileA(stub.c_str(), InstallerPath().c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << stub << ": error " << GetLastError();
    return false;
  }
  return true;
}

bool StubSession::Launch() { return LaunchWith({}); }

bool StubSession::LaunchWith(const robot::Environment& changes) {
  robot::StartOptions options;
  options.environment = {{"TMP", TempDir()}, {"TEMP", TempDir()}};
  options.environment.insert(options.environment.end(), changes.begin(), changes.end());
  DWORD error = 0;
  stub_ = robot::Start(InstallerPath(), std::string(), options, &error);
  if (!stub_.started()) {
    ADD_FAILURE() << "cannot start " << InstallerPath() << ": error " << error;
    return false;
  }
  return true;
}

HWND StubSession::WaitBox(const char* caption, std::vector<std::string>* othersSeen) {
  std::vector<HWND> seen;
  DWORD start = GetTickCount();
  for (;;) {
    // The end is tested first: windows may still be listed for a moment after it.
    bool ended = !stub_.Running();
    for (const robot::WindowInfo& w : robot::ListWindows(stub_.id())) {
      if (w.className != robot::kDialogClass) continue;
      if (w.caption == caption && !ended) return w.window;
      bool known = false;
      for (HWND h : seen) known = known || h == w.window;
      if (known) continue;
      seen.push_back(w.window);
      if (othersSeen != nullptr) othersSeen->push_back(w.caption);
    }
    if (ended || GetTickCount() - start >= kWaitMs) break;
    Sleep(kPollMs);
  }
  DWORD code = 0;
  if (stub_.WaitExit(0, &code)) {
    ADD_FAILURE() << "the stub ended (exit code " << code << ") without showing \"" << caption
                  << "\"";
  } else {
    ADD_FAILURE() << "no \"" << caption << "\" within " << kWaitMs
                  << " ms; the stub's windows:" << DescribeWindows(stub_.id());
    stub_.Kill();
  }
  return nullptr;
}

void StubSession::ExpectBox(HWND box, const char* caption, const std::string& text,
                            const std::vector<int>& buttons) {
  EXPECT_EQ(robot::WindowCaption(box), caption);
  bool read = false;
  EXPECT_EQ(robot::MessageBoxText(box, &read), text);
  EXPECT_TRUE(read) << "the box's text control did not answer";
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    bool wanted = false;
    for (int b : buttons) wanted = wanted || b == id;
    bool shown = robot::ControlVisible(box, id) && robot::ControlEnabled(box, id);
    EXPECT_EQ(shown, wanted) << "button " << ButtonName(id) << " of \"" << caption << "\"";
  }
}

bool StubSession::Press(HWND window, int buttonId) {
  robot::PressResult result = robot::Press(window, buttonId);
  if (result == robot::PressResult::kPressed) return true;
  DWORD code = 0;
  std::string state = stub_.WaitExit(0, &code)
                          ? "the stub has ended, exit code " + std::to_string(code)
                          : "the stub runs; its windows:" + DescribeWindows(stub_.id());
  ADD_FAILURE() << "pressing " << ButtonName(buttonId) << " (" << buttonId << ") of \""
                << Printable(robot::WindowCaption(window))
                << "\": " << robot::PressResultName(result) << "; " << state;
  return false;
}

DWORD StubSession::WaitEnd(HWND answered, std::vector<std::string>* dialogsSeen) {
  std::vector<HWND> seen;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD code = 0;
    if (stub_.WaitExit(0, &code)) return code;
    for (const robot::WindowInfo& w : robot::ListWindows(stub_.id())) {
      if (w.window == answered || w.className != robot::kDialogClass) continue;
      bool known = false;
      for (HWND h : seen) known = known || h == w.window;
      if (known) continue;
      seen.push_back(w.window);
      if (dialogsSeen != nullptr) dialogsSeen->push_back(w.caption);
    }
    if (GetTickCount() - start >= kWaitMs) break;
    Sleep(kPollMs);
  }
  ADD_FAILURE() << "the stub did not end within " << kWaitMs
                << " ms; its windows:" << DescribeWindows(stub_.id());
  stub_.Kill();
  return ~0u;
}

std::vector<std::string> StubSession::WorkDirEntries(bool* exists) const {
  std::vector<std::string> names;
  DWORD attributes = GetFileAttributesA(WorkDir().c_str());
  *exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!*exists) return names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((WorkDir() + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace e2e
