// The fast near-optimal parse: the same shortest path in bits as the optimal parse, over a
// match list that costs little to build. Each position looks at the nearest 2-byte match,
// the last 4 positions of its 3-byte hash and, when those are all within reach, the last 4
// of its 4-byte hash; each candidate is measured with one 8-byte comparison. A match of
// niceLength bytes or more is taken as found: no path leaves from the positions it covers,
// except its last one, where a following match may begin one byte earlier. The positions
// it covers are only inserted into the tables.
//
// Its speed is set mostly by mispredicted branches, then by instructions: tests whose outcome
// is as good as random (a 2-byte match near, a slot within reach) are masks or a single
// comparison, every price is a table entry already shifted into place, and the covered
// positions take a loop of their own.
#include <cstring>

#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_parse.h"
#include "implode/implode_symbols.h"

namespace {

constexpr uint64_t kUnreached = ~uint64_t{0};
constexpr uint64_t kBitsMask = ~uint64_t{0} << 32;

// Bytes from p on, first in the low bits on any host (one load on little-endian ones), so
// that masks select leading bytes and the low 16 bits are Key2.
inline uint64_t Load64(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
#else
  uint64_t v = 0;
  for (uint32_t k = 0; k < 8; ++k) v |= uint64_t{p[k]} << (8 * k);
  return v;
#endif
}

inline uint32_t Load32(const uint8_t* p) { return static_cast<uint32_t>(Load64(p)); }

inline uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

inline uint32_t TrailingZeroBytes(uint64_t x) {  // x != 0
#if defined(__GNUC__)
  return static_cast<uint32_t>(__builtin_ctzll(x)) >> 3;
#else
  uint32_t n = 0;
  while ((x & 0xFF) == 0) {
    x >>= 8;
    ++n;
  }
  return n;
#endif
}

inline void Relax(uint64_t& node, uint64_t candidate) {
  node = candidate < node ? candidate : node;
}

// Key: the next 4 bytes; the 3-byte hash shifts the fourth out instead of masking it.
inline uint32_t Hash3Key(uint32_t key) { return BucketHash(key << 8); }
inline uint32_t Hash4Key(uint32_t key) { return BucketHash(key); }

// The prices in the layout of a node: bits << 32 | length << 16 | distance, so that an
// arrival is one addition of a length entry and a distance entry to the base.
struct Prices {
  uint64_t literal[256];
  uint64_t length[implode::kMaxRepetition + 1];
  uint64_t lengthTwo;  // length 2, without its distance
};

void BuildPrices(const ImplodeCoding& c, Prices& prices) {
  for (uint32_t b = 0; b < 256; ++b) {
    prices.literal[b] = uint64_t{c.literalBits[b]} << 32 | 1u << 16;
  }
  for (uint32_t l = 0; l <= implode::kMaxRepetition; ++l) {
    prices.length[l] = uint64_t{c.lengthBits[l]} << 32 | l << 16;
  }
  prices.lengthTwo = prices.length[2];
}

inline uint64_t DistancePrice(const uint8_t* bits, uint32_t distance) {
  return uint64_t{bits[distance]} << 32 | distance;
}

// Each step is inlined into the loop whatever the optimisation level: the loop's speed rests
// on its state staying in registers.
#define ZB_PARSE_INLINE inline __attribute__((always_inline))

// What every position of one ParseFast call reads: the tables, the buffer and the limits.
struct FastParse {
  uint64_t* node;  // indexed by buffer index
  uint64_t* bucket3;
  uint64_t* bucket4;
  uint16_t* head2;
  const uint8_t* buffer;
  uint32_t bufferPos;
  uint32_t niceLength;
  uint32_t windowDistance;
  const uint8_t* distanceBits;
  const uint8_t* distance2Bits;
  const Prices* prices;
};

// The position being parsed: where it stands, its first 8 bytes and its cheapest arrival.
struct Here {
  uint32_t i;
  const uint8_t* p;
  uint64_t bytes;  // Load64(p)
  uint64_t base;   // node[i] without its length and distance
};

// The nearest 2-byte match, relaxed without a branch (masks, not conditions): whether one
// lies near is as good as random. Out of reach, the position is compared with itself and not
// taken.
ZB_PARSE_INLINE void RelaxNearTwo(const FastParse& s, const Here& h, uint32_t key2,
                                  uint32_t distance2) {
  const uint32_t inReach = distance2 - 1 < Min(implode::kMaxDistance2, h.i);
  const uint32_t d2 = distance2 & (0u - inReach);
  const uint64_t candidate = h.base + s.prices->lengthTwo + DistancePrice(s.distance2Bits, d2);
  const uint64_t old = s.node[h.i + 2];
  const uint32_t found = (Load32(h.p - d2) & 0xFFFF) == key2;
  const uint64_t take = 0 - uint64_t{found & inReach & (candidate < old)};
  s.node[h.i + 2] = (candidate & take) | (old & ~take);
}

// The 2-byte match of the buffer's last two bytes, where no longer one fits.
inline void RelaxLastTwo(const FastParse& s, const Here& h, uint32_t key2, uint32_t distance2) {
  if (distance2 - 1 < Min(implode::kMaxDistance2, h.i) &&
      (Load32(h.p - distance2) & 0xFFFF) == key2) {
    Relax(s.node[h.i + 2],
          h.base + s.prices->lengthTwo + DistancePrice(s.distance2Bits, distance2));
  }
}

// The slots of the 3-byte hash, then, when those were all within reach, those of the 4-byte
// hash beyond the farthest 3-byte one (positions sharing 4 bytes share 3). Stale slots (older
// than the window, or wrapped) stop each scan: distances must grow. Each candidate relaxes
// the lengths by which it beats the nearer ones. Returns the longest length found (2 at least).
ZB_PARSE_INLINE uint32_t ScanBuckets(const FastParse& s, const Here& h, uint32_t pos,
                                     uint64_t slots3, uint64_t slots4, uint32_t maxLength) {
  const uint32_t maxDistance = Min(s.windowDistance, h.i);
  uint64_t* const out = s.node + h.i;
  uint32_t best = 2;
  uint32_t farthest = 0;
  auto offer = [&](uint32_t distance) {
    const uint8_t* q = h.p - distance;
    const uint64_t x = Load64(q) ^ h.bytes;
    // Fewer than 3 equal bytes never beat best (2 at least): no test of its own.
    uint32_t length = x != 0 ? TrailingZeroBytes(x)
                             : 8 + CommonLength(h.p + 8, q + 8, maxLength - Min(8, maxLength));
    length = Min(length, maxLength);
    if (length <= best) return;
    const uint64_t withDistance = h.base + DistancePrice(s.distanceBits, distance);
    for (uint32_t l = best + 1; l <= length; ++l) {
      Relax(out[l], withDistance + s.prices->length[l]);
    }
    best = length;
  };
  uint32_t k = 0;
  for (uint64_t slots = slots3; k < kImplodeBucketSlots; ++k, slots >>= 16) {
    const uint32_t distance = static_cast<uint16_t>(pos - slots);
    // farthest < distance <= maxDistance, in one comparison.
    if (distance - farthest - 1 >= maxDistance - farthest) break;
    farthest = distance;
    offer(distance);
    if (best >= s.niceLength) return best;
  }
  if (k < kImplodeBucketSlots) return best;
  for (uint64_t slots = slots4; k < 2 * kImplodeBucketSlots; ++k, slots >>= 16) {
    const uint32_t distance = static_cast<uint16_t>(pos - slots);
    if (distance > maxDistance) break;
    if (distance <= farthest) continue;
    farthest = distance;
    offer(distance);
    if (best >= s.niceLength) break;
  }
  return best;
}

// Inside a match: positions from to last - 1 are only inserted into the tables.
ZB_PARSE_INLINE void InsertCovered(const FastParse& s, uint32_t from, uint32_t last) {
  for (uint32_t i = from; i < last; ++i) {
    const uint32_t at = s.bufferPos + i;
    const uint32_t key = Load32(s.buffer + i);
    uint64_t& slot3 = s.bucket3[Hash3Key(key)];
    slot3 = slot3 << 16 | (at & 0xFFFF);
    uint64_t& slot4 = s.bucket4[Hash4Key(key)];
    slot4 = slot4 << 16 | (at & 0xFFFF);
    s.head2[key & 0xFFFF] = static_cast<uint16_t>(at);
  }
}

}  // namespace

