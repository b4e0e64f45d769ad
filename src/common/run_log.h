// The installer's log (/LOG=path): plain text, one line per event, each stamped with the local
// time ("2026-12-07 18:56:52 "). Opened once for appending; every line is written through at
// once, so that a run that is killed leaves what it did so far. Win32 only.
//
// A log that cannot be opened or written changes nothing else: every call is then a no-op.
#pragma once

// Opens absolutePath for appending (creating it if needed). False when it cannot.
bool OpenRunLog(const char* absolutePath);

// Appends one line: format and its arguments as wsprintfA takes them (%s, %lu, %lx, %08lX...),
// at most 1,000 bytes of text, then CR LF. Nothing without an open log.
void LogLine(const char* format, ...);
