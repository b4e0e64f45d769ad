#include "zbpack/cli/cli_report.h"

#include <cstdio>

#include "zbpack/cli/progress.h"
#include "zbpack/host/code_page.h"
#include "zbpack/operations/result_names.h"

namespace {

void PrintErrorLine(const std::string& what, const std::string& message) {
  // WHAT is a path or a name as given: a control character in it must not reach the terminal.
  // Whatever the command printed before the failure comes first, also when both streams go to
  // one pipe.
  std::fflush(stdout);
  ClearProgressLine();
  std::fprintf(stderr, "zbpack: %s: %s\n", Printable(what).c_str(), message.c_str());
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

int ReportCommandUsage(const std::string& command, const std::string& what,
                       const std::string& message) {
  PrintErrorLine(what, message + " (see 'zbpack " + command + " --help')");
  return kExitUsage;
}

int ReportResultFailure(const std::string& what, const std::string& message, ResultCode code) {
  return ReportFailure(what, message + " " + DescribeResult(code));
}
