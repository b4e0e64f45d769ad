#include "archive/member_transfer.h"

#include <cerrno>
#include <cstdlib>

#include "explode/crc32.h"
#include "explode/lzma_decode.h"

uint32_t extractedBytes = 0;

MemberTransfer::~MemberTransfer() {
  std::free(work);
  FreeLzmaDecoder(lzma);
}

ResultCode WriteFailureCode(int error) {
  return error == ENOSPC ? kNotEnoughDiskSpace : kCopyAborted;
}

TransferState StartTransfer(FILE* input, FILE* output, uint32_t storedSize, void (*pump)()) {
  TransferState state;
  state.input = input;
  state.output = output;
  state.storedSize = storedSize;
  state.bytesRead = 0;
  state.bytesWritten = 0;
  state.crc = 0xFFFFFFFFu;
  state.chunkSize = kStoredChunkSize;
  state.streamError = 0;
  state.pump = pump;
  state.writeError = kNoError;
  return state;
}

uint32_t ReadMemberData(uint8_t* buffer, uint32_t* requested, void* userData) {
  TransferState& state = *static_cast<TransferState*>(userData);
  const uint32_t remaining = state.storedSize - state.bytesRead;
  const uint32_t wanted = *requested < remaining ? *requested : remaining;
  const uint32_t got = uint32_t(std::fread(buffer, 1, wanted, state.input));
  state.bytesRead += got;
  if (got != wanted) {
    // A shortfall at the end of the file is no stream error: the CRC test catches it.
    state.streamError = std::ferror(state.input) != 0 ? 1 : 0;
  }
  if (state.pump != nullptr) state.pump();
  return got;
}

void WriteMemberData(uint8_t* buffer, uint32_t* count, void* userData) {
  TransferState& state = *static_cast<TransferState*>(userData);
  // The decoder goes on writing after a failure; the file is lost anyway, so spare the disk.
  if (state.writeError != kNoError) return;
  errno = 0;
  const uint32_t got = uint32_t(std::fwrite(buffer, 1, *count, state.output));
  state.bytesWritten += got;
  if (got == *count) {
    const uint32_t room = UINT32_MAX - extractedBytes;
    extractedBytes = got < room ? extractedBytes + got : UINT32_MAX;
  } else {
    // Bytes that did not reach the file fail the member, error indicator or not.
    state.streamError = 1;
    state.writeError = WriteFailureCode(errno);
  }
  if (got > 0) state.crc = Crc32Update(buffer, &got, &state.crc);
  if (state.pump != nullptr) state.pump();
}

uint32_t CopyStored(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* buffer, void* userData) {
  TransferState& state = *static_cast<TransferState*>(userData);
  uint8_t* bytes = static_cast<uint8_t*>(buffer);
  if (state.streamError != 0) return 5;
  for (;;) {
    uint32_t chunk = state.chunkSize;
    uint32_t got = readFn(bytes, &chunk, userData);
    if (got == 0) break;
    writeFn(bytes, &got, userData);
    if (state.streamError != 0) break;
  }
  return state.streamError != 0 ? 5 : 0;
}
