// Walking the archive: closing record, archive tag, member headers. The stream position is
// the only state; nothing is retried and fields a failed read had filled keep what was read.
#include <cstdio>
#include <cstring>

#include "archive/archive_end.h"
#include "archive/archive_file.h"
#include "archive/archive_reader.h"

ResultCode OpenArchiveFile(ArchiveReader& reader) {
  if (reader.exePath == nullptr) return kBadParameter;
  reader.archiveFile = std::fopen(reader.exePath, "rb");
  return reader.archiveFile == nullptr ? kCannotOpenFile : kNoError;
}

ResultCode ReadSeaTrailer(ArchiveReader& reader) {
  // The closing record ends the archive: at the end of the file, or before the certificate
  // table of a signed installer.
  const ArchiveEnd end = LocateArchiveEndInFile(reader.archiveFile);
  if (!IsSigned(end)) {
    if (SeekArchive(reader.archiveFile, -int64_t(kSeaTrailerSize), SEEK_END) != 0) return kIOError;
  } else {
    const uint32_t archiveEnd = SignedArchiveEnd(end);
    const int64_t trailerAt = int64_t{archiveEnd} - int64_t(kSeaTrailerSize);
    if (archiveEnd < kSeaTrailerSize || SeekArchive(reader.archiveFile, trailerAt, SEEK_SET) != 0) {
      return kIOError;
    }
  }
  uint8_t bytes[kSeaTrailerSize];
  if (std::fread(bytes, kSeaTrailerSize, 1, reader.archiveFile) != 1) return kIOError;
  DecodeSeaTrailer(bytes, &reader.trailer);
  // The name is shown and formatted later; one without its NUL is cut rather than overrun.
  reader.trailer.productName[kProductNameSize - 1] = '\0';
  return TestSeaTrailerTag(reader.trailer.seaTag);
}

ResultCode TakeTotalBytes(ArchiveReader& reader) {
  if (reader.trailer.totalBytes == 0) return kEmptyArchive;
  reader.totalBytes = reader.trailer.totalBytes;
  return kNoError;
}

ResultCode ReadArchiveTag(ArchiveReader& reader) {
  if (SeekArchive(reader.archiveFile, int64_t{reader.trailer.archiveOffset}, SEEK_SET) != 0) {
    return kIOError;
  }
  uint8_t bytes[4];
  if (std::fread(bytes, sizeof bytes, 1, reader.archiveFile) != 1) return kIOError;
  reader.archiveTag = LoadLE32(bytes);
  return TestArchiveTag(reader.archiveTag);
}

ResultCode ReadFileHeader(FileHeader& header, char (&memberName)[kMemberNameSize], FILE* stream) {
  if (stream == nullptr) return kBadParameter;
  uint8_t bytes[kFileHeaderSize];
  if (std::fread(bytes, kFileHeaderSize, 1, stream) != 1) return kIOError;
  DecodeFileHeader(bytes, &header);
  const ResultCode tagResult = TestFileHeaderTag(header.tag);
  if (tagResult != kNoError) return tagResult;
  if (header.nameLength == 0) return kIOError;  // no item to read: a failed read
  // The name must fit memberName and end with its NUL inside nameLength. Anything else is a
  // damaged record: refused before a byte of it lands in memberName.
  if (header.nameLength > kMemberNameSize) return kArchiveCorrupted;
  char name[kMemberNameSize];
  if (std::fread(name, header.nameLength, 1, stream) != 1) return kIOError;
  if (std::memchr(name, '\0', header.nameLength) == nullptr) return kArchiveCorrupted;
  std::memcpy(memberName, name, header.nameLength);
  return kNoError;
}
