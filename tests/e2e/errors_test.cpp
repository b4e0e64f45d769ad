// Runs that end in an error box, one case each: what the box says, whether the status window
// stood behind it, what is left in the work directory (nothing beside it, even for member names
// that point elsewhere), which programs of the script ran, and that zbpack verify and extract
// fail on the same member with the same code and leave the same files.
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

const char kCorrupt[] = "Error: The archive seems to have been corrupted. (3000a)\n";
const char kBadName[] = "Error: There was a problem creating a file. (3000b)\n";
// Contents replaced when the inputs are written.
const char kTool[] = "<zbscripttool>";
// The --truncate length that cuts the copy in the middle of the data of a first stored member
// of 8192 bytes named text.txt: stub, archive tag, member header, name with its NUL, half.
const char kHalfOfFirstMember[] = "<half>";
const std::string kScript = "install.txt";

struct ErrorCase {
  const char* name;
  std::vector<std::string> options;  // none at all: setup.exe is a plain copy of the stub
  std::vector<std::pair<std::string, std::string>> inputs;  // name, contents, packed in order
  const char* text;
  bool statusShown;                   // the failure comes after the extraction
  bool workDirIsAFile;                // a plain file stands where the work directory goes
  std::vector<std::string> intact;    // left in the work directory equal to their inputs
  std::vector<std::string> others;    // left there as well
  std::vector<std::string> toolTags;  // runs of the script's program
  int packerCode;                     // zbpack's verdict; -1 when not asked
};

class ErrorTest : public Session, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorTest, ShowsTheErrorAndLeavesOnlyWhatCameBeforeIt) {
  const ErrorCase& c = GetParam();
  std::vector<std::string> files, options = c.options;
  int k = 0;
  for (const auto& [name, contents] : c.inputs) {
    files.push_back(WriteInput(name, contents == kTool ? ReadFileBytes(ScriptToolPath()) : contents,
                               SampleFileTime(++k)));
  }
  if (c.workDirIsAFile) WriteInput("..\\tmp\\ZubrexInstall", "not a folder");
  // Without a readable closing record the question names whatever stands in its field; when
  // the work directory cannot be made, the question comes before the archive is read.
  bool recordReadable = !options.empty() && !c.workDirIsAFile;
  for (std::string& option : options) {
    if (option == kHalfOfFirstMember) {
      recordReadable = false;
      option =
          std::to_string(ReadFileBytes(BinPath("zubrex-stub.exe")).size() + 4 + 32 + 9 + 8192 / 2);
    }
  }
  if (c.inputs.empty()) {
    ASSERT_TRUE(CopyFileA(BinPath("zubrex-stub.exe").c_str(), InstallerPath().c_str(), FALSE));
  } else {
    ASSERT_TRUE(Pack("My Product", options, files));
  }
  ASSERT_TRUE(Launch());
  Trace trace;
  HWND error = ToError(recordReadable ? "My Product" : "", c.text, &trace);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(trace.status != nullptr, c.statusShown);
  EXPECT_FALSE(trace.splashUpAtEnd) << "the splash was still up beside the error box";
  DismissError(error);

  std::vector<std::string> left = c.intact;
  left.insert(left.end(), c.others.begin(), c.others.end());
  EXPECT_EQ(Entries(WorkDir()), Sorted(left));
  EXPECT_EQ(Entries(TempDir()), std::vector<std::string>{"ZubrexInstall"});
  EXPECT_EQ(GetFileAttributesA("C:\\zbe2e-evil.txt"), INVALID_FILE_ATTRIBUTES);
  for (const std::string& name : c.intact) {
    ExpectFiles(WorkDir(), {{name, Dir() + "\\in\\" + name}});
  }
  EXPECT_EQ(ToolTags(ReadToolLog(ToolLogPath())), c.toolTags);
  if (c.packerCode < 0) return;
  const std::string out = ExpectPackerReads(static_cast<uint32_t>(c.packerCode));
  EXPECT_EQ(Entries(out), Entries(WorkDir()));
  for (const std::string& name : left) ExpectFiles(out, {{name, WorkDir() + "\\" + name}});
}

