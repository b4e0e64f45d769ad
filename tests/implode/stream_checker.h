// The encoder's streams read by the readable reference decoder, symbol by symbol: what they
// hold, and the first rule the encoder must keep that a stream breaks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct StreamCheck {
  std::string problem;          // empty when the stream keeps every rule
  std::vector<uint8_t> output;  // bytes decoded
  uint64_t symbolBits = 0;      // bits from byte 2 up to and including the end symbol
  uint64_t literals = 0;
  uint64_t repetitions = 0;
  uint64_t fullLengthRepetitions = 0;  // repetitions of 518 bytes
  uint32_t farthestDistance = 0;       // of repetitions longer than 2 bytes
  uint32_t farthestDistance2 = 0;      // of 2-byte repetitions
};

// Rules: the stream decodes completely; every repetition reaches back only into the bytes
// already decoded; behind the end symbol only the zero bits that fill its byte, plus a single
// zero byte when the stream would otherwise be shorter than the 5 bytes decoders need.
StreamCheck CheckStream(const std::vector<uint8_t>& stream);
