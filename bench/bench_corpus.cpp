#include "bench_corpus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#endif

namespace {

constexpr size_t kMiB = 1024 * 1024;

// Under Wine the machine's root is drive Z:.
#ifdef _WIN32
const char* const kRoot = "Z:";
#else
const char* const kRoot = "";
#endif

// Names in `dir` (without "." and ".."), sorted byte-wise.
std::vector<std::string> ListDirectory(const std::string& dir) {
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
        names.push_back(found.cFileName);
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
#else
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* entry = readdir(d)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.push_back(entry->d_name);
      }
    }
    closedir(d);
  }
#endif
  std::sort(names.begin(), names.end());
  return names;
}

// Appends the file's bytes to out until out holds `limit` bytes; false when it cannot be read.
bool AppendFile(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  uint8_t chunk[65536];
  while (out.size() < limit) {
    const size_t want = std::min(sizeof chunk, limit - out.size());
    const size_t got = std::fread(chunk, 1, want, f);
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  std::fclose(f);
  return true;
}

CorpusFile EnglishText(size_t size) {
  CorpusFile file{"text", {}, {}};
  const std::string licenses = std::string(kRoot) + "/usr/share/common-licenses";
  for (const std::string& name : ListDirectory(licenses)) {
    if (file.data.size() >= size) break;
    AppendFile(licenses + "/" + name, file.data, size);
  }
  const std::string docs = std::string(kRoot) + "/usr/share/doc";
  for (const std::string& name : ListDirectory(docs)) {
    if (file.data.size() >= size) break;
    AppendFile(docs + "/" + name + "/copyright", file.data, size);
  }
  if (file.data.empty()) {
    file.note = "no /usr/share/common-licenses or /usr/share/doc/*/copyright";
  } else if (file.data.size() < size) {
    file.note = "only " + std::to_string(file.data.size()) + " bytes of text found";
  }
  return file;
}

CorpusFile X86Binary(size_t size) {
  CorpusFile file{"binary", {}, {}};
  const std::string path = std::string(kRoot) + "/usr/bin/cmake";
  if (!AppendFile(path, file.data, size)) {
    file.note = "cannot read " + path;
  } else if (file.data.size() < size) {
    file.note = "only " + std::to_string(file.data.size()) + " bytes in " + path;
  }
  return file;
}

CorpusFile RepeatedPhrase(size_t size) {
  CorpusFile file{"phrase", {}, {}};
  static const char kPhrase[] = "The quick brown fox jumps over the lazy dog. ";
  const size_t length = sizeof kPhrase - 1;
  file.data.resize(size);
  for (size_t i = 0; i < size; ++i) file.data[i] = static_cast<uint8_t>(kPhrase[i % length]);
  return file;
}

CorpusFile RandomBytes(size_t size) {
  CorpusFile file{"random", {}, {}};
  file.data.resize(size);
  uint64_t state = 0x5A17B2E3C4D5F601ull;  // splitmix64, fixed seed
  for (size_t i = 0; i < size; i += 8) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (size_t k = 0; k < 8 && i + k < size; ++k)
      file.data[i + k] = static_cast<uint8_t>(z >> (8 * k));
  }
  return file;
}

}  // namespace

std::vector<CorpusFile> BuildCorpus(uint32_t scaleDivisor) {
  std::vector<CorpusFile> corpus;
  corpus.push_back(EnglishText(3 * kMiB / scaleDivisor));
  corpus.push_back(X86Binary(4 * kMiB / scaleDivisor));
  corpus.push_back(RepeatedPhrase(4 * kMiB / scaleDivisor));
  corpus.push_back(RandomBytes(1 * kMiB / scaleDivisor));
  return corpus;
}
