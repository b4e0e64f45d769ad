// The explode algorithm written out step by step, one byte of input at a time, with the
// field-by-field work area and every table of the format. Slow on purpose: the fast decoder
// in src/explode is held against it call for call.
#pragma once
#include <cstdint>

#include "explode/explode.h"

namespace reference {

struct ExplodeState {
  uint32_t mode;
  uint32_t outPos;
  uint32_t dictBits;
  uint32_t dictMask;
  uint32_t bitBuffer;
  uint32_t extraBits;
  uint32_t inPos;
  uint32_t inCount;
  void* userData;
  ExplodeReadFn readFn;
  ExplodeWriteFn writeFn;
  uint8_t window[8709];
  uint8_t inBuffer[2048];
  uint8_t distanceDecode[256];
  uint8_t lengthDecode[256];
  uint8_t asciiDecode[256];
  uint8_t asciiDecode4[256];
  uint8_t asciiDecode6[128];
  uint8_t asciiDecode8[256];
  uint8_t asciiBits[256];
  uint8_t distanceBits[64];
  uint8_t lengthBits[16];
  uint8_t lengthExtraBits[16];
  uint16_t lengthBase[16];
};

// The code tables of the format, this decoder's own copies.
extern const uint8_t kLengthCodeBits[16];
extern const uint8_t kLengthCodes[16];
extern const uint8_t kLengthExtraBits[16];
extern const uint16_t kLengthBase[16];
extern const uint8_t kDistanceCodeBits[64];
extern const uint8_t kDistanceCodes[64];
extern const uint8_t kAsciiCodeBits[256];
extern const uint16_t kAsciiCodes[256];

// Same contract as ::Explode; work is a reference::ExplodeState.
uint32_t Explode(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work, void* userData);

}  // namespace reference
