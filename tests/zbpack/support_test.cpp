// The packer's own helpers where a slip would go unnoticed elsewhere: calendar arithmetic of
// FILETIMEs, and the number and field parsing of --set.
#include <gtest/gtest.h>

#include "zbpack/file_time.h"
#include "zbpack/pack_options.h"
#include "zbpack/pack_overrides.h"

namespace {

TEST(ZbpackFileTimeTest, FormatsCalendarEdges) {
  EXPECT_EQ(FormatFileTimeUtc(0), "1601-01-01 00:00:00");
  EXPECT_EQ(FormatFileTimeUtc(kUnixEpochAsFileTime), "1970-01-01 00:00:00");
  EXPECT_EQ(FormatFileTimeUtc(kUnixEpochAsFileTime - 1), "1969-12-31 23:59:59");
  EXPECT_EQ(FormatFileTimeUtc(FileTimeFromUnix(951868799, 999999999)), "2000-02-29 23:59:59");
  EXPECT_EQ(FormatFileTimeUtc(FileTimeFromUnix(951868800, 0)), "2000-03-01 00:00:00");
  EXPECT_EQ(FormatFileTimeUtc(FileTimeFromUnix(4107542399, 0)), "2100-02-28 23:59:59");
  EXPECT_EQ(FormatFileTimeUtc(FileTimeFromUnix(4107542400, 0)), "2100-03-01 00:00:00");
  EXPECT_EQ(FormatFileTimeUtc(0xFFFFFFFFFFFFFFFF), "60056-05-28 05:36:10");
}

TEST(ZbpackFileTimeTest, ConvertsUnixTimesWithTheirTicks) {
  EXPECT_EQ(FileTimeFromUnix(0, 0), kUnixEpochAsFileTime);
  EXPECT_EQ(FileTimeFromUnix(1, 199), kUnixEpochAsFileTime + 10000001);
  EXPECT_EQ(FileTimeFromUnix(-1, 0), kUnixEpochAsFileTime - 10000000);
  EXPECT_EQ(FileTimeFromUnix(-11644473600, 0), 0u);
  EXPECT_EQ(FileTimeFromUnix(-11644473601, 0), 0u);
}

TEST(ZbpackOverridesTest, NumbersMustFitTheirFields) {
  PackOverrides overrides;
  EXPECT_EQ(ParseOverride("member.3.crc=0XfFfFfFfF", &overrides), "");
  EXPECT_EQ(overrides.members[3].crc, 0xFFFFFFFFu);
  EXPECT_EQ(ParseOverride("trailer.fileCount=4294967295", &overrides), "");
  EXPECT_EQ(overrides.trailer.fileCount, 0xFFFFFFFFu);
  EXPECT_EQ(ParseOverride("member.1.lastWriteTime=0xFFFFFFFFFFFFFFFF", &overrides), "");
  EXPECT_EQ(overrides.members[1].lastWriteTime, 0xFFFFFFFFFFFFFFFFu);

  for (const char* bad : {"trailer.fileCount=4294967296", "trailer.fileCount=0x", "trailer.fileCount=",
                          "trailer.fileCount=-1", "trailer.fileCount=12a", "archiveTag=0x1g",
                          "member.1.lastWriteTime=18446744073709551616", "member.0.crc=1",
                          "member.x.crc=1", "member.1.size=1", "member.1=1", "trailer.crc=1",
                          "archiveTag"}) {
    EXPECT_NE(ParseOverride(bad, &overrides), "") << bad;
  }
}

TEST(ZbpackOverridesTest, MemberIndexesMustExist) {
  PackOverrides overrides;
  ASSERT_EQ(ParseOverride("member.2.tag=1", &overrides), "");
  EXPECT_EQ(CheckOverrideIndexes(overrides, 2), "");
  EXPECT_NE(CheckOverrideIndexes(overrides, 1), "");
}

TEST(ZbpackOptionsTest, MembersComeFromPathsOrAsAndOptionsTakeJoinedValues) {
  EXPECT_EQ(MemberNameOfPath("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(MemberNameOfPath("C:\\dir\\d.exe"), "d.exe");

  const char* argv[] = {"pack", "--output=o.exe", "--stub", "s.exe", "--product=A=B",
                        "--as=sub\\x.txt", "/tmp/x=y.txt", "/tmp/setup.txt", "--script",
                        "setup.txt", "--level=3", "--", "--ascii", "-"};
  PackOptions options;
  ASSERT_EQ(ParsePackOptions(14, const_cast<char**>(argv), false, &options), "");
  EXPECT_EQ(options.outputPath, "o.exe");
  EXPECT_EQ(options.productName, "A=B");
  EXPECT_EQ(options.implode.level, 3);
  EXPECT_FALSE(options.implode.asciiLiterals);
  const std::pair<std::string, std::string> expected[] = {
      {"sub\\x.txt", "/tmp/x=y.txt"}, {"setup.txt", "/tmp/setup.txt"}, {"--ascii", "--ascii"},
      {"-", "-"}};
  ASSERT_EQ(options.members.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(options.members[i].name, expected[i].first);
    EXPECT_EQ(options.members[i].path, expected[i].second);
  }
  EXPECT_EQ(ScriptIndexOf(options), 2u);
}

}  // namespace
