#include <fcntl.h>
#include <sys/stat.h>

#include "archive/file_time.h"

namespace {
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;  // 1970-01-01 in 100 ns ticks
}

void SetLastWriteTime(const char* path, uint64_t fileTime) {
  // Times before 1970 clamp to the epoch rather than wrap.
  const uint64_t sinceEpoch = fileTime > kUnixEpochAsFileTime ? fileTime - kUnixEpochAsFileTime : 0;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // last access untouched
  times[1].tv_sec = time_t(sinceEpoch / 10000000u);
  times[1].tv_nsec = long(sinceEpoch % 10000000u) * 100;
  utimensat(AT_FDCWD, path, times, 0);
}
