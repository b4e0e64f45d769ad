// Failures the user meets: one line "zbpack: FILE: message" on stderr, exit 1 (2 for bad
// usage). Tables: archives that verify must refuse because the stub would fail or install
// something else; what pack refuses before writing; and the files no command may damage.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cctype>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_harness.h"

namespace {

class ZbpackErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(scratch_.Path("stub.exe"), FakeStubBytes());
    WriteFileText(scratch_.Path("a.txt"), "alpha");
    WriteFileBytes(scratch_.Path("b.bin"), TextLike(5000, 1));
  }

  std::vector<std::string> PackArgs(const std::vector<std::string>& extra,
                                    const std::string& out = "out.exe") {
    std::vector<std::string> args = {
        PackCommandFor(extra), "-o", scratch_.Path(out), "--stub", scratch_.Path("stub.exe"),
        "--product",           "P"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  // Packs a.txt and b.bin with the options in front.
  RunResult PackBoth(const std::vector<std::string>& extra, const std::string& out = "out.exe") {
    std::vector<std::string> args = PackArgs(extra, out);
    args.push_back(scratch_.Path("a.txt"));
    args.push_back(scratch_.Path("b.bin"));
    return RunZbpack(args, scratch_);
  }

  // The entries of the scratch directory that a failed command must not leave behind.
  std::vector<std::string> TemporaryFiles() {
    std::vector<std::string> found;
    DIR* dir = opendir(scratch_.root().c_str());
    while (dirent* entry = readdir(dir)) {
      if (std::string(entry->d_name).find(".zbpack-") != std::string::npos) {
        found.push_back(entry->d_name);
      }
    }
    closedir(dir);
    return found;
  }

  ScratchDir scratch_;
};

struct VerifyCase {
  std::vector<std::string> packOptions;
  size_t cutBytes;      // bytes taken off the end of the packed file
  std::string message;  // stderr after "zbpack: FILE: "
};

TEST_F(ZbpackErrorsTest, VerifyRefusesWhatTheStubWouldNotInstallAsClaimed) {
  // clang-format off
  const VerifyCase cases[] = {
      {{"--set", "member.1.crc=0x1234"}, 0,
       "member 1 (a.txt): contents do not match its CRC-32 (kArchiveCorrupted, 0x3000a)"},
      {{"--set", "member.2.compressed=0"}, 0,
       "member 2 (b.bin): contents do not match its CRC-32 (kArchiveCorrupted, 0x3000a)"},
      {{"--set", "member.1.name=..\\evil.txt"}, 0,
       "member 1 (..\\evil.txt): name has a part of dots and blanks only (such as ..) "
       "(kCannotCreateFile, 0x3000b)"},
      {{"--set", "member.2.name=\xe0.TXT ", "--set", "member.1.name=\xc0.txt"}, 0,
       "member 2 (\u00e0.TXT ): names the same file on Windows as member 1 "
       "(kCannotCreateFile, 0x3000b)"},
      {{"--set", "trailer.fileCount=3"}, 0,
       "member 3: the closing record stands where this member should begin: fileCount says 3, "
       "the archive holds 2 (kZbSeaBadArchiveCount, 0x3000c)"},
      {{"--set", "trailer.fileCount=1", "--set", "trailer.totalBytes=5"}, 0,
       "fileCount says 1, but more members follow (the installer would leave them out)"},
      {{"--append-bytes", "00112233"}, 0, "4 bytes of unknown data stand before the closing record"},
      {{"--set", "member.1.storedSize=4000"}, 0,
       "member 1 (a.txt): its 4000 data bytes run past the closing record "
       "(kArchiveCorrupted, 0x3000a)"},
      {{"--set", "trailer.scriptIndex=3"}, 0, "scriptIndex 3 names no member (there are 2)"},
      {{"--set", "trailer.scriptIndex=3", "--set", "trailer.totalBytes=5004"}, 0,
       "2 problems, the first: totalBytes says 5004, but the members' sizes add up to 5005"},
      {{"--set", "member.2.originalSize=4999", "--set", "trailer.totalBytes=5004"}, 0,
       "member 2 (b.bin): decodes to 5000 bytes, but originalSize says 4999"},
      {{"--set", "trailer.totalBytes=0"}, 0,
       "the closing record's total byte count is 0 (kEmptyArchive, 0x30017)"},
      {{"--set", "trailer.seaTag=0x000F0005"}, 0,
       "closing record of another format version (kBadSeaVersion, 0x30007)"},
      {{"--set", "archiveTag=0x000A0004"}, 0,
       "no archive tag at archiveOffset 3584 (kArchiveCorrupted, 0x3000a)"},
      // Solid: b.bin comes first (by extension); a.txt continues its stream, unchecked.
      {{"--method", "lzma", "--solid", "--set", "member.1.crc=1"}, 0,
       "2 problems, the first: member 1 (b.bin): LZMA data damaged, continuing no stream, or "
       "not matching its CRC-32 (kArchiveCorrupted, 0x3000a)"},
      {{"--method", "stored"}, 100, "file ends 100 bytes early (truncated download?)"},
      {{"--method", "stored"}, 1000, "file ends at least 1000 bytes early (truncated download?)"},
      {{"--method", "stored"}, 5300, "file ends at least 262 bytes early (truncated download?)"},
      {{"--method", "stored"}, 5500, "not an installer (no closing record)"},
      {{"--set", "member.1.tag=5"}, 100, "not an installer (no closing record)"},
  };
  // clang-format on
  for (const VerifyCase& c : cases) {
    SCOPED_TRACE(c.message);
    ASSERT_EQ(PackBoth(c.packOptions).exitCode, 0);
    if (c.cutBytes > 0) {
      const std::string path = scratch_.Path("out.exe");
      const Bytes whole = ReadFileBytes(path);
      ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(whole.size() - c.cutBytes)), 0);
    }
    const RunResult result = RunZbpack({"verify", scratch_.Path("out.exe")}, scratch_);
    EXPECT_EQ(result.exitCode, 1);
    const std::string err = result.err;
    const std::string prefix = "zbpack: " + scratch_.Path("out.exe") + ": ";
    EXPECT_EQ(err.substr(prefix.size()), c.message + "\n");
    if (c.message.compare(0, 7, "member ") == 0) {  // the member it names is not also OK
      EXPECT_EQ(result.out.find("    " + c.message.substr(7, 1) + "  OK"), std::string::npos);
    }
    // --json: one document with the outcome and the problem, however early verify stopped.
    const RunResult json = RunZbpack({"verify", "--json", scratch_.Path("out.exe")}, scratch_);
    const nlohmann::json document = nlohmann::json::parse(json.out, nullptr, false);
    EXPECT_EQ(document["outcome"], "failed") << json.out;
    const std::string first = document["problems"][0].get<std::string>();
    EXPECT_EQ(err.substr(err.size() - first.size() - 1), first + "\n");
  }
  // A closing record alone is read as one; no archive stands where it points.
  ASSERT_EQ(PackBoth({}).exitCode, 0);
  const Bytes whole = ReadFileBytes(scratch_.Path("out.exe"));
  WriteFileBytes(scratch_.Path("record"), Bytes(whole.end() - 280, whole.end()));
  EXPECT_EQ(RunZbpack({"verify", "record"}, scratch_).err,
            "zbpack: record: no archive tag at archiveOffset 3584 (kIOError, 0x10014)\n");
  // Cut short with no program before the archive ("PE" gone): no truncated installer either.
  Bytes cut(whole.begin(), whole.end() - 100);
  cut[0x40] = 'X';
  WriteFileBytes(scratch_.Path("cut"), cut);
  EXPECT_EQ(RunZbpack({"verify", "cut"}, scratch_).err,
            "zbpack: cut: not an installer (no closing record)\n");
}

