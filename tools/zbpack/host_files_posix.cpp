// The native build's file system: POSIX stat and mkdir.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "zbpack/file_time.h"
#include "zbpack/host_files.h"

bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error) {
  struct stat status;
  if (stat(path, &status) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  info->size = static_cast<uint64_t>(status.st_size);
  info->lastWriteTime = FileTimeFromUnix(static_cast<int64_t>(status.st_mtim.tv_sec),
                                         static_cast<uint32_t>(status.st_mtim.tv_nsec));
  info->isRegularFile = S_ISREG(status.st_mode);
  return true;
}

bool MakeHostDirectory(const char* path, std::string* error) {
  if (mkdir(path, 0777) == 0) return true;
  const int reason = errno;
  struct stat status;
  if (reason == EEXIST && stat(path, &status) == 0 && S_ISDIR(status.st_mode)) return true;
  *error = std::strerror(reason);
  return false;
}

const char* NullDevicePath() { return "/dev/null"; }
