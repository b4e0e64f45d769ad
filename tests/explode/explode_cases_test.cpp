// The decoder's contract on hand-made streams: header results, the published example, cut-off
// input, block sizes of the output, and repetitions at the edges of the window.
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "callback_trace.h"
#include "explode/explode.h"
#include "stream_builder.h"

namespace {

class ExplodeCases : public ::testing::Test {
 protected:
  void SetUp() override {
    work = std::malloc(kExplodeWorkSize);
    ASSERT_NE(work, nullptr);
    std::memset(work, 0xA5, kExplodeWorkSize);  // the decoder must not rely on a cleared block
  }
  void TearDown() override { std::free(work); }
  Trace Run(const std::vector<uint8_t>& stream, Delivery d = Delivery::kFull, uint32_t seed = 1) {
    return RunTraced(Explode, work, stream, d, seed);
  }
  void* work = nullptr;
};

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
  std::vector<uint8_t> out;
  for (int x : v) out.push_back(static_cast<uint8_t>(x));
  return out;
}

TEST_F(ExplodeCases, PublishedExampleDecodes) {
  const Trace t = Run(Bytes({0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f}));
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_EQ(std::string(t.output.begin(), t.output.end()), "AIAIAIAIAIAIA");
  EXPECT_EQ(WriteSizes(t), std::vector<uint32_t>({13}));
  ASSERT_FALSE(t.events.empty());
  EXPECT_EQ(t.events[0].asked, kExplodeReadSize);
}

TEST_F(ExplodeCases, RefusedHeadersReadOnceAndWriteNothing) {
  struct Case {
    std::vector<uint8_t> stream;
    uint32_t result;
  };
  const Case cases[] = {
      {Bytes({2, 7, 0, 0, 0}), CMP_INVALID_DICTSIZE},   // both bad: the dictionary byte wins
      {Bytes({0, 3, 0, 0, 0}), CMP_INVALID_DICTSIZE},
      {Bytes({1, 7, 0xFF, 0xFF, 0xFF, 0xFF}), CMP_INVALID_DICTSIZE},
      {Bytes({0, 0, 0, 0, 0}), CMP_INVALID_DICTSIZE},
      {Bytes({2, 4, 0, 0, 0}), CMP_INVALID_MODE},
      {Bytes({0xFF, 6, 0, 0, 0, 0, 0}), CMP_INVALID_MODE},
      {Bytes({}), CMP_BAD_DATA},
      {Bytes({0, 4}), CMP_BAD_DATA},
      {Bytes({0, 4, 0x82, 0x24}), CMP_BAD_DATA},  // 4 bytes, whatever they hold
      {Bytes({9, 9, 9, 9}), CMP_BAD_DATA},
  };
  for (const Case& c : cases) {
    const Trace t = Run(c.stream);
    EXPECT_EQ(t.result, c.result) << "stream of " << c.stream.size() << " bytes";
    ASSERT_EQ(t.events.size(), 1u);
    EXPECT_EQ(t.events[0].kind, 'r');
    EXPECT_EQ(t.events[0].asked, kExplodeReadSize);
  }
}

TEST_F(ExplodeCases, FirstReadOfFourBytesIsBadDataEvenWhenMoreWouldFollow) {
  const Trace t = Run(Bytes({0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f}), Delivery::kFourFirst);
  EXPECT_EQ(t.result, CMP_BAD_DATA);
  EXPECT_EQ(t.events.size(), 1u);
}

TEST_F(ExplodeCases, FiveBytesThenOnePerCallGivesTheSameWrites) {
  std::mt19937 rng(7);
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    const StreamBuilder b = RandomStream(rng, mode, 5, 20000, false);
    const Trace whole = Run(b.bytes, Delivery::kFull);
    const Trace trickle = Run(b.bytes, Delivery::kFiveThenOne);
    EXPECT_EQ(whole.result, CMP_NO_ERROR);
    EXPECT_EQ(trickle.result, CMP_NO_ERROR);
    EXPECT_EQ(trickle.output, b.Output());
    std::vector<TraceEvent> wholeWrites, trickleWrites;
    for (const TraceEvent& e : whole.events) if (e.kind == 'w') wholeWrites.push_back(e);
    for (const TraceEvent& e : trickle.events) if (e.kind == 'w') trickleWrites.push_back(e);
    EXPECT_TRUE(wholeWrites == trickleWrites);
    EXPECT_GT(trickle.events.size(), b.bytes.size());  // one read per byte after the first 5
    EXPECT_EQ(trickle.readsAfterEnd, 0u);
  }
}

