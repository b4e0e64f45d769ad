// Streams written by the encoder, read back by the real decoder (Explode): every literal mode,
// dictionary size and level, sizes around the decoder's 2048-byte reads and 4096-byte output
// blocks and the encoder's own 64 KiB regions, long runs, a trickling read callback, and the
// same stream whatever the number of threads.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "explode/explode.h"
#include "explode_runner.h"
#include "implode/implode.h"
#include "implode/implode_buffer.h"
#include "stream_checker.h"
#include "test_inputs.h"

namespace {

std::vector<uint8_t> Encode(const std::vector<uint8_t>& input, uint8_t mode, uint8_t dictBits,
                            uint8_t level, ImplodeStats* stats = nullptr) {
  ImplodeSettings settings;
  settings.mode = mode;
  settings.dictBits = dictBits;
  settings.level = level;
  std::vector<uint8_t> stream;
  EXPECT_TRUE(ImplodeBuffer(input.data(), input.size(), settings, stream, stats));
  return stream;
}

// The decoder gives back the input, with full 4096-byte blocks and one final short one.
void ExpectRoundTrip(const std::vector<uint8_t>& input, const std::vector<uint8_t>& stream,
                     ReadPattern pattern = ReadPattern::kFull) {
  const ExplodeRun run = RunExplode(stream, pattern);
  ASSERT_EQ(run.result, CMP_NO_ERROR);
  ASSERT_EQ(run.output.size(), input.size());
  ASSERT_TRUE(run.output == input);
  ASSERT_FALSE(run.writeSizes.empty());
  for (size_t k = 0; k + 1 < run.writeSizes.size(); ++k) ASSERT_EQ(run.writeSizes[k], 4096u);
  ASSERT_LT(run.writeSizes.back(), 4096u);
}

std::vector<uint8_t> MakeInput(int kind, size_t size, uint64_t seed) {
  switch (kind) {
    case 0: return TextLike(size, seed);
    case 1: return StructuredBinary(size, seed);
    default: return RandomBytes(size, seed);
  }
}

const char* const kKindNames[] = {"text", "structured", "random"};

class ModeAndDictionary : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(ModeAndDictionary, SizesAroundBlockAndRegionEdgesRoundTrip) {
  const uint8_t mode = static_cast<uint8_t>(std::get<0>(GetParam()));
  const uint8_t dictBits = static_cast<uint8_t>(std::get<1>(GetParam()));
  const size_t kSizes[] = {0,    1,    2,    3,    5,    2047, 2048, 2049,  4095,  4096,
                           4097, 8191, 8192, 8193, 12288, 65535, 65536, 65537, 65544, 65545,
                           66061, 66062, 66063, 126976, 126984, 127502, 140000};
  const uint8_t kLevels[] = {1, 2, 4, 9};
  for (int kind = 0; kind < 3; ++kind) {
    for (size_t size : kSizes) {
      const std::vector<uint8_t> input = MakeInput(kind, size, 1000 + size);
      for (uint8_t level : kLevels) {
        SCOPED_TRACE(std::string(kKindNames[kind]) + " size " + std::to_string(size) +
                     " level " + std::to_string(level));
        const std::vector<uint8_t> stream = Encode(input, mode, dictBits, level);
        ASSERT_EQ(stream[0], mode);
        ASSERT_EQ(stream[1], dictBits);
        ExpectRoundTrip(input, stream);
      }
    }
  }
}

TEST_P(ModeAndDictionary, EveryLevelRoundTripsMixedInput) {
  const uint8_t mode = static_cast<uint8_t>(std::get<0>(GetParam()));
  const uint8_t dictBits = static_cast<uint8_t>(std::get<1>(GetParam()));
  std::vector<uint8_t> input = TextLike(70000, 7);
  const std::vector<uint8_t> binary = StructuredBinary(70000, 8);
  input.insert(input.end(), binary.begin(), binary.end());
  for (uint8_t level = 1; level <= 9; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    ExpectRoundTrip(input, Encode(input, mode, dictBits, level));
  }
}

INSTANTIATE_TEST_SUITE_P(Implode, ModeAndDictionary,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Values(4, 5, 6)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& param) {
                           return std::string(std::get<0>(param.param) == 0 ? "Binary" : "Ascii") +
                                  "Dict" + std::to_string(64 << std::get<1>(param.param));
                         });

// Runs of one byte give repetitions of the full 518 bytes at distance 1, including ones that
// the decoder begins at the last index of its output half.
TEST(ImplodeRoundTrip, LongRunsUseFullLengthRepetitions) {
  const size_t kRunLengths[] = {517, 518, 519, 520, 1036, 1037, 1038, 4096, 8192 + 518, 100000};
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    for (size_t length : kRunLengths) {
      for (uint8_t level : {uint8_t{1}, uint8_t{4}, uint8_t{9}}) {
        SCOPED_TRACE("mode " + std::to_string(mode) + " run " + std::to_string(length) +
                     " level " + std::to_string(level));
        std::vector<uint8_t> input(length, 0x41);
        const std::vector<uint8_t> stream = Encode(input, mode, 6, level);
        ExpectRoundTrip(input, stream);
        const StreamCheck check = CheckStream(stream);
        ASSERT_EQ(check.problem, "");
        // One literal, then 518-byte repetitions; a parse may end on two shorter ones
        // (517 + 2 bytes cost less than 518 bytes and a literal).
        const uint64_t fit = (length - 1) / 518;
        EXPECT_GE(check.fullLengthRepetitions, fit > 0 ? fit - 1 : 0);
        EXPECT_LE(check.repetitions, fit + 2);
        EXPECT_GE(check.literals, 1u);
        EXPECT_LE(check.literals, 2u);  // the first byte, and a last one left over
      }
    }
  }
  // A run begun at the last byte of the decoder's first output block: 8191 bytes of text, then
  // a run that the encoder codes as 518-byte repetitions at distance 1.
  std::vector<uint8_t> input = TextLike(8191, 3);
  input.insert(input.end(), 2000, 0);
  ExpectRoundTrip(input, Encode(input, 0, 6, 9));
}

