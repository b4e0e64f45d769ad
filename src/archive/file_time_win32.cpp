#include <windows.h>

#include "archive/file_time.h"

void SetLastWriteTime(const char* path, uint64_t fileTime) {
  // Opened unshared on purpose: the file has just been closed by its writer.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  FILETIME time;
  time.dwLowDateTime = DWORD(fileTime);
  time.dwHighDateTime = DWORD(fileTime >> 32);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}
