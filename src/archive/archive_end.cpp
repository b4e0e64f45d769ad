#include "archive/archive_end.h"

#include <initializer_list>

#include "archive/archive_context.h"
#include "archive/archive_format.h"

namespace {

constexpr uint32_t kDosHeaderSize = 0x40;   // bytes; e_lfanew at 0x3C
constexpr uint32_t kPeHeadSize = 4 + 20;    // "PE\0\0" and the COFF file header, bytes
constexpr uint32_t kSecurityDirectory = 4;  // index of the certificate table's entry
constexpr uint32_t kMaxPadding = 7;         // bytes; signers align the table to 8
constexpr uint32_t kWindowSize = kSeaTrailerSize + kMaxPadding;

uint16_t LoadLE16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

// The optional header's field offsets for its magic: PE32 or PE32+ (as built for x86-64).
bool DirectoryLayout(uint16_t magic, uint32_t* countAt, uint32_t* directoriesAt) {
  if (magic == 0x10B) {
    *countAt = 92;
    *directoriesAt = 96;
  } else if (magic == 0x20B) {
    *countAt = 108;
    *directoriesAt = 112;
  } else {
    return false;
  }
  return true;
}

// True when the kSeaTrailerSize bytes at record look like a closing record; strict also asks
// for the fields that no other window of the same bytes can match together.
bool LooksLikeClosingRecord(const uint8_t* record, bool strict) {
  if (LoadLE32(record + 16) != kSeaTrailerTag) return false;  // seaTag
  if (!strict) return true;
  return LoadLE32(record + 0) == kSeaTrailerTag &&  // recordTag
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

bool ReadFileAt(void* source, uint32_t offset, uint8_t* buffer, uint32_t count) {
  FILE* file = static_cast<FILE*>(source);
  return std::fseek(file, 0, SEEK_SET) == 0 && SkipArchiveBytes(file, offset) &&
         std::fread(buffer, count, 1, file) == 1;
}

}  // namespace

ArchiveEnd LocateArchiveEnd(uint64_t fileSize, ReadAtFn readAt, void* source) {
  const ArchiveEnd unsignedEnd = {0, 0, false, 0};
  uint8_t dos[kDosHeaderSize];
  if (fileSize < kDosHeaderSize || !readAt(source, 0, dos, kDosHeaderSize)) return unsignedEnd;
  if (dos[0] != 'M' || dos[1] != 'Z') return unsignedEnd;

  // The PE signature, the COFF header and the optional header's magic.
  const uint64_t peAt = LoadLE32(dos + 0x3C);
  uint8_t pe[kPeHeadSize + 2];
  if (peAt + sizeof pe > fileSize || !readAt(source, uint32_t(peAt), pe, sizeof pe)) {
    return unsignedEnd;
  }
  if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) return unsignedEnd;
  const uint32_t optionalSize = LoadLE16(pe + 4 + 16);  // SizeOfOptionalHeader, bytes
  uint32_t countAt = 0;
  uint32_t directoriesAt = 0;
  if (!DirectoryLayout(LoadLE16(pe + kPeHeadSize), &countAt, &directoriesAt)) return unsignedEnd;

  // NumberOfRvaAndSizes and the security entry must lie inside the optional header as the COFF
  // header sizes it, and inside the file.
  const uint32_t entryAt = directoriesAt + kSecurityDirectory * 8;
  if (entryAt + 8 > optionalSize) return unsignedEnd;
  const uint64_t optionalAt = peAt + kPeHeadSize;
  if (optionalAt + entryAt + 8 > fileSize || optionalAt + entryAt + 8 > UINT32_MAX) {
    return unsignedEnd;
  }
  uint8_t count[4];
  uint8_t entry[8];
  if (!readAt(source, uint32_t(optionalAt + countAt), count, sizeof count) ||
      LoadLE32(count) <= kSecurityDirectory ||
      !readAt(source, uint32_t(optionalAt + entryAt), entry, sizeof entry)) {
    return unsignedEnd;
  }

  // A table that is empty, overlaps the headers that point at it, or leaves the file.
  const uint32_t tableOffset = LoadLE32(entry);
  const uint32_t tableSize = LoadLE32(entry + 4);
  if (tableSize == 0 || tableOffset < optionalAt + entryAt + 8 ||
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
  return LocateArchiveEnd(size, ReadFileAt, file);
}
