// zbbench: speed and size figures of the codec on a corpus built from the machine's own files.
//
//   zbbench [--quick] [--threads-only]
//
// Prints, as Markdown tables that paste straight into a note: the corpus; level 9 over the
// whole corpus at 1 and 2 threads, and how its parse divides over cores (--threads-only stops
// there); the encoder's output size (% of input) and speed per level for both literal modes at
// dictionary 4096; the decode speed of Explode beside the readable reference decoder; the
// CRC-32 speed of Crc32Update beside the sliced and the byte-at-a-time tables. Every decode is
// checked against the input, and so is the threaded stream against the one of one thread: a
// mismatch ends the run with exit code 1. Speeds are MB/s of uncompressed bytes (10^6 bytes
// per second, wall clock, median of several runs where a run is short).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include "bench_corpus.h"
#include "explode/crc32.h"
#include "explode/explode.h"
#include "explode/explode_reference.h"
#include "implode/implode.h"

#if __has_include("explode/crc32_variants.h")
#include "explode/crc32_variants.h"
#define ZB_HAVE_BYTEWISE_CRC 1
#endif

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MBps(size_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / seconds / 1e6 : 0.0;
}

double Percent(size_t part, size_t whole) {
  return 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

// ---- encoding -------------------------------------------------------------------------------

struct OutputBuffer {
  std::vector<uint8_t>* bytes;
};

bool AppendOutput(const uint8_t* data, uint32_t size, void* userData) {
  auto* out = static_cast<OutputBuffer*>(userData);
  out->bytes->insert(out->bytes->end(), data, data + size);
  return true;
}

// Encodes `input` into `stream` (capacity reserved beforehand) and returns the seconds taken.
double TimeEncode(ImplodeEncoder& encoder, const std::vector<uint8_t>& input, uint8_t mode,
                  uint8_t level, std::vector<uint8_t>& stream, uint32_t threads = 1) {
  ImplodeSettings settings;
  settings.mode = mode;
  settings.dictBits = 6;
  settings.level = level;
  settings.threads = threads;
  stream.clear();
  OutputBuffer out{&stream};
  const Clock::time_point start = Clock::now();
  ImplodeInit(encoder, settings, AppendOutput, &out);
  ImplodeFeed(encoder, input.data(), input.size());
  ImplodeFinish(encoder);
  return SecondsSince(start);
}

// ---- decoding -------------------------------------------------------------------------------

struct MemoryTransfer {
  const uint8_t* in;
  size_t inSize;
  size_t inPos;
  uint8_t* out;
  size_t outCapacity;
  size_t outLength;
  bool overflow;
};

uint32_t ReadMemory(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* t = static_cast<MemoryTransfer*>(userData);
  const size_t left = t->inSize - t->inPos;
  const uint32_t n = static_cast<uint32_t>(left < *size ? left : *size);
  std::memcpy(buffer, t->in + t->inPos, n);
  t->inPos += n;
  return n;
}

void WriteMemory(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* t = static_cast<MemoryTransfer*>(userData);
  if (t->outLength + *size > t->outCapacity) {
    t->overflow = true;
    return;
  }
  std::memcpy(t->out + t->outLength, buffer, *size);
  t->outLength += *size;
}

using ExplodeFn = uint32_t (*)(ExplodeReadFn, ExplodeWriteFn, void*, void*);

// Median seconds of `runs` decodes into `output` (preallocated to the input's size); returns a
// negative value when a decode fails or differs from `expected`.
double TimeDecode(ExplodeFn explode, void* work, const std::vector<uint8_t>& stream,
                  const std::vector<uint8_t>& expected, std::vector<uint8_t>& output, int runs) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    MemoryTransfer t{stream.data(), stream.size(), 0, output.data(), output.size(), 0, false};
    const Clock::time_point start = Clock::now();
    const uint32_t result = explode(ReadMemory, WriteMemory, work, &t);
    times.push_back(SecondsSince(start));
    if (result != CMP_NO_ERROR || t.overflow || t.outLength != expected.size() ||
        std::memcmp(output.data(), expected.data(), expected.size()) != 0) {
      return -1.0;
    }
  }
  return Median(times);
}

