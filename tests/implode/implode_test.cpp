// The encoder's streams read back by both decoders: the readable reference, symbol by symbol,
// checks the rules a stream must keep and that the bits the parsers priced are the bits
// written; Explode must give back the input too. Then what the levels promise: optimality of
// the best level against an exhaustive search, the order of the levels, a stream that depends
// on neither the input's pieces nor the threads, and refused settings and output.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "callback_trace.h"
#include "explode/explode.h"
#include "implode/implode.h"
#include "implode/implode_all.h"
#include "implode/implode_codes.h"
#include "stream_checker.h"
#include "test_inputs.h"

namespace {

struct Encoded {
  std::vector<uint8_t> stream;
  ImplodeStats stats;
  StreamCheck check;
};

// Encodes input and checks the stream with both decoders.
Encoded RoundTrip(const std::vector<uint8_t>& input, uint32_t mode, uint32_t dictBits,
                  uint32_t level) {
  SCOPED_TRACE("mode " + std::to_string(mode) + " dictBits " + std::to_string(dictBits) +
               " level " + std::to_string(level) + ", " + std::to_string(input.size()) + " bytes");
  ImplodeSettings settings;
  settings.mode = static_cast<uint8_t>(mode);
  settings.dictBits = static_cast<uint8_t>(dictBits);
  settings.level = static_cast<uint8_t>(level);
  Encoded e;
  EXPECT_TRUE(ImplodeBuffer(input.data(), input.size(), settings, e.stream, &e.stats));
  EXPECT_EQ(e.stream[0], mode);
  EXPECT_EQ(e.stream[1], dictBits);
  e.check = CheckStream(e.stream);
  EXPECT_EQ(e.check.problem, "");
  EXPECT_TRUE(e.check.output == input);
  EXPECT_EQ(e.stats.symbolBits, e.check.symbolBits);
  EXPECT_EQ(e.stats.literals, e.check.literals);
  EXPECT_EQ(e.stats.repetitions, e.check.repetitions);
  EXPECT_EQ(e.stats.inputBytes, input.size());
  EXPECT_EQ(e.stats.outputBytes, e.stream.size());
  std::vector<uint8_t> work(kExplodeWorkSize);
  const Trace t = RunTraced(Explode, work.data(), e.stream, Delivery::kFull, 1);
  EXPECT_EQ(t.result, CMP_NO_ERROR);
  EXPECT_TRUE(t.output == input);
  return e;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Inputs that tempt an encoder to break the rules: zeros at the very start (a lax match finder
// would copy from the zero history before the stream), blocks repeated just beyond each
// dictionary size, and 2-byte pairs repeated just beyond 256 bytes.
std::vector<std::vector<uint8_t>> TemptingInputs() {
  std::vector<std::vector<uint8_t>> inputs = {std::vector<uint8_t>(3000, 0), {}};
  for (size_t period : {257u, 1025u, 2049u, 4097u, 1023u, 2047u, 4095u}) {
    const std::vector<uint8_t> block = RandomBytes(period, period);
    inputs.push_back(Concat(Concat(block, block), Concat(block, block)));
  }
  std::vector<uint8_t> pairs = RandomBytes(5000, 99);
  for (size_t k = 258; k + 1 < pairs.size(); k += 258) {
    pairs[k] = pairs[k - 257];
    pairs[k + 1] = pairs[k - 256];
  }
  inputs.push_back(pairs);
  inputs.push_back(Concat(TextLike(70000, 7), StructuredBinary(70000, 8)));
  return inputs;
}

class ModeAndDictionary : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Sizes around the decoder's 2048-byte reads and 4096-byte blocks and the encoder's 64 KiB
// regions at a few levels; the tempting inputs at every level.
TEST_P(ModeAndDictionary, StreamsKeepTheRulesAndRoundTrip) {
  const uint8_t mode = static_cast<uint8_t>(std::get<0>(GetParam()));
  const uint8_t dictBits = static_cast<uint8_t>(std::get<1>(GetParam()));
  const size_t kSizes[] = {1,     2,     3,     5,     2047,   2048,   2049,   4095,  4096,
                           4097,  8191,  8192,  8193,  12288,  65535,  65536,  65537, 65544,
                           65545, 66061, 66062, 66063, 126976, 126984, 127502, 140000};
  for (size_t size : kSizes) {
    for (const std::vector<uint8_t>& input :
         {TextLike(size, 1000 + size), StructuredBinary(size, 1000 + size),
          RandomBytes(size, 1000 + size)}) {
      for (int level : {1, 2, 4, 9}) RoundTrip(input, mode, dictBits, level);
    }
  }
  for (const std::vector<uint8_t>& input : TemptingInputs()) {
    for (uint8_t level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level) {
      RoundTrip(input, mode, dictBits, level);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Implode, ModeAndDictionary,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Values(4, 5, 6)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& param) {
                           return std::string(std::get<0>(param.param) == 0 ? "Binary" : "Ascii") +
                                  "Dict" + std::to_string(64 << std::get<1>(param.param));
                         });

// Runs of one byte: a literal, then repetitions of the full 518 bytes at distance 1 (a parse
// may end on two shorter ones: 517 + 2 bytes cost less than 518 bytes and a literal).
TEST(Implode, LongRunsUseFullLengthRepetitions) {
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    for (size_t length : {517, 518, 519, 520, 1036, 1037, 1038, 4096, 8192 + 518, 100000}) {
      for (int level : {1, 4, 9}) {
        const Encoded e = RoundTrip(std::vector<uint8_t>(length, 0x41), mode, 6, level);
        const uint64_t fit = (length - 1) / 518;
        EXPECT_GE(e.check.fullLengthRepetitions, fit > 0 ? fit - 1 : 0) << length;
        EXPECT_LE(e.check.repetitions, fit + 2) << length;
        EXPECT_GE(e.check.literals, 1u) << length;
        EXPECT_LE(e.check.literals, 2u) << length;
      }
    }
  }
  // A run begun at the last byte of the decoder's first output block.
  RoundTrip(Concat(TextLike(8191, 3), std::vector<uint8_t>(2000, 0)), 0, 6, 9);
}

// A block repeated at exactly the dictionary's size is found there; one byte further it is out
// of reach, and random bytes then take 9 bits each.
TEST(Implode, RepetitionAtDictionaryEdgeIsUsedOnlyWhenInReach) {
  for (uint8_t dictBits = 4; dictBits <= 6; ++dictBits) {
    const size_t window = 64u << dictBits;
    for (size_t period : {window, window + 1}) {
      const std::vector<uint8_t> block = RandomBytes(period, period * 3);
      const std::vector<uint8_t> input = Concat(Concat(block, block), block);
      const Encoded e = RoundTrip(input, 0, dictBits, 9);
      if (period == window) {
        EXPECT_EQ(e.check.farthestDistance, window);
        EXPECT_LT(e.stream.size(), period * 2);
      } else {
        EXPECT_LT(e.check.farthestDistance, window);
        EXPECT_GT(e.stream.size(), input.size());
      }
    }
  }
}

// Bits of the cheapest coding of input, trying every distance for every length at every
// position: the exhaustive version of what level 9 computes with its match finder.
uint64_t ExhaustiveOptimumBits(const std::vector<uint8_t>& input, uint32_t mode,
                               uint32_t dictBits) {
  using namespace implode;
  auto lengthBits = [](uint32_t length) {
    uint32_t code = 15;
    while (kLengthBase[code] > length - 2) --code;
    return 1u + kLengthCodeBits[code] + kLengthExtraBits[code];
  };
  const size_t n = input.size();
  std::vector<uint64_t> best(n + 1, ~uint64_t{0});
  best[0] = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t literal = mode == 0 ? 9 : 1 + kAsciiCodeBits[input[i]];
    best[i + 1] = std::min(best[i + 1], best[i] + literal);
    for (size_t distance = 1; distance <= i && distance <= (64u << dictBits); ++distance) {
      if (input[i] != input[i - distance]) continue;
      for (size_t l = 2;
           l <= kMaxRepetition && i + l <= n && input[i + l - 1] == input[i + l - 1 - distance];
           ++l) {
        const uint32_t low = l == 2 ? 2u : dictBits;
        if (l == 2 && distance > kMaxDistance2) continue;
        const uint64_t cost = best[i] + lengthBits(static_cast<uint32_t>(l)) +
                              kDistanceCodeBits[(distance - 1) >> low] + low;
        best[i + l] = std::min(best[i + l], cost);
      }
    }
  }
  return best[n];
}

TEST(Implode, BestLevelEqualsExhaustiveSearch) {
  // Small inputs (the search is cubic) without repetitions of 518 bytes, which level 9 takes
  // as found.
  for (const std::vector<uint8_t>& input :
       {TextLike(2500, 21), TextLike(1500, 22), StructuredBinary(2000, 23),
        StructuredBinary(1200, 24)}) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      for (uint32_t dictBits : {4u, 6u}) {
        const Encoded e = RoundTrip(input, mode, dictBits, 9);
        EXPECT_EQ(e.stats.symbolBits - 16, ExhaustiveOptimumBits(input, mode, dictBits));
      }
    }
  }
  // The fast levels find a repetition in the last two or three bytes too, where no longer
  // fits, at the farthest distance a 2-byte repetition may have.
  for (const size_t tail : {2, 3}) {
    std::vector<uint8_t> atEnd = RandomBytes(300 + tail, 25);
    std::copy_n(atEnd.begin() + 44, tail, atEnd.end() - tail);
    for (int level : {2, 3}) {
      EXPECT_EQ(RoundTrip(atEnd, 0, 6, level).stats.symbolBits - 16,
                ExhaustiveOptimumBits(atEnd, 0, 6));
    }
  }
}

