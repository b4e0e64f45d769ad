// The LZMA method through liblzma's raw encoder.
#include <lzma.h>

#include <vector>

#include "archive/archive_format.h"
#include "explode/lzma_decode.h"
#include "zbpack/operations/member_lzma.h"

struct PackLzma {
  lzma_stream stream = LZMA_STREAM_INIT;
  lzma_options_lzma options = {};
  bool solid = false;
  bool open = false;         // a stream is running (solid: from the first member on)
  uint64_t streamBytes = 0;  // bytes a solid stream holds at most
  FILE* output = nullptr;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(1 << 16);
};

namespace {

// Runs the encoder over its input (or, flushing, until the chunk is complete), writing what
// it gives. False on an encoder error or a failed write.
bool Pump(PackLzma* lzma, lzma_action action) {
  for (;;) {
    lzma->stream.next_out = lzma->buffer.data();
    lzma->stream.avail_out = lzma->buffer.size();
    const lzma_ret ret = lzma_code(&lzma->stream, action);
    const size_t produced = lzma->buffer.size() - lzma->stream.avail_out;
    if (produced > 0 && std::fwrite(lzma->buffer.data(), 1, produced, lzma->output) != produced) {
      return false;
    }
    if (ret == LZMA_STREAM_END) return true;
    if (ret != LZMA_OK) return false;
    if (action == LZMA_RUN && lzma->stream.avail_in == 0) return true;
  }
}

// The smallest dictionary that holds bytes, at least 4 KiB and at most the preset's.
uint32_t DictionaryFor(uint64_t bytes, uint32_t preset) {
  uint32_t size = 4096;
  while (size < bytes && size < preset) size *= 2;
  return size < preset ? size : preset;
}

}  // namespace

bool LzmaEncoderAvailable() { return true; }

PackLzma* StartPackLzma(uint32_t level, bool solid, uint64_t streamBytes, std::string* error) {
  auto* lzma = new PackLzma;
  const uint32_t preset = level >= 9 ? 9 | LZMA_PRESET_EXTREME : level;
  if (lzma_lzma_preset(&lzma->options, preset)) {
    *error = "liblzma refused preset " + std::to_string(level);
    delete lzma;
    return nullptr;
  }
  if (lzma->options.dict_size > kLzmaDictLimit) lzma->options.dict_size = kLzmaDictLimit;
  lzma->solid = solid;
  lzma->streamBytes = streamBytes;
  return lzma;
}

bool BeginLzmaMember(PackLzma* lzma, FILE* output, uint64_t memberBytes, uint32_t* compressed) {
  lzma->output = output;
  if (lzma->open) {
    *compressed = kLzmaContinueMember;
    return true;
  }
  lzma_options_lzma options = lzma->options;
  options.dict_size =
      DictionaryFor(lzma->solid ? lzma->streamBytes : memberBytes, lzma->options.dict_size);
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  uint8_t dictionaryByte = 0;
  if (lzma_properties_encode(filters, &dictionaryByte) != LZMA_OK ||
      lzma_raw_encoder(&lzma->stream, filters) != LZMA_OK) {
    return false;
  }
  lzma->open = true;
  *compressed = kLzmaStartMember;
  return std::fwrite(&dictionaryByte, 1, 1, output) == 1;
}

bool FeedLzma(PackLzma* lzma, const uint8_t* data, size_t size) {
  lzma->stream.next_in = data;
  lzma->stream.avail_in = size;
  return Pump(lzma, LZMA_RUN);
}

bool EndLzmaMember(PackLzma* lzma) {
  const bool flushed = Pump(lzma, LZMA_SYNC_FLUSH);
  if (!lzma->solid) {
    lzma_end(&lzma->stream);
    lzma->open = false;
  }
  return flushed;
}

void FreePackLzma(PackLzma* lzma) {
  if (lzma == nullptr) return;
  lzma_end(&lzma->stream);
  delete lzma;
}
