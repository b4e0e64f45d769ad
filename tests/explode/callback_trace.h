// Runs a decoder over a stream through recording callbacks, so that two decoders can be
// compared call for call: every read (size asked for, count delivered), every write (size and
// bytes), and the result.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "explode/explode.h"

using ExplodeFn = uint32_t (*)(ExplodeReadFn, ExplodeWriteFn, void*, void*);

// How the read callback hands out the stream.
enum class Delivery {
  kFull,         // as much as asked for
  kFiveThenOne,  // 5 bytes, then 1 per call
  kRandom,       // 1 to 2048 bytes per call, at random
  kSmall,        // 1 to 16 bytes per call, at random
  kFourFirst,    // 4 bytes, then as much as asked for
};

struct TraceEvent {
  char kind;                   // 'r' read, 'w' write
  uint32_t asked;              // read: *size on entry; write: *size
  uint32_t count;              // read: the count returned; write: *size
  std::vector<uint8_t> bytes;  // write: the bytes handed over
  bool operator==(const TraceEvent& o) const {
    return kind == o.kind && asked == o.asked && count == o.count && bytes == o.bytes;
  }
};

struct Trace {
  uint32_t result = 0;
  std::vector<TraceEvent> events;
  std::vector<uint8_t> output;    // all written bytes in order
  uint32_t readsAfterEnd = 0;     // read calls after one had returned 0
  uint32_t callsAfterReturn = 0;  // never nonzero: no callback runs after Explode returns
};

// work must hold the decoder's state; seed drives kRandom and kSmall.
Trace RunTraced(ExplodeFn decoder, void* work, const std::vector<uint8_t>& stream,
                Delivery delivery, uint32_t seed);

// Printable summary of the first difference between two traces, "" when they are equal.
std::string FirstDifference(const Trace& a, const Trace& b);

// Sizes of the write calls, in order.
std::vector<uint32_t> WriteSizes(const Trace& t);
