#include "zbpack/operations/pack_installer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "zbpack/host/code_page.h"
#include "zbpack/host/host_files.h"
#include "zbpack/host/output_file.h"
#include "zbpack/host/printable_text.h"
#include "zbpack/operations/archive_reading.h"
#include "zbpack/operations/archive_writer.h"
#include "zbpack/operations/member_builder.h"
#include "zbpack/operations/member_rules.h"
#include "zbpack/operations/member_tree.h"
#include "zbpack/operations/pack_depfile.h"
#include "zbpack/operations/pack_signing.h"
#include "zbpack/operations/stub_check.h"
#include "zbpack/operations/stub_rebuild.h"

namespace {

constexpr uint64_t kMax32 = 0xFFFFFFFFu;

// What pack checked before writing: the stub and each member's file.
struct PackInputs {
  std::string stubPath;
  HostFileInfo stub;
  std::vector<uint8_t> stubBytes;  // rebuilt with the installer's identity
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

// The report's failure (what, message); returns false.
bool Fail(PackReport* report, const std::string& what, const std::string& message) {
  report->failures.push_back(Problem{what, message});
  return false;
}

// The texts given in UTF-8 (product, member names, the script) into the installer's code page.
// False after failing on the first text the code page cannot hold.
bool ConvertTexts(PackOptions& options, PackReport* report) {
  std::string converted;
  std::string problem = Utf8ToCodePage(*options.productName, options.codePage, &converted);
  if (!problem.empty()) return Fail(report, "--product", problem);
  if (converted.size() >= kProductNameSize) {
    report->usage = true;
    return Fail(report, "--product",
                "the name must be shorter than " + std::to_string(kProductNameSize) +
                    " bytes in code page " + std::to_string(options.codePage));
  }
  options.productName = converted;
  const uint32_t scriptIndex = ScriptIndexOf(options);
  for (size_t i = 0; i < options.members.size(); ++i) {
    MemberSource& member = options.members[i];
    problem = Utf8ToCodePage(member.name, options.codePage, &member.storedName);
    if (!problem.empty()) {
      return Fail(report, member.path, "member name '" + Printable(member.name) + "': " + problem);
    }
    if (i + 1 != scriptIndex) continue;
    std::string text;
    if (!ReadWholeFile(member.path, kMaxScriptSize, &text, &problem)) {
      return Fail(report, member.path, "the script: " + problem);
    }
    // Editors on Windows often begin UTF-8 with a byte order mark; the installer would read it
    // as three characters of its code page.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    member.contents.emplace();
    problem = Utf8ToCodePage(text, options.codePage, &*member.contents);
    if (!problem.empty()) return Fail(report, member.path, "the script: " + problem);
  }
  return true;
}

// Member names as the installer will see them: its own rules, then duplicates as Windows
// compares names. Returns false after failing on the first refusal.
bool CheckMemberNames(const PackOptions& options, PackReport* report) {
  MemberNameSet names = {options.codePage, {}, {}};
  for (size_t i = 0; i < options.members.size(); ++i) {
    const MemberSource& member = options.members[i];
    const std::string shown = "member name '" + Printable(member.name) + "' ";
    const std::string problem = MemberNameProblem(member.storedName, options.codePage);
    if (!problem.empty()) return Fail(report, member.path, shown + problem);
    const NameClash clash = AddMemberName(names, member.storedName, static_cast<uint32_t>(i));
    if (clash.kind == NameClashKind::kNone) continue;
    const MemberSource& first = options.members[clash.other];
    const std::string other =
        " member " + std::to_string(clash.other + 1) + " '" + Printable(first.name) + "'";
    return Fail(report, member.path,
                clash.kind == NameClashKind::kFileAndFolder
                    ? shown + "needs a file and a folder of one name, with" + other
                    : shown + "names the same file on Windows as" + other + " (from " +
                          Printable(first.path) + ")");
  }
  return true;
}

bool CheckInputs(const PackOptions& options, PackInputs* inputs, PackReport* report) {
  inputs->stubPath = options.stubPath.empty() ? DefaultStubPath() : options.stubPath;
  if (inputs->stubPath.empty()) {
    return Fail(report, "pack", "no --stub given, and no zubrex-stub.exe beside zbpack");
  }
  std::string problem = StubProblem(inputs->stubPath);
  if (!problem.empty() || !QueryHostFile(inputs->stubPath.c_str(), &inputs->stub, &problem)) {
    return Fail(report, inputs->stubPath, problem);
  }
  for (const MemberSource& member : options.members) {
    HostFileInfo info;
    if (!QueryHostFile(member.path.c_str(), &info, &problem)) {
      return Fail(report, member.path, "cannot open: " + problem);
    }
    if (!info.isRegularFile) {
      return Fail(report, member.path, "not a regular file");
    }
    if (member.contents) info.size = member.contents->size();  // converted: its size now
    if (info.size > kMax32) {
      return Fail(report, member.path, "too large for an archive member (4 GiB and more)");
    }
    if (options.latestTime && info.lastWriteTime > *options.latestTime) {
      info.lastWriteTime = *options.latestTime;
    }
    inputs->members.push_back(info);
    inputs->totalBytes += info.size;
  }
  if (inputs->totalBytes > kMax32) {
    return Fail(
        report, options.outputPath,
        "the members add up to 4 GiB or more (" + std::to_string(inputs->totalBytes) + " bytes)");
  }
  if (inputs->totalBytes == 0) {
    return Fail(report, options.outputPath,
                "the members hold no bytes, and the installer refuses a total of 0 bytes");
  }
  std::vector<std::string> paths = {inputs->stubPath};
  for (const MemberSource& member : options.members) paths.push_back(member.path);
  const std::string clash = FindOutputClash(options.outputPath, paths);
  if (!clash.empty()) {
    return Fail(report, options.outputPath,
                "is the same file as the input " + Printable(clash) + " (nothing written)");
  }
  return true;
}

// Reads the stub and writes the installer's identity into it. False after failing.
bool RebuildStubOf(PackInputs* inputs, PackReport* report) {
  std::string text;
  std::string problem;
  if (!ReadWholeFile(inputs->stubPath, kMaxStubSize, &text, &problem)) {
    return Fail(report, inputs->stubPath, problem);
  }
  inputs->stubBytes.assign(text.begin(), text.end());
  problem = RebuildStub(inputs->identity, &inputs->stubBytes);
  if (!problem.empty()) {
    return Fail(report, inputs->stubPath, "not usable as --stub: " + problem);
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
  std::stable_sort(
      members->begin(), members->end(),
      [&key](const MemberSource& a, const MemberSource& b) { return key(a) < key(b); });
}

// Writes the whole packed file through writing. Returns false with failure filled.
bool WritePackedFile(const PackOptions& options, const PackInputs& inputs,
                     const MemberWriting& writing, PackFailure* failure) {
  FILE* output = writing.output;
  const PackFailure writeError = {options.outputPath, "write error"};
  if (!WriteBytes(output, inputs.stubBytes.data(), inputs.stubBytes.size()) ||
      !WriteArchiveTag(output, kArchiveTag)) {
    *failure = writeError;
    return false;
  }
  for (size_t i = 0; i < options.members.size(); ++i) {
    const MemberSource& source = options.members[i];
    FileHeader header;
    if (!WriteMemberFromFile(writing, {&source, &inputs.members[i]}, &header, failure)) {
      return false;
    }
    ObserveMemberDone(writing.observer, inputs.members[i].size,
                      Printable(source.name) + ": " + std::to_string(inputs.members[i].size) +
                          " -> " + std::to_string(header.storedSize) + " bytes, " +
                          MethodName(header));
  }

  SeaTrailer trailer = {};
  trailer.recordTag = kSeaTrailerTag;
  trailer.archiveOffset = static_cast<uint32_t>(inputs.stubBytes.size());
  trailer.fileCount = static_cast<uint32_t>(options.members.size());
  trailer.scriptIndex = ScriptIndexOf(options);
  trailer.seaTag = kSeaTrailerTag;
  trailer.totalBytes = static_cast<uint32_t>(inputs.totalBytes);
  std::memcpy(trailer.productName, options.productName->data(), options.productName->size());
  if (!WriteTrailer(output, trailer) || !StampPeChecksum(output)) {
    *failure = writeError;
    return false;
  }
  return true;
}

// Written only once the installer is complete: a failed pack leaves the build's record of
// the last good one.
bool WriteDepfile(const PackOptions& options, const std::string& stubPath,
                  std::vector<std::string> inputs, PackReport* report) {
  if (options.depfilePath.empty()) return true;
  inputs.push_back(stubPath);
  for (const MemberSource& member : options.members) inputs.push_back(member.path);
  const std::string problem = WritePackDepfile(options.depfilePath, options.outputPath, inputs);
  return problem.empty() || Fail(report, options.depfilePath, problem);
}

// Everything that can be known before a byte is written: the members as files, their names,
// the stub and the identity written into it. False after failing.
bool PreparePack(PackOptions& options, PackInputs* inputs, std::vector<std::string>* containers,
                 PackReport* report) {
  std::string what;
  std::string problem;
  if (!ExpandMemberTree(&options.members, containers, &what, &problem)) {
    return Fail(report, what, problem);
  }
  if (options.solid) OrderForSolidStream(&options.members);
  problem = CheckPackMembers(options);
  if (!problem.empty()) {
    report->usage = true;
    return Fail(report, "", problem);
  }
  problem = PrepareIdentity(options.identity, *options.productName,
                            MemberNameOfPath(options.outputPath), &inputs->identity, &what);
  if (!problem.empty()) return Fail(report, what, problem);
  return ConvertTexts(options, report) && CheckMemberNames(options, report) &&
         CheckInputs(options, inputs, report) && RebuildStubOf(inputs, report);
}

// Writes the installer beside its place and renames it there once complete. False after
// failing.
bool WriteInstaller(const PackOptions& options, const PackInputs& inputs,
                    const WorkObserver& observer, PackReport* report) {
  OutputFile output;
  std::string reason;
  if (!BeginOutput(options.outputPath, &output, &reason)) {
    return Fail(report, options.outputPath, "cannot create: " + reason);
  }
  ObserveStart(observer, "packing", static_cast<uint32_t>(options.members.size()),
               inputs.totalBytes);
  MemberWriting writing = {
      output.file, options.outputPath, options.method, options.implode, nullptr, observer};
  PackFailure failure;
  if (options.method == PackMethod::kLzma) {
    writing.lzma = StartPackLzma(options.implode.level.value_or(9), options.solid,
                                 inputs.totalBytes, &failure.message);
    if (writing.lzma == nullptr) failure.what = options.outputPath;
  }
  const bool written = (options.method != PackMethod::kLzma || writing.lzma != nullptr) &&
                       WritePackedFile(options, inputs, writing, &failure);
  FreePackLzma(writing.lzma);
  ObserveFinish(observer);
  if (!written) {
    AbandonOutput(output);
    return Fail(report, failure.what, failure.message);
  }
  return FinishOutput(output, &reason) || Fail(report, options.outputPath, reason);
}

}  // namespace

PackReport PackInstaller(PackOptions options, const WorkObserver& observer) {
  PackReport report;
  PackInputs inputs;
  std::vector<std::string> containers;  // folders and lists: inputs besides the files
  if (!PreparePack(options, &inputs, &containers, &report) ||
      !WriteInstaller(options, inputs, observer, &report)) {
    return report;
  }
  // Signing comes last: it covers the installer exactly as it will be shipped.
  if (options.signCommand && !SignPackedInstaller(*options.signCommand, options.outputPath,
                                                  options.codePage, observer, &report.failures)) {
    return report;
  }
  WriteDepfile(options, inputs.stubPath, containers, &report);
  return report;
}