struct PackRefusal {
  std::vector<std::string> args;  // after "pack -o out.exe --stub stub.exe --product P"
  std::string what;               // the file named in the error line
  std::string message;
};

TEST_F(ZbpackErrorsTest, PackRefusesNamesAndStubsTheInstallerCannotUse) {
  const std::string a = scratch_.Path("a.txt");
  const std::string b = scratch_.Path("b.bin");
  WriteFileBytes(scratch_.Path("console.exe"), [] {
    Bytes console = FakeStubBytes();
    console[0x58 + 68] = 3;  // subsystem: console
    return console;
  }());
  WriteFileBytes(scratch_.Path("unordered.exe"), [] {
    Bytes unordered = FakeStubBytes();
    unordered[0x58 + 96 + 5 * 8 + 1] = 0;  // no relocation table: .reloc is just a section
    return unordered;
  }());
  ASSERT_EQ(PackBoth({}, "installer.exe").exitCode, 0);
  const std::string tree = scratch_.Path("tree");
  ASSERT_EQ(0, mkdir(tree.c_str(), 0777));
  WriteFileText(tree + "/z.txt", "z");
  ASSERT_EQ(0, symlink(scratch_.root().c_str(), (tree + "/up").c_str()));
  WriteFileText(scratch_.Path("list"), tree + "\n");
  const std::string name161(161, 'n');
  // Sparse: no disk space is used, and the size is refused before anything is read.
  const std::string huge = scratch_.Path("huge.bin");
  WriteFileBytes(huge, Bytes());
  ASSERT_EQ(truncate(huge.c_str(), off_t{0x100000000}), 0);
  const std::string bigStub = scratch_.Path("big.exe");  // a program and 65 MiB behind it
  WriteFileBytes(bigStub, FakeStubBytes());
  ASSERT_EQ(truncate(bigStub.c_str(), off_t{65} << 20), 0);
  // clang-format off
  const PackRefusal cases[] = {
      {{"--as", "CON.txt", a}, a, "member name 'CON.txt' names a device (CON, NUL, COM1, ...)"},
      {{"--as", "c:evil", a}, a, "member name 'c:evil' contains ':' (a drive or a data stream)"},
      {{"--as", "..\\x.txt", a}, a, "member name '..\\x.txt' has a part of dots and blanks only (such as ..)"},
      {{a, "--as", "a.txt/x", b}, b, "member name 'a.txt/x' needs a file and a folder of one name, with member 1 'a.txt'"},
      {{"--as", "what?", a}, a, "member name 'what?' contains one of * ? \" < > |"},
      {{"--as", "\x1b[2J", a}, a, "member name '\\x1b[2J' contains a control character"},
      {{"--as", name161, a}, a, "member name '" + name161 + "' is longer than 160 bytes (too long below a typical temporary folder)"},
      {{a, "--as", "A.TXT.", b}, b, "member name 'A.TXT.' names the same file on Windows as member 1 'a.txt' (from " + a + ")"},
      {{"@"}, "@", "cannot open: No such file or directory"},
      {{"--stub", scratch_.Path("none.exe"), a}, scratch_.Path("none.exe"),
       "cannot open: No such file or directory"},
      {{"--stub", a, a}, a, "not usable as --stub: not a Windows program"},
      {{"--stub", scratch_.Path("console.exe"), a}, scratch_.Path("console.exe"),
       "not usable as --stub: a Windows console or driver program, not the stub"},
      {{"--stub", scratch_.Path("unordered.exe"), a}, scratch_.Path("unordered.exe"),
       "not usable as --stub: its resource section is followed by sections other than the relocations"},
      {{"--stub", scratch_.Path("installer.exe"), a}, scratch_.Path("installer.exe"),
       "not usable as --stub: already an installer (an archive follows the stub)"},
      {{"--codepage=1251", "--as", "\u00e9", a}, a,
       "member name '\u00e9': '\u00e9' (U+00E9) is not in code page 1251"},
      {{"--as", "x.txt", "\x1b[2J"}, "\\x1b[2J", "cannot open: No such file or directory"},
      {{tree}, tree + "/up", "is a link to a folder (not followed; name its target to pack it)"},
      {{"--files-from=" + scratch_.Path("list")}, tree + "/up",
       "is a link to a folder (not followed; name its target to pack it)"},
      {{a, huge}, huge, "too large for an archive member (4 GiB and more)"},
      {{"--stub", bigStub, a}, bigStub, "larger than 64 MiB"},
  };
  // clang-format on
  for (const PackRefusal& c : cases) {
    SCOPED_TRACE(c.message);
    const RunResult result = RunZbpack(PackArgs(c.args), scratch_);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "zbpack: " + c.what + ": " + c.message + "\n");
    EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());
  }
  EXPECT_TRUE(TemporaryFiles().empty());
}

