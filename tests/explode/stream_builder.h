// Writes imploded streams symbol by symbol with the format's code tables, and keeps the output
// that a correct decoder must produce. Test data only: it picks the symbols it is told to (or
// random ones), it does not search for repetitions.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

struct StreamBuilder {
  uint32_t mode = 0;           // 0 binary literals, 1 ASCII literals
  uint32_t dictBits = 6;       // 4, 5 or 6
  std::vector<uint8_t> bytes;  // the stream so far, header included
  uint64_t pending = 0;        // bits not yet in bytes, next in bit 0
  uint32_t pendingCount = 0;
  // Expected output, behind 4096 zero bytes: a stream that reaches back before its first byte
  // reads zeros.
  std::vector<uint8_t> history;

  StreamBuilder(uint32_t modeByte, uint32_t dictBitsByte);

  void PutBits(uint32_t value, uint32_t count);  // count 0 to 16, least significant bit first
  void Literal(uint8_t byte);
  // length 2 to 518; dist 1 to 256 when length is 2, else 1 to 64 << dictBits.
  void Repetition(uint32_t length, uint32_t dist);
  void End();                 // the end symbol
  void Flush();               // pads the last byte with zero bits
  uint64_t BitCount() const;  // stream bits written so far, header included

  std::vector<uint8_t> Output() const;  // expected output (without the zero history)
};

// The next 32 random bits.
inline uint32_t Next(std::mt19937& rng) { return static_cast<uint32_t>(rng()); }

// Largest distance a repetition of this length may use.
uint32_t MaxDistance(uint32_t length, uint32_t dictBits);

// A valid stream of about outputSize bytes: random literals and repetitions, then the end
// symbol, padded to a whole byte. reachBeforeStart lets distances reach into the zero history.
StreamBuilder RandomStream(std::mt19937& rng, uint32_t mode, uint32_t dictBits, uint32_t outputSize,
                           bool reachBeforeStart);
