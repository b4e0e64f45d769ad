#include "zbpack/operations/archive_writer.h"

bool WriteBytes(FILE* output, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, output) == size;
}

bool WriteArchiveTag(FILE* output, uint32_t tag) {
  uint8_t bytes[4];
  StoreLE32(bytes, tag);
  return WriteBytes(output, bytes, sizeof bytes);
}

bool WriteFileHeader(FILE* output, const FileHeader& header) {
  uint8_t bytes[kFileHeaderSize];
  EncodeFileHeader(header, bytes);
  return WriteBytes(output, bytes, sizeof bytes);
}

bool WriteTrailer(FILE* output, const SeaTrailer& trailer) {
  uint8_t bytes[kSeaTrailerSize];
  EncodeSeaTrailer(trailer, bytes);
  return WriteBytes(output, bytes, sizeof bytes);
}
