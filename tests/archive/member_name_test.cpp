// Which member names may be created inside the work directory.
#include <gtest/gtest.h>

#include "archive/member_name.h"

namespace {

TEST(MemberName, PlainNamesAndNamesBelowTheWorkDirectoryPass) {
  for (const char* name :
       {"setup.exe", "readme.txt", "a", "sub\\file.dat", "sub/file.dat", "x..y", "..hidden",
        "console.txt", "com10", "lpt0.txt", "name with blanks.txt", "caf\xe9.txt"}) {
    EXPECT_TRUE(IsSafeMemberName(name)) << name;
  }
}

TEST(MemberName, NamesThatLeaveTheDirectoryOrNameNoPlainFileAreRefused) {
  for (const char* name : {"",
                           "\\evil.exe",
                           "/etc/passwd",
                           "C:\\Windows\\evil.dll",
                           "c:evil",
                           "..",
                           "..\\up.txt",
                           "sub\\..\\..\\up.txt",
                           "a/../../b",
                           ".",
                           ".\\a",
                           "...",
                           ". .",
                           "file.txt:stream",
                           "CON",
                           "nul",
                           "NUL.txt",
                           "aux.tar.gz",
                           "Com1",
                           "LPT9.log",
                           "prn ",
                           "sub\\CON",
                           "CON .txt",
                           "conin$",
                           "dir\\",
                           "dir/",
                           "a\\\\b",
                           "wild*.txt",
                           "what?.txt",
                           "a<b",
                           "pipe|x",
                           "quote\".txt",
                           "tab\there",
                           "\\\\server\\share\\x"}) {
    EXPECT_FALSE(IsSafeMemberName(name)) << name;
  }
  EXPECT_FALSE(IsSafeMemberName(nullptr));
}

}  // namespace