// Each case runs one command that must fail without touching what it names; check then says
// what must still hold.
struct SafetyCase {
  const char* title;
  std::vector<std::string> args;
  std::string message;          // stderr after "zbpack: "
  std::function<void()> check;  // may be empty
};

TEST_F(ZbpackErrorsTest, NoCommandDamagesItsInputsOrWritesThroughLinks) {
  const Bytes alpha = {'a', 'l', 'p', 'h', 'a'};
  const std::string a = scratch_.Path("a.txt");
  const std::string out = scratch_.Path("out");
  ASSERT_EQ(PackBoth({}, "setup.exe").exitCode, 0);
  const Bytes installer = ReadFileBytes(scratch_.Path("setup.exe"));
  WriteFileText(scratch_.Path("previous.exe"), "the previous installer");
  ASSERT_EQ(symlink(a.c_str(), scratch_.Path("link.txt").c_str()), 0);
  // Folders already holding a link, and a FIFO, named like a member.
  ASSERT_EQ(mkdir(out.c_str(), 0777), 0);
  ASSERT_EQ(symlink(scratch_.Path("target.txt").c_str(), (out + "/a.txt").c_str()), 0);
  const std::string fifo = scratch_.Path("fifo");
  ASSERT_EQ(mkdir(fifo.c_str(), 0777), 0);
  ASSERT_EQ(mkfifo((fifo + "/a.txt").c_str(), 0666), 0);
  // An installer inside the folder it is extracted into, holding a member of its own name.
  ASSERT_EQ(mkdir(scratch_.Path("in").c_str(), 0777), 0);
  const std::string inside = scratch_.Path("in/inst.exe");
  ASSERT_EQ(RunZbpack(PackArgs({"--as", "inst.exe", a}, "in/inst.exe"), scratch_).exitCode, 0);
  const Bytes insideBytes = ReadFileBytes(inside);
  // A member in a folder, extracted where a file has the folder's name.
  const std::string tree = scratch_.Path("tree.exe");
  ASSERT_EQ(RunZbpack(PackArgs({"--as", "d/a.txt", a}, "tree.exe"), scratch_).exitCode, 0);
  ASSERT_EQ(mkdir(scratch_.Path("file").c_str(), 0777), 0);
  WriteFileText(scratch_.Path("file/d"), "");

  auto unchanged = [](const std::string& path, const Bytes& bytes) {
    return [path, bytes] { EXPECT_EQ(ReadFileBytes(path), bytes) << path; };
  };
  // clang-format off
  const SafetyCase cases[] = {
      {"output is a member", PackArgs({a, scratch_.Path("b.bin")}, "a.txt"),
       a + ": is the same file as the input " + a + " (nothing written)", unchanged(a, alpha)},
      {"output is a member through a link", PackArgs({a}, "link.txt"),
       scratch_.Path("link.txt") + ": is the same file as the input " + a + " (nothing written)",
       unchanged(a, alpha)},
      {"output is the stub", PackArgs({a}, "stub.exe"),
       scratch_.Path("stub.exe") + ": is the same file as the input " + scratch_.Path("stub.exe") +
           " (nothing written)",
       unchanged(scratch_.Path("stub.exe"), FakeStubBytes())},
      {"a failing pack keeps the previous output",
       PackArgs({a, scratch_.Path("missing")}, "previous.exe"),
       scratch_.Path("missing") + ": cannot open: No such file or directory",
       unchanged(scratch_.Path("previous.exe"), ReadFileBytes(scratch_.Path("previous.exe")))},
      {"implode onto its input", {"implode", a, a},
       a + ": is the same file as the input (nothing written)", unchanged(a, alpha)},
      {"extract onto a link, even with --force", {"extract", "--force", "-C", out, scratch_.Path("setup.exe")},
       scratch_.Path("setup.exe") + ": member 1 (a.txt): cannot create " + out +
           "/a.txt: is a symbolic link (not followed, not replaced) (kCannotCreateFile, 0x3000b)",
       [this] { EXPECT_TRUE(ReadFileBytes(scratch_.Path("target.txt")).empty()); }},
      {"extract onto a FIFO, even with --force", {"extract", "--force", "-C", fifo, scratch_.Path("setup.exe")},
       scratch_.Path("setup.exe") + ": member 1 (a.txt): cannot create " + fifo +
           "/a.txt: exists and is not a regular file (not replaced) (kCannotCreateFile, 0x3000b)",
       nullptr},
      {"extract onto the installer being read", {"extract", "--force", "-C", scratch_.Path("in"), inside},
       inside + ": member 1 (inst.exe): cannot create " + scratch_.Path("in") +
           "/inst.exe: is the installer being read (not replaced) (kCannotCreateFile, 0x3000b)",
       unchanged(inside, insideBytes)},
      {"extract where a folder is a file", {"extract", "--force", "-C", scratch_.Path("file"), tree},
       tree + ": member 1 (d/a.txt): cannot create its folder " + scratch_.Path("file/d") +
           ": exists and is not a directory (kCannotCreateFile, 0x3000b)",
       nullptr},
      {"extract where the system creates no file", {"extract", "-C", "/proc", scratch_.Path("setup.exe")},
       scratch_.Path("setup.exe") + ": member 1 (a.txt): cannot create /proc/a.txt: No such file "
           "or directory (kCannotCreateFile, 0x3000b)", nullptr},
  };
  // clang-format on
  for (const SafetyCase& c : cases) {
    SCOPED_TRACE(c.title);
    const RunResult result = RunZbpack(c.args, scratch_);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "zbpack: " + c.message + "\n");
    if (c.check) c.check();
  }
  EXPECT_TRUE(TemporaryFiles().empty());
  EXPECT_EQ(ReadFileBytes(scratch_.Path("setup.exe")), installer);
}

