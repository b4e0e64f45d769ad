// The fixed sizes of the program's text buffers, in bytes, NUL included. Every path, name and
// text that the program builds or loads fits one of these or is cut to it.
#pragma once
#include <cstddef>

constexpr size_t kPathSize = 260;  // every path buffer
constexpr size_t kTextSize = 256;  // names, messages and texts loaded from the string table
