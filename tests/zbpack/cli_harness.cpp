#include "cli_harness.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "archive/stub_mark.h"

namespace {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

RunResult RunZbpack(const std::vector<std::string>& args, const ScratchDir& scratch,
                    const std::string& program) {
  const std::string outPath = scratch.Path(".stdout");
  const std::string errPath = scratch.Path(".stderr");
  std::string command = "cd " + ShellQuote(scratch.root()) + " && " + ZBPACK_RUNNER " " +
                        ShellQuote(program);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath);
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

std::string PackCommandFor(const std::vector<std::string>& options) {
  for (const std::string& option : options) {
    if (option == "--set" || option == "--append-bytes" || option == "--truncate") return "fixture";
  }
  return "pack";
}

void SetModificationTime(const std::string& path, int64_t seconds, uint32_t nanoseconds) {
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = static_cast<long>(nanoseconds);
  times[1] = times[0];
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) std::abort();
}

uint32_t Le32At(const Bytes& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes.at(offset)) | static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<uint32_t>(bytes.at(offset + 2)) << 16 |
         static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

Bytes FakeStubBytes(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  std::fill(bytes.begin() + 2, bytes.begin() + 0x200, 0);
  auto put = [&bytes](size_t offset, uint32_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  bytes[0] = 'M';
  bytes[1] = 'Z';
  put(0x3C, 0x40, 4);                        // where "PE\0\0" stands
  put(0x40, 0x00004550, 4);                  // "PE\0\0"
  put(0x44, 0x014C, 2);                      // i386
  put(0x46, 1, 2);                           // one section
  put(0x54, 0xE0, 2);                        // optional header size
  put(0x58, 0x010B, 2);                      // PE32
  put(0x58 + 68, 2, 2);                      // subsystem: Windows GUI
  put(0x138 + 16, static_cast<uint32_t>(size - 0x200), 4);  // section: raw size
  put(0x138 + 20, 0x200, 4);                                // section: raw data offset
  const char mark[] = ZB_STUB_MARK;
  std::copy(mark, mark + sizeof mark - 1, bytes.begin() + 0x200);
  return bytes;
}

Bytes CompressibleBytes(size_t size) {
  static const char kLine[] = "The quick brown fox jumps over the lazy dog. 0123456789\r\n";
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(kLine[i % (sizeof kLine - 1)]);
  return bytes;
}

Bytes IncompressibleBytes(size_t size) {
  // xorshift32: no repetition the encoder can use within 4 KiB windows.
  Bytes bytes(size);
  uint32_t state = 0x9E3779B9;
  for (size_t i = 0; i < size; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes[i] = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}
