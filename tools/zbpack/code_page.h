// The installer's texts (member names, the product name, the script) are in a Windows
// single-byte code page, the one the stub's system uses for its ANSI texts; zbpack's users
// give them in UTF-8. These convert between the two, exactly: no best-fit substitutes, so a
// character the code page cannot hold is refused by name instead of being replaced.
#pragma once
#include <cstdint>
#include <string>

constexpr uint32_t kDefaultCodePage = 1252;  // Western European, Windows' most common

// Whether codePage is a Windows single-byte code page that zbpack converts to (437, 737, 775,
// 850, 852, 855, 857, 858, 860-866, 869, 874, 1250-1258) and the system can convert.
bool CodePageUsable(uint32_t codePage);

// The code pages above as text for messages: "437, 737, ..., 1258".
std::string UsableCodePagesText();

// Converts UTF-8 into codePage (which must be usable) into *out. Returns "" on success, else the
// problem: the first character the code page lacks ("'€' (U+20AC) is not in code page 437"),
// or where the text is not UTF-8.
std::string Utf8ToCodePage(const std::string& utf8, uint32_t codePage, std::string* out);

// Converts bytes of codePage back into UTF-8; bytes the code page leaves undefined become
// U+FFFD.
std::string CodePageToUtf8(const std::string& bytes, uint32_t codePage);

// Decodes the UTF-8 sequence at text[*at] (*at inside text), moving *at past it. False for a
// malformed sequence (bad lead or continuation byte, overlong form, surrogate, above
// U+10FFFF, cut short), *at then unchanged.
bool DecodeUtf8(const std::string& text, size_t* at, uint32_t* codePoint);

// Platform part: the code point of each byte of codePage, 0xFFFFFFFF where the byte is
// undefined. False when the system cannot convert codePage.
bool LoadCodePageTable(uint32_t codePage, uint32_t (&table)[256]);
