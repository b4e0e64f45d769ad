#include <fcntl.h>
#include <sys/stat.h>

#include "archive/file_time.h"

void SetLastWriteTime(const char* path, uint64_t fileTime) {
  // Times before 1970 clamp to the epoch rather than wrap.
  const uint64_t sinceEpoch = fileTime > kUnixEpochAsFileTime ? fileTime - kUnixEpochAsFileTime : 0;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // last access untouched
  times[1].tv_sec = time_t(sinceEpoch / kFileTimeTicksPerSecond);
  times[1].tv_nsec = long(sinceEpoch % kFileTimeTicksPerSecond) * 100;
  utimensat(AT_FDCWD, path, times, 0);
}
