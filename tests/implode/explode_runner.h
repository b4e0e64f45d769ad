// Runs the real decoder (Explode) over a stream held in memory and records what its
// callbacks saw.
#pragma once
#include <cstdint>
#include <vector>

enum class ReadPattern {
  kFull,         // as much as asked (2048 bytes) per call
  kFiveThenOne,  // 5 bytes in the first call, then 1 byte per call
};

struct ExplodeRun {
  uint32_t result = 0xFFFFFFFF;
  std::vector<uint8_t> output;
  std::vector<uint32_t> writeSizes;  // *size of every write call, in order
};

ExplodeRun RunExplode(const std::vector<uint8_t>& stream, ReadPattern pattern);
