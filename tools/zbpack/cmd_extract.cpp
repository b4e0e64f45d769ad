// zbpack extract: writes every member into a directory through the stub's own transfer code.
// Names are held to the rules verify applies; each file is created new, never through a link
// or into anything but a regular file, and gets its time back through its own handle.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/extract_member.h"
#include "archive/file_time.h"
#include "zbpack/archive_reading.h"
#include "zbpack/cli_args.h"
#include "zbpack/code_page.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/host_files.h"
#include "zbpack/member_rules.h"
#include "zbpack/pack_options.h"
#include "zbpack/progress.h"
#include "zbpack/result_names.h"

namespace {

struct ExtractOptions {
  std::string directory;
  std::string path;
  bool force = false;  // replace existing regular files (never links, folders or devices)
  bool quiet = false;  // errors only: no member lines, no progress
  uint32_t codePage = kDefaultCodePage;  // the installer's texts are in it
};

// Returns an empty string, or the usage error.
std::string ParseExtractOptions(int argc, char** argv, ExtractOptions* options) {
  ArgReader args(argc, argv);
  while (args.Next()) {
    const std::string& option = args.option();
    if (option == "-C" || option == "--directory") {
      if (!args.Value(&options->directory)) return args.error();
    } else if (option == "--force" || option == "--quiet" || option == "-q") {
      if (!args.Flag()) return args.error();
      (option == "--force" ? options->force : options->quiet) = true;
    } else if (option == "--codepage") {
      const std::string problem = TakeCodePageOption(args, &options->codePage);
      if (!problem.empty()) return problem;
    } else if (!option.empty()) {
      return "unknown option '" + option + "'";
    } else if (options->path.empty()) {
      options->path = args.operand();
    } else {
      return "expected one archive, got '" + options->path + "' and '" + args.operand() + "'";
    }
  }
  if (options->directory.empty() || options->path.empty()) return "expected: extract -C DIR [--force] FILE";
  return "";
}

// What this extract has done so far: the names, as Windows sees them, and the files written.
struct ExtractRun {
  MemberNameSet names;
  std::vector<HostFileId> written;  // never replaced, --force or not
};

// Extracts the member whose header stands at the stream's position. Returns the error line's
// message, or an empty string.
std::string ExtractOne(ArchiveReader& context, MemberTransfer& transfer,
                       const ExtractOptions& options, const HostFileId& archiveId,
                       ExtractRun& run) {
  const uint32_t index = context.currentIndex;
  ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
  const std::string label = MemberLabel(index, context.memberName, options.codePage);
  if (code != kNoError) return label + ": bad header " + DescribeResult(code);
  const std::string name = MemberNameText(context.memberName);
  const std::string problem = MemberNameProblem(name, options.codePage);
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
  FinishMember(context.header.originalSize, Printable(shown));
  return "";
}

}  // namespace

int RunExtractCommand(int argc, char** argv) {
  ExtractOptions options;
  const std::string usage = ParseExtractOptions(argc, argv, &options);
  if (!usage.empty()) return ReportUsage("extract", usage);

  ArchiveReader context;
  MemberTransfer transfer;
  ArchiveExtent extent;
  HostFileId archiveId;
  if (!OpenArchive(options.path, true, context, &extent) || !EnterMembers(options.path, context) ||
      !AllocateWork(options.path, transfer)) {
    CloseArchive(context);
    return kExitFailure;
  }
  std::string reason;
  if (!QueryStreamFileId(context.archiveFile, &archiveId)) {
    CloseArchive(context);
    return ReportFailure(options.path, "cannot identify the file");
  }
  if (!MakeHostDirectories(options.directory, &reason)) {
    CloseArchive(context);
    return ReportFailure(options.directory, "cannot create directory: " + reason);
  }

  StartProgress("extracting", context.trailer.fileCount, context.trailer.totalBytes, options.quiet);
  int exitCode = kExitSuccess;
  ExtractRun run = {{options.codePage, {}, {}}, {}};
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    const std::string failure = ExtractOne(context, transfer, options, archiveId, run);
    if (!failure.empty()) {
      exitCode = ReportFailure(options.path, failure);
      break;
    }
  }
  ClearProgressLine();
  CloseArchive(context);
  return exitCode;
}
