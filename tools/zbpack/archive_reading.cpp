#include "zbpack/archive_reading.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "explode/explode.h"
#include "zbpack/cli_report.h"

bool OpenArchive(const std::string& path, bool requireTotal, ArchiveContext& context) {
  context.exePath = path.c_str();
  context.archiveFile = std::fopen(path.c_str(), "rb");
  if (context.archiveFile == nullptr) {
    ReportFailure(path, std::string("cannot open: ") + std::strerror(errno));
    return false;
  }
  const ResultCode code = ReadSeaTrailer(context);
  if (code != kNoError) {
    ReportResultFailure(path, "bad archive", code);
    return false;
  }
  if (requireTotal && context.trailer.totalBytes == 0) {
    ReportResultFailure(path, "bad archive: its total byte count is 0", kEmptyArchive);
    return false;
  }
  return true;
}

bool EnterMembers(const std::string& path, ArchiveContext& context) {
  const ResultCode code = ReadArchiveTag(context);
  if (code != kNoError) {
    ReportResultFailure(path, "bad archive tag", code);
    return false;
  }
  return true;
}

bool AllocateWork(const std::string& path, ArchiveContext& context) {
  context.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
  if (context.work == nullptr) {
    ReportResultFailure(path, "cannot allocate the decoder's work block", kOutOfMemory);
    return false;
  }
  return true;
}

void CloseArchive(ArchiveContext& context) {
  if (context.archiveFile != nullptr) std::fclose(context.archiveFile);
  context.archiveFile = nullptr;
}

std::string MemberNameText(const char (&memberName)[kMemberNameSize]) {
  size_t length = 0;
  while (length < kMemberNameSize && memberName[length] != '\0') ++length;
  return std::string(memberName, length);
}

std::string MemberLabel(uint32_t index, const char (&memberName)[kMemberNameSize]) {
  std::string label = "member " + std::to_string(index);
  const std::string name = MemberNameText(memberName);
  if (!name.empty()) label += " (" + name + ")";
  return label;
}

std::string SignatureText(const ArchiveEnd& end) {
  if (end.certificateSize == 0) return "";
  std::string text = std::to_string(end.certificateSize) + " bytes, certificate table at offset " +
                     std::to_string(end.certificateOffset);
  if (!IsSigned(end)) return text + ", which does not end the file";
  if (end.padding == 0) return text;
  return text + " (" + std::to_string(end.padding) + " byte" + (end.padding == 1 ? "" : "s") +
         " of padding before it)";
}

std::string SignatureCoverProblem(const ArchiveEnd& end, FILE* walkedArchive) {
  if (end.certificateSize == 0) return "";
  const std::string table = "the certificate table at offset " + std::to_string(end.certificateOffset);
  // What follows the table is not covered by its signature, and the archive was found there.
  if (!IsSigned(end)) {
    return table + " does not end the file, so the signature does not cover the archive " +
           "(sign the finished installer, not the stub)";
  }
  const long walkEnd = std::ftell(walkedArchive);
  if (walkEnd < 0 || uint64_t(walkEnd) + kSeaTrailerSize > SignedArchiveEnd(end)) {
    return "the members run into the closing record or " + table;
  }
  return "";
}
