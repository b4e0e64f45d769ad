// The robot against a program of known behaviour: what it reads, what it refuses to press, and
// the environment it hands over. The rest of it (message boxes, argument quoting, waits) is
// used by every end-to-end run, where a fault shows at once; these are the readings that a
// faulty robot could get wrong without any test failing.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "robot.h"

namespace {

constexpr DWORD kWaitMs = 20000;

std::string TargetPath() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.erase(path.find_last_of('\\') + 1) + "robot_target.exe";
}

class RobotTest : public ::testing::Test {
 protected:
  void TearDown() override { target_.Kill(); }
  robot::Process target_;
};

TEST_F(RobotTest, ReadsControlsAndRefusesDisabledButtons) {
  robot::StartOptions options;
  options.environment = {{"TMP", "C:\\robot-tmp"}, {"TEMP", "C:\\robot-tmp"}};
  target_ = robot::Start(TargetPath(), "", options);
  ASSERT_TRUE(target_.started());
  HWND window = robot::WaitWindow(target_.handle(), "RobotTarget", "Robot Target", kWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(robot::WindowCaption(window), "Robot Target");

  bool ok = false;
  EXPECT_EQ(robot::ControlText(window, 100, &ok), "hello");
  EXPECT_TRUE(ok);
  EXPECT_EQ(robot::ControlText(window, 104), "C:\\robot-tmp\\");
  robot::ControlText(window, 999, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(robot::ProgressPosition(window, 103), 42);
  EXPECT_FALSE(robot::ControlEnabled(window, 101));
  EXPECT_TRUE(robot::ControlEnabled(window, 102));

  EXPECT_EQ(robot::Press(window, 101), robot::PressResult::kDisabled);
  EXPECT_EQ(robot::Press(window, 999), robot::PressResult::kNoSuchControl);
  EXPECT_EQ(robot::Press(window, 102), robot::PressResult::kPressed);
  // The target ends with the id of the first click it got: the refused press never reached it.
  DWORD code = 0;
  ASSERT_TRUE(target_.WaitExit(kWaitMs, &code));
  EXPECT_EQ(code, 102u);
}

}  // namespace
