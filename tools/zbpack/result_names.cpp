#include "zbpack/result_names.h"

#include <cstdio>

namespace {

struct CodeName {
  ResultCode code;
  const char* name;
};

constexpr CodeName kCodeNames[] = {
    {kNoError, "kNoError"},
    {kBadParameter, "kBadParameter"},
    {kOutOfMemory, "kOutOfMemory"},
    {kBadPath, "kBadPath"},
    {kSystemError, "kSystemError"},
    {kIOError, "kIOError"},
    {kZbNoDoubleArchiving, "kZbNoDoubleArchiving"},
    {kZbArchiveNotInited, "kZbArchiveNotInited"},
    {kCannotOpenFile, "kCannotOpenFile"},
    {kUnsupportedArchive, "kUnsupportedArchive"},
    {kZbSeaNameTooLong, "kZbSeaNameTooLong"},
    {kBytesReadNotSameAsFileSize, "kBytesReadNotSameAsFileSize"},
    {kBadSeaVersion, "kBadSeaVersion"},
    {kFileCorrupted, "kFileCorrupted"},
    {kBadArchiveVersion, "kBadArchiveVersion"},
    {kArchiveCorrupted, "kArchiveCorrupted"},
    {kCannotCreateFile, "kCannotCreateFile"},
    {kZbSeaBadArchiveCount, "kZbSeaBadArchiveCount"},
    {kNotEnoughDiskSpace, "kNotEnoughDiskSpace"},
    {kCMP_INVALID_DICTSIZE, "kCMP_INVALID_DICTSIZE"},
    {kCMP_INVALID_MODE, "kCMP_INVALID_MODE"},
    {kCMP_BAD_DATA, "kCMP_BAD_DATA"},
    {kCMP_ABORT, "kCMP_ABORT"},
    {kUnknownCMP_Error, "kUnknownCMP_Error"},
    {kCopyAborted, "kCopyAborted"},
    {kEmptyArchive, "kEmptyArchive"},
};

}  // namespace

const char* ResultName(ResultCode code) {
  for (const CodeName& entry : kCodeNames) {
    if (entry.code == code) return entry.name;
  }
  return "unknown code";
}

std::string DescribeResult(ResultCode code) {
  char value[16];
  std::snprintf(value, sizeof value, "0x%lx", static_cast<unsigned long>(code));
  return std::string("(") + ResultName(code) + ", " + value + ")";
}
