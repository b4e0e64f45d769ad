// Writes a seed corpus for fuzz_explode into the folder named on the command line: valid
// streams of both modes and every dictionary size, short enough for quick fuzzing, each behind
// its read-pattern byte.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "stream_builder.h"

static bool WriteSeed(const std::string& dir, int index, uint8_t pattern,
                      const std::vector<uint8_t>& stream) {
  const std::string path = dir + "/seed-" + std::to_string(index);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fputc(pattern, f);
  const size_t written = std::fwrite(stream.data(), 1, stream.size(), f);
  return std::fclose(f) == 0 && written == stream.size();
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_explode_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::mt19937 rng(1);
  int index = 0;
  bool ok = WriteSeed(dir, index++, 0, {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f});
  StreamBuilder all(1, 4);
  for (uint32_t v = 0; v < 256; ++v) all.Literal(static_cast<uint8_t>(v));
  all.End();
  all.Flush();
  ok = ok && WriteSeed(dir, index++, 1, all.bytes);
  for (uint32_t mode = 0; mode <= 1; ++mode) {
    for (uint32_t dictBits = 4; dictBits <= 6; ++dictBits) {
      for (uint32_t size : {10u, 300u, 5000u, 9000u}) {
        const StreamBuilder b = RandomStream(rng, mode, dictBits, size, size == 300);
        ok = ok && WriteSeed(dir, index, static_cast<uint8_t>(index % 4), b.bytes);
        index += 1;
      }
    }
  }
  if (!ok) {
    std::fprintf(stderr, "make_explode_seeds: cannot write into %s\n", dir.c_str());
    return 1;
  }
  std::printf("%d seeds in %s\n", index, dir.c_str());
  return 0;
}
