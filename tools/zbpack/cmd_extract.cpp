// zbpack extract: writes every member into a directory through the stub's own extraction code,
// which also refuses unsafe member names and puts each file's time back.
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/extract_member.h"
#include "archive/file_time.h"
#include "zbpack/archive_reading.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/host_files.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == kPathSeparator; }

// Makes DIR followed by one separator the context's work directory. False if it does not fit
// the work directory buffer with room for a member name of at least one character.
bool SetWorkDir(const std::string& directory, ArchiveContext& context) {
  std::string workDir = directory;
  if (workDir.empty() || !IsSeparator(workDir.back())) workDir.push_back(kPathSeparator);
  if (workDir.size() + 2 > kPathSize) return false;
  std::memcpy(context.workDir, workDir.c_str(), workDir.size() + 1);
  context.workDirLength = static_cast<uint32_t>(workDir.size());
  return true;
}

}  // namespace

int RunExtractCommand(int argc, char** argv) {
  std::string directory;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "-C") {
      if (i + 1 >= argc) return ReportUsage("extract", "-C needs a directory");
      directory = argv[++i];
    } else if (!argument.empty() && argument[0] == '-') {
      return ReportUsage("extract", "unknown option '" + argument + "'");
    } else if (path.empty()) {
      path = argument;
    } else {
      return ReportUsage("extract", "expected one archive, got '" + path + "' and '" + argument + "'");
    }
  }
  if (directory.empty() || path.empty()) return ReportUsage("extract", "expected: extract -C DIR FILE");

  ArchiveContext context;
  if (!SetWorkDir(directory, context)) {
    return ReportFailure(directory, "path too long for a work directory");
  }
  std::string reason;
  if (!MakeHostDirectory(directory.c_str(), &reason)) {
    return ReportFailure(directory, "cannot create directory: " + reason);
  }
  if (!OpenArchive(path, true, context) || !EnterMembers(path, context) ||
      !AllocateWork(path, context)) {
    CloseArchive(context);
    return kExitFailure;
  }

  int exitCode = kExitSuccess;
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    const ResultCode code = ExtractMember(context);
    if (code != kNoError) {
      exitCode = ReportResultFailure(path, MemberLabel(index, context.memberName) + ": cannot extract", code);
      break;
    }
    std::printf("%s\n", MemberNameText(context.memberName).c_str());
  }
  CloseArchive(context);
  return exitCode;
}
