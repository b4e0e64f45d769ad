// The fast near-optimal parse: the same shortest path in bits as the optimal parse, over a
// match list that costs little to build. Each position looks at the nearest 2-byte match,
// the last 4 positions of its 3-byte hash and, when those are all within reach, the last 4
// of its 4-byte hash; each candidate is measured with one 8-byte comparison. A match of
// niceLength bytes or more is taken as found: no path leaves from the positions it covers,
// except its last one, where a following match may begin one byte earlier.
#include <cstring>

#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_parse.h"
#include "implode/implode_symbols.h"

namespace {

// Offer runs several times per position; a call per candidate costs more than its work.
#if defined(__GNUC__)
#define ZB_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ZB_ALWAYS_INLINE inline
#endif

constexpr uint64_t kUnreached = ~uint64_t{0};
constexpr uint32_t kLiteralStep = 1u << 16;

// The next 4 bytes, first in the low bits on any host (one load on x86), so that masks
// select leading bytes and the low 16 bits are Key2.
inline uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

inline uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

inline void Relax(uint64_t& node, uint64_t bits, uint32_t step) {
  const uint64_t candidate = bits << 32 | step;
  node = candidate < node ? candidate : node;
}

// Bytes equal at p and q (q before p), up to maxLength (3..518); 8 bytes past maxLength
// readable at both.
inline uint32_t MatchLength(const uint8_t* p, const uint8_t* q, uint32_t maxLength) {
  const uint64_t x = Load64(p) ^ Load64(q);
  uint32_t length;
  if (x != 0) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    length = static_cast<uint32_t>(__builtin_ctzll(x) >> 3);
#else
    length = CommonLength(p, q, 8);
#endif
  } else {
    length = maxLength <= 8 ? 8 : 8 + CommonLength(p + 8, q + 8, maxLength - 8);
  }
  return Min(length, maxLength);
}

// The search of one position: what every candidate needs, and the longest match so far.
struct Search {
  const uint8_t* p;
  uint64_t* node;        // node[0] is the position's own
  uint64_t base;         // bits of the cheapest parse reaching the position
  uint32_t next4;        // the position's next 4 bytes
  uint32_t maxLength;
  uint32_t best;         // longest match relaxed so far (2: none)
};

// Measures the candidate `distance` back and relaxes the lengths by which it beats the
// nearer candidates; the caller offers candidates nearest first.
ZB_ALWAYS_INLINE void Offer(Search& s, const ImplodeCoding& c, uint32_t distance) {
  const uint8_t* q = s.p - distance;
  if (((Load32(q) ^ s.next4) & 0xFFFFFF) != 0) return;
  const uint32_t length = MatchLength(s.p, q, s.maxLength);
  if (length <= s.best) return;
  const uint64_t withDistance = s.base + c.distanceBits[distance];
  for (uint32_t l = s.best + 1; l <= length; ++l) {
    Relax(s.node[l], withDistance + c.lengthBits[l], l << 16 | distance);
  }
  s.best = length;
}

}  // namespace

void ParseFast(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  const uint32_t n = end - begin;
  if (n == 0) return;
  uint64_t* node = e.node - begin;  // indexed by buffer index
  e.node[0] = 0;
  for (uint32_t j = 1; j <= n; ++j) e.node[j] = kUnreached;

  const ImplodeCoding& c = e.coding;
  ImplodeMatchFinder& f = e.finder;
  const uint32_t niceLength = e.level.niceLength;
  uint32_t skipUntil = begin;
  uint32_t next4 = Load32(e.buffer + begin);
  uint32_t h3 = BucketHash(next4 & 0xFFFFFF);
  uint32_t h4 = BucketHash(next4);
  for (uint32_t i = begin; i < end; ++i) {
    const uint8_t* p = e.buffer + i;
    const uint32_t pos = e.bufferPos + i;
    // The tables outgrow the first-level cache: the next position's keys are computed one
    // step ahead and their lines asked for now.
    const uint32_t ahead4 = Load32(p + 1);
    const uint32_t ahead3 = BucketHash(ahead4 & 0xFFFFFF);
    const uint32_t aheadH4 = BucketHash(ahead4);
    __builtin_prefetch(&f.bucket3[ahead3]);
    __builtin_prefetch(&f.bucket4[aheadH4]);
    __builtin_prefetch(&f.head2[ahead4 & 0xFFFF]);
    const uint64_t slots3 = f.bucket3[h3];
    const uint64_t slots4 = f.bucket4[h4];
    f.bucket3[h3] = slots3 << 16 | (pos & 0xFFFF);
    f.bucket4[h4] = slots4 << 16 | (pos & 0xFFFF);
    const uint32_t key2 = next4 & 0xFFFF;
    const uint32_t distance2 = static_cast<uint16_t>(pos - f.head2[key2]);
    f.head2[key2] = static_cast<uint16_t>(pos);
    const uint32_t here4 = next4;
    next4 = ahead4;
    h3 = ahead3;
    h4 = aheadH4;
    if (i < skipUntil) continue;

    const uint64_t base = node[i] >> 32;
    Relax(node[i + 1], base + c.literalBits[*p], kLiteralStep);
    const uint32_t maxLength = Min(implode::kMaxRepetition, end - i);
    if (maxLength < 2) continue;
    {
      // Without a branch: whether a 2-byte match lies near is as good as random.
      const bool near = distance2 - 1 < Min(implode::kMaxDistance2, i);
      const uint32_t d2 = near ? distance2 : 0;
      const bool found = near && (Load32(p - d2) & 0xFFFF) == key2;
      const uint64_t candidate =
          (base + c.lengthBits[2] + c.distance2Bits[d2]) << 32 | 2u << 16 | d2;
      const uint64_t old = node[i + 2];
      node[i + 2] = found && candidate < old ? candidate : old;
    }
    if (maxLength < 3) continue;

    // Stale slots (older than the window, or wrapped) stop each scan: distances must grow.
    const uint32_t maxDistance = Min(c.maxDistance, i);
    Search s{p, node + i, base, here4, maxLength, 2};
    uint32_t farthest = 0;
    uint32_t inReach = 0;
    for (; inReach < kImplodeBucketSlots; ++inReach) {
      const uint32_t distance = static_cast<uint16_t>(pos - static_cast<uint16_t>(slots3 >> (16 * inReach)));
      if (distance <= farthest || distance > maxDistance) break;
      farthest = distance;
      Offer(s, c, distance);
      if (s.best >= niceLength) break;
    }
    // Positions sharing 4 bytes share 3: the 4-byte slots add something only beyond the
    // farthest 3-byte slot, and only when all of those were within reach.
    if (inReach == kImplodeBucketSlots && s.best < niceLength) {
      for (uint32_t k = 0; k < kImplodeBucketSlots; ++k) {
        const uint32_t distance = static_cast<uint16_t>(pos - static_cast<uint16_t>(slots4 >> (16 * k)));
        if (distance > maxDistance) break;
        if (distance <= farthest) continue;
        farthest = distance;
        Offer(s, c, distance);
        if (s.best >= niceLength) break;
      }
    }
    if (s.best >= niceLength) skipUntil = i + s.best - 1;
  }
  WritePath(e, begin, end);
}
