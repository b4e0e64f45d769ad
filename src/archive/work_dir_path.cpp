#include "archive/work_dir_path.h"

#include <cstring>

ResultCode BuildWorkDirPath(const char* tempPath, uint32_t tempLength, char (&workDir)[kPathSize],
                            uint32_t* workDirLength) {
  workDir[0] = '\0';
  *workDirLength = 0;
  if (tempLength == 0) return kSystemError;
  if (tempLength > kPathSize - 1) return kZbSeaNameTooLong;
  if (tempLength + kWorkDirNameLength + kSearchPatternLength > kPathSize - 1) {
    return kZbSeaNameTooLong;
  }
  std::memcpy(workDir, tempPath, tempLength);
  std::memcpy(workDir + tempLength, kWorkDirName, kWorkDirNameLength + 1);
  *workDirLength = tempLength + kWorkDirNameLength;
  return kNoError;
}

void FreeSpaceRoot(const char* path, char (&root)[4]) {
  const char first = path[0];
  const bool isLetter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  if (isLetter && path[1] == ':') {
    root[0] = first;
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
  } else {
    root[0] = '\\';
    root[1] = '\0';
  }
}

bool HasEnoughFreeSpace(uint32_t freeClusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t neededBytes) {
  // The three factors can reach 2^96: compare in whole sectors, which fit in 64 bits. The
  // division stays 32-bit: a 64-bit one would pull the C compiler's division helper (and its
  // unwind tables) into the 32-bit stub.
  const uint64_t freeSectors = uint64_t(freeClusters) * sectorsPerCluster;
  if (bytesPerSector == 0) return neededBytes == 0;
  const uint32_t neededSectors =
      neededBytes / bytesPerSector + (neededBytes % bytesPerSector != 0 ? 1 : 0);
  return freeSectors >= neededSectors;
}