// The best level is never larger than any other; the fast level (an optimal parse over a few
// candidates) never larger than greedy (level 1); on compressible data each clearly smaller.
// The sizes of one sample are pinned as measured: a parse that finds other matches than it
// used to (a lost candidate, a stale history) shows here even when its stream stays valid.
TEST(Implode, LevelsAreOrdered) {
  const std::vector<uint8_t> samples[] = {TextLike(200000, 31), StructuredBinary(200000, 32),
                                          RandomBytes(50000, 33)};
  for (size_t k = 0; k < 3; ++k) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      SCOPED_TRACE("sample " + std::to_string(k) + " mode " + std::to_string(mode));
      std::vector<uint64_t> size(kImplodeMaxLevel + 1);
      for (uint8_t level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level) {
        ImplodeSettings settings;
        settings.mode = mode;
        settings.level = level;
        std::vector<uint8_t> stream;
        ASSERT_TRUE(ImplodeBuffer(samples[k].data(), samples[k].size(), settings, stream));
        size[level] = stream.size();
        EXPECT_LE(size[kImplodeBestLevel], size[level]);
      }
      EXPECT_LE(size[kImplodeFastLevel], size[1]);
      if (k == 1 && mode == 0) {
        EXPECT_EQ(size, (std::vector<uint64_t>{0, 57482, 55926, 55612, 55617, 54978, 54652, 54488,
                                               54325, 54325}));
      }
      if (k < 2) {
        EXPECT_LT(size[kImplodeFastLevel] * 100, size[1] * 98);
        EXPECT_LT(size[kImplodeBestLevel] * 100, size[kImplodeFastLevel] * 98);
      }
    }
  }
}

