#include <windows.h>

#include <io.h>

#include "archive/file_time.h"

void SetLastWriteTime(FILE* stream, uint64_t fileTime) {
  std::fflush(stream);
  FILETIME time;
  time.dwLowDateTime = DWORD(fileTime);
  time.dwHighDateTime = DWORD(fileTime >> 32);
  SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), nullptr, nullptr, &time);
}