TEST_F(ZbpackErrorsTest, ExtractMakesItsFolderAndReplacesOnlyWithForce) {
  ASSERT_EQ(PackBoth({}, "setup.exe").exitCode, 0);
  const std::string out = scratch_.Path("new/deep/out");
  const std::vector<std::string> extract = {"extract", "-C", out, scratch_.Path("setup.exe")};
  ASSERT_EQ(RunZbpack(extract, scratch_).exitCode, 0);
  WriteFileText(out + "/a.txt", "edited");
  const RunResult again = RunZbpack(extract, scratch_);
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find(out + "/a.txt: exists (--force replaces it)"), std::string::npos)
      << again.err;
  EXPECT_EQ(ReadFileBytes(out + "/a.txt"), (Bytes{'e', 'd', 'i', 't', 'e', 'd'}));
  std::vector<std::string> forced = extract;
  forced.insert(forced.begin() + 1, "--force");
  EXPECT_EQ(RunZbpack(forced, scratch_).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(out + "/a.txt"), (Bytes{'a', 'l', 'p', 'h', 'a'}));
}

// Without --stub, pack takes the stub beside zbpack; a copy of zbpack standing alone has none.
TEST_F(ZbpackErrorsTest, PackWithoutStubNeedsOneBesideZbpack) {
  WriteFileBytes(scratch_.Path("zbpack"), ReadFileBytes(ZBPACK_PATH));
  ASSERT_EQ(chmod(scratch_.Path("zbpack").c_str(), 0755), 0);
  const RunResult result = RunZbpack({"pack", "-o", "out.exe", "--product", "P", "a.txt"}, scratch_,
                                     scratch_.Path("zbpack"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "zbpack: pack: no --stub given, and no zubrex-stub.exe beside zbpack\n");
}

TEST_F(ZbpackErrorsTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"pack", "--stub", scratch_.Path("stub.exe"), "--product", "P", scratch_.Path("a.txt")},
      PackArgs({}),
      PackArgs({"--script", "nosuch.txt", scratch_.Path("a.txt")}),
      PackArgs({"--dict", "8192", scratch_.Path("a.txt")}),
      PackArgs({"--method", "zip", scratch_.Path("a.txt")}),
      PackArgs({"--solid", scratch_.Path("a.txt")}),
      PackArgs({"--threads=65", scratch_.Path("a.txt")}),
      {"implode", "--threads", "65", scratch_.Path("a.txt"), scratch_.Path("b.imp")},
      PackArgs({"--ascii=1", scratch_.Path("a.txt")}),
      PackArgs({scratch_.Path("a.txt"), "--level"}),
      PackArgs({"--as", "a.txt"}),
      {"pack", "--set", "trailer.fileCount=3", "-o", scratch_.Path("out.exe"), "--product", "P",
       scratch_.Path("a.txt")},  // damage is done to packed files by the tests, not by pack
      {"pack", "-o", scratch_.Path("out.exe"), "--stub", scratch_.Path("stub.exe"), "--product",
       std::string(256, 'p'), scratch_.Path("a.txt")},
      {"list"},
      {"explode", scratch_.Path("a.txt")},
      {"explode", scratch_.Path("a.txt"), scratch_.Path("b"), scratch_.Path("c")},
      {"extract", scratch_.Path("out.exe")},
      {"frobnicate"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args.back() : ""));
    const RunResult result = RunZbpack(args, scratch_);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.compare(0, 8, "zbpack: "), 0) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  }
  EXPECT_TRUE(ReadFileBytes(scratch_.Path("out.exe")).empty());
  EXPECT_EQ(RunZbpack(cases.back(), scratch_).err,
            "zbpack: frobnicate: unknown subcommand (see zbpack --help)\n");
  EXPECT_EQ(RunZbpack(cases[2], scratch_).err,
            "zbpack: pack: --script: no member is named 'nosuch.txt' (see 'zbpack pack --help')\n");
  EXPECT_EQ(RunZbpack(PackArgs({"--codepage", "850", scratch_.Path("a.txt")}), scratch_).err,
            "zbpack: pack: --codepage 850 is an OEM (console) code page: the installer reads its "
            "texts in the system's ANSI code page (874, 1250-1258) (see 'zbpack pack --help')\n");
}

