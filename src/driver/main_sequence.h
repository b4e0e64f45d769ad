// The run: every step in its fixed order, stopping at the first failure, which is shown once.
// Runs inside the hidden main window's WM_CREATE; needs appInstance and mainWindow set, and
// silentRun as the command line asks.
#pragma once
#include <cstdint>

#include "common/result_codes.h"
#include "driver/installer_arguments.h"

// Exit codes besides the result codes: Windows Installer's, which deployment tools know.
constexpr uint32_t kExitUserCancelled = 1602;   // ERROR_INSTALL_USEREXIT: the user answered No
constexpr uint32_t kExitAlreadyRunning = 1618;  // ERROR_INSTALL_ALREADY_RUNNING

// Returns the process's exit code: 0 after success, kExitUserCancelled, kExitAlreadyRunning,
// or the code of the first failure (already shown to the user, if they said Yes).
uint32_t MainSequence(const InstallerArguments& arguments);
