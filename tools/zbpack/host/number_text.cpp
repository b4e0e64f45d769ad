#include "zbpack/host/number_text.h"

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseNumber(const std::string& text, uint64_t maxValue, uint64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t first = hex ? 2 : 0;
  const uint64_t base = hex ? 16 : 10;
  if (text.size() == first) return false;
  uint64_t result = 0;
  for (size_t i = first; i < text.size(); ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0 || static_cast<uint64_t>(digit) >= base) return false;
    const uint64_t d = static_cast<uint64_t>(digit);
    if (d > maxValue || result > (maxValue - d) / base) return false;
    result = result * base + d;
  }
  *value = result;
  return true;
}