// ---- CRC-32 ---------------------------------------------------------------------------------

using CrcFn = uint32_t (*)(const uint8_t*, const uint32_t*, const uint32_t*);

double TimeCrc(CrcFn crc, const std::vector<uint8_t>& data, int runs, uint32_t* value) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const Clock::time_point start = Clock::now();
    uint32_t running = 0xFFFFFFFFu;
    // In 64 KiB blocks, the way extraction feeds it.
    for (size_t at = 0; at < data.size(); at += 65536) {
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(65536, data.size() - at));
      running = crc(data.data() + at, &n, &running);
    }
    times.push_back(SecondsSince(start));
    *value = running ^ 0xFFFFFFFFu;
  }
  return Median(times);
}

const char* const kModeNames[2] = {"binary", "ascii"};

// ---- level 9 in threads ---------------------------------------------------------------------

// CPU seconds used so far by the calling thread, or by the whole process (threads that have
// ended included).
double CpuSeconds(bool wholeProcess) {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  const BOOL ok = wholeProcess
                      ? GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)
                      : GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  if (!ok) return 0.0;
  const auto ticks = [](const FILETIME& t) {
    return static_cast<double>(uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns ticks
#else
  timespec t{};
  clock_gettime(wholeProcess ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

struct ThreadedRun {
  double seconds;     // wall clock
  double processCpu;  // CPU seconds of all threads
  double streamCpu;   // CPU seconds of the calling thread: hand-off and writing, in order
};

ThreadedRun TimeThreaded(ImplodeEncoder& encoder, const std::vector<uint8_t>& input,
                         uint32_t threads, std::vector<uint8_t>& stream) {
  const double process = CpuSeconds(true);
  const double own = CpuSeconds(false);
  ThreadedRun run;
  run.seconds = TimeEncode(encoder, input, 0, 9, stream, threads);
  run.processCpu = CpuSeconds(true) - process;
  run.streamCpu = CpuSeconds(false) - own;
  return run;
}

// Level 9 over the whole corpus as one stream, 1 and 2 threads alternately (the load of a
// shared machine then weighs on both alike); returns false when the streams differ.
bool BenchThreads(const std::vector<uint8_t>& all, int runs) {
  std::unique_ptr<ImplodeEncoder> encoder(new ImplodeEncoder);
  std::vector<uint8_t> streams[2];
  std::vector<ThreadedRun> results[2];
  for (int r = 0; r < runs; ++r) {
    for (int k = 0; k < 2; ++k) {
      streams[k].clear();
      streams[k].reserve(all.size() + all.size() / 2 + 64);
      results[k].push_back(TimeThreaded(*encoder, all, static_cast<uint32_t>(k + 1), streams[k]));
    }
  }
  const bool same = streams[0] == streams[1];
  // A region is parsed each time the encoder's buffer fills, the first at kImplodeBufferSize
  // bytes and then every region - window bytes, and one more at the end.
  const size_t step = kImplodeRegion - kImplodeWindow;
  const size_t regions =
      all.size() < kImplodeBufferSize ? 1 : 2 + (all.size() - kImplodeBufferSize) / step;
  std::printf(
      "\n## Level 9 in threads: the corpus as one stream (%zu bytes, %zu regions), "
      "%d runs each\n\n",
      all.size(), regions, runs);
  std::printf(
      "| threads | MB/s median | MB/s best | CPU s median | stream thread CPU s |\n"
      "|---:|---:|---:|---:|---:|\n");
  double median[2];
  double best[2];
  double cpu[2];
  double streamCpu[2];
  for (int k = 0; k < 2; ++k) {
    std::vector<double> seconds, cpus, owns;
    for (const ThreadedRun& run : results[k]) {
      seconds.push_back(run.seconds);
      cpus.push_back(run.processCpu);
      owns.push_back(run.streamCpu);
    }
    median[k] = MBps(all.size(), Median(seconds));
    best[k] = MBps(all.size(), *std::min_element(seconds.begin(), seconds.end()));
    cpu[k] = Median(cpus);
    streamCpu[k] = Median(owns);
    std::printf("| %d | %.2f | %.2f | %.2f | %.2f |\n", k + 1, median[k], best[k], cpu[k],
                streamCpu[k]);
  }
  std::printf("\nSpeed-up of 2 threads over 1: %.2fx (medians), %.2fx (bests); streams %s.\n",
              median[1] / median[0], best[1] / best[0], same ? "identical" : "DIFFER");
  // With more cores the regions divide among the workers while the stream thread's share
  // (hand-off and writing, measured at 2 threads) stays serial; regions cost about alike.
  const double serial = streamCpu[1];
  const double parallel = cpu[1] - serial;
  std::printf(
      "\nThe parse over more idle cores, estimated from the CPU times at 2 threads: the "
      "stream thread's %.3f s stay serial, the workers' %.2f s divide into %zu regions, "
      "so N cores take %.3f s + %.2f s x ceil(%zu/N)/%zu.\n\n| cores |",
      serial, parallel, regions, serial, parallel, regions, regions);
  const unsigned kCores[] = {2, 4, 8, 16, 32};
  for (unsigned n : kCores) std::printf(" %u |", n);
  std::printf("\n|---|");
  for (size_t i = 0; i < sizeof kCores / sizeof kCores[0]; ++i) std::printf("---:|");
  std::printf("\n| speed-up over 1 thread (%.2f CPU s) |", cpu[0]);
  for (unsigned n : kCores) {
    const double rounds = static_cast<double>((regions + n - 1) / n) / static_cast<double>(regions);
    std::printf(" %.2fx |", cpu[0] / (serial + parallel * rounds));
  }
  std::printf("\n");
  std::fflush(stdout);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  bool threadsOnly = false;  // only the level-9 thread figures, for measuring them again
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--threads-only") == 0) {
      threadsOnly = true;
    } else {
      std::fprintf(stderr, "usage: zbbench [--quick] [--threads-only]\n");
      return 2;
    }
  }
  const Clock::time_point begin = Clock::now();
  const std::vector<CorpusFile> corpus = BuildCorpus(quick ? 8 : 1);

  std::printf("# zbbench%s: %s, %s\n\n", quick ? " --quick" : "",
              sizeof(void*) == 8 ? "64-bit build" : "32-bit build",
#ifdef __VERSION__
              "gcc " __VERSION__
#else
              "unknown compiler"
#endif
  );
  std::printf("| file | bytes | note |\n|---|---:|---|\n");
  for (const CorpusFile& f : corpus) {
    std::printf("| %s | %zu | %s |\n", f.name.c_str(), f.data.size(),
                f.data.empty() ? ("skipped: " + f.note).c_str() : f.note.c_str());
  }
  std::vector<uint8_t> all;
  for (const CorpusFile& f : corpus) all.insert(all.end(), f.data.begin(), f.data.end());

  bool mismatch = !BenchThreads(all, quick ? 3 : 5);
  if (threadsOnly) {
    std::printf("\nTotal %.1f s%s\n", SecondsSince(begin),
                mismatch ? "; THREADED STREAM MISMATCH" : "");
    return mismatch ? 1 : 0;
  }

  // Encoding: every level, both literal modes. The level-9 streams feed the decode figures.
  std::unique_ptr<ImplodeEncoder> encoder(new ImplodeEncoder);
  std::vector<std::vector<uint8_t>> best[2];
  std::printf("\n## Encoder, dictionary 4096: output %% of input / MB/s\n\n");
  std::printf("| mode | file |");
  for (uint32_t level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level)
    std::printf(" L%u |", level);
  std::printf("\n|---|---|");
  for (uint32_t level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level) std::printf("---:|");
  std::printf("\n");
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    best[mode].resize(corpus.size());
    for (size_t k = 0; k < corpus.size(); ++k) {
      const CorpusFile& f = corpus[k];
      if (f.data.empty()) continue;
      std::printf("| %s | %s |", kModeNames[mode], f.name.c_str());
      std::vector<uint8_t> stream;
      stream.reserve(f.data.size() + f.data.size() / 2 + 64);
      for (uint8_t level = kImplodeMinLevel; level <= kImplodeMaxLevel; ++level) {
        // Fast levels are timed three times (median): one run is too short to trust.
        std::vector<double> times;
        const int runs = level <= 4 ? 3 : 1;
        for (int r = 0; r < runs; ++r)
          times.push_back(TimeEncode(*encoder, f.data, mode, level, stream));
        std::printf(" %.2f%% / %.1f |", Percent(stream.size(), f.data.size()),
                    MBps(f.data.size(), Median(times)));
        std::fflush(stdout);
        if (level == kImplodeBestLevel) best[mode][k] = stream;
      }
      std::printf("\n");
    }
  }

  // Decoding the level-9 streams.
  std::vector<uint8_t> work(kExplodeWorkSize);
  std::unique_ptr<ExplodeReferenceState> referenceWork(new ExplodeReferenceState);
  std::printf("\n## Decoder, level-9 streams, dictionary 4096: MB/s of output\n\n");
  std::printf(
      "| mode | file | stream %% | Explode MB/s | reference MB/s |\n|---|---|---:|---:|---:|\n");
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    for (size_t k = 0; k < corpus.size(); ++k) {
      const CorpusFile& f = corpus[k];
      if (f.data.empty()) continue;
      const std::vector<uint8_t>& stream = best[mode][k];
      std::vector<uint8_t> output(f.data.size());
      const double fast = TimeDecode(Explode, work.data(), stream, f.data, output, 7);
      std::string referenceText;
      const double slow =
          TimeDecode(ExplodeReference, referenceWork.get(), stream, f.data, output, 3);
      char text[32];
      std::snprintf(text, sizeof text, "%.1f", MBps(f.data.size(), slow));
      referenceText = slow < 0 ? "MISMATCH" : text;
      if (slow < 0) mismatch = true;
      if (fast < 0) mismatch = true;
      char fastText[32];
      std::snprintf(fastText, sizeof fastText, "%.1f", MBps(f.data.size(), fast));
      std::printf("| %s | %s | %.2f | %s | %s |\n", kModeNames[mode], f.name.c_str(),
                  Percent(stream.size(), f.data.size()), fast < 0 ? "MISMATCH" : fastText,
                  referenceText.c_str());
      std::fflush(stdout);
    }
  }

  // CRC-32 over the whole corpus.
  uint32_t fastCrc = 0;
  const double crcSeconds = TimeCrc(Crc32Update, all, 7, &fastCrc);
  std::printf(
      "\n## CRC-32 over the corpus (%zu bytes)\n\n| function | MB/s | value |\n|---|---:|---|\n",
      all.size());
  std::printf("| Crc32Update | %.1f | %08lx |\n", MBps(all.size(), crcSeconds),
              static_cast<unsigned long>(fastCrc));
#ifdef ZB_HAVE_BYTEWISE_CRC
  uint32_t byteCrc = 0;
  const double byteSeconds = TimeCrc(Crc32UpdateBytewise, all, 3, &byteCrc);
  std::printf("| Crc32UpdateBytewise | %.1f | %08lx |\n", MBps(all.size(), byteSeconds),
              static_cast<unsigned long>(byteCrc));
  if (byteCrc != fastCrc) mismatch = true;
  // The table path: short blocks, the tail of every block, processors without the multiply.
  uint32_t slicedCrc = 0;
  const double slicedSeconds = TimeCrc(Crc32UpdateSliced, all, 7, &slicedCrc);
  std::printf("| Crc32UpdateSliced | %.1f | %08lx |\n", MBps(all.size(), slicedSeconds),
              static_cast<unsigned long>(slicedCrc));
  if (slicedCrc != fastCrc) mismatch = true;
#endif

  std::printf("\nTotal %.1f s%s\n", SecondsSince(begin),
              mismatch ? "; THREADED STREAM, DECODE OR CRC MISMATCH" : "");
  return mismatch ? 1 : 0;
}