// Cuts a stream after every possible byte. A symbol counts as decoded when its bits and the
// 8-bit lookahead behind them arrived, except the end symbol, which needs only its own bits.
TEST_F(ExplodeCases, CutOffInputHandsOverEverythingBeforeTheCut) {
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    StreamBuilder b(mode, 4);
    std::vector<uint64_t> bitsAfter;   // stream bits after each symbol, header excluded
    std::vector<size_t> outputAfter;   // output bytes after each symbol
    std::mt19937 rng(mode);
    const char text[] = "Cut me anywhere: 0xFF\xFF\x80!";
    for (const char c : text) {
      b.Literal(static_cast<uint8_t>(c));
      bitsAfter.push_back(b.BitCount() - 16);
      outputAfter.push_back(b.history.size() - 4096);
      const uint32_t length = 2 + static_cast<uint32_t>(Next(rng) % 40);
      const uint32_t dist = 1 + static_cast<uint32_t>(b.history.size() - 4096 - 1) / 2;
      b.Repetition(length, dist < MaxDistance(length, 4) ? dist : MaxDistance(length, 4));
      bitsAfter.push_back(b.BitCount() - 16);
      outputAfter.push_back(b.history.size() - 4096);
    }
    b.End();
    const uint64_t endBits = b.BitCount() - 16;
    b.Flush();
    const std::vector<uint8_t> full = b.Output();
    for (size_t cut = 0; cut <= b.bytes.size(); ++cut) {
      const std::vector<uint8_t> stream(b.bytes.begin(), b.bytes.begin() + cut);
      const Trace t = Run(stream, cut % 2 == 0 ? Delivery::kFull : Delivery::kFiveThenOne);
      SCOPED_TRACE(testing::Message() << "mode " << mode << " cut at " << cut);
      EXPECT_EQ(t.readsAfterEnd, 0u);
      if (cut <= 4) {
        EXPECT_EQ(t.result, CMP_BAD_DATA);
        EXPECT_TRUE(WriteSizes(t).empty());
        continue;
      }
      const uint64_t dataBytes = cut - 2;
      if (dataBytes >= (endBits + 7) / 8) {
        EXPECT_EQ(t.result, CMP_NO_ERROR);
        EXPECT_EQ(t.output, full);
        continue;
      }
      size_t expected = 0;
      for (size_t k = 0; k < bitsAfter.size(); ++k) {
        if ((bitsAfter[k] + 7) / 8 + 1 <= dataBytes) expected = outputAfter[k];
      }
      EXPECT_EQ(t.result, CMP_ABORT);
      EXPECT_EQ(t.output, std::vector<uint8_t>(full.begin(), full.begin() + expected));
      EXPECT_EQ(WriteSizes(t).size(), 1u);  // under 4096 bytes: only the final write
    }
  }
}

TEST_F(ExplodeCases, EndSymbolEndingOnAByteBoundaryIsAccepted) {
  StreamBuilder b(0, 6);
  for (int i = 0; i < 8; ++i) b.Literal(static_cast<uint8_t>('a' + i));  // 72 bits
  b.End();                                                                 // 16 more
  ASSERT_EQ(b.pendingCount, 0u);
  const Trace t = Run(b.bytes);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_EQ(t.output, b.Output());
  // Dropping the last byte cuts the end symbol's extra bits short.
  const std::vector<uint8_t> cut(b.bytes.begin(), b.bytes.end() - 1);
  const Trace c = Run(cut);
  EXPECT_EQ(c.result, CMP_ABORT);
  EXPECT_EQ(c.output, b.Output());
}

TEST_F(ExplodeCases, BytesBehindTheEndSymbolAreIgnored) {
  StreamBuilder b(1, 5);
  for (const char c : std::string("ignore the tail")) b.Literal(static_cast<uint8_t>(c));
  b.End();
  b.Flush();
  std::vector<uint8_t> stream = b.bytes;
  for (int i = 0; i < 3000; ++i) stream.push_back(static_cast<uint8_t>(i * 37));
  const Trace t = Run(stream);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_EQ(t.output, b.Output());
}

TEST_F(ExplodeCases, AsciiModeDecodesEveryByteValueInTurn) {
  StreamBuilder b(1, 4);
  for (uint32_t v = 0; v < 256; ++v) b.Literal(static_cast<uint8_t>(v));
  b.End();
  b.Flush();
  for (Delivery d : {Delivery::kFull, Delivery::kFiveThenOne}) {
    const Trace t = Run(b.bytes, d);
    EXPECT_EQ(t.result, CMP_NO_ERROR);
    ASSERT_EQ(t.output.size(), 256u);
    for (uint32_t v = 0; v < 256; ++v) EXPECT_EQ(t.output[v], v);
  }
}

