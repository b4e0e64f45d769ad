#include "implode/implode_match_finder.h"

// Far enough before stream position 0 that no search accepts it before the positions wrap.
static constexpr uint16_t kEmptyPosition = 0x8000;

// Out of reach of every position below 2^31; beyond that, the strictly growing distances
// along a search path still stop at it.
static constexpr uint32_t kEmptyNode = 0x80000000u;

static uint32_t Distance(uint32_t pos, uint16_t entry) {
  return static_cast<uint16_t>(pos - entry);
}

void ResetMatchFinder(ImplodeMatchFinder& f) {
  for (uint16_t& v : f.head3) v = kEmptyPosition;
  for (uint16_t& v : f.head2) v = kEmptyPosition;
  for (uint16_t& v : f.previous) v = kEmptyPosition;
  constexpr uint64_t kEmptyBucket = 0x8000800080008000ull;
  for (uint64_t& v : f.bucket3) v = kEmptyBucket;
  for (uint64_t& v : f.bucket4) v = kEmptyBucket;
  for (uint32_t& v : f.treeRoot) v = kEmptyNode;
  for (uint32_t& v : f.tree) v = kEmptyNode;
  f.equalPos = 0;
  f.equalDistance = 0;
  f.equalLength = 0;
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

// The nearest earlier position with p's first 2 bytes within limits.maxDistance2, or 0 (also
// when fewer than 2 bytes may match); p becomes the newest position of its 2 bytes.
static inline uint32_t TakeDistance2(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos,
                                     const ImplodeSearchLimits& limits) {
  const uint32_t key2 = Key2(p);
  uint32_t found = 0;
  if (limits.maxLength >= 2) {
    const uint32_t d2 = Distance(pos, f.head2[key2]);
    if (d2 >= 1 && d2 <= limits.maxDistance2 && Key2(p - d2) == key2) found = d2;
  }
  f.head2[key2] = static_cast<uint16_t>(pos);
  return found;
}

// Adds the match of length bytes (cut to maxLength) at distance to matches[*count] when it
// is longer than *best, the longest so far.
static inline void ReportLonger(uint32_t length, uint32_t distance, uint32_t maxLength,
                                uint32_t* best, ImplodeMatch* matches, uint32_t* count) {
  const uint32_t reported = length < maxLength ? length : maxLength;
  if (reported <= *best) return;
  *best = reported;
  matches[*count].length = static_cast<uint16_t>(reported);
  matches[*count].distance = static_cast<uint16_t>(distance);
  ++*count;
}

// The node at links, equal to p as far as any search can look (length bytes, distance back),
// gives p its subtrees: p takes its place. The next position's search starts from this.
static inline void TakeEqualNodesPlace(ImplodeMatchFinder& f, const uint32_t* links,
                                       uint32_t* smaller, uint32_t* larger, uint32_t pos,
                                       uint32_t distance, uint32_t length) {
  *smaller = links[0];
  *larger = links[1];
  f.equalPos = pos;
  f.equalDistance = distance;
  f.equalLength = length;
}

uint32_t FindMatchesInTree(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos,
                           const ImplodeSearchLimits& limits, ImplodeMatch* matches,
                           uint32_t* distance2) {
  const uint32_t maxLength = limits.maxLength;
  *distance2 = TakeDistance2(f, p, pos, limits);

  // Insertion splits the tree along the search path: nodes smaller than p hang, in order, at
  // `smaller`, larger ones at `larger`, and the new node becomes the root.
  const uint32_t scanLength = limits.scanLength;
  const uint32_t h = Hash3(p);
  uint32_t candidate = f.treeRoot[h];
  f.treeRoot[h] = pos;
  uint32_t* smaller = &f.tree[2 * (pos & (kImplodeTreeRing - 1))];
  uint32_t* larger = smaller + 1;
  uint32_t smallerLength = 0;  // bytes shared with every node between the two sides
  uint32_t largerLength = 0;
  uint32_t best = 2;
  uint32_t count = 0;
  uint32_t lastDistance = 0;
  const bool follows = f.equalPos == pos - 1 && f.equalLength > 0;
  const uint32_t knownDistance = follows ? f.equalDistance : 0;
  const uint32_t knownLength = follows ? f.equalLength - 1 : 0;
  f.equalLength = 0;
  for (uint32_t depth = limits.maxChain;; --depth) {
    const uint32_t distance = pos - candidate;
    if (depth == 0 || distance <= lastDistance || distance > limits.maxDistance) {
      *smaller = kEmptyNode;
      *larger = kEmptyNode;
      break;
    }
    lastDistance = distance;
    const uint8_t* q = p - distance;
    uint32_t length = smallerLength < largerLength ? smallerLength : largerLength;
    if (distance == knownDistance && length < knownLength) {
      length = knownLength < scanLength ? knownLength : scanLength;
    }
    length += CommonLength(p + length, q + length, scanLength - length);
    ReportLonger(length, distance, maxLength, &best, matches, &count);
    uint32_t* links = &f.tree[2 * (candidate & (kImplodeTreeRing - 1))];
    if (length == scanLength) {
      TakeEqualNodesPlace(f, links, smaller, larger, pos, distance, length);
      break;
    }
    if (q[length] < p[length]) {
      *smaller = candidate;
      smaller = &links[1];
      candidate = links[1];
      smallerLength = length;
    } else {
      *larger = candidate;
      larger = &links[0];
      candidate = links[0];
      largerLength = length;
    }
  }
  return count;
}
