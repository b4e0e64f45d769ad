// One line of the install script: what kind it is and what it carries. Portable.
//
// A line is handed over without its line end (see script_reader.h). Its first character
// alone decides its kind:
//   ";..."             kLineComment        nothing to do
//   ">text"            kLineStatus         text (possibly empty) for the status window
//   "#class command"   kLineRunWaitWindow  run command, then wait out windows of class
//   "#..." otherwise   kLineSkip           no blank, or nothing after the first blank
//   ""                 kLineSkip
//   anything else      kLineRun            the whole line is the command
#pragma once
#include <cstddef>

constexpr size_t kScriptLineSize = 256;   // bytes of a line buffer, NUL included
constexpr size_t kScriptTextSize = 256;   // bytes of a status text or command, NUL included
constexpr size_t kWindowClassSize = 256;  // bytes of a window class name, NUL included

enum ScriptLineKind : int {
  kLineStatus = 1,
  kLineComment = 2,
  kLineRun = 4,
  kLineSkip = 8,
  kLineRunWaitWindow = 15,
};

// line: NUL-terminated, without its line end. Writes into text the status text (kLineStatus),
// the command (kLineRun, kLineRunWaitWindow) or an empty string (kLineComment); leaves text
// untouched for kLineSkip. A text longer than text's room is cut to fit; lines from a
// kScriptLineSize buffer always fit.
ScriptLineKind ParseScriptLine(const char* line, char (&text)[kScriptTextSize]);

// The window class of a kLineRunWaitWindow line: everything between the '#' and the first
// blank, possibly empty. Call only for lines that ParseScriptLine called kLineRunWaitWindow.
void ScriptLineWindowClass(const char* line, char (&className)[kWindowClassSize]);