TEST_F(ZbpackErrorsTest, HelpAndVersionPrintToStdout) {
  struct HelpCase {
    std::vector<std::string> args;
    std::string starts;  // the output's beginning
    std::string absent;  // text the output must not hold
  };
  const HelpCase cases[] = {
      {{"--version"}, "zbpack " ZBPACK_VERSION "\n", ""},
      {{"--help"}, "usage: zbpack COMMAND", "fixture"},
      {{"pack", "--help"}, "usage: zbpack pack -o OUT.exe", "--set"},
      {{"extract", "-C", "x", "-h"}, "usage: zbpack extract", ""},
  };
  for (const HelpCase& c : cases) {
    SCOPED_TRACE(c.args.back());
    const RunResult result = RunZbpack(c.args, scratch_);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.compare(0, c.starts.size(), c.starts), 0) << result.out;
    if (!c.absent.empty()) {
      EXPECT_EQ(result.out.find(c.absent), std::string::npos) << result.out;
    }
  }
}

// Each command's help names every option it takes and is the same through "zbpack help CMD".
// Every option any help names is offered to every command: one a command takes (anything but
// "unknown option") must appear in that command's own help.
TEST_F(ZbpackErrorsTest, EveryOptionACommandTakesIsInItsHelp) {
  const std::vector<std::string> commands = {"pack",    "list",    "verify",
                                             "extract", "implode", "explode"};
  std::vector<std::set<std::string>> named;  // per command, the options its help names
  std::set<std::string> options;             // all of them
  for (const std::string& command : commands) {
    const std::string help = RunZbpack({command, "--help"}, scratch_).out;
    EXPECT_EQ(RunZbpack({"help", command}, scratch_).out, help) << command;
    named.emplace_back();
    for (size_t at = help.find('-'); at != std::string::npos; at = help.find('-', at + 1)) {
      if (at > 0 && help[at - 1] != ' ' && help[at - 1] != '[' && help[at - 1] != '|') continue;
      size_t end = at + 1;
      while (end < help.size() && (std::isalpha(help[end]) || help[end] == '-')) ++end;
      if (end - at > 1) named.back().insert(help.substr(at, end - at));
    }
    options.insert(named.back().begin(), named.back().end());
  }
  ASSERT_TRUE(options.count("--codepage") && options.count("-q")) << options.size();
  options.erase("--help");
  options.erase("-h");
  options.erase("--");
  for (size_t i = 0; i < commands.size(); ++i) {
    for (const std::string& option : options) {
      const RunResult run = RunZbpack({commands[i], option}, scratch_);
      if (run.err.find("unknown option '" + option + "'") != std::string::npos) continue;
      EXPECT_EQ(named[i].count(option), 1u) << commands[i] << " takes " << option;
    }
  }
}

}  // namespace
