// The bytes `zbpack pack` writes: every field of a small archive at its offset, and each --set,
// --append-bytes and --truncate changing exactly the bytes it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_harness.h"

namespace {

constexpr size_t kStubSize = 1000;
constexpr size_t kArchiveStart = kStubSize;        // the archive tag
constexpr size_t kMember1 = kArchiveStart + 4;     // header of a.txt
constexpr size_t kMember2 = kMember1 + 32 + 6 + 5;  // header of setup.txt ("a.txt\0", "hello")
constexpr size_t kTrailerFromEnd = 280;

constexpr int64_t kTimeA = 1700000000;          // 2023-11-14 22:13:20 UTC
constexpr uint32_t kTimeANanoseconds = 500000000;
constexpr uint64_t kFileTimeA = (1700000000ULL + 11644473600ULL) * 10000000ULL + 5000000ULL;
constexpr int64_t kTimeB = 946684799;           // 1999-12-31 23:59:59 UTC
constexpr uint64_t kFileTimeB = (946684799ULL + 11644473600ULL) * 10000000ULL + 1234567ULL;

class ZbpackLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stubBytes_ = FakeStubBytes(kStubSize);
    WriteFileBytes(scratch_.Path("stub.exe"), stubBytes_);
    WriteFileText(scratch_.Path("a.txt"), "hello");             // CRC-32 0x3610A686
    WriteFileText(scratch_.Path("setup.txt"), "123456789");     // CRC-32 0xCBF43926
    SetModificationTime(scratch_.Path("a.txt"), kTimeA, kTimeANanoseconds);
    SetModificationTime(scratch_.Path("setup.txt"), kTimeB, 123456789);  // 100 ns ticks: 1234567
  }

  // Packs the two files stored, with extra options in front of the FILE arguments; returns
  // the packed file's bytes (empty when zbpack failed, with the failure recorded).
  Bytes Pack(const std::vector<std::string>& extra, const std::string& name = "out.exe") {
    std::vector<std::string> args = {"pack", "-o", scratch_.Path(name), "--stub",
                                     scratch_.Path("stub.exe"), "--product", "Demo Product",
                                     "--script", "setup.txt", "--method", "stored"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(scratch_.Path("a.txt"));
    args.push_back(scratch_.Path("setup.txt"));
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return ReadFileBytes(scratch_.Path(name));
  }

  ScratchDir scratch_;
  Bytes stubBytes_;
};

TEST_F(ZbpackLayoutTest, EveryFieldStandsAtItsOffset) {
  const Bytes file = Pack({});
  ASSERT_EQ(file.size(), kStubSize + 4 + (32 + 6 + 5) + (32 + 10 + 9) + 280);
  EXPECT_TRUE(std::equal(stubBytes_.begin(), stubBytes_.end(), file.begin()));
  EXPECT_EQ(Le32At(file, kArchiveStart), 0x000E0004u);

  EXPECT_EQ(Le32At(file, kMember1 + 0), 0x000A0004u);
  EXPECT_EQ(Le32At(file, kMember1 + 4), 6u);   // "a.txt" and its NUL
  EXPECT_EQ(Le32At(file, kMember1 + 8), 5u);
  EXPECT_EQ(Le32At(file, kMember1 + 12), 0u);  // stored
  EXPECT_EQ(Le32At(file, kMember1 + 16), 5u);
  EXPECT_EQ(Le32At(file, kMember1 + 20), 0x3610A686u);
  EXPECT_EQ(Le64At(file, kMember1 + 24), kFileTimeA);
  EXPECT_EQ(std::string(file.begin() + kMember1 + 32, file.begin() + kMember1 + 38),
            std::string("a.txt\0", 6));
  EXPECT_EQ(std::string(file.begin() + kMember1 + 38, file.begin() + kMember2), "hello");

  EXPECT_EQ(Le32At(file, kMember2 + 0), 0x000A0004u);
  EXPECT_EQ(Le32At(file, kMember2 + 4), 10u);
  EXPECT_EQ(Le32At(file, kMember2 + 8), 9u);
  EXPECT_EQ(Le32At(file, kMember2 + 12), 0u);
  EXPECT_EQ(Le32At(file, kMember2 + 16), 9u);
  EXPECT_EQ(Le32At(file, kMember2 + 20), 0xCBF43926u);
  EXPECT_EQ(Le64At(file, kMember2 + 24), kFileTimeB);
  EXPECT_EQ(std::string(file.begin() + kMember2 + 32, file.begin() + kMember2 + 51),
            std::string("setup.txt\0" "123456789", 19));

  const size_t trailer = file.size() - kTrailerFromEnd;
  EXPECT_EQ(trailer, kMember2 + 32 + 10 + 9);  // no gap behind the last member
  EXPECT_EQ(Le32At(file, trailer + 0), 0x000F0004u);
  EXPECT_EQ(Le32At(file, trailer + 4), kStubSize);
  EXPECT_EQ(Le32At(file, trailer + 8), 2u);
  EXPECT_EQ(Le32At(file, trailer + 12), 2u);  // setup.txt is member 2
  EXPECT_EQ(Le32At(file, trailer + 16), 0x000F0004u);
  EXPECT_EQ(Le32At(file, trailer + 20), 14u);
  std::string expectedName = "Demo Product";
  expectedName.resize(256, '\0');
  EXPECT_EQ(std::string(file.begin() + static_cast<long>(trailer) + 24, file.end()), expectedName);
}

