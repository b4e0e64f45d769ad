// The encoder's one-shot entry: one whole stream from a source, with the encoder record on the
// heap. Callers that push their input piece by piece use ImplodeInit/Feed/Finish (implode.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "implode/implode.h"

// Places up to `size` bytes at buffer and returns how many; 0 ends the input (a source that
// fails remembers that itself and returns 0).
using ImplodeSourceFn = size_t (*)(uint8_t* buffer, size_t size, void* userData);

// Encodes everything source delivers into one stream through writeFn. Returns false when a
// setting is out of range or writeFn refused output. stats (optional) gets the encoder's
// figures.
bool ImplodeAll(const ImplodeSettings& settings, ImplodeSourceFn source, void* sourceData,
                ImplodeWriteFn writeFn, void* writeData, ImplodeStats* stats = nullptr);

// The same for `size` bytes in memory; `out` is replaced by the stream.
bool ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeSettings& settings,
                   std::vector<uint8_t>& out, ImplodeStats* stats = nullptr);
