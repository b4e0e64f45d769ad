#include "zbpack/host/code_page.h"

#include <cstdio>
#include <map>

#include "zbpack/host/code_page_tables.h"

namespace {

constexpr uint32_t kAnsiCodePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
// The OEM (console) code pages: a system's ANSI code page is never one of them.
constexpr uint32_t kOemCodePages[] = {437, 737, 775, 850, 852, 855, 857, 858,
                                      860, 861, 862, 863, 864, 865, 866, 869};

// One code page from Unicode: the inverse of the generated table, so that only characters that
// convert back to themselves are written (no best-fit look-alikes).
struct CodePageMaps {
  bool loaded = false;
  std::map<uint32_t, uint8_t> fromUnicode;
};

const CodePageMaps* MapsOf(uint32_t codePage) {
  const CodePageByte* bytes = CodePageBytes(codePage);
  if (bytes == nullptr) return nullptr;
  static std::map<uint32_t, CodePageMaps> cache;
  CodePageMaps& maps = cache[codePage];
  if (!maps.loaded) {
    for (int byte = 255; byte >= 0; --byte) {
      // Where two bytes give one character, the lower byte is the one written.
      maps.fromUnicode[bytes[byte].unit] = static_cast<uint8_t>(byte);
    }
    maps.loaded = true;
  }
  return &maps;
}

}  // namespace

bool DecodeUtf8(const std::string& text, size_t* at, uint32_t* codePoint) {
  const auto byteAt = [&text](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byteAt(*at);
  size_t length = 1;
  uint32_t value = lead;
  uint32_t minimum = 0;
  if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07u, minimum = 0x10000;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0x80) {
    return false;
  }
  if (*at + length > text.size()) return false;
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = byteAt(*at + i);
    if ((next & 0xC0u) != 0x80u) return false;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *at += length;
  *codePoint = value;
  return true;
}

namespace {

// A byte of these code pages is one UTF-16 unit and never a surrogate: at most three bytes.
void AppendUtf8(uint16_t unit, std::string* out) {
  if (unit < 0x80) {
    out->push_back(static_cast<char>(unit));
  } else if (unit < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (unit >> 6)));
    out->push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (unit >> 12)));
    out->push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  }
}

}  // namespace

bool CodePageUsable(uint32_t codePage) { return CodePageBytes(codePage) != nullptr; }

bool IsOemCodePage(uint32_t codePage) {
  for (const uint32_t page : kOemCodePages) {
    if (page == codePage) return true;
  }
  return false;
}

std::string UsableCodePagesText() { return "874, 1250-1258"; }

std::string Utf8ToCodePage(const std::string& utf8, uint32_t codePage, std::string* out) {
  const CodePageMaps* maps = MapsOf(codePage);
  if (maps == nullptr) return "code page " + std::to_string(codePage) + " cannot be used";
  out->clear();
  size_t at = 0;
  while (at < utf8.size()) {
    const size_t start = at;
    uint32_t codePoint = 0;
    if (!DecodeUtf8(utf8, &at, &codePoint)) {
      return "not UTF-8 text (byte " + std::to_string(start + 1) + ")";
    }
    const auto found = maps->fromUnicode.find(codePoint);
    if (found == maps->fromUnicode.end()) {
      char number[16];
      std::snprintf(number, sizeof number, "U+%04lX", static_cast<unsigned long>(codePoint));
      const std::string shown = codePoint < 0x20 ? "" : "'" + utf8.substr(start, at - start) + "' ";
      return shown + "(" + number + ") is not in code page " + std::to_string(codePage);
    }
    out->push_back(static_cast<char>(found->second));
  }
  return "";
}

std::string CodePageToUtf8(const std::string& bytes, uint32_t codePage) {
  const CodePageByte* table = CodePageBytes(codePage);
  std::string out;
  for (const char c : bytes) {
    AppendUtf8(table != nullptr ? table[static_cast<uint8_t>(c)].unit : uint16_t{0xFFFD}, &out);
  }
  return out;
}

std::string UppercaseAsWindows(const std::string& bytes, uint32_t codePage) {
  const CodePageByte* table = CodePageBytes(codePage);
  std::string out;
  for (const char c : bytes) {
    AppendUtf8(table != nullptr ? table[static_cast<uint8_t>(c)].upper : uint16_t{0xFFFD}, &out);
  }
  return out;
}
