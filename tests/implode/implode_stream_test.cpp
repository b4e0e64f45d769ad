// The encoder's streams read by the tests' own symbol-by-symbol checker: the rules a stream
// must keep, the exact agreement of the priced cost with the bits written, optimality of the
// best level against an exhaustive search, the ordering of the levels, and the code tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "implode/implode.h"
#include "implode/implode_buffer.h"
#include "implode/implode_codes.h"
#include "stream_checker.h"
#include "test_inputs.h"

namespace {

struct Encoded {
  std::vector<uint8_t> stream;
  ImplodeStats stats;
};

Encoded Encode(const std::vector<uint8_t>& input, uint8_t mode, uint8_t dictBits, uint8_t level) {
  ImplodeSettings settings;
  settings.mode = mode;
  settings.dictBits = dictBits;
  settings.level = level;
  Encoded e;
  EXPECT_TRUE(ImplodeBuffer(input.data(), input.size(), settings, e.stream, &e.stats));
  return e;
}

// Inputs that tempt an encoder to break the rules: zeros at the very start (a lax match finder
// would copy from the zero-filled history before the stream), blocks repeated just beyond each
// dictionary size, and 2-byte pairs repeated just beyond 256 bytes.
std::vector<std::vector<uint8_t>> TemptingInputs() {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back(std::vector<uint8_t>(3000, 0));
  for (size_t period : {257u, 1025u, 2049u, 4097u, 1023u, 2047u, 4095u}) {
    const std::vector<uint8_t> block = RandomBytes(period, period);
    std::vector<uint8_t> input;
    for (int k = 0; k < 4; ++k) input.insert(input.end(), block.begin(), block.end());
    inputs.push_back(input);
  }
  std::vector<uint8_t> pairs = RandomBytes(5000, 99);
  for (size_t k = 258; k + 1 < pairs.size(); k += 258) {
    pairs[k] = pairs[k - 257];
    pairs[k + 1] = pairs[k - 256];
  }
  inputs.push_back(pairs);
  inputs.push_back(StructuredBinary(150000, 5));
  inputs.push_back(TextLike(100000, 6));
  return inputs;
}

TEST(ImplodeStreamRules, DistancesStayInsideDictionaryAndOutputSoFar) {
  const std::vector<std::vector<uint8_t>> inputs = TemptingInputs();
  for (size_t n = 0; n < inputs.size(); ++n) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      for (uint8_t dictBits = 4; dictBits <= 6; ++dictBits) {
        for (uint8_t level : {uint8_t{1}, uint8_t{3}, uint8_t{6}, uint8_t{9}}) {
          SCOPED_TRACE("input " + std::to_string(n) + " mode " + std::to_string(mode) +
                       " dictBits " + std::to_string(dictBits) + " level " +
                       std::to_string(level));
          const Encoded e = Encode(inputs[n], mode, dictBits, level);
          const StreamCheck check = CheckStream(e.stream);
          ASSERT_EQ(check.problem, "");
          ASSERT_TRUE(check.output == inputs[n]);
          EXPECT_LE(check.farthestDistance, 64u << dictBits);
          EXPECT_LE(check.farthestDistance2, 256u);
        }
      }
    }
  }
}

// The repeated blocks are found at exactly their period when the dictionary reaches it, and
// not at all when it does not: then the stream must grow to roughly literal size.
TEST(ImplodeStreamRules, RepetitionAtDictionaryEdgeIsUsedOnlyWhenInReach) {
  for (uint8_t dictBits = 4; dictBits <= 6; ++dictBits) {
    const size_t window = 64u << dictBits;
    for (size_t period : {window, window + 1}) {
      SCOPED_TRACE("dictBits " + std::to_string(dictBits) + " period " + std::to_string(period));
      const std::vector<uint8_t> block = RandomBytes(period, period * 3);
      std::vector<uint8_t> input;
      for (int k = 0; k < 3; ++k) input.insert(input.end(), block.begin(), block.end());
      const Encoded e = Encode(input, 0, dictBits, 9);
      const StreamCheck check = CheckStream(e.stream);
      ASSERT_EQ(check.problem, "");
      ASSERT_TRUE(check.output == input);
      if (period == window) {
        EXPECT_EQ(check.farthestDistance, window);
        EXPECT_LT(e.stream.size(), period * 2);
      } else {
        EXPECT_LT(check.farthestDistance, window);
        EXPECT_GT(e.stream.size(), input.size());  // random bytes: 9 bits each
      }
    }
  }
}

