// LZMA2 decoding, pulled through the read callback and pushed through the write callback.
//
// The formats, as far as this decoder needs them:
//
// Dictionary byte (first byte of a stream): 0..40; the size is (2 | (b & 1)) << (b / 2 + 11)
// bytes, 4 KiB for 0. The window used is that size rounded up to 16 bytes, so that positions
// modulo 16 (which select the literal and position models) are the same counted from the
// last dictionary reset or inside the circular window.
//
// LZMA2 chunk, by its control byte:
//   0x00           end of stream.
//   0x01, 0x02     uncompressed chunk (0x01 also resets the dictionary); two bytes, big
//                  endian, give its size - 1, then the bytes.
//   0x80..0xFF     LZMA chunk. Bits 0..4 are bits 16..20 of unpacked size - 1, two bytes its
//                  low 16 bits, two bytes packed size - 1; bits 5..6 say what is reset first:
//                  0 nothing, 1 the state, 2 the state and new properties (one byte lc, lp, pb
//                  as (pb * 5 + lp) * 9 + lc, with lc + lp <= 4), 3 also the dictionary.
//   others         invalid.
// The first chunk of a stream must reset the dictionary, and an LZMA chunk must carry
// properties after every dictionary reset. Each LZMA chunk starts its own range decoder
// (five bytes, the first 0), must use exactly its packed bytes (normalised once more after the
// last decision), leave the range decoder's code at 0 and produce exactly its unpacked bytes; a
// match may not run past the chunk's end.
//
// LZMA: a range decoder over adaptive binary probabilities (11 bits, moved by 1/32 of the
// distance to the bound). Each symbol is a literal (8 bits through a binary tree chosen by
// the previous byte's high lc bits and the position's low lp bits; after a match, also guided
// by the byte at the last distance until the first bit that differs), a match (length, then
// distance: a 6-bit slot per length class, low bits from a reverse tree for small slots, or
// direct bits and a 4-bit reverse tree), a repeat of one of the last four distances with a
// length, or a one-byte repeat of the last distance. A 12-state history of the last symbols'
// kinds selects the probabilities of the kind decisions.
#include "explode/lzma_decode.h"

#include <cstdlib>

namespace {

constexpr uint32_t kTopValue = 1u << 24;  // the range decoder takes a byte below this range
constexpr uint32_t kProbInit = 1024;      // 0.5 in 11 bits
constexpr uint32_t kStates = 12;
constexpr uint32_t kPosStates = 16;          // 1 << the largest pb
constexpr uint32_t kLiteralsAfterMatch = 7;  // states from here on follow a match or repeat

// Offsets of the probability groups in the model. A length coder is: the two choices, a
// 3-bit tree per position state for lengths 2..9, another for 10..17, an 8-bit tree for
// 18..273. Trees are indexed from 1.
constexpr uint32_t kLenLow = 2;
constexpr uint32_t kLenMid = kLenLow + kPosStates * 8;
constexpr uint32_t kLenHigh = kLenMid + kPosStates * 8;
constexpr uint32_t kLenCoderSize = kLenHigh + 256;

constexpr uint32_t kIsMatch = 0;
constexpr uint32_t kIsRep = kIsMatch + kStates * kPosStates;
constexpr uint32_t kIsRepG0 = kIsRep + kStates;
constexpr uint32_t kIsRepG1 = kIsRepG0 + kStates;
constexpr uint32_t kIsRepG2 = kIsRepG1 + kStates;
constexpr uint32_t kIsRep0Long = kIsRepG2 + kStates;
constexpr uint32_t kPosSlot = kIsRep0Long + kStates * kPosStates;  // 4 length classes x 64
constexpr uint32_t kSpecPos = kPosSlot + 4 * 64;  // reverse trees of slots 4..13, 115 entries
constexpr uint32_t kAlign = kSpecPos + 115;       // 4-bit reverse tree
constexpr uint32_t kLenCoder = kAlign + 16;
constexpr uint32_t kRepLenCoder = kLenCoder + kLenCoderSize;
constexpr uint32_t kLiteral = kRepLenCoder + kLenCoderSize;  // 0x300 per literal context
constexpr uint32_t kProbCount = kLiteral + (0x300u << 4);    // lc + lp <= 4

}  // namespace

