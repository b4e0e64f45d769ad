// The native build's file system: POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "zbpack/host/file_time.h"
#include "zbpack/host/host_files.h"

namespace {

HostFileId IdOf(const struct stat& status) {
  HostFileId id;
  id.volume = static_cast<uint64_t>(status.st_dev);
  id.file = static_cast<uint64_t>(status.st_ino);
  return id;
}

std::string Reason() { return std::strerror(errno); }

}  // namespace

bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error) {
  struct stat status;
  if (stat(path, &status) != 0) {
    *error = Reason();
    return false;
  }
  info->size = static_cast<uint64_t>(status.st_size);
  info->lastWriteTime = FileTimeFromUnix(static_cast<int64_t>(status.st_mtim.tv_sec),
                                         static_cast<uint32_t>(status.st_mtim.tv_nsec));
  info->isRegularFile = S_ISREG(status.st_mode);
  info->isDirectory = S_ISDIR(status.st_mode);
  return true;
}

bool QueryHostFileId(const char* path, HostFileId* id) {
  struct stat status;
  if (stat(path, &status) != 0) return false;
  *id = IdOf(status);
  return true;
}

bool QueryStreamFileId(FILE* stream, HostFileId* id) {
  struct stat status;
  if (fstat(fileno(stream), &status) != 0) return false;
  *id = IdOf(status);
  return true;
}

bool MakeHostDirectories(const std::string& path, std::string* error) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return true;
    *error = "exists and is not a directory";
    return false;
  }
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 &&
      !MakeHostDirectories(path.substr(0, slash), error)) {
    return false;
  }
  if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
  *error = Reason();
  return false;
}

bool ListHostDirectory(const std::string& path, std::vector<HostDirEntry>* entries,
                       std::string* error) {
  DIR* directory = opendir(path.c_str());
  if (directory == nullptr) {
    *error = Reason();
    return false;
  }
  errno = 0;
  while (const struct dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string full = path + "/" + name;
    struct stat status;
    HostEntryKind kind = HostEntryKind::kOther;
    if (lstat(full.c_str(), &status) == 0) {
      if (S_ISREG(status.st_mode)) {
        kind = HostEntryKind::kFile;
      } else if (S_ISDIR(status.st_mode)) {
        kind = HostEntryKind::kDirectory;
      } else if (S_ISLNK(status.st_mode) && stat(full.c_str(), &status) == 0) {
        if (S_ISREG(status.st_mode)) kind = HostEntryKind::kLinkToFile;
        if (S_ISDIR(status.st_mode)) kind = HostEntryKind::kLinkToDirectory;
      }
    }
    entries->push_back(HostDirEntry{name, kind});
    errno = 0;
  }
  const int readError = errno;
  closedir(directory);
  if (readError != 0) {
    *error = std::strerror(readError);
    return false;
  }
  return true;
}

bool MakeMemberFolders(const std::string& root, const std::string& name, std::string* error) {
  std::string path = root;
  size_t start = 0;
  for (size_t end; (end = name.find_first_of("\\/", start)) != std::string::npos; start = end + 1) {
    path += "/" + name.substr(start, end - start);
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) {
      if (errno == ENOENT && mkdir(path.c_str(), 0777) == 0) continue;
      *error = path + ": " + Reason();
      return false;
    }
    if (S_ISLNK(status.st_mode)) {
      *error = path + ": is a symbolic link (not followed)";
      return false;
    }
    if (!S_ISDIR(status.st_mode)) {
      *error = path + ": exists and is not a directory";
      return false;
    }
  }
  return true;
}

FILE* CreateTempBeside(const std::string& target, std::string* tempPath, std::string* error) {
  // O_EXCL with a name of our own: nothing that already exists is opened, link or not. The
  // mode is a new file's usual one (umask applies), not mkstemp's 0600.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    *tempPath = target + ".zbpack-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(tempPath->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      *error = Reason();
      return nullptr;
    }
    FILE* file = fdopen(fd, "wb+");
    if (file == nullptr) {
      *error = Reason();
      close(fd);
      unlink(tempPath->c_str());
    }
    return file;
  }
  *error = "no free temporary name";
  return nullptr;
}

bool ReplaceHostFile(const std::string& from, const std::string& to, std::string* error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  *error = Reason();
  return false;
}

FILE* CreateNewHostFile(const std::string& path, bool replace, const HostFileId& keep,
                        std::string* error) {
  struct stat status;
  if (lstat(path.c_str(), &status) == 0) {
    if (S_ISLNK(status.st_mode)) {
      *error = "is a symbolic link (not followed, not replaced)";
      return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
      *error = "exists and is not a regular file (not replaced)";
      return nullptr;
    }
    if (IdOf(status) == keep) {
      *error = "is the installer being read (not replaced)";
      return nullptr;
    }
    if (!replace) {
      *error = "exists (--force replaces it)";
      return nullptr;
    }
    if (unlink(path.c_str()) != 0) {
      *error = Reason();
      return nullptr;
    }
  }
  // Whatever appeared since the look above is refused here: O_EXCL never opens an existing
  // entry, and O_NOFOLLOW never follows a link in the last component.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
  if (fd < 0) {
    *error = errno == EEXIST ? "exists (--force replaces it)" : Reason();
    return nullptr;
  }
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    *error = Reason();
    close(fd);
  }
  return file;
}

bool SetStreamLastWriteTime(FILE* stream, uint64_t fileTime) {
  if (std::fflush(stream) != 0) return false;
  struct timespec times[2];
  LastWriteTimespecs(fileTime, times);
  return futimens(fileno(stream), times) == 0;
}

bool SeekStream(FILE* stream, uint64_t offset) {
  return offset <= static_cast<uint64_t>(LLONG_MAX) &&
         fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool TellStream(FILE* stream, uint64_t* offset) {
  const off_t position = ftello(stream);
  if (position < 0) return false;
  *offset = static_cast<uint64_t>(position);
  return true;
}

bool TruncateStream(FILE* stream, uint64_t size) {
  return std::fflush(stream) == 0 && ftruncate(fileno(stream), static_cast<off_t>(size)) == 0;
}

std::string ExecutableDirectory() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string executable(path, static_cast<size_t>(length));
  const size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? "" : executable.substr(0, slash);
}

const char* NullDevicePath() { return "/dev/null"; }

bool StreamIsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }
