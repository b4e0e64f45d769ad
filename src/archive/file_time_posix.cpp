#include <fcntl.h>
#include <sys/stat.h>

#include "archive/file_time.h"

void LastWriteTimespecs(uint64_t fileTime, struct timespec (&times)[2]) {
  const uint64_t sinceEpoch = fileTime > kUnixEpochAsFileTime ? fileTime - kUnixEpochAsFileTime : 0;
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(sinceEpoch / kFileTimeTicksPerSecond);
  times[1].tv_nsec = long(sinceEpoch % kFileTimeTicksPerSecond) * 100;
}

void SetLastWriteTime(FILE* stream, uint64_t fileTime) {
  struct timespec times[2];
  LastWriteTimespecs(fileTime, times);
  std::fflush(stream);
  futimens(fileno(stream), times);
}
