#include "stream_builder.h"

#include "explode/explode_codes.h"

using namespace zb_explode_codes;

StreamBuilder::StreamBuilder(uint32_t modeByte, uint32_t dictBitsByte)
    : mode(modeByte), dictBits(dictBitsByte), history(4096, 0) {
  bytes.push_back(static_cast<uint8_t>(modeByte));
  bytes.push_back(static_cast<uint8_t>(dictBitsByte));
}

void StreamBuilder::PutBits(uint32_t value, uint32_t count) {
  pending |= uint64_t{value & ((1u << count) - 1)} << pendingCount;
  pendingCount += count;
  while (pendingCount >= 8) {
    bytes.push_back(static_cast<uint8_t>(pending));
    pending >>= 8;
    pendingCount -= 8;
  }
}

void StreamBuilder::Literal(uint8_t byte) {
  PutBits(0, 1);
  if (mode == 0) {
    PutBits(byte, 8);
  } else {
    PutBits(kAsciiCodes[byte], kAsciiCodeBits[byte]);
  }
  history.push_back(byte);
}

static void PutLengthValue(StreamBuilder& b, uint32_t value) {
  uint32_t code = 15;
  while (kLengthBase[code] > value) --code;
  b.PutBits(kLengthCodes[code], kLengthCodeBits[code]);
  b.PutBits(value - kLengthBase[code], kLengthExtraBits[code]);
}

uint32_t MaxDistance(uint32_t length, uint32_t dictBits) {
  return length == 2 ? 256u : 64u << dictBits;
}

void StreamBuilder::Repetition(uint32_t length, uint32_t dist) {
  PutBits(1, 1);
  PutLengthValue(*this, length - 2);
  const uint32_t lowBits = length == 2 ? 2 : dictBits;
  const uint32_t h = (dist - 1) >> lowBits;
  PutBits(kDistanceCodes[h], kDistanceCodeBits[h]);
  PutBits(dist - 1, lowBits);
  for (uint32_t k = 0; k < length; ++k) history.push_back(history[history.size() - dist]);
}

void StreamBuilder::End() {
  PutBits(1, 1);
  PutLengthValue(*this, 517);
}

void StreamBuilder::Flush() {
  if (pendingCount > 0) PutBits(0, 8 - pendingCount);
}

uint64_t StreamBuilder::BitCount() const { return bytes.size() * 8 + pendingCount; }

std::vector<uint8_t> StreamBuilder::Output() const {
  return std::vector<uint8_t>(history.begin() + 4096, history.end());
}

StreamBuilder RandomStream(std::mt19937& rng, uint32_t mode, uint32_t dictBits, uint32_t outputSize,
                           bool reachBeforeStart) {
  StreamBuilder b(mode, dictBits);
  auto pick = [&rng](uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
  };
  // Each stream leans its own way, so some are literal runs and some long repetitions.
  const uint32_t literalPercent = pick(0, 100);
  const uint32_t longPercent = pick(0, 30);
  const bool textLike = pick(0, 1) == 1;
  static const char kText[] = "the quick brown fox jumps over a lazy dog, THEN 0123456789.\n";
  while (b.history.size() - 4096 < outputSize) {
    const uint32_t produced = static_cast<uint32_t>(b.history.size() - 4096);
    if (pick(1, 100) <= literalPercent || (produced == 0 && !reachBeforeStart)) {
      const uint8_t byte = textLike ? static_cast<uint8_t>(kText[pick(0, sizeof kText - 2)])
                                    : static_cast<uint8_t>(pick(0, 255));
      b.Literal(byte);
      continue;
    }
    uint32_t length;
    const uint32_t kind = pick(1, 100);
    if (kind <= longPercent) {
      length = pick(2, 518);
    } else if (kind <= longPercent + 3) {
      length = 518;
    } else {
      length = pick(2, 12);
    }
    uint32_t limit = MaxDistance(length, dictBits);
    if (!reachBeforeStart && produced < limit) limit = produced;
    uint32_t dist;
    const uint32_t shape = pick(1, 10);
    if (shape <= 3) {
      dist = pick(1, limit < 9 ? limit : 9);
    } else if (shape == 4) {
      dist = limit;
    } else {
      dist = pick(1, limit);
    }
    b.Repetition(length, dist);
  }
  b.End();
  b.Flush();
  return b;
}
