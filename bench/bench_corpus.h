// The benchmark's corpus, rebuilt the same way on every run from files of the machine, so that
// figures from different builds and machines of one kind compare.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CorpusFile {
  std::string name;           // short label printed in the tables
  std::vector<uint8_t> data;  // empty when the machine lacks the source (see note)
  std::string note;           // why the file is missing or shorter than asked
};

// scale 1: text 3 MiB, binary 4 MiB, phrase 4 MiB, random 1 MiB; --quick uses scale 8 (1/8).
std::vector<CorpusFile> BuildCorpus(uint32_t scaleDivisor);
