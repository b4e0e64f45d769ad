#include "archive/install_lock.h"

#include <windows.h>

#include "common/buffer_sizes.h"
#include "explode/crc32.h"

InstallLock TakeInstallLock(const char* workDir) {
  // Letters upper-cased first: Windows sees "C:\Users\..." and "c:\users\..." as one folder.
  uint8_t path[kPathSize];
  uint32_t length = 0;
  for (; workDir[length] != '\0' && length < kPathSize; ++length) {
    const char c = workDir[length];
    path[length] = uint8_t(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  const uint32_t seed = 0xFFFFFFFFu;
  const uint32_t crc = Crc32Update(path, &length, &seed);
  char name[40];
  wsprintfA(name, "Global\\ZubrexInstall-%08lX", static_cast<unsigned long>(crc ^ 0xFFFFFFFFu));
  // The handle is kept until the process ends: that is what holds the lock.
  const HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
  const DWORD error = GetLastError();
  if (mutex == nullptr)
    return error == ERROR_ACCESS_DENIED ? InstallLock::kBusy : InstallLock::kFailed;
  return error == ERROR_ALREADY_EXISTS ? InstallLock::kBusy : InstallLock::kHeld;
}
