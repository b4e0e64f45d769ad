// The bytes `zbpack pack` writes, against the archive the tests build with the stub's own
// record encoders, and the damage of the tests (--set, --append-bytes, --truncate) changing
// exactly the bytes it names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli_harness.h"
#include "test_archive.h"

namespace {

// Offsets from the archive's start: the rebuilt stub in front of it is left out (its checksum
// covers the whole file).
constexpr size_t kMember1 = 4;                      // header of a.txt
constexpr size_t kMember2 = kMember1 + 32 + 6 + 5;  // header of setup.txt ("a.txt\0", "hello")
constexpr size_t kTrailerFromEnd = 280;

constexpr uint64_t FileTime(uint64_t unixSeconds, uint64_t ticks) {
  return (unixSeconds + 11644473600ULL) * 10000000ULL + ticks;
}

class ZbpackLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(scratch_.Path("stub.exe"), FakeStubBytes());
    WriteFileText(scratch_.Path("a.txt"), "hello");
    WriteFileText(scratch_.Path("setup.txt"), "123456789");
    SetModificationTime(scratch_.Path("a.txt"), 1700000000, 500000000);
    SetModificationTime(scratch_.Path("setup.txt"), 946684799, 123456789);  // 1234567 ticks
    const RunResult result =
        RunZbpack({"pack", "-o", scratch_.Path("stub-probe.exe"), "--stub",
                   scratch_.Path("stub.exe"), "--product", "Demo Product", scratch_.Path("a.txt")},
                  scratch_);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Bytes probe = ReadFileBytes(scratch_.Path("stub-probe.exe"));
    packedStub_.assign(probe.begin(),
                       probe.begin() + Le32At(probe, probe.size() - kTrailerFromEnd + 4));
  }

  // Packs the two files stored, the options in front of them; returns the packed bytes behind
  // the stub (empty when zbpack failed, with the failure recorded).
  Bytes Pack(const std::vector<std::string>& extra, const std::string& name = "out.exe") {
    std::vector<std::string> args = {PackCommandFor(extra),
                                     "-o",
                                     scratch_.Path(name),
                                     "--stub",
                                     scratch_.Path("stub.exe"),
                                     "--product",
                                     "Demo Product",
                                     "--method",
                                     "stored"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(scratch_.Path("a.txt"));
    args.push_back(scratch_.Path("setup.txt"));
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Bytes bytes = ReadFileBytes(scratch_.Path(name));
    return bytes.size() < packedStub_.size()
               ? bytes
               : Bytes(bytes.begin() + packedStub_.size(), bytes.end());
  }

  // The archive Pack must write, a.txt named as given.
  Bytes Expected(uint32_t scriptIndex, const std::string& firstName = "a.txt",
                 uint64_t firstTime = FileTime(1700000000, 5000000)) {
    TestMember a{0x000A0004, 0,  0x3610A686, firstTime,
                 firstName,  -1, -1,         {'h', 'e', 'l', 'l', 'o'}};
    TestMember setup{0x000A0004,  0,  0xCBF43926, FileTime(946684799, 1234567),
                     "setup.txt", -1, -1,         {'1', '2', '3', '4', '5', '6', '7', '8', '9'}};
    const Bytes all = BuildArchive(packedStub_, {a, setup}, scriptIndex, "Demo Product");
    return Bytes(all.begin() + packedStub_.size(), all.end());
  }

  ScratchDir scratch_;
  Bytes packedStub_;  // the stub as pack rebuilds it
};

TEST_F(ZbpackLayoutTest, EveryFieldStandsAtItsOffset) {
  EXPECT_EQ(Pack({"--script", "setup.txt"}), Expected(2));
  EXPECT_EQ(Pack({"--as", "renamed.b"}), Expected(0, "renamed.b"));
}

TEST_F(ZbpackLayoutTest, SourceDateEpochClampsLaterTimesSoTouchingChangesNothing) {
  setenv("SOURCE_DATE_EPOCH", "1500000000", 1);  // 2017: after setup.txt, before a.txt
  const Bytes first = Pack({}, "first.exe");
  SetModificationTime(scratch_.Path("a.txt"), 1700000000 + 86400, 0);
  const Bytes second = Pack({}, "second.exe");
  setenv("SOURCE_DATE_EPOCH", "17e8", 1);
  const RunResult bad =
      RunZbpack({"pack", "-o", scratch_.Path("bad.exe"), "--stub", scratch_.Path("stub.exe"),
                 "--product", "P", scratch_.Path("a.txt")},
                scratch_);
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(first, Expected(0, "a.txt", FileTime(1500000000, 0)));
  EXPECT_EQ(second, first);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.err,
            "zbpack: pack: SOURCE_DATE_EPOCH must be Unix seconds, not '17e8' (see 'zbpack pack "
            "--help')\n");
}

