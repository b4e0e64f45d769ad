// The arithmetic of the work directory, kept apart from the platform calls so that it can be
// tested anywhere: building its path from the temporary path, the root whose free space is
// asked for, and the free-space comparison.
#pragma once
#include <cstdint>

#include "archive/archive_format.h"

// Appended to the temporary path; ends in a single backslash.
constexpr char kWorkDirName[] = "ZubrexInstall\\";
constexpr uint32_t kWorkDirNameLength = sizeof kWorkDirName - 1;  // characters
constexpr uint32_t kSearchPatternLength = 3;  // "*.*", appended when the directory is emptied

// Builds workDir from the temporary path as reported: tempLength is what the platform returned
// (0 on failure, or the size needed when the buffer was too small). Returns kSystemError for
// a path that could not be read, kZbSeaNameTooLong when the temporary path, or the work
// directory with room for its search pattern, would not fit kPathSize bytes. workDir is
// left as an empty string on failure, never as an unset buffer.
ResultCode BuildWorkDirPath(const char* tempPath, uint32_t tempLength, char (&workDir)[kPathSize],
                            uint32_t* workDirLength);

// The root directory for the free-space query: "X:\" for a path that starts with a drive
// letter and colon, else "\" (the current drive). root holds at least 4 bytes.
void FreeSpaceRoot(const char* path, char (&root)[4]);

// Free bytes = clusters x sectors per cluster x bytes per sector; enough when at least
// neededBytes (equality passes). Exact for every value of the three factors.
bool HasEnoughFreeSpace(uint32_t freeClusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t neededBytes);
