// Whole runs that extract: the members reach the work directory byte for byte with their
// times, the script runs there while the status window follows its status lines, and zbpack's
// own verify and extract read the same installers as the stub does.
#include <string>
#include <utility>
#include <vector>

#include "e2e_run_support.h"

namespace e2e {
namespace run {
namespace {

using ExtractRunTest = RunSession;
using Files = std::vector<std::pair<std::string, std::string>>;  // member name, input path

std::vector<std::string> NamesOf(const Files& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  return names;
}

std::string TrimSeparator(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(TrimSeparator(a).c_str(), TrimSeparator(b).c_str()) == 0;
}

// Every run so far ran the work directory's setup.exe in the work directory, with the
// script's command line as it stands.
void ExpectRunsInWorkDir(const std::vector<ToolRun>& runs, const std::string& workDir,
                         const std::vector<std::string>& commandLines) {
  ASSERT_EQ(runs.size(), commandLines.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_TRUE(SamePath(runs[i].cwd, workDir)) << runs[i].tag << " ran in " << runs[i].cwd;
    EXPECT_TRUE(SamePath(runs[i].module, workDir + "\\setup.exe"))
        << runs[i].tag << " ran " << runs[i].module;
    EXPECT_EQ(runs[i].cmdline, commandLines[i]);
  }
}

// The status window's text while the script holds, and OK still disabled.
void ExpectStatus(HWND status, const std::string& text) {
  EXPECT_EQ(robot::ControlText(status, kStatusTextId), text);
  EXPECT_FALSE(robot::ControlEnabled(status, kStatusOkId)) << "OK enabled while the script runs";
}

TEST_F(ExtractRunTest, StoredAndAsciiImplodedMembersAndAScriptFromQuestionToOk) {
  const std::string setup = ReadFileBytes(ScriptToolPath());
  ASSERT_FALSE(setup.empty()) << ScriptToolPath();
  const std::vector<std::string> script = {
      "; Zubrex end-to-end install script",
      ">Checking the system",
      "setup.exe first",
      "#ZbE2EHoldA setup.exe holdA",
      ">Copying the files",
      "setup.exe second exit 3",
      "#ZbE2EHoldB setup.exe holdB",
      ">Finishing the installation",
      "#ZbE2EHoldC setup.exe holdC",
  };
  const Files files = {
      {"install.txt", WriteTimedInput("install.txt", CrLfScript(script), SampleFileTime(1))},
      {"readme.txt", WriteTimedInput("readme.txt", TextBytes(40000, 7), SampleFileTime(2))},
      {"noise.bin", WriteTimedInput("noise.bin", RandomBytes(3000, 11), SampleFileTime(3))},
      {"big.dat", WriteTimedInput("big.dat", MixedBytes(5 * 1024 * 1024 + 123, 5), SampleFileTime(4))},
      {"empty.txt", WriteTimedInput("empty.txt", "", SampleFileTime(5))},
      {"setup.exe", WriteTimedInput("setup.exe", setup, SampleFileTime(6))},
  };
  std::vector<std::string> packed;
  for (const auto& file : files) packed.push_back(file.second);
  ASSERT_TRUE(Pack("Zubrex Test Product", {"--method", "auto", "--ascii", "--script", "install.txt"},
                   packed));

  // The installer mixes stored members with members imploded with coded (ASCII) literals.
  std::vector<StoredMember> members;
  ASSERT_TRUE(ReadStoredMembers(InstallerPath(), &members));
  ASSERT_EQ(members.size(), files.size());
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(members[i].name, files[i].first);
  }
  EXPECT_EQ(members[2].compressed, 0u) << "random bytes were imploded";
  EXPECT_EQ(members[4].compressed, 0u) << "an empty file was imploded";
  for (size_t i : {size_t(1), size_t(3)}) {
    EXPECT_NE(members[i].compressed, 0u) << members[i].name << " was stored";
    ASSERT_EQ(members[i].dataStart.size(), 2u);
    EXPECT_EQ(members[i].dataStart[0], '\x01') << members[i].name << ": binary literals";
  }

