#include "archive/extract_member.h"

#include <cerrno>
#include <cstring>

#include "archive/file_time.h"
#include "archive/member_name.h"
#include "archive/member_output.h"
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

// Makes the folders of the member's path (composed by ComposeMemberPath), one component at a
// time below the work directory. False at the first one that is not a folder this run made, or
// cannot be made. path is restored before returning.
bool MakeMemberFolders(ArchiveContext& context, char (&path)[kPathSize]) {
  for (size_t i = context.workDirLength; path[i] != '\0'; ++i) {
    if (path[i] != kPathSeparator) continue;
    path[i] = '\0';
    const bool made = MakeMemberFolder(path, context.made);
    path[i] = kPathSeparator;
    if (!made) return false;
  }
  return true;
}

}  // namespace

ResultCode OpenMemberOutput(ArchiveContext& context) {
  if (!IsSafeMemberName(context.memberName)) return kCannotCreateFile;
  // The path is composed in workDir itself: the work directory's name plus the member's.
  char path[kPathSize];
  if (!ComposeMemberPath(context, path) || !MakeMemberFolders(context, path)) {
    return kCannotCreateFile;
  }
  std::memcpy(context.workDir, path, kPathSize);
  ResultCode result = kNoError;
  context.outFile = CreateMemberFile(context.workDir, context.made);
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
      StartTransfer(context.archiveFile, context.outFile, context.header.storedSize, context.pump);
  const uint32_t transfer =
      context.header.compressed != 0
          ? Explode(ReadMemberData, WriteMemberData, context.work, &state)
          : CopyStored(ReadMemberData, WriteMemberData, context.work, &state);
  if (bytesWritten != nullptr) *bytesWritten = state.bytesWritten;
  // Bytes that never reached the file fail the member as such, before the decoder's result or
  // the CRC (computed over the bytes handed to the stream) can tell another story. The stream
  // still holds up to a buffer of them: they count only once flushed.
  if (state.writeError != kNoError) return state.writeError;
  errno = 0;
  if (std::fflush(context.outFile) != 0 || std::ferror(context.outFile) != 0) {
    return WriteFailureCode(errno);
  }
  if (transfer != 0) return MapExplodeResult(transfer);
  // The next header begins right after this member's stored bytes, however many of them an
  // implode stream needed before its end symbol.
  if (state.bytesRead < state.storedSize &&
      !SkipArchiveBytes(context.archiveFile, state.storedSize - state.bytesRead)) {
    return kIOError;
  }
  return (state.crc ^ 0xFFFFFFFFu) == context.header.crc ? kNoError : kArchiveCorrupted;
}

ResultCode ExtractMember(ArchiveContext& context) {
  ResultCode result = ReadFileHeader(context.header, context.memberName, context.archiveFile);
  if (result != kNoError) return result;
  result = OpenMemberOutput(context);
  if (result != kNoError) return result;
  result = TransferMember(context);
  SetLastWriteTime(context.outFile, context.header.lastWriteTime);
  // The close writes what the stream still buffers (nothing, after TransferMember's flush,
  // unless that failed) and can fail on its own.
  errno = 0;
  if (std::fclose(context.outFile) != 0 && result == kNoError) result = WriteFailureCode(errno);
  context.outFile = nullptr;
  return result;
}
