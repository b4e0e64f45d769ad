// zbpack list: the closing record and every member header, read with the stub's own reading code,
// as a table or (--json) as one JSON document.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "zbpack/archive_reading.h"
#include "zbpack/cli_options.h"
#include "zbpack/cli_report.h"
#include "zbpack/code_page.h"
#include "zbpack/commands.h"
#include "zbpack/file_time.h"
#include "zbpack/json_listing.h"
#include "zbpack/pack_options.h"

namespace {

struct ListedMember {
  FileHeader header;
  std::string name;
};

uint32_t codePage = kDefaultCodePage;  // --codepage: the installer's texts are in it

void PrintListing(const ArchiveContext& context, const ArchiveEnd& end,
                  const std::vector<ListedMember>& members) {
  const SeaTrailer& trailer = context.trailer;
  std::printf("Product: %s\n", Printable(CodePageToUtf8(trailer.productName, codePage)).c_str());
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
  const std::string signature = SignatureText(end);
  if (!signature.empty()) std::printf("Signature: %s\n", signature.c_str());
  std::printf("%5s  %-8s  %10s  %10s  %-8s  %-19s  %s\n", "#", "method", "stored", "original",
              "crc32", "modified (UTC)", "name");
  for (size_t i = 0; i < members.size(); ++i) {
    const FileHeader& header = members[i].header;
    std::printf("%5lu  %-8s  %10lu  %10lu  %08lx  %-19s  %s\n", static_cast<unsigned long>(i + 1),
                MethodName(header),
                static_cast<unsigned long>(header.storedSize),
                static_cast<unsigned long>(header.originalSize),
                static_cast<unsigned long>(header.crc),
                FormatFileTimeUtc(header.lastWriteTime).c_str(), Printable(members[i].name).c_str());
  }
}

void PrintJsonListing(const ArchiveContext& context, const ArchiveEnd& end,
                      const std::vector<ListedMember>& members) {
  const uint32_t script = context.trailer.scriptIndex;
  nlohmann::json document = ArchiveJson(
      context.trailer, script >= 1 && script <= members.size() ? members[script - 1].name : "",
      codePage);
  if (IsSigned(end)) document["signatureBytes"] = end.certificateSize;
  for (size_t i = 0; i < members.size(); ++i) {
    document["members"].push_back(
        MemberJson(static_cast<uint32_t>(i + 1), members[i].header, members[i].name));
  }
  PrintJson(document);
}

struct ListCommand {
  std::string path;
  bool json = false;
};

constexpr Option<ListCommand> kListOptions[] = {
    {{"--json", nullptr, nullptr, "the same as one JSON document"},
     SetFlag<ListCommand, &ListCommand::json>},
    {{"--codepage", nullptr, "N",
      "the installer's code page (default 1252); names and the\n"
      "product are shown in UTF-8"},
     [](ListCommand&, const std::vector<std::string>& values) {
       return ParseCodePage(values[0], &codePage);
     }},
};

constexpr CommandLine<ListCommand> kListLine = {
    "list",
    "usage: zbpack list [--json] [--codepage N] FILE.exe\n"
    "Shows the product, the total size, the script member and one line per member (method,\n"
    "sizes, CRC-32, time, name).\n",
    kListOptions, std::size(kListOptions), "",
    [](ListCommand& command, const std::string& text, bool) {
      if (!command.path.empty()) return std::string("expected one installer");
      command.path = text;
      return std::string();
    },
    [](ListCommand& command) {
      return command.path.empty() ? std::string("expected: list FILE") : std::string();
    },
};

}  // namespace

std::string ListHelp() { return CommandHelp(kListLine); }

int RunListCommand(int argc, char** argv) {
  ListCommand command;
  codePage = kDefaultCodePage;
  const std::string usage = ParseCommandLine(kListLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage("list", "list", usage);
  const std::string& path = command.path;
  const bool json = command.json;

  ArchiveContext context;
  ArchiveExtent extent;
  const auto print = json ? PrintJsonListing : PrintListing;
  bool ok = OpenArchive(path, false, context, &extent) && EnterMembers(path, context);

  // The members are gathered first so that the script member's name heads the listing; a
  // failure part-way still lists the members read before it.
  std::vector<ListedMember> members;
  ResultCode failure = kNoError;
  for (uint32_t index = 1; ok && index <= context.trailer.fileCount; ++index) {
    context.memberName[0] = '\0';
    failure = ReadFileHeader(context.header, context.memberName, context.archiveFile);
    if (failure != kNoError) {
      ok = false;
      print(context, extent.signature, members);
      ReportResultFailure(path, MemberLabel(index, context.memberName, codePage) + ": bad header",
                          failure);
      break;
    }
    members.push_back(ListedMember{context.header,
                                   CodePageToUtf8(MemberNameText(context.memberName), codePage)});
    if (!SkipArchiveBytes(context.archiveFile, context.header.storedSize)) {
      ok = false;
      print(context, extent.signature, members);
      ReportResultFailure(
          path, MemberLabel(index, context.memberName, codePage) + ": cannot seek over its data",
          kIOError);
      break;
    }
  }
  if (ok) print(context, extent.signature, members);
  CloseArchive(context);
  return ok ? kExitSuccess : kExitFailure;
}
