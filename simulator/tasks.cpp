// The parallel-execution library: tasks run on a pool of worker threads that
// lives for the whole process.
//
// The pool starts with one worker per hardware thread. Tasks of one call may
// wait for each other (one polls a variable another sets), so every task of
// a call must run at the same time: when no worker is idle the pool grows by
// one instead of queueing, and the new worker stays for later calls. Nested
// calls (a task running ParallelExecute) therefore never starve.
#include <pthread.h>
#include <sched.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "macro_sc/host.h"

namespace {

class WorkerPool {
 public:
  WorkerPool() {
    const unsigned n = std::thread::hardware_concurrency();
    std::lock_guard<std::mutex> lock(mutex_);
    for (unsigned i = 0; i < (n == 0 ? 2 : n); ++i) (void)AddWorker();
  }

  // Runs job on an idle worker, or on a new one; false when no thread can be
  // started. The check and the queueing happen under one lock, so that two
  // callers never count on the same idle worker.
  bool Start(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_ <= jobs_.size() && !AddWorker()) return false;
    jobs_.push_back(std::move(job));
    wake_.notify_one();
    return true;
  }

 private:
  // With mutex_ held: the new worker waits for the lock before its first job.
  bool AddWorker() {
    try {
      std::thread([this] { Work(); }).detach();
    } catch (...) {
      return false;
    }
    ++idle_;
    return true;
  }

  void Work() {
    MarkComputeBound();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return !jobs_.empty(); });
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      --idle_;
      lock.unlock();
      job();
      lock.lock();
      ++idle_;
    }
  }

  // Tasks compute: a worker is a batch thread, which the scheduler never
  // lets take a core from a running thread when it wakes. Woken for a job
  // onto the core of a host thread that is reading a variable, it waits for
  // that thread rather than keeping it from the core for a whole time slice
  // (the other core often idle meanwhile); the caller that starts the tasks
  // is not stopped by each worker it wakes either. A host thread woken onto
  // a worker's core still takes the core at once. Without the permission,
  // the worker stays an ordinary thread.
  static void MarkComputeBound() noexcept {
    sched_param normal{};
    normal.sched_priority = 0;
    (void)pthread_setschedparam(pthread_self(), SCHED_BATCH, &normal);
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  size_t idle_ = 0;  // workers waiting, less the jobs queued for them
};

// Never destroyed: its workers wait for jobs until the process ends.
WorkerPool& Pool() {
  static auto* pool = new WorkerPool;
  return *pool;
}

}  // namespace

int32_t ParallelExecute(PARALLELPROC* tasks) {
  if (tasks == nullptr) return 1;
  std::mutex mutex;
  std::condition_variable done;
  size_t running = 0;
  int32_t status = 0;
  for (PARALLELPROC* t = tasks; t->function != nullptr; ++t) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++running;
    }
    bool started = false;
    try {
      started = Pool().Start([&, t] {
        (void)t->function(t->argument);
        std::lock_guard<std::mutex> lock(mutex);
        if (--running == 0) done.notify_all();
      });
    } catch (...) {
      // Out of memory for the job: fails like a thread that cannot start.
    }
    if (!started) {
      std::lock_guard<std::mutex> lock(mutex);
      --running;
      status = 1;  // tasks already started still finish below
      break;
    }
  }
  std::unique_lock<std::mutex> lock(mutex);
  done.wait(lock, [&] { return running == 0; });
  return status;
}
