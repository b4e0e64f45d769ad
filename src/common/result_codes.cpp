#include "common/result_codes.h"

namespace {

struct CodeString {
  ResultCode code;
  uint32_t stringId;
};

constexpr CodeString kCodeStrings[] = {
#define ZB_CODE_STRING(name, value, stringId, message) {name, stringId},
    ZB_RESULT_CODES(ZB_CODE_STRING)
#undef ZB_CODE_STRING
};

}  // namespace

uint32_t ResultStringId(ResultCode code) {
  for (const CodeString& entry : kCodeStrings) {
    if (entry.code == code) return entry.stringId;
  }
  return kUnknownErrorStringId;
}

ResultCode MapExplodeResult(uint32_t result) {
  switch (result) {
    case 0:
      return kNoError;
    case 1:
      return kCMP_INVALID_DICTSIZE;
    case 2:
      return kCMP_INVALID_MODE;
    case 3:
      return kCMP_BAD_DATA;
    case 4:
      return kCMP_ABORT;
    case 5:
      return kCopyAborted;
    default:
      return kUnknownCMP_Error;
  }
}
