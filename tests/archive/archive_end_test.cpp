// Finding the archive's end in signed and unsigned installers: small PE images, read both
// through a bounds-checking reader (no read may leave the file) and by the stub's own
// ReadSeaTrailer on a real file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

#include "archive/archive_end.h"
#include "archive/archive_reader.h"
#include "test_archive.h"

namespace {

constexpr size_t kPeAt = 0x40;
constexpr size_t kOptionalAt = kPeAt + 24;
constexpr uint32_t kTableSize = 40;

// Where a damage function may change the image.
struct ImageLayout {
  size_t entryAt;     // the security directory entry: table offset, table size
  size_t archiveEnd;  // bytes of stub + archive
};

// A PE header (magic 0x10B or 0x20B) and filler as the stub, one member, the closing record,
// padding zero bytes and a certificate table of kTableSize bytes, which starts on a multiple
// of 8 as signers place it.
Bytes SignedImage(uint16_t magic, uint32_t padding, ImageLayout* layout) {
  const bool plus = magic == 0x20B;
  const uint16_t optionalSize = plus ? 240 : 224;
  const size_t archiveSize = 4 + 32 + 6 + 3 + kSeaTrailerSize;
  const size_t fillerSize = (8 - (kOptionalAt + optionalSize + archiveSize + padding) % 8) % 8;
  Bytes stub(kOptionalAt + optionalSize + fillerSize, 0xCC);
  std::memset(&stub[2], 0, kOptionalAt + optionalSize - 2);
  stub[0] = 'M';
  stub[1] = 'Z';
  StoreLE32(&stub[0x3C], uint32_t(kPeAt));
  std::memcpy(&stub[kPeAt], "PE\0\0", 4);
  stub[kPeAt + 4 + 16] = uint8_t(optionalSize);
  stub[kOptionalAt] = uint8_t(magic);
  stub[kOptionalAt + 1] = uint8_t(magic >> 8);
  StoreLE32(&stub[kOptionalAt + (plus ? 108 : 92)], 16);  // NumberOfRvaAndSizes
  TestMember member;
  member.name = "a.txt";
  member.data = {'a', 'b', 'c'};
  Bytes image = BuildArchive(stub, {member}, 1, "Product");
  layout->entryAt = kOptionalAt + (plus ? 112 : 96) + 4 * 8;
  layout->archiveEnd = image.size();
  image.resize(image.size() + padding, 0);
  StoreLE32(&image[layout->entryAt], uint32_t(image.size()));
  StoreLE32(&image[layout->entryAt + 4], kTableSize);
  image.resize(image.size() + kTableSize, 0xAB);
  return image;
}

bool ReadInside(void* source, uint32_t offset, uint8_t* buffer, uint32_t count) {
  const Bytes& image = *static_cast<const Bytes*>(source);
  if (uint64_t(offset) + count > image.size()) {
    ADD_FAILURE() << "read of " << count << " bytes at " << offset << " outside the file";
    return false;
  }
  std::memcpy(buffer, &image[offset], count);
  return true;
}

struct EndCase {
  const char* what;
  uint16_t magic;
  uint32_t padding;
  std::function<void(Bytes&, const ImageLayout&)> damage;
  int found;  // the padding found; -1 unsigned. Unless it is the padding built, the record is
              // read where none stands: kArchiveCorrupted (kIOError for a file under 280 bytes)
};

void SetEntry(Bytes& image, size_t entryAt, uint32_t offset, uint32_t size) {
  StoreLE32(&image[entryAt], offset);
  StoreLE32(&image[entryAt + 4], size);
}

TEST(ArchiveEnd, SignedAndUnsignedImagesEndWhereTheirArchiveEnds) {
  const auto none = [](Bytes&, const ImageLayout&) {};
  std::vector<EndCase> cases;
  // The closing record's last bytes are NULs, like the padding: only the tags tell them apart.
  for (uint32_t padding = 0; padding < 8; ++padding) {
    cases.push_back({"padding", 0x10B, padding, none, int(padding)});
  }
  const uint32_t kTag = kSeaTrailerTag;
  cases.insert(
      cases.end(),
      {
          {"PE32+", 0x20B, 3, none, 3},
          {"padding not zeros", 0x10B, 3, [](auto& b, auto& l) { b[l.archiveEnd + 1] = 0xEE; }, 0},
          {"totalBytes reads as a tag one word on", 0x10B, 4,
           [=](auto& b, auto& l) { StoreLE32(&b[l.archiveEnd - 260], kTag); }, 4},
          {"both tags one word on, scriptIndex above fileCount there", 0x10B, 4,
           [=](auto& b, auto& l) {
             StoreLE32(&b[l.archiveEnd - 276], kTag);
             StoreLE32(&b[l.archiveEnd - 260], kTag);
           },
           4},
          {"recordTag damaged: seaTag decides", 0x10B, 2,
           [](auto& b, auto& l) { StoreLE32(&b[l.archiveEnd - 280], 0); }, 2},
          {"table past the end", 0x10B, 0,
           [](auto& b, auto& l) { SetEntry(b, l.entryAt, uint32_t(b.size() - 8), 0xFFFFFFF0u); },
           -1},
          {"table not ending the file", 0x10B, 0, [](auto& b, auto&) { b.push_back(0xAB); }, -1},
          {"table over the headers", 0x10B, 0,
           [](auto& b, auto& l) { SetEntry(b, l.entryAt, 0, uint32_t(b.size())); }, -1},
          {"empty table", 0x10B, 0,
           [](auto& b, auto& l) { SetEntry(b, l.entryAt, uint32_t(b.size()), 0); }, -1},
          {"unknown optional magic", 0x10B, 0, [](auto& b, auto&) { b[kOptionalAt] = 0x07; }, -1},
          {"four data directories", 0x10B, 0, [](auto& b, auto&) { b[kOptionalAt + 92] = 4; }, -1},
          {"optional header ending with the entry", 0x20B, 0,
           [](auto& b, auto&) { b[kPeAt + 20] = 152; }, 0},
          {"optional header short of the entry", 0x20B, 0,
           [](auto& b, auto&) { b[kPeAt + 20] = 151; }, -1},
          {"e_lfanew past the end", 0x10B, 0,
           [](auto& b, auto&) { StoreLE32(&b[0x3C], 0xFFFFFFF0u); }, -1},
          {"no PE signature", 0x10B, 0, [](auto& b, auto&) { b[kPeAt + 1] = 'X'; }, -1},
          {"no MZ", 0x10B, 0, [](auto& b, auto&) { b[0] = 'Z'; }, -1},
          {"cut inside the PE header", 0x10B, 0, [](auto& b, auto&) { b.resize(kOptionalAt + 1); },
           -1},
      });

  ScratchDir dir;
  for (const EndCase& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ", padding " + std::to_string(c.padding));
    ImageLayout layout;
    Bytes image = SignedImage(c.magic, c.padding, &layout);
    c.damage(image, layout);

    const ArchiveEnd end = LocateArchiveEnd(image.size(), ReadInside, &image);
    ASSERT_EQ(c.found >= 0, IsSigned(end));
    if (c.found >= 0) {
      EXPECT_EQ(uint32_t(c.found), end.padding);
      EXPECT_EQ(layout.archiveEnd + c.padding, end.certificateOffset);
      EXPECT_EQ(kTableSize, end.certificateSize);
    }

    ArchiveReader reader;
    const std::string path = dir.Write("setup.exe", image);
    reader.exePath = path.c_str();
    ASSERT_EQ(kNoError, OpenArchiveFile(reader));
    const ResultCode read = ReadSeaTrailer(reader);
    std::fclose(reader.archiveFile);
    if (c.found != int(c.padding)) {
      EXPECT_EQ(image.size() < 280 ? kIOError : kArchiveCorrupted, read);
      continue;
    }
    EXPECT_EQ(kNoError, read);
    EXPECT_STREQ("Product", reader.trailer.productName);
    EXPECT_EQ(1u, reader.trailer.fileCount);
  }
}

