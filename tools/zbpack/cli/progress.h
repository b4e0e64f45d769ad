// What pack, verify and extract show while they work. On a terminal (stderr), one live line on
// stderr, redrawn in place at most ten times a second: members and bytes done, MB/s and the
// time left. Otherwise plain lines: each member's line on stdout, flushed as it is printed.
// --quiet shows neither (errors only). One per process: the commands run one at a time.
#pragma once
#include <cstdint>
#include <string>

#include "zbpack/operations/work_observer.h"

// Starts the display for a run over memberCount members of totalBytes bytes. verb heads the
// live line ("packing").
void StartProgress(const char* verb, uint32_t memberCount, uint64_t totalBytes, bool quiet);

// bytes of the current member are done (counted from the member's start; a member read again
// may count from 0 again).
void ShowMemberProgress(uint64_t bytes);

// The current member is done: its bytes count in full, and its line is printed on stdout
// (unless quiet; nothing when line is empty).
void FinishMember(uint64_t bytes, const std::string& line);

// A line on stdout that is not a member's (a summary), unless quiet.
void PrintResultLine(const std::string& line);

// Removes the live line, so that what follows starts on a clean line. Called before every
// error line, and at the end of a run.
void ClearProgressLine();

// How the command line shows an operation's work: quiet (errors only) shows nothing; without
// lines the progress stays but no member or summary line is printed (a JSON document follows).
struct TerminalView {
  bool quiet = false;
  bool lines = true;
};

// An observer that shows the work through the functions above. view must outlive its use.
WorkObserver TerminalObserver(const TerminalView* view);