TEST_F(ExplodeCases, OutputOfExactly8192BytesIsWrittenAs4096And4096And0) {
  std::mt19937 rng(3);
  StreamBuilder b(0, 6);
  while (b.history.size() - 4096 < 8192 - 10) b.Literal(static_cast<uint8_t>(Next(rng)));
  b.Repetition(10, 4000);
  ASSERT_EQ(b.history.size() - 4096, 8192u);
  b.End();
  b.Flush();
  const Trace t = Run(b.bytes);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_EQ(WriteSizes(t), std::vector<uint32_t>({4096, 4096, 0}));
  EXPECT_EQ(t.output, b.Output());
}

TEST_F(ExplodeCases, LongestRepetitionBegunAtTheLastIndexOfTheHalf) {
  std::mt19937 rng(4);
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    StreamBuilder b(mode, 4);
    for (int i = 0; i < 4095; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));
    b.Repetition(518, 1);   // window indices 8191 to 8708
    b.Literal('x');
    b.Repetition(518, 3);
    b.End();
    b.Flush();
    const Trace t = Run(b.bytes);
    EXPECT_EQ(t.result, CMP_NO_ERROR);
    EXPECT_EQ(WriteSizes(t), std::vector<uint32_t>({4096, 517 + 1 + 518}));
    EXPECT_EQ(t.output, b.Output());
  }
}

TEST_F(ExplodeCases, LongestDistancesReachTheOldestHistoryByte) {
  std::mt19937 rng(5);
  for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
    StreamBuilder b(0, dictBits);
    for (int i = 0; i < 4096; ++i) b.Literal(static_cast<uint8_t>(Next(rng)));  // flush right here
    const uint32_t longest = 64u << dictBits;
    b.Repetition(3, longest);
    b.Repetition(518, longest);
    b.Repetition(2, 256);
    b.End();
    b.Flush();
    const Trace t = Run(b.bytes);
    EXPECT_EQ(t.result, CMP_NO_ERROR) << dictBits;
    EXPECT_EQ(t.output, b.Output()) << dictBits;
  }
}

// A 2-byte repetition carries 2 low distance bits whatever the dictionary size; a longer one
// carries dictBits. Decoding one with the other's count shifts every later symbol.
TEST_F(ExplodeCases, TwoByteRepetitionsAlwaysCarryTwoLowDistanceBits) {
  std::mt19937 rng(6);
  for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
    StreamBuilder b(1, dictBits);
    for (int i = 0; i < 300; ++i) b.Literal(static_cast<uint8_t>('a' + Next(rng) % 26));
    for (uint32_t dist = 1; dist <= 256; dist += 17) {
      b.Repetition(2, dist);
      b.Repetition(3, dist);
    }
    b.Repetition(2, 256);
    b.Literal('!');
    b.End();
    b.Flush();
    const Trace t = Run(b.bytes);
    EXPECT_EQ(t.result, CMP_NO_ERROR) << dictBits;
    EXPECT_EQ(t.output, b.Output()) << dictBits;
  }
}

TEST_F(ExplodeCases, RepetitionsOverlappingThemselvesRepeatTheirStart) {
  for (uint32_t dist = 1; dist <= 20; ++dist) {
    StreamBuilder b(0, 4);
    for (uint32_t i = 0; i < dist; ++i) b.Literal(static_cast<uint8_t>('A' + i));
    for (uint32_t length : {2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 100u, 518u}) {
      if (length != 2 || dist <= 256) b.Repetition(length, dist);
    }
    b.End();
    b.Flush();
    const Trace t = Run(b.bytes);
    EXPECT_EQ(t.result, CMP_NO_ERROR) << dist;
    EXPECT_EQ(t.output, b.Output()) << dist;
  }
}

TEST_F(ExplodeCases, ReachingBeforeTheFirstByteReadsZerosNotTheLastStream) {
  std::mt19937 rng(8);
  const StreamBuilder first = RandomStream(rng, 0, 6, 9000, false);
  ASSERT_EQ(Run(first.bytes).result, CMP_NO_ERROR);  // leaves its bytes in the work block
  StreamBuilder b(0, 6);
  b.Repetition(40, 4096);
  b.Literal(7);
  b.Repetition(10, 3000);
  b.End();
  b.Flush();
  const Trace t = Run(b.bytes);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  std::vector<uint8_t> expected(40, 0);
  expected.push_back(7);
  expected.insert(expected.end(), 10, 0);
  EXPECT_EQ(t.output, expected);
}

TEST_F(ExplodeCases, EmptyStreamWritesOnceWithNothing) {
  StreamBuilder b(1, 4);
  b.End();
  b.Flush();
  std::vector<uint8_t> stream = b.bytes;
  stream.push_back(0);  // the end symbol alone fits in 4 bytes, which are refused
  const Trace t = Run(stream);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_EQ(WriteSizes(t), std::vector<uint32_t>({0}));
}

}  // namespace
