// The run: every step in its fixed order, stopping at the first failure, which is shown once.
// Runs inside the hidden main window's WM_CREATE; needs appInstance and mainWindow set.
#pragma once
#include "common/result_codes.h"

// Returns 0 or the code of the first failure (already shown to the user, if they said Yes).
ResultCode MainSequence();
