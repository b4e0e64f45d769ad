// How zbpack reports a failure: one line "zbpack: WHAT: message" on stderr, where WHAT is the
// file concerned (or, for bad usage, the subcommand). Each returns the exit code to use.
#pragma once
#include <string>

#include "driver/result_codes.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int ReportFailure(const std::string& what, const std::string& message);  // returns kExitFailure
int ReportUsage(const std::string& what, const std::string& message);    // returns kExitUsage

// "zbpack: WHAT: message (kArchiveCorrupted, 0x3000a)"; returns kExitFailure.
int ReportResultFailure(const std::string& what, const std::string& message, ResultCode code);

// The text with every byte that a terminal could take as a control escaped as \xNN: C0 controls,
// DEL and the C1 range 0x80-0x9F. Names and texts read from an archive pass through it before
// they are printed.
std::string Printable(const std::string& text);
