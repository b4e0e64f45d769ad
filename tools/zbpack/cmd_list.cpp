// zbpack list: the closing record and every member header, read with the stub's own reading code.
#include <cstdio>
#include <string>
#include <vector>

#include "zbpack/archive_reading.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/file_time.h"

namespace {

struct ListedMember {
  FileHeader header;
  std::string name;
};

void PrintListing(const ArchiveContext& context, const ArchiveEnd& end,
                  const std::vector<ListedMember>& members) {
  const SeaTrailer& trailer = context.trailer;
  std::printf("Product: %s\n", Printable(trailer.productName).c_str());
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
                header.compressed != 0 ? "imploded" : "stored",
                static_cast<unsigned long>(header.storedSize),
                static_cast<unsigned long>(header.originalSize),
                static_cast<unsigned long>(header.crc),
                FormatFileTimeUtc(header.lastWriteTime).c_str(), Printable(members[i].name).c_str());
  }
}

}  // namespace

int RunListCommand(int argc, char** argv) {
  if (argc != 2) return ReportUsage("list", "expected: list FILE");
  const std::string path = argv[1];

  ArchiveContext context;
  ArchiveExtent extent;
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
      PrintListing(context, extent.signature, members);
      ReportResultFailure(path, MemberLabel(index, context.memberName) + ": bad header", failure);
      break;
    }
    members.push_back(ListedMember{context.header, MemberNameText(context.memberName)});
    if (!SkipArchiveBytes(context.archiveFile, context.header.storedSize)) {
      ok = false;
      PrintListing(context, extent.signature, members);
      ReportResultFailure(path, MemberLabel(index, context.memberName) + ": cannot seek over its data",
                          kIOError);
      break;
    }
  }
  if (ok) PrintListing(context, extent.signature, members);
  CloseArchive(context);
  return ok ? kExitSuccess : kExitFailure;
}
