// Fuzzing of archive reading and member extraction, the way the stub walks an installer: the
// closing record, the archive tag, then each member's header, name and data, decoded or copied
// into a null output with the CRC test. Sanitizers catch what no result code shows.
//
// The decoder runs in a heap block of exactly the size of its state, so that a read or write
// past its window is an out-of-bounds access here, not a quiet use of the slack the stub's
// larger work block has. Stored members get a block of exactly one copy chunk. Input: a whole
// installer file (stub bytes, archive, closing record).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "archive/archive_reader.h"
#include "archive/extract_member.h"
#include "archive/member_name.h"
#include "archive/member_transfer.h"
#include "explode/explode_state.h"

namespace {

// Members walked per input at most: a damaged count must not make one input run for long.
constexpr uint32_t kMembersPerInput = 64;

struct Blocks {
  uint8_t* decoder = static_cast<uint8_t*>(std::malloc(sizeof(ExplodeState)));
  uint8_t* stored = static_cast<uint8_t*>(std::malloc(kStoredChunkSize));
  FILE* nowhere = std::fopen("/dev/null", "wb");
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Blocks blocks;
  if (size == 0 || blocks.nowhere == nullptr) return 0;
  FILE* archive = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (archive == nullptr) return 0;

  ArchiveReader context;
  MemberTransfer transfer;
  context.archiveFile = archive;
  transfer.outFile = blocks.nowhere;
  ResultCode result = ReadSeaTrailer(context);
  if (result == kNoError) result = ReadArchiveTag(context);
  for (context.currentIndex = 1; result == kNoError && context.currentIndex <= kMembersPerInput &&
                                 context.currentIndex <= context.trailer.fileCount;
       ++context.currentIndex) {
    result = ReadFileHeader(context.header, context.memberName, archive);
    if (result != kNoError) break;
    if (!IsSafeMemberName(context.memberName)) break;
    // The transfer does not own these blocks: it is cleared before it ends.
    transfer.work = context.header.compressed != 0 ? blocks.decoder : blocks.stored;
    result = TransferMember(context, transfer);
    transfer.work = nullptr;
  }
  std::fclose(archive);
  return 0;
}
