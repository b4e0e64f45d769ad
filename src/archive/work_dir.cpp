#include "archive/work_dir.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "archive/work_dir_path.h"
#include "explode/explode.h"
#include "ui/pump.h"

namespace {

constexpr int kDeleteAttempts = 3;
constexpr uint32_t kDeleteRetryWaitMs = 1250;

// A file that an installed program still holds open may be released a moment later.
template <typename Operation>
void TryThreeTimes(Operation operation, const char* path) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (operation(path)) return;
    WaitPumping(kDeleteRetryWaitMs);
  }
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

ResultCode PrepareWorkArea(ArchiveContext& context, const char* exePath) {
  if (exePath == nullptr) return kBadParameter;
  context.exePath = exePath;
  context.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
  if (context.work == nullptr) return kOutOfMemory;
  return MakeWorkDir(context);
}

ResultCode MakeWorkDir(ArchiveContext& context) {
  char tempPath[kPathSize];
  const DWORD tempLength = GetTempPathA(kPathSize, tempPath);
  ResultCode result = BuildWorkDirPath(tempPath, tempLength, context.workDir, &context.workDirLength);
  if (result != kNoError) return result;
  if (!CreateDirectoryA(context.workDir, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    result = kSystemError;
  }
  return result;
}

ResultCode CheckFreeSpace(const char* path, uint32_t neededBytes) {
  char root[4];
  FreeSpaceRoot(path, root);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    return kSystemError;
  }
  return HasEnoughFreeSpace(freeClusters, sectorsPerCluster, bytesPerSector, neededBytes)
             ? kNoError
             : kNotEnoughDiskSpace;
}

ResultCode RemoveWorkDir(ArchiveContext& context) {
  char* const workDir = context.workDir;
  const uint32_t length = context.workDirLength;
  std::memcpy(workDir + length, "*.*", kSearchPatternLength + 1);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(workDir, &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      // "." and "..", and directories a script made, are no files to delete: trying would
      // only cost three waits each.
      if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (length + std::strlen(entry.cFileName) >= kPathSize) continue;
      std::strcpy(workDir + length, entry.cFileName);
      TryThreeTimes([](const char* path) { return DeleteFileA(path) != FALSE; }, workDir);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  workDir[length] = '\0';
  TryThreeTimes([](const char* path) { return RemoveDirectoryA(path) != FALSE; }, workDir);
  return kNoError;
}
