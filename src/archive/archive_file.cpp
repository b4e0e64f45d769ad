// Positions in the archive's file in 64 bits on every host.
#include "archive/archive_file.h"

// fseek with a 64-bit offset: the C runtime's long is 32 bits on Windows, too short for
// positions past 2 GiB. 0 on success, as fseek. On Windows the target is worked out on
// msvcrt's 64-bit fpos_t and set with fsetpos: the runtime library's _fseeki64 wrapper would
// add a data and an unwind section to the stub.
int SeekArchive(FILE* stream, int64_t offset, int origin) {
#ifdef _WIN32
  fpos_t base = 0;
  if (origin == SEEK_END && std::fseek(stream, 0, SEEK_END) != 0) return -1;
  if (origin != SEEK_SET && std::fgetpos(stream, &base) != 0) return -1;
  const fpos_t target = base + offset;
  if (target < 0) return -1;
  return std::fsetpos(stream, &target);
#else
  return fseeko(stream, off_t(offset), origin);
#endif
}

bool ArchiveFileSize(FILE* stream, uint64_t* size) {
#ifdef _WIN32
  fpos_t end = 0;
  if (std::fseek(stream, 0, SEEK_END) != 0 || std::fgetpos(stream, &end) != 0 || end < 0) {
    return false;
  }
#else
  if (fseeko(stream, 0, SEEK_END) != 0) return false;
  const off_t end = ftello(stream);
  if (end < 0) return false;
#endif
  *size = uint64_t(end);
  return true;
}

bool SkipArchiveBytes(FILE* stream, uint32_t count) {
  return count == 0 || SeekArchive(stream, int64_t{count}, SEEK_CUR) == 0;
}
