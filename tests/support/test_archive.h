// Archives built byte by byte for the tests, with the stub's own record encoders.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scratch_dir.h"

// One member as it stands in an archive: header fields, name bytes (NUL added) and data.
struct TestMember {
  uint32_t tag = 0x000A0004;
  uint32_t compressed = 0;
  uint32_t crc = 0;
  uint64_t lastWriteTime = 0;
  std::string name;
  int64_t nameLengthOverride = -1;  // else the name's length with its NUL
  int64_t storedSizeOverride = -1;  // else data.size()
  Bytes data;
  int64_t originalSizeOverride = -1;  // else data.size()
};

// stub bytes + archive tag + members + closing record (280 bytes); totalBytes is the sum of
// the data sizes (1 when that is 0).
Bytes BuildArchive(const Bytes& stub, const std::vector<TestMember>& members, uint32_t scriptIndex,
                   const std::string& productName);

uint32_t Crc32Of(const Bytes& bytes);
