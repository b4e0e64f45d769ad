#include "driver/result_codes.h"

namespace {

struct CodeString {
  ResultCode code;
  uint32_t stringId;
};

constexpr CodeString kCodeStrings[] = {
    {kNoError, 10000},
    {kBadParameter, 10001},
    {kOutOfMemory, 10003},
    {kBadPath, 10015},
    {kSystemError, 10004},
    {kIOError, 10002},
    {kZbNoDoubleArchiving, 10005},
    {kZbArchiveNotInited, 10006},
    {kCannotOpenFile, 10007},
    {kUnsupportedArchive, 10008},
    {kZbSeaNameTooLong, 10009},
    {kBytesReadNotSameAsFileSize, 10010},
    {kBadSeaVersion, 10011},
    {kFileCorrupted, 10012},
    {kBadArchiveVersion, 10024},
    {kArchiveCorrupted, 10023},
    {kCannotCreateFile, 10013},
    {kZbSeaBadArchiveCount, 10014},
    {kNotEnoughDiskSpace, 10016},
    {kCMP_INVALID_DICTSIZE, 10017},
    {kCMP_INVALID_MODE, 10018},
    {kCMP_BAD_DATA, 10019},
    {kCMP_ABORT, 10020},
    {kUnknownCMP_Error, 10021},
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
    case 0: return kNoError;
    case 1: return kCMP_INVALID_DICTSIZE;
    case 2: return kCMP_INVALID_MODE;
    case 3: return kCMP_BAD_DATA;
    case 4: return kCMP_ABORT;
    case 5: return kCopyAborted;
    default: return kUnknownCMP_Error;
  }
}
