// zbpack pack: the stub, the archive tag, one member per FILE, the closing record.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "zbpack/archive_writer.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/member_builder.h"
#include "zbpack/pack_options.h"
#include "zbpack/pack_signing.h"

namespace {

// What went wrong while writing, for the one error line: the file concerned and the message.
struct PackFailure {
  std::string what;
  std::string message;
};

bool CopyStub(ArchiveOutput& output, const std::string& stubPath, PackFailure* failure) {
  FILE* stub = std::fopen(stubPath.c_str(), "rb");
  if (stub == nullptr) {
    *failure = {stubPath, std::string("cannot open: ") + std::strerror(errno)};
    return false;
  }
  uint8_t buffer[65536];
  bool written = true;
  size_t got;
  while (written && (got = std::fread(buffer, 1, sizeof buffer, stub)) > 0) {
    written = WriteOutput(output, buffer, got);
  }
  const bool readFailed = std::ferror(stub) != 0;
  std::fclose(stub);
  if (readFailed) {
    *failure = {stubPath, "read error"};
    return false;
  }
  if (!written) return false;  // reported by the caller as a write error of the output
  if (output.offset > std::numeric_limits<uint32_t>::max()) {
    *failure = {stubPath, "stub too large (4 GiB and more)"};
    return false;
  }
  return true;
}

const char* MethodName(const FileHeader& header) {
  return header.compressed != 0 ? "imploded" : "stored";
}

// Writes the whole packed file into output. Returns false with failure filled, or with failure
// empty for a write error of the output stream.
bool WritePackedFile(const PackOptions& options, ArchiveOutput& output, PackFailure* failure) {
  if (!CopyStub(output, options.stubPath, failure)) return false;
  const uint32_t stubSize = static_cast<uint32_t>(output.offset);

  if (!WriteArchiveTag(output, options.overrides.archiveTag.value_or(kArchiveTag))) return false;

  uint64_t totalBytes = 0;  // sum of the members' real sizes, whatever their headers are set to
  for (size_t i = 0; i < options.members.size(); ++i) {
    const MemberSource& source = options.members[i];
    PackedMember member;
    std::string problem;
    if (!BuildMember(source, options.method, options.implode, &member, &problem)) {
      *failure = {source.path, problem};
      return false;
    }
    totalBytes += member.header.originalSize;
    std::printf("%s: %lu -> %lu bytes, %s\n", source.name.c_str(),
                static_cast<unsigned long>(member.header.originalSize),
                static_cast<unsigned long>(member.header.storedSize), MethodName(member.header));

    const auto overrides = options.overrides.members.find(static_cast<uint32_t>(i + 1));
    if (overrides != options.overrides.members.end()) {
      ApplyMemberOverrides(overrides->second, &member.header, &member.nameBytes);
    }
    if (!WriteMember(output, member.header, member.nameBytes, member.data)) return false;
  }
  if (totalBytes > std::numeric_limits<uint32_t>::max()) {
    *failure = {options.outputPath, "the members add up to 4 GiB or more"};
    return false;
  }

  if (!WriteOutput(output, options.appendBytes.data(), options.appendBytes.size())) return false;

  SeaTrailer trailer = {};
  trailer.recordTag = kSeaTrailerTag;
  trailer.archiveOffset = stubSize;
  trailer.fileCount = static_cast<uint32_t>(options.members.size());
  trailer.scriptIndex = ScriptIndexOf(options);
  trailer.seaTag = kSeaTrailerTag;
  trailer.totalBytes = static_cast<uint32_t>(totalBytes);
  std::memcpy(trailer.productName, options.productName->data(), options.productName->size());
  ApplyTrailerOverrides(options.overrides.trailer, &trailer);
  return WriteTrailer(output, trailer);
}

}  // namespace

int RunPackCommand(int argc, char** argv) {
  PackOptions options;
  const std::string problem = ParsePackOptions(argc, argv, &options);
  if (!problem.empty()) return ReportUsage("pack", problem);

  ArchiveOutput output;
  output.limit = options.truncateSize;
  output.file = std::fopen(options.outputPath.c_str(), "wb");
  if (output.file == nullptr) {
    return ReportFailure(options.outputPath, std::string("cannot create: ") + std::strerror(errno));
  }
  PackFailure failure;
  const bool written = WritePackedFile(options, output, &failure);
  const bool closed = std::fclose(output.file) == 0;
  if (written && closed) {
    // Signing comes last: it covers the installer exactly as it will be shipped.
    if (options.signCommand) return SignPackedInstaller(*options.signCommand, options.outputPath);
    return kExitSuccess;
  }

  // A half-written file would look like a damaged archive: leave none behind.
  std::remove(options.outputPath.c_str());
  if (failure.message.empty()) return ReportFailure(options.outputPath, "write error");
  return ReportFailure(failure.what, failure.message);
}
