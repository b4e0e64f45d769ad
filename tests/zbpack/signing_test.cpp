// Really signed installers (osslsigncode, with a throwaway certificate made by openssl): pack
// --sign-command, then list, verify and extract read them, the signature covers the archive,
// and the mistakes a user can make fail and leave no installer behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "cli_harness.h"

namespace {

int Shell(const std::string& command) {
  const int status = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ZbpackSigning, SignedInstallersListVerifyExtractAndStayCovered) {
  if (Shell("command -v osslsigncode") != 0 || Shell("command -v openssl") != 0) {
    GTEST_SKIP() << "osslsigncode or openssl is not installed (scripts/install-deps.sh)";
  }
  ScratchDir scratch;
  const std::string key = scratch.Path("key.pem");
  const std::string cert = scratch.Path("cert.pem");
  ASSERT_EQ(0, Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Zubrex\\ Test"
                     " -keyout '" +
                     key + "' -out '" + cert + "'"));
  // target: %1 for --sign-command, or a quoted path.
  const auto signCommand = [&](const std::string& target) {
    return "osslsigncode sign -certs '" + cert + "' -key '" + key + "' -in " + target + " -out " +
           target + ".signed && mv " + target + ".signed " + target;
  };
  WriteFileBytes(scratch.Path("stub.exe"), FakeStubBytes());
  const Bytes contents = RandomBytes(3001, 1);  // the unsigned size is not a multiple of 8
  WriteFileBytes(scratch.Path("data.bin"), contents);
  // A path the shell must quote, and would run code from if it were part of the command.
  const std::string installer = scratch.Path("setup it's $(touch pwned).exe");

  // -q: nothing on stdout; the check after signing reads the names in the pack's code page
  // (in 1252 these two would be one file).
  RunResult run = RunZbpack({"pack",
                             "-q",
                             "--codepage=1251",
                             "-o",
                             installer,
                             "--stub",
                             scratch.Path("stub.exe"),
                             "--product",
                             "Signed",
                             "--method",
                             "stored",
                             "--sign-command",
                             signCommand("%1"),
                             scratch.Path("data.bin"),
                             "--as",
                             "\u044f",
                             scratch.Path("stub.exe"),
                             "--as",
                             "\u045f",
                             scratch.Path("stub.exe")},
                            scratch);
  ASSERT_EQ(0, run.exitCode) << run.out << run.err;
  EXPECT_EQ(std::string::npos, run.out.find("signing: ")) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find(" OK")) << run.out;
  EXPECT_FALSE(std::ifstream(scratch.Path("pwned")).good());
  run = RunZbpack({"verify", "--codepage=1251", installer}, scratch);
  EXPECT_NE(std::string::npos, run.out.find("signed: ")) << run.out;

  run = RunZbpack({"list", installer}, scratch);
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("Signature: ")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("bytes of padding before it")) << run.out;  // 2
  run = RunZbpack({"extract", "--codepage=1251", "-C", scratch.Path("out"), installer}, scratch);
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(contents, ReadFileBytes(scratch.Path("out/data.bin")));

  // The signature covers the archive: one flipped data byte breaks it.
  const std::string checkSignature = "osslsigncode verify -CAfile '" + cert + "' -in ";
  WriteFileBytes(scratch.Path("signed.exe"), ReadFileBytes(installer));  // a name safe in sh
  EXPECT_EQ(0, Shell(checkSignature + "'" + scratch.Path("signed.exe") + "'"));
  Bytes flipped = ReadFileBytes(installer);
  flipped[FakeStubBytes().size() + 4 + 32 + 9 + 1000] ^= 0x01;
  WriteFileBytes(scratch.Path("flipped.exe"), flipped);
  EXPECT_NE(0, Shell(checkSignature + "'" + scratch.Path("flipped.exe") + "'"));

  // Mistakes: a stub signed before packing (its signature could not cover the archive), and a
  // signing command that fails or signs nothing. The failed packs leave no installer.
  ASSERT_EQ(0, Shell(signCommand("'" + scratch.Path("stub.exe") + "'")));
  run = RunZbpack({"pack", "-o", scratch.Path("late.exe"), "--stub", scratch.Path("stub.exe"),
                   "--product", "Late", scratch.Path("data.bin")},
                  scratch);
  EXPECT_EQ(1, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find("sign the finished installer instead")) << run.err;
  WriteFileBytes(scratch.Path("stub.exe"), FakeStubBytes());
  for (const std::string& command : {std::string("false %1"), std::string("touch %1")}) {
    run = RunZbpack({"pack", "-o", scratch.Path("failed.exe"), "--stub", scratch.Path("stub.exe"),
                     "--product", "Failed", "--sign-command", command, scratch.Path("data.bin")},
                    scratch);
    EXPECT_EQ(1, run.exitCode) << command;
    EXPECT_NE(std::string::npos,
              run.err.find(command[0] == 'f' ? "exit code 1" : "the installer was removed"))
        << run.err;
    EXPECT_TRUE(ReadFileBytes(scratch.Path("failed.exe")).empty()) << command;
  }
}

// The command gets the path as one word, whatever quotes the user put around %1, and never as
// shell code; a path that begins with '-' comes as ./-name.
TEST(ZbpackSigning, TheCommandGetsThePathAsOneWord) {
  ScratchDir scratch;
  WriteFileBytes(scratch.Path("stub.exe"), FakeStubBytes());
  WriteFileText(scratch.Path("a.txt"), "a");
  const std::pair<std::string, std::string> cases[] = {
      // output, the path the command gets
      {"a b $(touch pwned).exe", "a b $(touch pwned).exe"},
      {"-x.exe", "./-x.exe"}};
  for (const auto& c : cases) {
    // %1 as the user quoted it, and as the command shown (and run by sh -c CMD zbpack PATH).
    const std::pair<std::string, std::string> quotings[] = {
        {"%1", "\"$1\""}, {"\"%1\"", "\"$1\""}, {"'%1'", "''\"$1\"''"}};
    for (const auto& quoting : quotings) {
      SCOPED_TRACE(c.first + " " + quoting.first);
      const RunResult run =
          RunZbpack({"pack", "-o", c.first, "--stub", "stub.exe", "--product", "P",
                     "--sign-command", "printf %s " + quoting.first + " >arg; false", "a.txt"},
                    scratch);
      EXPECT_EQ(1, run.exitCode);
      EXPECT_NE(std::string::npos,
                run.out.find("signing: printf %s " + quoting.second + " >arg; false\n"))
          << run.out;
      std::ifstream arg(scratch.Path("arg"));
      EXPECT_EQ(c.second, std::string(std::istreambuf_iterator<char>(arg), {}));
      EXPECT_FALSE(std::ifstream(scratch.Path("pwned")).good());
    }
  }
}

}  // namespace
