#include "test_icon.h"

#include <string>

#include "test_archive.h"  // Crc32Of

namespace {

void Le(Bytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void Be32(Bytes& out, uint32_t value) {
  for (int i = 3; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Be32(png, uint32_t(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  png.insert(png.end(), typed.begin(), typed.end());
  Be32(png, Crc32Of(typed));
}

Bytes Png(uint32_t side) {
  Bytes raw;  // each row: filter 0, then RGBA
  for (uint32_t y = 0; y < side; ++y) {
    raw.push_back(0);
    for (uint32_t x = 0; x < side; ++x) raw.insert(raw.end(), {0xC0, 0x60, 0x20, 0xFF});
  }
  Bytes z = {0x78, 0x01, 0x01};  // zlib head, one final stored block
  Le(z, uint32_t(raw.size()), 2);
  Le(z, uint32_t(~raw.size() & 0xFFFF), 2);
  z.insert(z.end(), raw.begin(), raw.end());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Be32(z, b << 16 | a);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes head;
  Be32(head, side);
  Be32(head, side);
  head.insert(head.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA
  Chunk(png, "IHDR", head);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

Bytes Bitmap(uint32_t side) {
  Bytes bmp;
  Le(bmp, 40, 4);
  Le(bmp, side, 4);
  Le(bmp, side * 2, 4);  // colour rows and mask rows
  Le(bmp, 1, 2);
  Le(bmp, 32, 2);
  for (int i = 0; i < 6; ++i) Le(bmp, 0, 4);
  for (uint32_t i = 0; i < side * side; ++i) Le(bmp, 0xFFC06020, 4);
  bmp.resize(bmp.size() + side * 4, 0);  // the AND mask: 1 bit a pixel, rows of 4 bytes
  return bmp;
}

}  // namespace

std::vector<uint8_t> TestIconFile() {
  const Bytes pictures[2] = {Bitmap(16), Png(32)};
  Bytes file;
  Le(file, 0, 2);
  Le(file, 1, 2);
  Le(file, 2, 2);
  uint32_t offset = 6 + 16 * 2;
  for (int i = 0; i < 2; ++i) {
    file.insert(file.end(), {uint8_t(16 << i), uint8_t(16 << i), 0, 0});
    Le(file, 1, 2);
    Le(file, 32, 2);
    Le(file, uint32_t(pictures[i].size()), 4);
    Le(file, offset, 4);
    offset += uint32_t(pictures[i].size());
  }
  for (const Bytes& picture : pictures) file.insert(file.end(), picture.begin(), picture.end());
  return file;
}
