// zbpack pack: the stub, the archive tag, one member per FILE, the closing record. Everything
// that can be known beforehand (names, stub, sizes, the output not being an input) is checked
// before a byte is written; the output is written beside its target and renamed into place
// only when complete.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "zbpack/archive_reading.h"
#include "zbpack/archive_writer.h"
#include "zbpack/cli_report.h"
#include "zbpack/code_page.h"
#include "zbpack/file_time.h"
#include "zbpack/commands.h"
#include "zbpack/host_files.h"
#include "zbpack/member_builder.h"
#include "zbpack/member_rules.h"
#include "zbpack/member_tree.h"
#include "zbpack/output_file.h"
#include "zbpack/pack_depfile.h"
#include "zbpack/pack_options.h"
#include "zbpack/pack_signing.h"
#include "zbpack/progress.h"
#include "zbpack/stub_check.h"
#include "zbpack/stub_rebuild.h"

namespace {

constexpr uint64_t kMax32 = 0xFFFFFFFFu;

// What pack checked before writing: the stub and each member's file.
struct PackInputs {
  std::string stubPath;
  HostFileInfo stub;
  std::vector<uint8_t> stubBytes;     // rebuilt with the installer's identity
  IdentityResources identity;
  std::vector<HostFileInfo> members;  // in archive order
  uint64_t totalBytes = 0;            // sum of the members' sizes
};

constexpr size_t kMaxScriptSize = 16u << 20;  // bytes; a script is read whole to convert it
constexpr size_t kMaxStubSize = 64u << 20;    // bytes; the stub is read whole to rebuild it

// The file's bytes, at most limit of them. False with the reason otherwise.
bool ReadWholeFile(const std::string& path, size_t limit, std::string* bytes, std::string* reason) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes->size() <= limit) {
    bytes->append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  *reason = failed ? "read error" : "larger than " + std::to_string(limit >> 20) + " MiB";
  return !failed && bytes->size() <= limit;
}

// The texts given in UTF-8 (product, member names, the script) into the installer's code page.
// Returns kExitSuccess, or the exit code after reporting the first text the code page cannot
// hold.
int ConvertTexts(PackOptions& options) {
  std::string converted;
  std::string problem = Utf8ToCodePage(*options.productName, options.codePage, &converted);
  if (!problem.empty()) {
    return ReportFailure("--product", problem);
  }
  if (converted.size() >= kProductNameSize) {
    return ReportCommandUsage("pack", "--product", "the name must be shorter than " +
                                        std::to_string(kProductNameSize) + " bytes in code page " +
                                        std::to_string(options.codePage));
  }
  options.productName = converted;
  const uint32_t scriptIndex = ScriptIndexOf(options);
  for (size_t i = 0; i < options.members.size(); ++i) {
    MemberSource& member = options.members[i];
    problem = Utf8ToCodePage(member.name, options.codePage, &member.storedName);
    if (!problem.empty()) {
      return ReportFailure(member.path, "member name '" + Printable(member.name) + "': " + problem);
    }
    if (i + 1 != scriptIndex) continue;
    std::string text;
    if (!ReadWholeFile(member.path, kMaxScriptSize, &text, &problem)) {
      return ReportFailure(member.path, "the script: " + problem);
    }
    // Editors on Windows often begin UTF-8 with a byte order mark; the installer would read it
    // as three characters of its code page.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    member.contents.emplace();
    problem = Utf8ToCodePage(text, options.codePage, &*member.contents);
    if (!problem.empty()) {
      return ReportFailure(member.path, "the script: " + problem);
    }
  }
  return kExitSuccess;
}

// Member names as the installer will see them: its own rules, then duplicates as Windows
// compares names. Returns false after reporting the first refusal.
bool CheckMemberNames(const PackOptions& options) {
  MemberNameSet names = {options.codePage, {}, {}};
  for (size_t i = 0; i < options.members.size(); ++i) {
    const MemberSource& member = options.members[i];
    const std::string shown = "member name '" + Printable(member.name) + "' ";
    const std::string problem = MemberNameProblem(member.storedName, options.codePage);
    if (!problem.empty()) {
      ReportFailure(member.path, shown + problem);
      return false;
    }
    const NameClash clash = AddMemberName(names, member.storedName, static_cast<uint32_t>(i));
    if (clash.kind == NameClashKind::kNone) continue;
    const MemberSource& first = options.members[clash.other];
    const std::string other =
        " member " + std::to_string(clash.other + 1) + " '" + Printable(first.name) + "'";
    ReportFailure(member.path, clash.kind == NameClashKind::kFileAndFolder
                                   ? shown + "needs a file and a folder of one name, with" + other
                                   : shown + "names the same file on Windows as" + other +
                                         " (from " + Printable(first.path) + ")");
    return false;
  }
  return true;
}