// Past 2 GiB a 32-bit long (Windows) can no longer hold the file's size or positions: the same
// image with a hole of just over 2 GiB between its headers and the rest, written sparse.
TEST(ArchiveEnd, ASignedImageOverTwoGibibytesIsReadAsSigned) {
  ImageLayout layout;
  Bytes image = SignedImage(0x10B, 5, &layout);
  constexpr uint32_t kHole = (1u << 31) + 4096;  // bytes, a multiple of 8 like the table's place
  const size_t headers = kOptionalAt + 224;
  const size_t trailerAt = layout.archiveEnd - kSeaTrailerSize;
  StoreLE32(&image[trailerAt + 4], LoadLE32(&image[trailerAt + 4]) + kHole);  // archiveOffset
  StoreLE32(&image[layout.entryAt], LoadLE32(&image[layout.entryAt]) + kHole);
  ScratchDir dir;
  const std::string path = dir.Path("big-setup.exe");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(headers));
    out.seekp(std::streamoff(headers) + kHole);
    out.write(reinterpret_cast<const char*>(image.data() + headers),
              std::streamsize(image.size() - headers));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
  }
  ArchiveReader reader;
  reader.exePath = path.c_str();
  ASSERT_EQ(kNoError, OpenArchiveFile(reader));
  EXPECT_EQ(kNoError, ReadSeaTrailer(reader));
  EXPECT_STREQ("Product", reader.trailer.productName);
  EXPECT_EQ(kNoError, ReadArchiveTag(reader));
  EXPECT_EQ(kNoError, ReadFileHeader(reader.header, reader.memberName, reader.archiveFile));
  EXPECT_STREQ("a.txt", reader.memberName);
  std::fclose(reader.archiveFile);
  std::remove(path.c_str());
}

}  // namespace
