// Moving one member's data from the archive stream to its output stream: the read and write
// callbacks shared by the stored copy and the decoder, and the stored copy itself.
#pragma once
#include <cstdint>
#include <cstdio>

#include "driver/result_codes.h"
#include "explode/explode.h"

// Bytes per read of the stored copy: the size of the work block the decoder needs anyway.
constexpr uint32_t kStoredChunkSize = 12596;
static_assert(kStoredChunkSize <= kExplodeWorkSize, "the stored copy reads into the work block");

// Shared by the callbacks while one member is transferred; the decoder passes it through as
// its opaque user data and never reads it.
struct TransferState {
  FILE* input;           // the archive stream, standing on the member's data
  FILE* output;          // the member's output file
  uint32_t storedSize;   // data bytes of the member; ReadMemberData never delivers more
  uint32_t bytesRead;    // data bytes delivered so far
  uint32_t bytesWritten; // bytes written so far, complete writes or not
  uint32_t crc;          // running CRC-32 register, seeded 0xFFFFFFFF
  uint32_t chunkSize;    // bytes CopyStored asks for per read
  uint32_t streamError;  // nonzero once a short read found its stream's error set, or once
                         // a write failed
  uint32_t crcMode;      // 0: CRC over bytes read; 1: over bytes written; else none
  ResultCode writeError; // 0, or why the first failed write failed (WriteFailureCode); no
                         // byte is written after it
};

// What a failed write or close of a member's output means, from the errno it left: a full
// disk (ENOSPC, which the Windows C runtime also sets for ERROR_DISK_FULL) is
// kNotEnoughDiskSpace, anything else kCopyAborted.
ResultCode WriteFailureCode(int error);

// Process-wide count of bytes written whole to extracted files. The progress window resets it
// when it opens and samples it on its timer. Unsigned, and it stops at 0xFFFFFFFF instead of
// wrapping, so the count the window sees never goes backwards.
extern uint32_t extractedBytes;

// A TransferState at the start of a member: crc 0xFFFFFFFF, chunkSize kStoredChunkSize,
// crcMode 1, counters and errors 0.
TransferState StartTransfer(FILE* input, FILE* output, uint32_t storedSize);

// The read callback (ExplodeReadFn shape): at most the member's remaining stored bytes.
// Dispatches at most one pending window message per call (paced: see PumpMessagesPaced).
uint32_t ReadMemberData(uint8_t* buffer, uint32_t* requested, void* state);

// The write callback (ExplodeWriteFn shape). A short write sets writeError and streamError;
// after that the callback writes nothing more. Dispatches at most one pending window message
// (paced).
void WriteMemberData(uint8_t* buffer, uint32_t* count, void* state);

// The stored copy, in the calling shape of Explode: 0, or 5 after a stream error. buffer holds
// at least the state's chunkSize bytes.
uint32_t CopyStored(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* buffer, void* state);
