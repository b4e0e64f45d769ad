// Decoder of LZMA2 streams, the data of LZMA members.
//
// A stream starts with one byte that gives the dictionary size and goes on as LZMA2 chunks.
// One stream may run through several members (a solid archive): each member's data are whole
// chunks, and a member that continues the stream sees the dictionary and the model as the
// previous member left them. DecodeLzmaMember decodes one member: it pulls its bytes through
// readFn (requests of kExplodeReadSize bytes, never again once readFn returned 0, which must
// happen at a chunk boundary) and pushes the decoded bytes through writeFn, in pieces of at
// most 2 MiB (one chunk's output). Every fault is a result code, never a read or write outside
// the decoder's buffers; the work per chunk is bounded by its declared sizes.
#pragma once
#include <cstdint>

#include "explode/explode.h"

// Bytes: the largest dictionary that the packer writes and the stub accepts. A stream that
// declares more is refused before anything is allocated.
constexpr uint32_t kLzmaDictLimit = 64u << 20;

// Results of DecodeLzmaMember.
constexpr uint32_t kLzmaOk = 0;
constexpr uint32_t kLzmaBadDictionary = 1;  // the dictionary byte is invalid or above the limit
constexpr uint32_t kLzmaBadData = 2;        // a chunk is malformed, cut short or inconsistent
constexpr uint32_t kLzmaNoStream = 3;       // a continuing member without a live stream
constexpr uint32_t kLzmaNoMemory = 4;       // the dictionary could not be allocated

// The decoder's one record: the model, the window and the input buffer (about 31 KB, on the
// heap) plus the dictionary, allocated separately and grown only when a stream needs more.
struct LzmaDecoder;

// Null when out of memory. dictLimit: bytes, at most kLzmaDictLimit (tests use less).
LzmaDecoder* NewLzmaDecoder(uint32_t dictLimit);
// Frees the record and its dictionary; null is fine.
void FreeLzmaDecoder(LzmaDecoder* decoder);

// Decodes one member's data. startsStream: the data begin a new stream (its dictionary byte
// first); otherwise they continue the stream that the previous call left live. A stream is
// live after a call that returned kLzmaOk and did not meet the end-of-stream chunk.
uint32_t DecodeLzmaMember(LzmaDecoder* decoder, bool startsStream, ExplodeReadFn readFn,
                          ExplodeWriteFn writeFn, void* userData);

// Ends the live stream, if any: a member of another method stands between.
void EndLzmaStream(LzmaDecoder* decoder);
