// Pack, then list, verify and extract with the archive reading code the stub runs: contents,
// methods, the script member and the file times must come back as they went in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "cli_harness.h"

namespace {

struct SourceFile {
  std::string name;
  Bytes contents;
  int64_t seconds;
  uint32_t nanoseconds;  // whole 100 ns ticks, so that the time survives exactly
};

class ZbpackRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(scratch_.Path("stub.exe"), FakeStubBytes());
    files_ = {
        {"readme.txt", CompressibleBytes(20000), 1700000000, 123456700},
        {"random.bin", IncompressibleBytes(3000), 1234567890, 0},
        {"empty.dat", Bytes(), 1000000000, 999999900},
        {"setup.txt", CompressibleBytes(300), 1600000000, 100},
    };
    for (const SourceFile& file : files_) {
      WriteFileBytes(scratch_.Path(file.name), file.contents);
      SetModificationTime(scratch_.Path(file.name), file.seconds, file.nanoseconds);
    }
  }

  RunResult Pack(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"pack", "-o", scratch_.Path("out.exe"), "--stub",
                                      scratch_.Path("stub.exe"), "--product", "Round Trip",
                                      "--script", "setup.txt"};
    args.insert(args.end(), options.begin(), options.end());
    for (const SourceFile& file : files_) args.push_back(scratch_.Path(file.name));
    return RunZbpack(args, scratch_);
  }

  // compressed field of member `index` (1-based), found by walking the headers.
  std::vector<uint32_t> CompressedFlags() {
    const Bytes file = ReadFileBytes(scratch_.Path("out.exe"));
    std::vector<uint32_t> flags;
    size_t offset = Le32At(file, file.size() - 280 + 4) + 4;
    for (size_t i = 0; i < files_.size(); ++i) {
      flags.push_back(Le32At(file, offset + 12));
      offset += 32 + Le32At(file, offset + 4) + Le32At(file, offset + 8);
    }
    return flags;
  }

  void ExpectVerifyAndExtractRestoreEverything() {
    const RunResult verify = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.err, "");

    const std::string target = scratch_.Path("extracted/here");
    ASSERT_EQ(mkdir(scratch_.Path("extracted").c_str(), 0777), 0);
    const RunResult extract =
        RunZbpack({"extract", "-C", target, scratch_.Path("out.exe")}, scratch_);
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    for (const SourceFile& file : files_) {
      SCOPED_TRACE(file.name);
      const std::string path = target + "/" + file.name;
      EXPECT_EQ(ReadFileBytes(path), file.contents);
      struct stat status;
      ASSERT_EQ(stat(path.c_str(), &status), 0);
      EXPECT_EQ(status.st_mtim.tv_sec, file.seconds);
      EXPECT_EQ(status.st_mtim.tv_nsec, static_cast<long>(file.nanoseconds));
    }
  }

  ScratchDir scratch_;
  std::vector<SourceFile> files_;
};

TEST_F(ZbpackRoundTripTest, AutoImplodesOnlyWhatShrinks) {
  const RunResult pack = Pack({});
  ASSERT_EQ(pack.exitCode, 0) << pack.err;
  EXPECT_EQ(CompressedFlags(), (std::vector<uint32_t>{1, 0, 0, 1}));
  ExpectVerifyAndExtractRestoreEverything();
}

TEST_F(ZbpackRoundTripTest, StoredKeepsEveryMemberAsItIs) {
  const RunResult pack = Pack({"--method", "stored"});
  ASSERT_EQ(pack.exitCode, 0) << pack.err;
  EXPECT_EQ(CompressedFlags(), (std::vector<uint32_t>{0, 0, 0, 0}));
  ExpectVerifyAndExtractRestoreEverything();
}

TEST_F(ZbpackRoundTripTest, ForcedImplodeWithEverySettingDecodes) {
  const std::vector<std::vector<std::string>> settings = {
      {"--method", "implode", "--ascii", "--dict", "1024", "--level", "1"},
      {"--method", "implode", "--binary", "--dict", "2048", "--level", "5"},
      {"--method", "implode", "--dict", "4096"},
  };
  for (const auto& options : settings) {
    SCOPED_TRACE(options[3]);
    const RunResult pack = Pack(options);
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(CompressedFlags(), (std::vector<uint32_t>{1, 1, 1, 1}));
    const RunResult verify = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  }
  ExpectVerifyAndExtractRestoreEverything();
}

TEST_F(ZbpackRoundTripTest, ListShowsTheTrailerAndOneLinePerMember) {
  ASSERT_EQ(Pack({}).exitCode, 0);
  const RunResult list = RunZbpack({"list", scratch_.Path("out.exe")}, scratch_);
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.out.find("Product: Round Trip\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Members: 4\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Script: 4 setup.txt\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Total bytes: 23300\n"), std::string::npos) << list.out;
  // The empty member: stored, 0 bytes, CRC-32 of nothing, 2001-09-09 01:46:40 UTC.
  EXPECT_NE(list.out.find("stored             0           0  00000000  2001-09-09 01:46:40  "
                          "empty.dat\n"),
            std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("imploded  "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("2023-11-14 22:13:20  readme.txt\n"), std::string::npos) << list.out;
}

TEST_F(ZbpackRoundTripTest, ListNamesNoScriptWhenThereIsNone) {
  const RunResult pack = RunZbpack({"pack", "-o", scratch_.Path("out.exe"), "--stub",
                                    scratch_.Path("stub.exe"), "--product", "P",
                                    scratch_.Path("random.bin")},
                                   scratch_);
  ASSERT_EQ(pack.exitCode, 0) << pack.err;
  const RunResult list = RunZbpack({"list", scratch_.Path("out.exe")}, scratch_);
  EXPECT_NE(list.out.find("Script: none\n"), std::string::npos) << list.out;
}

}  // namespace
