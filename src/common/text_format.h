// Bounded text formatting for the few messages the program builds. The formats come from the
// program's own resources and hold at most one "%s"; the inserted text comes from the archive
// and may be of any length, so every result is cut to its buffer, never overrun.
#pragma once
#include <cstddef>
#include <cstdint>

// Copies format into out with its first "%s" replaced by text ("%%" becomes "%"). Writes at
// most outSize bytes, NUL included; a longer result is cut. outSize must be at least 1.
void FormatWithText(char* out, size_t outSize, const char* format, const char* text);

// The error box's text: "Error: <message> (<code in lower-case hex, no leading zeros>)\n",
// cut to outSize bytes.
void FormatErrorText(char* out, size_t outSize, const char* message, uint32_t code);
