// zbpack list: the command line of ListInstaller, printing the listing as a table or (--json)
// as one JSON document.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "zbpack/cli/cli_options.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"
#include "zbpack/cli/json_listing.h"
#include "zbpack/cli/option_values.h"
#include "zbpack/host/code_page.h"
#include "zbpack/host/file_time.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/list_installer.h"

namespace {

void PrintMemberTable(const std::vector<ListedMember>& members) {
  std::printf("%5s  %-8s  %10s  %10s  %-8s  %-19s  %s\n", "#", "method", "stored", "original",
              "crc32", "modified (UTC)", "name");
  for (size_t i = 0; i < members.size(); ++i) {
    const FileHeader& header = members[i].header;
    std::printf(
        "%5lu  %-8s  %10lu  %10lu  %08lx  %-19s  %s\n", static_cast<unsigned long>(i + 1),
        MethodName(header), static_cast<unsigned long>(header.storedSize),
        static_cast<unsigned long>(header.originalSize), static_cast<unsigned long>(header.crc),
        FormatFileTimeUtc(header.lastWriteTime).c_str(), Printable(members[i].name).c_str());
  }
}

void PrintListing(const ListReport& report) {
  const SeaTrailer& trailer = report.trailer;
  const std::vector<ListedMember>& members = report.members;
  std::printf("Product: %s\n",
              Printable(CodePageToUtf8(trailer.productName, report.codePage)).c_str());
  std::printf("Total bytes: %lu\n", static_cast<unsigned long>(trailer.totalBytes));
  std::printf("Members: %lu\n", static_cast<unsigned long>(trailer.fileCount));
  if (trailer.scriptIndex == 0) {
    std::printf("Script: none\n");
  } else if (trailer.scriptIndex <= members.size()) {
    std::printf("Script: %lu %s\n", static_cast<unsigned long>(trailer.scriptIndex),
                Printable(members[trailer.scriptIndex - 1].name).c_str());
  } else {
    std::printf("Script: %lu (no such member)\n", static_cast<unsigned long>(trailer.scriptIndex));
  }
  const std::string signature = SignatureText(report.signature);
  if (!signature.empty()) std::printf("Signature: %s\n", signature.c_str());
  PrintMemberTable(members);
}

void PrintJsonListing(const ListReport& report) {
  const uint32_t script = report.trailer.scriptIndex;
  const std::vector<ListedMember>& members = report.members;
  nlohmann::json document = ArchiveJson(
      report.trailer, script >= 1 && script <= members.size() ? members[script - 1].name : "",
      report.codePage);
  if (IsSigned(report.signature)) document["signatureBytes"] = report.signature.certificateSize;
  for (size_t i = 0; i < members.size(); ++i) {
    document["members"].push_back(
        MemberJson(static_cast<uint32_t>(i + 1), members[i].header, members[i].name));
  }
  PrintJson(document);
}

struct ListCommand {
  std::string path;
  bool json = false;
  uint32_t codePage = kDefaultCodePage;  // the installer's texts are in it
};

constexpr Option<ListCommand> kListOptions[] = {
    {{"--json", nullptr, nullptr, "the same as one JSON document"},
     SetFlag<ListCommand, &ListCommand::json>},
    {{"--codepage", nullptr, "N",
      "the installer's code page (default 1252); names and the\n"
      "product are shown in UTF-8"},
     [](ListCommand& command, const std::vector<std::string>& values) {
       return ParseCodePage(values[0], &command.codePage);
     }},
};

constexpr CommandLine<ListCommand> kListLine = {
    "list",
    "usage: zbpack list [--json] [--codepage N] FILE.exe\n"
    "Shows the product, the total size, the script member and one line per member (method,\n"
    "sizes, CRC-32, time, name).\n",
    kListOptions,
    std::size(kListOptions),
    "",
    TakeOneInstaller<ListCommand>,
    [](ListCommand& command) {
      return command.path.empty() ? std::string("expected: list FILE") : std::string();
    },
};

}  // namespace

std::string ListHelp() { return CommandHelp(kListLine); }

int RunListCommand(int argc, char** argv) {
  ListCommand command;
  const std::string usage = ParseCommandLine(kListLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage(kListLine.command, kListLine.command, usage);
  const ListReport report = ListInstaller(command.path, command.codePage);
  if (report.unreadable) return ReportFailure(report.unreadable->what, report.unreadable->message);
  // A failure part-way still lists the members read before it.
  (command.json ? PrintJsonListing : PrintListing)(report);
  if (report.failure) return ReportFailure(report.failure->what, report.failure->message);
  return kExitSuccess;
}
