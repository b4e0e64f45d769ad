// What an operation over an installer's members (pack, verify, extract) tells while it works:
// how far it has come, and the lines that report each member as it is done. The command line
// shows them (progress.h); a caller that wants none passes an observer without callbacks.
// Every callback may be null; context is handed to each unchanged.
#pragma once
#include <cstdint>
#include <string>

struct WorkObserver {
  void* context = nullptr;
  // A run over memberCount members of totalBytes bytes begins; verb names it ("verifying").
  void (*start)(void* context, const char* verb, uint32_t memberCount,
                uint64_t totalBytes) = nullptr;
  // bytes of the current member are done, counted from its start.
  void (*progress)(void* context, uint64_t bytes) = nullptr;
  // The current member is done, its bytes in full; line tells how it went ("" for nothing).
  void (*memberDone)(void* context, uint64_t bytes, const std::string& line) = nullptr;
  // A line that is no member's ("archive FAILED ...", a summary).
  void (*line)(void* context, const std::string& line) = nullptr;
  // The run is over, also after a failure: what was drawn live goes.
  void (*finish)(void* context) = nullptr;
};

inline void ObserveStart(const WorkObserver& observer, const char* verb, uint32_t memberCount,
                         uint64_t totalBytes) {
  if (observer.start != nullptr) observer.start(observer.context, verb, memberCount, totalBytes);
}

inline void ObserveProgress(const WorkObserver& observer, uint64_t bytes) {
  if (observer.progress != nullptr) observer.progress(observer.context, bytes);
}

inline void ObserveMemberDone(const WorkObserver& observer, uint64_t bytes,
                              const std::string& line) {
  if (observer.memberDone != nullptr) observer.memberDone(observer.context, bytes, line);
}

inline void ObserveLine(const WorkObserver& observer, const std::string& line) {
  if (observer.line != nullptr) observer.line(observer.context, line);
}

inline void ObserveFinish(const WorkObserver& observer) {
  if (observer.finish != nullptr) observer.finish(observer.context);
}
