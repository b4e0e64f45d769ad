// Decoder of the implode format.
//
// Explode pulls compressed bytes through readFn in requests of kExplodeReadSize bytes and
// pushes decoded bytes through writeFn in blocks of kExplodeWriteSize bytes, followed by exactly
// one final write of the rest (0 to 4095 bytes; also when empty, also after a failure, but not
// when the header is refused). readFn is never called again once it has returned 0. All state
// lives in the caller's work block of kExplodeWorkSize bytes; nothing is allocated. Each call
// starts its stream with a history of zeros, so a stream that refers back before its first
// byte reads zeros, never bytes of an earlier stream.
#pragma once
#include <cstdint>

// Read callback: place up to *size bytes (kExplodeReadSize on entry) at buffer and return how
// many were placed; 0 means the input is exhausted. Changes to *size are ignored, and a count
// above kExplodeReadSize is taken as kExplodeReadSize.
using ExplodeReadFn = uint32_t (*)(uint8_t* buffer, uint32_t* size, void* userData);
// Write callback: take *size bytes from buffer; they are valid only during the call.
using ExplodeWriteFn = void (*)(uint8_t* buffer, uint32_t* size, void* userData);

constexpr uint32_t kExplodeReadSize = 2048;   // bytes per read request
constexpr uint32_t kExplodeWriteSize = 4096;  // bytes per full output block

// Results of Explode.
constexpr uint32_t CMP_NO_ERROR = 0;          // the end symbol was reached
constexpr uint32_t CMP_INVALID_DICTSIZE = 1;  // stream byte 1 is not 4, 5 or 6
constexpr uint32_t CMP_INVALID_MODE = 2;      // stream byte 0 is neither 0 nor 1
constexpr uint32_t CMP_BAD_DATA = 3;          // the first read delivered 4 bytes or fewer
constexpr uint32_t CMP_ABORT = 4;             // the input ran out inside a symbol

// Size in bytes of the work block that every caller allocates once and hands to each call.
// The block also serves as the stored-copy buffer of member extraction (12596-byte chunks).
constexpr uint32_t kExplodeWorkSize = 12596;

// work: kExplodeWorkSize bytes, any alignment of malloc; needs no initialisation.
uint32_t Explode(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work, void* userData);
