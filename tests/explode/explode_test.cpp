// Explode against the readable reference decoder: the same read and write calls with the same
// sizes and bytes in the same order, and the same result, whatever the read pattern; and on
// streams whose output is known, that output. Hand-made streams pin the contract at its
// edges (header results, cut-off input, block sizes, the window's edges); random, cut and
// damaged streams cover the rest.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "callback_trace.h"
#include "explode/explode.h"
#include "explode/explode_reference.h"
#include "stream_builder.h"

namespace {

constexpr Delivery kDeliveries[] = {Delivery::kFull, Delivery::kFiveThenOne, Delivery::kRandom,
                                    Delivery::kSmall};

class ExplodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One block for every stream, dirty from the start and from each stream before.
    work = std::malloc(kExplodeWorkSize);
    ASSERT_NE(work, nullptr);
    std::memset(work, 0x5A, kExplodeWorkSize);
    ref = std::make_unique<ExplodeReferenceState>();
  }
  void TearDown() override { std::free(work); }

  // Both decoders with every read pattern: the same calls, the same writes whatever the
  // pattern, no read after the input ended. Returns the fast decoder's trace of full reads.
  Trace Compare(const std::vector<uint8_t>& stream, uint32_t seed) {
    Trace first;
    for (Delivery d : kDeliveries) {
      const Trace fast = RunTraced(Explode, work, stream, d, seed);
      const Trace slow = RunTraced(ExplodeReference, ref.get(), stream, d, seed);
      EXPECT_EQ(FirstDifference(fast, slow), "")
          << "delivery " << static_cast<int>(d) << ", seed " << seed;
      EXPECT_EQ(fast.readsAfterEnd + slow.readsAfterEnd, 0u);
      EXPECT_EQ(fast.callsAfterReturn, 0u);
      if (d == Delivery::kFull) first = fast;
      if (fast.events[0].count > 4) {
        EXPECT_TRUE(Writes(fast) == Writes(first)) << "delivery " << static_cast<int>(d);
      }
    }
    return first;
  }
  // A valid stream decodes to what the builder expects.
  Trace Valid(const StreamBuilder& b, uint32_t seed = 1) {
    const Trace t = Compare(b.bytes, seed);
    EXPECT_EQ(t.result, CMP_NO_ERROR);
    EXPECT_TRUE(t.output == b.Output());
    return t;
  }
  static std::vector<TraceEvent> Writes(const Trace& t) {
    std::vector<TraceEvent> writes;
    for (const TraceEvent& e : t.events)
      if (e.kind == 'w') writes.push_back(e);
    return writes;
  }

  void* work = nullptr;
  std::unique_ptr<ExplodeReferenceState> ref;
};

