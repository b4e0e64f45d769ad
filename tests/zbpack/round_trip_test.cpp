// Pack, then list, verify and extract with the archive reading code the stub runs: contents,
// methods, the script member and the file times must come back as they went in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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
        {"readme.txt", TextLike(20000, 1), 1700000000, 123456700},
        {"random.bin", RandomBytes(3000, 1), 1234567890, 0},
        {"empty.dat", Bytes(), 1000000000, 999999900},
        {"setup.txt", TextLike(300, 1), 1600000000, 100},
    };
    for (const SourceFile& file : files_) {
      WriteFileBytes(scratch_.Path(file.name), file.contents);
      SetModificationTime(scratch_.Path(file.name), file.seconds, file.nanoseconds);
    }
  }

  RunResult Pack(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"pack",
                                     "-o",
                                     scratch_.Path("out.exe"),
                                     "--stub",
                                     scratch_.Path("stub.exe"),
                                     "--product",
                                     "Round Trip",
                                     "--script",
                                     "setup.txt"};
    args.insert(args.end(), options.begin(), options.end());
    for (const SourceFile& file : files_) args.push_back(scratch_.Path(file.name));
    return RunZbpack(args, scratch_);
  }

  // Per member, found by walking the headers: "stored", "lzma", "lzma+", or "imploded" with
  // the stream's mode and dictionary bytes ("imploded 0 6").
  std::vector<std::string> Methods() {
    const Bytes file = ReadFileBytes(scratch_.Path("out.exe"));
    std::vector<std::string> methods;
    size_t offset = Le32At(file, file.size() - 280 + 4) + 4;
    for (size_t i = 0; i < files_.size(); ++i) {
      const size_t data = offset + 32 + Le32At(file, offset + 4);
      const uint32_t compressed = Le32At(file, offset + 12);
      const char* named[] = {"stored", "", "lzma", "lzma+"};
      methods.push_back(compressed != 1 && compressed < 4
                            ? named[compressed]
                            : "imploded " + std::to_string(file[data]) + " " +
                                  std::to_string(file[data + 1]));
      offset = data + Le32At(file, offset + 8);
    }
    return methods;
  }

  ScratchDir scratch_;
  std::vector<SourceFile> files_;
};

TEST_F(ZbpackRoundTripTest, EveryMethodVerifiesAndExtractsContentsAndTimes) {
  struct MethodCase {
    std::vector<std::string> options;
    std::vector<std::string> methods;  // per member
  };
  const auto all = [](const std::string& method) { return std::vector<std::string>(4, method); };
  const MethodCase cases[] = {
      {{}, {"imploded 0 6", "stored", "stored", "imploded 0 6"}},  // only what shrinks
      {{"--method", "stored"}, all("stored")},
      {{"--method", "implode", "--ascii", "--dict", "1024", "--level", "1"}, all("imploded 1 4")},
      {{"--method", "implode", "--binary", "--dict=2048", "--level", "5"}, all("imploded 0 5")},
      {{"--method", "implode", "--dict", "0x1000"}, all("imploded 0 6")},
      {{"--method", "lzma", "--level", "1"}, all("lzma")},
      {{"--method", "lzma", "--solid"}, {"lzma", "lzma+", "lzma+", "lzma+"}},
  };
  int run = 0;
  for (const MethodCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    const RunResult pack = Pack(c.options);
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(Methods(), c.methods);
    const RunResult verify = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.err, "");
    const std::string target = scratch_.Path("x" + std::to_string(++run) + "/here");
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
}

