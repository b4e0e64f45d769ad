// The installer's switches, read from whole command lines as Windows hands them over.
#include "driver/installer_arguments.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstallerArguments, SwitchesCountInAnyCaseAndTheLastLogWins) {
  struct Case {
    const char* commandLine;
    bool silent;
    const char* logPath;
  };
  const Case cases[] = {
      {"setup.exe", false, ""},
      {"\"C:\\My Downloads\\setup.exe\"", false, ""},
      {"setup.exe /S", true, ""},
      {"setup.exe /s", true, ""},
      {"setup.exe\t/S\t", true, ""},
      // The program's own name is never an argument, quoted or not.
      {"/S", false, ""},
      {"\"C:\\x\\/S\" /q", false, ""},
      // Other arguments are ignored; so are near misses.
      {"setup.exe /q /norestart /SILENT /S2 -S S", false, ""},
      {"setup.exe /LOG=C:\\logs\\setup.log", false, "C:\\logs\\setup.log"},
      {"setup.exe /S /log=setup.log", true, "setup.log"},
      {"setup.exe \"/LOG=C:\\My Logs\\setup.log\" /S", true, "C:\\My Logs\\setup.log"},
      {"setup.exe /LOG=\"C:\\My Logs\\setup.log\"", false, "C:\\My Logs\\setup.log"},
      {"setup.exe /LOG=first.log /Log=second.log", false, "second.log"},
      {"setup.exe /LOG=first.log /LOG=", false, ""},
      // The C runtime's rules for backslashes and quotes.
      {"setup.exe /LOG=C:\\a\\\\b\\", false, "C:\\a\\\\b\\"},
      {"setup.exe \"/LOG=C:\\dir\\\\\" /S", true, "C:\\dir\\"},
      {"setup.exe /LOG=a\\\"b", false, "a\"b"},
      {"setup.exe \"/LOG=a \"\"b\"\" c\"", false, "a \"b\" c"},
      // An unclosed quote runs to the end.
      {"setup.exe \"/LOG=C:\\a b /S", false, "C:\\a b /S"},
  };
  for (const Case& c : cases) {
    const InstallerArguments arguments = ParseInstallerArguments(c.commandLine);
    EXPECT_EQ(arguments.silent, c.silent) << c.commandLine;
    EXPECT_STREQ(arguments.logPath, c.logPath) << c.commandLine;
  }
}

TEST(InstallerArguments, ALogPathThatDoesNotFitIsDropped) {
  const std::string fits(kPathSize - 1, 'f');
  const std::string over(kPathSize, 'o');
  EXPECT_EQ(ParseInstallerArguments(("s /LOG=" + fits).c_str()).logPath, fits);
  EXPECT_STREQ(ParseInstallerArguments(("s /LOG=" + fits + " /LOG=" + over).c_str()).logPath, "");
  EXPECT_STREQ(ParseInstallerArguments(("s /LOG=" + std::string(5000, 'x')).c_str()).logPath, "");
}

}  // namespace
