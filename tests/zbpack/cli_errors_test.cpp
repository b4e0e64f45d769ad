// Failures the user meets: one line "zbpack: FILE: message" on stderr, exit 1 (2 for bad
// usage), and no half-written output; verify's refusal of damaged archives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli_harness.h"

namespace {

class ZbpackErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileText(scratch_.Path("stub.exe"), "MZ pretend stub");
    WriteFileText(scratch_.Path("a.txt"), "alpha");
    WriteFileBytes(scratch_.Path("b.bin"), CompressibleBytes(5000));
  }

  std::vector<std::string> PackArgs(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"pack", "-o", scratch_.Path("out.exe"), "--stub",
                                     scratch_.Path("stub.exe"), "--product", "P"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  RunResult PackBoth(const std::vector<std::string>& extra) {
    std::vector<std::string> args = PackArgs(extra);
    args.push_back(scratch_.Path("a.txt"));
    args.push_back(scratch_.Path("b.bin"));
    return RunZbpack(args, scratch_);
  }

  ScratchDir scratch_;
};

bool IsOneLine(const std::string& text) {
  return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

TEST_F(ZbpackErrorsTest, MissingInputNamesTheFileAndLeavesNoOutput) {
  const std::string missing = scratch_.Path("missing.txt");
  const RunResult result =
      RunZbpack(PackArgs({scratch_.Path("a.txt"), missing}), scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: " + missing + ": cannot open: No such file or directory\n");
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());

  const std::string missingStub = scratch_.Path("nostub.exe");
  const RunResult noStub = RunZbpack({"pack", "-o", scratch_.Path("out.exe"), "--stub",
                                      missingStub, "--product", "P", scratch_.Path("a.txt")},
                                     scratch_);
  EXPECT_EQ(noStub.exitCode, 1);
  EXPECT_EQ(noStub.err, "zbpack: " + missingStub + ": cannot open: No such file or directory\n");
}

TEST_F(ZbpackErrorsTest, RefusesAMemberOf4GiB) {
  // Sparse: no disk space is used, and the size is refused before anything is read.
  const std::string huge = scratch_.Path("huge.bin");
  WriteFileBytes(huge, Bytes());
  ASSERT_EQ(truncate(huge.c_str(), 0x100000000), 0);
  const RunResult result = RunZbpack(PackArgs({scratch_.Path("a.txt"), huge}), scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: " + huge + ": too large for an archive member (4 GiB and more)\n");
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());
}

TEST_F(ZbpackErrorsTest, BadArchivesNameTheResultCode) {
  const std::string zeros = scratch_.Path("zeros.exe");
  WriteFileBytes(zeros, Bytes(400, 0));
  const std::string tiny = scratch_.Path("tiny.exe");
  WriteFileBytes(tiny, Bytes(100, 0));
  for (const char* command : {"list", "verify"}) {
    SCOPED_TRACE(command);
    const RunResult corrupted = RunZbpack({command, zeros}, scratch_);
    EXPECT_EQ(corrupted.exitCode, 1);
    EXPECT_EQ(corrupted.err, "zbpack: " + zeros + ": bad archive (kArchiveCorrupted, 0x3000a)\n");
    const RunResult tooShort = RunZbpack({command, tiny}, scratch_);
    EXPECT_EQ(tooShort.exitCode, 1);
    EXPECT_EQ(tooShort.err, "zbpack: " + tiny + ": bad archive (kIOError, 0x10014)\n");
  }
}

TEST_F(ZbpackErrorsTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"pack", "--stub", scratch_.Path("stub.exe"), "--product", "P", scratch_.Path("a.txt")},
      PackArgs({}),
      PackArgs({"--script", "nosuch.txt", scratch_.Path("a.txt")}),
      PackArgs({"--set", "trailer.nosuch=1", scratch_.Path("a.txt")}),
      PackArgs({"--set", "member.2.crc=1", scratch_.Path("a.txt")}),
      PackArgs({"--set", "member.1.crc=0x100000000", scratch_.Path("a.txt")}),
      PackArgs({"--set", "trailer.productName=" + std::string(257, 'x'), scratch_.Path("a.txt")}),
      PackArgs({"--dict", "8192", scratch_.Path("a.txt")}),
      PackArgs({"--method", "zip", scratch_.Path("a.txt")}),
      {"pack", "-o", scratch_.Path("out.exe"), "--stub", scratch_.Path("stub.exe"), "--product",
       std::string(256, 'p'), scratch_.Path("a.txt")},
      {"list"},
      {"extract", scratch_.Path("out.exe")},
      {"frobnicate"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args.back() : ""));
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(IsOneLine(result.err)) << result.err;
    EXPECT_EQ(result.err.compare(0, 8, "zbpack: "), 0) << result.err;
  }
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());
}

