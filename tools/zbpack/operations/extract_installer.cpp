#include "zbpack/operations/extract_installer.h"

#include <cstdio>
#include <string>
#include <vector>

#include "archive/extract_member.h"
#include "archive/file_time.h"
#include "zbpack/host/host_files.h"
#include "zbpack/host/printable_text.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/member_rules.h"
#include "zbpack/operations/result_names.h"

namespace {

// What this extract has done so far: the names, as Windows sees them, and the files written.
struct ExtractRun {
  MemberNameSet names;
  std::vector<HostFileId> written;  // never replaced, --force or not
};

// Why the member name (as stored) cannot be extracted: the rules verify applies, and two names
// for one file in this extract. Empty when it can.
std::string NameProblem(const std::string& label, const std::string& name, uint32_t index,
                        uint32_t codePage, ExtractRun& run) {
  const std::string problem = MemberNameProblem(name, codePage);
  if (!problem.empty()) {
    return label + ": cannot extract: name " + problem + " " + DescribeResult(kCannotCreateFile);
  }
  const NameClash clash = AddMemberName(run.names, name, index);
  if (clash.kind != NameClashKind::kNone) {
    return label + ": cannot extract: " +
           (clash.kind == NameClashKind::kSameFile ? "names the same file on Windows as member "
                                                   : "needs a file and a folder of one name, "
                                                     "with member ") +
           std::to_string(clash.other) + " " + DescribeResult(kCannotCreateFile);
  }
  return "";
}

// Extracts the member whose header stands at the stream's position. Returns the error line's
// message, or an empty string.
std::string ExtractOne(ArchiveReader& context, MemberTransfer& transfer,
                       const ExtractOptions& options, const HostFileId& archiveId, ExtractRun& run,
                       const WorkObserver& observer) {
  const uint32_t index = context.currentIndex;
  ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
  const std::string label = MemberLabel(index, context.memberName, options.codePage);
  if (code != kNoError) return label + ": bad header " + DescribeResult(code);
  const std::string name = MemberNameText(context.memberName);
  const std::string problem = NameProblem(label, name, index, options.codePage, run);
  if (!problem.empty()) return problem;
  std::string target = options.directory;
  if (target.back() != '/' && target.back() != kPathSeparator) target.push_back(kPathSeparator);
    // File names here are UTF-8; on Windows the stored name, in the system's own code page.
#ifdef _WIN32
  const std::string shown = name;
#else
  const std::string shown = CodePageToUtf8(name, options.codePage);
#endif
  std::string reason;
  if (!MakeMemberFolders(options.directory, shown, &reason)) {
    return label + ": cannot create its folder " + reason + " " + DescribeResult(kCannotCreateFile);
  }
  for (const char c : shown) target.push_back(c == '\\' || c == '/' ? kPathSeparator : c);
  HostFileId existing;
  if (QueryHostFileId(target.c_str(), &existing)) {
    for (const HostFileId& id : run.written) {
      if (id == existing) {
        return label + ": cannot create " + Printable(target) +
               ": written by this extract from another member (not replaced) " +
               DescribeResult(kCannotCreateFile);
      }
    }
  }
  transfer.outFile = CreateNewHostFile(target, options.force, archiveId, &reason);
  if (transfer.outFile == nullptr) {
    return label + ": cannot create " + Printable(target) + ": " + reason + " " +
           DescribeResult(kCannotCreateFile);
  }
  HostFileId made;
  if (QueryStreamFileId(transfer.outFile, &made)) run.written.push_back(made);
  code = TransferMember(context, transfer);
  // As the stub does, a failing member's file stays, closed and with its time set.
  const bool timed = SetStreamLastWriteTime(transfer.outFile, context.header.lastWriteTime);
  const bool closed = std::fclose(transfer.outFile) == 0;
  transfer.outFile = nullptr;
  if (code != kNoError) return label + ": cannot extract " + DescribeResult(code);
  if (!closed) return label + ": write error";
  if (!timed) return label + ": cannot set its time";
  ObserveMemberDone(observer, context.header.originalSize, Printable(shown));
  return "";
}

// Opens the archive, identifies it (no member may be written onto it) and makes the folder.
// False with *failure set.
bool StartExtract(const std::string& path, const ExtractOptions& options, ArchiveReader& context,
                  MemberTransfer& transfer, HostFileId* archiveId, Problem* failure) {
  ArchiveExtent extent;
  if (!OpenArchive(path, true, context, &extent, failure) ||
      !EnterMembers(path, context, failure) || !AllocateWork(path, transfer, failure)) {
    return false;
  }
  if (!QueryStreamFileId(context.archiveFile, archiveId)) {
    *failure = Problem{path, "cannot identify the file"};
    return false;
  }
  std::string reason;
  if (!MakeHostDirectories(options.directory, &reason)) {
    *failure = Problem{options.directory, "cannot create directory: " + reason};
    return false;
  }
  return true;
}

}  // namespace

std::optional<Problem> ExtractInstaller(const std::string& path, const ExtractOptions& options,
                                        const WorkObserver& observer) {
  ArchiveReader context;
  MemberTransfer transfer;
  HostFileId archiveId;
  Problem failure;
  if (!StartExtract(path, options, context, transfer, &archiveId, &failure)) {
    CloseArchive(context);
    return failure;
  }
  ObserveStart(observer, "extracting", context.trailer.fileCount, context.trailer.totalBytes);
  ExtractRun run = {{options.codePage, {}, {}}, {}};
  std::optional<Problem> result;
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    const std::string message = ExtractOne(context, transfer, options, archiveId, run, observer);
    if (!message.empty()) {
      result = Problem{path, message};
      break;
    }
  }
  ObserveFinish(observer);
  CloseArchive(context);
  return result;
}
