// The explode decoder.
//
// Two decoders share one state and take turns symbol by symbol:
// - the careful one drops bits in steps of at most 8 and fetches one input byte whenever its
//   lookahead would fall below 8 bits, calling readFn exactly when the buffered input is used
//   up and another byte is needed;
// - the fast one runs while at least 8 buffered bytes are left: it tops the bit buffer up to
//   56 or more bits with one 8-byte load and decodes whole symbols (at most 30 bits each)
//   without any test for the end of input.
// Both leave the same state behind: the fast one never takes a byte that is not already in
// inBuffer and always leaves at least 8 bits, so whenever the careful one needs a byte it is
// the same byte at the same point of the same symbol, and readFn is called at the same moments
// with the same sizes. Output and flushes are the same code for both.
#include "explode/explode.h"

#include <cstring>

#include "explode/explode_state.h"
#include "explode/explode_tables.h"

namespace {

using namespace zb_explode_tables;

// Symbol values: 0x000-0x0FF literal byte, 0x100-0x304 repetition of (value - 0xFE) bytes.
constexpr uint32_t kEndOfStream = 0x305;
constexpr uint32_t kDecodeError = 0x306;
constexpr uint32_t kEndLengthValue = 517;  // length code 15 with extra bits 255

// Bits one symbol takes at most: flag 1 + length code 7 + extra 8 + distance code 8 + low 6.
constexpr uint32_t kMaxSymbolBits = 30;
// The fast loop starts a symbol only with this many bits, so at least 8 remain after it.
constexpr uint32_t kFastSymbolBits = kMaxSymbolBits + 8;
static_assert(kAsciiDirectBits + 1 <= kMaxSymbolBits, "a direct ASCII lookup reads valid bits");

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

// The careful decoder runs only for the last few bytes of each input buffer: built for size
// (cold) and kept out of line, so that the stub stays small while the fast path keeps its speed.
#define ZB_COLD_PATH __attribute__((noinline, cold))

inline uint32_t LowBits(uint64_t v, uint32_t n) {
  return static_cast<uint32_t>(v) & ((1u << n) - 1);
}

// Hands the full current half to writeFn and makes it the history; what a repetition wrote
// beyond index 8191 starts the next half. Call only with outPos >= 8192.
ZB_COLD_PATH void FlushHalf(ExplodeState& s) {
  uint32_t size = kExplodeWriteSize;
  s.writeFn(s.window + kHistorySize, &size, s.userData);
  std::memmove(s.window, s.window + kHistorySize, s.outPos - kHistorySize);
  s.outPos -= kHistorySize;
}

// Distance d (a multiple of the repetition's distance, at least 8) that a chunked copy may use
// once the first 8 bytes of a short-distance repetition are in place. Indexed by distance 1-7.
constexpr uint8_t kPatternStep[8] = {0, 8, 8, 9, 8, 10, 12, 14};

// Copies length bytes from dist bytes back to window[outPos], with the result of a
// byte-at-a-time forward copy. May write up to 15 bytes past the end (window slack); needs
// outPos <= 8191, length <= 518 and dist <= outPos.
inline void CopyRepetition(uint8_t* window, uint32_t outPos, uint32_t dist, uint32_t length) {
  uint8_t* dst = window + outPos;
  const uint8_t* src = dst - dist;
  uint8_t* const end = dst + length;
  if (dist >= 16) {
    do {
      std::memcpy(dst, src, 16);
      dst += 16;
      src += 16;
    } while (dst < end);
    return;
  }
  if (dist >= 8) {
    do {
      std::memcpy(dst, src, 8);
      dst += 8;
      src += 8;
    } while (dst < end);
    return;
  }
  // The first 8 bytes one by one: each may repeat one just written.
  for (uint32_t k = 0; k < 8; ++k) dst[k] = src[k];
  if (length <= 8) return;
  // From here on the output repeats with period dist, so any multiple of it serves as well.
  src = dst + 8 - kPatternStep[dist];
  dst += 8;
  do {
    std::memcpy(dst, src, 8);
    dst += 8;
    src += 8;
  } while (dst < end);
}

// ---- The careful decoder -------------------------------------------------------------------

// Drops the next n bits (1 to 8). Returns false when it needed another byte and readFn had
// none; readFn is not called again after that because every caller then stops decoding.
inline bool ConsumeBits(ExplodeState& s, uint32_t n) {
  if (s.bitCount >= n + 8) {
    s.bitBuffer >>= n;
    s.bitCount -= n;
    return true;
  }
  if (s.inPos == s.inCount) {
    uint32_t size = kExplodeReadSize;
    const uint32_t got = s.readFn(s.inBuffer, &size, s.userData);
    if (got == 0) return false;
    s.inCount = got < kExplodeReadSize ? got : kExplodeReadSize;
    s.inPos = 0;
  }
  const uint64_t valid = (uint64_t{1} << s.bitCount) - 1;
  s.bitBuffer = (s.bitBuffer & valid) | (uint64_t{s.inBuffer[s.inPos]} << s.bitCount);
  s.inPos += 1;
  s.bitBuffer >>= n;
  s.bitCount = s.bitCount + 8 - n;
  return true;
}

inline uint32_t Lookahead(const ExplodeState& s) {
  return static_cast<uint32_t>(s.bitBuffer) & 0xFF;
}

// One symbol value, kDecodeError when the input ran out inside it. The end symbol counts as
// complete when only the refill behind its extra bits found no input.
ZB_COLD_PATH uint32_t DecodeSymbolCareful(ExplodeState& s) {
  const uint32_t flag = static_cast<uint32_t>(s.bitBuffer) & 1;
  if (!ConsumeBits(s, 1)) return kDecodeError;
  if (flag != 0) {
    const uint32_t e = decodeTables.length[Lookahead(s)];
    const uint32_t codeBits = (e >> kLengthCodeShift) & 0xF;
    const uint32_t extraBits = ((e >> kLengthTotalShift) & 0x1F) - codeBits;
    if (!ConsumeBits(s, codeBits)) return kDecodeError;
    uint32_t value = e & kLengthValueMask;
    if (extraBits != 0) {
      value += static_cast<uint32_t>(s.bitBuffer) & (e >> kLengthExtraMaskShift);
      if (!ConsumeBits(s, extraBits) && value != kEndLengthValue) return kDecodeError;
    }
    return value + 0x100;
  }
  if (s.mode == 0) {
    const uint32_t literal = Lookahead(s);
    if (!ConsumeBits(s, 8)) return kDecodeError;
    return literal;
  }
  uint32_t e = decodeTables.ascii[Lookahead(s)];
  if ((e & kAsciiLongFlag) != 0) {
    if (!ConsumeBits(s, (e >> kAsciiBitsShift) & 0xF)) return kDecodeError;
    e = decodeTables.asciiLong[((e >> kAsciiPartShift) & 3) * 256 + Lookahead(s)];
  }
  if (!ConsumeBits(s, (e >> kAsciiBitsShift) & 0xF)) return kDecodeError;
  return e & 0xFF;
}

// Distance of a repetition of length bytes (1 to 4096), or 0 when the input ran out.
ZB_COLD_PATH uint32_t DecodeDistanceCareful(ExplodeState& s, uint32_t length) {
  const uint32_t e = decodeTables.distance[Lookahead(s)];
  if (!ConsumeBits(s, e >> kDistanceBitsShift)) return 0;
  const uint32_t lowBits = length == 2 ? 2 : s.dictBits;
  const uint32_t dist = ((e & 0x3F) << lowBits) | LowBits(s.bitBuffer, lowBits);
  if (!ConsumeBits(s, lowBits)) return 0;
  return dist + 1;
}

// ---- The fast decoder ----------------------------------------------------------------------

// The fast decoder's steps are inlined into its loop whatever the optimisation level (the stub
// is built for size): bits and count then stay in registers across a symbol.
#define ZB_HOT_INLINE inline __attribute__((always_inline))

// Decodes the literal at the front of bits (its flag, 0, still in place) and drops its bits.
template <bool kAscii>
ZB_HOT_INLINE uint8_t TakeLiteralFast(uint64_t& bits, uint32_t& count) {
  uint32_t literal;
  uint32_t used;
  if (kAscii) {
    // The bits behind the flag, kept in place, are the byte offset of their 2-byte entry: no
    // shift on the bit buffer's dependency chain before the load.
    uint16_t e;
    std::memcpy(&e,
                reinterpret_cast<const uint8_t*>(asciiDirect.entry) +
                    (static_cast<uint32_t>(bits) & ((2u << kAsciiDirectBits) - 2)),
                sizeof e);
    literal = static_cast<uint32_t>(e) >> kAsciiDirectByteShift;
    used = e & 0xFFu;
  } else {
    literal = static_cast<uint32_t>(bits >> 1) & 0xFF;
    used = 9;
  }
  bits >>= used;
  count -= used;
  return static_cast<uint8_t>(literal);
}

// Decodes the repetition at the front of bits (its flag, 1, still in place), drops its bits and
// copies it to window[outPos]. Returns its length in bytes, or 0 at the end symbol (then only
// the flag is gone from bits, and count is unchanged).
ZB_HOT_INLINE uint32_t TakeRepetitionFast(uint64_t& bits, uint32_t& count, uint32_t dictBits,
                                          uint8_t* window, uint32_t outPos) {
  bits >>= 1;
  const uint32_t e = decodeTables.length[static_cast<uint32_t>(bits) & 0xFF];
  const uint32_t value =
      (e & kLengthValueMask) + (static_cast<uint32_t>(bits >> ((e >> kLengthCodeShift) & 0xF)) &
                                (e >> kLengthExtraMaskShift));
  if (value == kEndLengthValue) return 0;
  const uint32_t lengthBits = (e >> kLengthTotalShift) & 0x1F;
  bits >>= lengthBits;
  const uint32_t d = decodeTables.distance[static_cast<uint32_t>(bits) & 0xFF];
  const uint32_t codeBits = d >> kDistanceBitsShift;
  bits >>= codeBits;
  const uint32_t length = value + 2;
  const uint32_t lowBits = length == 2 ? 2 : dictBits;
  const uint32_t dist = (((d & 0x3F) << lowBits) | LowBits(bits, lowBits)) + 1;
  bits >>= lowBits;
  count -= 1 + lengthBits + codeBits + lowBits;
  CopyRepetition(window, outPos, dist, length);
  return length;
}

// Decodes whole symbols while at least 8 bytes of inBuffer are left. Returns kEndOfStream at the
// end symbol, otherwise 0 with the state ready for the careful decoder. Calls only writeFn.
template <bool kAscii>
uint32_t RunFast(ExplodeState& s) {
  uint64_t bits = s.bitBuffer;
  uint32_t count = s.bitCount;
  uint32_t inPos = s.inPos;
  const uint32_t inCount = s.inCount;
  const uint8_t* const in = s.inBuffer;
  uint8_t* const window = s.window;
  const uint32_t dictBits = s.dictBits;
  uint32_t outPos = s.outPos;
  uint32_t result = 0;

  while (inCount - inPos >= 8) {
    // count <= 63 here; afterwards 56 to 63 bits, whole bytes taken.
    bits |= Load64(in + inPos) << count;
    inPos += (63 - count) >> 3;
    count |= 56;
    do {
      if ((bits & 1) == 0) {
        window[outPos++] = TakeLiteralFast<kAscii>(bits, count);
      } else {
        const uint32_t length = TakeRepetitionFast(bits, count, dictBits, window, outPos);
        if (length == 0) {
          result = kEndOfStream;
          break;
        }
        outPos += length;
      }
      if (outPos >= kFlushAt) {
        s.outPos = outPos;
        FlushHalf(s);
        outPos = s.outPos;
      }
    } while (count >= kFastSymbolBits);
    if (result != 0) break;
  }
  s.bitBuffer = bits;
  s.bitCount = count;
  s.inPos = inPos;
  s.outPos = outPos;
  return result;
}

// Decodes symbols until the end symbol or until the input runs out inside one; returns
// kEndOfStream or kDecodeError. The final write is the caller's.
uint32_t ExpandStream(ExplodeState& s) {
  s.outPos = kHistorySize;
  // A stream that reaches back before its first byte reads zeros, never an older stream.
  std::memset(s.window, 0, kHistorySize);
  for (;;) {
    if ((s.mode != 0 ? RunFast<true>(s) : RunFast<false>(s)) == kEndOfStream) {
      return kEndOfStream;
    }
    const uint32_t v = DecodeSymbolCareful(s);
    if (v >= kEndOfStream) return v;
    if (v < 0x100) {
      s.window[s.outPos++] = static_cast<uint8_t>(v);
    } else {
      const uint32_t length = v - 0xFE;
      const uint32_t dist = DecodeDistanceCareful(s, length);
      if (dist == 0) return kDecodeError;
      CopyRepetition(s.window, s.outPos, dist, length);
      s.outPos += length;
    }
    if (s.outPos >= kFlushAt) FlushHalf(s);
  }
}

}  // namespace

uint32_t Explode(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work, void* userData) {
  ExplodeTablesInit();
  ExplodeState& s = *static_cast<ExplodeState*>(work);
  s.readFn = readFn;
  s.writeFn = writeFn;
  s.userData = userData;

  uint32_t size = kExplodeReadSize;
  const uint32_t got = readFn(s.inBuffer, &size, userData);
  s.inCount = got < kExplodeReadSize ? got : kExplodeReadSize;
  if (s.inCount <= 4) return CMP_BAD_DATA;

  s.mode = s.inBuffer[0];
  s.dictBits = s.inBuffer[1];
  s.bitBuffer = s.inBuffer[2];
  s.bitCount = 8;
  s.inPos = 3;
  // The dictionary byte is judged before the mode byte.
  if (s.dictBits < 4 || s.dictBits > 6) return CMP_INVALID_DICTSIZE;
  if (s.mode > 1) return CMP_INVALID_MODE;

  const uint32_t end = ExpandStream(s);
  uint32_t rest = s.outPos - kHistorySize;
  writeFn(s.window + kHistorySize, &rest, userData);
  return end == kDecodeError ? CMP_ABORT : CMP_NO_ERROR;
}
