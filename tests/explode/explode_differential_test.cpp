// The fast decoder against the step-by-step reference: the same read and write calls with the
// same sizes and bytes in the same order, and the same result, on valid, cut, damaged and
// random streams, in both modes, every dictionary size and several read patterns.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "callback_trace.h"
#include "explode/explode.h"
#include "reference_explode.h"
#include "stream_builder.h"

namespace {

constexpr Delivery kDeliveries[] = {Delivery::kFull, Delivery::kFiveThenOne, Delivery::kRandom,
                                    Delivery::kSmall};

class ExplodeDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    // One block for every stream, dirty from the start and from each stream before.
    work = std::malloc(kExplodeWorkSize);
    ASSERT_NE(work, nullptr);
    std::memset(work, 0x5A, kExplodeWorkSize);
    ref = std::make_unique<reference::ExplodeState>();
  }
  void TearDown() override { std::free(work); }

  // Runs both decoders over stream with every read pattern; returns the fast decoder's trace
  // of the full-size pattern.
  Trace Compare(const std::vector<uint8_t>& stream, uint32_t seed) {
    Trace first;
    for (Delivery d : kDeliveries) {
      const Trace fast = RunTraced(Explode, work, stream, d, seed);
      const Trace slow = RunTraced(reference::Explode, ref.get(), stream, d, seed);
      EXPECT_EQ(FirstDifference(fast, slow), "")
          << "delivery " << static_cast<int>(d) << ", seed " << seed << ", " << stream.size()
          << " bytes";
      EXPECT_EQ(fast.readsAfterEnd, 0u);
      EXPECT_EQ(fast.callsAfterReturn, 0u);
      if (d == Delivery::kFull) first = fast;
    }
    return first;
  }

  void* work = nullptr;
  std::unique_ptr<reference::ExplodeState> ref;
};

TEST_F(ExplodeDifferential, ValidStreamsDecodeAlikeAndCorrectly) {
  std::mt19937 rng(11);
  uint32_t seed = 0;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      for (int i = 0; i < 12; ++i) {
        const uint32_t size = i < 4 ? Next(rng) % 64 : Next(rng) % 40000;
        const StreamBuilder b = RandomStream(rng, mode, dictBits, size, i % 3 == 0);
        const Trace t = Compare(b.bytes, ++seed);
        EXPECT_EQ(t.result, CMP_NO_ERROR);
        EXPECT_EQ(t.output, b.Output());
      }
    }
  }
}

TEST_F(ExplodeDifferential, CutStreamsDecodeAlike) {
  std::mt19937 rng(12);
  uint32_t seed = 100;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      const StreamBuilder b = RandomStream(rng, mode, dictBits, 12000, false);
      for (int i = 0; i < 12; ++i) {
        const size_t cut = i < 4 ? static_cast<size_t>(i) + 3 : Next(rng) % b.bytes.size();
        const std::vector<uint8_t> stream(b.bytes.begin(), b.bytes.begin() + cut);
        const Trace t = Compare(stream, ++seed);
        EXPECT_TRUE(t.result == CMP_ABORT || t.result == CMP_BAD_DATA);
        const std::vector<uint8_t> full = b.Output();
        ASSERT_LE(t.output.size(), full.size());
        EXPECT_TRUE(std::equal(t.output.begin(), t.output.end(), full.begin()));
      }
    }
  }
}

TEST_F(ExplodeDifferential, DamagedStreamsDecodeAlike) {
  std::mt19937 rng(13);
  uint32_t seed = 200;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      for (int i = 0; i < 8; ++i) {
        StreamBuilder b = RandomStream(rng, mode, dictBits, Next(rng) % 20000, false);
        std::vector<uint8_t> stream = b.bytes;
        const uint32_t flips = 1 + Next(rng) % 8;
        for (uint32_t f = 0; f < flips; ++f) {
          const size_t at = 2 + Next(rng) % (stream.size() - 2);
          stream[at] = static_cast<uint8_t>(stream[at] ^ (1u << (Next(rng) % 8)));
        }
        Compare(stream, ++seed);
      }
    }
  }
}

TEST_F(ExplodeDifferential, RandomBytesDecodeAlike) {
  std::mt19937 rng(14);
  uint32_t seed = 300;
  for (int i = 0; i < 60; ++i) {
    std::vector<uint8_t> stream(Next(rng) % 9000);
    for (uint8_t& byte : stream) byte = static_cast<uint8_t>(Next(rng));
    // Mostly valid headers, so that the bodies get decoded; sometimes anything.
    if (stream.size() >= 2 && i % 6 != 0) {
      stream[0] = static_cast<uint8_t>(i % 2);
      stream[1] = static_cast<uint8_t>(4 + i % 3);
    }
    Compare(stream, ++seed);
  }
}

// Runs of one symbol kind steer the fast decoder through its literal runs and short-distance
// copies right up to the edges of its input and window.
TEST_F(ExplodeDifferential, UniformSymbolRunsDecodeAlike) {
  std::mt19937 rng(15);
  uint32_t seed = 400;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dist = 1; dist <= 18; ++dist) {
      StreamBuilder b(mode, 4 + dist % 3);
      for (uint32_t i = 0; i < dist; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
      while (b.history.size() < 4096 + 30000) b.Repetition(2 + Next(rng) % 517, dist);
      for (int i = 0; i < 5000; ++i) b.Literal(static_cast<uint8_t>(mode ? 0xE0 + i % 32 : i));
      b.End();
      b.Flush();
      const Trace t = Compare(b.bytes, ++seed);
      EXPECT_EQ(t.result, CMP_NO_ERROR);
      EXPECT_EQ(t.output, b.Output());
    }
  }
}

// Symbols of the greatest size (30 bits: long length code, 8 extra bits, 8-bit distance code, 6
// low bits) back to back drain the bit buffer fastest, and a decoder that starts a symbol
// without room to keep the 8-bit lookahead behind it goes wrong here.
TEST_F(ExplodeDifferential, LongestSymbolsBackToBackDecodeAlike) {
  std::mt19937 rng(16);
  uint32_t seed = 500;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    StreamBuilder b(mode, 6);
    for (int i = 0; i < 4096; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
    for (int i = 0; i < 3000; ++i) b.Repetition(264 + Next(rng) % 253, 3073 + Next(rng) % 1024);
    b.End();
    b.Flush();
    const Trace t = Compare(b.bytes, ++seed);
    EXPECT_EQ(t.result, CMP_NO_ERROR);
    EXPECT_EQ(t.output, b.Output());
  }
}

}  // namespace
