// Walking real files with the stub's reading code: closing record, archive tag, headers.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive_reader.h"
#include "test_archive.h"

namespace {

class Reading : public testing::Test {
 protected:
  // Opens bytes as the archive of reader, the way the stub opens its own file, after closing
  // the one opened before.
  void Open(const Bytes& bytes) {
    if (reader_.archiveFile != nullptr) std::fclose(reader_.archiveFile);
    path_ = dir_.Write("archive.exe", bytes);
    reader_.exePath = path_.c_str();
    ASSERT_EQ(kNoError, OpenArchiveFile(reader_));
  }
  void TearDown() override {
    if (reader_.archiveFile != nullptr) std::fclose(reader_.archiveFile);
  }

  ScratchDir dir_;
  std::string path_;
  ArchiveReader reader_;
};

Bytes Stub() { return Bytes(64, 0xCC); }

TEST_F(Reading, AWellFormedArchiveReadsMemberByMemberUpToTheTrailer) {
  std::vector<TestMember> members(2);
  members[0].name = "a.txt";
  members[0].data = {'a', 'b', 'c'};
  members[1].name = "b.bin";
  members[1].data = Bytes(1000, 7);
  Open(BuildArchive(Stub(), members, 0, "Product"));
  ASSERT_EQ(kNoError, ReadSeaTrailer(reader_));
  EXPECT_EQ(64u, reader_.trailer.archiveOffset);
  EXPECT_STREQ("Product", reader_.trailer.productName);
  ASSERT_EQ(kNoError, TakeTotalBytes(reader_));
  EXPECT_EQ(1003u, reader_.totalBytes);
  ASSERT_EQ(kNoError, ReadArchiveTag(reader_));
  for (const TestMember& member : members) {
    ASSERT_EQ(kNoError, ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
    EXPECT_STREQ(member.name.c_str(), reader_.memberName);
    EXPECT_EQ(member.data.size(), reader_.header.storedSize);
    std::fseek(reader_.archiveFile, long(reader_.header.storedSize), SEEK_CUR);
  }
  // One member more than there are: the trailer's first word answers.
  EXPECT_EQ(kZbSeaBadArchiveCount,
            ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
}

TEST_F(Reading, AProductNameWithoutItsNulIsCutInsideItsField) {
  Bytes bytes = BuildArchive(Stub(), {}, 0, "");
  std::memset(&bytes[bytes.size() - kProductNameSize], 'Q', kProductNameSize);
  Open(bytes);
  ASSERT_EQ(kNoError, ReadSeaTrailer(reader_));
  EXPECT_EQ(kProductNameSize - 1, std::strlen(reader_.trailer.productName));
}

TEST_F(Reading, ArchiveTagAtOrBeyondTheEndOrOfAnotherRecordIsRefused) {
  const struct {
    uint32_t tag;
    uint32_t archiveOffset;
    ResultCode expected;
  } cases[] = {{kArchiveTag, 64 + 4 + 280, kIOError},  // the file's size
               {kArchiveTag, 0xFFFFFFF0u, kIOError},
               {kFileHeaderTag, 64, kArchiveCorrupted},
               {0x000E0005, 64, kBadSeaVersion}};
  for (const auto& c : cases) {
    Bytes bytes = BuildArchive(Stub(), {}, 0, "P");
    StoreLE32(&bytes[64], c.tag);
    Open(bytes);
    ASSERT_EQ(kNoError, ReadSeaTrailer(reader_));
    reader_.trailer.archiveOffset = c.archiveOffset;
    EXPECT_EQ(c.expected, ReadArchiveTag(reader_))
        << std::hex << c.tag << " at " << c.archiveOffset;
  }
}

// Header cases, each from a single member whose record is damaged as described.
struct HeaderCase {
  const char* what;
  uint32_t tag;
  int64_t nameLength;
  bool dropNul;
  ResultCode expected;
};

TEST_F(Reading, DamagedHeadersAndNamesAreRefusedBeforeTheNameBufferIsTouched) {
  const HeaderCase cases[] = {
      {"other version", 0x000A0005, -1, false, kBadArchiveVersion},
      {"name length 0", kFileHeaderTag, 0, false, kIOError},
      {"name length 257", kFileHeaderTag, 257, false, kArchiveCorrupted},
      {"name length 0xFFFFFFFF", kFileHeaderTag, 0xFFFFFFFF, false, kArchiveCorrupted},
      {"name without NUL", kFileHeaderTag, -1, true, kArchiveCorrupted},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestMember member;
    member.tag = c.tag;
    member.name = std::string(200, 'n');
    member.nameLengthOverride = c.dropNul ? 200 : c.nameLength;
    member.data = Bytes(300, 'd');
    Open(BuildArchive(Stub(), {member}, 0, "P"));
    ASSERT_EQ(kNoError, ReadSeaTrailer(reader_));
    ASSERT_EQ(kNoError, ReadArchiveTag(reader_));
    std::memset(reader_.memberName, '#', kMemberNameSize);
    EXPECT_EQ(c.expected, ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
    EXPECT_EQ('#', reader_.memberName[0]);
  }
}

TEST_F(Reading, AFileEndingInsideAHeaderOrANameIsAnIOError) {
  TestMember member;
  member.name = "name.txt";
  const Bytes whole = BuildArchive(Stub(), {member}, 0, "P");
  for (size_t keep : {size_t(64 + 4 + 10), size_t(64 + 4 + 32 + 3)}) {
    Open(Bytes(whole.begin(), whole.begin() + long(keep)));
    ASSERT_EQ(0, std::fseek(reader_.archiveFile, 68, SEEK_SET));
    EXPECT_EQ(kIOError, ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
  }
  EXPECT_EQ(kBadParameter, ReadFileHeader(reader_.header, reader_.memberName, nullptr));
}

TEST(RunSteps, OpeningWithoutAPathOrAMissingFileFails) {
  ArchiveReader reader;
  EXPECT_EQ(kBadParameter, OpenArchiveFile(reader));
  reader.exePath = "/nonexistent/dir/setup.exe";
  EXPECT_EQ(kCannotOpenFile, OpenArchiveFile(reader));
}

}  // namespace
