#include "e2e_run_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace e2e {
namespace run {

namespace {

constexpr DWORD kPollMs = 5;
constexpr DWORD kPackerMs = 60000;

uint32_t Le32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

uint32_t NextRandom(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// The field value that follows "key=" up to the next "|"-key or the end of the line.
std::string Field(const std::string& line, const std::string& key, const std::string& nextKey) {
  const size_t start = line.find(key + "=");
  if (start == std::string::npos) return std::string();
  const size_t from = start + key.size() + 1;
  const size_t end = nextKey.empty() ? line.size() : line.find("|" + nextKey + "=", from);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string all;
  for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
  return "[" + all + "]";
}

std::string CodeHex(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(code));
  return text;
}


// Runs a program with its stdout and stderr in logPath and waits (bounded) for its end.
PackerResult RunToLog(const std::string& packer, const std::string& logPath,
                      const std::vector<std::string>& args) {
  PackerResult result;
  std::string commandLine;
  for (const std::string& a : args) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += robot::QuoteArgument(a);
  }
  robot::StartOptions start;
  start.outputFile = logPath;
  DWORD error = 0;
  robot::Process zbpack = robot::Start(packer, commandLine, start, &error);
  if (!zbpack.started()) {
    ADD_FAILURE() << "cannot start " << packer << ": error " << error;
    return result;
  }
  if (!zbpack.WaitExit(kPackerMs, &result.exitCode)) {
    zbpack.Kill();
    ADD_FAILURE() << "zbpack " << commandLine << " did not end within " << kPackerMs << " ms";
    return result;
  }
  result.ran = true;
  result.output = ReadFileBytes(logPath);
  return result;
}


}  // namespace

std::string ReadFileBytes(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  if (ok != nullptr) *ok = in.is_open();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

bool SetLastWriteTime(const std::string& path, uint64_t fileTime) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(fileTime);
  time.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  const bool set = SetFileTime(file, nullptr, nullptr, &time) != 0;
  CloseHandle(file);
  return set;
}

uint64_t SampleFileTime(int k) {
  // 2003-04-05 06:07:08 UTC, plus k hours and k * 1234567 hundred nanoseconds.
  const uint64_t base = 126939736280000000ull;
  return base + static_cast<uint64_t>(k) * 36000000000ull + static_cast<uint64_t>(k) * 1234567ull;
}

std::string CrLfScript(const std::vector<std::string>& lines, bool lastLineFeed) {
  std::string script;
  for (size_t i = 0; i < lines.size(); ++i) {
    script += lines[i];
    if (i + 1 < lines.size() || lastLineFeed) script += "\r\n";
  }
  return script;
}

std::string RandomBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& c : bytes) c = static_cast<char>(NextRandom(state));
  return bytes;
}

std::string TextBytes(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"the",    "installer", "extracts", "every", "member",
                                       "into",   "a",         "private",  "work",  "directory",
                                       "Zubrex", "file",      "setup",    "and",   "runs"};
  uint32_t state = seed;
  std::string text;
  while (text.size() < size) {
    text += kWords[NextRandom(state) % 15];
    const uint32_t r = NextRandom(state) % 12;
    text += r == 0 ? ".\r\n" : r == 1 ? ", " : " ";
  }
  text.resize(size);
  return text;
}

std::string MixedBytes(size_t size, uint32_t seed) {
  uint32_t state = seed;
  std::string bytes;
  bytes.reserve(size);
  std::string pattern = RandomBytes(300, seed + 1);
  while (bytes.size() < size) {
    const size_t run = 1000 + NextRandom(state) % 60000;
    switch (NextRandom(state) % 4) {
      case 0:
        bytes += TextBytes(run, NextRandom(state));
        break;
      case 1:
        bytes += RandomBytes(run, NextRandom(state));
        break;
      case 2:
        bytes.append(run, static_cast<char>(NextRandom(state) % 3 == 0 ? 0 : 0xFF));
        break;
      default:
        for (size_t i = 0; i < run; i += pattern.size()) {
          pattern[NextRandom(state) % pattern.size()] = static_cast<char>(NextRandom(state));
          bytes += pattern;
        }
        break;
    }
  }
  bytes.resize(size);
  return bytes;
}

