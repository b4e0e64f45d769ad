// The layout of the work block that Explode runs in. Private to the decoder; the callers see
// only kExplodeWorkSize bytes.
#pragma once
#include <cstdint>

#include "explode/explode.h"

// Window layout, in bytes: history 0 to 4095, current output 4096 to 8191, room for the
// longest repetition (518 bytes) begun at 8191, and slack for copies that move 16 bytes at a
// time and may write up to 15 bytes past a repetition's end (those bytes are rewritten before
// anything reads them and are never handed to writeFn).
constexpr uint32_t kHistorySize = 4096;
constexpr uint32_t kFlushAt = 8192;
constexpr uint32_t kMaxRepetition = 518;
constexpr uint32_t kCopySlack = 16;
constexpr uint32_t kWindowSize = kFlushAt - 1 + kMaxRepetition + kCopySlack;

struct ExplodeState {
  ExplodeReadFn readFn;
  ExplodeWriteFn writeFn;
  void* userData;
  // Unconsumed input bits, the next one in bit 0. bitCount of them are valid, at least 8
  // between symbols (the lookahead every table is indexed by). Bits above bitCount are either
  // zero or the low bits of inBuffer[inPos] at their stream position, so OR-ing that byte in
  // at bitCount is always exact.
  uint64_t bitBuffer;
  uint32_t bitCount;
  uint32_t inPos;     // index in inBuffer of the next byte not yet in bitBuffer
  uint32_t inCount;   // bytes the last read placed in inBuffer (at most kExplodeReadSize)
  uint32_t outPos;    // index in window of the next output byte; 4096 to 8191 between symbols
  uint32_t mode;      // 0 binary literals, 1 ASCII literals
  uint32_t dictBits;  // 4, 5 or 6: low distance bits of repetitions longer than 2 bytes
  uint8_t inBuffer[kExplodeReadSize];
  uint8_t window[kWindowSize];
};

static_assert(sizeof(ExplodeState) <= kExplodeWorkSize, "the work block holds the state");
static_assert(alignof(ExplodeState) <= 8, "malloc alignment is enough for the work block");
