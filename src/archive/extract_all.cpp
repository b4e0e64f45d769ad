#include "archive/extract_all.h"

#include "archive/extract_member.h"
#include "common/run_log.h"

ResultCode ExtractAll(ArchiveReader& reader, MemberTransfer& transfer, WorkDirectory& dir,
                      const ArchiveEvents& events) {
  ResultCode result = ReadArchiveTag(reader);
  if (events.extractionStarts != nullptr) {
    events.extractionStarts(events.context, reader.trailer.productName, reader.trailer.fileCount,
                            reader.totalBytes);
  }
  for (reader.currentIndex = 1;
       reader.currentIndex <= reader.trailer.fileCount && result == kNoError;
       ++reader.currentIndex) {
    result = ExtractMember(reader, transfer, dir);
    if (result == kNoError) {
      LogLine("Extracted %s (%lu bytes, %s)", reader.memberName,
              static_cast<unsigned long>(reader.header.originalSize),
              reader.header.compressed != 0 ? "imploded" : "stored");
    }
  }
  if (events.extractionEnds != nullptr) events.extractionEnds(events.context);
  return result;
}
