// The file header's byte layout (the closing record's fields are pinned by zbpack's layout
// test), the classification of the records' tags, and the PE checksum that signs them off.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "archive/archive_format.h"
#include "archive/pe_image.h"

namespace {

TEST(Records, FileHeaderFieldsStandAtTheirOffsetsWithTheTimeLowHalfFirst) {
  const FileHeader header = {kFileHeaderTag, 18,         0x01020304,           1,
                             0x0A0B0C0D,     0xCAFEBABE, 0x01D2C3B4A5968778ull};
  uint8_t bytes[kFileHeaderSize];
  EncodeFileHeader(header, bytes);
  const uint8_t expected[kFileHeaderSize] = {0x04, 0x00, 0x0A, 0x00, 18,   0,    0,    0,
                                             0x04, 0x03, 0x02, 0x01, 1,    0,    0,    0,
                                             0x0D, 0x0C, 0x0B, 0x0A, 0xBE, 0xBA, 0xFE, 0xCA,
                                             0x78, 0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0x01};
  EXPECT_EQ(0, std::memcmp(bytes, expected, kFileHeaderSize));
  FileHeader decoded;
  DecodeFileHeader(bytes, &decoded);
  EXPECT_EQ(0, std::memcmp(&header, &decoded, sizeof header));
}

struct TagCase {
  uint32_t tag;
  ResultCode trailer;
  ResultCode archive;
  ResultCode header;
};

// Each tag tested against each record's expectation: equal, same type with another version,
// the closing record's type, and other types.
TEST(Records, TagClassificationOfAllThreeRecords) {
  const TagCase cases[] = {
      {kSeaTrailerTag, kNoError, kArchiveCorrupted, kZbSeaBadArchiveCount},
      {0x000F0005, kBadSeaVersion, kArchiveCorrupted, kZbSeaBadArchiveCount},
      {0x000F0000, kBadSeaVersion, kArchiveCorrupted, kZbSeaBadArchiveCount},
      {kArchiveTag, kArchiveCorrupted, kNoError, kFileCorrupted},
      {0x000E0003, kArchiveCorrupted, kBadSeaVersion, kFileCorrupted},
      {kFileHeaderTag, kArchiveCorrupted, kArchiveCorrupted, kNoError},
      {0x000A0104, kArchiveCorrupted, kArchiveCorrupted, kBadArchiveVersion},
      {0x00000000, kArchiveCorrupted, kArchiveCorrupted, kFileCorrupted},
      {0x0004000F, kArchiveCorrupted, kArchiveCorrupted, kFileCorrupted},
      {0xFFFFFFFF, kArchiveCorrupted, kArchiveCorrupted, kFileCorrupted},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << "tag 0x" << c.tag);
    EXPECT_EQ(c.trailer, TestSeaTrailerTag(c.tag));
    EXPECT_EQ(c.archive, TestArchiveTag(c.tag));
    EXPECT_EQ(c.header, TestFileHeaderTag(c.tag));
  }
}

// 16-bit words added with their carries folded back, an odd last byte as a word of its own,
// then the length in bytes; the bytes fed in two pieces split at `split`.
TEST(Records, PeChecksumFoldsCarriesAndAddsTheLength) {
  const std::tuple<std::vector<uint8_t>, size_t, uint32_t> cases[] = {
      {{0x01, 0x00}, 0, 3},
      {{0xFF, 0xFF, 0x02, 0x00}, 2, 6},
      {{0xFF, 0xFF, 0x01}, 0, 4},
      {{0x34, 0x12, 0x01}, 1, 0x1238}};
  for (const auto& [bytes, split, sum] : cases) {
    PeChecksum checksum;
    AddPeChecksumBytes(&checksum, bytes.data(), split);
    AddPeChecksumBytes(&checksum, bytes.data() + split, bytes.size() - split);
    EXPECT_EQ(FinishPeChecksum(checksum), sum);
  }
}

}  // namespace
