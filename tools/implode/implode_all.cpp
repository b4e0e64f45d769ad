#include "implode/implode_all.h"

#include <algorithm>
#include <cstring>
#include <memory>

bool ImplodeAll(const ImplodeSettings& settings, ImplodeSourceFn source, void* sourceData,
                ImplodeWriteFn writeFn, void* writeData, ImplodeStats* stats) {
  std::unique_ptr<ImplodeEncoder> encoder(new ImplodeEncoder);  // too large for the stack
  if (!ImplodeInit(*encoder, settings, writeFn, writeData)) return false;
  std::vector<uint8_t> chunk(kImplodeRegion);
  bool written = true;
  for (size_t got; written && (got = source(chunk.data(), chunk.size(), sourceData)) > 0;) {
    written = ImplodeFeed(*encoder, chunk.data(), got);
  }
  written = written && ImplodeFinish(*encoder);
  if (stats != nullptr) *stats = encoder->stats;
  return written;
}

namespace {

struct Memory {
  const uint8_t* data;
  size_t left;
};

size_t TakeFromMemory(uint8_t* buffer, size_t size, void* userData) {
  Memory& m = *static_cast<Memory*>(userData);
  const size_t n = std::min(size, m.left);
  if (n > 0) std::memcpy(buffer, m.data, n);
  m.data += n;
  m.left -= n;
  return n;
}

bool AppendToVector(const uint8_t* data, uint32_t size, void* userData) {
  auto* out = static_cast<std::vector<uint8_t>*>(userData);
  out->insert(out->end(), data, data + size);
  return true;
}

}  // namespace

bool ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeSettings& settings,
                   std::vector<uint8_t>& out, ImplodeStats* stats) {
  out.clear();
  Memory memory = {data, size};
  return ImplodeAll(settings, TakeFromMemory, &memory, AppendToVector, &out, stats);
}
