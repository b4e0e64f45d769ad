// The archive appended to the stub, byte by byte. Every integer is little-endian; records
// follow one another without gaps:
//
//   [stub: archiveOffset bytes][kArchiveTag][member 1]...[member N][SeaTrailer: 280 bytes]
//   member = FileHeader (32 bytes) + name (nameLength bytes, NUL included) + data (storedSize)
//
// The records are decoded from and encoded to byte arrays explicitly, so that the layout is
// exact on any host whatever its endianness or struct packing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/buffer_sizes.h"
#include "common/result_codes.h"

// A tag's high 16 bits name the record type, the low 16 bits the format version (4).
constexpr uint32_t kArchiveTag = 0x000E0004;
constexpr uint32_t kFileHeaderTag = 0x000A0004;
constexpr uint32_t kSeaTrailerTag = 0x000F0004;

constexpr size_t kSeaTrailerSize = 280;   // bytes
constexpr size_t kFileHeaderSize = 32;    // bytes
constexpr size_t kProductNameSize = 256;  // bytes, NUL included
constexpr size_t kMemberNameSize = 256;   // bytes, NUL included

struct SeaTrailer {
  uint32_t recordTag;      // kSeaTrailerTag; not tested, but met by an overstated fileCount
  uint32_t archiveOffset;  // file offset of kArchiveTag (the stub's size)
  uint32_t fileCount;      // number of members
  uint32_t scriptIndex;    // 1-based index of the install script member; 0 = none
  uint32_t seaTag;         // kSeaTrailerTag; the field ReadSeaTrailer tests
  uint32_t totalBytes;     // sum of the members' originalSize; must not be 0
  char productName[kProductNameSize];  // ANSI text, NUL-terminated inside the field
};

struct FileHeader {
  uint32_t tag;            // kFileHeaderTag
  uint32_t nameLength;     // bytes of the name that follows, NUL included; 1..256
  uint32_t storedSize;     // data bytes behind the name
  uint32_t compressed;     // kStoredMember, kLzmaStartMember, kLzmaContinueMember; anything
                           // else imploded
  uint32_t originalSize;   // bytes of the extracted member (informational, except that an
                           // LZMA member must decode to exactly this many)
  uint32_t crc;            // CRC-32 of the extracted contents
  uint64_t lastWriteTime;  // FILETIME: 100 ns ticks since 1601-01-01 UTC
};

// Values of FileHeader.compressed. An LZMA member that starts a stream begins with the
// dictionary byte; one that continues the stream follows a member of either LZMA value, its
// data being further whole chunks of the same stream.
constexpr uint32_t kStoredMember = 0;
constexpr uint32_t kLzmaStartMember = 2;
constexpr uint32_t kLzmaContinueMember = 3;

inline bool IsLzmaMember(const FileHeader& header) {
  return header.compressed == kLzmaStartMember || header.compressed == kLzmaContinueMember;
}

void DecodeSeaTrailer(const uint8_t (&bytes)[kSeaTrailerSize], SeaTrailer* trailer);
void EncodeSeaTrailer(const SeaTrailer& trailer, uint8_t (&bytes)[kSeaTrailerSize]);
void DecodeFileHeader(const uint8_t (&bytes)[kFileHeaderSize], FileHeader* header);
void EncodeFileHeader(const FileHeader& header, uint8_t (&bytes)[kFileHeaderSize]);

uint32_t LoadLE32(const uint8_t* bytes);
void StoreLE32(uint8_t* bytes, uint32_t value);

// Tag tests: 0 when the tag equals its expected value, else the code that its type (high 16
// bits) calls for.
ResultCode TestSeaTrailerTag(
    uint32_t tag);                        // other version: kBadSeaVersion; else kArchiveCorrupted
ResultCode TestArchiveTag(uint32_t tag);  // other version: kBadSeaVersion; else kArchiveCorrupted
ResultCode TestFileHeaderTag(uint32_t tag);  // other version: kBadArchiveVersion;
                                             // trailer type: kZbSeaBadArchiveCount;
                                             // else kFileCorrupted