TEST_F(ZbpackLayoutTest, NoScriptGivesScriptIndexZeroAndNameArgumentNamesTheMember) {
  const RunResult result = RunZbpack(
      {"pack", "-o", scratch_.Path("out.exe"), "--stub", scratch_.Path("stub.exe"), "--product",
       "P", "--method", "stored", "renamed.b=" + scratch_.Path("a.txt")},
      scratch_);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const Bytes file = ReadFileBytes(scratch_.Path("out.exe"));
  ASSERT_EQ(file.size(), kStubSize + 4 + 32 + 10 + 5 + 280);
  EXPECT_EQ(Le32At(file, kMember1 + 4), 10u);
  EXPECT_EQ(std::string(file.begin() + kMember1 + 32, file.begin() + kMember1 + 42),
            std::string("renamed.b\0", 10));
  EXPECT_EQ(Le32At(file, file.size() - kTrailerFromEnd + 12), 0u);
}

struct FieldCase {
  const char* field;
  const char* value;
  size_t offset;          // from the start of the file; for the trailer, from its start
  bool inTrailer;
  size_t width;           // bytes: 4 or 8
  uint64_t expected;
};

TEST_F(ZbpackLayoutTest, EachSetFieldChangesExactlyItsBytes) {
  const Bytes baseline = Pack({}, "baseline.exe");
  ASSERT_FALSE(baseline.empty());
  const FieldCase cases[] = {
      {"archiveTag", "0x11223344", kArchiveStart, false, 4, 0x11223344},
      {"trailer.recordTag", "0x000A0004", 0, true, 4, 0x000A0004},
      {"trailer.archiveOffset", "4000000000", 4, true, 4, 4000000000u},
      {"trailer.fileCount", "7", 8, true, 4, 7},
      {"trailer.scriptIndex", "0x0", 12, true, 4, 0},
      {"trailer.seaTag", "0x000F0005", 16, true, 4, 0x000F0005},
      {"trailer.totalBytes", "0", 20, true, 4, 0},
      {"member.1.tag", "0x000E0004", kMember1 + 0, false, 4, 0x000E0004},
      {"member.1.nameLength", "0", kMember1 + 4, false, 4, 0},
      {"member.1.storedSize", "0xFFFFFFFF", kMember1 + 8, false, 4, 0xFFFFFFFF},
      {"member.1.compressed", "1", kMember1 + 12, false, 4, 1},
      {"member.1.originalSize", "0xAbCdEf01", kMember1 + 16, false, 4, 0xABCDEF01},
      {"member.1.crc", "305419896", kMember1 + 20, false, 4, 0x12345678},
      {"member.1.lastWriteTime", "0x1122334455667788", kMember1 + 24, false, 8,
       0x1122334455667788},
      {"member.2.tag", "0x000A0005", kMember2 + 0, false, 4, 0x000A0005},
      {"member.2.nameLength", "300", kMember2 + 4, false, 4, 300},
      {"member.2.storedSize", "1000000", kMember2 + 8, false, 4, 1000000},
      {"member.2.compressed", "2", kMember2 + 12, false, 4, 2},
      {"member.2.originalSize", "1", kMember2 + 16, false, 4, 1},
      {"member.2.crc", "0", kMember2 + 20, false, 4, 0},
      {"member.2.lastWriteTime", "18446744073709551615", kMember2 + 24, false, 8,
       0xFFFFFFFFFFFFFFFF},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.field);
    const Bytes changed = Pack({"--set", std::string(c.field) + "=" + c.value}, "changed.exe");
    ASSERT_EQ(changed.size(), baseline.size());
    const size_t offset = c.inTrailer ? baseline.size() - kTrailerFromEnd + c.offset : c.offset;
    const uint64_t value = c.width == 8 ? Le64At(changed, offset) : Le32At(changed, offset);
    EXPECT_EQ(value, c.expected);
    for (size_t i = 0; i < baseline.size(); ++i) {
      if (i >= offset && i < offset + c.width) continue;
      ASSERT_EQ(changed[i], baseline[i]) << "unexpected change at offset " << i;
    }
  }
}

