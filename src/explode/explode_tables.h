// Lookup tables of the explode decoder, indexed by the next 8 bits of the stream (the
// lookahead, next bit in bit 0), save the one-lookup ASCII table at the end. They depend only
// on the fixed codes, so they are computed once per process, in zero-initialised memory rather
// than stored in the program file, and shared read-only by every decode; a stream rebuilds
// nothing.
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

// One-lookup ASCII table for decoders that always hold at least kAsciiDirectBits + 1 bits:
// indexed by the 13 bits behind a literal's flag bit (as many as the longest code), so no
// code needs a second lookup. Entry: bits 0-7 the code length plus 1 (the bits the whole
// literal takes with its flag bit), bits 8-15 the byte; the bit count sits lowest so that it
// serves as a shift count as it is. 16 KiB, filled like the tables above.
constexpr uint32_t kAsciiDirectBits = 13;
constexpr uint32_t kAsciiDirectByteShift = 8;

struct AsciiDirectTable {
  uint16_t entry[1u << kAsciiDirectBits];
};

constexpr uint32_t LongestAsciiCode() {
  uint32_t longest = 0;
  for (uint32_t s = 0; s < 256; ++s) {
    const uint32_t n = zb_explode_codes::kAsciiCodeBits[s];
    if (n > longest) longest = n;
  }
  return longest;
}
static_assert(LongestAsciiCode() == kAsciiDirectBits, "every code fits one direct lookup");

// Filled by ExplodeTablesInit, all zero before it; never written afterwards.
extern DecodeTables decodeTables;
extern AsciiDirectTable asciiDirect;

// Fills both tables on the first call. Safe from any thread; every call returns with the tables
// filled. Explode calls it itself; code that reads the tables directly calls it first.
void ExplodeTablesInit();

}  // namespace zb_explode_tables
