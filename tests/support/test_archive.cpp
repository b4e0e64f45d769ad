#include "test_archive.h"

#include <cstring>

#include "archive/archive_format.h"
#include "explode/crc32.h"

Bytes BuildArchive(const Bytes& stub, const std::vector<TestMember>& members, uint32_t scriptIndex,
                   const std::string& productName) {
  Bytes out = stub;
  out.resize(out.size() + 4);
  StoreLE32(&out[out.size() - 4], kArchiveTag);
  uint32_t total = 0;
  for (const TestMember& member : members) {
    FileHeader header;
    header.tag = member.tag;
    header.nameLength = member.nameLengthOverride >= 0 ? uint32_t(member.nameLengthOverride)
                                                       : uint32_t(member.name.size() + 1);
    header.storedSize = member.storedSizeOverride >= 0 ? uint32_t(member.storedSizeOverride)
                                                       : uint32_t(member.data.size());
    header.compressed = member.compressed;
    header.originalSize = member.originalSizeOverride >= 0 ? uint32_t(member.originalSizeOverride)
                                                           : uint32_t(member.data.size());
    header.crc = member.crc;
    header.lastWriteTime = member.lastWriteTime;
    uint8_t bytes[kFileHeaderSize];
    EncodeFileHeader(header, bytes);
    out.insert(out.end(), bytes, bytes + kFileHeaderSize);
    out.insert(out.end(), member.name.begin(), member.name.end());
    out.push_back(0);
    out.insert(out.end(), member.data.begin(), member.data.end());
    total += uint32_t(member.data.size());
  }
  SeaTrailer trailer = {kSeaTrailerTag,
                        uint32_t(stub.size()),
                        uint32_t(members.size()),
                        scriptIndex,
                        kSeaTrailerTag,
                        total == 0 ? 1 : total,
                        {}};
  std::strncpy(trailer.productName, productName.c_str(), kProductNameSize - 1);
  uint8_t bytes[kSeaTrailerSize];
  EncodeSeaTrailer(trailer, bytes);
  out.insert(out.end(), bytes, bytes + kSeaTrailerSize);
  return out;
}

uint32_t Crc32Of(const Bytes& bytes) {
  const uint32_t size = uint32_t(bytes.size());
  const uint32_t seed = 0xFFFFFFFFu;
  return Crc32Update(bytes.data(), &size, &seed) ^ 0xFFFFFFFFu;
}