  HeldWindow holdA("ZbE2EHoldA");
  HeldWindow holdB("ZbE2EHoldB");
  HeldWindow holdC("ZbE2EHoldC");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);

  ASSERT_TRUE(WaitToolTag("holdA"));
  ExpectStatus(status, "Checking the system");
  std::vector<std::string> expected = NamesOf(files);
  expected.push_back("zbscripttool.log");
  EXPECT_EQ(Entries(WorkDir()), Sorted(expected));
  ExpectFilesEqual(WorkDir(), files);
  ExpectRunsInWorkDir(ReadToolLog(ToolLogPath()), WorkDir(), {"setup.exe first", "setup.exe holdA"});
  holdA.Release();

  ASSERT_TRUE(WaitToolTag("holdB"));
  ExpectStatus(status, "Copying the files");
  std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ExpectRunsInWorkDir(runs, WorkDir(),
                      {"setup.exe first", "setup.exe holdA", "setup.exe second exit 3",
                       "setup.exe holdB"});
  if (runs.size() == 4) {
    EXPECT_EQ(runs[2].exitCode, 3);
  }
  holdB.Release();

  ASSERT_TRUE(WaitToolTag("holdC"));
  ExpectStatus(status, "Finishing the installation");
  EXPECT_EQ(ReadToolLog(ToolLogPath()).size(), 5u);
  holdC.Release();
  FinishWithOk(status);

  ExpectVerify(0);
  const std::string out = ExpectExtract(0);
  EXPECT_EQ(Entries(out), Sorted(NamesOf(files)));
  ExpectFilesEqual(out, files);
}

TEST_F(ExtractRunTest, BinaryImplodedMembersWithTheSmallestDictionary) {
  const Files files = {
      {"install.txt", WriteTimedInput("install.txt", CrLfScript({"#ZbE2EHold setup.exe held"}),
                                      SampleFileTime(11))},
      {"mixed.bin", WriteTimedInput("mixed.bin", MixedBytes(700000, 21), SampleFileTime(12))},
      {"text.txt", WriteTimedInput("text.txt", TextBytes(30000, 22), SampleFileTime(13))},
      {"one.bin", WriteTimedInput("one.bin", "Z", SampleFileTime(14))},
      {"empty.bin", WriteTimedInput("empty.bin", "", SampleFileTime(15))},
      {"setup.exe", WriteTimedInput("setup.exe", ReadFileBytes(ScriptToolPath()), SampleFileTime(16))},
  };
  std::vector<std::string> packed;
  for (const auto& file : files) packed.push_back(file.second);
  ASSERT_TRUE(Pack("Zubrex Binary",
                   {"--method", "implode", "--binary", "--dict", "1024", "--script", "install.txt"},
                   packed));

  std::vector<StoredMember> members;
  ASSERT_TRUE(ReadStoredMembers(InstallerPath(), &members));
  ASSERT_EQ(members.size(), files.size());
  for (const StoredMember& m : members) {
    EXPECT_NE(m.compressed, 0u) << m.name << " was stored";
    ASSERT_EQ(m.dataStart.size(), 2u) << m.name;
    EXPECT_EQ(m.dataStart[0], '\x00') << m.name << ": ASCII literals";
    EXPECT_EQ(m.dataStart[1], '\x04') << m.name << ": not the 1024-byte dictionary";
  }

  HeldWindow hold("ZbE2EHold");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  std::vector<std::string> expected = NamesOf(files);
  expected.push_back("zbscripttool.log");
  EXPECT_EQ(Entries(WorkDir()), Sorted(expected));
  ExpectFilesEqual(WorkDir(), files);
  hold.Release();
  FinishWithOk(status);

  ExpectVerify(0);
  const std::string out = ExpectExtract(0);
  EXPECT_EQ(Entries(out), Sorted(NamesOf(files)));
  ExpectFilesEqual(out, files);
}

// A product packed as a folder tree: every file lands in its folder with its bytes and time,
// the script runs a program from a subfolder, and the removal at the end takes the folders.
TEST_F(ExtractRunTest, FolderTreeIsCreatedRunFromAndRemoved) {
  const std::string tree = Dir() + "\\in\\tree";
  std::vector<std::string> folders = {"", "\\tools"};
  for (int a = 0; a < 4; ++a) {
    const std::string top = "\\docs" + std::to_string(a);
    folders.push_back(top);
    for (int b = 0; b < 3; ++b) folders.push_back(top + "\\part" + std::to_string(b));
  }
  for (const std::string& folder : folders) {
    ASSERT_TRUE(CreateDirectoryA((tree + folder).c_str(), nullptr)) << tree << folder;
  }
  Files files = {
      {"install.txt", WriteTimedInput("tree\\install.txt",
                                      CrLfScript({"#ZbE2EHold tools\\setup.exe held"}),
                                      SampleFileTime(40))},
      {"tools\\setup.exe", WriteTimedInput("tree\\tools\\setup.exe",
                                            ReadFileBytes(ScriptToolPath()), SampleFileTime(41))},
  };
  for (int i = 0; i < 240; ++i) {
    const std::string name = "docs" + std::to_string(i % 4) + "\\part" + std::to_string(i % 3) +
                             "\\file" + std::to_string(i) + ".txt";
    files.push_back({name, WriteTimedInput("tree\\" + name, TextBytes(50 + 97 * i, 40 + i),
                                           SampleFileTime(42 + i))});
  }
  ASSERT_TRUE(Pack("Zubrex Tree", {"--script", "install.txt"}, {tree}));

  HeldWindow hold("ZbE2EHold");
  HWND status = StartToStatus();
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitToolTag("held"));
  ExpectFilesEqual(WorkDir(), files);
  const std::vector<ToolRun> runs = ReadToolLog(ToolLogPath());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(SamePath(runs[0].module, WorkDir() + "\\tools\\setup.exe")) << runs[0].module;
  hold.Release();
  FinishWithOk(status);  // the work directory, its folders included, is gone

