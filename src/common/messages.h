// Private window messages between the run and its dialogs. Always sent with SendMessageA,
// never posted, so each is handled before its send returns. Parameters not named are 0.
#pragma once
#include <cstdint>

constexpr uint32_t kMsgClose = 0x8401;      // splash, progress, status: close the window
constexpr uint32_t kMsgStepIt = 0x8402;     // progress, from itself: one step of the bar
constexpr uint32_t kMsgSetStatus = 0x8403;  // status: lParam = address of a NUL-terminated text
constexpr uint32_t kMsgSetRange = 0x8404;   // progress: lParam = lower (low 16), upper (high 16)
constexpr uint32_t kMsgSetStep = 0x8405;    // progress: wParam = step increment
constexpr uint32_t kMsgEnableOk = 0x8406;   // status: enable and focus the OK button
constexpr uint32_t kMsgAddBytes = 0x8407;   // progress, from itself: lParam = new bytes written
constexpr uint32_t kMsgSetTotal = 0x8408;   // progress: lParam = total bytes of all members
constexpr uint32_t kMsgSetText = 0x8409;    // progress: lParam = address of the caption line
