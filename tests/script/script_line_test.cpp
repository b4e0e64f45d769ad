// The kinds of script lines and what each carries.
#include "script/script_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Parses line with text prefilled, so that "left untouched" and "emptied" can be told apart.
struct Parsed {
  ScriptLineKind kind;
  std::string text;
};

Parsed Parse(const char* line) {
  char text[kScriptTextSize];
  std::strcpy(text, "untouched");
  const ScriptLineKind kind = ParseScriptLine(line, text);
  return {kind, text};
}

std::string WindowClass(const char* line) {
  char className[kWindowClassSize];
  ScriptLineWindowClass(line, className);
  return className;
}

TEST(ParseScriptLine, CommentsCarryAnEmptyText) {
  EXPECT_EQ(Parse("; Zubrex install script").kind, kLineComment);
  EXPECT_EQ(Parse("; Zubrex install script").text, "");
  EXPECT_EQ(Parse(";").kind, kLineComment);
  EXPECT_EQ(Parse(";>not a status").kind, kLineComment);
  EXPECT_EQ(Parse(";setup.exe").text, "");
}

TEST(ParseScriptLine, StatusTextIsEverythingAfterTheMark) {
  EXPECT_EQ(Parse(">Installing files...").kind, kLineStatus);
  EXPECT_EQ(Parse(">Installing files...").text, "Installing files...");
  EXPECT_EQ(Parse(">  two blanks kept  ").text, "  two blanks kept  ");
  EXPECT_EQ(Parse(">>").text, ">");
}

TEST(ParseScriptLine, StatusMarkAloneEmptiesTheText) {
  const Parsed parsed = Parse(">");
  EXPECT_EQ(parsed.kind, kLineStatus);
  EXPECT_EQ(parsed.text, "");
}

TEST(ParseScriptLine, EmptyLineIsSkippedAndLeavesTextAlone) {
  const Parsed parsed = Parse("");
  EXPECT_EQ(parsed.kind, kLineSkip);
  EXPECT_EQ(parsed.text, "untouched");
}

TEST(ParseScriptLine, AnyOtherFirstCharacterRunsTheWholeLine) {
  EXPECT_EQ(Parse("setup.exe /q").kind, kLineRun);
  EXPECT_EQ(Parse("setup.exe /q").text, "setup.exe /q");
  EXPECT_EQ(Parse("cmd /c exit 3").text, "cmd /c exit 3");
  // A leading blank is not a kind of its own.
  EXPECT_EQ(Parse(" setup.exe").kind, kLineRun);
  EXPECT_EQ(Parse(" setup.exe").text, " setup.exe");
  EXPECT_EQ(Parse("\"my setup.exe\" a  b").text, "\"my setup.exe\" a  b");
}

TEST(ParseScriptLine, HashLineWithoutACommandIsSkipped) {
  for (const char* line : {"#", "#Class", "#Class ", "# ", "#AfxWnd42s"}) {
    const Parsed parsed = Parse(line);
    EXPECT_EQ(parsed.kind, kLineSkip) << '"' << line << '"';
    EXPECT_EQ(parsed.text, "untouched") << '"' << line << '"';
  }
}

TEST(ParseScriptLine, HashLineSplitsAtItsFirstBlank) {
  Parsed parsed = Parse("#MsiDialog setup.exe /q  /norestart");
  EXPECT_EQ(parsed.kind, kLineRunWaitWindow);
  EXPECT_EQ(parsed.text, "setup.exe /q  /norestart");
  EXPECT_EQ(WindowClass("#MsiDialog setup.exe /q  /norestart"), "MsiDialog");

  // Further blanks belong to the command, the first one only separates.
  parsed = Parse("#Cls  setup.exe ");
  EXPECT_EQ(parsed.kind, kLineRunWaitWindow);
  EXPECT_EQ(parsed.text, " setup.exe ");
  EXPECT_EQ(WindowClass("#Cls  setup.exe "), "Cls");
}

TEST(ParseScriptLine, HashLineMayNameAnEmptyClass) {
  const Parsed parsed = Parse("# setup.exe");
  EXPECT_EQ(parsed.kind, kLineRunWaitWindow);
  EXPECT_EQ(parsed.text, "setup.exe");
  EXPECT_EQ(WindowClass("# setup.exe"), "");
}

TEST(ParseScriptLine, OverlongInputIsCutToTheTextBuffer) {
  // Lines from the reader always fit; a caller's longer line must still stay inside text.
  const std::string line = ">" + std::string(400, 's');
  const Parsed parsed = Parse(line.c_str());
  EXPECT_EQ(parsed.kind, kLineStatus);
  EXPECT_EQ(parsed.text, std::string(kScriptTextSize - 1, 's'));

  const std::string hash = "#" + std::string(300, 'c') + " run";
  EXPECT_EQ(WindowClass(hash.c_str()), std::string(kWindowClassSize - 1, 'c'));
}

}  // namespace