// What the parsers priced is what the stream holds: symbol bits counted by the checker equal
// the encoder's sum, and the stream is exactly those bits plus the header, rounded to bytes.
TEST(ImplodeCostModel, PricedBitsEqualBitsInStream) {
  std::vector<std::vector<uint8_t>> inputs = TemptingInputs();
  inputs.push_back(RandomBytes(70000, 4));
  inputs.push_back({});
  for (size_t n = 0; n < inputs.size(); ++n) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      for (uint8_t level = 1; level <= 9; ++level) {
        SCOPED_TRACE("input " + std::to_string(n) + " mode " + std::to_string(mode) +
                     " level " + std::to_string(level));
        const Encoded e = Encode(inputs[n], mode, 5, level);
        const StreamCheck check = CheckStream(e.stream);
        ASSERT_EQ(check.problem, "");
        EXPECT_EQ(e.stats.symbolBits, check.symbolBits);
        EXPECT_EQ(e.stats.literals, check.literals);
        EXPECT_EQ(e.stats.repetitions, check.repetitions);
        EXPECT_EQ(e.stats.inputBytes, inputs[n].size());
        const uint64_t bytes = (16 + check.symbolBits + 7) / 8;
        EXPECT_EQ(e.stats.outputBytes, bytes < 5 ? 5 : bytes);
        EXPECT_EQ(e.stats.outputBytes, e.stream.size());
      }
    }
  }
}

// Bits of the cheapest coding of `input`, found by trying every distance for every length at
// every position: the exhaustive version of what level 9 computes with its match finder.
uint64_t ExhaustiveOptimumBits(const std::vector<uint8_t>& input, uint8_t mode, uint8_t dictBits) {
  using namespace implode;
  auto lengthBits = [](uint32_t length) {
    const uint32_t value = length - 2;
    for (uint32_t code = 0; code < 16; ++code) {
      if (value >= kLengthBase[code] && value < kLengthBase[code] + (1u << kLengthExtraBits[code])) {
        return 1u + kLengthCodeBits[code] + kLengthExtraBits[code];
      }
    }
    return 1000u;
  };
  auto distanceBits = [&](uint32_t length, uint32_t distance) {
    const uint32_t low = length == 2 ? 2u : dictBits;
    return uint32_t{kDistanceCodeBits[(distance - 1) >> low]} + low;
  };
  const size_t n = input.size();
  std::vector<uint64_t> best(n + 1, ~uint64_t{0});
  best[0] = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t here = best[i];
    const uint64_t literal = mode == 0 ? 9 : 1 + kAsciiCodeBits[input[i]];
    if (here + literal < best[i + 1]) best[i + 1] = here + literal;
    const size_t farthest = 64u << dictBits;
    for (size_t distance = 1; distance <= i && distance <= farthest; ++distance) {
      size_t length = 0;
      while (i + length < n && length < kMaxRepetition &&
             input[i + length] == input[i + length - distance]) {
        ++length;
      }
      for (size_t l = 2; l <= length; ++l) {
        if (l == 2 && distance > kMaxDistance2) continue;
        const uint64_t cost = here + lengthBits(static_cast<uint32_t>(l)) +
                              distanceBits(static_cast<uint32_t>(l), static_cast<uint32_t>(distance));
        if (cost < best[i + l]) best[i + l] = cost;
      }
    }
  }
  return best[n];
}

TEST(ImplodeOptimality, BestLevelEqualsExhaustiveSearch) {
  // Small inputs (the search is cubic) without repetitions of 518 bytes, which level 9 takes
  // as found.
  const std::vector<std::vector<uint8_t>> inputs = {TextLike(2500, 21), TextLike(1500, 22),
                                                    StructuredBinary(2000, 23),
                                                    StructuredBinary(1200, 24)};
  for (size_t k = 0; k < inputs.size(); ++k) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      for (uint8_t dictBits : {uint8_t{4}, uint8_t{6}}) {
        SCOPED_TRACE("input " + std::to_string(k) + " mode " + std::to_string(mode) +
                     " dictBits " + std::to_string(dictBits));
        const Encoded e = Encode(inputs[k], mode, dictBits, 9);
        EXPECT_EQ(e.stats.symbolBits - 16, ExhaustiveOptimumBits(inputs[k], mode, dictBits));
      }
    }
  }
}

TEST(ImplodeLevels, BestLevelNeverLargerThanAnyOther) {
  const std::vector<std::vector<uint8_t>> samples = {TextLike(200000, 31),
                                                     StructuredBinary(200000, 32),
                                                     RandomBytes(50000, 33)};
  for (size_t k = 0; k < samples.size(); ++k) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      const uint64_t best = Encode(samples[k], mode, 6, kImplodeBestLevel).stream.size();
      uint64_t fast = 0;
      for (uint8_t level = kImplodeMinLevel; level < kImplodeMaxLevel; ++level) {
        SCOPED_TRACE("sample " + std::to_string(k) + " mode " + std::to_string(mode) +
                     " level " + std::to_string(level));
        const uint64_t size = Encode(samples[k], mode, 6, level).stream.size();
        EXPECT_LE(best, size);
        if (level == kImplodeFastLevel) fast = size;
      }
      // On compressible data the optimal parse must gain clearly over the fast one.
      if (k < 2) {
        EXPECT_LT(best * 100, fast * 98);
      }
    }
  }
}

