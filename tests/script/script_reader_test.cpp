// Reading script lines from a stream: line ends, the last line, over-long lines.
#include "script/script_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Read {
  std::vector<std::string> lines;
  ScriptReadResult end;  // the first result that was not kScriptLineRead
};

// Writes bytes to a temporary file (binary, so the bytes stay exactly as given on every
// platform) and reads it with ReadScriptLine until it stops.
Read ReadAll(const std::string& bytes) {
  Read read{{}, kScriptLineRead};
  FILE* stream = std::tmpfile();
  if (stream == nullptr) {
    ADD_FAILURE() << "no temporary file";
    return read;
  }
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream), bytes.size());
  std::rewind(stream);
  char line[kScriptLineSize];
  for (int guard = 0; guard < 1000; ++guard) {
    read.end = ReadScriptLine(stream, line);
    if (read.end != kScriptLineRead) break;
    read.lines.push_back(line);
  }
  std::fclose(stream);
  return read;
}

using Lines = std::vector<std::string>;

TEST(ReadScriptLine, CrLfAndLfFilesGiveTheSameLines) {
  const Lines expected = {"; Zubrex", ">Installing", "", "setup.exe /q", "#Cls run.exe", ">Done"};
  const Read lf = ReadAll("; Zubrex\n>Installing\n\nsetup.exe /q\n#Cls run.exe\n>Done\n");
  const Read crlf =
      ReadAll("; Zubrex\r\n>Installing\r\n\r\nsetup.exe /q\r\n#Cls run.exe\r\n>Done\r\n");
  EXPECT_EQ(lf.lines, expected);
  EXPECT_EQ(lf.end, kScriptEnd);
  EXPECT_EQ(crlf.lines, expected);
  EXPECT_EQ(crlf.end, kScriptEnd);
}

TEST(ReadScriptLine, LastLineWithoutLineFeedIsReadWhole) {
  EXPECT_EQ(ReadAll(">First\nsetup.exe /q").lines, (Lines{">First", "setup.exe /q"}));
  EXPECT_EQ(ReadAll(">First\r\n>Last").lines, (Lines{">First", ">Last"}));
  EXPECT_EQ(ReadAll("x").lines, (Lines{"x"}));
  EXPECT_EQ(ReadAll("x").end, kScriptEnd);
}

TEST(ReadScriptLine, OnlyTheLineEndIsRemoved) {
  // A CR elsewhere is content: inside a line, and at the end of a last line without LF.
  EXPECT_EQ(ReadAll("a\rb\n").lines, (Lines{"a\rb"}));
  EXPECT_EQ(ReadAll("a\r\nlast\r").lines, (Lines{"a", "last\r"}));
  // Only one CR belongs to the line end.
  EXPECT_EQ(ReadAll("a\r\r\n").lines, (Lines{"a\r"}));
}

TEST(ReadScriptLine, EmptyFileAndEmptyLines) {
  const Read empty = ReadAll("");
  EXPECT_TRUE(empty.lines.empty());
  EXPECT_EQ(empty.end, kScriptEnd);
  EXPECT_EQ(ReadAll("\n\r\n\n").lines, (Lines{"", "", ""}));
}

TEST(ReadScriptLine, LongestLineFitsWithEveryLineEnd) {
  const std::string longest(kScriptLineSize - 1, 'a');  // 255 characters
  const std::string almost(kScriptLineSize - 2, 'b');   // 254 characters
  EXPECT_EQ(ReadAll(longest + "\n>next\n").lines, (Lines{longest, ">next"}));
  EXPECT_EQ(ReadAll(longest + "\r\n>next\r\n").lines, (Lines{longest, ">next"}));
  EXPECT_EQ(ReadAll(longest).lines, (Lines{longest}));
  EXPECT_EQ(ReadAll(almost + "\r\n>next\n").lines, (Lines{almost, ">next"}));
  EXPECT_EQ(ReadAll(almost + "\r\n>next\n").end, kScriptEnd);
  // 254 characters and a CR at the very end of the file: the CR is content.
  EXPECT_EQ(ReadAll(almost + "\r").lines, (Lines{almost + "\r"}));
}

TEST(ReadScriptLine, OverlongLineStopsInsteadOfSplitting) {
  const std::string tooLong(kScriptLineSize, 'c');  // 256 characters
  for (const std::string& bytes :
       {">before\n" + tooLong + "\n>after\n", ">before\n" + tooLong + "\r\n>after\r\n",
        ">before\n" + tooLong, ">before\n" + std::string(300, 'd') + "\n>after\n",
        // 255 characters, then a CR that no LF follows: the CR is a 256th character.
        ">before\n" + std::string(kScriptLineSize - 1, 'e') + "\rX\n"}) {
    const Read read = ReadAll(bytes);
    EXPECT_EQ(read.lines, (Lines{">before"}));
    EXPECT_EQ(read.end, kScriptLineTooLong);
  }
}

TEST(ReadScriptLine, NulByteEndsTheLinesText) {
  EXPECT_EQ(ReadAll(std::string("ab\0cd\nnext\n", 11)).lines, (Lines{"ab", "next"}));
  // A NUL inside a full-length line does not hide that the line is too long.
  std::string full(kScriptLineSize + 10, 'f');
  full[3] = '\0';
  EXPECT_EQ(ReadAll(full + "\n").end, kScriptLineTooLong);
}

#ifndef _WIN32
TEST(ReadScriptLine, StreamErrorIsReported) {
  // On POSIX hosts a directory opens for reading and every read of it fails.
  FILE* stream = std::fopen(".", "r");
  ASSERT_NE(stream, nullptr);
  char line[kScriptLineSize];
  EXPECT_EQ(ReadScriptLine(stream, line), kScriptReadError);
  std::fclose(stream);
}
#endif

}  // namespace
