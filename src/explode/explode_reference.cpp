// The implode format decoded one bit at a time; see explode_reference.h for the format.
#include "explode/explode_reference.h"

#include <cstring>

#include "explode/explode_codes.h"

namespace {

using namespace zb_explode_codes;

constexpr uint32_t kMaxCodeBits = 13;      // the longest code of the three
constexpr uint32_t kEndLengthValue = 517;  // the length value of the end symbol

// A prefix code in the form a canonical decoder walks: how many codes there are of each
// length, and the symbols in code order (by length, then by symbol).
struct Code {
  uint16_t countOfLength[kMaxCodeBits + 1];
  uint16_t symbols[256];
};

Code MakeCode(const uint8_t* lengths, uint32_t symbolCount) {
  Code code = {};
  for (uint32_t s = 0; s < symbolCount; ++s) code.countOfLength[lengths[s]] += 1;
  uint32_t next = 0;
  for (uint32_t n = 1; n <= kMaxCodeBits; ++n) {
    for (uint32_t s = 0; s < symbolCount; ++s) {
      if (lengths[s] == n) code.symbols[next++] = static_cast<uint16_t>(s);
    }
  }
  return code;
}

// Takes the next input byte into the bit buffer; false when the input has ended. readFn is
// asked again only when every byte it gave has been taken, and never after it returned 0.
bool TakeByte(ExplodeReferenceState& s) {
  if (s.inputPos == s.inputCount) {
    if (s.inputEnded) return false;
    uint32_t size = kExplodeReadSize;
    const uint32_t got = s.readFn(s.input, &size, s.userData);
    if (got == 0) {
      s.inputEnded = true;
      return false;
    }
    s.inputCount = got < kExplodeReadSize ? got : kExplodeReadSize;
    s.inputPos = 0;
  }
  s.bitBuffer |= uint32_t{s.input[s.inputPos++]} << s.bitCount;
  s.bitCount += 8;
  return true;
}

// The next bit of the stream. Keeps 8 bits looked ahead: when fewer are left it takes a byte,
// and notes in shortOfInput when there was none. A bit beyond the stream's end reads 0.
uint32_t Bit(ExplodeReferenceState& s, bool* beyondEnd) {
  if (s.bitCount == 0) *beyondEnd = true;
  s.bitsRead += 1;
  const uint32_t bit = s.bitBuffer & 1;
  s.bitBuffer >>= 1;
  if (s.bitCount > 0) s.bitCount -= 1;
  if (s.bitCount < 8 && !TakeByte(s)) s.shortOfInput = true;
  return bit;
}

// An n-bit number, lowest bit first.
uint32_t Bits(ExplodeReferenceState& s, uint32_t n, bool* beyondEnd) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < n; ++i) value |= Bit(s, beyondEnd) << i;
  return value;
}