// The codec commands alone: implode to standard output, explode that back from a file.
TEST_F(ZbpackRoundTripTest, ImplodeAndExplodeCommandsGiveTheFileBack) {
  const RunResult imploded = RunZbpack({"implode", scratch_.Path("readme.txt"), "-"}, scratch_);
  ASSERT_EQ(imploded.exitCode, 0) << imploded.err;
  EXPECT_LT(imploded.out.size(), files_[0].contents.size() / 2);
  WriteFileText(scratch_.Path("r.imp"), imploded.out);
  const RunResult exploded =
      RunZbpack({"explode", scratch_.Path("r.imp"), scratch_.Path("r.txt")}, scratch_);
  EXPECT_EQ(exploded.exitCode, 0) << exploded.err;
  EXPECT_EQ(ReadFileBytes(scratch_.Path("r.txt")), files_[0].contents);
}

// A folder packs recursively behind the members before it, members named from it down, each
// folder's files in byte order of their member names, a link to a file as that file; auto
// stores a member whose stream would be as long as the member itself (7 bytes of 'a').
TEST_F(ZbpackRoundTripTest, FoldersPackRecursivelyInNameOrder) {
  const std::string tree = scratch_.Path("tree");
  ASSERT_EQ(mkdir(tree.c_str(), 0777), 0);
  ASSERT_EQ(mkdir((tree + "/sub").c_str(), 0777), 0);
  WriteFileText(tree + "/b.txt", "aaaaaaa");
  WriteFileText(tree + "/sub/a.txt", "a");
  ASSERT_EQ(symlink(scratch_.Path("readme.txt").c_str(), (tree + "/Z.txt").c_str()), 0);
  ASSERT_EQ(
      RunZbpack({"pack", "-o", "t.exe", "--stub", "stub.exe", "--product", "P", "empty.dat", tree},
                scratch_)
          .exitCode,
      0);
  const nlohmann::json listed =
      nlohmann::json::parse(RunZbpack({"list", "--json", "t.exe"}, scratch_).out);
  std::vector<std::string> members;
  for (const auto& m : listed["members"]) {
    members.push_back(m["name"].get<std::string>() + " " + m["method"].get<std::string>());
  }
  EXPECT_EQ(members, (std::vector<std::string>{"empty.dat stored", "Z.txt imploded", "b.txt stored",
                                               "sub\\a.txt stored"}));
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

TEST_F(ZbpackRoundTripTest, JsonOfListAndVerifyParsesBackToWhatWasPacked) {
  ASSERT_EQ(Pack({}).exitCode, 0);
  const RunResult list = RunZbpack({"list", "--json", scratch_.Path("out.exe")}, scratch_);
  const RunResult verify = RunZbpack({"verify", "--json", scratch_.Path("out.exe")}, scratch_);
  ASSERT_EQ(list.exitCode, 0) << list.err;
  ASSERT_EQ(verify.exitCode, 0) << verify.err;
  const nlohmann::json listed = nlohmann::json::parse(list.out);
  const nlohmann::json verified = nlohmann::json::parse(verify.out);
  EXPECT_EQ(listed["product"], "Round Trip");
  EXPECT_EQ(listed["totalBytes"], 23300);
  EXPECT_EQ(listed["fileCount"], 4);
  EXPECT_EQ(listed["script"], (nlohmann::json{{"index", 4}, {"name", "setup.txt"}}));
  EXPECT_EQ(verified["outcome"], "ok");
  EXPECT_EQ(verified["problems"], nlohmann::json::array());
  EXPECT_EQ(verified["script"], listed["script"]);
  const std::vector<std::string> methods = Methods();
  ASSERT_EQ(listed["members"].size(), files_.size());
  ASSERT_EQ(verified["members"].size(), files_.size());
  for (size_t i = 0; i < files_.size(); ++i) {
    const SourceFile& file = files_[i];
    const nlohmann::json& member = listed["members"][i];
    SCOPED_TRACE(member.dump());
    EXPECT_EQ(member["index"], i + 1);
    EXPECT_EQ(member["name"], file.name);
    EXPECT_EQ(member["method"], methods[i].substr(0, methods[i].find(' ')));
    EXPECT_EQ(member["originalSize"], file.contents.size());
    EXPECT_EQ(member["fileTime"],
              (static_cast<uint64_t>(file.seconds) + 11644473600ULL) * 10000000ULL +
                  file.nanoseconds / 100);
    nlohmann::json withOutcome = member;
    withOutcome["outcome"] = "ok";
    EXPECT_EQ(verified["members"][i], withOutcome);
  }
  EXPECT_EQ(listed["members"][2]["crc32"], "00000000");
  EXPECT_EQ(listed["members"][2]["modified"], "2001-09-09T01:46:40Z");

  // A damaged member: its outcome and reason, and the archive's.
  std::vector<std::string> args = {"fixture",
                                   "-o",
                                   scratch_.Path("bad.exe"),
                                   "--stub",
                                   scratch_.Path("stub.exe"),
                                   "--product",
                                   "P",
                                   "--set",
                                   "member.2.crc=1",
                                   "--set",
                                   "member.1.lastWriteTime=2650467743990000000",
                                   "--set",
                                   "member.3.lastWriteTime=2650467744000000000",
                                   "--set",
                                   "trailer.scriptIndex=1"};
  for (const SourceFile& f : files_) args.push_back(scratch_.Path(f.name));
  ASSERT_EQ(RunZbpack(args, scratch_).exitCode, 0);
  const RunResult bad = RunZbpack({"verify", "--json", scratch_.Path("bad.exe")}, scratch_);
  EXPECT_EQ(bad.exitCode, 1);
  const nlohmann::json failed = nlohmann::json::parse(bad.out);
  EXPECT_EQ(failed["outcome"], "failed");
  EXPECT_EQ(failed["members"][0]["outcome"], "ok");
  EXPECT_EQ(failed["members"][1]["outcome"], "failed");
  EXPECT_EQ(failed["members"][1]["crc32"], "00000001");
  EXPECT_EQ(failed["members"][1]["reason"],
            "contents do not match its CRC-32 (kArchiveCorrupted, 0x3000a)");
  EXPECT_EQ(failed["problems"].size(), 1u);
  EXPECT_EQ(failed["script"], (nlohmann::json{{"index", 1}, {"name", files_[0].name}}));
  // ISO 8601 dates end with the year 9999.
  EXPECT_EQ(failed["members"][0]["modified"], "9999-12-31T23:59:59Z");
  EXPECT_EQ(failed["members"][2]["modified"], nullptr);
}

TEST_F(ZbpackRoundTripTest, QuietPrintsNothingButOtherwiseOneLinePerMember) {
  ASSERT_EQ(Pack({}).exitCode, 0);
  const std::string out = scratch_.Path("out.exe");
  struct QuietCase {
    std::vector<std::string> args;
    size_t lines;  // on stdout without --quiet: one per member, and verify's summary
  };
  const QuietCase cases[] = {
      {{"pack", "-o", scratch_.Path("two.exe"), "--stub", scratch_.Path("stub.exe"), "--product",
        "P", scratch_.Path("readme.txt"), scratch_.Path("random.bin")},
       2},
      {{"verify", out}, 5},
      {{"extract", "--force", "-C", scratch_.Path("x"), out}, 4},
  };
  for (const QuietCase& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const RunResult loud = RunZbpack(c.args, scratch_);
    std::vector<std::string> quietArgs = c.args;
    quietArgs.insert(quietArgs.begin() + 1, "--quiet");
    const RunResult quiet = RunZbpack(quietArgs, scratch_);
    EXPECT_EQ(loud.exitCode, 0);
    EXPECT_EQ(static_cast<size_t>(std::count(loud.out.begin(), loud.out.end(), '\n')), c.lines)
        << loud.out;
    EXPECT_EQ(loud.err, "");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
  }
  const RunResult list = RunZbpack({"list", scratch_.Path("two.exe")}, scratch_);
  EXPECT_NE(list.out.find("Script: none\n"), std::string::npos) << list.out;
}

}  // namespace
