// How zbpack reports a failure: one line "zbpack: WHAT: message" on stderr, where WHAT is the
// file concerned (or, for bad usage, the subcommand), shown through Printable. Each returns the
// exit code to use.
#pragma once
#include <string>

#include "common/result_codes.h"
#include "zbpack/host/printable_text.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int ReportFailure(const std::string& what, const std::string& message);  // returns kExitFailure
int ReportUsage(const std::string& what, const std::string& message);    // returns kExitUsage
// A usage error of one command, pointing at that command's help; returns kExitUsage.
int ReportCommandUsage(const std::string& command, const std::string& what,
                       const std::string& message);

// "zbpack: WHAT: message (kArchiveCorrupted, 0x3000a)"; returns kExitFailure.
int ReportResultFailure(const std::string& what, const std::string& message, ResultCode code);
