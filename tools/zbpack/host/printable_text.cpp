#include "zbpack/host/printable_text.h"

#include <cstdio>

#include "zbpack/host/code_page.h"

std::string Printable(const std::string& text) {
  std::string shown;
  size_t at = 0;
  while (at < text.size()) {
    const size_t start = at;
    uint32_t codePoint = 0;
    const bool decoded = DecodeUtf8(text, &at, &codePoint);
    if (decoded && codePoint >= 0x20 && (codePoint < 0x7F || codePoint > 0x9F)) {
      shown.append(text, start, at - start);
      continue;
    }
    // A control character, or a byte that is not UTF-8: each byte escaped.
    if (!decoded) at = start + 1;
    for (size_t i = start; i < at; ++i) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[i]));
      shown += escaped;
    }
  }
  return shown;
}
