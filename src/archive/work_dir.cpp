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

// A junction or symbolic link: writing into it, or deleting what it holds, would reach its
// target, which may be any folder of the system.
bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsRealDirectory(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The attributes of the work directory's own entry. Asked without its closing separator, which
// would make the platform look through a link at its target.
DWORD WorkDirAttributes(const char* workDir, uint32_t workDirLength, char (&dir)[kPathSize]) {
  std::memcpy(dir, workDir, workDirLength);
  dir[workDirLength > 0 ? workDirLength - 1 : 0] = '\0';
  return GetFileAttributesA(dir);
}

// An entry of the work directory's name that already exists: a real directory is reused as
// it is; a link is removed (the link alone: RemoveDirectoryA never follows one) and replaced
// by a real directory; anything else, a plain file included, cannot be the work directory.
ResultCode ClaimExistingWorkDir(const char* workDir, uint32_t workDirLength) {
  char dir[kPathSize];
  const DWORD attributes = WorkDirAttributes(workDir, workDirLength, dir);
  if (IsRealDirectory(attributes)) return kNoError;
  if (!IsReparsePoint(attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return kSystemError;
  }
  if (!RemoveDirectoryA(dir) || !CreateDirectoryA(dir, nullptr)) return kSystemError;
  return IsRealDirectory(GetFileAttributesA(dir)) ? kNoError : kSystemError;
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
  if (CreateDirectoryA(context.workDir, nullptr)) return kNoError;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return kSystemError;
  return ClaimExistingWorkDir(context.workDir, context.workDirLength);
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

namespace {

// Empties the folder whose path (ending in its separator, length characters) stands in path,
// files first, then each real subfolder the same way and the subfolder itself; links are
// neither deleted nor entered. path is restored to length characters before returning.
// Recursion depth is bounded by the 260-byte path: every level adds at least two characters.
void EmptyFolder(char* path, size_t length) {
  if (length + kSearchPatternLength >= kPathSize) return;
  for (int pass = 0; pass < 2; ++pass) {  // 0: files, 1: folders
    std::memcpy(path + length, "*.*", kSearchPatternLength + 1);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE) break;
    do {
      const DWORD attributes = entry.dwFileAttributes;
      const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      // "." and ".." are no entries to remove. Links are left alone, whatever they point at.
      if (IsDotEntry(entry.cFileName) || IsReparsePoint(attributes) || folder != (pass == 1)) {
        continue;
      }
      const size_t nameLength = std::strlen(entry.cFileName);
      if (length + nameLength + 1 >= kPathSize) continue;
      std::memcpy(path + length, entry.cFileName, nameLength + 1);
      if (folder) {
        path[length + nameLength] = '\\';
        path[length + nameLength + 1] = '\0';
        EmptyFolder(path, length + nameLength + 1);
        path[length + nameLength] = '\0';
        TryThreeTimes([](const char* p) { return RemoveDirectoryA(p) != FALSE; }, path);
      } else {
        TryThreeTimes([](const char* p) { return DeleteFileA(p) != FALSE; }, path);
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  path[length] = '\0';
}

}  // namespace

ResultCode RemoveWorkDir(ArchiveContext& context) {
  char* const workDir = context.workDir;
  const uint32_t length = context.workDirLength;
  // Made a real directory at the start; if a link stands there now, its target is not ours.
  char dir[kPathSize];
  if (IsReparsePoint(WorkDirAttributes(workDir, length, dir))) return kNoError;
  EmptyFolder(workDir, length);
  workDir[length] = '\0';
  TryThreeTimes([](const char* path) { return RemoveDirectoryA(path) != FALSE; }, workDir);
  return kNoError;
}
