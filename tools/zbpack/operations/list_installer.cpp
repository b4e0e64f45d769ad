#include "zbpack/operations/list_installer.h"

#include "zbpack/host/code_page.h"
#include "zbpack/host/host_files.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/result_names.h"

ListReport ListInstaller(const std::string& path, uint32_t codePage) {
  ListReport report;
  report.codePage = codePage;
  ArchiveReader context;
  ArchiveExtent extent;
  Problem failure;
  if (!OpenArchive(path, false, context, &extent, &failure) ||
      !EnterMembers(path, context, &failure)) {
    report.unreadable = failure;
    CloseArchive(context);
    return report;
  }
  report.trailer = context.trailer;
  report.signature = extent.signature;
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.memberName[0] = '\0';
    const ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
    const std::string label = MemberLabel(index, context.memberName, codePage);
    if (code != kNoError) {
      report.failure = Problem{path, label + ": bad header " + DescribeResult(code)};
      break;
    }
    report.members.push_back(
        ListedMember{context.header, CodePageToUtf8(MemberNameText(context.memberName), codePage)});
    if (!SkipArchiveBytes(context.archiveFile, context.header.storedSize)) {
      report.failure =
          Problem{path, label + ": cannot seek over its data " + DescribeResult(kIOError)};
      break;
    }
  }
  CloseArchive(context);
  return report;
}
