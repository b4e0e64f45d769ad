// Every way of computing the CRC-32 against known values and the byte-at-a-time table, over
// every length up to a few blocks and every alignment, each from an arbitrary running value
// (so pieces chain like one block).
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "explode/crc32.h"
#include "explode/crc32_variants.h"

namespace {

uint32_t Next(std::mt19937& rng) { return static_cast<uint32_t>(rng()); }

using Crc32Fn = uint32_t (*)(const uint8_t*, const uint32_t*, const uint32_t*);

uint32_t Crc(Crc32Fn fn, const uint8_t* data, uint32_t size, uint32_t crc) {
  return fn(data, &size, &crc);
}

uint32_t Standard(Crc32Fn fn, const std::vector<uint8_t>& data) {
  return ~Crc(fn, data.data(), static_cast<uint32_t>(data.size()), 0xFFFFFFFFu);
}

TEST(Crc32, KnownValues) {
  const std::vector<uint8_t> check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  const std::vector<uint8_t> fox(std::begin("The quick brown fox jumps over the lazy dog"),
                                 std::end("The quick brown fox jumps over the lazy dog") - 1);
  const std::vector<uint8_t> zeros(4096, 0);
  for (Crc32Fn fn : {Crc32Update, Crc32UpdateBytewise, Crc32UpdateSliced, Crc32UpdateClmul}) {
    EXPECT_EQ(Standard(fn, check), 0xCBF43926u);
    EXPECT_EQ(Standard(fn, fox), 0x414FA339u);
    EXPECT_EQ(Standard(fn, {}), 0u);  // an empty member's header crc is 0
    EXPECT_EQ(Standard(fn, zeros), 0xC71C0011u);
  }
}

TEST(Crc32, EveryLengthAndAlignmentMatchesTheByteTable) {
  std::mt19937 rng(21);
  std::vector<uint8_t> buffer(1200 + 16);
  for (uint8_t& b : buffer) b = static_cast<uint8_t>(Next(rng));
  if (!Crc32HasClmul()) std::printf("no carry-less multiply here: folding path not exercised\n");
  for (uint32_t align = 0; align < 16; ++align) {
    for (uint32_t size = 0; size <= 1200; ++size) {
      const uint32_t seed = Next(rng);
      const uint8_t* p = buffer.data() + align;
      const uint32_t expected = Crc(Crc32UpdateBytewise, p, size, seed);
      ASSERT_EQ(Crc(Crc32UpdateSliced, p, size, seed), expected) << align << " " << size;
      ASSERT_EQ(Crc(Crc32UpdateClmul, p, size, seed), expected) << align << " " << size;
      ASSERT_EQ(Crc(Crc32Update, p, size, seed), expected) << align << " " << size;
    }
  }
}

}  // namespace
