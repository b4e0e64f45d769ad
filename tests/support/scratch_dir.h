// Scratch files for the tests: a directory of their own, and whole files written and read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh directory under the system's temporary directory, removed with everything below it
// when the object ends.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The directory joined with name; Path("") ends in the path separator.
  std::string Path(const std::string& name) const { return root_ + kSeparator + name; }
  const std::string& root() const { return root_; }  // without a final separator
  // Writes bytes to Path(name); returns that path.
  std::string Write(const std::string& name, const Bytes& bytes) const;

#ifdef _WIN32
  static constexpr char kSeparator = '\\';
#else
  static constexpr char kSeparator = '/';
#endif

 private:
  std::string root_;
};

void WriteFileBytes(const std::string& path, const Bytes& bytes);
void WriteFileText(const std::string& path, const std::string& text);
Bytes ReadFileBytes(const std::string& path);  // empty if the file cannot be read
