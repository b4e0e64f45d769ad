// The packer's own helpers where a slip would go unnoticed elsewhere: calendar arithmetic of
// FILETIMEs, code page conversion, the command line and its number parsing, the icon, version
// and resource bytes of an installer, the depfile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

#include "scratch_dir.h"
#include "test_icon.h"
#include "zbpack/cli/cli_args.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/pack_command.h"
#include "zbpack/host/code_page.h"
#include "zbpack/host/file_time.h"
#include "zbpack/host/host_files.h"
#include "zbpack/host/number_text.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/icon_file.h"
#include "zbpack/operations/pack_depfile.h"
#include "zbpack/operations/pack_options.h"
#include "zbpack/operations/resource_tree.h"
#include "zbpack/operations/version_info.h"

namespace {

TEST(ZbpackFileTimeTest, ConvertsUnixTimesAndFormatsCalendarEdges) {
  const std::pair<uint64_t, const char*> formats[] = {
      {0, "1601-01-01 00:00:00"},
      {kUnixEpochAsFileTime, "1970-01-01 00:00:00"},
      {kUnixEpochAsFileTime - 1, "1969-12-31 23:59:59"},
      {FileTimeFromUnix(951868799, 999999999), "2000-02-29 23:59:59"},
      {FileTimeFromUnix(951868800, 0), "2000-03-01 00:00:00"},
      {FileTimeFromUnix(954460800, 0), "2000-03-31 00:00:00"},
      {FileTimeFromUnix(4107542399, 0), "2100-02-28 23:59:59"},
      {FileTimeFromUnix(4107542400, 0), "2100-03-01 00:00:00"},
      {0xFFFFFFFFFFFFFFFF, "60056-05-28 05:36:10"}};
  for (const auto& f : formats) EXPECT_EQ(FormatFileTimeUtc(f.first), f.second);
  EXPECT_EQ(FileTimeFromUnix(1, 199), kUnixEpochAsFileTime + 10000001);
  EXPECT_EQ(FileTimeFromUnix(-1, 0), kUnixEpochAsFileTime - 10000000);
  EXPECT_EQ(FileTimeFromUnix(-11644473600, 0), 0u);
  EXPECT_EQ(FileTimeFromUnix(-11644473601, 0), 0u);
  uint64_t latest = 0;
  EXPECT_TRUE(ParseSourceDateEpoch("1833029933770", &latest));  // the last that fits
  EXPECT_EQ(latest, 18446744073700000000u);
  EXPECT_FALSE(ParseSourceDateEpoch("1833029933771", &latest));
  EXPECT_FALSE(ParseSourceDateEpoch("0x10", &latest));  // decimal digits only
}

// Pack lists every folder of a tree: each listing must close what it opened.
TEST(ZbpackHostFilesTest, ListingAFolderLeavesNoDescriptorOpen) {
  const auto openDescriptors = [] {
    std::vector<HostDirEntry> entries;
    std::string error;
    EXPECT_TRUE(ListHostDirectory("/proc/self/fd", &entries, &error)) << error;
    return entries.size();
  };
  ScratchDir scratch;
  const size_t before = openDescriptors();
  std::vector<HostDirEntry> entries;
  std::string error;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ListHostDirectory(scratch.root(), &entries, &error));
  EXPECT_EQ(openDescriptors(), before);
}

