// Finding a command's program in the work directory.
#include "script/command_program.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The fake file system of the tests: the files that exist, and every path asked about.
std::set<std::string> existingFiles;
std::vector<std::string> askedPaths;

bool FakeIsFile(const char* path) {
  askedPaths.push_back(path);
  return existingFiles.count(path) != 0;
}

bool AnyIsFile(const char* path) {
  askedPaths.push_back(path);
  return true;
}

class WorkDirProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    existingFiles = {"C:\\Temp\\ZubrexInstall\\setup.exe",
                     "C:\\Temp\\ZubrexInstall\\my setup.exe",
                     "C:\\Temp\\ZubrexInstall\\readme",
                     "C:\\Temp\\ZubrexInstall\\install.bat"};
    askedPaths.clear();
  }

  // The path found for command, or "" when the platform's search is to be left alone.
  static std::string Find(const char* command, IsFileFn isFile = FakeIsFile,
                          const char* workDir = "C:\\Temp\\ZubrexInstall\\") {
    char path[kPathSize];
    return WorkDirProgramPath(workDir, command, isFile, path) ? path : "";
  }
};

TEST_F(WorkDirProgram, BareNameOfAFileInTheWorkDirIsRunFromThere) {
  EXPECT_EQ(Find("setup.exe"), "C:\\Temp\\ZubrexInstall\\setup.exe");
  EXPECT_EQ(Find("setup.exe /q /norestart"), "C:\\Temp\\ZubrexInstall\\setup.exe");
  EXPECT_EQ(Find("setup.exe\t/q"), "C:\\Temp\\ZubrexInstall\\setup.exe");
  EXPECT_EQ(Find("   setup.exe /q"), "C:\\Temp\\ZubrexInstall\\setup.exe");
  EXPECT_EQ(Find("install.bat x"), "C:\\Temp\\ZubrexInstall\\install.bat");
}

TEST_F(WorkDirProgram, NameWithoutExtensionIsLookedUpAsExe) {
  EXPECT_EQ(Find("setup /q"), "C:\\Temp\\ZubrexInstall\\setup.exe");
  EXPECT_EQ(askedPaths, (std::vector<std::string>{"C:\\Temp\\ZubrexInstall\\setup.exe"}));
  // A file named exactly like the token but without ".exe" is not what the platform would
  // start for it.
  askedPaths.clear();
  EXPECT_EQ(Find("readme"), "");
  EXPECT_EQ(askedPaths, (std::vector<std::string>{"C:\\Temp\\ZubrexInstall\\readme.exe"}));
}

TEST_F(WorkDirProgram, QuotedTokenIsTheProgram) {
  EXPECT_EQ(Find("\"my setup.exe\" /q"), "C:\\Temp\\ZubrexInstall\\my setup.exe");
  EXPECT_EQ(Find("\"setup.exe\""), "C:\\Temp\\ZubrexInstall\\setup.exe");
  // Without its closing quote the name runs to the end of the command.
  EXPECT_EQ(Find("\"my setup.exe"), "C:\\Temp\\ZubrexInstall\\my setup.exe");
  // Unquoted, the name ends at the blank.
  EXPECT_EQ(Find("my setup.exe"), "");
  EXPECT_EQ(askedPaths.back(), "C:\\Temp\\ZubrexInstall\\my.exe");
}

TEST_F(WorkDirProgram, ProgramsTheWorkDirDoesNotHoldKeepThePlatformSearch) {
  EXPECT_EQ(Find("cmd /c exit 3"), "");
  EXPECT_EQ(Find("notepad.exe readme.txt"), "");
}

TEST_F(WorkDirProgram, TokenNamingAPathIsLeftAlone) {
  // Even where every path would exist: a path is the script's own choice.
  for (const char* command : {"sub\\setup.exe", "C:setup.exe", "./setup.exe", "..\\setup",
                              "\"C:\\Program Files\\x.exe\" /q", "D:"}) {
    EXPECT_EQ(Find(command, AnyIsFile), "") << command;
  }
  EXPECT_TRUE(askedPaths.empty());
}

TEST_F(WorkDirProgram, EmptyProgramIsLeftAlone) {
  for (const char* command : {"", "   ", "\"\"", "\"\" setup.exe"}) {
    EXPECT_EQ(Find(command, AnyIsFile), "") << command;
  }
  EXPECT_TRUE(askedPaths.empty());
}

TEST_F(WorkDirProgram, JoinedPathMustFitThePathBuffer) {
  const std::string workDir = "C:\\" + std::string(200, 'w') + "\\";
  const size_t room = kPathSize - 1 - workDir.size();  // characters left for the file name
  const std::string fits = std::string(room - 2, 'x') + ".e";
  const std::string over = std::string(room - 1, 'x') + ".e";
  EXPECT_EQ(Find(fits.c_str(), AnyIsFile, workDir.c_str()), workDir + fits);
  askedPaths.clear();
  EXPECT_EQ(Find(over.c_str(), AnyIsFile, workDir.c_str()), "");
  EXPECT_TRUE(askedPaths.empty());
  // Without an extension the appended ".exe" counts too.
  const std::string bareFits(room - 4, 'y');
  const std::string bareOver(room - 3, 'y');
  EXPECT_EQ(Find(bareFits.c_str(), AnyIsFile, workDir.c_str()), workDir + bareFits + ".exe");
  askedPaths.clear();
  EXPECT_EQ(Find(bareOver.c_str(), AnyIsFile, workDir.c_str()), "");
  EXPECT_TRUE(askedPaths.empty());
}

TEST_F(WorkDirProgram, FindsTheToken) {
  const char* command = "  \"my setup.exe\" /q";
  const ProgramToken token = FindProgramToken(command);
  EXPECT_EQ(std::string(token.start, token.length), "my setup.exe");
  EXPECT_EQ(token.start, command + 3);
}

}  // namespace
