// zbpack verify: exit 0 means the stub will install exactly the files the archive claims. Every
// member is decoded to the null device through the stub's own transfer code, and everything
// the stub relies on is checked: the walk from the archive tag through fileCount members
// ending exactly at the closing record, each name (the stub's rules for each component, the
// length bound, no two names for one Windows file), each member's CRC-32 and decoded size
// against originalSize, totalBytes against their sum, scriptIndex naming a member; and the
// program in front of the archive (its PE headers and resource tree, program_check.h). --json
// prints one document instead of the lines: the archive, each member with its outcome and
// reason, and the problems found.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "archive/extract_member.h"
#include "zbpack/archive_reading.h"
#include "zbpack/cli_options.h"
#include "zbpack/cli_report.h"
#include "zbpack/code_page.h"
#include "zbpack/commands.h"
#include "zbpack/host_files.h"
#include "zbpack/json_listing.h"
#include "zbpack/member_rules.h"
#include "zbpack/pack_options.h"
#include "zbpack/program_check.h"
#include "zbpack/progress.h"
#include "zbpack/result_names.h"

namespace {

struct VerifyState {
  bool json = false;                         // --json: one document at the end, no lines
  nlohmann::json members = nlohmann::json::array();  // each member's fields and outcome
  std::vector<std::string> problems;         // in the order found
  // The names so far, as Windows sees them; its code page (--codepage) is the installer's.
  MemberNameSet names = {kDefaultCodePage, {}, {}};
  uint64_t originalSum = 0;                  // sum of the members' originalSize
  bool walkComplete = false;                 // all fileCount members were located
  bool solidBroken = false;                  // the last LZMA member failed: members that
                                             // continue its stream cannot be checked
};

// One member's outcome on its own line; problems are also kept for the closing error line.
// The member's JSON entry: its fields once its header was read, then its outcome.
// Without --json only the current member's entry is kept: memory stays bounded by the names.
nlohmann::json& MemberEntry(VerifyState& state, uint32_t index) {
  if (state.members.empty() || state.members.back()["index"] != index) {
    if (!state.json) state.members.clear();
    state.members.push_back({{"index", index}});
  }
  return state.members.back();
}

void Fail(VerifyState& state, uint32_t index, const std::string& label, const std::string& problem) {
  if (!state.json) {
    char number[16];
    std::snprintf(number, sizeof number, "%5lu", static_cast<unsigned long>(index));
    PrintResultLine(std::string(number) + "  FAILED  " + problem);
  }
  nlohmann::json& entry = MemberEntry(state, index);
  entry["outcome"] = "failed";
  if (!entry.contains("reason")) entry["reason"] = problem;
  state.problems.push_back(label + ": " + problem);
}

void FailArchive(VerifyState& state, const std::string& problem) {
  if (!state.json) PrintResultLine("archive FAILED  " + problem);
  state.problems.push_back(problem);
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
    case kIOError: return WithCode("header or name runs past the end of the file", code);
    case kArchiveCorrupted: return WithCode("name longer than 255 bytes or without its NUL", code);
    case kBadArchiveVersion: return WithCode("member header of another format version", code);
    default: return WithCode("no member header where this member should begin", code);
  }
}

std::string TransferProblem(ResultCode code, const FileHeader& header) {
  if (IsLzmaMember(header) && code == kArchiveCorrupted) {
    return WithCode("LZMA data damaged, continuing no stream, or not matching its CRC-32", code);
  }
  switch (code) {
    case kArchiveCorrupted: return WithCode("contents do not match its CRC-32", code);
    case kCopyAborted: return WithCode("read error", code);
    default: return WithCode("implode stream damaged", code);
  }
}