void ParseFast(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  const uint32_t n = end - begin;
  if (n == 0) return;
  e.node[0] = 0;
  for (uint32_t j = 1; j <= n; ++j) e.node[j] = kUnreached;

  const ImplodeCoding& c = e.coding;
  Prices prices;
  BuildPrices(c, prices);
  ImplodeMatchFinder& f = e.finder;
  const FastParse s = {
      e.node - begin,     f.bucket3,     f.bucket4,      f.head2,         e.buffer, e.bufferPos,
      e.level.niceLength, c.maxDistance, c.distanceBits, c.distance2Bits, &prices};

  uint32_t i = begin;
  uint32_t here4 = Load32(s.buffer + i);
  uint32_t h3 = Hash3Key(here4);
  uint32_t h4 = Hash4Key(here4);
  while (i < end) {
    const Here h = {i, s.buffer + i, Load64(s.buffer + i), s.node[i] & kBitsMask};
    const uint32_t pos = s.bufferPos + i;
    // The tables outgrow the first-level cache: the next position's keys are computed one
    // step ahead and their lines asked for now.
    const uint32_t ahead4 = static_cast<uint32_t>(h.bytes >> 8);
    const uint32_t aheadH3 = Hash3Key(ahead4);
    const uint32_t aheadH4 = Hash4Key(ahead4);
    __builtin_prefetch(&s.bucket3[aheadH3]);
    __builtin_prefetch(&s.bucket4[aheadH4]);
    __builtin_prefetch(&s.head2[ahead4 & 0xFFFF]);
    const uint64_t slots3 = s.bucket3[h3];
    const uint64_t slots4 = s.bucket4[h4];
    s.bucket3[h3] = slots3 << 16 | (pos & 0xFFFF);
    s.bucket4[h4] = slots4 << 16 | (pos & 0xFFFF);
    const uint32_t key2 = here4 & 0xFFFF;
    const uint32_t distance2 = static_cast<uint16_t>(pos - s.head2[key2]);
    s.head2[key2] = static_cast<uint16_t>(pos);
    here4 = ahead4;
    h3 = aheadH3;
    h4 = aheadH4;

    Relax(s.node[i + 1], h.base + prices.literal[*h.p]);
    const uint32_t maxLength = Min(implode::kMaxRepetition, end - i);
    if (maxLength < 3) {
      if (maxLength == 2) RelaxLastTwo(s, h, key2, distance2);
      ++i;
      continue;
    }
    RelaxNearTwo(s, h, key2, distance2);
    const uint32_t best = ScanBuckets(s, h, pos, slots3, slots4, maxLength);
    if (best < s.niceLength) {
      ++i;
      continue;
    }
    // A match of niceLength or more: its last byte is searched again.
    const uint32_t last = i + best - 1;
    InsertCovered(s, i + 1, last);
    i = last;
    here4 = Load32(s.buffer + i);
    h3 = Hash3Key(here4);
    h4 = Hash4Key(here4);
  }
  WritePath(e, begin, end);
}