bool ReadStoredMembers(const std::string& installer, std::vector<StoredMember>* members) {
  members->clear();
  const std::string bytes = ReadFileBytes(installer);
  if (bytes.size() < 280) {
    ADD_FAILURE() << installer << " is shorter than a closing record";
    return false;
  }
  const size_t trailer = bytes.size() - 280;
  const uint32_t archiveOffset = Le32(bytes, trailer + 4);
  const uint32_t fileCount = Le32(bytes, trailer + 8);
  size_t at = size_t(archiveOffset) + 4;
  for (uint32_t k = 1; k <= fileCount; ++k) {
    if (at + 32 > trailer) {
      ADD_FAILURE() << "member " << k << " header runs into the closing record";
      return false;
    }
    StoredMember m;
    const uint32_t nameLength = Le32(bytes, at + 4);
    m.storedSize = Le32(bytes, at + 8);
    m.compressed = Le32(bytes, at + 12);
    m.originalSize = Le32(bytes, at + 16);
    m.crc = Le32(bytes, at + 20);
    m.lastWriteTime = Le32(bytes, at + 24) | (static_cast<uint64_t>(Le32(bytes, at + 28)) << 32);
    if (nameLength == 0 || at + 32 + nameLength + m.storedSize > trailer) {
      ADD_FAILURE() << "member " << k << " runs into the closing record";
      return false;
    }
    m.name = bytes.substr(at + 32, nameLength - 1);
    m.dataStart = bytes.substr(at + 32 + nameLength, std::min<uint32_t>(2, m.storedSize));
    members->push_back(m);
    at += 32 + nameLength + m.storedSize;
  }
  return true;
}

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
    run.cmdline = Field(line, "cmdline", "status");
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

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

HeldWindow::HeldWindow(const std::string& className) : className_(className) {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className_.c_str();
  RegisterClassA(&windowClass);  // a second registration of the class fails harmlessly
  window_ = CreateWindowA(className_.c_str(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                          windowClass.hInstance, nullptr);
  EXPECT_NE(window_, nullptr) << "cannot create a window of class " << className_;
}

HeldWindow::~HeldWindow() { Release(); }

void HeldWindow::Release() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

std::string RunSession::WriteTimedInput(const std::string& name, const std::string& contents,
                                        uint64_t fileTime) {
  const std::string path = WriteInput(name, contents);
  EXPECT_TRUE(SetLastWriteTime(path, fileTime)) << "cannot set the time of " << path;
  EXPECT_EQ(LastWriteTime(path), fileTime) << path;
  return path;
}

HWND RunSession::StartToStatus() {
  if (!Launch()) return nullptr;
  HWND question = WaitBox(kQuestionCaption);
  if (question == nullptr || !Press(question, IDYES)) return nullptr;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWaitMs && Stub().Running()) {
    if (HWND error = robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kErrorCaption)) {
      ADD_FAILURE() << "error box instead of the status window: \""
                    << Printable(robot::MessageBoxText(error)) << "\"";
      return nullptr;
    }
    if (HWND status = robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kStatusCaption)) {
      return status;
    }
    Sleep(kPollMs);
  }
  ADD_FAILURE() << "no status window (the stub " << (Stub().Running() ? "runs" : "has ended")
                << ")";
  return nullptr;
}

HWND RunSession::StartToError(const std::string& text, bool* statusShown) {
  *statusShown = false;
  if (!Launch()) return nullptr;
  HWND question = WaitBox(kQuestionCaption);
  if (question == nullptr || !Press(question, IDYES)) return nullptr;
  HWND error = WaitBox(kErrorCaption);
  if (error == nullptr) return nullptr;
  // Read after the box is found: the status window must still be there beside it.
  *statusShown =
      robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kStatusCaption) != nullptr;
  ExpectBox(error, kErrorCaption, text, {IDOK});
  return error;
}

bool RunSession::WaitToolTag(const std::string& tag) {
  const DWORD start = GetTickCount();
  for (;;) {
    const bool running = Stub().Running();
    for (const ToolRun& run : ReadToolLog(ToolLogPath())) {
      if (run.tag == tag) return true;
    }
    if (!running || GetTickCount() - start >= kWaitMs) break;
    Sleep(kPollMs);
  }
  ADD_FAILURE() << "no run of zbscripttool with tag \"" << tag << "\"; the log holds "
                << JoinNames(ToolTags(ReadToolLog(ToolLogPath())));
  return false;
}

void RunSession::FinishWithOk(HWND status) {
  bool enabled = false;
  std::string shown;
  const DWORD start = GetTickCount();
  while (!(enabled = robot::ControlEnabled(status, kStatusOkId)) && Stub().Running() &&
         GetTickCount() - start < kWaitMs) {
    Sleep(kPollMs);
  }
  shown = robot::ControlText(status, kStatusTextId);
  ASSERT_TRUE(enabled) << "OK never became enabled; status text \"" << Printable(shown) << "\"";
  EXPECT_EQ(shown, kFinalText);
  ASSERT_TRUE(Press(status, kStatusOkId));
  std::vector<std::string> after;
  EXPECT_EQ(WaitEnd(status, &after), 0u);
  EXPECT_TRUE(after.empty()) << "a window appeared after OK: " << JoinNames(after);
  EXPECT_FALSE(DirectoryExists(WorkDir())) << WorkDir() << " is still there";
}

