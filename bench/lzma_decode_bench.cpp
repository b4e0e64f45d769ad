// The LZMA decoder alone on an installer's LZMA members: the whole installer is read into
// memory first, each member is decoded in archive order through in-memory callbacks that only
// count the output, and the decoded bytes per second are printed. No CRC-32, no files.
// Usage: zblzmabench INSTALLER   -> "lzma_decode_MB/s N" (MB = 10^6 bytes)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/archive_format.h"
#include "explode/lzma_decode.h"

namespace {

struct Memory {
  const uint8_t* data;
  uint32_t left;
  uint64_t written;
};

uint32_t ReadMemory(uint8_t* buffer, uint32_t* size, void* user) {
  Memory& memory = *static_cast<Memory*>(user);
  const uint32_t count = *size < memory.left ? *size : memory.left;
  std::memcpy(buffer, memory.data, count);
  memory.data += count;
  memory.left -= count;
  return count;
}

void CountOutput(uint8_t*, uint32_t* size, void* user) {
  static_cast<Memory*>(user)->written += *size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: zblzmabench INSTALLER\n"), 2;
  FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) return std::fprintf(stderr, "zblzmabench: cannot open %s\n", argv[1]), 1;
  std::vector<uint8_t> bytes;
  uint8_t chunk[1 << 16];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  std::fclose(file);
  if (bytes.size() < kSeaTrailerSize) return std::fprintf(stderr, "zblzmabench: no installer\n"), 1;
  SeaTrailer trailer;
  DecodeSeaTrailer(
      *reinterpret_cast<const uint8_t(*)[kSeaTrailerSize]>(&bytes[bytes.size() - kSeaTrailerSize]),
      &trailer);
  LzmaDecoder* decoder = NewLzmaDecoder(kLzmaDictLimit);
  size_t offset = size_t(trailer.archiveOffset) + 4;
  uint64_t decoded = 0;
  const auto start = std::chrono::steady_clock::now();
  for (uint32_t i = 0; i < trailer.fileCount && offset + kFileHeaderSize <= bytes.size(); ++i) {
    FileHeader header;
    DecodeFileHeader(*reinterpret_cast<const uint8_t(*)[kFileHeaderSize]>(&bytes[offset]), &header);
    offset += kFileHeaderSize + header.nameLength;
    if (offset + header.storedSize > bytes.size()) break;
    Memory memory = {&bytes[offset], header.storedSize, 0};
    offset += header.storedSize;
    if (!IsLzmaMember(header)) continue;
    if (DecodeLzmaMember(decoder, header.compressed == kLzmaStartMember, ReadMemory, CountOutput,
                         &memory) != kLzmaOk) {
      return std::fprintf(stderr, "zblzmabench: member %u does not decode\n", i + 1), 1;
    }
    decoded += memory.written;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  FreeLzmaDecoder(decoder);
  std::printf("lzma_decoded_bytes %llu\nlzma_decode_MB/s %.1f\n",
              static_cast<unsigned long long>(decoded), double(decoded) / seconds / 1e6);
  return 0;
}
