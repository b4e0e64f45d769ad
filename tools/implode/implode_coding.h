// What every symbol of an implode stream costs in bits and which code writes it, for one
// choice of literal mode and dictionary size. Built once per stream by InitImplodeCoding; the
// parsers price their choices with these tables and the symbol writer uses the same codes, so
// a parse's priced cost is exactly the number of bits it puts into the stream.
#pragma once
#include <cstdint>

struct ImplodeCoding {
  uint8_t dictBits = 6;             // low distance bits of repetitions longer than 2 bytes
  uint32_t maxDistance = 4096;      // 64 << dictBits: farthest distance of such repetitions
  uint32_t literalCode[256] = {};   // flag bit 0 followed by the literal's code, LSB first
  uint8_t literalBits[256] = {};    // bits of literalCode: 9 (binary) or 1 + ASCII code bits
  uint8_t lengthBits[519] = {};     // flag + length code + extra bits, by repetition bytes 2..518
  uint8_t distance2Bits[257] = {};  // distance code + 2 low bits, by distance 1..256 (2 bytes)
  uint8_t distanceBits[4097] = {};  // distance code + dictBits low bits, by distance 1..maxDistance
  // The same fields as they go into the stream, LSB first: flag 1, length code, extra bits
  // (16 bits at most); distance code, low bits (14 bits at most). A repetition is one put of
  // lengthCode | distanceCode << lengthBits. Length 1 and distance 0 code as nothing (0 bits),
  // so that a literal's step (length 1, distance 0) prices and codes as an empty repetition.
  uint16_t lengthCode[519] = {};
  uint16_t distance2Code[257] = {};
  uint16_t distanceCode[4097] = {};
};

// mode: 0 binary or 1 ASCII literals; dictBits: 4, 5 or 6 (the caller has checked both).
void InitImplodeCoding(ImplodeCoding& coding, uint8_t mode, uint8_t dictBits);

// Bits of one repetition of `length` bytes (2..518) at `distance` (within the limits of its
// length). The distance tables are non-decreasing, so the nearest source is never dearer.
inline uint32_t RepetitionBits(const ImplodeCoding& coding, uint32_t length, uint32_t distance) {
  return uint32_t{coding.lengthBits[length]} +
         (length == 2 ? coding.distance2Bits[distance] : coding.distanceBits[distance]);
}

// The stream bits of that repetition, RepetitionBits of them (30 at most).
inline uint32_t RepetitionCode(const ImplodeCoding& coding, uint32_t length, uint32_t distance) {
  const uint32_t distanceCode =
      length == 2 ? coding.distance2Code[distance] : coding.distanceCode[distance];
  return uint32_t{coding.lengthCode[length]} | distanceCode << coding.lengthBits[length];
}