// The stream depends on neither how the input is split into pieces nor the number of
// threads: prefixes ending around the first region boundaries, the empty one, and ten regions
// (the match finder's 16-bit positions wrap, every job slot of two and three threads is
// reused), fed in pieces of the decoder's reads and of odd sizes.
TEST(Implode, PiecesAndThreadsDoNotChangeTheStream) {
  const std::vector<uint8_t> input = Concat(TextLike(300000, 21), StructuredBinary(300000, 22));
  const auto encode = [&input](size_t size, int level, uint32_t threads, size_t piece) {
    auto encoder = std::make_unique<ImplodeEncoder>();
    std::vector<uint8_t> stream;
    ImplodeSettings settings;
    settings.level = static_cast<uint8_t>(level);
    settings.threads = threads;
    EXPECT_TRUE(ImplodeInit(
        *encoder, settings,
        [](const uint8_t* data, uint32_t n, void* user) {
          auto* out = static_cast<std::vector<uint8_t>*>(user);
          out->insert(out->end(), data, data + n);
          return true;
        },
        &stream));
    for (size_t at = 0; at < size; at += piece) {
      EXPECT_TRUE(ImplodeFeed(*encoder, input.data() + at, std::min(piece, size - at)));
    }
    EXPECT_TRUE(ImplodeFinish(*encoder));
    EXPECT_EQ(encoder->stats.outputBytes, stream.size());
    return stream;
  };
  for (const size_t size : {size_t{0}, size_t{66061}, size_t{66062}, size_t{66063}, size_t{127502},
                            size_t{127503}, input.size()}) {
    for (int level : {1, 9}) {
      SCOPED_TRACE("size " + std::to_string(size) + " level " + std::to_string(level));
      const std::vector<uint8_t> prefix(input.begin(), input.begin() + size);
      const std::vector<uint8_t> whole = RoundTrip(prefix, 0, 6, level).stream;
      EXPECT_TRUE(encode(size, level, 1, 2048) == whole);
      if (level == 1) continue;  // threads serve the levels that parse regions alone
      for (uint32_t threads : {2u, 3u, 8u})
        EXPECT_TRUE(encode(size, level, threads, 7001) == whole);
    }
  }
}

