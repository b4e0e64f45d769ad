// The LZMA2 decoder against liblzma's on the same input, with a 1 MiB dictionary limit.
// Input: one control byte (bit 0: split the data into two members, at the offset given by the
// next two bytes), then the member data: the dictionary byte and LZMA2 chunks. A whole-stream
// decode must succeed exactly when liblzma's does (the stream ending at a chunk boundary or at
// its end marker) and give the same bytes; a split decode that succeeds must give them too.
#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "explode/lzma_decode.h"

namespace {

constexpr uint32_t kFuzzDictLimit = 1u << 20;
constexpr size_t kOutputCap = 64u << 20;  // bytes kept of either output; the rest is counted

struct Feed {
  const uint8_t* data;
  size_t size;
  size_t pos;
  std::vector<uint8_t>* output;
  size_t total;
};

uint32_t Read(uint8_t* buffer, uint32_t* size, void* user) {
  Feed& feed = *static_cast<Feed*>(user);
  const size_t count = std::min<size_t>(*size, feed.size - feed.pos);
  std::memcpy(buffer, feed.data + feed.pos, count);
  feed.pos += count;
  return uint32_t(count);
}

void Write(uint8_t* buffer, uint32_t* size, void* user) {
  Feed& feed = *static_cast<Feed*>(user);
  feed.total += *size;
  const size_t room = kOutputCap - std::min(kOutputCap, feed.output->size());
  feed.output->insert(feed.output->end(), buffer, buffer + std::min<size_t>(*size, room));
}

// liblzma's verdict on data: true when it decodes to a stream end that uses all of data or
// all but a final end marker appended here (so that data ending at a chunk boundary counts).
bool DecodeWithLiblzma(const uint8_t* data, size_t size, std::vector<uint8_t>* output,
                       size_t* total) {
  lzma_options_lzma options;
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_filter probe = {LZMA_FILTER_LZMA2, nullptr};
  if (size == 0 || lzma_properties_decode(&probe, nullptr, data, 1) != LZMA_OK) return false;
  options = *static_cast<lzma_options_lzma*>(probe.options);
  std::free(probe.options);
  if (options.dict_size > kFuzzDictLimit) return false;
  std::vector<uint8_t> input(data + 1, data + size);
  input.push_back(0x00);
  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_decoder(&stream, filters) != LZMA_OK) abort();
  stream.next_in = input.data();
  stream.avail_in = input.size();
  std::vector<uint8_t> buffer(1 << 16);
  lzma_ret ret = LZMA_OK;
  while (ret == LZMA_OK) {
    stream.next_out = buffer.data();
    stream.avail_out = buffer.size();
    ret = lzma_code(&stream, LZMA_RUN);
    const size_t produced = buffer.size() - stream.avail_out;
    *total += produced;
    const size_t room = kOutputCap - std::min(kOutputCap, output->size());
    output->insert(output->end(), buffer.begin(), buffer.begin() + std::min(produced, room));
    if (ret == LZMA_OK && stream.avail_in == 0 && produced == 0) break;
  }
  const size_t left = stream.avail_in;
  lzma_end(&stream);
  return ret == LZMA_STREAM_END && left <= 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const bool split = (data[0] & 1) != 0;
  const size_t cut = 3 + ((size_t(data[1]) << 8 | data[2]) % (size - 2));
  data += 3;
  size -= 3;
  std::vector<uint8_t> ours;
  Feed feed = {data, split ? cut - 3 : size, 0, &ours, 0};
  LzmaDecoder* decoder = NewLzmaDecoder(kFuzzDictLimit);
  uint32_t result = DecodeLzmaMember(decoder, true, Read, Write, &feed);
  if (split && result == kLzmaOk) {
    feed.size = size;
    result = DecodeLzmaMember(decoder, false, Read, Write, &feed);
  }
  FreeLzmaDecoder(decoder);
  std::vector<uint8_t> theirs;
  size_t theirTotal = 0;
  const bool theirsOk = DecodeWithLiblzma(data, size, &theirs, &theirTotal);
  if (result == kLzmaOk && (!theirsOk || ours != theirs || feed.total != theirTotal)) abort();
  if (!split && theirsOk && result != kLzmaOk) abort();
  return 0;
}
