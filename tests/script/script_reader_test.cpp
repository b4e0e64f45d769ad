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

struct ReadCase {
  const char* what;
  std::string bytes;
  Lines lines;
  ScriptReadResult end;
};

TEST(ReadScriptLine, LineEndsLastLinesAndLengths) {
  const Lines typical = {"; Zubrex", ">Installing", "", "setup.exe /q", "#Cls run.exe", ">Done"};
  const std::string longest(kScriptLineSize - 1, 'a');  // 255 characters
  const std::string almost(kScriptLineSize - 2, 'b');   // 254 characters
  const std::string tooLong(kScriptLineSize, 'c');      // 256 characters
  std::string nulInFull(kScriptLineSize + 10, 'f');
  nulInFull[3] = '\0';
  const ReadCase cases[] = {
      {"LF", "; Zubrex\n>Installing\n\nsetup.exe /q\n#Cls run.exe\n>Done\n", typical, kScriptEnd},
      {"CR LF", "; Zubrex\r\n>Installing\r\n\r\nsetup.exe /q\r\n#Cls run.exe\r\n>Done\r\n", typical,
       kScriptEnd},
      {"last line without LF", ">First\nsetup.exe /q", {">First", "setup.exe /q"}, kScriptEnd},
      {"empty file", "", {}, kScriptEnd},
      {"empty lines", "\n\r\n\n", {"", "", ""}, kScriptEnd},
      // A CR is content except right before the LF, and only one CR belongs to the line end.
      {"CR inside", "a\rb\n", {"a\rb"}, kScriptEnd},
      {"CR ending the file", "a\r\nlast\r", {"a", "last\r"}, kScriptEnd},
      {"two CRs", "a\r\r\n", {"a\r"}, kScriptEnd},
      {"longest, LF", longest + "\n>next\n", {longest, ">next"}, kScriptEnd},
      {"longest, CR LF", longest + "\r\n>next\r\n", {longest, ">next"}, kScriptEnd},
      {"longest, last", longest, {longest}, kScriptEnd},
      {"254 and CR LF", almost + "\r\n>next\n", {almost, ">next"}, kScriptEnd},
      {"254 and a final CR", almost + "\r", {almost + "\r"}, kScriptEnd},
      // An over-long line stops the reading instead of being split.
      {"256, LF", ">before\n" + tooLong + "\n>after\n", {">before"}, kScriptLineTooLong},
      {"256, CR LF", ">before\n" + tooLong + "\r\n>after\r\n", {">before"}, kScriptLineTooLong},
      {"256, last", ">before\n" + tooLong, {">before"}, kScriptLineTooLong},
      {"255 and a lone CR", ">before\n" + longest + "\rX\n", {">before"}, kScriptLineTooLong},
      // A NUL ends the line's text, but does not hide that a line is too long.
      {"NUL", std::string("ab\0cd\nnext\n", 11), {"ab", "next"}, kScriptEnd},
      {"NUL in a long line", nulInFull + "\n", {}, kScriptLineTooLong},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Read read = ReadAll(c.bytes);
    EXPECT_EQ(read.lines, c.lines);
    EXPECT_EQ(read.end, c.end);
  }
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
