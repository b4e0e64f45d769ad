#include "archive/archive_format.h"

#include <cstring>

uint32_t LoadLE32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

void StoreLE32(uint8_t* bytes, uint32_t value) {
  bytes[0] = uint8_t(value);
  bytes[1] = uint8_t(value >> 8);
  bytes[2] = uint8_t(value >> 16);
  bytes[3] = uint8_t(value >> 24);
}

void DecodeSeaTrailer(const uint8_t (&bytes)[kSeaTrailerSize], SeaTrailer* trailer) {
  trailer->recordTag = LoadLE32(bytes + 0);
  trailer->archiveOffset = LoadLE32(bytes + 4);
  trailer->fileCount = LoadLE32(bytes + 8);
  trailer->scriptIndex = LoadLE32(bytes + 12);
  trailer->seaTag = LoadLE32(bytes + 16);
  trailer->totalBytes = LoadLE32(bytes + 20);
  std::memcpy(trailer->productName, bytes + 24, kProductNameSize);
}

void EncodeSeaTrailer(const SeaTrailer& trailer, uint8_t (&bytes)[kSeaTrailerSize]) {
  StoreLE32(bytes + 0, trailer.recordTag);
  StoreLE32(bytes + 4, trailer.archiveOffset);
  StoreLE32(bytes + 8, trailer.fileCount);
  StoreLE32(bytes + 12, trailer.scriptIndex);
  StoreLE32(bytes + 16, trailer.seaTag);
  StoreLE32(bytes + 20, trailer.totalBytes);
  std::memcpy(bytes + 24, trailer.productName, kProductNameSize);
}

void DecodeFileHeader(const uint8_t (&bytes)[kFileHeaderSize], FileHeader* header) {
  header->tag = LoadLE32(bytes + 0);
  header->nameLength = LoadLE32(bytes + 4);
  header->storedSize = LoadLE32(bytes + 8);
  header->compressed = LoadLE32(bytes + 12);
  header->originalSize = LoadLE32(bytes + 16);
  header->crc = LoadLE32(bytes + 20);
  header->lastWriteTime = uint64_t(LoadLE32(bytes + 24)) | uint64_t(LoadLE32(bytes + 28)) << 32;
}

void EncodeFileHeader(const FileHeader& header, uint8_t (&bytes)[kFileHeaderSize]) {
  StoreLE32(bytes + 0, header.tag);
  StoreLE32(bytes + 4, header.nameLength);
  StoreLE32(bytes + 8, header.storedSize);
  StoreLE32(bytes + 12, header.compressed);
  StoreLE32(bytes + 16, header.originalSize);
  StoreLE32(bytes + 20, header.crc);
  StoreLE32(bytes + 24, uint32_t(header.lastWriteTime));
  StoreLE32(bytes + 28, uint32_t(header.lastWriteTime >> 32));
}

namespace {

constexpr uint32_t TagType(uint32_t tag) { return tag >> 16; }

}  // namespace

ResultCode TestSeaTrailerTag(uint32_t tag) {
  if (tag == kSeaTrailerTag) return kNoError;
  return TagType(tag) == TagType(kSeaTrailerTag) ? kBadSeaVersion : kArchiveCorrupted;
}

ResultCode TestArchiveTag(uint32_t tag) {
  if (tag == kArchiveTag) return kNoError;
  return TagType(tag) == TagType(kArchiveTag) ? kBadSeaVersion : kArchiveCorrupted;
}

ResultCode TestFileHeaderTag(uint32_t tag) {
  if (tag == kFileHeaderTag) return kNoError;
  if (TagType(tag) == TagType(kFileHeaderTag)) return kBadArchiveVersion;
  // A closing record where a member was expected: fileCount overstates the members.
  if (TagType(tag) == TagType(kSeaTrailerTag)) return kZbSeaBadArchiveCount;
  return kFileCorrupted;
}