// Name checks, as pack makes them: what the stub refuses, what it cannot create (a file and a
// folder of one name), and two names for one file.
bool CheckName(VerifyState& state, uint32_t index, const std::string& label, const std::string& name) {
  const std::string problem = MemberNameProblem(name, state.names.codePage);
  if (!problem.empty()) {
    Fail(state, index, label, WithCode("name " + problem, kCannotCreateFile));
    return false;
  }
  const NameClash clash = AddMemberName(state.names, name, index);
  if (clash.kind == NameClashKind::kFileAndFolder) {
    Fail(state, index, label,
         WithCode("needs a file and a folder of one name, with member " +
                      std::to_string(clash.other),
                  kCannotCreateFile));
  } else if (clash.kind == NameClashKind::kSameFile) {
    Fail(state, index, label,
         WithCode("names the same file on Windows as member " + std::to_string(clash.other),
                  kCannotCreateFile));
  }
  return clash.kind == NameClashKind::kNone;
}

void VerifyMembers(ArchiveContext& context, const ArchiveExtent& extent, VerifyState& state) {
  const uint32_t fileCount = context.trailer.fileCount;
  for (uint32_t index = 1; index <= fileCount; ++index) {
    context.currentIndex = index;
    context.memberName[0] = '\0';
    ResultCode code = ReadFileHeader(context.header, context.memberName, context.archiveFile);
    if (code != kNoError) {
      Fail(state, index, MemberLabel(index, context.memberName, state.names.codePage),
           HeaderProblem(code, index, fileCount));
      return;
    }
    const std::string label = MemberLabel(index, context.memberName, state.names.codePage);
    const std::string name = MemberNameText(context.memberName);  // as stored
    const std::string shown = CodePageToUtf8(name, state.names.codePage);
    const FileHeader header = context.header;
    MemberEntry(state, index).update(MemberJson(index, header, shown));
    uint64_t dataStart = 0;
    if (!TellStream(context.archiveFile, &dataStart)) return;
    const uint64_t dataEnd = dataStart + header.storedSize;
    uint32_t written = 0;
    if (dataEnd > extent.trailerOffset) {
      // The stub would take in the closing record as data; its result names the failure.
      code = TransferMember(context, &written);
      Fail(state, index, label,
           WithCode("its " + std::to_string(header.storedSize) +
                        " data bytes run past the closing record",
                    code != kNoError ? code : kArchiveCorrupted));
      return;
    }
    state.originalSum += header.originalSize;
    bool ok = CheckName(state, index, label, name);

    if (header.compressed == kLzmaContinueMember && state.solidBroken) {
      // Its data continue a stream that could not be decoded: nothing in them can be checked.
      Fail(state, index, label, "not checked: it continues a damaged LZMA stream");
      ok = false;
    } else {
      code = TransferMember(context, &written);
      state.solidBroken = IsLzmaMember(header) && code != kNoError;
      if (code != kNoError) {
        Fail(state, index, label, TransferProblem(code, header));
        ok = false;
      } else if (written != header.originalSize) {
        Fail(state, index, label, "decodes to " + std::to_string(written) +
                                      " bytes, but originalSize says " +
                                      std::to_string(header.originalSize));
        ok = false;
      }
    }
    std::string line;
    if (ok) {
      MemberEntry(state, index)["outcome"] = "ok";
      char number[16];
      std::snprintf(number, sizeof number, "%5lu", static_cast<unsigned long>(index));
      if (!state.json) line = std::string(number) + "  OK      " + Printable(shown);
    }
    FinishMember(header.originalSize, line);
    // Whatever the transfer consumed, the next header begins behind this member's data.
    if (!SeekStream(context.archiveFile, dataEnd)) return;
  }
  state.walkComplete = true;
}