TEST(Implode, RefusedSettingsAndOutput) {
  auto sink = [](const uint8_t*, uint32_t, void*) { return true; };
  auto e = std::make_unique<ImplodeEncoder>();
  const ImplodeSettings good;
  EXPECT_TRUE(ImplodeInit(*e, good, sink, nullptr));
  EXPECT_FALSE(ImplodeInit(*e, good, nullptr, nullptr));
  ImplodeSettings bad[7] = {good, good, good, good, good, good, good};
  bad[0].mode = 2;
  bad[1].dictBits = 3;
  bad[2].dictBits = 7;
  bad[3].level = 0;
  bad[4].level = 10;
  bad[5].threads = kImplodeMaxThreads + 1;
  for (int k = 0; k < 6; ++k) EXPECT_FALSE(ImplodeInit(*e, bad[k], sink, nullptr)) << k;
  EXPECT_FALSE(ImplodeFeed(*e, reinterpret_cast<const uint8_t*>("ab"), 2));
  // A write callback that refuses output stops the encoder: Feed and Finish report it.
  uint32_t callsLeft = 2;
  ASSERT_TRUE(ImplodeInit(
      *e, bad[6],
      [](const uint8_t*, uint32_t, void* user) {
        uint32_t& left = *static_cast<uint32_t*>(user);
        return left > 0 && left-- > 0;
      },
      &callsLeft));
  const std::vector<uint8_t> input = RandomBytes(300000, 41);  // about 75 output blocks
  EXPECT_FALSE(ImplodeFeed(*e, input.data(), input.size()));
  EXPECT_FALSE(ImplodeFinish(*e));
  // The dictionary sizes the format knows, and no others.
  for (uint32_t bytes : {1024u, 2048u, 4096u}) EXPECT_EQ(64u << ImplodeDictBits(bytes), bytes);
  for (uint32_t bytes : {0u, 512u, 1023u, 3072u, 8192u}) EXPECT_EQ(ImplodeDictBits(bytes), 0);
}

}  // namespace