struct LzmaDecoder {
  ExplodeReadFn readFn;
  ExplodeWriteFn writeFn;
  void* userData;
  uint8_t* dict;          // the circular window, dictCapacity bytes allocated
  uint32_t dictCapacity;  // bytes; only grows, up to dictLimit rounded up to 16
  uint32_t dictLimit;     // bytes: the largest dictionary accepted
  uint32_t window;        // bytes of the window this stream uses (its dictionary, rounded)
  uint32_t pos;           // index in dict of the next output byte, below window
  uint32_t flushed;       // dict bytes before this index since the last wrap are written out
  uint32_t full;          // bytes of history behind pos, at most window
  uint32_t range;
  uint32_t code;
  uint32_t state;       // 0..11, the kinds of the last symbols
  uint32_t rep[4];      // the last four distances, minus 1
  uint32_t lc, lp, pb;  // literal context bits, literal and match position bits
  uint32_t inPos;       // index of the next byte in in
  uint32_t inCount;     // bytes in in
  uint32_t consumed;    // bytes taken since the current chunk's range decoder started
  bool inputEnded;      // readFn returned 0: never call it again for this member
  bool inputShort;      // a byte was wanted after the end: the data are cut
  bool live;            // a stream is open for continuing members
  bool needDictReset;
  bool needProps;
  uint16_t probs[kProbCount];
  uint8_t in[kExplodeReadSize];
};

