// zbpack extract: the command line of ExtractInstaller.
#include <iterator>
#include <string>
#include <vector>

#include "zbpack/cli/cli_options.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"
#include "zbpack/cli/option_values.h"
#include "zbpack/cli/progress.h"
#include "zbpack/operations/extract_installer.h"

namespace {

struct ExtractCommand {
  std::string path;
  bool quiet = false;  // errors only: no member lines, no progress
  ExtractOptions options;
};

std::string SetCodePage(ExtractCommand& command, const std::vector<std::string>& values) {
  return ParseCodePage(values[0], &command.options.codePage);
}

constexpr Option<ExtractCommand> kExtractOptions[] = {
    {{"--directory", "-C", "DIR", "where the members go"},
     [](ExtractCommand& command, const std::vector<std::string>& values) {
       command.options.directory = values[0];
       return std::string();
     }},
    {{"--force", nullptr, nullptr,
      "replace existing regular files (links are never followed,\n"
      "other files never replaced); without it they are refused"},
     [](ExtractCommand& command, const std::vector<std::string>&) {
       command.options.force = true;
       return std::string();
     }},
    {{"--quiet", "-q", nullptr, "print errors only"},
     SetFlag<ExtractCommand, &ExtractCommand::quiet>},
    {{"--codepage", nullptr, "N", "the installer's code page (default 1252)"}, SetCodePage},
};

constexpr CommandLine<ExtractCommand> kExtractLine = {
    "extract",
    "usage: zbpack extract -C DIR [--force] [--quiet] [--codepage N] FILE.exe\n"
    "Writes the members into DIR (made if missing) with their times. On Linux the names are\n"
    "converted from the installer's code page (--codepage, default 1252) to UTF-8.\n",
    kExtractOptions,
    std::size(kExtractOptions),
    "",
    [](ExtractCommand& command, const std::string& text, bool) {
      if (!command.path.empty()) {
        return "expected one archive, got '" + command.path + "' and '" + text + "'";
      }
      command.path = text;
      return std::string();
    },
    [](ExtractCommand& command) {
      return command.options.directory.empty() || command.path.empty()
                 ? std::string("expected: extract -C DIR [--force] FILE")
                 : std::string();
    },
};

}  // namespace

std::string ExtractHelp() { return CommandHelp(kExtractLine); }

int RunExtractCommand(int argc, char** argv) {
  ExtractCommand command;
  const std::string usage = ParseCommandLine(kExtractLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage(kExtractLine.command, kExtractLine.command, usage);
  const TerminalView view = {command.quiet, true};
  const std::optional<Problem> failure =
      ExtractInstaller(command.path, command.options, TerminalObserver(&view));
  return failure ? ReportFailure(failure->what, failure->message) : kExitSuccess;
}
