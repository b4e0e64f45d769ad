#include "zbpack/cli_report.h"

#include <cstdio>

#include "zbpack/result_names.h"

namespace {

void PrintErrorLine(const std::string& what, const std::string& message) {
  // Whatever the command printed before the failure comes first, also when both streams go to
  // one pipe.
  std::fflush(stdout);
  std::fprintf(stderr, "zbpack: %s: %s\n", what.c_str(), message.c_str());
}

}  // namespace

int ReportFailure(const std::string& what, const std::string& message) {
  PrintErrorLine(what, message);
  return kExitFailure;
}

int ReportUsage(const std::string& what, const std::string& message) {
  PrintErrorLine(what, message + " (see zbpack --help)");
  return kExitUsage;
}

int ReportResultFailure(const std::string& what, const std::string& message, ResultCode code) {
  return ReportFailure(what, message + " " + DescribeResult(code));
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}
