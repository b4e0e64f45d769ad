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

}  // namespace

void ParseFast(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  const uint32_t n = end - begin;
  if (n == 0) return;
  uint64_t* node = e.node - begin;  // indexed by buffer index
  e.node[0] = 0;
  for (uint32_t j = 1; j <= n; ++j) e.node[j] = kUnreached;

  const ImplodeCoding& c = e.coding;
  Prices prices;
  BuildPrices(c, prices);
  ImplodeMatchFinder& f = e.finder;
  uint64_t* const bucket3 = f.bucket3;
  uint64_t* const bucket4 = f.bucket4;
  uint16_t* const head2 = f.head2;
  const uint8_t* const buffer = e.buffer;
  const uint32_t bufferPos = e.bufferPos;
  const uint32_t niceLength = e.level.niceLength;
  const uint32_t windowDistance = c.maxDistance;

  uint32_t i = begin;
  uint32_t here4 = Load32(buffer + i);
  uint32_t h3 = Hash3Key(here4);
  uint32_t h4 = Hash4Key(here4);
  while (i < end) {
    const uint8_t* p = buffer + i;
    const uint32_t pos = bufferPos + i;
    const uint64_t here8 = Load64(p);
    // The tables outgrow the first-level cache: the next position's keys are computed one
    // step ahead and their lines asked for now.
    const uint32_t ahead4 = static_cast<uint32_t>(here8 >> 8);
    const uint32_t aheadH3 = Hash3Key(ahead4);
    const uint32_t aheadH4 = Hash4Key(ahead4);
    __builtin_prefetch(&bucket3[aheadH3]);
    __builtin_prefetch(&bucket4[aheadH4]);
    __builtin_prefetch(&head2[ahead4 & 0xFFFF]);
    const uint64_t slots3 = bucket3[h3];
    const uint64_t slots4 = bucket4[h4];
    bucket3[h3] = slots3 << 16 | (pos & 0xFFFF);
    bucket4[h4] = slots4 << 16 | (pos & 0xFFFF);
    const uint32_t key2 = here4 & 0xFFFF;
    const uint32_t distance2 = static_cast<uint16_t>(pos - head2[key2]);
    head2[key2] = static_cast<uint16_t>(pos);
    here4 = ahead4;
    h3 = aheadH3;
    h4 = aheadH4;

    const uint64_t base = node[i] & kBitsMask;
    Relax(node[i + 1], base + prices.literal[*p]);
    const uint32_t maxLength = Min(implode::kMaxRepetition, end - i);
    if (maxLength < 3) {
      if (maxLength == 2 && distance2 - 1 < Min(implode::kMaxDistance2, i) &&
          (Load32(p - distance2) & 0xFFFF) == key2) {
        Relax(node[i + 2], base + prices.lengthTwo + DistancePrice(c.distance2Bits, distance2));
      }
      ++i;
      continue;
    }
    {
      // Without a branch (masks, not conditions): whether a 2-byte match lies near is as
      // good as random. Out of reach, the position is compared with itself and not taken.
      const uint32_t inReach = distance2 - 1 < Min(implode::kMaxDistance2, i);
      const uint32_t d2 = distance2 & (0u - inReach);
      const uint64_t candidate = base + prices.lengthTwo + DistancePrice(c.distance2Bits, d2);
      const uint64_t old = node[i + 2];
      const uint32_t found = (Load32(p - d2) & 0xFFFF) == key2;
      const uint64_t take = 0 - uint64_t{found & inReach & (candidate < old)};
      node[i + 2] = (candidate & take) | (old & ~take);
    }

    // Stale slots (older than the window, or wrapped) stop each scan: distances must grow.
    // Each candidate relaxes the lengths by which it beats the nearer ones.
    const uint32_t maxDistance = Min(windowDistance, i);
    uint64_t* const out = node + i;
    uint32_t best = 2;
    uint32_t farthest = 0;
    auto offer = [&](uint32_t distance) {
      const uint8_t* q = p - distance;
      const uint64_t x = Load64(q) ^ here8;
      // Fewer than 3 equal bytes never beat best (2 at least): no test of its own.
      uint32_t length = x != 0 ? TrailingZeroBytes(x)
                               : 8 + CommonLength(p + 8, q + 8, maxLength - Min(8, maxLength));
      length = Min(length, maxLength);
      if (length <= best) return;
      const uint64_t withDistance = base + DistancePrice(c.distanceBits, distance);
      for (uint32_t l = best + 1; l <= length; ++l) Relax(out[l], withDistance + prices.length[l]);
      best = length;
    };
    uint32_t k = 0;
    for (uint64_t slots = slots3; k < kImplodeBucketSlots; ++k, slots >>= 16) {
      const uint32_t distance = static_cast<uint16_t>(pos - slots);
      // farthest < distance <= maxDistance, in one comparison.
      if (distance - farthest - 1 >= maxDistance - farthest) break;
      farthest = distance;
      offer(distance);
      if (best >= niceLength) break;
    }
    // Positions sharing 4 bytes share 3: the 4-byte slots add something only beyond the
    // farthest 3-byte slot, and only when all of those were within reach.
    if (k == kImplodeBucketSlots) {
      for (uint64_t slots = slots4; k < 2 * kImplodeBucketSlots; ++k, slots >>= 16) {
        const uint32_t distance = static_cast<uint16_t>(pos - slots);
        if (distance > maxDistance) break;
        if (distance <= farthest) continue;
        farthest = distance;
        offer(distance);
        if (best >= niceLength) break;
      }
    }
    if (best < niceLength) {
      ++i;
      continue;
    }
    // Inside the match: insertion only, up to its last byte, which is searched again.
    const uint32_t last = i + best - 1;
    for (++i; i < last; ++i) {
      const uint32_t at = bufferPos + i;
      const uint32_t key = Load32(buffer + i);
      uint64_t& slot3 = bucket3[Hash3Key(key)];
      slot3 = slot3 << 16 | (at & 0xFFFF);
      uint64_t& slot4 = bucket4[Hash4Key(key)];
      slot4 = slot4 << 16 | (at & 0xFFFF);
      head2[key & 0xFFFF] = static_cast<uint16_t>(at);
    }
    here4 = Load32(buffer + i);
    h3 = Hash3Key(here4);
    h4 = Hash4Key(here4);
  }
  WritePath(e, begin, end);
}
