#include "archive/member_folder.h"

#include <sys/stat.h>

#include <cerrno>

bool MakeMemberFolder(const char* path) {
  struct stat status;
  if (lstat(path, &status) == 0) return S_ISDIR(status.st_mode);  // a link is no S_ISDIR
  if (errno != ENOENT) return false;
  if (mkdir(path, 0777) == 0) return true;
  return errno == EEXIST && lstat(path, &status) == 0 && S_ISDIR(status.st_mode);
}
