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

// Filled by Crc32Init, all zero before it; never written afterwards.
extern Crc32Slices crc32Slices;

// Fills the tables and notes whether the processor has the carry-less multiply, on the first
// call. Safe from any thread; every call returns with the tables filled. Crc32Update and the
// functions below call it themselves; code that reads crc32Slices directly calls it first.
void Crc32Init();

// One table lookup per byte: the definition the others must agree with.
uint32_t Crc32UpdateBytewise(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
// Sixteen lookups per 16 bytes; portable.
uint32_t Crc32UpdateSliced(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
// True when this processor has the carry-less multiply that Crc32UpdateClmul needs.
bool Crc32HasClmul();
// Carry-less multiply folding, 64 bytes per step. Falls back to Crc32UpdateSliced where the
// instruction or the compiler support is missing.
uint32_t Crc32UpdateClmul(const uint8_t* data, const uint32_t* size, const uint32_t* crc);
