// Finding a command's program: the work directory, then the system and Windows directories,
// then the absolute folders of PATH; never the installer's own folder or the caller's.
#include "script/command_program.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string kDir = "C:\\Temp\\ZubrexInstall\\";
const std::string kSys = "C:\\Windows\\system32";
const std::string kWin = "C:\\Windows";
const std::string kPath = "C:\\Tools\\;relative\\bin;;\"D:\\Quoted Bin\";.;\\\\server\\share";

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

// The path found for command, "<path>" when it is to run as written, "" when found nowhere.
std::string Find(const char* command, IsFileFn isFile = FakeIsFile,
                 const std::string& workDir = kDir) {
  askedPaths.clear();
  const ProgramPlaces places = {workDir.c_str(), kSys.c_str(), kWin.c_str(), kPath.c_str()};
  char path[kPathSize];
  switch (FindScriptProgram(places, command, isFile, path)) {
    case kProgramFound:
      return path;
    case kProgramNamedByPath:
      return "<path>";
    case kProgramNotFound:
      break;
  }
  return "";
}

// Every place a bare name is asked in, in order.
std::vector<std::string> Everywhere(const std::string& file) {
  return {kDir + file,          kSys + "\\" + file,        kWin + "\\" + file,
          "C:\\Tools\\" + file, "D:\\Quoted Bin\\" + file, "\\\\server\\share\\" + file};
}

TEST(ScriptProgram, IsLookedForInTheWorkDirectoryThenTheSystemThenPath) {
  existingFiles = {
      kDir + "setup.exe",           kDir + "sub.d\\tool.exe",  kDir + "my setup.exe",
      kDir + "install.bat",         kSys + "\\cmd.exe",        kSys + "\\setup.exe",
      kWin + "\\notepad.exe",       "C:\\Tools\\msiexec.exe",  "D:\\Quoted Bin\\reg.exe",
      "\\\\server\\share\\net.exe", "relative\\bin\\evil.exe", ".\\evil.exe"};
  struct Case {
    const char* command;
    std::string found;               // "" when found nowhere, "<path>" when run as written
    std::vector<std::string> asked;  // in order
  };
  // clang-format off
  const std::vector<Case> cases = {
      // The work directory wins over the system's file of the same name.
      {"setup.exe", kDir + "setup.exe", {kDir + "setup.exe"}},
      {"   setup.exe\t/q /norestart", kDir + "setup.exe", {kDir + "setup.exe"}},
      {"install.bat x", kDir + "install.bat", {kDir + "install.bat"}},
      // Without an extension, as the platform would run it.
      {"setup /q", kDir + "setup.exe", {kDir + "setup.exe"}},
      {"sub.d\\tool -x", kDir + "sub.d\\tool.exe", {kDir + "sub.d\\tool.exe"}},
      {"cmd /c exit 3", kSys + "\\cmd.exe", {kDir + "cmd.exe", kSys + "\\cmd.exe"}},
      {"\"cmd.exe\" /c", kSys + "\\cmd.exe", {kDir + "cmd.exe", kSys + "\\cmd.exe"}},
      {"notepad x.txt", kWin + "\\notepad.exe",
       {kDir + "notepad.exe", kSys + "\\notepad.exe", kWin + "\\notepad.exe"}},
      // PATH: relative and empty folders are skipped, quotes dropped, network paths kept.
      {"msiexec /i x.msi", "C:\\Tools\\msiexec.exe",
       {kDir + "msiexec.exe", kSys + "\\msiexec.exe", kWin + "\\msiexec.exe",
        "C:\\Tools\\msiexec.exe"}},
      {"reg add", "D:\\Quoted Bin\\reg.exe",
       {kDir + "reg.exe", kSys + "\\reg.exe", kWin + "\\reg.exe", "C:\\Tools\\reg.exe",
        "D:\\Quoted Bin\\reg.exe"}},
      {"net", "\\\\server\\share\\net.exe", Everywhere("net.exe")},
      // Found nowhere: never left to the platform's search, whatever "." and relative folders
      // of PATH hold.
      {"evil", "", Everywhere("evil.exe")},
      // Unquoted blanks: each prefix that ends a word, shortest first, in every place.
      {"my setup.exe /q", kDir + "my setup.exe", [] {
         std::vector<std::string> asked = Everywhere("my.exe");
         asked.push_back(kDir + "my setup.exe");
         return asked;
       }()},
      // A folder part is looked for in the work directory only, else run as written.
      {"sub.d\\nothing.exe", "<path>", {kDir + "sub.d\\nothing.exe"}},
      // Quoted: the one candidate, to the end of the command when the quote is not closed.
      {"\"my setup.exe\" /q", kDir + "my setup.exe", {kDir + "my setup.exe"}},
      {"\"my setup.exe", kDir + "my setup.exe", {kDir + "my setup.exe"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(Find(c.command), c.found) << c.command;
    EXPECT_EQ(askedPaths, c.asked) << c.command;
  }
}

TEST(ScriptProgram, PathsRunAsWrittenAndEmptyNamesNowhere) {
  // Even where every path would exist: a path outside the work directory is the script's own
  // choice, and the platform searches no folder for it.
  for (const char* command : {"C:setup.exe", "./setup.exe", "..\\setup", "C:\\x\\y.exe /q",
                              "\"C:\\Program Files\\x.exe\" /q", "D:"}) {
    EXPECT_EQ(Find(command, AnyIsFile), "<path>") << command;
    EXPECT_TRUE(askedPaths.empty()) << command;
  }
  for (const char* command : {"", "   ", "\"\"", "\"\" setup.exe", "nul", "a*b"}) {
    EXPECT_EQ(Find(command, AnyIsFile), "") << command;
    EXPECT_TRUE(askedPaths.empty()) << command;
  }
}

TEST(ScriptProgram, JoinedPathMustFitThePathBuffer) {
  const std::string workDir = "C:\\" + std::string(200, 'w') + "\\";
  const size_t room = kPathSize - 1 - workDir.size();  // characters left for the file name
  const std::string fits = std::string(room - 2, 'x') + ".e";
  const std::string over = std::string(room - 1, 'x') + ".e";
  EXPECT_EQ(Find(fits.c_str(), AnyIsFile, workDir), workDir + fits);
  // Too long for the work directory, the name is still looked for in the shorter places.
  askedPaths.clear();
  EXPECT_EQ(Find(over.c_str(), AnyIsFile, workDir), kSys + "\\" + over);
  EXPECT_EQ(askedPaths, std::vector<std::string>{kSys + "\\" + over});
  // Without an extension the appended ".exe" counts too.
  const std::string bareFits(room - 4, 'y');
  const std::string bareOver(room - 3, 'y');
  EXPECT_EQ(Find(bareFits.c_str(), AnyIsFile, workDir), workDir + bareFits + ".exe");
  EXPECT_EQ(Find(bareOver.c_str(), AnyIsFile, workDir), kSys + "\\" + bareOver + ".exe");
}

}  // namespace
