#include "driver/run_steps.h"

ResultCode OpenArchiveFile(ArchiveContext& context) {
  if (context.exePath == nullptr) return kBadParameter;
  context.archiveFile = std::fopen(context.exePath, "rb");
  return context.archiveFile == nullptr ? kCannotOpenFile : kNoError;
}

ResultCode TakeTotalBytes(ArchiveContext& context) {
  if (context.trailer.totalBytes == 0) return kEmptyArchive;
  context.totalBytes = context.trailer.totalBytes;
  return kNoError;
}