namespace {

[[gnu::noinline]] bool Refill(LzmaDecoder& d) {
  if (d.inputEnded) return false;
  uint32_t size = kExplodeReadSize;
  uint32_t got = d.readFn(d.in, &size, d.userData);
  if (got > kExplodeReadSize) got = kExplodeReadSize;
  d.inPos = 0;
  d.inCount = got;
  d.inputEnded = got == 0;
  return got != 0;
}

// The next input byte; 0 and inputShort set when there is none.
inline uint32_t NextByte(LzmaDecoder& d) {
  if (d.inPos == d.inCount && !Refill(d)) {
    d.inputShort = true;
    return 0;
  }
  ++d.consumed;
  return d.in[d.inPos++];
}

// NextByte for the bytes outside the range decoder (headers, uncompressed chunks), out of
// line: they are few.
[[gnu::noinline]] uint32_t HeaderByte(LzmaDecoder& d) { return NextByte(d); }

// The hot helpers stay out of line: one copy of each is smaller and, in the cache, faster.
// Normalisation comes before each decision, so that a chunk's range decoder reads exactly the
// bytes that its encoder wrote.
[[gnu::noinline]] uint32_t DecodeBit(LzmaDecoder& d, uint16_t* prob) {
  if (d.range < kTopValue) {
    d.range <<= 8;
    d.code = (d.code << 8) | NextByte(d);
  }
  const uint32_t p = *prob;
  const uint32_t bound = (d.range >> 11) * p;
  if (d.code < bound) {
    d.range = bound;
    *prob = uint16_t(p + ((2048 - p) >> 5));
    return 0;
  }
  d.range -= bound;
  d.code -= bound;
  *prob = uint16_t(p - (p >> 5));
  return 1;
}

// numBits bits, high bit first, through a tree of probs[1 .. 2^numBits - 1].
[[gnu::noinline]] uint32_t DecodeTree(LzmaDecoder& d, uint16_t* probs, uint32_t numBits) {
  uint32_t m = 1;
  for (uint32_t i = 0; i < numBits; ++i) m = (m << 1) | DecodeBit(d, probs + m);
  return m - (1u << numBits);
}

// numBits bits, low bit first, through a tree of probs[1 .. 2^numBits - 1].
[[gnu::noinline]] uint32_t DecodeReverseTree(LzmaDecoder& d, uint16_t* probs, uint32_t numBits) {
  uint32_t m = 1;
  uint32_t value = 0;
  for (uint32_t i = 0; i < numBits; ++i) {
    const uint32_t bit = DecodeBit(d, probs + m);
    m = (m << 1) | bit;
    value |= bit << i;
  }
  return value;
}

// numBits bits of probability one half, high bit first.
[[gnu::noinline]] uint32_t DecodeDirect(LzmaDecoder& d, uint32_t numBits) {
  uint32_t value = 0;
  while (numBits-- > 0) {
    if (d.range < kTopValue) {
      d.range <<= 8;
      d.code = (d.code << 8) | NextByte(d);
    }
    d.range >>= 1;
    d.code -= d.range;
    const uint32_t borrow = 0u - (d.code >> 31);  // all ones when code was below range
    d.code += d.range & borrow;
    value = (value << 1) + (borrow + 1);
  }
  return value;
}

// A match length minus 2: 0..271.
[[gnu::noinline]] uint32_t DecodeLength(LzmaDecoder& d, uint32_t coder, uint32_t posState) {
  uint16_t* probs = d.probs + coder;
  if (DecodeBit(d, probs) == 0) return DecodeTree(d, probs + kLenLow + posState * 8, 3);
  if (DecodeBit(d, probs + 1) == 0) return 8 + DecodeTree(d, probs + kLenMid + posState * 8, 3);
  return 16 + DecodeTree(d, probs + kLenHigh, 8);
}

// A match distance minus 1, for a length minus 2 of len.
[[gnu::noinline]] uint32_t DecodeDistance(LzmaDecoder& d, uint32_t len) {
  const uint32_t lenClass = len < 3 ? len : 3;
  const uint32_t slot = DecodeTree(d, d.probs + kPosSlot + lenClass * 64, 6);
  if (slot < 4) return slot;
  const uint32_t numBits = (slot >> 1) - 1;
  const uint32_t base = (2 | (slot & 1)) << numBits;
  if (slot < 14) return base + DecodeReverseTree(d, d.probs + kSpecPos + base - slot, numBits);
  return base + (DecodeDirect(d, numBits - 4) << 4) + DecodeReverseTree(d, d.probs + kAlign, 4);
}

// Hands the window's bytes not yet written to writeFn.
[[gnu::noinline]] void Flush(LzmaDecoder& d) {
  uint32_t size = d.pos - d.flushed;
  if (size == 0) return;
  d.writeFn(d.dict + d.flushed, &size, d.userData);
  d.flushed = d.pos;
}

// Moves pos on by one byte, handing the window to writeFn when pos reaches its end.
inline void Advance(LzmaDecoder& d) {
  if (++d.pos == d.window) {
    Flush(d);
    d.pos = 0;
    d.flushed = 0;
  }
}

[[gnu::noinline]] void PutByte(LzmaDecoder& d, uint32_t byte) {
  d.dict[d.pos] = uint8_t(byte);
  if (d.full < d.window) ++d.full;
  Advance(d);
}

// The byte distance + 1 behind pos; distance < full.
inline uint32_t ByteBehind(const LzmaDecoder& d, uint32_t distance) {
  const uint32_t back = distance + 1;
  return d.dict[d.pos >= back ? d.pos - back : d.pos + d.window - back];
}

uint32_t DecodeLiteral(LzmaDecoder& d) {
  const uint32_t previous = d.full > 0 ? ByteBehind(d, 0) : 0;
  const uint32_t context = ((d.pos & ((1u << d.lp) - 1)) << d.lc) + (previous >> (8 - d.lc));
  uint16_t* probs = d.probs + kLiteral + 0x300 * context;
  uint32_t symbol = 1;
  if (d.state >= kLiteralsAfterMatch) {
    // Guided by the byte at the last distance while the decoded bits agree with its bits.
    uint32_t match = ByteBehind(d, d.rep[0]);
    do {
      const uint32_t matchBit = (match >> 7) & 1;
      match <<= 1;
      const uint32_t bit = DecodeBit(d, probs + ((1 + matchBit) << 8) + symbol);
      symbol = (symbol << 1) | bit;
      if (bit != matchBit) break;
    } while (symbol < 0x100);
  }
  while (symbol < 0x100) symbol = (symbol << 1) | DecodeBit(d, probs + symbol);
  return symbol & 0xFF;
}

// Decodes the kind of the next non-literal symbol and its distance into rep[0]; returns its
// length minus 2, or kShortRep for the one-byte repeat.
constexpr uint32_t kShortRep = 0xFFFFFFFFu;
[[gnu::noinline]] uint32_t DecodeMatchKind(LzmaDecoder& d, uint32_t posState) {
  const uint32_t s = d.state;
  if (DecodeBit(d, d.probs + kIsRep + s) == 0) {
    const uint32_t len = DecodeLength(d, kLenCoder, posState);
    d.rep[3] = d.rep[2];
    d.rep[2] = d.rep[1];
    d.rep[1] = d.rep[0];
    d.rep[0] = DecodeDistance(d, len);
    d.state = s < kLiteralsAfterMatch ? 7 : 10;
    return len;
  }
  if (DecodeBit(d, d.probs + kIsRepG0 + s) == 0) {
    if (DecodeBit(d, d.probs + kIsRep0Long + s * kPosStates + posState) == 0) {
      d.state = s < kLiteralsAfterMatch ? 9 : 11;
      return kShortRep;
    }
  } else {
    // Repeats of older distances move them to the front.
    uint32_t index = 1;
    if (DecodeBit(d, d.probs + kIsRepG1 + s) != 0) {
      index = 2 + DecodeBit(d, d.probs + kIsRepG2 + s);
    }
    const uint32_t distance = d.rep[index];
    for (; index > 0; --index) d.rep[index] = d.rep[index - 1];
    d.rep[0] = distance;
  }
  d.state = s < kLiteralsAfterMatch ? 8 : 11;
  return DecodeLength(d, kRepLenCoder, posState);
}

// Decodes symbols until unpacked bytes were produced. False on a distance beyond the history
// or a match past the chunk's end.
bool DecodeSymbols(LzmaDecoder& d, uint32_t unpacked) {
  static const uint8_t kAfterLiteral[kStates] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 4, 5};
  const uint32_t pbMask = (1u << d.pb) - 1;
  while (unpacked > 0) {
    const uint32_t posState = d.pos & pbMask;
    if (DecodeBit(d, d.probs + kIsMatch + d.state * kPosStates + posState) == 0) {
      PutByte(d, DecodeLiteral(d));
      d.state = kAfterLiteral[d.state];
      --unpacked;
      continue;
    }
    if (d.full == 0) return false;  // nothing to repeat yet
    const uint32_t len = DecodeMatchKind(d, posState);
    if (d.rep[0] >= d.full) return false;
    uint32_t count = len == kShortRep ? 1 : len + 2;
    if (count > unpacked) return false;
    unpacked -= count;
    const uint32_t back = d.rep[0] + 1;
    uint32_t from = d.pos >= back ? d.pos - back : d.pos + d.window - back;
    d.full = d.window - d.full > count ? d.full + count : d.window;
    while (count-- > 0) {
      d.dict[d.pos] = d.dict[from];
      if (++from == d.window) from = 0;
      Advance(d);
    }
  }
  return true;
}

