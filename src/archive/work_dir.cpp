#include "archive/work_dir.h"

#include <windows.h>

#include <sddl.h>

#include <cstdlib>
#include <cstring>

#include "archive/member_output.h"
#include "archive/work_dir_path.h"
#include "common/run_log.h"
#include "explode/explode.h"

namespace {

constexpr int kDeleteAttempts = 3;
constexpr uint32_t kDeleteRetryWaitMs = 1250;
constexpr unsigned kMaxAsideNumber = 999;  // ZubrexInstall.1 to .999

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The work directory's path without its closing separator (its entry, not what it holds).
void WorkDirEntry(const WorkDirectory& workDir, char (&dir)[kPathSize]) {
  std::memcpy(dir, workDir.path, workDir.length);
  dir[workDir.length > 0 ? workDir.length - 1 : 0] = '\0';
}

// Moves an existing work directory at dir to the first free "dir.N", whole. True when nothing
// stands at dir or it was moved. Only a real folder is moved: under Wine, renaming or removing a
// link (which Windows would do to the link alone) moves or removes its target instead, and a
// link to a file looks like a plain file there. So a link or a file in the directory's place
// is left alone, and the run cannot go on.
bool MoveAside(const char* dir) {
  const DWORD attributes = GetFileAttributesA(dir);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // CreateDirectoryA decides
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    LogLine("A file or a link stands in the work directory's place: %s", dir);
    return false;
  }
  char aside[kPathSize];  // fits: the work directory leaves room for a search pattern
  for (unsigned number = 1; number <= kMaxAsideNumber; ++number) {
    wsprintfA(aside, "%s.%u", dir, number);
    if (MoveFileA(dir, aside)) {
      LogLine("Moved the earlier work directory aside to %s", aside);
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool IsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const bool elevated =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
      elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

// A security descriptor (LocalFree it) that gives full access to SYSTEM, Administrators and
// the user running the process, inherited by everything below, and nothing to anyone else.
PSECURITY_DESCRIPTOR PrivateDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  union {
    TOKEN_USER user;
    uint8_t bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner;
  DWORD size = 0;
  char* sid = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetTokenInformation(token, TokenUser, &owner, sizeof owner, &size) &&
      ConvertSidToStringSidA(owner.user.User.Sid, &sid)) {
    char sddl[kPathSize];  // a SID string has at most 184 characters
    wsprintfA(sddl, "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%s)", sid);
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    LocalFree(sid);
  }
  CloseHandle(token);
  return descriptor;
}

// Makes dir new, private when the run is elevated, and records it in made.
bool MakeNewWorkDir(const char* dir, MadeEntries& made) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (IsElevated()) {
    attributes.lpSecurityDescriptor = PrivateDescriptor();
    if (attributes.lpSecurityDescriptor == nullptr) return false;
  }
  const bool madeNew = CreateDirectoryA(dir, &attributes) != FALSE;
  LocalFree(attributes.lpSecurityDescriptor);
  // Opened as itself: what stands there now must be the folder just made.
  HANDLE entry =
      madeNew ? CreateFileA(dir, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
              : INVALID_HANDLE_VALUE;
  if (entry == INVALID_HANDLE_VALUE) return false;
  FileIdentity id;
  const bool recorded = IdentityOfHandle(entry, &id) && RecordMadeEntry(made, id);
  CloseHandle(entry);
  return recorded;
}

}  // namespace

ResultCode LocateWorkDir(WorkDirectory& dir) {
  char tempPath[kPathSize];
  const DWORD tempLength = GetTempPathA(kPathSize, tempPath);
  return BuildWorkDirPath(tempPath, tempLength, dir.path, &dir.length);
}

ResultCode PrepareWorkArea(MemberTransfer& transfer, WorkDirectory& dir) {
  transfer.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
  if (transfer.work == nullptr) return kOutOfMemory;
  return MakeWorkDir(dir);
}

ResultCode MakeWorkDir(WorkDirectory& workDir) {
  const ResultCode result = LocateWorkDir(workDir);
  if (result != kNoError) return result;
  char dir[kPathSize];
  WorkDirEntry(workDir, dir);
  return MoveAside(dir) && MakeNewWorkDir(dir, workDir.made) ? kNoError : kSystemError;
}

ResultCode CheckFreeSpace(const char* path, uint32_t neededBytes) {
  char root[4];
  FreeSpaceRoot(path, root);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters)) {
    return kSystemError;
  }
  return HasEnoughFreeSpace(freeClusters, sectorsPerCluster, bytesPerSector, neededBytes)
             ? kNoError
             : kNotEnoughDiskSpace;
}

namespace {

enum class Deletion { kDeleted, kNotOurs, kBusy };

// Deletes the entry at path when made holds it. The identity is what decides, not the
// attributes: under Wine a link to a file looks like a plain file, carries the identity of its
// target, and deleting it deletes the target; its identity is never one of ours, so it stays.
// kBusy when the entry cannot be opened or deleted now: another program may still hold it.
Deletion DeleteIfMade(const char* path, const MadeEntries& made) {
  HANDLE entry = CreateFileA(
      path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return Deletion::kBusy;
  FileIdentity id;
  Deletion outcome = Deletion::kNotOurs;
  if (IdentityOfHandle(entry, &id) && WasMadeHere(made, id)) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    outcome = Deletion::kDeleted;
    if (!SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof disposition)) {
      // A folder that still holds what is not ours stays; waiting would not empty it.
      outcome = GetLastError() == ERROR_DIR_NOT_EMPTY ? Deletion::kNotOurs : Deletion::kBusy;
    }
  }
  CloseHandle(entry);  // the deletion takes place here
  return outcome;
}

// A file that an installed program still holds open may be released a moment later.
void DeleteWithRetries(const char* path, const MadeEntries& made, const ArchiveEvents& events) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteIfMade(path, made) != Deletion::kBusy) return;
    if (events.wait != nullptr) events.wait(events.context, kDeleteRetryWaitMs);
  }
}

// Deletes what made holds inside the folder whose path (ending in its separator, length
// characters) stands in path: each real subfolder emptied the same way first, then the entry.
// Reparse points are never entered (this run made none). path is restored to length characters
// before returning. Recursion depth is bounded by the 260-byte path: every level adds at least
// two characters.
void EmptyFolder(char* path, size_t length, const MadeEntries& made, const ArchiveEvents& events) {
  if (length + kSearchPatternLength >= kPathSize) return;
  std::memcpy(path + length, "*.*", kSearchPatternLength + 1);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(path, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const DWORD attributes = entry.dwFileAttributes;
    const size_t nameLength = std::strlen(entry.cFileName);
    if (IsDotEntry(entry.cFileName) || length + nameLength + 1 >= kPathSize) continue;
    std::memcpy(path + length, entry.cFileName, nameLength + 1);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      path[length + nameLength] = '\\';
      path[length + nameLength + 1] = '\0';
      EmptyFolder(path, length + nameLength + 1, made, events);
      path[length + nameLength] = '\0';
    }
    DeleteWithRetries(path, made, events);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  path[length] = '\0';
}

}  // namespace

ResultCode RemoveWorkDir(WorkDirectory& workDir, const ArchiveEvents& events) {
  EmptyFolder(workDir.path, workDir.length, workDir.made, events);
  char dir[kPathSize];
  WorkDirEntry(workDir, dir);
  DeleteWithRetries(dir, workDir.made, events);
  workDir.path[workDir.length] = '\0';
  return kNoError;
}
