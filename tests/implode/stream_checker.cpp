#include "stream_checker.h"

#include <cstdio>

#include "implode/implode_codes.h"

using namespace implode;

std::vector<uint32_t> CanonicalCodes(const uint8_t* bits, uint32_t count) {
  uint32_t lengthCount[17] = {};
  for (uint32_t s = 0; s < count; ++s) ++lengthCount[bits[s]];
  lengthCount[0] = 0;
  uint32_t next[17] = {};
  uint32_t code = 0;
  for (uint32_t n = 1; n <= 16; ++n) {
    code = (code + lengthCount[n - 1]) << 1;
    next[n] = code;
  }
  std::vector<uint32_t> codes(count, 0);
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t n = bits[s];
    const uint32_t msbFirst = next[n]++;
    uint32_t reversed = 0;
    for (uint32_t b = 0; b < n; ++b) {
      if (((msbFirst >> b) & 1) == 0) reversed |= 1u << (n - 1 - b);  // inverted and reversed
    }
    codes[s] = reversed;
  }
  return codes;
}

namespace {

struct BitReader {
  const std::vector<uint8_t>* bytes;
  uint64_t bitPos = 16;  // symbols start at byte 2
  bool Take(uint32_t count, uint32_t* value) {
    uint32_t v = 0;
    for (uint32_t b = 0; b < count; ++b) {
      const size_t byte = static_cast<size_t>((bitPos + b) >> 3);
      if (byte >= bytes->size()) return false;
      v |= uint32_t{((*bytes)[byte] >> ((bitPos + b) & 7)) & 1u} << b;
    }
    bitPos += count;
    *value = v;
    return true;
  }
};

// Decodes one code of a prefix code bit by bit: lookup[n][pattern] names the symbol, or -1.
struct PrefixDecoder {
  std::vector<std::vector<int>> lookup;
  PrefixDecoder(const uint8_t* bits, uint32_t count) : lookup(17) {
    const std::vector<uint32_t> codes = CanonicalCodes(bits, count);
    for (uint32_t n = 0; n <= 16; ++n) lookup[n].assign(size_t{1} << n, -1);
    for (uint32_t s = 0; s < count; ++s) lookup[bits[s]][codes[s]] = static_cast<int>(s);
  }
  int Read(BitReader& r) const {
    uint32_t pattern = 0;
    for (uint32_t n = 1; n <= 16; ++n) {
      uint32_t bit = 0;
      if (!r.Take(1, &bit)) return -1;
      pattern |= bit << (n - 1);
      if (lookup[n][pattern] >= 0) return lookup[n][pattern];
    }
    return -1;
  }
};

}  // namespace

StreamCheck CheckStream(const std::vector<uint8_t>& stream) {
  static const PrefixDecoder ascii(kAsciiCodeBits, 256);
  static const PrefixDecoder lengths(kLengthCodeBits, 16);
  static const PrefixDecoder distances(kDistanceCodeBits, 64);
  StreamCheck c;
  char text[160];
  if (stream.size() < 2) {
    c.problem = "no header";
    return c;
  }
  c.mode = stream[0];
  c.dictBits = stream[1];
  if (c.mode > 1 || c.dictBits < 4 || c.dictBits > 6) {
    c.problem = "bad header";
    return c;
  }
  BitReader r{&stream};
  for (;;) {
    uint32_t flag = 0;
    if (!r.Take(1, &flag)) break;
    if (flag == 0) {
      uint32_t byte = 0;
      if (c.mode == kModeBinary) {
        if (!r.Take(8, &byte)) break;
      } else {
        const int s = ascii.Read(r);
        if (s < 0) break;
        byte = static_cast<uint32_t>(s);
      }
      c.output.push_back(static_cast<uint8_t>(byte));
      ++c.literals;
      continue;
    }
    const int code = lengths.Read(r);
    if (code < 0) break;
    uint32_t extra = 0;
    if (!r.Take(kLengthExtraBits[code], &extra)) break;
    const uint32_t value = kLengthBase[code] + extra;
    if (value == kEndLengthValue) {
      c.symbolBits = r.bitPos - 16;
      const uint64_t usedBytes = (r.bitPos + 7) / 8;
      for (uint64_t b = r.bitPos; b < usedBytes * 8; ++b) {
        if ((stream[static_cast<size_t>(b >> 3)] >> (b & 7)) & 1) {
          c.problem = "nonzero padding bits behind the end symbol";
          return c;
        }
      }
      const uint64_t expected = usedBytes < 5 ? 5 : usedBytes;
      if (stream.size() != expected || (usedBytes < 5 && stream[4] != 0)) {
        std::snprintf(text, sizeof text, "stream has %zu bytes, the end symbol ends in byte %llu",
                      stream.size(), static_cast<unsigned long long>(usedBytes));
        c.problem = text;
      }
      return c;
    }
    const uint32_t length = value + 2;
    const int high = distances.Read(r);
    if (high < 0) break;
    const uint32_t lowBits = length == 2 ? 2u : c.dictBits;
    uint32_t low = 0;
    if (!r.Take(lowBits, &low)) break;
    const uint32_t distance = (static_cast<uint32_t>(high) << lowBits | low) + 1;
    const uint32_t limit = length == 2 ? kMaxDistance2 : (64u << c.dictBits);
    if (distance > limit || distance > c.output.size()) {
      std::snprintf(text, sizeof text, "repetition of %u bytes at distance %u after %zu bytes",
                    length, distance, c.output.size());
      c.problem = text;
      return c;
    }
    if (length == 2) {
      if (distance > c.farthestDistance2) c.farthestDistance2 = distance;
    } else if (distance > c.farthestDistance) {
      c.farthestDistance = distance;
    }
    if (length == kMaxRepetition) ++c.fullLengthRepetitions;
    ++c.repetitions;
    for (uint32_t k = 0; k < length; ++k) {
      const uint8_t byte = c.output[c.output.size() - distance];
      c.output.push_back(byte);
    }
  }
  std::snprintf(text, sizeof text, "stream ends inside a symbol at bit %llu",
                static_cast<unsigned long long>(r.bitPos));
  c.problem = text;
  return c;
}
