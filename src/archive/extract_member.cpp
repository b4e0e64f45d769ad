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

// Writes dir.path + memberName into path (kPathSize bytes) with the platform's separators.
// False when the result would not fit.
bool ComposeMemberPath(const WorkDirectory& dir, const char* memberName, char (&path)[kPathSize]) {
  const size_t nameLength = std::strlen(memberName);
  if (size_t(dir.length) + nameLength >= kPathSize) return false;
  std::memcpy(path, dir.path, dir.length);
  for (size_t i = 0; i <= nameLength; ++i) {
    const char c = memberName[i];
    path[dir.length + i] = (c == '\\' || c == '/') ? kPathSeparator : c;
  }
  return true;
}

// Makes the folders of the member's path (composed by ComposeMemberPath), one component at a
// time below the work directory. False at the first one that is not a folder this run made, or
// cannot be made. path is restored before returning.
bool MakeMemberFolders(WorkDirectory& dir, char (&path)[kPathSize]) {
  for (size_t i = dir.length; path[i] != '\0'; ++i) {
    if (path[i] != kPathSeparator) continue;
    path[i] = '\0';
    const bool made = MakeMemberFolder(path, dir.made);
    path[i] = kPathSeparator;
    if (!made) return false;
  }
  return true;
}

// Runs the member's data through the stored copy, Explode or the run's LZMA decoder (made by
// the first LZMA member). An LZMA member that fails in any way, or decodes to another size
// than originalSize, is kArchiveCorrupted; the stream it belonged to ends with it, as it does
// at any member of another method.
ResultCode TransferData(const FileHeader& header, MemberTransfer& transfer, TransferState& state) {
  if (!IsLzmaMember(header)) {
    EndLzmaStream(transfer.lzma);
    const uint32_t result =
        header.compressed != kStoredMember
            ? Explode(ReadMemberData, WriteMemberData, transfer.work, &state)
            : CopyStored(ReadMemberData, WriteMemberData, transfer.work, &state);
    return result != 0 ? MapExplodeResult(result) : kNoError;
  }
  if (transfer.lzma == nullptr) transfer.lzma = NewLzmaDecoder(kLzmaDictLimit);
  if (transfer.lzma == nullptr) return kOutOfMemory;
  const uint32_t result = DecodeLzmaMember(transfer.lzma, header.compressed == kLzmaStartMember,
                                           ReadMemberData, WriteMemberData, &state);
  if (result == kLzmaNoMemory) return kOutOfMemory;
  return result == kLzmaOk && state.bytesWritten == header.originalSize ? kNoError
                                                                        : kArchiveCorrupted;
}

}  // namespace

ResultCode OpenMemberOutput(const ArchiveReader& reader, MemberTransfer& transfer,
                            WorkDirectory& dir) {
  if (!IsSafeMemberName(reader.memberName)) return kCannotCreateFile;
  // The path is composed in dir.path itself: the work directory's name plus the member's.
  char path[kPathSize];
  if (!ComposeMemberPath(dir, reader.memberName, path) || !MakeMemberFolders(dir, path)) {
    return kCannotCreateFile;
  }
  std::memcpy(dir.path, path, kPathSize);
  ResultCode result = kNoError;
  transfer.outFile = CreateMemberFile(dir.path, dir.made);
  if (transfer.outFile == nullptr) {
    result = kCannotCreateFile;
  } else if (reader.currentIndex == reader.trailer.scriptIndex) {
    std::memcpy(dir.scriptPath, dir.path, kPathSize);
  }
  dir.path[dir.length] = '\0';
  return result;
}

ResultCode TransferMember(const ArchiveReader& reader, MemberTransfer& transfer,
                          uint32_t* bytesWritten) {
  TransferState state =
      StartTransfer(reader.archiveFile, transfer.outFile, reader.header.storedSize, transfer.pump);
  const ResultCode result = TransferData(reader.header, transfer, state);
  if (bytesWritten != nullptr) *bytesWritten = state.bytesWritten;
  // Bytes that never reached the file fail the member as such, before the decoder's result or
  // the CRC (computed over the bytes handed to the stream) can tell another story. The stream
  // still holds up to a buffer of them: they count only once flushed.
  if (state.writeError != kNoError) return state.writeError;
  errno = 0;
  if (std::fflush(transfer.outFile) != 0 || std::ferror(transfer.outFile) != 0) {
    return WriteFailureCode(errno);
  }
  if (result != kNoError) return result;
  // The next header begins right after this member's stored bytes, however many of them an
  // implode stream needed before its end symbol.
  if (state.bytesRead < state.storedSize &&
      !SkipArchiveBytes(reader.archiveFile, state.storedSize - state.bytesRead)) {
    return kIOError;
  }
  return (state.crc ^ 0xFFFFFFFFu) == reader.header.crc ? kNoError : kArchiveCorrupted;
}

ResultCode ExtractMember(ArchiveReader& reader, MemberTransfer& transfer, WorkDirectory& dir) {
  ResultCode result = ReadFileHeader(reader.header, reader.memberName, reader.archiveFile);
  if (result != kNoError) return result;
  result = OpenMemberOutput(reader, transfer, dir);
  if (result != kNoError) return result;
  result = TransferMember(reader, transfer);
  SetLastWriteTime(transfer.outFile, reader.header.lastWriteTime);
  // The close writes what the stream still buffers (nothing, after TransferMember's flush,
  // unless that failed) and can fail on its own.
  errno = 0;
  if (std::fclose(transfer.outFile) != 0 && result == kNoError) {
    result = WriteFailureCode(errno);
  }
  transfer.outFile = nullptr;
  return result;
}