bool CheckInputs(const PackOptions& options, PackInputs* inputs) {
  inputs->stubPath = options.stubPath.empty() ? DefaultStubPath() : options.stubPath;
  if (inputs->stubPath.empty()) {
    ReportFailure("pack", "no --stub given, and no zubrex-stub.exe beside zbpack");
    return false;
  }
  std::string problem = StubProblem(inputs->stubPath);
  if (!problem.empty() || !QueryHostFile(inputs->stubPath.c_str(), &inputs->stub, &problem)) {
    ReportFailure(inputs->stubPath, problem);
    return false;
  }
  for (const MemberSource& member : options.members) {
    HostFileInfo info;
    if (!QueryHostFile(member.path.c_str(), &info, &problem)) {
      ReportFailure(member.path, "cannot open: " + problem);
      return false;
    }
    if (!info.isRegularFile) {
      ReportFailure(member.path, "not a regular file");
      return false;
    }
    if (member.contents) info.size = member.contents->size();  // converted: its size now
    if (info.size > kMax32) {
      ReportFailure(member.path, "too large for an archive member (4 GiB and more)");
      return false;
    }
    if (options.latestTime && info.lastWriteTime > *options.latestTime) {
      info.lastWriteTime = *options.latestTime;
    }
    inputs->members.push_back(info);
    inputs->totalBytes += info.size;
  }
  if (inputs->totalBytes > kMax32) {
    ReportFailure(options.outputPath, "the members add up to 4 GiB or more (" +
                                          std::to_string(inputs->totalBytes) + " bytes)");
    return false;
  }
  if (inputs->totalBytes == 0 && !options.overrides.trailer.totalBytes) {
    ReportFailure(options.outputPath,
                  "the members hold no bytes, and the installer refuses a total of 0 bytes");
    return false;
  }
  std::vector<std::string> paths = {inputs->stubPath};
  for (const MemberSource& member : options.members) paths.push_back(member.path);
  const std::string clash = FindOutputClash(options.outputPath, paths);
  if (!clash.empty()) {
    ReportFailure(options.outputPath, "is the same file as the input " + Printable(clash) +
                                          " (nothing written)");
    return false;
  }
  return true;
}

// Reads the stub and writes the installer's identity into it. False after reporting.
bool RebuildStubOf(PackInputs* inputs) {
  std::string text;
  std::string problem;
  if (!ReadWholeFile(inputs->stubPath, kMaxStubSize, &text, &problem)) {
    ReportFailure(inputs->stubPath, problem);
    return false;
  }
  inputs->stubBytes.assign(text.begin(), text.end());
  problem = RebuildStub(inputs->identity, &inputs->stubBytes);
  if (!problem.empty()) {
    ReportFailure(inputs->stubPath, "not usable as --stub: " + problem);
    return false;
  }
  return true;
}

// A solid stream compresses best when similar files stand together: members are ordered by
// their names' extensions (ASCII letters folded), then by name.
void OrderForSolidStream(std::vector<MemberSource>* members) {
  const auto key = [](const MemberSource& member) {
    const size_t cut = member.name.find_last_of(".\\/");
    std::string extension;
    if (cut != std::string::npos && member.name[cut] == '.') extension = member.name.substr(cut);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::make_pair(extension, member.name);
  };
  std::stable_sort(members->begin(), members->end(),
                   [&key](const MemberSource& a, const MemberSource& b) { return key(a) < key(b); });
}

// Writes the whole packed file into output. Returns false with failure filled.
bool WritePackedFile(const PackOptions& options, const PackInputs& inputs, FILE* output,
                     PackLzma* lzma, PackFailure* failure) {
  const PackFailure writeError = {options.outputPath, "write error"};
  if (!WriteBytes(output, inputs.stubBytes.data(), inputs.stubBytes.size()) ||
      !WriteArchiveTag(output, options.overrides.archiveTag.value_or(kArchiveTag))) {
    *failure = writeError;
    return false;
  }
  for (size_t i = 0; i < options.members.size(); ++i) {
    const MemberSource& source = options.members[i];
    const auto found = options.overrides.members.find(static_cast<uint32_t>(i + 1));
    const MemberOverrides* overrides =
        found == options.overrides.members.end() ? nullptr : &found->second;
    FileHeader header;
    if (!WriteMemberFromFile(output, source, inputs.members[i], options.method, options.implode,
                             lzma, overrides, options.outputPath, &header, failure)) {
      return false;
    }
    FinishMember(inputs.members[i].size,
                 Printable(source.name) + ": " + std::to_string(inputs.members[i].size) + " -> " +
                     std::to_string(header.storedSize) + " bytes, " + MethodName(header));
  }
  if (!WriteBytes(output, options.appendBytes.data(), options.appendBytes.size())) {
    *failure = writeError;
    return false;
  }

  SeaTrailer trailer = {};
  trailer.recordTag = kSeaTrailerTag;
  trailer.archiveOffset = static_cast<uint32_t>(inputs.stubBytes.size());
  trailer.fileCount = static_cast<uint32_t>(options.members.size());
  trailer.scriptIndex = ScriptIndexOf(options);
  trailer.seaTag = kSeaTrailerTag;
  trailer.totalBytes = static_cast<uint32_t>(inputs.totalBytes);
  std::memcpy(trailer.productName, options.productName->data(), options.productName->size());
  ApplyTrailerOverrides(options.overrides.trailer, &trailer);
  uint64_t size = 0;
  if (!WriteTrailer(output, trailer) || !StampPeChecksum(output) || !TellStream(output, &size) ||
      (options.truncateSize && *options.truncateSize < size &&
       !TruncateStream(output, *options.truncateSize))) {
    *failure = writeError;
    return false;
  }
  return true;
}