// A stub whose resources end it: the rebuilt stub still has two sections and no relocations.
TEST_F(ZbpackLayoutTest, AStubWithoutRelocationsGetsNone) {
  Bytes stub = FakeStubBytes();
  stub[0x46] = 2;                                       // sections: code, resources
  std::fill_n(stub.begin() + 0x58 + 96 + 5 * 8, 8, 0);  // no relocation directory
  std::fill_n(stub.begin() + 0x138 + 2 * 40, 40, 0);    // nor its section header
  stub.resize(0x600);
  WriteFileBytes(scratch_.Path("stub.exe"), stub);
  ASSERT_FALSE(Pack({}).empty());
  const Bytes out = ReadFileBytes(scratch_.Path("out.exe"));
  EXPECT_EQ(out[0x46], 2);
  EXPECT_EQ(Bytes(out.begin() + 0x58 + 96 + 5 * 8, out.begin() + 0x58 + 96 + 6 * 8), Bytes(8, 0));
  EXPECT_EQ(Bytes(out.begin() + 0x138 + 2 * 40, out.begin() + 0x138 + 3 * 40), Bytes(40, 0));
}

struct FieldCase {
  std::string field;  // FIELD=VALUE
  size_t offset;      // from the start of the file; for the trailer (inTrailer), from its start
  bool inTrailer;
  Bytes bytes;  // what stands there afterwards
};

// Fields whose value verify's messages name (fileCount, totalBytes, crc, ...) are pinned there.
TEST_F(ZbpackLayoutTest, EachSetFieldChangesExactlyItsBytes) {
  const Bytes baseline = Pack({}, "baseline.exe");
  ASSERT_FALSE(baseline.empty());
  const Bytes x256(256, 'x');
  const FieldCase cases[] = {
      {"trailer.recordTag=0x000A0004", 0, true, {4, 0, 0x0A, 0}},
      {"trailer.archiveOffset=4000000000", 4, true, {0x00, 0x28, 0x6B, 0xEE}},
      {"trailer.scriptIndex=0x3", 12, true, {3, 0, 0, 0}},
      {"trailer.productName=" + std::string(x256.begin(), x256.end()), 24, true, x256},
      {"trailer.productName=ab", 24, true, {'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"member.1.tag=0x000E0004", kMember1, false, {4, 0, 0x0E, 0}},
      {"member.1.nameLength=0", kMember1 + 4, false, {0, 0, 0, 0}},
      {"member.1.compressed=1", kMember1 + 12, false, {1, 0, 0, 0}},
      {"member.1.originalSize=0xAbCdEf01", kMember1 + 16, false, {0x01, 0xEF, 0xCD, 0xAB}},
      {"member.1.lastWriteTime=0x1122334455667788",
       kMember1 + 24,
       false,
       {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}},
      {"member.2.nameLength=300", kMember2 + 4, false, {0x2C, 1, 0, 0}},
      {"member.2.lastWriteTime=18446744073709551615", kMember2 + 24, false, Bytes(8, 0xFF)},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.field);
    Bytes expected = baseline;
    const size_t offset = c.inTrailer ? baseline.size() - kTrailerFromEnd + c.offset : c.offset;
    std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + static_cast<long>(offset));
    EXPECT_EQ(Pack({"--set", c.field}, "changed.exe"), expected);
  }
}

TEST_F(ZbpackLayoutTest, NameAppendAndTruncateChangeTheLayout) {
  const Bytes baseline = Pack({}, "baseline.exe");
  // A name replaces the name bytes and their length; an explicit nameLength wins over it.
  Bytes expected = Expected(0, "..\\evil.txt");
  EXPECT_EQ(Pack({"--set", "member.1.name=..\\evil.txt"}, "renamed.exe"), expected);
  expected = Expected(0, "abcdef");
  expected[kMember1 + 4] = 3;
  EXPECT_EQ(Pack({"--set", "member.1.nameLength=3", "--set", "member.1.name=abcdef"}, "both.exe"),
            expected);
  // Appended bytes stand before the closing record; truncate cuts the file.
  expected = baseline;
  const Bytes appended = {0xDE, 0xAD, 0xBE, 0x00};
  expected.insert(expected.end() - kTrailerFromEnd, appended.begin(), appended.end());
  EXPECT_EQ(Pack({"--append-bytes", "DEadbe00"}, "appended.exe"), expected);
  const std::string cut = std::to_string(packedStub_.size() + 30);
  EXPECT_EQ(Pack({"--truncate", cut}, "cut.exe"), Bytes(baseline.begin(), baseline.begin() + 30));
}

}  // namespace
