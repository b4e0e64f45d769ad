// zbpack pack: the command line of PackInstaller.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"
#include "zbpack/cli/pack_command.h"
#include "zbpack/cli/progress.h"
#include "zbpack/host/file_time.h"
#include "zbpack/operations/pack_installer.h"

namespace {

int RunPack(int argc, char** argv) {
  const std::string command = argv[0];
  PackCommand line;
  const std::string problem = ParsePackCommand(argc, argv, &line);
  if (!problem.empty()) return ReportCommandUsage(command, command, problem);
  // Reproducible builds: the same inputs give the same installer, whenever the files were
  // last touched after the release's own time.
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch != nullptr && epoch[0] != '\0') {
    uint64_t latest = 0;
    if (!ParseSourceDateEpoch(epoch, &latest)) {
      return ReportCommandUsage(
          command, command,
          std::string("SOURCE_DATE_EPOCH must be Unix seconds, not '") + epoch + "'");
    }
    line.options.latestTime = latest;
  }
  const TerminalView view = {line.quiet, true};
  const PackReport report = PackInstaller(line.options, TerminalObserver(&view));
  for (const Problem& failure : report.failures) {
    const std::string what = failure.what.empty() ? command : failure.what;
    if (report.usage) ReportCommandUsage(command, what, failure.message);
    if (!report.usage) ReportFailure(what, failure.message);
  }
  if (report.failures.empty()) return kExitSuccess;
  return report.usage ? kExitUsage : kExitFailure;
}

}  // namespace

int RunPackCommand(int argc, char** argv) { return RunPack(argc, argv); }
