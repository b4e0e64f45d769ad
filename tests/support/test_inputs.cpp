#include "test_inputs.h"

namespace {

// splitmix64: small, fast and the same on every platform.
struct Rng {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

}  // namespace

std::vector<uint8_t> RandomBytes(size_t size, uint64_t seed) {
  Rng rng{seed};
  std::vector<uint8_t> out(size);
  for (uint8_t& b : out) b = static_cast<uint8_t>(rng.Next() >> 56);
  return out;
}

std::vector<uint8_t> TextLike(size_t size, uint64_t seed) {
  static const char* const kWords[] = {
      "the",      "of",         "and",      "to",        "in",         "a",          "is",
      "that",     "for",        "it",       "as",        "was",        "with",       "be",
      "by",       "on",         "not",      "he",        "this",       "are",        "or",
      "his",      "from",       "at",       "which",     "but",        "have",       "an",
      "had",      "they",       "you",      "were",      "their",      "one",        "all",
      "we",       "License",    "Software", "copyright", "permission", "distribute", "modify",
      "warranty", "Foundation", "General",  "Public",    "version",    "conditions", "source",
      "code"};
  const uint32_t wordCount = sizeof kWords / sizeof kWords[0];
  Rng rng{seed};
  std::vector<uint8_t> out;
  out.reserve(size + 16);
  uint32_t column = 0;
  while (out.size() < size) {
    const char* w = kWords[rng.Below(wordCount) % (rng.Below(4) == 0 ? wordCount : 20)];
    for (const char* c = w; *c != '\0'; ++c) out.push_back(static_cast<uint8_t>(*c));
    column += 1;
    const uint32_t r = rng.Below(100);
    if (r < 6) out.push_back(',');
    if (r >= 6 && r < 10) out.push_back('.');
    if (column > 10 + rng.Below(4)) {
      out.push_back('\n');
      column = 0;
    } else {
      out.push_back(' ');
    }
  }
  out.resize(size);
  return out;
}

std::vector<uint8_t> StructuredBinary(size_t size, uint64_t seed) {
  Rng rng{seed};
  std::vector<uint8_t> out;
  out.reserve(size + 600);
  while (out.size() < size) {
    switch (rng.Below(5)) {
      case 0: {  // run of one byte, up to beyond the longest repetition
        const uint32_t length = 1 + rng.Below(rng.Below(8) == 0 ? 1500 : 40);
        const uint8_t value = rng.Below(3) == 0 ? static_cast<uint8_t>(rng.Next()) : 0;
        out.insert(out.end(), length, value);
        break;
      }
      case 1:
      case 2: {  // copy of earlier bytes with a few changes
        if (out.size() < 16) break;
        static const uint32_t kReach[] = {4, 64, 256, 300, 1024, 1100, 2048, 2100, 4096, 5000};
        const uint32_t reach = kReach[rng.Below(10)];
        const size_t distance =
            1 + rng.Below(static_cast<uint32_t>(out.size() < reach ? out.size() : reach));
        const uint32_t length = 2 + rng.Below(rng.Below(6) == 0 ? 700 : 24);
        for (uint32_t k = 0; k < length; ++k) {
          uint8_t b = out[out.size() - distance];
          if (rng.Below(50) == 0) b = static_cast<uint8_t>(b + 1);
          out.push_back(b);
        }
        break;
      }
      case 3: {  // little-endian words with small increments, like tables of addresses
        uint32_t value = static_cast<uint32_t>(rng.Next());
        const uint32_t count = 1 + rng.Below(32);
        for (uint32_t k = 0; k < count; ++k) {
          value += 4 + 4 * rng.Below(4);
          for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(value >> s));
        }
        break;
      }
      default: {  // noise
        const uint32_t length = 1 + rng.Below(64);
        for (uint32_t k = 0; k < length; ++k) out.push_back(static_cast<uint8_t>(rng.Next()));
        break;
      }
    }
  }
  out.resize(size);
  return out;
}
