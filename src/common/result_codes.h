// Result codes of every step of a run (the table is result_table.h), their messages'
// string-table ids and names, and the mapping of decoder results. Portable: the Win32 side
// (ResultText, ShowErrorBox) is in driver/error_box.h.
#pragma once
#include <cstdint>

#include "common/result_table.h"

using ResultCode = uint32_t;  // 0 success; high 16 bits facility (1 general, 3 archive)

#define ZB_DECLARE_CODE(name, value, ...) constexpr ResultCode name = value;
ZB_RESULT_CODES(ZB_DECLARE_CODE)
ZB_RESULT_CODES_WITHOUT_MESSAGE(ZB_DECLARE_CODE)
#undef ZB_DECLARE_CODE

// String-table id of a code's message. Codes without a message of their own, and every code
// outside the table, take the fallback "Unknown Error".
constexpr uint32_t kUnknownErrorStringId = ZB_UNKNOWN_ERROR_STRING_ID;
uint32_t ResultStringId(ResultCode code);

// "kArchiveCorrupted" for 0x3000A; "unknown code" for a value outside the table.
const char* ResultName(ResultCode code);

// Result of Explode (0..4) or CopyStored (5) as a ResultCode. 5 maps to kCopyAborted and
// everything above 5 to kUnknownCMP_Error: the two are deliberately not in numeric order.
ResultCode MapExplodeResult(uint32_t result);
