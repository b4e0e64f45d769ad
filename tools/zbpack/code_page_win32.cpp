// The code page tables from Windows itself. Each byte is converted alone and must give one
// character; a conversion back with WC_NO_BEST_FIT_CHARS must give the same byte without the
// default character, so that only exact round trips enter the table.
#include <windows.h>

#include "zbpack/code_page.h"

bool LoadCodePageTable(uint32_t codePage, uint32_t (&table)[256]) {
  CPINFO info;
  if (!IsValidCodePage(codePage) || !GetCPInfo(codePage, &info) || info.MaxCharSize != 1) {
    return false;
  }
  for (int value = 0; value < 256; ++value) {
    table[value] = 0xFFFFFFFFu;
    const char in = static_cast<char>(value);
    wchar_t wide[2];
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &in, 1, wide, 2) != 1) continue;
    char back = 0;
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, 1, &back, 1, nullptr,
                            &usedDefault) == 1 &&
        !usedDefault && back == in) {
      table[value] = static_cast<uint32_t>(wide[0]);
    }
  }
  return true;
}