// Written only once the installer is complete: a failed pack leaves the build's record of
// the last good one.
int WriteDepfile(const PackOptions& options, const std::string& stubPath,
                 std::vector<std::string> inputs) {
  if (options.depfilePath.empty()) return kExitSuccess;
  inputs.push_back(stubPath);
  for (const MemberSource& member : options.members) inputs.push_back(member.path);
  const std::string problem = WritePackDepfile(options.depfilePath, options.outputPath, inputs);
  return problem.empty() ? kExitSuccess : ReportFailure(options.depfilePath, problem);
}

int RunPack(int argc, char** argv, bool fixture) {
  PackOptions options;
  std::string problem = ParsePackOptions(argc, argv, fixture, &options);
  if (!problem.empty()) return ReportCommandUsage(argv[0], argv[0], problem);
  // Reproducible builds: the same inputs give the same installer, whenever the files were
  // last touched after the release's own time.
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch != nullptr && epoch[0] != '\0') {
    uint64_t latest = 0;
    if (!ParseSourceDateEpoch(epoch, &latest)) {
      return ReportCommandUsage(argv[0], argv[0],
                                std::string("SOURCE_DATE_EPOCH must be Unix seconds, not '") +
                                    epoch + "'");
    }
    options.latestTime = latest;
  }
  std::string what;
  std::vector<std::string> containers;  // folders and lists: inputs besides the files
  if (!ExpandMemberTree(&options.members, &containers, &what, &problem)) {
    return ReportFailure(what, problem);
  }
  if (options.solid) OrderForSolidStream(&options.members);
  problem = CheckPackMembers(options);
  if (!problem.empty()) return ReportCommandUsage(argv[0], argv[0], problem);

  PackInputs inputs;
  problem = PrepareIdentity(options.identity, *options.productName,
                            MemberNameOfPath(options.outputPath), &inputs.identity, &what);
  if (!problem.empty()) return ReportFailure(what, problem);
  if (const int failed = ConvertTexts(options)) return failed;
  if (!CheckMemberNames(options) || !CheckInputs(options, &inputs) || !RebuildStubOf(&inputs)) {
    return kExitFailure;
  }

  OutputFile output;
  std::string reason;
  if (!BeginOutput(options.outputPath, &output, &reason)) {
    return ReportFailure(options.outputPath, "cannot create: " + reason);
  }
  StartProgress("packing", static_cast<uint32_t>(options.members.size()), inputs.totalBytes,
                options.quiet);
  PackFailure failure;
  PackLzma* lzma = nullptr;
  if (options.method == PackMethod::kLzma) {
    lzma = StartPackLzma(options.implode.level.value_or(9), options.solid, inputs.totalBytes,
                         &failure.message);
    if (lzma == nullptr) failure.what = options.outputPath;
  }
  const bool written = (options.method != PackMethod::kLzma || lzma != nullptr) &&
                       WritePackedFile(options, inputs, output.file, lzma, &failure);
  FreePackLzma(lzma);
  ClearProgressLine();
  if (!written) {
    AbandonOutput(output);
    return ReportFailure(failure.what, failure.message);
  }
  if (!FinishOutput(output, &reason)) return ReportFailure(options.outputPath, reason);
  // Signing comes last: it covers the installer exactly as it will be shipped.
  if (options.signCommand) {
    const int signedExit = SignPackedInstaller(*options.signCommand, options.outputPath,
                                               options.codePage, options.quiet);
    if (signedExit != kExitSuccess) return signedExit;
  }
  return WriteDepfile(options, inputs.stubPath, containers);
}

}  // namespace

int RunPackCommand(int argc, char** argv) { return RunPack(argc, argv, false); }
int RunFixtureCommand(int argc, char** argv) { return RunPack(argc, argv, true); }
