// Reading the install script line by line from a standard stream. Portable.
//
// The Win32 stub opens the script "rt", so CR LF already reads as LF there; on other hosts
// (the stream opened "rb" or "r") a CR directly before the LF is dropped here as well, so that
// CR LF and LF files give the same lines everywhere. Nothing but that line end is removed: a
// last line without a line feed keeps its last character and is carried out like any other.
#pragma once
#include <cstdio>

#include "script/script_line.h"

enum ScriptReadResult : int {
  kScriptLineRead,     // line holds the next line, its line end removed
  kScriptEnd,          // nothing left to read; line is unspecified
  kScriptLineTooLong,  // the line's content exceeds kScriptLineSize - 1 characters
  kScriptReadError,    // the stream reported an error
};

// Reads the next line of stream into line. A line may hold up to 255 characters before its
// line end; a longer one is refused as a whole (kScriptLineTooLong) rather than split, and
// the stream is then left somewhere inside that line: the caller stops reading. A NUL byte in
// a line ends the line's text there; the rest of that line is ignored.
ScriptReadResult ReadScriptLine(FILE* stream, char (&line)[kScriptLineSize]);
