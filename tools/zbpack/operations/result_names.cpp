#include "zbpack/operations/result_names.h"

#include <cstdio>

std::string DescribeResult(ResultCode code) {
  char value[16];
  std::snprintf(value, sizeof value, "0x%lx", static_cast<unsigned long>(code));
  return std::string("(") + ResultName(code) + ", " + value + ")";
}
