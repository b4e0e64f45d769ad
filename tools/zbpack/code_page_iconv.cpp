// The code page tables from iconv (glibc knows the Windows code pages as "CP1252" and so on).
#include <iconv.h>

#include <string>

#include "zbpack/code_page.h"

bool LoadCodePageTable(uint32_t codePage, uint32_t (&table)[256]) {
  const std::string name = "CP" + std::to_string(codePage);
  iconv_t converter = iconv_open("UTF-32LE", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  for (int byte = 0; byte < 256; ++byte) {
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inPointer = in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh state for each byte
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    // One byte must give exactly one character.
    table[byte] = result == static_cast<size_t>(-1) || sizeof out - outLeft != 4
                      ? 0xFFFFFFFFu
                      : static_cast<uint32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
  }
  iconv_close(converter);
  return true;
}
