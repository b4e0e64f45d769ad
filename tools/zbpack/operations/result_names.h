// Result codes as zbpack's messages name them. Portable: the stub shows messages from its
// string table instead.
#pragma once
#include <string>

#include "common/result_codes.h"

// "(kArchiveCorrupted, 0x3000a)": the name and the value in lower-case hex.
std::string DescribeResult(ResultCode code);