void RunSession::DismissError(HWND error) {
  // The status window may stand behind the box; it is no window that "appeared" after it.
  HWND status = robot::FindVisibleWindow(Stub().id(), robot::kDialogClass, kStatusCaption);
  ASSERT_TRUE(Press(error, IDOK));
  std::vector<std::string> after;
  const DWORD start = GetTickCount();
  DWORD code = ~0u;
  while (!Stub().WaitExit(0, &code)) {
    for (const robot::WindowInfo& w : robot::ListWindows(Stub().id())) {
      if (w.window == error || w.window == status || w.className != robot::kDialogClass) continue;
      if (std::find(after.begin(), after.end(), w.caption) == after.end()) after.push_back(w.caption);
    }
    if (GetTickCount() - start >= kWaitMs) {
      ADD_FAILURE() << "the stub did not end within " << kWaitMs << " ms of the error box";
      Stub().Kill();
      return;
    }
    Sleep(kPollMs);
  }
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(after.empty()) << "a window appeared after the error box: " << JoinNames(after);
}


PackerResult RunSession::RunPacker(const std::vector<std::string>& args) {
  return RunToLog(BinPath("zbpack.exe"), Dir() + "\\zbpack-check.log", args);
}

void RunSession::ExpectVerify(uint32_t failCode) {
  const PackerResult verify = RunPacker({"verify", InstallerPath()});
  ASSERT_TRUE(verify.ran);
  if (failCode == 0) {
    EXPECT_EQ(verify.exitCode, 0u) << "zbpack verify:\n" << verify.output;
  } else {
    EXPECT_EQ(verify.exitCode, 1u) << "zbpack verify:\n" << verify.output;
    EXPECT_NE(verify.output.find(CodeHex(failCode)), std::string::npos)
        << "zbpack verify does not name " << CodeHex(failCode) << ":\n" << verify.output;
  }
}

std::string RunSession::ExpectExtract(uint32_t failCode) {
  const std::string parent = Dir() + "\\packer";
  const std::string out = parent + "\\out";
  EXPECT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
  const PackerResult extract = RunPacker({"extract", "-C", out, InstallerPath()});
  if (!extract.ran) return out;
  if (failCode == 0) {
    EXPECT_EQ(extract.exitCode, 0u) << "zbpack extract:\n" << extract.output;
  } else {
    EXPECT_EQ(extract.exitCode, 1u) << "zbpack extract:\n" << extract.output;
    EXPECT_NE(extract.output.find(CodeHex(failCode)), std::string::npos)
        << "zbpack extract does not name " << CodeHex(failCode) << ":\n" << extract.output;
  }
  EXPECT_EQ(Entries(parent), std::vector<std::string>{"out"})
      << "zbpack extract wrote beside its directory";
  return out;
}

void RunSession::ExpectFilesEqual(const std::string& dir,
                                  const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [name, input] : files) {
    const std::string path = dir + "\\" + name;
    bool read = false;
    const std::string got = ReadFileBytes(path, &read);
    EXPECT_TRUE(read) << path << " cannot be read";
    const std::string want = ReadFileBytes(input);
    EXPECT_EQ(got.size(), want.size()) << path;
    EXPECT_TRUE(got == want) << path << " differs from " << input;
    EXPECT_EQ(LastWriteTime(path), LastWriteTime(input)) << "last-write time of " << path;
  }
}

void RunSession::ExpectSameFiles(const std::string& a, const std::string& b,
                                 const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    bool readA = false;
    bool readB = false;
    const std::string bytesA = ReadFileBytes(a + "\\" + name, &readA);
    const std::string bytesB = ReadFileBytes(b + "\\" + name, &readB);
    EXPECT_TRUE(readA && readB) << name << " missing in " << (readA ? b : a);
    EXPECT_EQ(bytesA.size(), bytesB.size()) << name;
    EXPECT_TRUE(bytesA == bytesB) << name << " differs between " << a << " and " << b;
    EXPECT_EQ(LastWriteTime(a + "\\" + name), LastWriteTime(b + "\\" + name)) << name;
  }
}

std::vector<std::string> RunSession::Entries(const std::string& dir) {
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

}  // namespace run
}  // namespace e2e

