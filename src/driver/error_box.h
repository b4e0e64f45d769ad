// The one error box of a run and the messages of result codes. Win32 only.
#pragma once
#include "common/result_codes.h"

// The message of a code from the string table, in one process-wide 256-byte buffer that the
// next call overwrites.
const char* ResultText(ResultCode code);

// Shows "Error: <message> (<code>)\n" under the caption ZB_ERROR_CAPTION (resource.h) with no
// owner window, and returns code once the user has dismissed it.
ResultCode ShowErrorBox(ResultCode code);
