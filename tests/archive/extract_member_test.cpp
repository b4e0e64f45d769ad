// Extracting members from real files into a scratch work directory, through the same code the
// stub runs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive/extract_member.h"
#include "archive/file_time.h"
#include "archive/member_transfer.h"
#include "explode/explode.h"
#include "test_archive.h"

namespace {

constexpr uint64_t k2021 = 132539328000000000ull;  // 2021-01-01 00:00:00 UTC as a FILETIME
const Bytes kImplodedAiai = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};
const Bytes kAiai = {'A', 'I', 'A', 'I', 'A', 'I', 'A', 'I', 'A', 'I', 'A', 'I', 'A'};  // decoded

TestMember Stored(const std::string& name, const Bytes& data) {
  TestMember member;
  member.name = name;
  member.data = data;
  member.crc = Crc32Of(data);
  member.lastWriteTime = k2021;
  return member;
}

// kImplodedAiai and then tail, as the member's data.
TestMember ImplodedAiai(const std::string& name, const Bytes& tail = {}) {
  TestMember member = Stored(name, kAiai);
  member.compressed = 1;
  member.data = kImplodedAiai;
  member.data.insert(member.data.end(), tail.begin(), tail.end());
  return member;
}

class Extraction : public testing::Test {
 protected:
  void SetUp() override {
    transfer_.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
    std::strcpy(dir_.path, work_.Path("").c_str());
    dir_.length = uint32_t(work_.Path("").size());
  }
  void TearDown() override {
    if (reader_.archiveFile != nullptr) std::fclose(reader_.archiveFile);
  }
  // Closes the archive opened before, opens this one and stands on member 1.
  void Open(const std::vector<TestMember>& members, uint32_t scriptIndex = 0) {
    if (reader_.archiveFile != nullptr) std::fclose(reader_.archiveFile);
    path_ = archives_.Write("setup.exe", BuildArchive(Bytes(16, 0x90), members, scriptIndex, "P"));
    reader_.exePath = path_.c_str();
    ASSERT_EQ(kNoError, OpenArchiveFile(reader_));
    ASSERT_EQ(kNoError, ReadSeaTrailer(reader_));
    ASSERT_EQ(kNoError, ReadArchiveTag(reader_));
    reader_.currentIndex = 1;
  }
  ResultCode Next() {
    const ResultCode result = ExtractMember(reader_, transfer_, dir_);
    ++reader_.currentIndex;
    return result;
  }
  std::string Out(const std::string& name) const { return work_.Path(name); }

  ScratchDir archives_;
  ScratchDir work_;
  std::string path_;
  ArchiveReader reader_;
  MemberTransfer transfer_;
  WorkDirectory dir_;
};