const std::pair<std::string, std::string> kReadme = {"readme.txt", "Read me.\r\n"};
const std::pair<std::string, std::string> kGood = {"good.txt", WordsText(9000, 31)};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Runs, ErrorTest,
    ::testing::Values(
        // Found before the extraction: the work directory stays, empty.
        ErrorCase{"TagOfAnotherTypeIsCorrupt", {"--set", "trailer.seaTag=0x12345678"},
                  {kReadme}, kCorrupt, false, false, {}, {}, {}, -1},
        ErrorCase{"TagOfAnotherVersion", {"--set", "trailer.seaTag=0x000F0005"}, {kReadme},
                  "Error: kBadSeaVersion (30007)\n", false, false, {}, {}, {}, -1},
        ErrorCase{"TotalOfZeroBytes", {"--set", "trailer.totalBytes=0"}, {kReadme},
                  "Error: Unknown Error (30017)\n", false, false, {}, {}, {}, -1},
        ErrorCase{"StubWithoutArchiveIsCorrupt", {}, {}, kCorrupt, false, false, {}, {}, {}, -1},
        // The last 280 bytes of the cut copy are text: no closing-record tag, no NUL.
        ErrorCase{"CopyCutShortInsideAMemberIsCorrupt",
                  {"--method", "stored", "--truncate", kHalfOfFirstMember},
                  {{"text.txt", WordsText(8192, 9)}}, kCorrupt, false, false, {}, {}, {}, -1},
        ErrorCase{"PlainFileInPlaceOfTheWorkDirectory", {}, {kReadme},
                  "Error: There was a system error. (10012)\n", false, true, {}, {}, {}, -1},
        // Found during the extraction: the members before stay.
        ErrorCase{"FileCountBeyondTheMembers", {"--set", "trailer.fileCount=3"},
                  {kGood, {"second.bin", MixedText(50000, 32)}},
                  "Error: kZbSeaBadArchiveCount (3000c)\n", false, false,
                  {"good.txt", "second.bin"}, {}, {}, 0x3000C},
        // The failing member's file was created and given its time, with nothing in it.
        ErrorCase{"ImplodedMemberOfFourBytesIsBadData",
                  {"--method", "stored", "--set", "member.2.compressed=1"},
                  {kGood, {"four.bin", "abcd"}}, "Error: kCMP_BAD_DATA (30013)\n", false, false,
                  {"good.txt"}, {"four.bin"}, {}, 0x30013},
        // 500 bytes more than the data, the closing record and the end of the file hold.
        ErrorCase{"StoredMemberRunningPastTheEndIsCorrupt",
                  {"--method", "stored", "--set", "member.2.storedSize=1780"},
                  {kGood, {"cut.txt", WordsText(1000, 34)}}, kCorrupt, false, false, {"good.txt"},
                  {"cut.txt"}, {}, 0x3000A},
        ErrorCase{"ParentFolderNameIsRefused", {"--set", "member.2.name=..\\evil.txt"},
                  {kGood, {"evil.txt", "not to be written"}}, kBadName, false, false,
                  {"good.txt"}, {}, {}, 0x3000B},
        // A file and then a folder of one name: the stub cannot make the folder.
        ErrorCase{"FileAndFolderOfOneNameIsRefused", {"--set", "member.2.name=GOOD.TXT\\b.txt"},
                  {kGood, {"b.txt", "not to be written"}}, kBadName, false, false,
                  {"good.txt"}, {}, {}, 0x3000B},
        // Two names of one file as Windows compares them: the stub replaces no file it made.
        ErrorCase{"TwoNamesOfOneFileAreRefused", {"--set", "member.2.name=GOOD.TXT"},
                  {kGood, {"b.txt", "not to be written"}}, kBadName, false, false,
                  {"good.txt"}, {}, {}, 0x3000B},
        ErrorCase{"YWithDiaeresisInBothCasesIsOneFile",
                  {"--set", "member.1.name=\xff.txt", "--set", "member.2.name=\x9f.TXT"},
                  {kGood, {"b.txt", "not to be written"}}, kBadName, false, false, {},
                  {"\xff.txt"}, {}, 0x3000B},
        ErrorCase{"AbsoluteNameIsRefused", {"--set", "member.2.name=C:\\zbe2e-evil.txt"},
                  {kGood, {"evil.txt", "not to be written"}}, kBadName, false, false,
                  {"good.txt"}, {}, {}, 0x3000B},
        // The bad member is extracted whole; the script does not run.
        ErrorCase{"CrcMismatchStopsAfterTheBadMember",
                  {"--script", kScript, "--set", "member.3.crc=0x12345678"},
                  {{kScript, CrLfScript({">Never", "setup.exe never"})},
                   {"setup.exe", kTool},
                   {"bad.bin", MixedText(200000, 23)},
                   {"after.txt", WordsText(5000, 24)}},
                  kCorrupt, false, false, {kScript, "setup.exe", "bad.bin"}, {}, {}, 0x3000A},
        // Found by the script: everything stays, the status window behind the box.
        ErrorCase{"ScriptIndexNamingNoMember", {"--set", "trailer.scriptIndex=3"},
                  {kReadme, kGood}, "Error: A file could not be opened. (30003)\n", true, false,
                  {"readme.txt", "good.txt"}, {}, {}, -1},
        ErrorCase{"ProgramThatCannotBeFoundIsASystemError", {"--script", kScript},
                  {{kScript, CrLfScript({">Starting", "setup.exe one", "zbe2e-missing.exe two",
                                         "setup.exe three"})},
                   {"setup.exe", kTool}},
                  "Error: There was a system error. (10012)\n", true, false, {kScript, "setup.exe"},
                  {}, {"one"}, -1},
        // A line of exactly 255 characters still runs; a longer one stops the script.
        ErrorCase{"LineOverTheLengthLimitStopsTheScript", {"--script", kScript},
                  {{kScript, CrLfScript({"setup.exe before",
                                         "setup.exe edge " + std::string(240, 'e'),
                                         "setup.exe long " + std::string(285, 'l'),
                                         "setup.exe after"})},
                   {"setup.exe", kTool}},
                  "Error: The selected archive is not currently supported. (30004)\n", true, false,
                  {kScript, "setup.exe"}, {}, {"before", "edge"}, -1}),
    CaseName());
// clang-format on

}  // namespace
}  // namespace e2e
