// Runs whose extraction fails on a member: the error box names the failure, the members before
// it stay in the work directory, nothing lands outside it, and zbpack verify and extract fail
// on the same member with the same code.
#include <string>
#include <utility>
#include <vector>

#include "e2e_run_support.h"

namespace e2e {
namespace run {
namespace {

class ExtractErrorRunTest : public RunSession {
 protected:
  // Runs the installer to its error box with this text and dismisses it; expects the status
  // window never to have come.
  void RunToError(const std::string& text) {
    bool statusShown = true;
    HWND error = StartToError(text, &statusShown);
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(statusShown);
    DismissError(error);
  }

  std::string good_;  // in\good.txt, packed first
  std::string GoodInput() {
    if (good_.empty()) good_ = WriteTimedInput("good.txt", TextBytes(9000, 31), SampleFileTime(31));
    return good_;
  }
};

TEST_F(ExtractErrorRunTest, FileCountBeyondTheMembersIsABadArchiveCount) {
  const std::string second = WriteTimedInput("second.bin", MixedBytes(50000, 32), SampleFileTime(32));
  ASSERT_TRUE(Pack("My Product", {"--set", "trailer.fileCount=3"}, {GoodInput(), second}));
  RunToError("Error: kZbSeaBadArchiveCount (3000c)\n");
  EXPECT_EQ(Entries(WorkDir()), Sorted({"good.txt", "second.bin"}));
  ExpectFilesEqual(WorkDir(), {{"good.txt", GoodInput()}, {"second.bin", second}});

  ExpectVerify(0x3000C);
  const std::string out = ExpectExtract(0x3000C);
  EXPECT_EQ(Entries(out), Entries(WorkDir()));
  ExpectSameFiles(WorkDir(), out, {"good.txt", "second.bin"});
}

TEST_F(ExtractErrorRunTest, ImplodedMemberOfFourBytesIsBadData) {
  const std::string four = WriteTimedInput("four.bin", "abcd", SampleFileTime(33));
  ASSERT_TRUE(Pack("My Product", {"--method", "stored", "--set", "member.2.compressed=1"},
                   {GoodInput(), four}));
  RunToError("Error: kCMP_BAD_DATA (30013)\n");
  // The failing member's file was created, closed and given its time, with nothing in it.
  EXPECT_EQ(Entries(WorkDir()), Sorted({"four.bin", "good.txt"}));
  ExpectFilesEqual(WorkDir(), {{"good.txt", GoodInput()}});
  EXPECT_EQ(ReadFileBytes(WorkDir() + "\\four.bin"), "");
  EXPECT_EQ(LastWriteTime(WorkDir() + "\\four.bin"), SampleFileTime(33));

  ExpectVerify(0x30013);
  const std::string out = ExpectExtract(0x30013);
  EXPECT_EQ(Entries(out), Entries(WorkDir()));
  ExpectSameFiles(WorkDir(), out, {"good.txt", "four.bin"});
}

TEST_F(ExtractErrorRunTest, StoredMemberRunningPastTheEndOfTheFileIsACorruptArchive) {
  const std::string data = TextBytes(1000, 34);
  const std::string cut = WriteTimedInput("cut.txt", data, SampleFileTime(34));
  // 500 bytes more than the data, the closing record and the end of the file hold.
  ASSERT_TRUE(Pack("My Product", {"--method", "stored", "--set", "member.2.storedSize=1780"},
                   {GoodInput(), cut}));
  const std::string installer = ReadFileBytes(InstallerPath());
  ASSERT_GT(installer.size(), 280u);
  RunToError("Error: The archive seems to have been corrupted. (3000a)\n");
  // The copy took the member's data and then the closing record, up to the end of the file.
  EXPECT_EQ(Entries(WorkDir()), Sorted({"cut.txt", "good.txt"}));
  EXPECT_TRUE(ReadFileBytes(WorkDir() + "\\cut.txt") == data + installer.substr(installer.size() - 280));
  EXPECT_EQ(LastWriteTime(WorkDir() + "\\cut.txt"), SampleFileTime(34));

  ExpectVerify(0x3000A);
  const std::string out = ExpectExtract(0x3000A);
  EXPECT_EQ(Entries(out), Entries(WorkDir()));
  ExpectSameFiles(WorkDir(), out, {"good.txt", "cut.txt"});
}

// An unsafe or uncreatable member name: the first member is extracted, the second refused
// before anything of it is written, here or anywhere else.
class MemberNameRunTest : public ExtractErrorRunTest {
 protected:
  // Packs good.txt and a second member renamed in the written archive (zbpack pack refuses
  // these names) and plays the run to its error box.
  void RunWithSecondMemberNamed(const std::string& name) {
    const std::string evil = WriteTimedInput("evil.txt", "not to be written\r\n", SampleFileTime(35));
    ASSERT_TRUE(Pack("My Product", {"--set", "member.2.name=" + name}, {GoodInput(), evil}));
    std::vector<StoredMember> members;
    ASSERT_TRUE(ReadStoredMembers(InstallerPath(), &members));
    ASSERT_EQ(members.size(), 2u);
    ASSERT_EQ(members[1].name, name);

    RunToError("Error: There was a problem creating a file. (3000b)\n");
    EXPECT_EQ(Entries(WorkDir()), std::vector<std::string>{"good.txt"});
    ExpectFilesEqual(WorkDir(), {{"good.txt", GoodInput()}});
    out_ = ExpectExtract(0x3000B);
    EXPECT_EQ(Entries(out_), std::vector<std::string>{"good.txt"});
    ExpectSameFiles(WorkDir(), out_, {"good.txt"});
  }
  std::string out_;
};

TEST_F(MemberNameRunTest, ParentDirectoryNameIsRefused) {
  RunWithSecondMemberNamed("..\\evil.txt");
  // The name is unsafe wherever the archive is extracted.
  ExpectVerify(0x3000B);
  EXPECT_EQ(Entries(TempDir()), std::vector<std::string>{"ZubrexInstall"});
  EXPECT_FALSE(FileExists(Dir() + "\\packer\\evil.txt"));
}

TEST_F(MemberNameRunTest, AbsoluteNameIsRefused) {
  const std::string target = "C:\\zbe2e-evil-" + std::to_string(GetCurrentProcessId()) + ".txt";
  DeleteFileA(target.c_str());
  RunWithSecondMemberNamed(target);
  ExpectVerify(0x3000B);
  EXPECT_FALSE(FileExists(target)) << target << " was written";
  DeleteFileA(target.c_str());
}

TEST_F(MemberNameRunTest, NameInADirectoryThatDoesNotExistCannotBeCreated) {
  RunWithSecondMemberNamed("sub\\a.txt");
  // The installer creates no folders, so no installer can create this member.
  ExpectVerify(0x3000B);
  EXPECT_FALSE(DirectoryExists(WorkDir() + "\\sub")) << "a directory was made";
  EXPECT_FALSE(DirectoryExists(out_ + "\\sub")) << "zbpack extract made a directory";
}

}  // namespace
}  // namespace run
}  // namespace e2e