std::vector<uint8_t> Bytes(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

// One input per result, and the published example. A refused header is one read, no write.
TEST_F(ExplodeTest, HeaderResultsAndThePublishedExample) {
  struct Case {
    std::vector<uint8_t> stream;
    uint32_t result;
    const char* output;  // null: no write at all
  };
  const Case cases[] = {
      {Bytes({0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f}), CMP_NO_ERROR, "AIAIAIAIAIAIA"},
      {Bytes({2, 7, 0, 0, 0}), CMP_INVALID_DICTSIZE, nullptr},  // both bad: dictionary first
      {Bytes({0, 3, 0, 0, 0}), CMP_INVALID_DICTSIZE, nullptr},
      {Bytes({2, 4, 0, 0, 0}), CMP_INVALID_MODE, nullptr},
      {Bytes({}), CMP_BAD_DATA, nullptr},
      {Bytes({0, 4, 0x82, 0x24}), CMP_BAD_DATA, nullptr},  // 4 bytes, whatever they hold
      {Bytes({0x00, 0x04, 0x82, 0x24, 0x25}), CMP_ABORT, "A"},
  };
  for (const Case& c : cases) {
    const Trace t = Compare(c.stream, 1);
    EXPECT_EQ(t.result, c.result) << c.stream.size() << " bytes";
    ASSERT_FALSE(t.events.empty());
    EXPECT_EQ(t.events[0].asked, kExplodeReadSize);
    if (c.output == nullptr) {
      EXPECT_EQ(t.events.size(), 1u);
    } else {
      EXPECT_EQ(std::string(t.output.begin(), t.output.end()), c.output);
      EXPECT_EQ(Writes(t).size(), 1u);
    }
  }
  // A first read of 4 bytes is refused even when more would follow.
  const Trace t = RunTraced(Explode, work, cases[0].stream, Delivery::kFourFirst, 1);
  EXPECT_EQ(t.result, CMP_BAD_DATA);
  EXPECT_EQ(t.events.size(), 1u);
}

// Cut after every byte. A symbol counts when its bits and the 8 bits behind them arrived; the
// end symbol needs only its own bits.
TEST_F(ExplodeTest, CutOffInputHandsOverEverythingBeforeTheCut) {
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    StreamBuilder b(mode, 4);
    std::vector<uint64_t> bitsAfter;  // stream bits after each symbol, header excluded
    std::vector<size_t> outputAfter;  // output bytes after each symbol
    std::mt19937 rng(mode);
    for (const char c : std::string("Cut me anywhere: 0xFF\xFF\x80!")) {
      b.Literal(static_cast<uint8_t>(c));
      bitsAfter.push_back(b.BitCount() - 16);
      outputAfter.push_back(b.Output().size());
      const uint32_t length = 2 + Next(rng) % 40;
      const uint32_t dist = 1 + static_cast<uint32_t>(b.Output().size() - 1) / 2;
      b.Repetition(length, std::min(dist, MaxDistance(length, 4)));
      bitsAfter.push_back(b.BitCount() - 16);
      outputAfter.push_back(b.Output().size());
    }
    b.End();
    const uint64_t endBits = b.BitCount() - 16;
    b.Flush();
    const std::vector<uint8_t> full = b.Output();
    for (size_t cut = 5; cut <= b.bytes.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " cut at " << cut);
      const Trace t = Compare({b.bytes.begin(), b.bytes.begin() + cut}, 1);
      const uint64_t dataBytes = cut - 2;
      const bool complete = dataBytes >= (endBits + 7) / 8;
      size_t expected = full.size();
      if (!complete) {
        expected = 0;
        for (size_t k = 0; k < bitsAfter.size(); ++k) {
          if ((bitsAfter[k] + 7) / 8 + 1 <= dataBytes) expected = outputAfter[k];
        }
      }
      EXPECT_EQ(t.result, complete ? CMP_NO_ERROR : CMP_ABORT);
      EXPECT_TRUE(t.output == std::vector<uint8_t>(full.begin(), full.begin() + expected));
    }
  }
}

// Hand-made valid streams at the edges of the window and the output blocks.
TEST_F(ExplodeTest, EdgesOfWindowAndBlocks) {
  std::mt19937 rng(3);
  auto literals = [&rng](StreamBuilder& b, int count) {
    for (int i = 0; i < count; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
  };
  auto finish = [](StreamBuilder& b) -> StreamBuilder& {
    b.End();
    b.Flush();
    return b;
  };
  // Exactly 8192 bytes: two full blocks and an empty final write.
  StreamBuilder exact(0, 6);
  literals(exact, 8182);
  exact.Repetition(10, 4000);
  EXPECT_EQ(WriteSizes(Valid(finish(exact))), std::vector<uint32_t>({4096, 4096, 0}));
  // The longest repetition begun at the last index of the first block.
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    StreamBuilder b(mode, 4);
    literals(b, 4095);
    b.Repetition(518, 1);
    b.Literal('x');
    b.Repetition(518, 3);
    EXPECT_EQ(WriteSizes(Valid(finish(b))), std::vector<uint32_t>({4096, 517 + 1 + 518}));
  }
  for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
    // The longest distances reach the oldest byte of the history, right after a block.
    StreamBuilder far(0, dictBits);
    literals(far, 4096);
    far.Repetition(3, 64u << dictBits);
    far.Repetition(518, 64u << dictBits);
    far.Repetition(2, 256);
    Valid(finish(far));
    // A 2-byte repetition carries 2 low distance bits whatever the dictionary size.
    StreamBuilder two(1, dictBits);
    for (int i = 0; i < 300; ++i) two.Literal(static_cast<uint8_t>('a' + Next(rng) % 26));
    for (uint32_t dist = 1; dist <= 256; dist += 17) {
      two.Repetition(2, dist);
      two.Repetition(3, dist);
    }
    two.Literal('!');
    Valid(finish(two));
  }
  // Repetitions overlapping themselves repeat their start.
  for (uint32_t dist = 1; dist <= 20; ++dist) {
    StreamBuilder b(0, 4);
    for (uint32_t i = 0; i < dist; ++i) b.Literal(static_cast<uint8_t>('A' + i));
    for (uint32_t length : {2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 100u, 518u}) {
      b.Repetition(length, dist);
    }
    Valid(finish(b));
  }
  // Every ASCII code, and the end symbol ending on a byte boundary, with bytes behind it.
  StreamBuilder ascii(1, 5);
  for (uint32_t v = 0; v < 256; ++v) ascii.Literal(static_cast<uint8_t>(v));
  finish(ascii);
  ascii.bytes.resize(ascii.bytes.size() + 3000, 0x99);
  Valid(ascii);
  StreamBuilder boundary(0, 6);
  for (int i = 0; i < 8; ++i) boundary.Literal(static_cast<uint8_t>('a' + i));  // 72 bits
  boundary.End();                                                               // 16 more
  ASSERT_EQ(boundary.pendingCount, 0u);
  Valid(boundary);
  // The end symbol alone, padded to the 5 bytes the first read must bring.
  StreamBuilder empty(1, 4);
  finish(empty).bytes.push_back(0);
  EXPECT_EQ(WriteSizes(Valid(empty)), std::vector<uint32_t>({0}));
}

