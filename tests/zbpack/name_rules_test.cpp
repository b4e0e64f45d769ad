// Each name case through every command that judges names: pack refuses the names it is given,
// verify and extract the same names stored in a hand-made archive, for the same reason, or all
// three let every member through. Names are compared as Windows compares them: converted from
// the installer's code page to UTF-16, then in simple uppercase.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli_harness.h"
#include "test_archive.h"

namespace {

struct NameCase {
  uint32_t codePage;
  std::vector<std::string> names;   // as given to pack, in UTF-8
  std::vector<std::string> stored;  // the same names in the code page
  std::string problem;              // in every refusal; "" when all members pass
};

const char kFileAndFolder[] = "needs a file and a folder of one name, with member 1";

const NameCase kNameCases[] = {
    {1252, {"a.txt", "A.TXT"}, {"a.txt", "A.TXT"}, "names the same file on Windows as member 1"},
    {1250, {"\u0105", "\u0104"}, {"\xb9", "\xa5"}, "names the same file on Windows as member 1"},
    {1251, {"\u0447", "\u0427"}, {"\xf7", "\xd7"}, "names the same file on Windows as member 1"},
    {1252, {"\u00ff", "\u0178"}, {"\xff", "\x9f"}, "names the same file on Windows as member 1"},
    {1251, {"\u044f", "\u045f"}, {"\xff", "\x9f"}, ""},  // one file in 1252, two in 1251
    {1253, {"\u03c3", "\u03c2"}, {"\xf3", "\xf2"}, "names the same file on Windows as member 1"},
    {1252, {"a", "a\\b.txt"}, {"a", "a\\b.txt"}, kFileAndFolder},
    {1252, {"d/b.txt", "D"}, {"d/b.txt", "D"}, kFileAndFolder},
    {1252, {"\u0081.txt", "\u008d.txt"}, {"\x81.txt", "\x8d.txt"}, "contains a control character"},
    {874, {"\uf8c1.txt", "\uf8c2.txt"}, {"\xdb.txt", "\xdc.txt"}, ""},  // undefined, yet distinct
};

TEST(ZbpackNameRules, PackVerifyAndExtractAgreeOnEachName) {
  for (const NameCase& c : kNameCases) {
    SCOPED_TRACE(c.names[0] + " " + c.names[1] + " in " + std::to_string(c.codePage));
    ScratchDir scratch;
    WriteFileBytes(scratch.Path("stub.exe"), FakeStubBytes());
    WriteFileText(scratch.Path("x"), "x");
    const std::string codePage = "--codepage=" + std::to_string(c.codePage);
    std::vector<std::string> pack = {"pack",   codePage,   "-o",        "out.exe",
                                     "--stub", "stub.exe", "--product", "P"};
    std::vector<TestMember> members;
    for (size_t i = 0; i < c.names.size(); ++i) {
      pack.insert(pack.end(), {"--as", c.names[i], "x"});
      TestMember member;
      member.name = c.stored[i];
      member.data = {'x'};
      member.crc = Crc32Of(member.data);
      members.push_back(member);
    }
    WriteFileBytes(scratch.Path("made.exe"), BuildArchive(FakeStubBytes(), members, 0, "P"));
    const std::vector<std::vector<std::string>> commands = {
        pack,
        {"verify", codePage, "made.exe"},
        {"extract", "--force", codePage, "-C", "out", "made.exe"}};
    for (const std::vector<std::string>& command : commands) {
      const RunResult run = RunZbpack(command, scratch);
      EXPECT_EQ(run.exitCode, c.problem.empty() ? 0 : 1) << command[0] << ": " << run.err;
      EXPECT_NE(run.err.find(c.problem), std::string::npos) << command[0] << ": " << run.err;
    }
    for (const std::string& name : c.names) {
      if (c.problem.empty()) {
        EXPECT_TRUE(std::ifstream(scratch.Path("out/" + name)).good()) << name;
      }
    }
  }
}

}  // namespace
