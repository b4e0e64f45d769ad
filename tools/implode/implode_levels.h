// Compression levels of the encoder, 1 (fastest) to 9 (smallest output).
//
//   1     greedy: the nearest candidate of the 3-byte hash and the nearest 2-byte match,
//         taken when it costs fewer bits than the literals it replaces
//   2     lazy: as greedy over 8 candidates, but a match is put off by one byte when the
//         match at the next byte saves more bits
//   3..8  optimal parse: a shortest path in bits over every position of a region, with
//         chains of growing depth; a match of niceLength bytes or more is taken as found
//         (3 takes matches of 8 bytes as found: the fastest one that still beats a lazy
//         parse clearly)
//   9     optimal parse over every candidate of the window: the smallest stream the format
//         allows, up to the 64 KiB region boundaries and matches of the full 518 bytes, which
//         are taken as found
#pragma once
#include <cstdint>

enum class ImplodeParser : uint8_t { kGreedy, kLazy, kOptimal };

struct ImplodeLevel {
  ImplodeParser parser;
  uint32_t maxChain;    // 3-byte chain candidates examined per position
  uint32_t niceLength;  // a match this long ends the search (and, optimal: is taken at once)
};

constexpr uint32_t kImplodeMinLevel = 1;
constexpr uint32_t kImplodeMaxLevel = 9;
constexpr uint32_t kImplodeFastLevel = 1;
constexpr uint32_t kImplodeBestLevel = 9;

// level: 1..9 (callers check the range).
ImplodeLevel GetImplodeLevel(uint32_t level);
