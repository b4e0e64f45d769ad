// Compression levels of the encoder, 1 (fastest) to 9 (smallest output).
//
//   1     greedy: the nearest candidate of the 3-byte hash and the nearest 2-byte match,
//         taken when it costs fewer bits than the literals it replaces
//   2, 3  fast optimal parse (implode_parse_fast.cpp): a shortest path in bits over a few
//         hash-bucket candidates per position; matches of 9 (2) or 16 (3) bytes are taken as
//         found. Level 2 is the fast level that still beats a lazy parse clearly
//   4..7  optimal parse over hash chains of growing depth; a match of niceLength bytes or
//         more is taken as found
//   8, 9  optimal parse over binary trees that yield, for every length, the nearest match
//         in the window: the smallest stream the format allows, up to the 64 KiB region
//         boundaries (matches do not cross them) and matches of the full 518 bytes, which
//         are taken as found (together about 0.006% of the output on text). Every region is
//         parsed alone, so ImplodeSettings::threads can spread the regions over threads.
//         Level 8 is the same as 9 and stays only because command lines name it: a search
//         of at most 48 tree nodes gained 3% in speed and cost 0.005% in size.
#pragma once
#include <cstdint>

enum class ImplodeParser : uint8_t { kGreedy, kFast, kOptimal };

struct ImplodeLevel {
  ImplodeParser parser;
  uint32_t maxChain;    // 3-byte chain candidates (tree: nodes) examined per position; fast: unused
  uint32_t niceLength;  // a match this long ends the search (and, optimal: is taken at once)
  bool tree;            // optimal parse: search the binary trees instead of the hash chain
  // Each region is parsed from an empty match finder primed with its own history only, so
  // that regions can be parsed apart (in worker threads) with the same result.
  bool regionsAlone;
};

constexpr uint32_t kImplodeMinLevel = 1;
constexpr uint32_t kImplodeMaxLevel = 9;
constexpr uint32_t kImplodeFastLevel = 2;  // the fast level that still beats greedy clearly
constexpr uint32_t kImplodeBestLevel = 9;

// level: 1..9 (callers check the range).
ImplodeLevel GetImplodeLevel(uint32_t level);
