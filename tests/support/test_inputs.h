// Reproducible inputs for the tests: every generator is a pure function of its size
// and seed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> RandomBytes(size_t size, uint64_t seed);
// Words of a small English vocabulary with spaces, punctuation and line breaks.
std::vector<uint8_t> TextLike(size_t size, uint64_t seed);
// Machine-code-like data: runs of zeros, records repeated with small changes at many
// distances (near, 257..4096 and beyond the largest window), and stretches of noise.
std::vector<uint8_t> StructuredBinary(size_t size, uint64_t seed);
