// How Windows sees an installer, read back by binutils (windres, objdump) rather than by
// zbpack's own resource code: the resources pack replaces and those it keeps, the header
// flags, and the icons and texts it refuses. Windows' own reading is the Wine test's part.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli_harness.h"
#include "test_icon.h"

namespace {

#ifdef ZB_RESOURCE_STUB
const char kStub[] = ZB_RESOURCE_STUB;
#else
const char kStub[] = "";
#endif

std::string Capture(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  pclose(pipe);
  return text;
}

// windres's listing of the program's resources, one text per resource, each starting with its
// type ("version", "24", "group icon", ...) and a newline.
std::vector<std::string> ResourceBlocks(const std::string& path) {
  const std::string text = Capture("i686-w64-mingw32-windres -i '" + path + "' -O rc 2>&1");
  std::vector<std::string> blocks;
  std::string type;
  for (size_t at = text.find("\n/* "); at != std::string::npos;) {
    const size_t next = text.find("\n/* ", at + 1);
    const std::string block = text.substr(at, next == std::string::npos ? next : next - at);
    if (block.compare(0, 10, "\n/* Type: ") == 0)
      type = block.substr(10, block.find('\n', 10) - 10);
    blocks.push_back(type + "\n" + block.substr(block.find("Name:")));
    at = next;
  }
  return blocks;
}

bool Replaced(const std::string& block) {
  for (const char* type : {"version\n", "24\n", "group icon\n", "icon\n"}) {
    if (block.compare(0, std::string(type).size(), type) == 0) return true;
  }
  return false;
}

class IdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef ZB_RESOURCE_STUB
    GTEST_SKIP() << "no MinGW tools to make the resource stub with (scripts/install-deps.sh)";
#endif
    WriteFileText(scratch_.Path("a.txt"), "hello");
    WriteFileBytes(scratch_.Path("icon.ico"), TestIconFile());
  }

  RunResult Pack(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"pack",      "-o", scratch_.Path("out.exe"), "--stub", kStub,
                                     "--product", "P"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(scratch_.Path("a.txt"));
    return RunZbpack(args, scratch_);
  }

  ScratchDir scratch_;
};

TEST_F(IdentityTest, PackReplacesManifestVersionAndIconAndKeepsEveryOtherResource) {
  const RunResult run = Pack({"--icon", scratch_.Path("icon.ico"), "--execution-level", "asInvoker",
                              "--product-version", "1.2.65535", "--company", "C & Co"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> kept;
  std::string replaced;
  for (const std::string& block : ResourceBlocks(scratch_.Path("out.exe"))) {
    if (Replaced(block)) {
      replaced += block.substr(0, block.find('\n') + 1);
      if (block.compare(0, 8, "version\n") == 0) {
        EXPECT_NE(block.find("FILEVERSION 1, 2, 65535, 0"), std::string::npos) << block;
        EXPECT_NE(block.find("VALUE \"CompanyName\", \"C & Co\""), std::string::npos) << block;
        EXPECT_NE(block.find("VALUE \"OriginalFilename\", \"out.exe\""), std::string::npos)
            << block;
      }
    } else {
      kept.push_back(block);
    }
  }
  std::vector<std::string> stubKept;
  for (const std::string& block : ResourceBlocks(kStub)) {
    if (!Replaced(block)) stubKept.push_back(block);
  }
  EXPECT_EQ(kept, stubKept);
  EXPECT_GT(kept.size(), 8u);  // dialogs, bitmaps, strings, the mark, the named type
  EXPECT_EQ(replaced, "icon\nicon\ngroup icon\nversion\n24\n");

  // NO_SEH, and the resources read-only, as Windows reads the headers.
  const std::string out = "'" + scratch_.Path("out.exe") + "'";
  EXPECT_NE(Capture("i686-w64-mingw32-objdump -p " + out).find("NO_SEH"), std::string::npos);
  const std::string headers = Capture("i686-w64-mingw32-objdump -h " + out);
  const size_t rsrc = headers.find(" .rsrc ");
  ASSERT_NE(rsrc, std::string::npos);
  const size_t flags = headers.find('\n', rsrc) + 1;
  EXPECT_NE(headers.substr(flags, headers.find('\n', flags) - flags).find("READONLY"),
            std::string::npos);
}

struct Refusal {
  const char* name;
  std::vector<std::string> options;  // {{icon}} stands for the icon file's path
  Bytes icon;                        // written to icon.ico
  std::string error;                 // the whole error line
  int exitCode;
};

TEST_F(IdentityTest, PackRefusesBadIconsAndTextsAndWritesNothing) {
  const Bytes good = TestIconFile();
  const std::string icon = scratch_.Path("icon.ico");
  // clang-format off
  const Refusal cases[] = {
      {"text", {"--icon", icon}, {'h', 'i'}, "zbpack: " + icon + ": not an icon file (.ico)\n", 1},
      {"level", {"--execution-level", "admin"}, good,
       "zbpack: pack: --execution-level must be asInvoker, highestAvailable or "
       "requireAdministrator, not 'admin' (see 'zbpack pack --help')\n", 2},
      {"version", {"--product-version", "1.2.3.4.5"}, good,
       "zbpack: pack: --product-version must be A[.B[.C[.D]]], numbers 0 to 65535, not "
       "'1.2.3.4.5' (see 'zbpack pack --help')\n", 2},
      {"number", {"--product-version", "65536"}, good,
       "zbpack: pack: --product-version must be A[.B[.C[.D]]], numbers 0 to 65535, not "
       "'65536' (see 'zbpack pack --help')\n", 2},
      {"control", {"--company", "a\tb"}, good,
       "zbpack: pack: --company: the text holds a control character (see 'zbpack pack --help')\n", 2},
      {"C1 control", {"--company", "a\u009fb"}, good,
       "zbpack: pack: --company: the text holds a control character (see 'zbpack pack --help')\n", 2},
      {"long", {"--copyright", std::string(257, 'c')}, good,
       "zbpack: pack: --copyright: the text is longer than 256 characters (see 'zbpack pack --help')\n", 2},
  };
  // clang-format on
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(icon, c.icon);
    const RunResult run = Pack(c.options);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.err, c.error);
    EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());
  }
}

}  // namespace