TEST(ZbpackCodePageTest, ConvertsExactlyOrNamesTheCharacterItCannotHold) {
  struct Case {
    uint32_t codePage;
    std::string utf8;
    std::string stored;   // the bytes in the code page; empty when refused
    std::string problem;  // "" when converted
  };
  // clang-format off
  const Case cases[] = {
      {1252, "Caf\u00e9 \u20ac \u0178", "Caf\xe9 \x80 \x9f", ""},
      {1252, "plain\r\n", "plain\r\n", ""}, {1252, std::string("a\0b", 3), std::string("a\0b", 3), ""},
      {1250, "\u0141\u00f3d\u017a", "\xa3\xf3" "d\x9f", ""},
      {1251, "\u041f\u0440\u0438", "\xcf\xf0\xe8", ""},
      {874, "\u0e01\u0e5b", "\xa1\xfb", ""},
      {1253, "a\u20acb", "a\x80" "b", ""},
      {1253, "\u00c6", "", "'\u00c6' (U+00C6) is not in code page 1253"},
      {1252, "\u0081\u008d", "\x81\x8d", ""}, {874, "\uf8c1\uf8c2", "\xdb\xdc", ""},
      {1252, "\u0100", "", "'\u0100' (U+0100) is not in code page 1252"},  // no best fit to 'A'
      {1252, "x\U0001F600", "", "'\U0001F600' (U+1F600) is not in code page 1252"},
      {1252, "\U0010FFFF", "", "'\U0010FFFF' (U+10FFFF) is not in code page 1252"},
      {1252, "\uFF01", "", "'\uFF01' (U+FF01) is not in code page 1252"},
      {1252, "ab\xe9", "", "not UTF-8 text (byte 3)"},
      {1252, "\xc0\xaf", "", "not UTF-8 text (byte 1)"},  // overlong '/'
      {1252, "\xed\xa0\x80", "", "not UTF-8 text (byte 1)"},  // a surrogate
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::string stored;
    EXPECT_EQ(Utf8ToCodePage(c.utf8, c.codePage, &stored), c.problem);
    if (!c.problem.empty()) continue;
    EXPECT_EQ(stored, c.stored);
    EXPECT_EQ(CodePageToUtf8(stored, c.codePage), c.utf8);
  }
  // Bytes a code page leaves undefined convert as Windows converts them (cases above).
  for (const uint32_t codePage : {65001u, 932u, 437u, 850u}) EXPECT_FALSE(CodePageUsable(codePage));
}

TEST(ZbpackReportTest, PrintableEscapesControlsAndBytesThatAreNotUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      {"caf\xc3\xa9 ~", "caf\xc3\xa9 ~"}, {"a\x1b[2J", "a\\x1b[2J"}, {"\x7f", "\\x7f"},
      {"\xc2\x9f", "\\xc2\\x9f"},         {"\xc2\xa0", "\xc2\xa0"},  {"\xff!", "\\xff!"}};
  for (const auto& c : cases) EXPECT_EQ(Printable(c.first), c.second) << c.second;
}

TEST(ZbpackReportTest, SignatureTextSaysWhereTheTableStandsAndThePaddingBeforeIt) {
  const std::pair<ArchiveEnd, std::string> cases[] = {
      {{0, 0, false, 0}, ""},
      {{800, 40, true, 0}, "40 bytes, certificate table at offset 800"},
      {{800, 40, true, 1},
       "40 bytes, certificate table at offset 800 (1 byte of padding before it)"},
      {{800, 40, false, 0},
       "40 bytes, certificate table at offset 800, which does not end the file"}};
  for (const auto& c : cases) EXPECT_EQ(SignatureText(c.first), c.second);
}

TEST(ZbpackReportTest, NameWithoutItsNulEndsWithItsBuffer) {
  struct {
    char name[kMemberNameSize];
    char after[4];  // what a read past the buffer would take for the name
  } buffer;
  std::memset(&buffer, 'n', sizeof buffer);
  EXPECT_EQ(MemberNameText(buffer.name), std::string(kMemberNameSize, 'n'));
}

