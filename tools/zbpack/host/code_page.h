// The installer's texts (member names, the product name, the script) are in a Windows
// single-byte code page, the one the stub's system uses for its ANSI texts; zbpack's users
// give them in UTF-8. These convert between the two, exactly: no best-fit substitutes, so a
// character the code page cannot hold is refused by name instead of being replaced.
#pragma once
#include <cstdint>
#include <string>

constexpr uint32_t kDefaultCodePage = 1252;  // Western European, Windows' most common

// Whether codePage is a Windows ANSI code page (874, 1250-1258): the only pages a Windows
// system reads its programs' texts in.
bool CodePageUsable(uint32_t codePage);

// Whether codePage is a Windows OEM (console) code page such as 437 or 850, which no system
// uses for its ANSI texts.
bool IsOemCodePage(uint32_t codePage);

// The usable code pages as text for messages: "874, 1250-1258".
std::string UsableCodePagesText();

// Converts UTF-8 into codePage (which must be usable) into *out. Returns "" on success, else the
// problem: the first character the code page lacks ("'€' (U+20AC) is not in code page 437"),
// or where the text is not UTF-8.
std::string Utf8ToCodePage(const std::string& utf8, uint32_t codePage, std::string* out);

// Converts bytes of codePage back into UTF-8 as MultiByteToWideChar does: a byte the code page
// leaves undefined becomes the control or private-use character Windows gives it.
std::string CodePageToUtf8(const std::string& bytes, uint32_t codePage);

// The same, each character in its Unicode simple uppercase: two names of a folder are one
// file on Windows when these are equal.
std::string UppercaseAsWindows(const std::string& bytes, uint32_t codePage);

// Decodes the UTF-8 sequence at text[*at] (*at inside text), moving *at past it. False for a
// malformed sequence (bad lead or continuation byte, overlong form, surrogate, above
// U+10FFFF, cut short), *at then unchanged.
bool DecodeUtf8(const std::string& text, size_t* at, uint32_t* codePoint);
