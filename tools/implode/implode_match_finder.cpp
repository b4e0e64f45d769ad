#include "implode/implode_match_finder.h"

// Far enough before stream position 0 that no search accepts it before the positions wrap.
static constexpr uint16_t kEmptyPosition = 0x8000;

static uint32_t Distance(uint32_t pos, uint16_t entry) {
  return static_cast<uint16_t>(pos - entry);
}

void ResetMatchFinder(ImplodeMatchFinder& f) {
  for (uint16_t& v : f.head3) v = kEmptyPosition;
  for (uint16_t& v : f.head2) v = kEmptyPosition;
  for (uint16_t& v : f.previous) v = kEmptyPosition;
}

uint32_t FindMatches(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos,
                     const ImplodeSearchLimits& limits, ImplodeMatch* matches,
                     uint32_t* distance2) {
  const uint32_t maxLength = limits.maxLength;
  *distance2 = 0;
  uint32_t count = 0;
  if (maxLength >= 2) {
    const uint32_t d2 = Distance(pos, f.head2[Key2(p)]);
    if (d2 >= 1 && d2 <= limits.maxDistance2 && p[-static_cast<int32_t>(d2)] == p[0] &&
        p[1 - static_cast<int32_t>(d2)] == p[1]) {
      *distance2 = d2;
    }
  }
  if (maxLength >= 3) {
    uint32_t best = 2;
    uint32_t lastDistance = 0;
    uint16_t candidate = f.head3[Hash3(p)];
    for (uint32_t chain = limits.maxChain; chain > 0; --chain) {
      const uint32_t distance = Distance(pos, candidate);
      if (distance <= lastDistance || distance > limits.maxDistance) break;
      lastDistance = distance;
      const uint8_t* q = p - distance;
      if (q[best] == p[best] && q[0] == p[0] && q[1] == p[1]) {
        const uint32_t length = CommonLength(p, q, maxLength);
        if (length > best) {
          best = length;
          matches[count].length = static_cast<uint16_t>(length);
          matches[count].distance = static_cast<uint16_t>(distance);
          ++count;
          if (length >= limits.niceLength || length == maxLength) break;
        }
      }
      candidate = f.previous[candidate & (kImplodeChainSize - 1)];
    }
  }
  InsertPosition(f, p, pos);
  return count;
}
