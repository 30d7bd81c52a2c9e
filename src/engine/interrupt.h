// Stopping runaway runs: the runs under way on a macro object, and the
// interrupt that ends them.
//
// Every run (a direct statement, a label called by the host, a routine run
// from the debug console, a ParallelExecute task) registers for its
// lifetime and remembers the interrupt epoch it started in. An interrupt
// moves the epoch on, so the runs under way, and only those, see a stale
// epoch at their next statement and end with error 210. While any of them
// is still alive the object lock carries its attention flag, which makes a
// run that holds the lock across decoded statements look up from them at
// once; a run waiting in Wait, Input or for a child process is woken.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/frame.h"
#include "engine/memory_budget.h"
#include "platform/lock.h"
#include "platform/stop_check.h"

class QorMacro;

namespace msc {

struct RunRegistry {
  std::atomic<uint32_t> epoch{0};
  std::mutex mutex;
  std::condition_variable wake;  // notified by every interrupt
  int32_t live = 0;              // runs registered now
  int32_t stale = 0;             // of those, runs that started before the last interrupt
};

// Registers f as a run of its object for the scope's lifetime, marks the
// thread as one that runs statements (patient for the object lock), and
// makes the thread's blocking waits (standard input, a child process) give
// up when the run is interrupted. A ParallelExecute task keeps the epoch its
// frame copied from the run that started it, so that a task of an
// interrupted run is interrupted too.
class RunScope {
 public:
  enum class Epoch : uint8_t { kNow, kCopied };
  explicit RunScope(ExecFrame& f, Epoch epoch = Epoch::kNow) noexcept;
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  ExecFrame& frame_;
  platform::StopScope stop_;
  platform::RecursiveLock::PatientScope patient_;
  MemoryScope memory_;  // what the run allocates counts against its object
};

// Ends every run of m under way now.
void InterruptRuns(QorMacro& m) noexcept;

// True once the run of f has been interrupted; never for a frame that runs
// unregistered. Asked before every statement, so it is two loads.
[[nodiscard]] inline bool Interrupted(const ExecFrame& f) noexcept {
  return f.epochNow != nullptr && f.epochNow->load(std::memory_order_relaxed) != f.epoch;
}

// Sleeps up to ms milliseconds; false when the run was interrupted meanwhile.
[[nodiscard]] bool SleepUnlessInterrupted(const ExecFrame& f, uint32_t ms) noexcept;

}  // namespace msc
