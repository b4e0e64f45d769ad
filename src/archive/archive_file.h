// The archive's file as a stream of 64-bit positions: the C runtime's long (and so fseek and
// ftell) has 32 bits on Windows, too few for installers past 2 GiB.
#pragma once
#include <cstdint>
#include <cstdio>

// fseek with a 64-bit offset; 0 on success, as fseek.
int SeekArchive(FILE* stream, int64_t offset, int origin);

// The size of the file behind stream in bytes, in 64 bits also on Windows (where long, and so
// ftell, has 32). Leaves the stream at the end of the file. False when it cannot be told.
bool ArchiveFileSize(FILE* stream, uint64_t* size);

// Moves stream forward by count bytes (64-bit positions, also on Windows). False when the
// seek fails.
bool SkipArchiveBytes(FILE* stream, uint32_t count);
