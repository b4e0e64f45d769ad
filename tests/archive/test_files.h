// Scratch files for tests that drive the stdio-based reading code.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A directory of its own under the system's temporary directory, removed with its files (one
// level deep) when the object ends.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }  // ends in the path separator
  std::string Write(const std::string& name, const Bytes& bytes) const;

 private:
  std::string path_;
};

Bytes ReadAll(const std::string& path);
void AppendLE32(Bytes& bytes, uint32_t value);

// One member as it stands in an archive: header fields, name bytes (NUL included) and data.
struct TestMember {
  uint32_t tag = 0x000A0004;
  uint32_t compressed = 0;
  uint32_t crc = 0;
  uint64_t lastWriteTime = 0;
  std::string name;  // written with its NUL; nameLength follows unless overridden
  int64_t nameLengthOverride = -1;
  int64_t storedSizeOverride = -1;
  Bytes data;
};

// stub bytes + archive tag + members + 280-byte trailer, the fields as given.
Bytes BuildArchive(const Bytes& stub, const std::vector<TestMember>& members, uint32_t scriptIndex,
                   const std::string& productName);

uint32_t Crc32Of(const Bytes& bytes);
