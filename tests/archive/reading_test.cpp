// Walking real files with the stub's reading code: closing record, archive tag, headers.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive_context.h"
#include "driver/run_steps.h"
#include "test_archive.h"

namespace {

class Reading : public testing::Test {
 protected:
  // Opens bytes as the archive of context, the way the stub opens its own file.
  void Open(const Bytes& bytes) {
    path_ = dir_.Write("archive.exe", bytes);
    context_.exePath = path_.c_str();
    ASSERT_EQ(kNoError, OpenArchiveFile(context_));
  }
  void TearDown() override {
    if (context_.archiveFile != nullptr) std::fclose(context_.archiveFile);
  }

  ScratchDir dir_;
  std::string path_;
  ArchiveContext context_;
};

Bytes Stub() { return Bytes(64, 0xCC); }

TEST_F(Reading, AWellFormedArchiveReadsMemberByMemberUpToTheTrailer) {
  std::vector<TestMember> members(2);
  members[0].name = "a.txt";
  members[0].data = {'a', 'b', 'c'};
  members[1].name = "b.bin";
  members[1].data = Bytes(1000, 7);
  Open(BuildArchive(Stub(), members, 0, "Product"));
  ASSERT_EQ(kNoError, ReadSeaTrailer(context_));
  EXPECT_EQ(64u, context_.trailer.archiveOffset);
  EXPECT_STREQ("Product", context_.trailer.productName);
  ASSERT_EQ(kNoError, TakeTotalBytes(context_));
  EXPECT_EQ(1003u, context_.totalBytes);
  ASSERT_EQ(kNoError, ReadArchiveTag(context_));
  for (const TestMember& member : members) {
    ASSERT_EQ(kNoError, ReadFileHeader(context_.header, context_.memberName, context_.archiveFile));
    EXPECT_STREQ(member.name.c_str(), context_.memberName);
    EXPECT_EQ(member.data.size(), context_.header.storedSize);
    std::fseek(context_.archiveFile, long(context_.header.storedSize), SEEK_CUR);
  }
  // One member more than there are: the trailer's first word answers.
  EXPECT_EQ(kZbSeaBadArchiveCount,
            ReadFileHeader(context_.header, context_.memberName, context_.archiveFile));
}

TEST_F(Reading, AProductNameWithoutItsNulIsCutInsideItsField) {
  Bytes bytes = BuildArchive(Stub(), {}, 0, "");
  std::memset(&bytes[bytes.size() - kProductNameSize], 'Q', kProductNameSize);
  Open(bytes);
  ASSERT_EQ(kNoError, ReadSeaTrailer(context_));
  EXPECT_EQ(kProductNameSize - 1, std::strlen(context_.trailer.productName));
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
    ASSERT_EQ(kNoError, ReadSeaTrailer(context_));
    context_.trailer.archiveOffset = c.archiveOffset;
    EXPECT_EQ(c.expected, ReadArchiveTag(context_)) << std::hex << c.tag << " at " << c.archiveOffset;
    std::fclose(context_.archiveFile);
    context_.archiveFile = nullptr;
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
    ASSERT_EQ(kNoError, ReadSeaTrailer(context_));
    ASSERT_EQ(kNoError, ReadArchiveTag(context_));
    std::memset(context_.memberName, '#', kMemberNameSize);
    EXPECT_EQ(c.expected, ReadFileHeader(context_.header, context_.memberName, context_.archiveFile));
    EXPECT_EQ('#', context_.memberName[0]);
    std::fclose(context_.archiveFile);
    context_.archiveFile = nullptr;
  }
}

TEST_F(Reading, AFileEndingInsideAHeaderOrANameIsAnIOError) {
  TestMember member;
  member.name = "name.txt";
  const Bytes whole = BuildArchive(Stub(), {member}, 0, "P");
  for (size_t keep : {size_t(64 + 4 + 10), size_t(64 + 4 + 32 + 3)}) {
    Open(Bytes(whole.begin(), whole.begin() + long(keep)));
    ASSERT_EQ(0, std::fseek(context_.archiveFile, 68, SEEK_SET));
    EXPECT_EQ(kIOError, ReadFileHeader(context_.header, context_.memberName, context_.archiveFile));
    std::fclose(context_.archiveFile);
    context_.archiveFile = nullptr;
  }
  EXPECT_EQ(kBadParameter, ReadFileHeader(context_.header, context_.memberName, nullptr));
}

TEST(RunSteps, OpeningWithoutAPathOrAMissingFileFails) {
  ArchiveContext context;
  EXPECT_EQ(kBadParameter, OpenArchiveFile(context));
  context.exePath = "/nonexistent/dir/setup.exe";
  EXPECT_EQ(kCannotOpenFile, OpenArchiveFile(context));
}

}  // namespace
