// An .ico file for the tests: a 16 x 16 picture as a 32-bit bitmap and a 32 x 32 picture as a
// PNG (stored, uncompressed deflate), both a plain square of one colour (red C0, green 60, blue 20)
// that Windows can draw.
#pragma once
#include <cstdint>
#include <vector>

std::vector<uint8_t> TestIconFile();
