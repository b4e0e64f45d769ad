// zbpack extract: writes every member into a directory through the stub's own transfer code.
// Names are held to the rules verify applies; each file is created new, never through a link
// or into anything but a regular file, and gets its time back through its own handle.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "archive/extract_member.h"
#include "archive/file_time.h"
#include "zbpack/archive_reading.h"
#include "zbpack/cli_options.h"
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

std::string SetCodePage(ExtractOptions& options, const std::vector<std::string>& values) {
  return ParseCodePage(values[0], &options.codePage);
}

constexpr Option<ExtractOptions> kExtractOptions[] = {
    {{"--directory", "-C", "DIR", "where the members go"},
     [](ExtractOptions& options, const std::vector<std::string>& values) {
       options.directory = values[0];
       return std::string();
     }},
    {{"--force", nullptr, nullptr,
      "replace existing regular files (links are never followed,\n"
      "other files never replaced); without it they are refused"},
     SetFlag<ExtractOptions, &ExtractOptions::force>},
    {{"--quiet", "-q", nullptr, "print errors only"},
     SetFlag<ExtractOptions, &ExtractOptions::quiet>},
    {{"--codepage", nullptr, "N", "the installer's code page (default 1252)"}, SetCodePage},
};

constexpr CommandLine<ExtractOptions> kExtractLine = {
    "extract",
    "usage: zbpack extract -C DIR [--force] [--quiet] [--codepage N] FILE.exe\n"
    "Writes the members into DIR (made if missing) with their times. On Linux the names are\n"
    "converted from the installer's code page (--codepage, default 1252) to UTF-8.\n",
    kExtractOptions, std::size(kExtractOptions), "",
    [](ExtractOptions& options, const std::string& text, bool) {
      if (!options.path.empty()) {
        return "expected one archive, got '" + options.path + "' and '" + text + "'";
      }
      options.path = text;
      return std::string();
    },
    [](ExtractOptions& options) {
      return options.directory.empty() || options.path.empty()
                 ? std::string("expected: extract -C DIR [--force] FILE")
                 : std::string();
    },
};

// What this extract has done so far: the names, as Windows sees them, and the files written.
struct ExtractRun {
  MemberNameSet names;
  std::vector<HostFileId> written;  // never replaced, --force or not
};

// Extracts the member whose header stands at the stream's position. Returns the error line's
// message, or an empty string.
std::string ExtractOne(ArchiveContext& context, const ExtractOptions& options,
                       const HostFileId& archiveId, ExtractRun& run) {
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
  context.outFile = CreateNewHostFile(target, options.force, archiveId, &reason);
  if (context.outFile == nullptr) {
    return label + ": cannot create " + Printable(target) + ": " + reason + " " +
           DescribeResult(kCannotCreateFile);
  }
  HostFileId made;
  if (QueryStreamFileId(context.outFile, &made)) run.written.push_back(made);
  code = TransferMember(context);
  // As the stub does, a failing member's file stays, closed and with its time set.
  const bool timed = SetStreamLastWriteTime(context.outFile, context.header.lastWriteTime);
  const bool closed = std::fclose(context.outFile) == 0;
  context.outFile = nullptr;
  if (code != kNoError) return label + ": cannot extract " + DescribeResult(code);
  if (!closed) return label + ": write error";
  if (!timed) return label + ": cannot set its time";
  FinishMember(context.header.originalSize, Printable(shown));
  return "";
}

}  // namespace

std::string ExtractHelp() { return CommandHelp(kExtractLine); }

int RunExtractCommand(int argc, char** argv) {
  ExtractOptions options;
  const std::string usage = ParseCommandLine(kExtractLine, argc, argv, &options);
  if (!usage.empty()) return ReportCommandUsage("extract", "extract", usage);

  ArchiveContext context;
  ArchiveExtent extent;
  HostFileId archiveId;
  if (!OpenArchive(options.path, true, context, &extent) || !EnterMembers(options.path, context) ||
      !AllocateWork(options.path, context)) {
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
    const std::string failure = ExtractOne(context, options, archiveId, run);
    if (!failure.empty()) {
      exitCode = ReportFailure(options.path, failure);
      break;
    }
  }
  ClearProgressLine();
  CloseArchive(context);
  return exitCode;
}
