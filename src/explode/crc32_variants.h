// The ways of computing the CRC-32 that Crc32Update chooses between, exposed so that tests can
// hold each against the plain byte-at-a-time update and benchmarks can time each. All take and
// return the running value exactly like Crc32Update (no seed, no final complement).
#pragma once
#include <cstdint>

struct Crc32Slices {
  // table[0] is the standard byte table; table[k][i] is the value of byte i followed by k zero
  // bytes, so 16 bytes fold into the running value with 16 independent lookups.
  uint32_t table[16][256];
};

constexpr Crc32Slices BuildCrc32Slices() {
  Crc32Slices t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t.table[0][i] = c;
  }
  for (uint32_t k = 1; k < 16; ++k) {
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t prev = t.table[k - 1][i];
      t.table[k][i] = t.table[0][prev & 0xFF] ^ (prev >> 8);
    }
  }
  return t;
}

inline constexpr Crc32Slices kCrc32Slices = BuildCrc32Slices();
// The standard table of the reflected CRC-32, polynomial 0xEDB88320.
inline constexpr const uint32_t (&kCrc32Table)[256] = kCrc32Slices.table[0];

// One table lookup per byte: the definition the others must agree with.
uint32_t Crc32UpdateBytewise(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
// Sixteen lookups per 16 bytes; portable.
uint32_t Crc32UpdateSliced(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
// True when this processor has the carry-less multiply that Crc32UpdateClmul needs.
bool Crc32HasClmul();
// Carry-less multiply folding, 64 bytes per step. Falls back to Crc32UpdateSliced where the
// instruction or the compiler support is missing.
uint32_t Crc32UpdateClmul(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
