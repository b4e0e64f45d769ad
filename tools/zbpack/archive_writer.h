// Writing a packed file front to back, one record at a time, so that no more than one member is
// ever held in memory. Every byte goes through WriteOutput, which counts the file offset and
// drops whatever lies beyond the optional cut (`--truncate`).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_format.h"

struct ArchiveOutput {
  FILE* file = nullptr;            // opened "wb" by the caller, who also closes it
  uint64_t offset = 0;             // bytes handed to WriteOutput so far
  std::optional<uint64_t> limit;   // bytes at or beyond this offset are not written
};

// Each returns false when the stream refused a write (the stream's error indicator is set).
bool WriteOutput(ArchiveOutput& output, const void* data, size_t size);  // size in bytes
bool WriteArchiveTag(ArchiveOutput& output, uint32_t tag);
// The header, then nameBytes (NUL included, whatever header.nameLength says), then data
// (whatever header.storedSize says): the header is written as given, the bytes as they are.
bool WriteMember(ArchiveOutput& output, const FileHeader& header, const std::string& nameBytes,
                 const std::vector<uint8_t>& data);
bool WriteTrailer(ArchiveOutput& output, const SeaTrailer& trailer);
