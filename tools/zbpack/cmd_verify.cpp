// zbpack verify: decodes every member to the null device through the stub's own transfer code
// and checks its CRC-32.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/extract_member.h"
#include "archive/member_name.h"
#include "zbpack/archive_reading.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/host_files.h"
#include "zbpack/result_names.h"

namespace {

struct VerifyTally {
  uint32_t failed = 0;
  std::string firstLabel;
  ResultCode firstCode = kNoError;
};

void CountFailure(VerifyTally& tally, const std::string& label, ResultCode code) {
  if (tally.failed++ == 0) {
    tally.firstLabel = label;
    tally.firstCode = code;
  }
}

// Verifies the members in archive order: names the stub would refuse, and data whose CRC-32
// does not match. A member whose data fail is reported and skipped by
// its storedSize, so that one bad member does not hide the state of the others; a header that
// cannot be read ends the walk, since nothing after it can be located.
void VerifyMembers(ArchiveContext& context, VerifyTally& tally) {
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
    if (code != kNoError) {
      std::printf("%5lu  FAILED  (header) %s\n", static_cast<unsigned long>(index),
                  DescribeResult(code).c_str());
      CountFailure(tally, MemberLabel(index, context.memberName) + ": bad header", code);
      return;
    }
    const std::string name = MemberNameText(context.memberName);
    fpos_t dataStart;
    const bool haveDataStart = std::fgetpos(context.archiveFile, &dataStart) == 0;

    code = TransferMember(context);
    // The stub refuses to create a member that would leave its work directory or name no
    // plain file: an installer holding one cannot install, whatever its data.
    const bool safeName = IsSafeMemberName(context.memberName);
    if (code == kNoError && !safeName) {
      std::printf("%5lu  FAILED  %s unsafe name %s\n", static_cast<unsigned long>(index),
                  name.c_str(), DescribeResult(kCannotCreateFile).c_str());
      CountFailure(tally, MemberLabel(index, context.memberName) + ": unsafe name",
                   kCannotCreateFile);
      continue;
    }
    if (code == kNoError) {
      std::printf("%5lu  OK      %s\n", static_cast<unsigned long>(index), name.c_str());
      continue;
    }
    std::printf("%5lu  FAILED  %s %s\n", static_cast<unsigned long>(index), name.c_str(),
                DescribeResult(code).c_str());
    CountFailure(tally, MemberLabel(index, context.memberName) + ": bad data", code);
    if (!haveDataStart || std::fsetpos(context.archiveFile, &dataStart) != 0 ||
        !SkipArchiveBytes(context.archiveFile, context.header.storedSize)) {
      return;
    }
  }
}

}  // namespace

int RunVerifyCommand(int argc, char** argv) {
  if (argc != 2) return ReportUsage("verify", "expected: verify FILE");
  const std::string path = argv[1];

  ArchiveContext context;
  if (!OpenArchive(path, true, context)) {
    CloseArchive(context);
    return kExitFailure;
  }
  const ArchiveEnd end = LocateArchiveEndInFile(context.archiveFile);
  if (!EnterMembers(path, context) || !AllocateWork(path, context)) {
    CloseArchive(context);
    return kExitFailure;
  }
  context.outFile = std::fopen(NullDevicePath(), "wb");
  if (context.outFile == nullptr) {
    CloseArchive(context);
    return ReportFailure(NullDevicePath(), std::string("cannot open: ") + std::strerror(errno));
  }

  VerifyTally tally;
  VerifyMembers(context, tally);
  const std::string coverProblem =
      tally.failed == 0 ? SignatureCoverProblem(end, context.archiveFile) : "";
  std::fclose(context.outFile);
  context.outFile = nullptr;
  CloseArchive(context);

  if (tally.failed != 0) {
    const std::string count =
        tally.failed > 1 ? std::to_string(tally.failed) + " members failed, the first " : "";
    return ReportResultFailure(path, count + tally.firstLabel, tally.firstCode);
  }
  if (!coverProblem.empty()) return ReportFailure(path, coverProblem);
  if (IsSigned(end)) std::printf("signed: %s\n", SignatureText(end).c_str());
  std::printf("all %lu members OK\n", static_cast<unsigned long>(context.trailer.fileCount));
  return kExitSuccess;
}
