// An independent reader of implode streams for the encoder's tests: it walks the stream
// symbol by symbol with its own bit reader and its own decoding of the prefix codes (rebuilt
// from the code lengths by the canonical construction), rebuilds the output, and reports the
// first rule the encoder must keep that the stream breaks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct StreamCheck {
  std::string problem;          // empty when the stream keeps every rule
  std::vector<uint8_t> output;  // bytes decoded up to the problem or the end symbol
  uint8_t mode = 0;
  uint8_t dictBits = 0;
  uint64_t symbolBits = 0;      // bits from byte 2 up to and including the end symbol
  uint64_t literals = 0;
  uint64_t repetitions = 0;
  uint64_t fullLengthRepetitions = 0;  // repetitions of 518 bytes
  uint32_t farthestDistance = 0;       // of repetitions longer than 2 bytes
  uint32_t farthestDistance2 = 0;      // of 2-byte repetitions
};

// Rules: a known header; every symbol complete; every distance within the bytes already
// decoded and within the limit of its length; the end symbol present; behind it only the
// zero bits that fill its byte, plus a single zero byte when the stream would otherwise be
// shorter than 5 bytes.
StreamCheck CheckStream(const std::vector<uint8_t>& stream);

// The canonical code of a bit-length table in the format's convention: the RFC 1951 codes
// with every bit inverted and the bit order reversed (first bit in bit 0).
std::vector<uint32_t> CanonicalCodes(const uint8_t* bits, uint32_t count);