TEST_F(ZbpackErrorsTest, HelpNamesEverySubcommand) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                               std::vector<std::string>{}}) {
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, args.empty() ? 2 : 0);
    for (const char* word : {"zbpack pack", "zbpack list", "zbpack verify", "zbpack extract",
                             "zbpack implode", "zbpack explode", "--set", "--truncate"}) {
      EXPECT_NE(result.out.find(word), std::string::npos) << word;
    }
  }
}

TEST_F(ZbpackErrorsTest, VerifyFailsOnABadCrcAndGoesOnWithTheNextMember) {
  ASSERT_EQ(PackBoth({"--set", "member.1.crc=0x1234"}).exitCode, 0);
  const RunResult result = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: " + scratch_.Path("out.exe") +
                            ": member 1 (a.txt): bad data (kArchiveCorrupted, 0x3000a)\n");
  EXPECT_NE(result.out.find("FAILED  a.txt (kArchiveCorrupted, 0x3000a)"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("OK      b.bin"), std::string::npos) << result.out;
}

TEST_F(ZbpackErrorsTest, VerifyFailsOnANameTheStubWouldRefuse) {
  ASSERT_EQ(PackBoth({"--set", "member.1.name=..\\evil.txt"}).exitCode, 0);
  const RunResult result = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: " + scratch_.Path("out.exe") +
                            ": member 1 (..\\evil.txt): unsafe name (kCannotCreateFile, 0x3000b)\n");
  EXPECT_NE(result.out.find("OK      b.bin"), std::string::npos) << result.out;
}

TEST_F(ZbpackErrorsTest, VerifyFailsOnAnOverstatedFileCount) {
  ASSERT_EQ(PackBoth({"--set", "trailer.fileCount=3"}).exitCode, 0);
  const RunResult result = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: " + scratch_.Path("out.exe") +
                            ": member 3: bad header (kZbSeaBadArchiveCount, 0x3000c)\n");
}

TEST_F(ZbpackErrorsTest, VerifyAndExtractRefuseAnEmptyTotal) {
  ASSERT_EQ(PackBoth({"--set", "trailer.totalBytes=0"}).exitCode, 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"verify", scratch_.Path("out.exe")},
        std::vector<std::string>{"extract", "-C", scratch_.Path("x"), scratch_.Path("out.exe")}}) {
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("(kEmptyArchive, 0x30017)"), std::string::npos) << result.err;
  }
}

TEST_F(ZbpackErrorsTest, ExtractStopsAtTheFirstFailingMember) {
  ASSERT_EQ(PackBoth({"--set", "member.1.name=../escape.txt"}).exitCode, 0);
  const RunResult result =
      RunZbpack({"extract", "-C", scratch_.Path("x"), scratch_.Path("out.exe")}, scratch_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(IsOneLine(result.err)) << result.err;
  EXPECT_NE(result.err.find("member 1 (../escape.txt)"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("(kCannotCreateFile, 0x3000b)"), std::string::npos) << result.err;
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("escape.txt")).empty());
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("x/b.bin")).empty());
}

}  // namespace
