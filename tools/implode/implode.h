// Streaming encoder of the implode format.
//
// Call order: ImplodeInit, any number of ImplodeFeed, one ImplodeFinish. Output leaves through
// the write callback in blocks of up to kImplodeOutBlock bytes: the 2-byte header (literal mode,
// dictBits), the symbols as an LSB-first bit stream, the end symbol, zero bits to the byte
// boundary. An empty input gives a 4-byte stream, one zero byte is appended so that decoders
// which refuse streams shorter than 5 bytes still accept it (bytes behind the end symbol are
// ignored by every decoder).
//
// Memory: the ImplodeEncoder record holds everything (1.45 MB); put it on the heap. With
// one thread it allocates nothing. With more (ImplodeSettings::threads, levels 8 and 9), the
// first region handed off starts the worker threads, each with 2.1 MB of its own; they
// stop at ImplodeFinish, at the next ImplodeInit or when the record is destroyed. The write
// callback is only ever called from the caller's thread. The output depends only on the input
// bytes and the settings other than threads, not on how the input is split into ImplodeFeed
// calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "implode/implode_bit_writer.h"
#include "implode/implode_coding.h"
#include "implode/implode_levels.h"
#include "implode/implode_match_finder.h"

struct ImplodeSettings {
  uint8_t mode = 0;                   // 0 binary literals, 1 ASCII literals
  uint8_t dictBits = 6;               // 4, 5 or 6: dictionary of 1024, 2048 or 4096 bytes
  uint8_t level = kImplodeBestLevel;  // 1..9, see implode_levels.h
  // Threads that parse regions at the levels that parse each region alone (8 and 9): 1 parses
  // in the caller's thread and starts none, 0 means one per core; at most kImplodeMaxThreads.
  uint32_t threads = 1;
};

constexpr uint32_t kImplodeMaxThreads = 64;

// The dictionary sizes of the format, in bytes: 1024, 2048 or 4096 (64 << dictBits). Returns
// the dictBits of one, 0 for any other size.
uint8_t ImplodeDictBits(uint64_t dictionaryBytes);

struct ImplodeStats {
  uint64_t inputBytes = 0;
  uint64_t outputBytes = 0;  // stream bytes produced, header and padding included
  uint64_t symbolBits = 0;   // bits of all symbols and the end symbol as the parsers priced them
  uint64_t literals = 0;
  uint64_t repetitions = 0;
};

constexpr uint32_t kImplodeWindow = 4096;   // history kept: the largest dictionary
constexpr uint32_t kImplodeRegion = 65536;  // buffer bytes up to which one step parses
// Bytes held beyond a region: its last positions hash real bytes, and the best levels'
// trees compare the full 518 bytes there, which keeps them exact across regions.
constexpr uint32_t kImplodeLookahead = 518 + 8;
constexpr uint32_t kImplodeBufferSize = kImplodeRegion + kImplodeLookahead;
constexpr uint32_t kImplodeMaxMatches = 520;  // improving matches of one position (3..518)

// The worker threads of one encoder (implode_workers.cpp); the deleter stops and joins them.
struct ImplodeWorkers;
struct ImplodeWorkersDeleter {
  void operator()(ImplodeWorkers* workers) const;
};

struct ImplodeEncoder {
  ImplodeSettings settings;
  uint32_t threads = 1;  // settings.threads resolved; 1 once starting workers has failed
  std::unique_ptr<ImplodeWorkers, ImplodeWorkersDeleter> workers;  // none until needed
  ImplodeLevel level;
  ImplodeCoding coding;
  ImplodeBitWriter writer;
  ImplodeMatchFinder finder;
  ImplodeStats stats;
  uint32_t parseStart = 0;                 // buffer index of the first byte not yet coded
  uint32_t fill = 0;                       // bytes held in buffer
  uint32_t bufferPos = 0;                  // stream offset (mod 2^32) of buffer[0]
  bool started = false;                    // ImplodeInit succeeded
  bool finished = false;                   // ImplodeFinish ran
  uint8_t buffer[kImplodeBufferSize + 8];  // 8 zero bytes behind for word-wise comparison
  // Scratch of the optimal parse, indexed by offset from the region's start. The last region
  // of a stream may take the whole buffer, lookahead included.
  // node: the cheapest parse reaching this offset, its bits << 32 | its last symbol (length
  // << 16 | distance), so that one unsigned minimum keeps the cheaper arrival.
  uint64_t node[kImplodeBufferSize + 1];
  uint32_t path[kImplodeBufferSize];  // the chosen symbols, last one first
  ImplodeMatch matches[kImplodeMaxMatches];
};

// Returns false (and leaves the encoder unusable) when a setting is out of range.
bool ImplodeInit(ImplodeEncoder& e, const ImplodeSettings& settings, ImplodeWriteFn writeFn,
                 void* userData);
// Takes `size` bytes. Returns false once the write callback has refused output.
bool ImplodeFeed(ImplodeEncoder& e, const uint8_t* data, size_t size);
// Codes the rest and the end symbol and delivers the last output. Returns false when the write
// callback refused output at any time.
bool ImplodeFinish(ImplodeEncoder& e);
