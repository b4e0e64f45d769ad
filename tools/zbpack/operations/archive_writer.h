// The archive's records written to a stream at its position, exactly as given.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "archive/archive_format.h"

// Each returns false when the stream refused a write.
bool WriteBytes(FILE* output, const void* data, size_t size);  // size in bytes
bool WriteArchiveTag(FILE* output, uint32_t tag);
bool WriteFileHeader(FILE* output, const FileHeader& header);
bool WriteTrailer(FILE* output, const SeaTrailer& trailer);
