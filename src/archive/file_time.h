// Putting a member's last-write time back on its extracted file; one implementation per
// platform. Failures are not reported: a file keeps the time of its writing.
#pragma once
#include <cstdint>
#include <cstdio>

// A Windows FILETIME counts 100-nanosecond ticks since 1601-01-01 00:00 UTC.
constexpr uint64_t kFileTimeTicksPerSecond = 10000000;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000;  // 1970-01-01 00:00 UTC

// fileTime: a FILETIME. Creation and last-access times are left as they are. Set through the
// open stream (flushed first), never by opening the name again, which might lead elsewhere by
// now. Nothing may be written to the stream afterwards.
void SetLastWriteTime(FILE* stream, uint64_t fileTime);

#ifndef _WIN32
#include <time.h>
// The times for utimensat or futimens that set the last write to fileTime and leave the last
// access alone. Times before 1970 clamp to the epoch rather than wrap.
void LastWriteTimespecs(uint64_t fileTime, struct timespec (&times)[2]);
#endif

// The platform's path separator, appended after the work directory and used for the
// separators inside member names.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
