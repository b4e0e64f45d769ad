// A second decoder of the implode format, written to be read rather than to be fast: the
// format's definition in code. The tests, the fuzzer and the benchmark hold Explode against it
// call for call; it is never linked into the stub or the packer.
//
// The format
// ----------
// A stream is two header bytes and then a string of bits, taken from each byte lowest bit
// first:
//   byte 0  literal mode: 0 codes a literal byte as its 8 bits, 1 with the ASCII code below
//   byte 1  dictBits, 4, 5 or 6: the dictionary holds the last 64 << dictBits bytes
//           (1024, 2048 or 4096)
// Each symbol starts with one flag bit:
//   0  a literal: 8 bits of the byte (mode 0) or the byte's ASCII code (mode 1)
//   1  a repetition: a length code and its extra bits give the length value v (0 to 517).
//      v = 517 is the end of the stream. Otherwise v + 2 bytes (2 to 518) are copied from
//      `distance` bytes back, one byte at a time, so a copy may repeat its own output. The
//      distance follows: a distance code gives its high part h (0 to 63), then come the low
//      bits (2 for a 2-byte repetition, else dictBits): distance = (h << lowBits | low) + 1.
//      A 2-byte repetition thus reaches back at most 256 bytes, the others 64 << dictBits.
// Extra and low bits are numbers stored lowest bit first. The three prefix codes (length,
// distance, ASCII) are fixed, so no code travels in a stream; each is given by its table of
// code lengths alone: it is the canonical code of those lengths (RFC 1951, 3.2.2, first bit
// of a code first in the stream) with every bit inverted. Output before the stream's first
// byte reads as zeros.
//
// The contract of this decoder, the same as Explode's (explode.h), callbacks included: reads
// of kExplodeReadSize bytes, writes of kExplodeWriteSize bytes and one final write of the
// rest, the same results. It looks 8 bits ahead: it takes the next input byte as soon as fewer
// than 8 bits are left unread, so a symbol is decoded only when its bits and the 8 bits
// behind it are in the stream. The end symbol alone needs only its own bits.
#pragma once
#include <cstdint>

#include "explode/explode.h"

struct ExplodeReferenceState {
  ExplodeReadFn readFn;
  ExplodeWriteFn writeFn;
  void* userData;
  uint8_t input[kExplodeReadSize];
  uint32_t inputPos;    // next byte of input to take
  uint32_t inputCount;  // bytes the last read placed in input
  bool inputEnded;      // readFn returned 0
  uint32_t bitBuffer;   // bits taken from input and not yet used, next one in bit 0
  uint32_t bitCount;    // how many of them came from the stream
  bool shortOfInput;    // a byte was needed and there was none
  // The last 8192 bytes of output, as two halves: the one being filled and the one before it,
  // which a distance of up to 4096 bytes may still reach.
  uint8_t window[2 * kExplodeWriteSize];
  uint32_t outCount;  // bytes of output so far, modulo the window
  uint64_t bitsRead;  // bits of the stream read, header excluded
};

// One decoded symbol, as ExplodeReferenceWatched reports it to those who check an encoder's
// choices: a literal (length 0), a repetition, or the end symbol.
struct ExplodeSymbol {
  uint32_t length;    // 0 for a literal, else 2 to 518 bytes
  uint32_t distance;  // of a repetition, 1 to 4096 bytes
  uint32_t bits;      // the symbol's size in the stream
  bool end;
};
using ExplodeSymbolFn = void (*)(const ExplodeSymbol& symbol, void* userData);

// work: an ExplodeReferenceState; needs no initialisation. Results as Explode's.
uint32_t ExplodeReference(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work, void* userData);
// The same, reporting each symbol decoded (the end symbol too) to symbolFn, with userData.
uint32_t ExplodeReferenceWatched(ExplodeReadFn readFn, ExplodeWriteFn writeFn,
                                 ExplodeSymbolFn symbolFn, void* work, void* userData);
