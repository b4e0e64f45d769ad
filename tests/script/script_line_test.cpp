// The kinds of script lines and what each carries.
#include "script/script_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct LineCase {
  std::string line;
  ScriptLineKind kind;
  std::string text;         // "untouched": the text buffer is left as it was
  std::string windowClass;  // for kLineRunWaitWindow
};

TEST(ParseScriptLine, EachKindCarriesItsText) {
  const LineCase cases[] = {
      {"; Zubrex install script", kLineComment, "", ""},
      {";", kLineComment, "", ""},
      {";>not a status", kLineComment, "", ""},
      {">Installing files...", kLineStatus, "Installing files...", ""},
      {">  two blanks kept  ", kLineStatus, "  two blanks kept  ", ""},
      {">>", kLineStatus, ">", ""},
      {">", kLineStatus, "", ""},
      {"", kLineSkip, "untouched", ""},
      {"setup.exe /q", kLineRun, "setup.exe /q", ""},
      {" setup.exe", kLineRun, " setup.exe", ""},  // a leading blank is no kind of its own
      {"\"my setup.exe\" a  b", kLineRun, "\"my setup.exe\" a  b", ""},
      // '#': the class up to the first blank, the command after it, further blanks its own.
      {"#MsiDialog setup.exe /q  /norestart", kLineRunWaitWindow, "setup.exe /q  /norestart",
       "MsiDialog"},
      {"#Cls  setup.exe ", kLineRunWaitWindow, " setup.exe ", "Cls"},
      {"# setup.exe", kLineRunWaitWindow, "setup.exe", ""},
      {"#", kLineSkip, "untouched", ""},
      {"#Class", kLineSkip, "untouched", ""},
      {"#Class ", kLineSkip, "untouched", ""},
      {"# ", kLineSkip, "untouched", ""},
      // A caller's line longer than the buffers is cut to them.
      {">" + std::string(400, 's'), kLineStatus, std::string(kScriptTextSize - 1, 's'), ""},
      {"#" + std::string(300, 'c') + " run", kLineRunWaitWindow, "run",
       std::string(kWindowClassSize - 1, 'c')},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE('"' + c.line + '"');
    char text[kScriptTextSize];
    std::strcpy(text, "untouched");
    EXPECT_EQ(ParseScriptLine(c.line.c_str(), text), c.kind);
    EXPECT_EQ(std::string(text), c.text);
    if (c.kind == kLineRunWaitWindow) {
      char className[kWindowClassSize];
      ScriptLineWindowClass(c.line.c_str(), className);
      EXPECT_EQ(std::string(className), c.windowClass);
    }
  }
}

}  // namespace
