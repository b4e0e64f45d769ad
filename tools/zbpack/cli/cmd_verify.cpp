// zbpack verify: the command line of VerifyInstaller. Exit 0 means the stub will install
// exactly the files the archive claims. --json prints one document instead of the lines: the
// archive, each member with its outcome and reason, and the problems found.
#include <iterator>
#include <string>
#include <vector>

#include "zbpack/cli/cli_options.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"
#include "zbpack/cli/json_listing.h"
#include "zbpack/cli/option_values.h"
#include "zbpack/cli/progress.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/verify_installer.h"

namespace {

// The archive's fields, each member's entry, every problem found and the outcome.
void PrintVerifyJson(const VerifyReport& report) {
  std::string scriptName;
  nlohmann::json members = nlohmann::json::array();
  for (const VerifiedMember& member : report.members) {
    nlohmann::json entry = {{"index", member.index}};
    if (member.headerRead) entry.update(MemberJson(member.index, member.header, member.name));
    if (member.headerRead && member.index == report.trailer.scriptIndex) {
      scriptName = member.name;
    }
    if (member.ok) entry["outcome"] = "ok";
    if (!member.reason.empty()) entry["outcome"] = "failed";
    if (!member.reason.empty()) entry["reason"] = member.reason;
    members.push_back(entry);
  }
  nlohmann::json document = ArchiveJson(report.trailer, scriptName, report.codePage);
  document["members"] = std::move(members);
  document["problems"] = report.problems;
  document["outcome"] = report.problems.empty() ? "ok" : "failed";
  PrintJson(document);
}

struct VerifyCommand {
  std::string path;
  bool json = false;  // one document at the end, no lines
  bool quiet = false;
  VerifyOptions options;
};

constexpr Option<VerifyCommand> kVerifyOptions[] = {
    {{"--json", nullptr, nullptr,
      "one JSON document: the archive, each member with its\n"
      "outcome and reason, the problems found"},
     SetFlag<VerifyCommand, &VerifyCommand::json>},
    {{"--quiet", "-q", nullptr, "print errors only"},
     SetFlag<VerifyCommand, &VerifyCommand::quiet>},
    {{"--codepage", nullptr, "N",
      "the installer's code page (default 1252); names are checked\n"
      "in it and shown in UTF-8"},
     [](VerifyCommand& command, const std::vector<std::string>& values) {
       return ParseCodePage(values[0], &command.options.codePage);
     }},
};

constexpr CommandLine<VerifyCommand> kVerifyLine = {
    "verify",
    "usage: zbpack verify [--json] [--quiet] [--codepage N] FILE.exe\n"
    "Checks that the installer will install what it claims: the records, names, sizes and\n"
    "CRC-32 of every member, each member decoded as the installer decodes it. Exit 0 means\n"
    "it will.\n",
    kVerifyOptions,
    std::size(kVerifyOptions),
    "",
    TakeOneInstaller<VerifyCommand>,
    [](VerifyCommand& command) {
      return command.path.empty() ? std::string("expected: verify FILE") : std::string();
    },
};

}  // namespace

std::string VerifyHelp() { return CommandHelp(kVerifyLine); }

int RunVerifyCommand(int argc, char** argv) {
  VerifyCommand command;
  const std::string usage = ParseCommandLine(kVerifyLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage(kVerifyLine.command, kVerifyLine.command, usage);
  command.options.keepMembers = command.json;
  const TerminalView view = {command.quiet, !command.json};
  const VerifyReport report =
      VerifyInstaller(command.path, command.options, TerminalObserver(&view));
  if (report.unreadable) {
    const Problem& failure = *report.unreadable;
    ReportFailure(failure.what, failure.message);
    // A script reading the document learns the outcome from it, not only from stderr.
    if (command.json) {
      PrintJson({{"outcome", "failed"},
                 {"problems", {Printable(failure.what) + ": " + failure.message}}});
    }
    return kExitFailure;
  }
  if (command.json) PrintVerifyJson(report);
  const std::optional<Problem> failure = VerifyFailure(report);
  if (failure) return ReportFailure(failure->what, failure->message);
  for (const std::string& line : report.summary) {
    if (!command.json) PrintResultLine(line);
  }
  return kExitSuccess;
}
