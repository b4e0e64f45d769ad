// Differential fuzzing of the explode decoder: every input is decoded by the fast decoder and
// by the step-by-step reference, and any difference in the callback calls (kind, size, bytes,
// order) or in the result stops the run. Sanitizers catch what the comparison cannot see.
//
// Input: byte 0 picks how the read callback hands out the stream (low 2 bits) and seeds its
// random sizes; the rest is the stream.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "callback_trace.h"
#include "explode/explode.h"
#include "reference_explode.h"

namespace {

// One block for the whole run, as the installer keeps one: every decode starts from whatever
// the one before left in it.
alignas(8) uint8_t fastWork[kExplodeWorkSize];
reference::ExplodeState referenceWork;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const Delivery delivery = static_cast<Delivery>(data[0] & 3);
  const uint32_t seed = data[0] >> 2;
  const std::vector<uint8_t> stream(data + 1, data + size);
  const Trace fast = RunTraced(Explode, fastWork, stream, delivery, seed);
  const Trace slow = RunTraced(reference::Explode, &referenceWork, stream, delivery, seed);
  if (!FirstDifference(fast, slow).empty() || fast.readsAfterEnd != 0 ||
      fast.callsAfterReturn != 0) {
    std::abort();
  }
  return 0;
}
