#include "implode/implode_buffer.h"

#include <memory>

static bool AppendToVector(const uint8_t* data, uint32_t size, void* userData) {
  auto* out = static_cast<std::vector<uint8_t>*>(userData);
  out->insert(out->end(), data, data + size);
  return true;
}

bool ImplodeBuffer(const uint8_t* data, size_t size, const ImplodeSettings& settings,
                   std::vector<uint8_t>& out, ImplodeStats* stats) {
  out.clear();
  // The encoder record is too large for the stack.
  std::unique_ptr<ImplodeEncoder> encoder(new ImplodeEncoder);
  if (!ImplodeInit(*encoder, settings, AppendToVector, &out)) return false;
  ImplodeFeed(*encoder, data, size);
  ImplodeFinish(*encoder);
  if (stats != nullptr) *stats = encoder->stats;
  return true;
}
