#include "archive/extract_member.h"

#include <cstring>

#include "archive/file_time.h"
#include "archive/member_name.h"
#include "archive/member_transfer.h"
#include "explode/explode.h"

namespace {

// Writes workDir + memberName into path (kPathSize bytes) with the platform's separators.
// False when the result would not fit.
bool ComposeMemberPath(const ArchiveContext& context, char (&path)[kPathSize]) {
  const size_t nameLength = std::strlen(context.memberName);
  if (size_t(context.workDirLength) + nameLength >= kPathSize) return false;
  std::memcpy(path, context.workDir, context.workDirLength);
  for (size_t i = 0; i <= nameLength; ++i) {
    const char c = context.memberName[i];
    path[context.workDirLength + i] = (c == '\\' || c == '/') ? kPathSeparator : c;
  }
  return true;
}

}  // namespace

ResultCode OpenMemberOutput(ArchiveContext& context) {
  if (!IsSafeMemberName(context.memberName)) return kCannotCreateFile;
  // The path is composed in workDir itself: the work directory's name plus the member's.
  char path[kPathSize];
  if (!ComposeMemberPath(context, path)) return kCannotCreateFile;
  std::memcpy(context.workDir, path, kPathSize);
  ResultCode result = kNoError;
  context.outFile = std::fopen(context.workDir, "wb");
  if (context.outFile == nullptr) {
    result = kCannotCreateFile;
  } else if (context.currentIndex == context.trailer.scriptIndex) {
    std::memcpy(context.scriptPath, context.workDir, kPathSize);
  }
  context.workDir[context.workDirLength] = '\0';
  return result;
}

ResultCode TransferMember(ArchiveContext& context, uint32_t* bytesWritten) {
  TransferState state =
      StartTransfer(context.archiveFile, context.outFile, context.header.storedSize);
  const uint32_t transfer =
      context.header.compressed != 0
          ? Explode(ReadMemberData, WriteMemberData, context.work, &state)
          : CopyStored(ReadMemberData, WriteMemberData, context.work, &state);
  if (bytesWritten != nullptr) *bytesWritten = state.bytesWritten;
  if (transfer != 0) return MapExplodeResult(transfer);
  // The next header begins right after this member's stored bytes, however many of them an
  // implode stream needed before its end symbol.
  if (state.bytesRead < state.storedSize) {
    SkipArchiveBytes(context.archiveFile, state.storedSize - state.bytesRead);
  }
  return (state.crc ^ 0xFFFFFFFFu) == context.header.crc ? kNoError : kArchiveCorrupted;
}

ResultCode ExtractMember(ArchiveContext& context) {
  ResultCode result = ReadFileHeader(context.header, context.memberName, context.archiveFile);
  if (result != kNoError) return result;
  result = OpenMemberOutput(context);
  if (result != kNoError) return result;
  result = TransferMember(context);
  std::fclose(context.outFile);
  context.outFile = nullptr;
  char path[kPathSize];
  if (ComposeMemberPath(context, path)) SetLastWriteTime(path, context.header.lastWriteTime);
  return result;
}
