#include "zbpack/archive_writer.h"

bool WriteOutput(ArchiveOutput& output, const void* data, size_t size) {
  size_t kept = size;
  if (output.limit) {
    const uint64_t room = output.offset < *output.limit ? *output.limit - output.offset : 0;
    if (kept > room) kept = static_cast<size_t>(room);
  }
  output.offset += size;
  return kept == 0 || std::fwrite(data, 1, kept, output.file) == kept;
}

bool WriteArchiveTag(ArchiveOutput& output, uint32_t tag) {
  uint8_t bytes[4];
  StoreLE32(bytes, tag);
  return WriteOutput(output, bytes, sizeof bytes);
}

bool WriteMember(ArchiveOutput& output, const FileHeader& header, const std::string& nameBytes,
                 const std::vector<uint8_t>& data) {
  uint8_t headerBytes[kFileHeaderSize];
  EncodeFileHeader(header, headerBytes);
  return WriteOutput(output, headerBytes, sizeof headerBytes) &&
         WriteOutput(output, nameBytes.data(), nameBytes.size()) &&
         WriteOutput(output, data.data(), data.size());
}

bool WriteTrailer(ArchiveOutput& output, const SeaTrailer& trailer) {
  uint8_t bytes[kSeaTrailerSize];
  EncodeSeaTrailer(trailer, bytes);
  return WriteOutput(output, bytes, sizeof bytes);
}
