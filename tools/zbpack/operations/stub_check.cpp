#include "zbpack/operations/stub_check.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/archive_format.h"
#include "archive/pe_image.h"
#include "archive/stub_mark.h"
#include "zbpack/host/host_files.h"
#include "zbpack/operations/archive_reading.h"

namespace {

// The machine, and the subsystem at byte 68 of the optional header.
std::string StubHeaderProblem(FILE* file, uint64_t size) {
  PeHeaders headers;
  if (!ReadPeHeaders(size, ReadPeFile, file, &headers)) return "not a Windows program";
  if (headers.machine != kPeMachineI386 && headers.machine != kPeMachineAmd64) {
    return "a Windows program for another processor";
  }
  if (headers.subsystem != kPeSubsystemWindowsGui) {
    return "a Windows console or driver program, not the stub";
  }
  return "";
}

// Looks for the mark anywhere in the file, through one fixed buffer; a mark that straddles two
// reads is found since each read keeps the last (mark length - 1) bytes of the one before.
bool ContainsStubMark(FILE* file) {
  static const char kMark[] = ZB_STUB_MARK;
  constexpr size_t kMarkLength = sizeof kMark - 1;
  std::vector<char> buffer(65536);
  size_t kept = 0;
  if (!SeekStream(file, 0)) return false;
  for (;;) {
    const size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file);
    if (got == 0) return false;
    const size_t filled = kept + got;
    for (size_t i = 0; i + kMarkLength <= filled; ++i) {
      if (std::memcmp(buffer.data() + i, kMark, kMarkLength) == 0) return true;
    }
    kept = filled < kMarkLength - 1 ? filled : kMarkLength - 1;
    std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
  }
}

bool IsFile(const std::string& path) {
  HostFileInfo info;
  std::string reason;
  return QueryHostFile(path.c_str(), &info, &reason) && info.isRegularFile;
}

}  // namespace

std::string StubProblem(const std::string& path) {
  HostFileInfo info;
  std::string reason;
  if (!QueryHostFile(path.c_str(), &info, &reason)) return "cannot open: " + reason;
  if (!info.isRegularFile) return "not a regular file";
  if (info.size > 0xFFFFFFFFu - 4) return "stub too large (4 GiB and more)";
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::string("cannot open: ") + std::strerror(errno);
  std::string problem = StubHeaderProblem(file, info.size);
  if (problem.empty() && !ContainsStubMark(file))
    problem = "a Windows program, but not a Zubrex stub";
  if (problem.empty() && EndsInClosingRecord(file)) {
    problem = "already an installer (an archive follows the stub)";
  }
  std::fclose(file);
  return problem.empty() ? "" : "not usable as --stub: " + problem;
}

std::string DefaultStubPath() {
  const std::string here = ExecutableDirectory();
  if (here.empty()) return "";
  for (const char* relative : {"/zubrex-stub.exe", "/../../win32/bin/zubrex-stub.exe",
                               "/../../win64/bin/zubrex-stub.exe"}) {
    const std::string candidate = here + relative;
    if (IsFile(candidate)) return candidate;
  }
  return "";
}
