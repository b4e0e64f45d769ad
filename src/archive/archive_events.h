// What the archive steps tell whoever shows the run (the driver's windows), and what they ask
// of it while they wait. The steps know nothing of windows: every function gets context back
// as it was given, and a null function is simply not called.
#pragma once
#include <cstdint>

struct ArchiveEvents {
  void* context = nullptr;
  // Extraction begins (the archive tag has been read, successfully or not): the product name
  // (NUL-terminated, only read during the call), the member count and the total bytes of all
  // members. Called once, before the first member.
  void (*extractionStarts)(void* context, const char* productName, uint32_t fileCount,
                           uint32_t totalBytes) = nullptr;
  // Extraction has ended, whatever its result. Called once, after extractionStarts.
  void (*extractionEnds)(void* context) = nullptr;
  // Lets ms milliseconds pass before a step tries again, keeping the windows alive. Without it
  // the step retries at once.
  void (*wait)(void* context, uint32_t ms) = nullptr;
};
