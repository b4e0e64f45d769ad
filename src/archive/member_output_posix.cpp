#include "archive/member_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

FileIdentity IdentityOf(const struct stat& status) {
  return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)};
}

}  // namespace

bool MakeMemberFolder(const char* path, MadeEntries& made) {
  struct stat status;
  if (mkdir(path, 0777) != 0) {
    // A link is no S_ISDIR: lstat looks at the entry itself.
    return errno == EEXIST && lstat(path, &status) == 0 && S_ISDIR(status.st_mode) &&
           WasMadeHere(made, IdentityOf(status));
  }
  return lstat(path, &status) == 0 && RecordMadeEntry(made, IdentityOf(status));
}

FILE* CreateMemberFile(const char* path, MadeEntries& made) {
  // O_EXCL with O_CREAT fails on anything that stands at path, a link included.
  const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor == -1) return nullptr;
  struct stat status;
  FILE* stream = nullptr;
  if (fstat(descriptor, &status) == 0 && RecordMadeEntry(made, IdentityOf(status))) {
    stream = fdopen(descriptor, "wb");
  }
  if (stream == nullptr) close(descriptor);
  return stream;
}
