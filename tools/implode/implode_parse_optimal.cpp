// Optimal parsing: the cheapest path in bits from the region's first byte to its end, where
// each step is a literal or a repetition from the match list of its start. With the complete
// candidate list (level 9) the result is the smallest coding of the region the format allows,
// since a symbol's cost depends only on itself.
#include <cstring>

#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_parse.h"
#include "implode/implode_symbols.h"

namespace {

constexpr uint64_t kUnreached = ~uint64_t{0};
constexpr uint32_t kLiteralStep = 1u << 16;  // arrival of a literal: length 1, distance 0

uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

inline void Relax(ImplodeEncoder& e, uint32_t to, uint64_t bits, uint32_t step) {
  const uint64_t candidate = bits << 32 | step;
  if (candidate < e.node[to]) e.node[to] = candidate;
}

}  // namespace

void PrimeRegion(ImplodeEncoder& e, uint32_t begin) {
  ResetMatchFinder(e.finder);
  ImplodeSearchLimits limits;
  limits.maxChain = e.level.maxChain;
  limits.niceLength = e.level.niceLength;
  limits.maxLength = 0;
  limits.maxDistance2 = 0;
  for (uint32_t i = 0; i < begin; ++i) {
    limits.scanLength = Min(implode::kMaxRepetition, e.fill - i);
    limits.maxDistance = Min(e.coding.maxDistance, i);
    uint32_t unused;
    if (e.level.tree) {
      FindMatchesInTree(e.finder, e.buffer + i, e.bufferPos + i, limits, e.matches, &unused);
    } else {
      InsertPosition(e.finder, e.buffer + i, e.bufferPos + i);
    }
  }
}

void ParseOptimal(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  FindOptimalPath(e, begin, end);
  WritePath(e, begin, end);
}

void FindOptimalPath(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  const uint32_t n = end - begin;
  e.node[0] = 0;  // an empty region's path: no step, no bits
  if (n == 0) return;
  for (uint32_t j = 1; j <= n; ++j) e.node[j] = kUnreached;

  ImplodeSearchLimits limits;
  limits.maxChain = e.level.maxChain;
  limits.niceLength = e.level.niceLength;
  // Positions inside a repetition of niceLength bytes or more are taken as found: no path
  // leaves from them, which spares the quadratic work of long runs.
  uint32_t skipUntil = begin;
  for (uint32_t i = begin; i < end; ++i) {
    const uint8_t* p = e.buffer + i;
    const uint32_t pos = e.bufferPos + i;
    if (i < skipUntil) {
      if (e.level.tree) {
        // Searched only to keep the tree whole; the answer is not needed.
        limits.maxLength = 0;
        limits.scanLength = Min(implode::kMaxRepetition, e.fill - i);
        limits.maxDistance = Min(e.coding.maxDistance, i);
        limits.maxDistance2 = 0;
        uint32_t unused;
        FindMatchesInTree(e.finder, p, pos, limits, e.matches, &unused);
      } else {
        InsertPosition(e.finder, p, pos);
      }
      continue;
    }
    const uint32_t j = i - begin;
    const uint64_t base = e.node[j] >> 32;
    Relax(e, j + 1, base + e.coding.literalBits[*p], kLiteralStep);

    limits.maxLength = Min(implode::kMaxRepetition, end - i);
    limits.maxDistance = Min(e.coding.maxDistance, i);
    limits.maxDistance2 = Min(implode::kMaxDistance2, i);
    uint32_t distance2 = 0;
    limits.scanLength = Min(implode::kMaxRepetition, e.fill - i);
    const uint32_t count = e.level.tree
                               ? FindMatchesInTree(e.finder, p, pos, limits, e.matches, &distance2)
                               : FindMatches(e.finder, p, pos, limits, e.matches, &distance2);
    if (distance2 != 0) {
      Relax(e, j + 2, base + RepetitionBits(e.coding, 2, distance2), 2u << 16 | distance2);
    }
    // Each length goes with the nearest distance that reaches it: the first match entry at
    // least that long.
    uint32_t length = 3;
    for (uint32_t k = 0; k < count; ++k) {
      const uint32_t distance = e.matches[k].distance;
      const uint32_t top = e.matches[k].length;
      const uint64_t withDistance = base + e.coding.distanceBits[distance];
      for (; length <= top; ++length) {
        Relax(e, j + length, withDistance + e.coding.lengthBits[length], length << 16 | distance);
      }
    }
    if (count > 0 && e.matches[count - 1].length >= e.level.niceLength) {
      skipUntil = i + e.matches[count - 1].length;
    }
  }
}

uint32_t TracePath(const uint64_t* node, uint32_t n, uint32_t* path) {
  uint32_t steps = 0;
  for (uint32_t j = n; j > 0; j -= static_cast<uint32_t>(node[j]) >> 16) {
    path[steps++] = static_cast<uint32_t>(node[j]);
  }
  return steps;
}

void WritePath(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  const uint32_t steps = TracePath(e.node, end - begin, e.path);
  EmitPath(e, e.buffer + begin, e.path, steps, e.node[end - begin] >> 32);
}

void EmitPath(ImplodeEncoder& e, const uint8_t* bytes, const uint32_t* path, uint32_t steps,
              uint64_t pricedBits) {
  e.stats.symbolBits += pricedBits;
  e.stats.repetitions += steps;
  // The writer's state lives in locals while the symbols go out: its fields sit beside the
  // output bytes, so a store of those would otherwise force every field back to memory.
  const ImplodeCoding& c = e.coding;
  ImplodeBitWriter& w = e.writer;
  uint64_t pending = w.pending;
  uint32_t pendingCount = w.pendingCount;
  uint32_t outLength = w.outLength;
  const uint8_t* p = bytes;
  uint64_t literals = 0;
  while (steps > 0) {
    const uint32_t step = path[--steps];
    const uint32_t length = step >> 16;
    // Literal or repetition without a branch: the tables code length 1 at distance 0 as
    // nothing, and a literal's fields are masked out behind a repetition.
    const uint32_t literal = 0u - static_cast<uint32_t>(length == 1);
    const uint32_t code = (c.literalCode[*p] & literal) | RepetitionCode(c, length, step & 0xFFFF);
    const uint32_t bits = (c.literalBits[*p] & literal) + RepetitionBits(c, length, step & 0xFFFF);
    literals += literal & 1;
    p += length;
    pending |= uint64_t{code} << pendingCount;
    pendingCount += bits;
    if (pendingCount >= 32) {
      const uint32_t word = static_cast<uint32_t>(pending);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      std::memcpy(w.out + outLength, &word, 4);
#else
      for (uint32_t k = 0; k < 4; ++k) w.out[outLength + k] = static_cast<uint8_t>(word >> (8 * k));
#endif
      outLength += 4;
      pending >>= 32;
      pendingCount -= 32;
      if (outLength >= kImplodeOutBlock) {
        w.outLength = outLength;
        FlushOutBlock(w);
        outLength = w.outLength;
      }
    }
  }
  w.pending = pending;
  w.pendingCount = pendingCount;
  w.outLength = outLength;
  e.stats.literals += literals;
  e.stats.repetitions -= literals;
}
