// Hash-chain match finder over the last 4096 bytes.
//
// Positions are kept as stream offsets modulo 2^16, which keeps the tables small enough for
// the fast levels' cache budget. Every candidate is checked against the bytes in the caller's
// buffer and accepted only when its distance lies within the caller's limit and grows strictly
// along the chain, so stale or wrapped entries can cost time but never give a wrong or endless
// answer; and since a table entry is always the latest position of its key, a wrapped entry
// only stands where no position of that key lies within the window, so no candidate is lost.
#pragma once
#include <cstdint>
#include <cstring>

constexpr uint32_t kImplodeHashBits = 14;
constexpr uint32_t kImplodeChainSize = 4096;  // ring of previous positions; the largest window

struct ImplodeMatch {
  uint16_t length;    // bytes
  uint16_t distance;  // bytes back
};

constexpr uint32_t kImplodeBucketBits = 14;
constexpr uint32_t kImplodeBucketSlots = 4;
// Twice the largest window: a node within reach is never overwritten by the one being added.
constexpr uint32_t kImplodeTreeRing = 8192;

struct ImplodeMatchFinder {
  uint16_t head3[1u << kImplodeHashBits];  // latest position by hash of its next 3 bytes
  uint16_t head2[1u << 16];                // latest position by its next 2 bytes exactly
  uint16_t previous[kImplodeChainSize];    // older position of the same 3-byte hash
  // The fast parse's own tables, 4 positions of 16 bits each, newest in the low bits: the
  // latest positions by hash of their next 3 bytes, and by hash of their next 4 bytes (which
  // reach further back for the longer matches). One shift inserts; no chain is walked.
  uint64_t bucket3[1u << kImplodeBucketBits];
  uint64_t bucket4[1u << kImplodeBucketBits];
  // The best levels' binary trees, one per 3-byte hash: every position of the window is a
  // node, ordered by the bytes that follow it, each node newer than the nodes below it. The
  // search path of a position passes, for every length, the nearest earlier position sharing
  // that many bytes, so the tree yields the complete list of improving matches without
  // visiting the whole window. Positions are full 32-bit stream offsets; a node's two links
  // (smaller, larger) sit at 2 * (position mod kImplodeTreeRing).
  uint32_t treeRoot[1u << kImplodeHashBits];
  uint32_t tree[2 * kImplodeTreeRing];
  // The last tree search that met a node equal over its whole scan: the position searched, the
  // distance and the bytes equal. The next position shares all but one of them at that
  // distance, so runs and long repeats cost one comparison per position, not 518.
  uint32_t equalPos;
  uint32_t equalDistance;
  uint32_t equalLength;
};

// What one search may do.
struct ImplodeSearchLimits {
  uint32_t maxLength;     // longest length to report (2..518), bounded by the bytes available
  uint32_t maxDistance;   // farthest distance for 3 bytes or more, bounded by the history held
  uint32_t maxDistance2;  // farthest distance for 2 bytes, bounded by the history held
  uint32_t maxChain;      // candidates of the 3-byte chain to examine
  uint32_t niceLength;    // stop searching once a match this long is found
  // FindMatchesInTree only: bytes that may be compared to keep the tree in order (maxLength
  // up to 518 and the bytes held); matches are still reported up to maxLength only.
  uint32_t scanLength;
};

void ResetMatchFinder(ImplodeMatchFinder& finder);

inline uint32_t Hash3(const uint8_t* p) {
  const uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
  return (v * 2654435761u) >> (32 - kImplodeHashBits);
}

// key: the next 3 or 4 bytes, little-endian.
inline uint32_t BucketHash(uint32_t key) {
  return (key * 2654435761u) >> (32 - kImplodeBucketBits);
}

inline uint32_t Key2(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }

// Records position `pos` whose bytes start at p (3 bytes readable). Call once per position,
// in stream order, after any search at that position.
inline void InsertPosition(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos) {
  const uint32_t h = Hash3(p);
  f.previous[pos & (kImplodeChainSize - 1)] = f.head3[h];
  f.head3[h] = static_cast<uint16_t>(pos);
  f.head2[Key2(p)] = static_cast<uint16_t>(pos);
}

// Bytes equal at a and b, up to maxLength; both ranges rounded up to 8 bytes must be readable.
inline uint32_t CommonLength(const uint8_t* a, const uint8_t* b, uint32_t maxLength) {
  uint32_t n = 0;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  while (n + 8 <= maxLength) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
    n += 8;
  }
#endif
  while (n < maxLength && a[n] == b[n]) ++n;
  return n;
}

// Searches position `pos` whose bytes start at p (maxLength + 8 bytes readable, and the
// history before p as far as the limits reach), then inserts it.
// Writes to matches the improving matches of 3 bytes or more in order of growing distance:
// each entry is longer than the one before, so for any length L the first entry reaching L
// has the nearest, hence cheapest, distance for L. Returns their count (at most 516).
// *distance2 receives the nearest distance of a 2-byte match, or 0 when there is none.
uint32_t FindMatches(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos,
                     const ImplodeSearchLimits& limits, ImplodeMatch* matches, uint32_t* distance2);

// FindMatches over the binary trees: the same answer with the full chain, and maxChain
// bounds the nodes visited. Positions searched this way must all be searched this way (the
// trees know nothing of InsertPosition); scanLength + 8 bytes readable at p.
uint32_t FindMatchesInTree(ImplodeMatchFinder& f, const uint8_t* p, uint32_t pos,
                           const ImplodeSearchLimits& limits, ImplodeMatch* matches,
                           uint32_t* distance2);
