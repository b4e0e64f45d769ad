// Lookup tables of the explode decoder, indexed by the next 8 bits of the stream (the
// lookahead, next bit in bit 0), save the one-lookup ASCII table at the end. They depend only
// on the fixed codes, so they are built once by the compiler and shared read-only by every
// decode; a stream rebuilds nothing.
#pragma once
#include <cstdint>

#include "explode/explode_codes.h"

namespace zb_explode_tables {

// Length entry, for the 8 bits behind a repetition's flag bit:
//   bits 0-9    base length value of the code (repetition bytes - 2)
//   bits 10-13  code length in bits
//   bits 16-20  code length + extra bits
//   bits 24-31  mask of the extra bits, applied after dropping the code bits
// The length value is base + ((lookahead >> codeBits) & mask). Value 517 is the end symbol.
constexpr uint32_t kLengthValueMask = 0x3FF;
constexpr uint32_t kLengthCodeShift = 10;
constexpr uint32_t kLengthTotalShift = 16;
constexpr uint32_t kLengthExtraMaskShift = 24;

// Distance entry: bits 0-5 the high part h, bits 8-11 the code length in bits.
constexpr uint32_t kDistanceBitsShift = 8;

// ASCII entry, for the 8 bits behind a literal's flag bit:
//   short code (bit 15 clear): bits 0-7 the byte, bits 8-11 the code length (1 to 8).
//   long code (bit 15 set): bits 8-11 the number of bits s (4, 6 or 8) to drop before the
//     second lookup, bits 12-13 which 256-entry part p of asciiLong to use. The second
//     lookup asciiLong[p * 256 + (the 8 bits behind the first s)] holds the byte in bits 0-7
//     and the code length less s in bits 8-11.
// Which part a long code lands in is decided by its first 8 bits alone: not all of its first
// 6 bits zero: drop 4 (codes of 9 to 12 bits); first 6 zero, not all 8: drop 6 (12 or 13 bits);
// first 8 zero: drop 8 (13 bits). The part for "drop 6" repeats itself every 128 entries, so
// 8 bits index it like the others.
constexpr uint16_t kAsciiLongFlag = 0x8000;
constexpr uint32_t kAsciiBitsShift = 8;
constexpr uint32_t kAsciiPartShift = 12;

struct DecodeTables {
  uint32_t length[256];
  uint16_t distance[256];
  uint16_t ascii[256];
  uint16_t asciiLong[3 * 256];
};

constexpr DecodeTables BuildDecodeTables() {
  using namespace zb_explode_codes;
  DecodeTables t{};
  // Highest symbol first, each stored at every lookahead whose lowest bits equal its code.
  for (int s = 15; s >= 0; --s) {
    const uint32_t bits = kLengthCodeBits[s];
    const uint32_t extra = kLengthExtraBits[s];
    const uint32_t entry = kLengthBase[s] | (bits << kLengthCodeShift) |
                           ((bits + extra) << kLengthTotalShift) |
                           (((1u << extra) - 1) << kLengthExtraMaskShift);
    for (uint32_t i = kLengthCodes[s]; i < 256; i += 1u << bits) t.length[i] = entry;
  }
  for (int h = 63; h >= 0; --h) {
    const uint32_t bits = kDistanceCodeBits[h];
    for (uint32_t i = kDistanceCodes[h]; i < 256; i += 1u << bits) {
      t.distance[i] = static_cast<uint16_t>(h | (bits << kDistanceBitsShift));
    }
  }
  for (int s = 255; s >= 0; --s) {
    const uint32_t p = kAsciiCodes[s];
    const uint32_t n = kAsciiCodeBits[s];
    if (n <= 8) {
      for (uint32_t i = p; i < 256; i += 1u << n) {
        t.ascii[i] = static_cast<uint16_t>(s | (n << kAsciiBitsShift));
      }
      continue;
    }
    uint32_t drop = 8;
    uint32_t part = 2;
    if ((p & 0xFF) != 0) {
      drop = (p & 0x3F) != 0 ? 4 : 6;
      part = (p & 0x3F) != 0 ? 0 : 1;
    }
    const uint32_t rest = n - drop;
    t.ascii[p & 0xFF] = static_cast<uint16_t>(kAsciiLongFlag | (part << kAsciiPartShift) |
                                              (drop << kAsciiBitsShift));
    for (uint32_t i = p >> drop; i < 256; i += 1u << rest) {
      t.asciiLong[part * 256 + i] = static_cast<uint16_t>(s | (rest << kAsciiBitsShift));
    }
  }
  return t;
}

inline constexpr DecodeTables kDecodeTables = BuildDecodeTables();

// One-lookup ASCII table for decoders that always hold at least kAsciiDirectBits + 1 bits:
// indexed by the 13 bits behind a literal's flag bit (as many as the longest code), so no
// code needs a second lookup. Entry: bits 0-7 the code length plus 1 (the bits the whole
// literal takes with its flag bit), bits 8-15 the byte; the bit count sits lowest so that it
// serves as a shift count as it is. 16 KiB of constant data, built by the compiler like the
// tables above.
constexpr uint32_t kAsciiDirectBits = 13;
constexpr uint32_t kAsciiDirectByteShift = 8;

struct AsciiDirectTable {
  uint16_t entry[1u << kAsciiDirectBits];
};

constexpr AsciiDirectTable BuildAsciiDirectTable() {
  using namespace zb_explode_codes;
  AsciiDirectTable t{};
  for (uint32_t s = 0; s < 256; ++s) {
    const uint32_t n = kAsciiCodeBits[s];
    for (uint32_t i = kAsciiCodes[s]; i < (1u << kAsciiDirectBits); i += 1u << n) {
      t.entry[i] = static_cast<uint16_t>((s << kAsciiDirectByteShift) | (n + 1));
    }
  }
  return t;
}

constexpr uint32_t LongestAsciiCode() {
  uint32_t longest = 0;
  for (uint32_t s = 0; s < 256; ++s) {
    const uint32_t n = zb_explode_codes::kAsciiCodeBits[s];
    if (n > longest) longest = n;
  }
  return longest;
}
static_assert(LongestAsciiCode() == kAsciiDirectBits, "every code fits one direct lookup");

inline constexpr AsciiDirectTable kAsciiDirect = BuildAsciiDirectTable();

}  // namespace zb_explode_tables