// A stream reaching back before its first byte reads zeros, not the block's last stream.
TEST_F(ExplodeTest, ReachingBeforeTheFirstByteReadsZeros) {
  std::mt19937 rng(8);
  Valid(RandomStream(rng, 0, 6, 9000, false));
  StreamBuilder b(0, 6);
  b.Repetition(40, 4096);
  b.Literal(7);
  b.Repetition(10, 3000);
  b.End();
  b.Flush();
  const Trace t = Valid(b);
  EXPECT_EQ(t.output.size(), 51u);
  EXPECT_EQ(t.output[40], 7);
  EXPECT_EQ(std::count(t.output.begin(), t.output.end(), 0), 50);
}

TEST_F(ExplodeTest, RandomStreamsDecodeAlikeAndCorrectly) {
  std::mt19937 rng(11);
  uint32_t seed = 0;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      for (int i = 0; i < 12; ++i) {
        const uint32_t size = i < 4 ? Next(rng) % 64 : Next(rng) % 40000;
        Valid(RandomStream(rng, mode, dictBits, size, i % 3 == 0), ++seed);
      }
    }
  }
}

// Runs of one symbol kind steer the fast decoder through its literal runs and short-distance
// copies up to the edges of its input and window; symbols of the greatest size (30 bits)
// back to back drain its bit buffer fastest.
TEST_F(ExplodeTest, UniformAndLongestSymbolRunsDecodeAlike) {
  std::mt19937 rng(15);
  uint32_t seed = 400;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dist = 1; dist <= 18; ++dist) {
      StreamBuilder b(mode, 4 + dist % 3);
      for (uint32_t i = 0; i < dist; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
      while (b.Output().size() < 30000) b.Repetition(2 + Next(rng) % 517, dist);
      for (int i = 0; i < 5000; ++i) b.Literal(static_cast<uint8_t>(mode ? 0xE0 + i % 32 : i));
      b.End();
      b.Flush();
      Valid(b, ++seed);
    }
    StreamBuilder b(mode, 6);
    for (int i = 0; i < 4096; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
    for (int i = 0; i < 3000; ++i) b.Repetition(264 + Next(rng) % 253, 3073 + Next(rng) % 1024);
    b.End();
    b.Flush();
    Valid(b, ++seed);
  }
}

// Cut, bit-flipped and random streams: the same calls and result from both decoders; a cut
// stream gives a prefix of the full output.
TEST_F(ExplodeTest, BrokenStreamsDecodeAlike) {
  std::mt19937 rng(12);
  uint32_t seed = 100;
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      const StreamBuilder b = RandomStream(rng, mode, dictBits, 12000, false);
      const std::vector<uint8_t> full = b.Output();
      for (int i = 0; i < 12; ++i) {
        const size_t cut = i < 4 ? static_cast<size_t>(i) + 3 : Next(rng) % b.bytes.size();
        const Trace t = Compare({b.bytes.begin(), b.bytes.begin() + cut}, ++seed);
        EXPECT_TRUE(t.result == CMP_ABORT || t.result == CMP_BAD_DATA);
        ASSERT_LE(t.output.size(), full.size());
        EXPECT_TRUE(std::equal(t.output.begin(), t.output.end(), full.begin()));
        std::vector<uint8_t> flipped = b.bytes;
        for (uint32_t f = 1 + Next(rng) % 8; f > 0; --f) {
          flipped[2 + Next(rng) % (flipped.size() - 2)] ^= static_cast<uint8_t>(1u << (f % 8));
        }
        Compare(flipped, ++seed);
      }
    }
  }
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

}  // namespace
