// Building the work directory's path, its free-space root, and the free-space comparison.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "archive/work_dir_path.h"

namespace {

TEST(WorkDirPath, AppendsTheDirectoryNameToTheTemporaryPath) {
  char workDir[kPathSize];
  uint32_t length = 99;
  ASSERT_EQ(kNoError, BuildWorkDirPath("C:\\TEMP\\", 8, workDir, &length));
  EXPECT_STREQ("C:\\TEMP\\ZubrexInstall\\", workDir);
  EXPECT_EQ(22u, length);
}

TEST(WorkDirPath, PathsThatLeaveNoRoomForTheDirectoryAndItsSearchPatternAreRefused) {
  char workDir[kPathSize];
  uint32_t length = 0;
  // The longest temporary path that still fits with "ZubrexInstall\" and "*.*".
  const uint32_t longest = kPathSize - 1 - kWorkDirNameLength - kSearchPatternLength;
  const std::string path(300, 'x');
  ASSERT_EQ(kNoError, BuildWorkDirPath(path.c_str(), longest, workDir, &length));
  EXPECT_EQ(longest + kWorkDirNameLength, length);
  EXPECT_EQ(kZbSeaNameTooLong, BuildWorkDirPath(path.c_str(), longest + 1, workDir, &length));
  EXPECT_EQ(kZbSeaNameTooLong, BuildWorkDirPath(path.c_str(), 259, workDir, &length));
  // 260 and more: the platform reports the size it needs, the buffer holds no path.
  EXPECT_EQ(kZbSeaNameTooLong, BuildWorkDirPath(path.c_str(), 260, workDir, &length));
  EXPECT_STREQ("", workDir);
  EXPECT_EQ(0u, length);
}

TEST(WorkDirPath, ATemporaryPathThatCouldNotBeReadIsASystemError) {
  char workDir[kPathSize];
  std::memset(workDir, 'u', sizeof workDir);  // what an unset buffer might hold
  uint32_t length = 5;
  EXPECT_EQ(kSystemError, BuildWorkDirPath(workDir, 0, workDir, &length));
  EXPECT_STREQ("", workDir);
  EXPECT_EQ(0u, length);
}

TEST(WorkDirPath, FreeSpaceIsAskedOfTheDriveRootOrOfTheCurrentDrive) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Users\\me\\Temp\\ZubrexInstall\\", "C:\\"},
      {"t:\\ZubrexInstall\\", "t:\\"},
      {"\\\\server\\share\\ZubrexInstall\\", "\\"},
      {"1:\\x", "\\"},
      {"", "\\"}};
  for (const auto& c : cases) {
    char root[4];
    FreeSpaceRoot(c.first, root);
    EXPECT_STREQ(c.second, root) << c.first;
  }
}

TEST(WorkDirPath, FreeSpaceIsExactForEveryFactor) {
  struct Case {
    uint32_t clusters, sectorsPerCluster, bytesPerSector, needed;
    bool enough;
  };
  const Case cases[] = {
      {1000, 8, 512, 4096000, true},  // exactly the bytes needed
      {1000, 8, 512, 4096001, false},
      {0x100000, 8, 512, 0xFFFFFFFFu, true},   // 2^32 free bytes: 0 in 32 bits
      {0x80000000u, 0x80000000u, 4, 1, true},  // 2^64 free bytes: 0 in 64 bits
      {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
      {0, 8, 512, 1, false},
      {0, 8, 512, 0, true},
      {5, 8, 0, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.enough,
              HasEnoughFreeSpace(c.clusters, c.sectorsPerCluster, c.bytesPerSector, c.needed))
        << c.clusters << " x " << c.sectorsPerCluster << " x " << c.bytesPerSector << " for "
        << c.needed;
  }
}

}  // namespace
