#include "zbpack/cli/progress.h"

#include <chrono>
#include <cstdio>

#include "zbpack/host/host_files.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

struct ProgressState {
  const char* verb = "";
  bool quiet = false;
  bool live = false;
  uint32_t memberCount = 0;
  uint32_t membersDone = 0;
  uint64_t totalBytes = 0;
  uint64_t bytesBefore = 0;  // bytes of the members done
  uint64_t memberBytes = 0;  // bytes of the current member done
  Clock::time_point start;
  Clock::time_point lastDraw;
  size_t shownLength = 0;  // characters of the live line on screen; 0 when none
};

ProgressState state;

void Draw(bool force) {
  if (!state.live) return;
  const Clock::time_point now = Clock::now();
  if (!force && state.shownLength > 0 && now - state.lastDraw < kRedrawInterval) return;
  state.lastDraw = now;
  const uint64_t done = state.bytesBefore + state.memberBytes;
  const double seconds = std::chrono::duration<double>(now - state.start).count();
  const double rate = seconds > 0.2 ? static_cast<double>(done) / seconds : 0.0;  // bytes/s
  char left[32] = "";
  if (rate > 0 && done <= state.totalBytes) {
    const auto remaining =
        static_cast<unsigned long>(static_cast<double>(state.totalBytes - done) / rate);
    std::snprintf(left, sizeof left, "  %lu:%02lu left", remaining / 60, remaining % 60);
  }
  char line[160];
  const int length =
      std::snprintf(line, sizeof line, "%s %lu/%lu members  %.1f/%.1f MB  %.1f MB/s%s", state.verb,
                    static_cast<unsigned long>(state.membersDone),
                    static_cast<unsigned long>(state.memberCount), static_cast<double>(done) / 1e6,
                    static_cast<double>(state.totalBytes) / 1e6, rate / 1e6, left);
  const size_t shown = length > 0 ? static_cast<size_t>(length) : 0;
  // Blanks cover what a longer previous line left.
  std::fprintf(stderr, "\r%s%*s", line,
               static_cast<int>(state.shownLength > shown ? state.shownLength - shown : 0), "");
  std::fflush(stderr);
  state.shownLength = shown;
}

}  // namespace

void StartProgress(const char* verb, uint32_t memberCount, uint64_t totalBytes, bool quiet) {
  state = ProgressState();
  state.verb = verb;
  state.quiet = quiet;
  state.live = !quiet && StreamIsTerminal(stderr);
  state.memberCount = memberCount;
  state.totalBytes = totalBytes;
  state.start = Clock::now();
  Draw(true);
}

void ShowMemberProgress(uint64_t bytes) {
  state.memberBytes = bytes;
  Draw(false);
}

void FinishMember(uint64_t bytes, const std::string& line) {
  state.bytesBefore += bytes;
  state.memberBytes = 0;
  ++state.membersDone;
  if (!line.empty()) PrintResultLine(line);
  Draw(false);
}

void PrintResultLine(const std::string& line) {
  if (state.quiet) return;
  // The member's line goes above the live line when both share the terminal.
  const bool sameScreen = state.shownLength > 0 && StreamIsTerminal(stdout);
  if (sameScreen) ClearProgressLine();
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  if (sameScreen) Draw(true);
}

void ClearProgressLine() {
  if (state.shownLength == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(state.shownLength), "");
  std::fflush(stderr);
  state.shownLength = 0;
}

WorkObserver TerminalObserver(const TerminalView* view) {
  WorkObserver observer;
  observer.context = const_cast<TerminalView*>(view);
  observer.start = [](void* context, const char* verb, uint32_t members, uint64_t bytes) {
    StartProgress(verb, members, bytes, static_cast<TerminalView*>(context)->quiet);
  };
  observer.progress = [](void*, uint64_t bytes) { ShowMemberProgress(bytes); };
  observer.memberDone = [](void* context, uint64_t bytes, const std::string& line) {
    FinishMember(bytes, static_cast<TerminalView*>(context)->lines ? line : "");
  };
  observer.line = [](void* context, const std::string& line) {
    if (static_cast<TerminalView*>(context)->lines) PrintResultLine(line);
  };
  observer.finish = [](void*) { ClearProgressLine(); };
  return observer;
}