  ExpectVerify(0);
  ExpectFilesEqual(ExpectExtract(0), files);
}

TEST_F(ExtractRunTest, CrcMismatchStopsAfterTheWholeBadMemberAndTheScriptDoesNotRun) {
  const Files files = {
      {"install.txt", WriteTimedInput("install.txt", CrLfScript({">Never", "setup.exe never"}),
                                      SampleFileTime(21))},
      {"setup.exe", WriteTimedInput("setup.exe", ReadFileBytes(ScriptToolPath()), SampleFileTime(22))},
      {"bad.bin", WriteTimedInput("bad.bin", MixedBytes(200000, 23), SampleFileTime(23))},
      {"after.txt", WriteTimedInput("after.txt", TextBytes(5000, 24), SampleFileTime(24))},
  };
  std::vector<std::string> packed;
  for (const auto& file : files) packed.push_back(file.second);
  ASSERT_TRUE(Pack("My Product", {"--script", "install.txt", "--set", "member.3.crc=0x12345678"},
                   packed));

  bool statusShown = true;
  HWND error = StartToError("Error: The archive seems to have been corrupted. (3000a)\n",
                            &statusShown);
  ASSERT_NE(error, nullptr);
  EXPECT_FALSE(statusShown) << "the status window came before the extraction failed";
  DismissError(error);

  // The members before the bad one, and the bad one complete, with their times; nothing after.
  const Files extracted(files.begin(), files.begin() + 3);
  EXPECT_EQ(Entries(WorkDir()), Sorted(NamesOf(extracted)));
  ExpectFilesEqual(WorkDir(), extracted);
  EXPECT_FALSE(FileExists(ToolLogPath())) << "the script ran";

  ExpectVerify(0x3000A);
  const std::string out = ExpectExtract(0x3000A);
  EXPECT_EQ(Entries(out), Sorted(NamesOf(extracted)));
  ExpectSameFiles(WorkDir(), out, NamesOf(extracted));
}

}  // namespace
}  // namespace run
}  // namespace e2e
