#include "archive/extract_member.h"

#include <cerrno>
#include <cstring>

#include "archive/file_time.h"
#include "archive/member_name.h"
#include "archive/member_output.h"
#include "archive/member_transfer.h"
#include "explode/explode.h"
#include "explode/lzma_decode.h"

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

// Runs the member's data through the stored copy, Explode or the run's LZMA decoder (made by
// the first LZMA member). An LZMA member that fails in any way, or decodes to another size
// than originalSize, is kArchiveCorrupted; the stream it belonged to ends with it, as it does
// at any member of another method.
ResultCode TransferData(ArchiveContext& context, TransferState& state) {
  const FileHeader& header = context.header;
  if (!IsLzmaMember(header)) {
    EndLzmaStream(context.lzma);
    const uint32_t result =
        header.compressed != kStoredMember
            ? Explode(ReadMemberData, WriteMemberData, context.work, &state)
            : CopyStored(ReadMemberData, WriteMemberData, context.work, &state);
    return result != 0 ? MapExplodeResult(result) : kNoError;
  }
  if (context.lzma == nullptr) context.lzma = NewLzmaDecoder(kLzmaDictLimit);
  if (context.lzma == nullptr) return kOutOfMemory;
  const uint32_t result =
      DecodeLzmaMember(context.lzma, header.compressed == kLzmaStartMember, ReadMemberData,
                       WriteMemberData, &state);
  if (result == kLzmaNoMemory) return kOutOfMemory;
  return result == kLzmaOk && state.bytesWritten == header.originalSize ? kNoError
                                                                        : kArchiveCorrupted;
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
  const ResultCode transfer = TransferData(context, state);
  if (bytesWritten != nullptr) *bytesWritten = state.bytesWritten;
  // Bytes that never reached the file fail the member as such, before the decoder's result or
  // the CRC (computed over the bytes handed to the stream) can tell another story. The stream
  // still holds up to a buffer of them: they count only once flushed.
  if (state.writeError != kNoError) return state.writeError;
  errno = 0;
  if (std::fflush(context.outFile) != 0 || std::ferror(context.outFile) != 0) {
    return WriteFailureCode(errno);
  }
  if (transfer != kNoError) return transfer;
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
