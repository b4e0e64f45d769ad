// Finding a command's program in the work directory.
#include "script/command_program.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string kDir = "C:\\Temp\\ZubrexInstall\\";

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

// The path found for command, or "" when the platform's search is to be left alone.
std::string Find(const char* command, IsFileFn isFile = FakeIsFile,
                 const std::string& workDir = kDir) {
  askedPaths.clear();
  char path[kPathSize];
  return WorkDirProgramPath(workDir.c_str(), command, isFile, path) ? path : "";
}

TEST(WorkDirProgram, LooksUpTheNameAsAnUnquotedOrQuotedCommandLineNamesIt) {
  existingFiles = {kDir + "setup.exe", kDir + "sub.d\\tool.exe", kDir + "my setup.exe", kDir + "readme",
                   kDir + "install.bat"};
  struct Case {
    const char* command;
    std::string found;               // "" when the platform's search is left alone
    std::vector<std::string> asked;  // in order
  };
  const Case cases[] = {
      {"setup.exe", kDir + "setup.exe", {kDir + "setup.exe"}},
      {"   setup.exe\t/q /norestart", kDir + "setup.exe", {kDir + "setup.exe"}},
      {"install.bat x", kDir + "install.bat", {kDir + "install.bat"}},
      // Without an extension, as the platform would run it.
      {"setup /q", kDir + "setup.exe", {kDir + "setup.exe"}},
      // In a folder of the work directory; the extension is the file name's.
      {"sub.d\\tool -x", kDir + "sub.d\\tool.exe", {kDir + "sub.d\\tool.exe"}},
      {"readme", "", {kDir + "readme.exe"}},
      // Unquoted blanks: each prefix that ends a word, shortest first.
      {"my setup.exe /q", kDir + "my setup.exe", {kDir + "my.exe", kDir + "my setup.exe"}},
      {"cmd /c exit 3", "", {kDir + "cmd.exe"}},  // a prefix naming a path ends the search
      {"notepad.exe readme.txt", "", {kDir + "notepad.exe", kDir + "notepad.exe readme.txt"}},
      // Quoted: the one candidate, to the end of the command when the quote is not closed.
      {"\"my setup.exe\" /q", kDir + "my setup.exe", {kDir + "my setup.exe"}},
      {"\"my setup.exe", kDir + "my setup.exe", {kDir + "my setup.exe"}},
      {"\"setup.exe x\" setup.exe", "", {kDir + "setup.exe x"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find(c.command), c.found) << c.command;
    EXPECT_EQ(askedPaths, c.asked) << c.command;
  }
}

TEST(WorkDirProgram, PathsAndEmptyNamesAreLeftAloneWithoutALookup) {
  // Even where every path would exist: a path is the script's own choice.
  for (const char* command : {"C:setup.exe", "./setup.exe", "..\\setup",
                              "\"C:\\Program Files\\x.exe\" /q", "D:", "", "   ", "\"\"",
                              "\"\" setup.exe"}) {
    EXPECT_EQ(Find(command, AnyIsFile), "") << command;
    EXPECT_TRUE(askedPaths.empty()) << command;
  }
}

TEST(WorkDirProgram, JoinedPathMustFitThePathBuffer) {
  const std::string workDir = "C:\\" + std::string(200, 'w') + "\\";
  const size_t room = kPathSize - 1 - workDir.size();  // characters left for the file name
  const std::string fits = std::string(room - 2, 'x') + ".e";
  const std::string over = std::string(room - 1, 'x') + ".e";
  EXPECT_EQ(Find(fits.c_str(), AnyIsFile, workDir), workDir + fits);
  EXPECT_EQ(Find(over.c_str(), AnyIsFile, workDir), "");
  EXPECT_TRUE(askedPaths.empty());
  // Without an extension the appended ".exe" counts too.
  const std::string bareFits(room - 4, 'y');
  const std::string bareOver(room - 3, 'y');
  EXPECT_EQ(Find(bareFits.c_str(), AnyIsFile, workDir), workDir + bareFits + ".exe");
  EXPECT_EQ(Find(bareOver.c_str(), AnyIsFile, workDir), "");
  EXPECT_TRUE(askedPaths.empty());
}

}  // namespace