// One symbol of a canonical code, its first bit first, every bit inverted. As RFC 1951 codes:
// the codes of length n are consecutive numbers, starting from where the codes of length
// n - 1 ended, doubled.
uint32_t Decode(ExplodeReferenceState& s, const Code& c, bool* beyondEnd) {
  uint32_t code = 0;   // the bits read so far, as a number
  uint32_t first = 0;  // the first code of length n
  uint32_t index = 0;  // its place in c.symbols
  for (uint32_t n = 1; n <= kMaxCodeBits; ++n) {
    code |= Bit(s, beyondEnd) ^ 1;
    const uint32_t count = c.countOfLength[n];
    if (code - first < count) return c.symbols[index + code - first];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return 0;  // not reached: every code is complete
}

void Put(ExplodeReferenceState& s, uint8_t byte) {
  s.window[s.outCount] = byte;
  s.outCount = (s.outCount + 1) % sizeof s.window;
  if (s.outCount % kExplodeWriteSize == 0) {
    uint32_t size = kExplodeWriteSize;
    const uint32_t start = s.outCount == 0 ? kExplodeWriteSize : 0;
    s.writeFn(s.window + start, &size, s.userData);
  }
}

// Tells symbolFn, if any, of one decoded symbol: its size is the bits read since bitsBefore.
void Report(const ExplodeReferenceState& s, ExplodeSymbolFn symbolFn, uint32_t length,
            uint32_t distance, uint64_t bitsBefore, bool end) {
  if (symbolFn != nullptr) {
    symbolFn({length, distance, static_cast<uint32_t>(s.bitsRead - bitsBefore), end}, s.userData);
  }
}

// Decodes symbols into the window (cleared, outCount 0) until the end symbol, CMP_NO_ERROR, or
// until the input runs out inside one, CMP_ABORT. The last partial write is the caller's.
uint32_t DecodeSymbols(ExplodeReferenceState& s, uint32_t mode, uint32_t dictBits,
                       ExplodeSymbolFn symbolFn) {
  static const Code lengthCode = MakeCode(kLengthCodeBits, 16);
  static const Code distanceCode = MakeCode(kDistanceCodeBits, 64);
  static const Code asciiCode = MakeCode(kAsciiCodeBits, 256);
  for (;;) {
    bool beyondEnd = false;
    const uint64_t bitsBefore = s.bitsRead;
    if (Bit(s, &beyondEnd) == 0) {
      const uint32_t byte = mode == 0 ? Bits(s, 8, &beyondEnd) : Decode(s, asciiCode, &beyondEnd);
      if (s.shortOfInput) return CMP_ABORT;
      Report(s, symbolFn, 0, 0, bitsBefore, false);
      Put(s, static_cast<uint8_t>(byte));
      continue;
    }
    const uint32_t lengthSymbol = Decode(s, lengthCode, &beyondEnd);
    const uint32_t value =
        kLengthBase[lengthSymbol] + Bits(s, kLengthExtraBits[lengthSymbol], &beyondEnd);
    if (value == kEndLengthValue) {
      if (beyondEnd) return CMP_ABORT;
      Report(s, symbolFn, 0, 0, bitsBefore, true);
      return CMP_NO_ERROR;
    }
    const uint32_t length = value + 2;
    const uint32_t lowBits = length == 2 ? 2 : dictBits;
    const uint32_t high = Decode(s, distanceCode, &beyondEnd);
    const uint32_t distance = (high << lowBits | Bits(s, lowBits, &beyondEnd)) + 1;
    if (s.shortOfInput) return CMP_ABORT;
    Report(s, symbolFn, length, distance, bitsBefore, false);
    for (uint32_t k = 0; k < length; ++k) {
      Put(s, s.window[(s.outCount + sizeof s.window - distance) % sizeof s.window]);
    }
  }
}

}  // namespace

uint32_t ExplodeReference(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work,
                          void* userData) {
  return ExplodeReferenceWatched(readFn, writeFn, nullptr, work, userData);
}

uint32_t ExplodeReferenceWatched(ExplodeReadFn readFn, ExplodeWriteFn writeFn,
                                 ExplodeSymbolFn symbolFn, void* work, void* userData) {
  ExplodeReferenceState& s = *static_cast<ExplodeReferenceState*>(work);
  s.readFn = readFn;
  s.writeFn = writeFn;
  s.userData = userData;
  s.inputPos = 0;
  s.inputCount = 0;
  s.inputEnded = false;
  s.bitBuffer = 0;
  s.bitCount = 0;
  s.shortOfInput = false;
  s.bitsRead = 0;

  // The first read must bring the header and more than 2 bytes behind it.
  uint32_t size = kExplodeReadSize;
  const uint32_t got = readFn(s.input, &size, userData);
  if (got <= 4) return CMP_BAD_DATA;
  s.inputCount = got < kExplodeReadSize ? got : kExplodeReadSize;
  const uint32_t mode = s.input[0];
  const uint32_t dictBits = s.input[1];
  s.inputPos = 2;
  TakeByte(s);  // the first 8 bits looked ahead
  if (dictBits < 4 || dictBits > 6) return CMP_INVALID_DICTSIZE;
  if (mode > 1) return CMP_INVALID_MODE;

  std::memset(s.window, 0, sizeof s.window);
  s.outCount = 0;
  const uint32_t result = DecodeSymbols(s, mode, dictBits, symbolFn);
  uint32_t rest = s.outCount % kExplodeWriteSize;
  writeFn(s.window + (s.outCount - rest), &rest, userData);
  return result;
}