// The decoder asks again whenever the bytes delivered are used up: a source that gives 5 bytes
// and then one byte per call must yield the same output in the same blocks.
TEST(ImplodeRoundTrip, TricklingReadCallbackGivesSameOutput) {
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    std::vector<uint8_t> input = TextLike(20000, 11);
    const std::vector<uint8_t> binary = StructuredBinary(20000, 12);
    input.insert(input.end(), binary.begin(), binary.end());
    const std::vector<uint8_t> stream = Encode(input, mode, 5, 9);
    const ExplodeRun full = RunExplode(stream, ReadPattern::kFull);
    const ExplodeRun trickle = RunExplode(stream, ReadPattern::kFiveThenOne);
    ASSERT_EQ(trickle.result, CMP_NO_ERROR);
    EXPECT_TRUE(trickle.output == input);
    EXPECT_EQ(trickle.writeSizes, full.writeSizes);
  }
  // The empty input's stream is padded to the 5 bytes the decoder's first read needs.
  const std::vector<uint8_t> empty;
  const std::vector<uint8_t> stream = Encode(empty, 0, 4, 9);
  EXPECT_EQ(stream.size(), 5u);
  ExpectRoundTrip(empty, stream, ReadPattern::kFiveThenOne);
}

// Megabytes through ImplodeFeed in the decoder's own 2048-byte reads: many regions, and the
// match finder's 16-bit positions wrap dozens of times. The pieces do not change the stream.
TEST(ImplodeRoundTrip, MegabytesFedInSmallPiecesRoundTrip) {
  std::vector<uint8_t> input;
  for (uint64_t seed = 0; input.size() < 1536u * 1024; ++seed) {
    const std::vector<uint8_t> part =
        seed % 3 == 0 ? TextLike(300000, seed) : StructuredBinary(250000, seed);
    input.insert(input.end(), part.begin(), part.end());
  }
  for (uint8_t level : {uint8_t{1}, uint8_t{9}}) {
    SCOPED_TRACE("level " + std::to_string(level));
    ImplodeEncoder* encoder = new ImplodeEncoder;
    std::vector<uint8_t> stream;
    ImplodeSettings settings;
    settings.level = level;
    ASSERT_TRUE(ImplodeInit(*encoder, settings,
                            [](const uint8_t* data, uint32_t size, void* user) {
                              auto* out = static_cast<std::vector<uint8_t>*>(user);
                              out->insert(out->end(), data, data + size);
                              return true;
                            },
                            &stream));
    for (size_t at = 0; at < input.size(); at += 2048) {
      const size_t piece = input.size() - at < 2048 ? input.size() - at : 2048;
      ASSERT_TRUE(ImplodeFeed(*encoder, input.data() + at, piece));
    }
    ASSERT_TRUE(ImplodeFinish(*encoder));
    EXPECT_EQ(encoder->stats.inputBytes, input.size());
    EXPECT_EQ(encoder->stats.outputBytes, stream.size());
    delete encoder;
    ExpectRoundTrip(input, stream);
    EXPECT_TRUE(stream == Encode(input, settings.mode, settings.dictBits, level));
  }
}

// Levels 8 and 9 parse every region alone, so any number of threads gives the same stream:
// prefixes of a mixed input that end around the first two region boundaries, the empty one,
// and ten regions (every job slot of two and three threads reused), fed in odd pieces.
TEST(ImplodeRoundTrip, ThreadCountDoesNotChangeTheStream) {
  std::vector<uint8_t> input = TextLike(300000, 21);
  const std::vector<uint8_t> binary = StructuredBinary(300000, 22);
  input.insert(input.end(), binary.begin(), binary.end());
  const auto encode = [&input](size_t size, uint8_t level, uint32_t threads) {
    ImplodeEncoder* encoder = new ImplodeEncoder;
    std::vector<uint8_t> stream;
    ImplodeSettings settings;
    settings.level = level;
    settings.threads = threads;
    EXPECT_TRUE(ImplodeInit(*encoder, settings,
                            [](const uint8_t* data, uint32_t n, void* user) {
                              auto* out = static_cast<std::vector<uint8_t>*>(user);
                              out->insert(out->end(), data, data + n);
                              return true;
                            },
                            &stream));
    for (size_t at = 0; at < size; at += 7001) {
      EXPECT_TRUE(ImplodeFeed(*encoder, input.data() + at, size - at < 7001 ? size - at : 7001));
    }
    EXPECT_TRUE(ImplodeFinish(*encoder));
    delete encoder;
    return stream;
  };
  for (const size_t size : {size_t{0}, size_t{66061}, size_t{66062}, size_t{66063},
                            size_t{127502}, size_t{127503}, input.size()}) {
    for (uint8_t level : {uint8_t{8}, uint8_t{9}}) {
      SCOPED_TRACE("size " + std::to_string(size) + " level " + std::to_string(level));
      const std::vector<uint8_t> alone = encode(size, level, 1);
      ExpectRoundTrip(std::vector<uint8_t>(input.begin(), input.begin() + size), alone);
      for (uint32_t threads : {2u, 3u, 8u}) EXPECT_TRUE(encode(size, level, threads) == alone);
    }
  }
}

}  // namespace
