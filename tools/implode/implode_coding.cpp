#include "implode/implode_coding.h"

#include "implode/implode_codes.h"

using namespace implode;

void InitImplodeCoding(ImplodeCoding& coding, uint8_t mode, uint8_t dictBits) {
  coding.dictBits = dictBits;
  coding.maxDistance = 64u << dictBits;
  for (uint32_t b = 0; b < 256; ++b) {
    if (mode == kModeBinary) {
      coding.literalCode[b] = b << 1;
      coding.literalBits[b] = 9;
    } else {
      coding.literalCode[b] = uint32_t{kAsciiCodes[b]} << 1;
      coding.literalBits[b] = static_cast<uint8_t>(1 + kAsciiCodeBits[b]);
    }
  }
  coding.lengthCode[0] = coding.lengthCode[1] = 0;
  coding.lengthBits[0] = coding.lengthBits[1] = 0;
  for (uint32_t length = kMinRepetition; length <= kMaxRepetition; ++length) {
    const uint32_t value = length - 2;
    uint32_t code = 15;
    while (kLengthBase[code] > value) --code;
    const uint32_t codeBits = kLengthCodeBits[code];
    coding.lengthCode[length] = static_cast<uint16_t>(
        1u | uint32_t{kLengthCodes[code]} << 1 | (value - kLengthBase[code]) << (1 + codeBits));
    coding.lengthBits[length] = static_cast<uint8_t>(1 + codeBits + kLengthExtraBits[code]);
  }
  coding.distance2Code[0] = 0;
  coding.distance2Bits[0] = 0;
  for (uint32_t distance = 1; distance <= kMaxDistance2; ++distance) {
    const uint32_t high = (distance - 1) >> 2;
    coding.distance2Code[distance] = static_cast<uint16_t>(
        kDistanceCodes[high] | ((distance - 1) & 3u) << kDistanceCodeBits[high]);
    coding.distance2Bits[distance] = static_cast<uint8_t>(kDistanceCodeBits[high] + 2);
  }
  coding.distanceCode[0] = 0;
  coding.distanceBits[0] = 0;
  for (uint32_t distance = 1; distance <= 4096; ++distance) {
    const uint32_t high = (distance - 1) >> dictBits;
    // Beyond the dictionary there is no code; 0 marks it, and no parser reaches it.
    if (high >= 64) {
      coding.distanceCode[distance] = 0;
      coding.distanceBits[distance] = 0;
      continue;
    }
    const uint32_t low = (distance - 1) & ((1u << dictBits) - 1);
    coding.distanceCode[distance] =
        static_cast<uint16_t>(kDistanceCodes[high] | low << kDistanceCodeBits[high]);
    coding.distanceBits[distance] = static_cast<uint8_t>(kDistanceCodeBits[high] + dictBits);
  }
}
