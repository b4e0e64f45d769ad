// The code tables, both the decoder's and the reference's copies, against their construction
// from the bit-length tables alone, and the decoder's lookup tables against a plain search for
// the one code that begins each bit sequence.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "explode/explode_codes.h"
#include "explode/explode_tables.h"
#include "reference_explode.h"

namespace {

// The canonical prefix code of a bit-length table (RFC 1951, 3.2.2) with every bit inverted
// and the bit order reversed.
std::vector<uint32_t> InvertedReversedCanonical(const uint8_t* lengths, uint32_t count) {
  uint32_t perLength[17] = {};
  for (uint32_t s = 0; s < count; ++s) perLength[lengths[s]] += 1;
  uint32_t next[17] = {};
  uint32_t code = 0;
  for (uint32_t n = 1; n <= 16; ++n) {
    code = (code + perLength[n - 1]) << 1;
    next[n] = code;
  }
  std::vector<uint32_t> out;
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t n = lengths[s];
    const uint32_t inverted = ~next[n]++ & ((1u << n) - 1);
    uint32_t reversed = 0;
    for (uint32_t b = 0; b < n; ++b) reversed |= ((inverted >> b) & 1) << (n - 1 - b);
    out.push_back(reversed);
  }
  return out;
}

template <typename T>
std::vector<uint32_t> Widen(const T* v, uint32_t count) {
  return std::vector<uint32_t>(v, v + count);
}

TEST(ExplodeCodes, TablesAreTheInvertedReversedCanonicalCodes) {
  namespace c = zb_explode_codes;
  namespace r = reference;
  EXPECT_EQ(Widen(c::kLengthCodes, 16), InvertedReversedCanonical(c::kLengthCodeBits, 16));
  EXPECT_EQ(Widen(c::kDistanceCodes, 64), InvertedReversedCanonical(c::kDistanceCodeBits, 64));
  EXPECT_EQ(Widen(c::kAsciiCodes, 256), InvertedReversedCanonical(c::kAsciiCodeBits, 256));
  EXPECT_EQ(Widen(r::kLengthCodes, 16), InvertedReversedCanonical(r::kLengthCodeBits, 16));
  EXPECT_EQ(Widen(r::kDistanceCodes, 64), InvertedReversedCanonical(r::kDistanceCodeBits, 64));
  EXPECT_EQ(Widen(r::kAsciiCodes, 256), InvertedReversedCanonical(r::kAsciiCodeBits, 256));
  EXPECT_EQ(Widen(c::kLengthCodeBits, 16), Widen(r::kLengthCodeBits, 16));
  EXPECT_EQ(Widen(c::kDistanceCodeBits, 64), Widen(r::kDistanceCodeBits, 64));
  EXPECT_EQ(Widen(c::kAsciiCodeBits, 256), Widen(r::kAsciiCodeBits, 256));
  EXPECT_EQ(Widen(c::kLengthExtraBits, 16), Widen(r::kLengthExtraBits, 16));
  EXPECT_EQ(Widen(c::kLengthBase, 16), Widen(r::kLengthBase, 16));
  // The published corner values.
  EXPECT_EQ(c::kAsciiCodeBits[0x20], 4);  // the space
  EXPECT_GT(c::kAsciiCodeBits[0xFF], 8);
  EXPECT_EQ(c::kLengthBase[15] + 255, 517);
}

// The symbol whose code begins the bit sequence v (first bit in bit 0), by search.
int FindCode(uint32_t v, const uint8_t* lengths, const uint16_t* codes16, const uint8_t* codes8,
             uint32_t count, uint32_t* bits) {
  int found = -1;
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t n = lengths[s];
    const uint32_t code = codes16 != nullptr ? codes16[s] : codes8[s];
    if ((v & ((1u << n) - 1)) == code) {
      EXPECT_EQ(found, -1) << "two codes begin " << v;  // prefix-free
      found = static_cast<int>(s);
      *bits = n;
    }
  }
  return found;
}

TEST(ExplodeCodes, LookupTablesResolveEveryBitSequence) {
  namespace c = zb_explode_codes;
  namespace t = zb_explode_tables;
  t::ExplodeTablesInit();
  const t::DecodeTables& d = t::decodeTables;
  for (uint32_t v = 0; v < (1u << 16); ++v) {
    uint32_t bits = 0;
    // Length: code plus extra bits.
    const int L = FindCode(v, c::kLengthCodeBits, nullptr, c::kLengthCodes, 16, &bits);
    ASSERT_GE(L, 0);
    const uint32_t e = d.length[v & 0xFF];
    const uint32_t extra = c::kLengthExtraBits[L];
    const uint32_t value = c::kLengthBase[L] + ((v >> bits) & ((1u << extra) - 1));
    ASSERT_EQ((e & t::kLengthValueMask) + ((v >> ((e >> t::kLengthCodeShift) & 0xF)) &
                                           (e >> t::kLengthExtraMaskShift)),
              value);
    ASSERT_EQ((e >> t::kLengthCodeShift) & 0xF, bits);
    ASSERT_EQ((e >> t::kLengthTotalShift) & 0x1F, bits + extra);
    // Distance high part.
    const int h = FindCode(v, c::kDistanceCodeBits, nullptr, c::kDistanceCodes, 64, &bits);
    ASSERT_GE(h, 0);
    ASSERT_EQ(d.distance[v & 0xFF], h | (bits << t::kDistanceBitsShift));
    // ASCII literal, one or two lookups.
    const int s = FindCode(v, c::kAsciiCodeBits, c::kAsciiCodes, nullptr, 256, &bits);
    ASSERT_GE(s, 0) << v;
    uint32_t a = d.ascii[v & 0xFF];
    uint32_t used = 0;
    if ((a & t::kAsciiLongFlag) != 0) {
      used = (a >> t::kAsciiBitsShift) & 0xF;
      a = d.asciiLong[((a >> t::kAsciiPartShift) & 3) * 256 + ((v >> used) & 0xFF)];
    }
    ASSERT_EQ(a & 0xFF, static_cast<uint32_t>(s)) << v;
    ASSERT_EQ(used + ((a >> t::kAsciiBitsShift) & 0xF), bits) << v;
    // ASCII literal, one lookup of the longest code's width; the count includes the flag bit.
    const uint32_t direct = t::asciiDirect.entry[v & ((1u << t::kAsciiDirectBits) - 1)];
    ASSERT_EQ(direct >> t::kAsciiDirectByteShift, static_cast<uint32_t>(s)) << v;
    ASSERT_EQ(direct & 0xFF, bits + 1) << v;
  }
}

}  // namespace
