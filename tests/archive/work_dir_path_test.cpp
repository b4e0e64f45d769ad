// Building the work directory's path, its free-space root, and the free-space comparison.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
  char root[4];
  FreeSpaceRoot("C:\\Users\\me\\Temp\\ZubrexInstall\\", root);
  EXPECT_STREQ("C:\\", root);
  FreeSpaceRoot("t:\\ZubrexInstall\\", root);
  EXPECT_STREQ("t:\\", root);
  FreeSpaceRoot("\\\\server\\share\\ZubrexInstall\\", root);
  EXPECT_STREQ("\\", root);
  FreeSpaceRoot("1:\\x", root);
  EXPECT_STREQ("\\", root);
  FreeSpaceRoot("", root);
  EXPECT_STREQ("\\", root);
}

TEST(WorkDirPath, ExactlyTheNeededBytesPassAndLargeDrivesDoNotOverflow) {
  EXPECT_TRUE(HasEnoughFreeSpace(1000, 8, 512, 4096000));
  EXPECT_FALSE(HasEnoughFreeSpace(1000, 8, 512, 4096001));
  // 2^32 free bytes would be 0 in 32-bit arithmetic.
  EXPECT_TRUE(HasEnoughFreeSpace(0x100000, 8, 512, 0xFFFFFFFFu));
  EXPECT_TRUE(HasEnoughFreeSpace(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
  EXPECT_FALSE(HasEnoughFreeSpace(0, 8, 512, 1));
  EXPECT_TRUE(HasEnoughFreeSpace(0, 8, 512, 0));
}

}  // namespace
