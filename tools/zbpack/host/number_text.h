// Numbers as zbpack reads them from text.
#pragma once
#include <cstdint>
#include <string>

// Every number zbpack reads (option values, version numbers, SOURCE_DATE_EPOCH), so that all take
// the same forms: decimal digits, or "0x" and hex digits; the whole text, no sign or blanks;
// at most maxValue. False, *value untouched, for anything else.
bool ParseNumber(const std::string& text, uint64_t maxValue, uint64_t* value);

// The value of a hex digit (either case), or -1 for any other character.
int HexDigitValue(char c);
