#include "zbpack/operations/verify_installer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "archive/extract_member.h"
#include "zbpack/host/host_files.h"
#include "zbpack/host/printable_text.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/member_rules.h"
#include "zbpack/operations/program_check.h"
#include "zbpack/operations/result_names.h"

namespace {

// One verify as it goes.
struct VerifyRun {
  VerifyReport& report;
  const WorkObserver& observer;
  MemberTransfer& transfer;  // decodes each member to the null device
  bool keepMembers;
  // The names so far, as Windows sees them, in the installer's code page.
  MemberNameSet names;
  uint64_t originalSum = 0;   // sum of the members' originalSize
  bool walkComplete = false;  // all fileCount members were located
  bool solidBroken = false;   // the last LZMA member failed: members that continue its stream
                              // cannot be checked
};

// "    3": a member's index as its line begins.
std::string IndexColumn(uint32_t index) {
  char number[16];
  std::snprintf(number, sizeof number, "%5lu", static_cast<unsigned long>(index));
  return number;
}

// The member's entry: its fields once its header was read, then its outcome. Without
// keepMembers only the current member's entry is kept.
VerifiedMember& MemberEntry(VerifyRun& state, uint32_t index) {
  std::vector<VerifiedMember>& members = state.report.members;
  if (members.empty() || members.back().index != index) {
    if (!state.keepMembers) members.clear();
    members.emplace_back();
    members.back().index = index;
  }
  return members.back();
}

// One member's problem: its line, its entry's reason (the first one), and the report's list.
void Fail(VerifyRun& state, uint32_t index, const std::string& label, const std::string& problem) {
  ObserveLine(state.observer, IndexColumn(index) + "  FAILED  " + problem);
  VerifiedMember& entry = MemberEntry(state, index);
  entry.ok = false;
  if (entry.reason.empty()) entry.reason = problem;
  state.report.problems.push_back(label + ": " + problem);
}

void FailArchive(VerifyRun& state, const std::string& problem) {
  ObserveLine(state.observer, "archive FAILED  " + problem);
  state.report.problems.push_back(problem);
}

std::string WithCode(const std::string& text, ResultCode code) {
  return text + " " + DescribeResult(code);
}

std::string HeaderProblem(ResultCode code, uint32_t index, uint32_t fileCount) {
  switch (code) {
    case kZbSeaBadArchiveCount:
      return WithCode("the closing record stands where this member should begin: fileCount says " +
                          std::to_string(fileCount) + ", the archive holds " +
                          std::to_string(index - 1),
                      code);
    case kIOError:
      return WithCode("header or name runs past the end of the file", code);
    case kArchiveCorrupted:
      return WithCode("name longer than 255 bytes or without its NUL", code);
    case kBadArchiveVersion:
      return WithCode("member header of another format version", code);
    default:
      return WithCode("no member header where this member should begin", code);
  }
}

std::string TransferProblem(ResultCode code, const FileHeader& header) {
  if (IsLzmaMember(header) && code == kArchiveCorrupted) {
    return WithCode("LZMA data damaged, continuing no stream, or not matching its CRC-32", code);
  }
  switch (code) {
    case kArchiveCorrupted:
      return WithCode("contents do not match its CRC-32", code);
    case kCopyAborted:
      return WithCode("read error", code);
    default:
      return WithCode("implode stream damaged", code);
  }
}

// Name checks, as pack makes them: what the stub refuses, what it cannot create (a file and a
// folder of one name), and two names for one file.
bool CheckName(VerifyRun& state, uint32_t index, const std::string& label,
               const std::string& name) {
  const std::string problem = MemberNameProblem(name, state.names.codePage);
  if (!problem.empty()) {
    Fail(state, index, label, WithCode("name " + problem, kCannotCreateFile));
    return false;
  }
  const NameClash clash = AddMemberName(state.names, name, index);
  if (clash.kind == NameClashKind::kFileAndFolder) {
    Fail(state, index, label,
         WithCode(
             "needs a file and a folder of one name, with member " + std::to_string(clash.other),
             kCannotCreateFile));
  } else if (clash.kind == NameClashKind::kSameFile) {
    Fail(state, index, label,
         WithCode("names the same file on Windows as member " + std::to_string(clash.other),
                  kCannotCreateFile));
  }
  return clash.kind == NameClashKind::kNone;
}

// Decodes the member whose data stand at the stream's position, as the stub does; false
// after failing it.
bool CheckMemberData(ArchiveReader& context, VerifyRun& state, uint32_t index,
                     const std::string& label) {
  const FileHeader& header = context.header;
  if (header.compressed == kLzmaContinueMember && state.solidBroken) {
    // Its data continue a stream that could not be decoded: nothing in them can be checked.
    Fail(state, index, label, "not checked: it continues a damaged LZMA stream");
    return false;
  }
  uint32_t written = 0;
  const ResultCode code = TransferMember(context, state.transfer, &written);
  state.solidBroken = IsLzmaMember(header) && code != kNoError;
  if (code != kNoError) {
    Fail(state, index, label, TransferProblem(code, header));
    return false;
  }
  if (written != header.originalSize) {
    Fail(state, index, label,
         "decodes to " + std::to_string(written) + " bytes, but originalSize says " +
             std::to_string(header.originalSize));
    return false;
  }
  return true;
}

// Checks the member whose header stands at the stream's position. False when the walk cannot
// go on (the next header's place is unknown).
bool VerifyMember(ArchiveReader& context, const ArchiveExtent& extent, VerifyRun& state,
                  uint32_t index) {
  const uint32_t codePage = state.names.codePage;
  ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
  const std::string label = MemberLabel(index, context.memberName, codePage);
  if (code != kNoError) {
    Fail(state, index, label, HeaderProblem(code, index, context.trailer.fileCount));
    return false;
  }
  const std::string name = MemberNameText(context.memberName);  // as stored
  const FileHeader header = context.header;
  VerifiedMember& entry = MemberEntry(state, index);
  entry.headerRead = true;
  entry.header = header;
  entry.name = CodePageToUtf8(name, codePage);
  uint64_t dataStart = 0;
  if (!TellStream(context.archiveFile, &dataStart)) return false;
  const uint64_t dataEnd = dataStart + header.storedSize;
  if (dataEnd > extent.trailerOffset) {
    // The stub would take in the closing record as data; its result names the failure.
    uint32_t written = 0;
    code = TransferMember(context, state.transfer, &written);
    Fail(state, index, label,
         WithCode(
             "its " + std::to_string(header.storedSize) + " data bytes run past the closing record",
             code != kNoError ? code : kArchiveCorrupted));
    return false;
  }
  state.originalSum += header.originalSize;
  const bool nameOk = CheckName(state, index, label, name);
  const bool ok = CheckMemberData(context, state, index, label) && nameOk;
  std::string line;
  if (ok) {
    VerifiedMember& done = MemberEntry(state, index);
    done.ok = true;
    line = IndexColumn(index) + "  OK      " + Printable(done.name);
  }
  ObserveMemberDone(state.observer, header.originalSize, line);
  // Whatever the transfer consumed, the next header begins behind this member's data.
  return SeekStream(context.archiveFile, dataEnd);
}

void VerifyMembers(ArchiveReader& context, const ArchiveExtent& extent, VerifyRun& state) {
  for (uint32_t index = 1; index <= context.trailer.fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    if (!VerifyMember(context, extent, state, index)) return;
  }
  state.walkComplete = true;
}

// What holds for the archive as a whole once the walk has located every member.
void VerifyArchive(ArchiveReader& context, const ArchiveExtent& extent, VerifyRun& state) {
  const SeaTrailer& trailer = context.trailer;
  if (state.walkComplete) {
    uint64_t position = 0;
    if (TellStream(context.archiveFile, &position) && position < extent.trailerOffset) {
      uint8_t tag[4];
      const bool moreMembers = std::fread(tag, sizeof tag, 1, context.archiveFile) == 1 &&
                               LoadLE32(tag) == kFileHeaderTag;
      FailArchive(state, moreMembers
                             ? "fileCount says " + std::to_string(trailer.fileCount) +
                                   ", but more members follow (the installer would leave them out)"
                             : std::to_string(extent.trailerOffset - position) +
                                   " bytes of unknown data stand before the closing record");
    }
    if (state.originalSum != trailer.totalBytes) {
      FailArchive(state, "totalBytes says " + std::to_string(trailer.totalBytes) +
                             ", but the members' sizes add up to " +
                             std::to_string(state.originalSum));
    }
  }
  // The walk above ends at the closing record, which a signed installer keeps in front of its
  // certificate table; a table that does not end the file signs nothing behind it.
  const std::string uncovered = UncoveredArchiveProblem(extent.signature);
  if (!uncovered.empty()) FailArchive(state, uncovered);
  const std::string program =
      ProgramProblem(context.archiveFile, extent.fileSize, trailer.archiveOffset);
  if (!program.empty()) FailArchive(state, program);
  if (trailer.scriptIndex > trailer.fileCount) {
    FailArchive(state, "scriptIndex " + std::to_string(trailer.scriptIndex) +
                           " names no member (there are " + std::to_string(trailer.fileCount) +
                           ")");
  }
}

// Opens the archive and the null device the members are decoded to. False with
// report.unreadable set when either fails.
bool OpenForVerify(const std::string& path, ArchiveReader& context, MemberTransfer& transfer,
                   ArchiveExtent* extent, VerifyReport& report) {
  Problem failure;
  if (!OpenArchive(path, true, context, extent, &failure) ||
      !EnterMembers(path, context, &failure) || !AllocateWork(path, transfer, &failure)) {
    report.unreadable = failure;
    return false;
  }
  transfer.outFile = std::fopen(NullDevicePath(), "wb");
  if (transfer.outFile == nullptr) {
    report.unreadable =
        Problem{NullDevicePath(), std::string("cannot open: ") + std::strerror(errno)};
    return false;
  }
  return true;
}

}  // namespace

