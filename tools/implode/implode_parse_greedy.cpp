// Greedy parsing: one decision per position, priced with the exact bit costs.
#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_parse.h"
#include "implode/implode_symbols.h"

namespace {

struct Choice {
  uint32_t length;  // 0: code a literal
  uint32_t distance;
  int32_t saving;  // bits saved against coding the same bytes as literals
};

uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

// Searches buffer index i (inserting it) and returns the repetition that saves the most bits.
// For one distance a longer repetition always saves more (each byte more costs a literal of
// at least 5 bits and the length at most 2 bits more), so only the improving matches compete.
Choice Evaluate(ImplodeEncoder& e, uint32_t i, uint32_t end) {
  const uint8_t* p = e.buffer + i;
  ImplodeSearchLimits limits;
  limits.maxLength = Min(implode::kMaxRepetition, end - i);
  limits.maxDistance = Min(e.coding.maxDistance, i);
  limits.maxDistance2 = Min(implode::kMaxDistance2, i);
  limits.maxChain = e.level.maxChain;
  limits.niceLength = e.level.niceLength;
  limits.scanLength = limits.maxLength;
  uint32_t distance2 = 0;
  const uint32_t count = FindMatches(e.finder, p, e.bufferPos + i, limits, e.matches, &distance2);
  Choice best = {0, 0, 0};
  int32_t literalBits = 0;
  uint32_t priced = 0;
  auto literalsUpTo = [&](uint32_t length) {
    while (priced < length) literalBits += e.coding.literalBits[p[priced++]];
    return literalBits;
  };
  if (distance2 != 0) {
    const int32_t saving =
        literalsUpTo(2) - static_cast<int32_t>(RepetitionBits(e.coding, 2, distance2));
    if (saving > best.saving) best = {2, distance2, saving};
  }
  for (uint32_t k = 0; k < count; ++k) {
    const ImplodeMatch m = e.matches[k];
    const int32_t saving = literalsUpTo(m.length) -
                           static_cast<int32_t>(RepetitionBits(e.coding, m.length, m.distance));
    if (saving > best.saving) best = {m.length, m.distance, saving};
  }
  return best;
}

void PutLiteral(ImplodeEncoder& e, uint32_t i) {
  const uint8_t byte = e.buffer[i];
  WriteLiteral(e.writer, e.coding, byte);
  e.stats.symbolBits += e.coding.literalBits[byte];
  ++e.stats.literals;
}

}  // namespace

void ParseGreedy(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  uint32_t i = begin;
  if (i >= end) return;
  Choice current = Evaluate(e, i, end);
  for (;;) {
    if (current.length == 0) {
      PutLiteral(e, i);
      if (++i >= end) return;
      current = Evaluate(e, i, end);
      continue;
    }
    WriteRepetition(e.writer, e.coding, current.length, current.distance);
    e.stats.symbolBits += RepetitionBits(e.coding, current.length, current.distance);
    ++e.stats.repetitions;
    const uint32_t next = i + current.length;
    for (uint32_t j = i + 1; j < next; ++j) {
      InsertPosition(e.finder, e.buffer + j, e.bufferPos + j);
    }
    i = next;
    if (i >= end) return;
    current = Evaluate(e, i, end);
  }
}
