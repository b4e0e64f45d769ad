// The names of the result codes, for zbpack's messages. Portable: the stub shows messages from
// its string table instead.
#pragma once
#include <string>

#include "driver/result_codes.h"

// "kArchiveCorrupted" for 0x3000A; "unknown code" for a value outside the set.
const char* ResultName(ResultCode code);

// "(kArchiveCorrupted, 0x3000a)": the name and the value in lower-case hex.
std::string DescribeResult(ResultCode code);
