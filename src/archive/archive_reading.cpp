// Walking the archive: closing record, archive tag, member headers. The stream position is
// the only state; nothing is retried and fields a failed read had filled keep what was read.
#include <cstdlib>
#include <cstring>

#include "archive/archive_context.h"
#include "archive/archive_end.h"

ArchiveContext::~ArchiveContext() { std::free(work); }

ResultCode ReadSeaTrailer(ArchiveContext& context) {
  // The closing record ends the archive: at the end of the file, or before the certificate
  // table of a signed installer.
  const ArchiveEnd end = LocateArchiveEndInFile(context.archiveFile);
  if (!IsSigned(end)) {
    if (std::fseek(context.archiveFile, -long(kSeaTrailerSize), SEEK_END) != 0) return kIOError;
  } else {
    const uint32_t archiveEnd = SignedArchiveEnd(end);
    if (archiveEnd < kSeaTrailerSize || std::fseek(context.archiveFile, 0, SEEK_SET) != 0 ||
        !SkipArchiveBytes(context.archiveFile, archiveEnd - uint32_t(kSeaTrailerSize))) {
      return kIOError;
    }
  }
  uint8_t bytes[kSeaTrailerSize];
  if (std::fread(bytes, kSeaTrailerSize, 1, context.archiveFile) != 1) return kIOError;
  DecodeSeaTrailer(bytes, &context.trailer);
  // The name is shown and formatted later; one without its NUL is cut rather than overrun.
  context.trailer.productName[kProductNameSize - 1] = '\0';
  return TestSeaTrailerTag(context.trailer.seaTag);
}

bool SkipArchiveBytes(FILE* stream, uint32_t count) {
  constexpr uint32_t kStep = 0x40000000;  // fits a 32-bit long
  while (count > 0) {
    const uint32_t step = count < kStep ? count : kStep;
    if (std::fseek(stream, long(step), SEEK_CUR) != 0) return false;
    count -= step;
  }
  return true;
}

ResultCode ReadArchiveTag(ArchiveContext& context) {
  // archiveOffset is unsigned 32-bit and a long may be 32-bit: offsets of 2 GiB and more must
  // not turn negative, so the stream is moved there from the start in steps.
  if (std::fseek(context.archiveFile, 0, SEEK_SET) != 0 ||
      !SkipArchiveBytes(context.archiveFile, context.trailer.archiveOffset)) {
    return kIOError;
  }
  uint8_t bytes[4];
  if (std::fread(bytes, sizeof bytes, 1, context.archiveFile) != 1) return kIOError;
  context.archiveTag = LoadLE32(bytes);
  return TestArchiveTag(context.archiveTag);
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