void ResetState(LzmaDecoder& d) {
  for (uint32_t i = 0; i < kProbCount; ++i) d.probs[i] = kProbInit;
  d.state = 0;
  d.rep[0] = d.rep[1] = d.rep[2] = d.rep[3] = 0;
}

// Between chunks only: each chunk has flushed what it decoded, so nothing is pending.
void ResetDictionary(LzmaDecoder& d) {
  d.pos = d.flushed = d.full = 0;
  d.needDictReset = false;
  d.needProps = true;
}

// One LZMA chunk after its control byte.
bool DecodeLzmaChunk(LzmaDecoder& d, uint32_t control) {
  uint32_t unpacked = (control & 0x1F) << 16;
  unpacked += HeaderByte(d) << 8;
  unpacked += HeaderByte(d) + 1;
  uint32_t packed = HeaderByte(d) << 8;
  packed += HeaderByte(d) + 1;
  if (control >= 0xC0) {
    uint32_t props = HeaderByte(d);
    if (props >= 9 * 5 * 5) return false;
    d.lc = props % 9;
    props /= 9;
    d.lp = props % 5;
    d.pb = props / 5;
    if (d.lc + d.lp > 4) return false;
    d.needProps = false;
  } else if (d.needProps) {
    return false;
  }
  if (control >= 0xA0) ResetState(d);
  d.consumed = 0;
  if (HeaderByte(d) != 0) return false;
  d.code = 0;
  for (int i = 0; i < 4; ++i) d.code = (d.code << 8) | HeaderByte(d);
  d.range = 0xFFFFFFFFu;
  const bool decoded = !d.inputShort && DecodeSymbols(d, unpacked);
  // The encoder's five closing bytes include the normalisation that the last decision left
  // pending.
  if (d.range < kTopValue) d.code = (d.code << 8) | HeaderByte(d);
  Flush(d);
  return decoded && !d.inputShort && d.consumed == packed && d.code == 0;
}

