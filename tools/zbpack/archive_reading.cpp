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
