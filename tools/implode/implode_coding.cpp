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
    coding.lengthCode[length] = static_cast<uint8_t>(code);
    coding.lengthBits[length] = static_cast<uint8_t>(1 + kLengthCodeBits[code] + kLengthExtraBits[code]);
  }
  coding.distance2Bits[0] = 0;
  for (uint32_t distance = 1; distance <= kMaxDistance2; ++distance) {
    coding.distance2Bits[distance] = static_cast<uint8_t>(kDistanceCodeBits[(distance - 1) >> 2] + 2);
  }
  coding.distanceBits[0] = 0;
  for (uint32_t distance = 1; distance <= 4096; ++distance) {
    const uint32_t high = (distance - 1) >> dictBits;
    // Beyond the dictionary there is no code; 0 marks it, and no parser reaches it.
    coding.distanceBits[distance] =
        high < 64 ? static_cast<uint8_t>(kDistanceCodeBits[high] + dictBits) : uint8_t{0};
  }
}