// The fast optimal parse (level 2) searches a superset of the greedy level's candidates and
// chooses by shortest path: on every sample it must not lose to greedy, and on compressible
// data it must win clearly.
TEST(ImplodeLevels, FastParseNeverLargerThanGreedy) {
  const std::vector<std::vector<uint8_t>> samples = {TextLike(200000, 34),
                                                     StructuredBinary(200000, 35),
                                                     RandomBytes(50000, 36)};
  for (size_t k = 0; k < samples.size(); ++k) {
    for (uint8_t mode = 0; mode <= 1; ++mode) {
      SCOPED_TRACE("sample " + std::to_string(k) + " mode " + std::to_string(mode));
      const uint64_t greedy = Encode(samples[k], mode, 6, 1).stream.size();
      const uint64_t fast = Encode(samples[k], mode, 6, 2).stream.size();
      EXPECT_LE(fast, greedy);
      if (k < 2) {
        EXPECT_LT(fast * 100, greedy * 98);
      }
    }
  }
}

TEST(ImplodeSettingsCheck, OutOfRangeSettingsAreRefused) {
  auto sink = [](const uint8_t*, uint32_t, void*) { return true; };
  ImplodeEncoder* e = new ImplodeEncoder;
  ImplodeSettings good;
  EXPECT_TRUE(ImplodeInit(*e, good, sink, nullptr));
  ImplodeSettings s = good;
  s.mode = 2;
  EXPECT_FALSE(ImplodeInit(*e, s, sink, nullptr));
  EXPECT_FALSE(ImplodeFeed(*e, reinterpret_cast<const uint8_t*>("ab"), 2));
  for (uint8_t dictBits : {uint8_t{3}, uint8_t{7}}) {
    s = good;
    s.dictBits = dictBits;
    EXPECT_FALSE(ImplodeInit(*e, s, sink, nullptr));
  }
  for (uint8_t level : {uint8_t{0}, uint8_t{10}}) {
    s = good;
    s.level = level;
    EXPECT_FALSE(ImplodeInit(*e, s, sink, nullptr));
  }
  EXPECT_FALSE(ImplodeInit(*e, good, nullptr, nullptr));
  delete e;
}

// A write callback that refuses output stops the encoder: Feed and Finish report it.
TEST(ImplodeSettingsCheck, RefusedOutputIsReported) {
  struct Budget {
    uint32_t callsLeft;
  } budget{2};
  auto sink = [](const uint8_t*, uint32_t, void* user) {
    auto* b = static_cast<Budget*>(user);
    if (b->callsLeft == 0) return false;
    --b->callsLeft;
    return true;
  };
  ImplodeEncoder* e = new ImplodeEncoder;
  ImplodeSettings settings;
  settings.level = 1;
  ASSERT_TRUE(ImplodeInit(*e, settings, sink, &budget));
  const std::vector<uint8_t> input = RandomBytes(300000, 41);  // about 75 output blocks
  EXPECT_FALSE(ImplodeFeed(*e, input.data(), input.size()));
  EXPECT_FALSE(ImplodeFinish(*e));
  delete e;
}

// The written-out code tables are the canonical codes of their lengths (inverted, bit order
// reversed), and each code is complete: the Kraft sum of its lengths is exactly 1.
TEST(ImplodeCodes, TablesAreCompleteCanonicalCodes) {
  using namespace implode;
  auto kraftTimes8192 = [](const uint8_t* bits, uint32_t count) {
    uint32_t sum = 0;
    for (uint32_t s = 0; s < count; ++s) sum += 8192u >> bits[s];
    return sum;
  };
  const std::vector<uint32_t> lengths = CanonicalCodes(kLengthCodeBits, 16);
  for (uint32_t s = 0; s < 16; ++s) EXPECT_EQ(lengths[s], kLengthCodes[s]) << "length " << s;
  EXPECT_EQ(kraftTimes8192(kLengthCodeBits, 16), 8192u);
  const std::vector<uint32_t> distances = CanonicalCodes(kDistanceCodeBits, 64);
  for (uint32_t s = 0; s < 64; ++s) EXPECT_EQ(distances[s], kDistanceCodes[s]) << "distance " << s;
  EXPECT_EQ(kraftTimes8192(kDistanceCodeBits, 64), 8192u);
  const std::vector<uint32_t> ascii = CanonicalCodes(kAsciiCodeBits, 256);
  for (uint32_t s = 0; s < 256; ++s) EXPECT_EQ(ascii[s], kAsciiCodes[s]) << "byte " << s;
  EXPECT_EQ(kraftTimes8192(kAsciiCodeBits, 256), 8192u);
  // Each length code covers the values right after the one before; value 517 is the end.
  for (uint32_t code = 1; code < 16; ++code) {
    EXPECT_EQ(kLengthBase[code], kLengthBase[code - 1] + (1u << kLengthExtraBits[code - 1]));
  }
  EXPECT_EQ(kLengthBase[15] + 255u, kEndLengthValue);
}

}  // namespace