[[gnu::noinline]] bool CopyUncompressedChunk(LzmaDecoder& d) {
  uint32_t size = HeaderByte(d) << 8;
  size += HeaderByte(d) + 1;
  while (size-- > 0 && !d.inputShort) PutByte(d, HeaderByte(d));
  Flush(d);
  return !d.inputShort;
}

// Chunks until the member's data end. kLzmaOk when they end at a chunk boundary.
uint32_t DecodeChunks(LzmaDecoder& d) {
  for (;;) {
    if (d.inPos == d.inCount && !Refill(d)) return kLzmaOk;
    const uint32_t control = d.in[d.inPos++];
    if (control == 0) {
      // The end of the stream: nothing may follow it, in this member or a later one.
      d.live = false;
      return d.inPos == d.inCount && !Refill(d) ? kLzmaOk : kLzmaBadData;
    }
    const bool resets = control == 1 || control >= 0xE0;
    if ((control > 2 && control < 0x80) || (d.needDictReset && !resets)) return kLzmaBadData;
    if (resets) ResetDictionary(d);
    const bool ok = control >= 0x80 ? DecodeLzmaChunk(d, control) : CopyUncompressedChunk(d);
    if (!ok) return kLzmaBadData;
  }
}

// Reads the dictionary byte and makes the window ready for the stream's first chunk.
[[gnu::noinline]] uint32_t StartStream(LzmaDecoder& d) {
  const uint32_t byte = HeaderByte(d);
  if (d.inputShort || byte > 40) return kLzmaBadDictionary;
  const uint32_t size = byte == 40 ? 0xFFFFFFFFu : (2 | (byte & 1)) << (byte / 2 + 11);
  if (size > d.dictLimit) return kLzmaBadDictionary;
  const uint32_t window = (size + 15) & ~15u;
  if (window > d.dictCapacity) {
    std::free(d.dict);
    d.dictCapacity = 0;
    d.dict = static_cast<uint8_t*>(std::malloc(window));
    if (d.dict == nullptr) return kLzmaNoMemory;
    d.dictCapacity = window;
  }
  d.window = window;
  d.pos = d.flushed = d.full = 0;
  d.needDictReset = true;
  d.needProps = true;
  return kLzmaOk;
}

}  // namespace

LzmaDecoder* NewLzmaDecoder(uint32_t dictLimit) {
  auto* decoder = static_cast<LzmaDecoder*>(std::malloc(sizeof(LzmaDecoder)));
  if (decoder == nullptr) return nullptr;
  decoder->dict = nullptr;
  decoder->dictCapacity = 0;
  decoder->dictLimit = dictLimit < kLzmaDictLimit ? dictLimit : kLzmaDictLimit;
  decoder->live = false;
  return decoder;
}

void FreeLzmaDecoder(LzmaDecoder* decoder) {
  if (decoder == nullptr) return;
  std::free(decoder->dict);
  std::free(decoder);
}

void EndLzmaStream(LzmaDecoder* decoder) {
  if (decoder != nullptr) decoder->live = false;
}

uint32_t DecodeLzmaMember(LzmaDecoder* decoder, bool startsStream, ExplodeReadFn readFn,
                          ExplodeWriteFn writeFn, void* userData) {
  LzmaDecoder& d = *decoder;
  d.readFn = readFn;
  d.writeFn = writeFn;
  d.userData = userData;
  d.inPos = d.inCount = 0;
  d.inputEnded = d.inputShort = false;
  uint32_t result = kLzmaNoStream;
  if (startsStream) {
    d.live = false;
    result = StartStream(d);
    d.live = result == kLzmaOk;
  }
  if (d.live) result = DecodeChunks(d);
  if (result != kLzmaOk) d.live = false;
  return result;
}