VerifyReport VerifyInstaller(const std::string& path, const VerifyOptions& options,
                             const WorkObserver& observer) {
  VerifyReport report;
  report.path = path;
  report.codePage = options.codePage;
  ArchiveReader context;
  MemberTransfer transfer;
  ArchiveExtent extent;
  if (!OpenForVerify(path, context, transfer, &extent, report)) {
    CloseArchive(context);
    return report;
  }
  report.trailer = context.trailer;
  report.signature = extent.signature;
  VerifyRun state = {report, observer, transfer, options.keepMembers, {options.codePage, {}, {}}};
  ObserveStart(observer, "verifying", context.trailer.fileCount, context.trailer.totalBytes);
  VerifyMembers(context, extent, state);
  ObserveFinish(observer);
  VerifyArchive(context, extent, state);
  std::fclose(transfer.outFile);
  transfer.outFile = nullptr;
  CloseArchive(context);
  if (!options.keepMembers) report.members.clear();
  if (report.problems.empty()) {
    if (IsSigned(extent.signature)) {
      report.summary.push_back("signed: " + SignatureText(extent.signature));
    }
    report.summary.push_back("all " + std::to_string(report.trailer.fileCount) + " members OK");
  }
  return report;
}

std::optional<Problem> VerifyFailure(const VerifyReport& report) {
  if (report.unreadable) return report.unreadable;
  if (report.problems.empty()) return std::nullopt;
  const size_t count = report.problems.size();
  const std::string counted = count > 1 ? std::to_string(count) + " problems, the first: " : "";
  return Problem{report.path, counted + report.problems.front()};
}
