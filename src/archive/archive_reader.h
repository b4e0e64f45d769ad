// Reading the archive: where it is, its closing record and the member header the stream stands
// on. One reader exists per run (the driver's) or per archive that zbpack reads.
#pragma once
#include <cstdint>
#include <cstdio>

#include "archive/archive_file.h"
#include "archive/archive_format.h"

// The stream and the copies of the records read from it. Owns nothing: whoever opened
// archiveFile closes it.
struct ArchiveReader {
  const char* exePath = nullptr;  // the archive's path (the running executable)
  FILE* archiveFile = nullptr;    // opened "rb"; stays open for the run
  uint32_t currentIndex = 0;      // 1-based index of the member being extracted
  uint32_t totalBytes = 0;        // trailer.totalBytes once accepted
  uint32_t archiveTag = kArchiveTag;
  SeaTrailer trailer = {kSeaTrailerTag, 0, 0, 0, kSeaTrailerTag, 0, {}};
  FileHeader header = {kFileHeaderTag, 0, 0, 1, 0, 0, 0};
  char memberName[kMemberNameSize] = {};
};

// Opens exePath with mode "rb" into archiveFile: kBadParameter without a path,
// kCannotOpenFile when it cannot be opened.
ResultCode OpenArchiveFile(ArchiveReader& reader);

// Reads the 280 bytes that end the archive into trailer and tests seaTag: the file's last 280
// bytes, or for a signed installer those before its certificate table (archive_end.h). The
// product name is always left NUL-terminated inside its field (a name without its NUL is cut
// at 255 bytes).
ResultCode ReadSeaTrailer(ArchiveReader& reader);

// Takes trailer.totalBytes into totalBytes; kEmptyArchive (and totalBytes untouched) for 0.
ResultCode TakeTotalBytes(ArchiveReader& reader);

// Seeks archiveFile to trailer.archiveOffset, reads and tests the archive tag. On success the
// stream stands on member 1's FileHeader.
ResultCode ReadArchiveTag(ArchiveReader& reader);

// Reads one FileHeader and its name from the stream's position. A name longer than
// memberName, or without its NUL inside nameLength, is refused with kArchiveCorrupted before
// anything is read into memberName. On success the stream stands on the member's data.
ResultCode ReadFileHeader(FileHeader& header, char (&memberName)[kMemberNameSize], FILE* stream);