TEST(ZbpackNumbersTest, EveryNumberTakesDecimalOrHexUpToItsLimit) {
  struct Case {
    const char* text;
    uint64_t max;
    bool ok;
    uint64_t value;
  };
  // clang-format off
  const Case cases[] = {
      {"0", 9, true, 0}, {"9", 9, true, 9}, {"0x9", 9, true, 9}, {"0XfFfFfFfF", 0xFFFFFFFF, true, 0xFFFFFFFF},
      {"4294967295", 0xFFFFFFFF, true, 0xFFFFFFFF}, {"18446744073709551615", UINT64_MAX, true, UINT64_MAX},
      {"10", 9, false, 0}, {"0xa", 9, false, 0}, {"4294967296", 0xFFFFFFFF, false, 0},
      {"18446744073709551616", UINT64_MAX, false, 0}, {"+9", 9, false, 0}, {"-1", 9, false, 0},
      {" 9", 9, false, 0}, {"9 ", 9, false, 0}, {"", 9, false, 0}, {"0x", 9, false, 0},
      {"12a", 999, false, 0}, {"9x1", 999, false, 0}, {"0x1g", 999, false, 0}, {"1e3", 9999, false, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    uint64_t value = 77;
    EXPECT_EQ(ParseNumber(c.text, c.max, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 77) << c.text;
  }
}

TEST(ZbpackOptionsTest, MembersComeFromPathsOrAsAndOptionsTakeJoinedValues) {
  EXPECT_EQ(MemberNameOfPath("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(MemberNameOfPath("C:\\dir\\d.exe"), "d.exe");

  const char* argv[] = {
      "pack",         "--output=o.exe", "--stub",   "s.exe",     "--product=A=B", "--as=sub\\x.txt",
      "/tmp/x=y.txt", "/tmp/setup.txt", "--script", "setup.txt", "--level=3",     "--threads",
      "64",           "--as",           "d",        "/tmp/d",    "@l1",           "--files-from=l2",
      "--",           "--ascii",        "-",        "@x"};
  PackCommand command;
  ASSERT_EQ(ParsePackCommand(22, const_cast<char**>(argv), &command), "");
  const PackOptions& options = command.options;
  EXPECT_EQ(options.outputPath, "o.exe");
  EXPECT_EQ(options.productName, "A=B");
  EXPECT_EQ(options.implode.level, 3);
  EXPECT_EQ(options.implode.threads, 64u);
  EXPECT_FALSE(options.implode.asciiLiterals);
  using Kind = MemberSourceKind;
  // clang-format off
  const std::tuple<std::string, std::string, Kind> expected[] = {
      {"sub\\x.txt", "/tmp/x=y.txt", Kind::kNamedPath}, {"setup.txt", "/tmp/setup.txt", Kind::kPath},
      {"d", "/tmp/d", Kind::kNamedPath}, {"", "l1", Kind::kListFile}, {"", "l2", Kind::kListFile},
      {"--ascii", "--ascii", Kind::kPath}, {"-", "-", Kind::kPath}, {"@x", "@x", Kind::kPath}};
  // clang-format on
  ASSERT_EQ(options.members.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(options.members[i].name, std::get<0>(expected[i]));
    EXPECT_EQ(options.members[i].path, std::get<1>(expected[i]));
    EXPECT_EQ(options.members[i].kind, std::get<2>(expected[i]));
  }
  EXPECT_EQ(ScriptIndexOf(options), 2u);
}

// The group resource is the file's directory with each picture's resource id for its offset.
TEST(ZbpackIconTest, ReadsPicturesAgainstTheirDirectoryAndNumbersTheGroup) {
  const Bytes good = TestIconFile();
  IconResources icon;
  ASSERT_EQ(ReadIconFile(good, &icon), "");
  Bytes group(good.begin(), good.begin() + 6);
  for (size_t i = 0; i < 2; ++i) {
    group.insert(group.end(), good.begin() + 6 + 16 * i, good.begin() + 18 + 16 * i);
    group.insert(group.end(), {uint8_t(0x1FF + i), uint8_t((0x1FF + i) >> 8)});
  }
  EXPECT_EQ(IconGroupData(icon, 0x1FF), group);
  auto with = [&good](const std::vector<std::pair<size_t, uint8_t>>& changes) {
    Bytes file = good;
    for (const auto& change : changes) file[change.first] = change.second;
    return file;
  };
  const size_t png = 6 + 32 + 40 + 16 * 16 * 4 + 16 * 4;  // picture 2, 32 x 32; 32 x 256 last
  const std::pair<Bytes, std::string> refused[] = {
      {{'h', 'i'}, "not an icon file (.ico)"},
      {Bytes(good.begin(), good.begin() + 100), "picture 1: icon file cut short"},
      {with({{6 + 16, 48}}), "picture 2: its size in the directory is not the picture's own"},
      {with({{6 + 32 + 8, 31}}),  // an odd BMP height: no mask below the colours
       "picture 1: a picture of 16 x 0 pixels (1 to 256 on each side)"},
      {with({{6 + 16, 0}, {png + 18, 0x01}, {png + 19, 0x2C}}),  // 256 listed, 300 in IHDR
       "picture 2: a picture of 300 x 32 pixels (1 to 256 on each side)"}};
  for (const auto& r : refused) EXPECT_EQ(ReadIconFile(r.first, &icon), r.second);
  // Read again into the same record: its pictures, and only these, each as the file holds it.
  const Bytes tall = with({{6 + 16 + 1, 0}, {png + 22, 0x01}, {png + 23, 0}});
  ASSERT_EQ(ReadIconFile(tall, &icon), "");
  ASSERT_EQ(icon.images.size(), 2u);
  EXPECT_EQ(icon.images[1], Bytes(tall.begin() + png, tall.end()));
}

// A string as Windows' VerQueryValue finds it: its block's length, value length in UTF-16
// units, type 1 (text), the key, padding to 4 bytes, the value.
TEST(ZbpackVersionInfoTest, AStringIsABlockOfUtf16KeyAndValue) {
  VersionInfo info;
  info.strings = {{"CompanyName", "C\u00e9 \U0001F600"}};
  Bytes block = {44, 0, 6, 0, 1, 0};
  for (const std::u16string text : {u"CompanyName", u"", u"C\u00e9 \U0001F600"}) {
    for (const char16_t unit : text) block.insert(block.end(), {uint8_t(unit), uint8_t(unit >> 8)});
    block.insert(block.end(), {0, 0});  // its NUL; after the key, the padding too
  }
  const Bytes all = BuildVersionInfo(info);
  EXPECT_NE(std::search(all.begin(), all.end(), block.begin(), block.end()), all.end());
}

// Named types come before numbered ones, and the root directory counts each kind.
TEST(ZbpackResourcesTest, ASectionWithANamedTypeReadsBackAsBuilt) {
  std::vector<ResourceEntry> entries(3);
  entries[0].type = {true, 0, u"ZB"};
  entries[1].type = entries[2].type = ResourceId(kResourceIcon);
  entries[1].name = {true, 0, u"N"};
  entries[2].name = ResourceId(7);
  for (size_t i = 0; i < 3; ++i) entries[i].data = Bytes(i + 1, uint8_t(i));
  const Bytes section = BuildResourceSection(entries, 0x3000);
  std::vector<ResourceEntry> read;
  ASSERT_EQ(ReadResourceTree(section.data(), uint32_t(section.size()), 0x3000, &read), "");
  ASSERT_EQ(read.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(SameKey(read[i].type, entries[i].type) && SameKey(read[i].name, entries[i].name));
    EXPECT_EQ(Bytes(&section[read[i].dataOffset], &section[read[i].dataOffset] + read[i].dataSize),
              entries[i].data);
  }
}

// Make's escapes: '\' before blanks and '#', '$' doubled.
TEST(ZbpackDepfileTest, PathsAreEscapedAsMakeWords) {
  ScratchDir scratch;
  ASSERT_EQ(WritePackDepfile(scratch.Path("d"), "o ut.exe", {"a\tb", "#c$"}), "");
  const Bytes text = ReadFileBytes(scratch.Path("d"));
  EXPECT_EQ(std::string(text.begin(), text.end()), "o\\ ut.exe: \\\n  a\\\tb \\\n  \\#c$$\n");
}

}  // namespace
