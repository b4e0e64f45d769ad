#include "callback_trace.h"

#include <cstring>

namespace {

struct Source {
  const std::vector<uint8_t>* stream;
  size_t pos;
  Delivery delivery;
  std::mt19937 rng;
  uint32_t reads;
  bool ended;
  bool returned;
  Trace* trace;
};

uint32_t TraceRead(uint8_t* buffer, uint32_t* size, void* userData) {
  Source& s = *static_cast<Source*>(userData);
  if (s.returned) s.trace->callsAfterReturn += 1;
  if (s.ended) s.trace->readsAfterEnd += 1;
  const uint32_t asked = *size;
  const size_t left = s.stream->size() - s.pos;
  uint32_t want = asked;
  switch (s.delivery) {
    case Delivery::kFull:
      break;
    case Delivery::kFiveThenOne:
      want = s.reads == 0 ? 5 : 1;
      break;
    case Delivery::kRandom:
      want = std::uniform_int_distribution<uint32_t>(1, 2048)(s.rng);
      break;
    case Delivery::kSmall:
      want = std::uniform_int_distribution<uint32_t>(1, 16)(s.rng);
      break;
    case Delivery::kFourFirst:
      want = s.reads == 0 ? 4 : asked;
      break;
  }
  if (want > asked) want = asked;
  const uint32_t n = static_cast<uint32_t>(left < want ? left : want);
  if (n > 0) std::memcpy(buffer, s.stream->data() + s.pos, n);
  s.pos += n;
  s.reads += 1;
  if (n == 0) s.ended = true;
  *size = 0xDEADBEEF;  // the decoder must ignore what is left here
  s.trace->events.push_back({'r', asked, n, {}});
  return n;
}

void TraceWrite(uint8_t* buffer, uint32_t* size, void* userData) {
  Source& s = *static_cast<Source*>(userData);
  if (s.returned) s.trace->callsAfterReturn += 1;
  const uint32_t n = *size;
  s.trace->events.push_back({'w', n, n, std::vector<uint8_t>(buffer, buffer + n)});
  s.trace->output.insert(s.trace->output.end(), buffer, buffer + n);
  *size = 0;  // ignored by the decoder
}

}  // namespace

Trace RunTraced(ExplodeFn decoder, void* work, const std::vector<uint8_t>& stream,
                Delivery delivery, uint32_t seed) {
  Trace t;
  Source s{&stream, 0, delivery, std::mt19937(seed), 0, false, false, &t};
  t.result = decoder(TraceRead, TraceWrite, work, &s);
  s.returned = true;
  return t;
}

std::string FirstDifference(const Trace& a, const Trace& b) {
  const size_t n = a.events.size() < b.events.size() ? a.events.size() : b.events.size();
  for (size_t i = 0; i < n; ++i) {
    const TraceEvent& x = a.events[i];
    const TraceEvent& y = b.events[i];
    if (x == y) continue;
    return "event " + std::to_string(i) + ": " + x.kind + " " + std::to_string(x.count) + " vs " +
           y.kind + " " + std::to_string(y.count) + (x.bytes == y.bytes ? "" : ", bytes differ");
  }
  if (a.events.size() != b.events.size()) {
    return "event counts " + std::to_string(a.events.size()) + " vs " +
           std::to_string(b.events.size());
  }
  if (a.result != b.result) {
    return "results " + std::to_string(a.result) + " vs " + std::to_string(b.result);
  }
  return "";
}

std::vector<uint32_t> WriteSizes(const Trace& t) {
  std::vector<uint32_t> sizes;
  for (const TraceEvent& e : t.events) {
    if (e.kind == 'w') sizes.push_back(e.count);
  }
  return sizes;
}
