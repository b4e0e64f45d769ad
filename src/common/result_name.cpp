// Apart from result_codes.cpp so that programs that never name a code (the stub) do not carry
// the names.
#include "common/result_codes.h"

const char* ResultName(ResultCode code) {
  switch (code) {
#define ZB_NAME_CASE(name, ...) \
  case name:                    \
    return #name;
    ZB_RESULT_CODES(ZB_NAME_CASE)
    ZB_RESULT_CODES_WITHOUT_MESSAGE(ZB_NAME_CASE)
#undef ZB_NAME_CASE
    default:
      return "unknown code";
  }
}
