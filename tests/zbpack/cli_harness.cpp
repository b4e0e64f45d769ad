#include "cli_harness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "archive/stub_mark.h"
#include "archive_damage.h"

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

// pack with the damaging options taken out, then the damage done to its output.
RunResult PackAndDamage(std::vector<std::string> args, const ScratchDir& scratch,
                        const std::string& program) {
  ArchiveDamage damage;
  args[0] = "pack";
  std::string problem = SplitDamageOptions(&args, &damage);
  if (!problem.empty()) return {-1, "", problem};
  const RunResult packed = RunZbpack(args, scratch, program);
  if (packed.exitCode != 0) return packed;
  const auto output = std::find(args.begin(), args.end(), "-o");
  if (output == args.end() || output + 1 == args.end()) return {-1, "", "fixture without -o"};
  problem = DamageInstaller(*(output + 1), damage);
  return problem.empty() ? packed : RunResult{-1, "", problem};
}

}  // namespace

RunResult RunZbpack(const std::vector<std::string>& args, const ScratchDir& scratch,
                    const std::string& program) {
  if (!args.empty() && args[0] == "fixture") return PackAndDamage(args, scratch, program);
  const std::string outPath = scratch.Path(".stdout");
  const std::string errPath = scratch.Path(".stderr");
  std::string command =
      "cd " + ShellQuote(scratch.root()) + " && " + ZBPACK_RUNNER " " + ShellQuote(program);
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
  return static_cast<uint32_t>(bytes.at(offset)) |
         static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<uint32_t>(bytes.at(offset + 2)) << 16 |
         static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

Bytes FakeStubBytes() {
  Bytes bytes(0x800);
  for (size_t i = 0x200; i < 0x400; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  auto put = [&bytes](size_t offset, uint32_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  bytes[0] = 'M';
  bytes[1] = 'Z';
  put(0x3C, 0x40, 4);                 // where "PE\0\0" stands
  put(0x40, 0x00004550, 4);           // "PE\0\0"
  put(0x44, 0x014C, 2);               // i386
  put(0x46, 3, 2);                    // sections: code, resources, relocations
  put(0x54, 0xE0, 2);                 // optional header size
  put(0x58, 0x010B, 2);               // PE32
  put(0x58 + 32, 0x1000, 4);          // section alignment
  put(0x58 + 36, 0x200, 4);           // file alignment
  put(0x58 + 56, 0x4000, 4);          // image size
  put(0x58 + 60, 0x200, 4);           // headers size
  put(0x58 + 68, 2, 2);               // subsystem: Windows GUI
  put(0x58 + 92, 16, 4);              // data directories
  put(0x58 + 96 + 2 * 8, 0x2000, 4);  // resources
  put(0x58 + 96 + 2 * 8 + 4, 92, 4);
  put(0x58 + 96 + 5 * 8, 0x3000, 4);  // relocations
  put(0x58 + 96 + 5 * 8 + 4, 12, 4);
  for (uint32_t i = 0; i < 3; ++i) {  // name, sizes, addresses, flags
    const size_t at = 0x138 + 40 * i;
    std::copy_n(&".text\0\0\0.rsrc\0\0\0.reloc\0\0"[8 * i], 8, bytes.begin() + at);
    put(at + 8, 0x200, 4);
    put(at + 12, 0x1000 * (i + 1), 4);
    put(at + 16, 0x200, 4);
    put(at + 20, 0x200 * (i + 1), 4);
    put(at + 36, i == 0 ? 0x60000020 : 0xC0000040, 4);
  }
  const char mark[] = ZB_STUB_MARK;
  std::copy(mark, mark + sizeof mark - 1, bytes.begin() + 0x200);
  // One resource, RCDATA 1 in U.S. English: "fake".
  put(0x400 + 14, 1, 2);
  put(0x400 + 16, 10, 4);
  put(0x400 + 20, 0x80000018, 4);
  put(0x400 + 24 + 14, 1, 2);
  put(0x400 + 24 + 16, 1, 4);
  put(0x400 + 24 + 20, 0x80000030, 4);
  put(0x400 + 48 + 14, 1, 2);
  put(0x400 + 48 + 16, 0x409, 4);
  put(0x400 + 48 + 20, 72, 4);
  put(0x400 + 72, 0x2000 + 88, 4);
  put(0x400 + 76, 4, 4);
  std::copy_n("fake", 4, bytes.begin() + 0x400 + 88);
  put(0x600, 0x1000, 4);  // one relocation block of two entries
  put(0x604, 12, 4);
  put(0x608, 0x3010, 2);
  return bytes;
}
