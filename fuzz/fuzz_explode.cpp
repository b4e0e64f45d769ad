// Differential fuzzing of the explode decoder: every input is decoded by Explode and by the
// readable reference decoder, and any difference in the callback calls (kind, size, bytes,
// order) or in the result stops the run. Sanitizers catch what the comparison cannot see.
//
// Explode runs in a heap block of exactly the size of its state, so that a read or write past
// its window is an out-of-bounds access here, not a quiet use of the slack of the callers'
// larger block. Input: byte 0 picks how the read callback hands out the stream (low 2 bits)
// and seeds its random sizes; the rest is the stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "callback_trace.h"
#include "explode/explode.h"
#include "explode/explode_reference.h"
#include "explode/explode_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One block of each for the whole run, as the installer keeps one: every decode starts from
  // whatever the one before left in it.
  static void* const fastWork = std::malloc(sizeof(ExplodeState));
  static ExplodeReferenceState referenceWork;
  if (size < 1 || fastWork == nullptr) return 0;
  const Delivery delivery = static_cast<Delivery>(data[0] & 3);
  const uint32_t seed = data[0] >> 2;
  const std::vector<uint8_t> stream(data + 1, data + size);
  const Trace fast = RunTraced(Explode, fastWork, stream, delivery, seed);
  const Trace slow = RunTraced(ExplodeReference, &referenceWork, stream, delivery, seed);
  if (!FirstDifference(fast, slow).empty() || fast.readsAfterEnd != 0 ||
      fast.callsAfterReturn != 0) {
    std::abort();
  }
  return 0;
}
