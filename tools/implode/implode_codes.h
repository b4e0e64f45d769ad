// The fixed prefix codes of the implode format, as the encoder writes them. No code table
// travels in a stream: every decoder carries the same tables, so these must stay bit-exact.
//
// A code entry holds the code's bits in stream order from bit 0 up (the first bit written is
// bit 0), so writing a code is one LSB-first put of `bits` bits. All three codes are the
// canonical codes of their length tables with every bit inverted and the bit order reversed.
#pragma once
#include <cstdint>

#include "explode/explode_codes.h"

namespace implode {

// The code tables are the decoder's own: one copy, so encoder and decoder cannot drift apart.
//
// Repetition lengths: the length value is (repetition bytes - 2); code L covers the values
// kLengthBase[L] .. kLengthBase[L] + 2^kLengthExtraBits[L] - 1. Value 517 (code 15, extra 255)
// is the end symbol, so the longest repetition is value 516 = 518 bytes.
using zb_explode_codes::kLengthBase;
using zb_explode_codes::kLengthCodeBits;
using zb_explode_codes::kLengthCodes;
using zb_explode_codes::kLengthExtraBits;

// Distance high parts h (0..63): (distance - 1) >> lowBits, where lowBits is 2 for a 2-byte
// repetition and dictBits otherwise.
using zb_explode_codes::kDistanceCodeBits;
using zb_explode_codes::kDistanceCodes;

// ASCII-mode literal code, indexed by byte value; 4 to 13 bits.
using zb_explode_codes::kAsciiCodeBits;
using zb_explode_codes::kAsciiCodes;

// Stream header values and limits.
inline constexpr uint8_t kModeBinary = 0;
inline constexpr uint8_t kModeAscii = 1;
inline constexpr uint32_t kMinRepetition = 2;
inline constexpr uint32_t kMaxRepetition = 518;  // length value 516; 517 is the end symbol
inline constexpr uint32_t kEndLengthValue = 517;
inline constexpr uint32_t kMaxDistance2 = 256;  // 2-byte repetitions always carry 2 low bits

}  // namespace implode