TEST_F(ZbpackLayoutTest, SetProductNameFillsTheWholeFieldWithoutNul) {
  const Bytes baseline = Pack({}, "baseline.exe");
  const std::string name(256, 'x');
  const Bytes changed = Pack({"--set", "trailer.productName=" + name}, "changed.exe");
  ASSERT_EQ(changed.size(), baseline.size());
  EXPECT_TRUE(std::equal(baseline.begin(), baseline.end() - 256, changed.begin()));
  EXPECT_EQ(std::string(changed.end() - 256, changed.end()), name);

  const Bytes shorter = Pack({"--set", "trailer.productName=ab"}, "shorter.exe");
  std::string padded = "ab";
  padded.resize(256, '\0');
  EXPECT_EQ(std::string(shorter.end() - 256, shorter.end()), padded);
}

TEST_F(ZbpackLayoutTest, SetMemberNameReplacesTheNameBytesAndItsLength) {
  const Bytes baseline = Pack({}, "baseline.exe");
  const Bytes renamed = Pack({"--set", "member.1.name=..\\evil.txt"}, "renamed.exe");
  const std::string name("..\\evil.txt\0", 12);
  ASSERT_EQ(renamed.size(), baseline.size() + 12 - 6);
  EXPECT_EQ(Le32At(renamed, kMember1 + 4), 12u);
  EXPECT_EQ(std::string(renamed.begin() + kMember1 + 32, renamed.begin() + kMember1 + 44), name);
  // Everything behind the name is the baseline's, shifted.
  EXPECT_TRUE(std::equal(baseline.begin() + kMember1 + 38, baseline.end(),
                         renamed.begin() + kMember1 + 44));

  // An explicit nameLength wins over the name's own.
  const Bytes both = Pack({"--set", "member.1.nameLength=3", "--set", "member.1.name=abcdef"},
                          "both.exe");
  EXPECT_EQ(Le32At(both, kMember1 + 4), 3u);
  EXPECT_EQ(std::string(both.begin() + kMember1 + 32, both.begin() + kMember1 + 39),
            std::string("abcdef\0", 7));
}

TEST_F(ZbpackLayoutTest, AppendBytesStandBeforeTheTrailerAndTruncateCutsTheFile) {
  const Bytes baseline = Pack({}, "baseline.exe");
  const Bytes appended = Pack({"--append-bytes", "DEadbe00"}, "appended.exe");
  ASSERT_EQ(appended.size(), baseline.size() + 4);
  const size_t membersEnd = baseline.size() - kTrailerFromEnd;
  EXPECT_TRUE(std::equal(baseline.begin(), baseline.begin() + membersEnd, appended.begin()));
  EXPECT_EQ(Bytes(appended.begin() + membersEnd, appended.begin() + membersEnd + 4),
            (Bytes{0xDE, 0xAD, 0xBE, 0x00}));
  EXPECT_TRUE(std::equal(baseline.begin() + membersEnd, baseline.end(),
                         appended.begin() + membersEnd + 4));

  const Bytes cut = Pack({"--truncate", "1030"}, "cut.exe");
  ASSERT_EQ(cut.size(), 1030u);
  EXPECT_TRUE(std::equal(cut.begin(), cut.end(), baseline.begin()));
}

}  // namespace
