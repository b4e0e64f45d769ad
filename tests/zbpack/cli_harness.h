// Running the zbpack program from tests, each test in its own scratch directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct RunResult {
  int exitCode;        // the process's exit status; -1 if it did not exit normally
  std::string out;     // everything written to stdout
  std::string err;     // everything written to stderr
};

// A fresh directory below the system's temporary directory, removed with its contents when the
// object ends.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const { return root_ + "/" + name; }
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

// Runs the zbpack under test with args (no shell interpretation of their contents).
RunResult RunZbpack(const std::vector<std::string>& args, const ScratchDir& scratch);

void WriteFileBytes(const std::string& path, const Bytes& bytes);
void WriteFileText(const std::string& path, const std::string& text);
Bytes ReadFileBytes(const std::string& path);  // empty if the file cannot be read

// Sets a file's modification time (and its access time to the same) with nanoseconds.
void SetModificationTime(const std::string& path, int64_t seconds, uint32_t nanoseconds);

// Little-endian reads at a byte offset; the offset must lie inside bytes.
uint32_t Le32At(const Bytes& bytes, size_t offset);
uint64_t Le64At(const Bytes& bytes, size_t offset);

// The smallest program zbpack accepts as a stub: a Windows GUI program header for i386 with one
// section spanning the file from byte 512, which holds the stub mark; size bytes (at least
// 600), the rest a byte pattern.
Bytes FakeStubBytes(size_t size = 1024);

// Bytes that the implode encoder shrinks well, and bytes it cannot shrink, both deterministic.
Bytes CompressibleBytes(size_t size);
Bytes IncompressibleBytes(size_t size);