// What holds for the archive as a whole once the walk has located every member.
void VerifyArchive(ArchiveContext& context, const ArchiveExtent& extent, VerifyState& state) {
  const SeaTrailer& trailer = context.trailer;
  if (state.walkComplete) {
    uint64_t position = 0;
    if (TellStream(context.archiveFile, &position) && position < extent.trailerOffset) {
      uint8_t tag[4];
      const bool moreMembers = std::fread(tag, sizeof tag, 1, context.archiveFile) == 1 &&
                               LoadLE32(tag) == kFileHeaderTag;
      FailArchive(state,
          moreMembers ? "fileCount says " + std::to_string(trailer.fileCount) +
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

// The archive's fields, each member's entry, every problem found and the outcome.
void PrintVerifyJson(const ArchiveContext& context, VerifyState& state) {
  std::string scriptName;
  for (const nlohmann::json& member : state.members) {
    if (member["index"] == context.trailer.scriptIndex && member.contains("name")) {
      scriptName = member["name"].get<std::string>();
    }
  }
  nlohmann::json document = ArchiveJson(context.trailer, scriptName, state.names.codePage);
  document["members"] = std::move(state.members);
  document["problems"] = state.problems;
  document["outcome"] = state.problems.empty() ? "ok" : "failed";
  PrintJson(document);
}

struct VerifyCommand {
  std::string path;
  bool quiet = false;
  VerifyState state;
};

constexpr Option<VerifyCommand> kVerifyOptions[] = {
    {{"--json", nullptr, nullptr,
      "one JSON document: the archive, each member with its\n"
      "outcome and reason, the problems found"},
     [](VerifyCommand& command, const std::vector<std::string>&) {
       command.state.json = true;
       return std::string();
     }},
    {{"--quiet", "-q", nullptr, "print errors only"}, SetFlag<VerifyCommand, &VerifyCommand::quiet>},
    {{"--codepage", nullptr, "N",
      "the installer's code page (default 1252); names are checked\n"
      "in it and shown in UTF-8"},
     [](VerifyCommand& command, const std::vector<std::string>& values) {
       return ParseCodePage(values[0], &command.state.names.codePage);
     }},
};

constexpr CommandLine<VerifyCommand> kVerifyLine = {
    "verify",
    "usage: zbpack verify [--json] [--quiet] [--codepage N] FILE.exe\n"
    "Checks that the installer will install what it claims: the records, names, sizes and\n"
    "CRC-32 of every member, each member decoded as the installer decodes it. Exit 0 means\n"
    "it will.\n",
    kVerifyOptions, std::size(kVerifyOptions), "",
    [](VerifyCommand& command, const std::string& text, bool) {
      if (!command.path.empty()) return std::string("expected one installer");
      command.path = text;
      return std::string();
    },
    [](VerifyCommand& command) {
      return command.path.empty() ? std::string("expected: verify FILE") : std::string();
    },
};

}  // namespace

std::string VerifyHelp() { return CommandHelp(kVerifyLine); }

int RunVerifyCommand(int argc, char** argv) {
  VerifyCommand command;
  const std::string usage = ParseCommandLine(kVerifyLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage("verify", "verify", usage);
  const std::string& path = command.path;
  VerifyState& state = command.state;
  const bool quiet = command.quiet;

  ArchiveContext context;
  ArchiveExtent extent;
  bool opened = OpenArchive(path, true, context, &extent) && EnterMembers(path, context) &&
                AllocateWork(path, context);
  if (opened) {
    context.outFile = std::fopen(NullDevicePath(), "wb");
    if (context.outFile == nullptr) {
      ReportFailure(NullDevicePath(), std::string("cannot open: ") + std::strerror(errno));
    }
    opened = context.outFile != nullptr;
  }
  if (!opened) {
    // A script reading the document learns the outcome from it, not only from stderr.
    if (state.json) PrintJson({{"outcome", "failed"}, {"problems", {LastReportedFailure()}}});
    CloseArchive(context);
    return kExitFailure;
  }

  StartProgress("verifying", context.trailer.fileCount, context.trailer.totalBytes, quiet);
  VerifyMembers(context, extent, state);
  ClearProgressLine();
  VerifyArchive(context, extent, state);
  if (state.json) PrintVerifyJson(context, state);
  std::fclose(context.outFile);
  context.outFile = nullptr;
  CloseArchive(context);

  if (!state.problems.empty()) {
    const std::string count =
        state.problems.size() > 1 ? std::to_string(state.problems.size()) + " problems, the first: " : "";
    return ReportFailure(path, count + state.problems.front());
  }
  if (!state.json) {
    if (IsSigned(extent.signature)) PrintResultLine("signed: " + SignatureText(extent.signature));
    PrintResultLine("all " + std::to_string(context.trailer.fileCount) + " members OK");
  }
  return kExitSuccess;
}
