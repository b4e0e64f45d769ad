// Moving one member's data from the archive stream to its output stream: what the run keeps for
// it, the read and write callbacks shared by the stored copy and the decoder, and the stored
// copy itself.
#pragma once
#include <cstdint>
#include <cstdio>

#include "common/extracted_bytes.h"
#include "common/result_codes.h"
#include "explode/explode.h"

// Bytes per read of the stored copy: it reads into the whole work block that the decoder
// needs anyway.
constexpr uint32_t kStoredChunkSize = kExplodeWorkSize;

struct LzmaDecoder;

// What every member's transfer uses: one per run, owned by whoever reads the archive.
struct MemberTransfer {
  uint8_t* work = nullptr;      // kExplodeWorkSize bytes from malloc; freed when the record ends
  FILE* outFile = nullptr;      // current member's output, opened "wb"; its opener closes it
  LzmaDecoder* lzma = nullptr;  // made by the first LZMA member; carries a solid stream from
                                // member to member; freed when the record ends
  void (*pump)() = nullptr;     // keeps windows alive during transfers; null without windows

  MemberTransfer() = default;
  MemberTransfer(const MemberTransfer&) = delete;
  MemberTransfer& operator=(const MemberTransfer&) = delete;
  ~MemberTransfer();
};

// Shared by the callbacks while one member is transferred; the decoder passes it through as
// its opaque user data and never reads it.
struct TransferState {
  FILE* input;            // the archive stream, standing on the member's data
  FILE* output;           // the member's output file
  uint32_t storedSize;    // data bytes of the member; ReadMemberData never delivers more
  uint32_t bytesRead;     // data bytes delivered so far
  uint32_t bytesWritten;  // bytes written so far, complete writes or not
  uint32_t crc;           // running CRC-32 register, seeded 0xFFFFFFFF
  uint32_t chunkSize;     // bytes CopyStored asks for per read
  uint32_t streamError;   // nonzero once a short read found its stream's error set, or once
                          // a write failed
  void (*pump)();         // called after every read and write to keep the windows alive
                          // (dispatching at most one message, paced); null without windows
  ResultCode writeError;  // 0, or why the first failed write failed (WriteFailureCode); no
                          // byte is written after it
};

// What a failed write or close of a member's output means, from the errno it left: a full
// disk (ENOSPC, which the Windows C runtime also sets for ERROR_DISK_FULL) is
// kNotEnoughDiskSpace, anything else kCopyAborted.
ResultCode WriteFailureCode(int error);

// A TransferState at the start of a member: crc 0xFFFFFFFF, chunkSize kStoredChunkSize,
// counters and errors 0. The CRC-32 runs over the bytes written.
TransferState StartTransfer(FILE* input, FILE* output, uint32_t storedSize, void (*pump)());

// The read callback (ExplodeReadFn shape): at most the member's remaining stored bytes.
// Calls the state's pump, if any.
uint32_t ReadMemberData(uint8_t* buffer, uint32_t* requested, void* state);

// The write callback (ExplodeWriteFn shape). A short write sets writeError and streamError;
// after that the callback writes nothing more. Calls the state's pump, if any.
void WriteMemberData(uint8_t* buffer, uint32_t* count, void* state);

// The stored copy, in the calling shape of Explode: 0, or 5 after a stream error. buffer holds
// at least the state's chunkSize bytes.
uint32_t CopyStored(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* buffer, void* state);
