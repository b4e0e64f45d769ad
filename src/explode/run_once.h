// One-time filling of process-wide lookup tables that are computed at run time rather than
// stored in the program file (they would add tens of kilobytes to the stub).
#pragma once
#include <atomic>
#include <cstdint>

// Runs fill at most once per state, whichever thread comes first, and returns only once it has
// completed. state must start at 0, which zero-initialised storage gives. A thread that finds
// another one filling waits by spinning: filling takes microseconds. Lock-free, so it needs no
// thread library in the stub.
inline void RunOnce(std::atomic<uint32_t>& state, void (*fill)()) {
  constexpr uint32_t kFilling = 1;
  constexpr uint32_t kFilled = 2;
  if (state.load(std::memory_order_acquire) == kFilled) return;
  uint32_t expected = 0;
  if (state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) {
    fill();
    state.store(kFilled, std::memory_order_release);
    return;
  }
  while (state.load(std::memory_order_acquire) != kFilled) {
  }
}
