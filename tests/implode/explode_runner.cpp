#include "explode_runner.h"

#include <cstring>

#include "explode/explode.h"

namespace {

struct Source {
  const std::vector<uint8_t>* stream;
  size_t position;
  ReadPattern pattern;
  ExplodeRun* run;
};

uint32_t ReadSome(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* s = static_cast<Source*>(userData);
  size_t want = *size;
  if (s->pattern == ReadPattern::kFiveThenOne) want = s->position == 0 ? 5 : 1;
  const size_t left = s->stream->size() - s->position;
  if (want > left) want = left;
  if (want > *size) want = *size;
  std::memcpy(buffer, s->stream->data() + s->position, want);
  s->position += want;
  return static_cast<uint32_t>(want);
}

void WriteAll(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* s = static_cast<Source*>(userData);
  s->run->writeSizes.push_back(*size);
  s->run->output.insert(s->run->output.end(), buffer, buffer + *size);
}

}  // namespace

ExplodeRun RunExplode(const std::vector<uint8_t>& stream, ReadPattern pattern) {
  ExplodeRun run;
  std::vector<uint8_t> work(kExplodeWorkSize);
  Source source{&stream, 0, pattern, &run};
  run.result = Explode(ReadSome, WriteAll, work.data(), &source);
  return run;
}
