#include "archive/archive_end.h"

#include <initializer_list>

#include "archive/archive_file.h"
#include "archive/archive_format.h"

namespace {

constexpr uint32_t kMaxPadding = 7;  // bytes; signers align the table to 8
constexpr uint32_t kWindowSize = kSeaTrailerSize + kMaxPadding;

// True when the kSeaTrailerSize bytes at record look like a closing record; strict also asks
// for the fields that no other window of the same bytes can match together.
bool LooksLikeClosingRecord(const uint8_t* record, bool strict) {
  if (LoadLE32(record + 16) != kSeaTrailerTag) return false;  // seaTag
  if (!strict) return true;
  return LoadLE32(record + 0) == kSeaTrailerTag &&       // recordTag
         LoadLE32(record + 12) <= LoadLE32(record + 8);  // scriptIndex <= fileCount
}

// Chooses the padding in front of a table at tableOffset (see the header for the rule).
uint32_t FindPadding(uint32_t tableOffset, ReadAtFn readAt, void* source) {
  const uint32_t windowSize = tableOffset < kWindowSize ? tableOffset : kWindowSize;
  if (windowSize < kSeaTrailerSize) return 0;
  uint8_t window[kWindowSize];
  if (!readAt(source, tableOffset - windowSize, window, windowSize)) return 0;
  for (const bool strict : {true, false}) {
    for (uint32_t padding = 0; padding <= kMaxPadding; ++padding) {
      if (padding > windowSize - kSeaTrailerSize) break;
      if (padding > 0 && window[windowSize - padding] != 0) break;  // padding is zeros only
      if (LooksLikeClosingRecord(window + windowSize - padding - kSeaTrailerSize, strict)) {
        return padding;
      }
    }
  }
  return 0;
}

}  // namespace

bool ReadPeFile(void* source, uint32_t offset, uint8_t* buffer, uint32_t count) {
  FILE* file = static_cast<FILE*>(source);
  return std::fseek(file, 0, SEEK_SET) == 0 && SkipArchiveBytes(file, offset) &&
         std::fread(buffer, count, 1, file) == 1;
}

ArchiveEnd LocateArchiveEnd(uint64_t fileSize, ReadAtFn readAt, void* source) {
  const ArchiveEnd unsignedEnd = {0, 0, false, 0};
  PeHeaders headers;
  uint32_t tableOffset = 0;
  uint32_t tableSize = 0;
  if (!ReadPeHeaders(fileSize, readAt, source, &headers) ||
      !ReadPeDirectory(headers, kPeSecurityDirectory, readAt, source, &tableOffset, &tableSize)) {
    return unsignedEnd;
  }
  // A table that is empty, overlaps the headers that point at it, or leaves the file.
  if (tableSize == 0 || tableOffset < PeDirectoryOffset(headers, kPeSecurityDirectory) + 8 ||
      uint64_t(tableOffset) + tableSize > fileSize) {
    return unsignedEnd;
  }
  ArchiveEnd end = {tableOffset, tableSize, false, 0};
  if (uint64_t(tableOffset) + tableSize != fileSize) return end;  // signs nothing behind it
  end.isSigned = true;
  end.padding = FindPadding(tableOffset, readAt, source);
  return end;
}

ArchiveEnd LocateArchiveEndInFile(FILE* file) {
  uint64_t size = 0;
  if (!ArchiveFileSize(file, &size)) return ArchiveEnd{0, 0, false, 0};
  return LocateArchiveEnd(size, ReadPeFile, file);
}
