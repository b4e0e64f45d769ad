#include "implode/implode_workers.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "implode/implode.h"
#include "implode/implode_parse.h"

namespace {

// One being parsed and one parsed or waiting per worker keep the workers busy while the
// stream's thread writes.
constexpr uint32_t kJobsPerWorker = 2;

struct RegionJob {
  uint32_t begin = 0;  // the region: bytes [begin, end)
  uint32_t end = 0;
  uint32_t fill = 0;       // bytes held
  uint32_t bufferPos = 0;  // stream offset (mod 2^32) of bytes[0]
  uint32_t steps = 0;      // the parse: path[0, steps), last step first, priced at bits
  uint64_t bits = 0;
  bool parsed = false;  // guarded by the workers' mutex
  uint8_t bytes[kImplodeBufferSize];
  uint32_t path[kImplodeBufferSize];
};

}  // namespace

// Job k sits in jobs[k % jobs.size()]. Only the stream's thread hands off and writes: written
// is its own, and it reads handedOff without the lock; handedOff, taken, every job's parsed and
// stopping change under the lock.
struct ImplodeWorkers {
  std::mutex mutex;
  std::condition_variable jobQueued;  // workers wait for a job or the stop
  std::condition_variable jobParsed;  // the stream's thread waits for the next job to write
  std::vector<std::unique_ptr<RegionJob>> jobs;
  uint64_t handedOff = 0;
  uint64_t taken = 0;
  uint64_t written = 0;
  bool stopping = false;
  std::vector<std::thread> threads;
};

void ImplodeWorkersDeleter::operator()(ImplodeWorkers* w) const {
  {
    std::lock_guard<std::mutex> lock(w->mutex);
    w->stopping = true;
  }
  w->jobQueued.notify_all();
  for (std::thread& t : w->threads) t.join();
  delete w;
}

namespace {

RegionJob& JobAt(ImplodeWorkers& w, uint64_t k) {
  return *w.jobs[static_cast<size_t>(k % w.jobs.size())];
}

// Parses the job in the worker's own encoder record, which holds the stream's settings.
void ParseJob(ImplodeEncoder& scratch, RegionJob& job) {
  std::memcpy(scratch.buffer, job.bytes, job.fill);
  // As in the stream's buffer, bytes behind the data are zero.
  std::memset(scratch.buffer + job.fill, 0, sizeof scratch.buffer - job.fill);
  scratch.fill = job.fill;
  scratch.bufferPos = job.bufferPos;
  PrimeRegion(scratch, job.begin);
  FindOptimalPath(scratch, job.begin, job.end);
  const uint32_t n = job.end - job.begin;
  job.steps = TracePath(scratch.node, n, job.path);
  job.bits = scratch.node[n] >> 32;
}

void Work(ImplodeWorkers* w, std::unique_ptr<ImplodeEncoder> scratch) {
  std::unique_lock<std::mutex> lock(w->mutex);
  for (;;) {
    w->jobQueued.wait(lock, [w] { return w->stopping || w->taken < w->handedOff; });
    if (w->stopping) return;
    RegionJob& job = JobAt(*w, w->taken++);
    lock.unlock();
    ParseJob(*scratch, job);
    lock.lock();
    job.parsed = true;
    w->jobParsed.notify_one();
  }
}

bool StartWorkers(ImplodeEncoder& e) {
  std::unique_ptr<ImplodeWorkers, ImplodeWorkersDeleter> w(new ImplodeWorkers);
  w->jobs.resize(size_t{kJobsPerWorker} * e.threads);
  for (std::unique_ptr<RegionJob>& job : w->jobs) job.reset(new RegionJob);
  for (uint32_t k = 0; k < e.threads; ++k) {
    std::unique_ptr<ImplodeEncoder> scratch(new ImplodeEncoder);
    scratch->settings = e.settings;
    scratch->level = e.level;
    scratch->coding = e.coding;
    try {
      w->threads.emplace_back(Work, w.get(), std::move(scratch));
    } catch (const std::system_error&) {
      break;  // work with the threads there are
    }
  }
  if (w->threads.empty()) {
    e.threads = 1;
    return false;
  }
  e.workers = std::move(w);
  return true;
}

// Waits for the oldest job not yet written, then writes it.
void WriteNextRegion(ImplodeEncoder& e) {
  ImplodeWorkers& w = *e.workers;
  RegionJob& job = JobAt(w, w.written);
  {
    std::unique_lock<std::mutex> lock(w.mutex);
    w.jobParsed.wait(lock, [&job] { return job.parsed; });
    job.parsed = false;
  }
  EmitPath(e, job.bytes + job.begin, job.path, job.steps, job.bits);
  ++w.written;
}

}  // namespace

bool HandOffRegion(ImplodeEncoder& e, uint32_t begin, uint32_t end) {
  if (!e.workers && !StartWorkers(e)) return false;
  ImplodeWorkers& w = *e.workers;
  if (w.handedOff - w.written == w.jobs.size()) WriteNextRegion(e);
  // No worker touches this slot: its last job is written and this one is not yet handed off.
  RegionJob& job = JobAt(w, w.handedOff);
  std::memcpy(job.bytes, e.buffer, e.fill);
  job.begin = begin;
  job.end = end;
  job.fill = e.fill;
  job.bufferPos = e.bufferPos;
  {
    std::lock_guard<std::mutex> lock(w.mutex);
    ++w.handedOff;
  }
  w.jobQueued.notify_one();
  return true;
}

void FinishRegions(ImplodeEncoder& e) {
  if (!e.workers) return;
  while (e.workers->written < e.workers->handedOff) WriteNextRegion(e);
  e.workers.reset();
}
