#include "common/text_format.h"

namespace {

// Appends text to out at *used, keeping room for the NUL.
void Append(char* out, size_t outSize, size_t* used, const char* text) {
  while (*text != '\0' && *used + 1 < outSize) out[(*used)++] = *text++;
}

}  // namespace

void FormatWithText(char* out, size_t outSize, const char* format, const char* text) {
  size_t used = 0;
  bool inserted = false;
  for (const char* p = format; *p != '\0' && used + 1 < outSize; ++p) {
    if (p[0] == '%' && p[1] == 's' && !inserted) {
      Append(out, outSize, &used, text);
      inserted = true;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out[used++] = '%';
      ++p;
    } else {
      out[used++] = *p;
    }
  }
  out[used] = '\0';
}

void FormatErrorText(char* out, size_t outSize, const char* message, uint32_t code) {
  char hex[9];
  int digits = 0;
  do {
    hex[digits++] = "0123456789abcdef"[code & 0xF];
    code >>= 4;
  } while (code != 0);
  char reversed[9];
  for (int i = 0; i < digits; ++i) reversed[i] = hex[digits - 1 - i];
  reversed[digits] = '\0';
  size_t used = 0;
  Append(out, outSize, &used, "Error: ");
  Append(out, outSize, &used, message);
  Append(out, outSize, &used, " (");
  Append(out, outSize, &used, reversed);
  Append(out, outSize, &used, ")\n");
  out[used] = '\0';
}
