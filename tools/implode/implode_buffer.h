// One-shot encoding of a buffer held in memory, for the packer and the tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "implode/implode.h"

// Replaces `out` with the stream of `size` bytes at data. Returns false when a setting is out of
// range. `stats` (optional) receives the encoder's figures.
bool ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeSettings& settings,
                   std::vector<uint8_t>& out, ImplodeStats* stats = nullptr);