TEST_F(Extraction, StoredMembersArriveWhole_WithTheirTimes_AndTheScriptPathIsRemembered) {
  Bytes big(100000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7 + i / 251);
  Open({Stored("one.txt", {'h', 'i'}), Stored("empty.dat", {}), Stored("big.bin", big)}, 2);
  // The count of bytes written stops at its maximum instead of wrapping to a small number.
  extractedBytes = UINT32_MAX - 3;
  ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(UINT32_MAX - 1, extractedBytes);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(Bytes({'h', 'i'}), ReadFileBytes(Out("one.txt")));
  EXPECT_EQ(Bytes(), ReadFileBytes(Out("empty.dat")));
  EXPECT_EQ(big, ReadFileBytes(Out("big.bin")));
  EXPECT_EQ(UINT32_MAX, extractedBytes);
  EXPECT_EQ(Out("empty.dat"), dir_.scriptPath);
  EXPECT_EQ(work_.Path(""), dir_.path);  // cut back after every name

  struct stat info;
  ASSERT_EQ(0, stat(Out("big.bin").c_str(), &info));
  EXPECT_EQ(1609459200, int64_t(info.st_mtime));
#ifndef _WIN32  // Windows identifies files by handle: the end-to-end removal tests see it there
  // Recorded as made by this run: only such entries are removed with the work directory.
  EXPECT_TRUE(WasMadeHere(dir_.made, {uint64_t(info.st_dev), uint64_t(info.st_ino)}));
#endif
  // The stream stands on the trailer now.
  EXPECT_EQ(kZbSeaBadArchiveCount,
            ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
}

TEST_F(Extraction, AnImplodedMemberContinuesAtItsComputedEndBehindUnusedStoredBytes) {
  // Bytes behind the end symbol: unread by the decoder, but part of the member.
  Open({ImplodedAiai("aiai.txt", {0x04, 0x00, 0x0A, 0x00, 0xEE, 0xEE}),
        Stored("after.txt", {'o', 'k'})});
  ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(kAiai, ReadFileBytes(Out("aiai.txt")));
  ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(Bytes({'o', 'k'}), ReadFileBytes(Out("after.txt")));
}

TEST_F(Extraction, AnImplodedMemberCutShortHandsOverWhatWasDecodedAndAborts) {
  TestMember cut = ImplodedAiai("cut");
  cut.data.pop_back();
  Open({cut});
  EXPECT_EQ(kCMP_ABORT, Next());
  EXPECT_FALSE(ReadFileBytes(Out("cut")).empty());
}

TEST_F(Extraction, UnsafeOrUnplaceableNamesAreRefusedBeforeAnythingIsWritten) {
  // Folders are made one component at a time; one that this run did not make stops the
  // member, and so does a file name that exists already, even as a link.
  std::fclose(std::fopen(Out("plain").c_str(), "wb"));
  std::vector<std::string> names = {
      "..\\escaped.txt", "../escaped.txt",  "C:\\escaped.txt", "NUL",
      "a.txt:stream",    "plain\\file.txt", "new\\..\\x",      "plain"};
#ifndef _WIN32
  ASSERT_EQ(0, mkdir(Out("premade").c_str(), 0777));
  ASSERT_EQ(0, symlink(archives_.Path("escaped.txt").c_str(), Out("dangling.txt").c_str()));
  ASSERT_EQ(0, symlink(archives_.root().c_str(), Out("link").c_str()));
  names.insert(names.end(),
               {"premade\\escaped.txt", "dangling.txt", "link\\escaped.txt", "link/escaped.txt"});
#endif
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Open({Stored(name, {'e'})});
    EXPECT_EQ(kCannotCreateFile, Next());
    EXPECT_EQ(work_.Path(""), dir_.path);
  }
  EXPECT_TRUE(ReadFileBytes(archives_.Path("escaped.txt")).empty());
  Open({Stored("made\\deep/er\\f.txt", {'f'}), Stored("made\\deep\\g.txt", {'g'})});
  ASSERT_EQ(kNoError, Next());
  ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(Bytes({'f'}), ReadFileBytes(Out("made/deep/er/f.txt")));
  EXPECT_EQ(Bytes({'g'}), ReadFileBytes(Out("made/deep/g.txt")));
}

// A name longer than the work directory's path fits as long as both fit together.
TEST_F(Extraction, ANameThatWouldOverflowThePathBufferIsRefused) {
  const std::string longName(kPathSize - dir_.length, 'L');
  Open({Stored(std::string(dir_.length + 1, 'n'), {'n'}), Stored(longName, {'l'})});
  EXPECT_EQ(kNoError, Next());
  EXPECT_EQ(kCannotCreateFile, Next());
  EXPECT_EQ(work_.Path(""), dir_.path);
}

TEST_F(Extraction, ASecondMemberOfTheSameNameIsRefusedAndTheFirstStays) {
  Open({Stored("same.txt", Bytes(100, '1')), Stored("same.txt", {'2'})});
  ASSERT_EQ(kNoError, Next());
  EXPECT_EQ(kCannotCreateFile, Next());
  EXPECT_EQ(Bytes(100, '1'), ReadFileBytes(Out("same.txt")));
}

// A member whose bytes do not all reach the file fails, stored or imploded, also when only the
// last buffered block is lost: /dev/full takes writes into the stream's buffer and fails them
// (ENOSPC) once they are flushed; a stream opened for reading fails every write (EBADF).
TEST_F(Extraction, FailedWritesFailTheMemberAsAFullDiskOrAnAbortedCopy) {
  const TestMember members[] = {Stored("small", {'h', 'i'}), Stored("big", Bytes(100000, 'b')),
                                ImplodedAiai("aiai.txt")};
  for (const TestMember& member : members) {
    for (const bool diskFull : {true, false}) {
      SCOPED_TRACE(member.name + (diskFull ? " on a full disk" : " to a read-only stream"));
      Open({member});
      ASSERT_EQ(kNoError, ReadFileHeader(reader_.header, reader_.memberName, reader_.archiveFile));
      transfer_.outFile =
          diskFull ? std::fopen("/dev/full", "wb") : std::fopen(path_.c_str(), "rb");
      ASSERT_NE(nullptr, transfer_.outFile);
      EXPECT_EQ(diskFull ? kNotEnoughDiskSpace : kCopyAborted, TransferMember(reader_, transfer_));
      std::fclose(transfer_.outFile);
    }
  }
}

}  // namespace
