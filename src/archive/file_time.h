// Putting a member's last-write time back on its extracted file; one implementation per
// platform. Failures are not reported: a file keeps the time of its writing.
#pragma once
#include <cstdint>

// fileTime: a Windows FILETIME, 100-nanosecond intervals since 1601-01-01 00:00 UTC. Creation
// and last-access times are left as they are.
void SetLastWriteTime(const char* path, uint64_t fileTime);

// The platform's path separator, appended after the work directory and used for the
// separators inside member names.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
