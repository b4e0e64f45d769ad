// The record of one run: the work block, the streams and the copies of the records read.
// Exactly one exists per run, owned by the main sequence and passed by reference to each step.
#pragma once
#include <cstdint>
#include <cstdio>

#include "archive/archive_format.h"
#include "archive/made_entries.h"

struct LzmaDecoder;

struct ArchiveContext {
  uint8_t* work = nullptr;        // kExplodeWorkSize bytes from malloc; freed when the context ends
  const char* exePath = nullptr;  // the archive's path (the running executable)
  FILE* archiveFile = nullptr;    // opened "rb"; stays open for the run
  FILE* outFile = nullptr;        // current member's output, opened "wb"
  FILE* scriptFile = nullptr;     // the script member, opened "rt" while it runs
  void (*pump)() = nullptr;       // keeps windows alive during transfers; null without windows
  LzmaDecoder* lzma = nullptr;    // made by the first LZMA member; carries a solid stream from
                                  // member to member; freed when the context ends
  uint32_t currentIndex = 0;      // 1-based index of the member being extracted
  uint32_t workDirLength = 0;     // characters of workDir; appended names are cut back to it
  uint32_t totalBytes = 0;        // trailer.totalBytes once accepted
  uint32_t archiveTag = kArchiveTag;
  SeaTrailer trailer = {kSeaTrailerTag, 0, 0, 0, kSeaTrailerTag, 0, {}};
  FileHeader header = {kFileHeaderTag, 0, 0, 1, 0, 0, 0};
  char memberName[kMemberNameSize] = {};
  char scriptPath[kPathSize] = {};
  char workDir[kPathSize] = {};   // ends in the path separator
  MadeEntries made;               // the work directory and what extraction made in it

  ArchiveContext() = default;
  ArchiveContext(const ArchiveContext&) = delete;
  ArchiveContext& operator=(const ArchiveContext&) = delete;
  ~ArchiveContext();  // frees work, made and lzma; closes nothing (streams have their owners)
};

// Reads the 280 bytes that end the archive into trailer and tests seaTag: the file's last 280
// bytes, or for a signed installer those before its certificate table (archive_end.h). The
// product name is always left NUL-terminated inside its field (a name without its NUL is cut
// at 255 bytes).
ResultCode ReadSeaTrailer(ArchiveContext& context);

// Seeks archiveFile to trailer.archiveOffset, reads and tests the archive tag. On success the
// stream stands on member 1's FileHeader.
ResultCode ReadArchiveTag(ArchiveContext& context);

// The size of the file behind stream in bytes, in 64 bits also on Windows (where long, and so
// ftell, has 32). Leaves the stream at the end of the file. False when it cannot be told.
bool ArchiveFileSize(FILE* stream, uint64_t* size);

// Moves stream forward by count bytes (64-bit positions, also on Windows). False when the
// seek fails.
bool SkipArchiveBytes(FILE* stream, uint32_t count);

// Reads one FileHeader and its name from the stream's position. A name longer than
// memberName, or without its NUL inside nameLength, is refused with kArchiveCorrupted before
// anything is read into memberName. On success the stream stands on the member's data.
ResultCode ReadFileHeader(FileHeader& header, char (&memberName)[kMemberNameSize], FILE* stream);
