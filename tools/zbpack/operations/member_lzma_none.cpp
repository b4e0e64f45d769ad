// A build without liblzma (Debian has none for MinGW): the LZMA method is not available.
#include "zbpack/operations/member_lzma.h"

bool LzmaEncoderAvailable() { return false; }

PackLzma* StartPackLzma(uint32_t, bool, uint64_t, std::string* error) {
  *error = "this zbpack was built without liblzma";
  return nullptr;
}
bool BeginLzmaMember(PackLzma*, FILE*, uint64_t, uint32_t*) { return false; }
bool FeedLzma(PackLzma*, const uint8_t*, size_t) { return false; }
bool EndLzmaMember(PackLzma*) { return false; }
void FreePackLzma(PackLzma*) {}
