#include "stream_checker.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "explode/explode_reference.h"

namespace {

struct Checking {
  const std::vector<uint8_t>* stream;
  size_t read;
  StreamCheck* check;
  uint64_t produced;  // output bytes of the symbols so far
};

uint32_t Read(uint8_t* buffer, uint32_t* size, void* userData) {
  Checking& k = *static_cast<Checking*>(userData);
  const uint32_t n = static_cast<uint32_t>(std::min<size_t>(*size, k.stream->size() - k.read));
  std::memcpy(buffer, k.stream->data() + k.read, n);
  k.read += n;
  return n;
}

void Write(uint8_t* buffer, uint32_t* size, void* userData) {
  std::vector<uint8_t>& out = static_cast<Checking*>(userData)->check->output;
  out.insert(out.end(), buffer, buffer + *size);
}

void Count(const ExplodeSymbol& symbol, void* userData) {
  Checking& k = *static_cast<Checking*>(userData);
  StreamCheck& c = *k.check;
  c.symbolBits += symbol.bits;
  if (symbol.end) return;
  if (symbol.length == 0) {
    c.literals += 1;
    k.produced += 1;
    return;
  }
  if (symbol.distance > k.produced && c.problem.empty()) {
    c.problem = "repetition of " + std::to_string(symbol.length) + " bytes at distance " +
                std::to_string(symbol.distance) + " after " + std::to_string(k.produced);
  }
  c.repetitions += 1;
  c.fullLengthRepetitions += symbol.length == 518 ? 1 : 0;
  uint32_t& farthest = symbol.length == 2 ? c.farthestDistance2 : c.farthestDistance;
  farthest = std::max(farthest, symbol.distance);
  k.produced += symbol.length;
}

}  // namespace

StreamCheck CheckStream(const std::vector<uint8_t>& stream) {
  StreamCheck c;
  Checking k = {&stream, 0, &c, 0};
  auto work = std::make_unique<ExplodeReferenceState>();
  const uint32_t result = ExplodeReferenceWatched(Read, Write, Count, work.get(), &k);
  if (!c.problem.empty()) return c;
  if (result != CMP_NO_ERROR) {
    c.problem = "decoder result " + std::to_string(result);
    return c;
  }
  const uint64_t usedBits = 16 + c.symbolBits;
  const size_t usedBytes = static_cast<size_t>((usedBits + 7) / 8);
  if (stream.size() != std::max<size_t>(usedBytes, 5) ||
      (usedBits % 8 != 0 && stream[usedBytes - 1] >> (usedBits % 8) != 0) ||
      (usedBytes < 5 && stream[4] != 0)) {
    c.problem = "stream of " + std::to_string(stream.size()) + " bytes, or nonzero padding, " +
                "behind an end symbol that ends in byte " + std::to_string(usedBytes);
  }
  return c;
}
