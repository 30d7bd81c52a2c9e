// The contended paths of the re-entrant lock: sleeping and waking on the
// state word with the futex system call.
#include "platform/lock.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <sched.h>
#include <unistd.h>

namespace msc::platform {
namespace {

constexpr int kSpins = 1000;

int32_t* Word(std::atomic<int32_t>& state) noexcept {
  static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t), "the futex is the state word itself");
  return reinterpret_cast<int32_t*>(&state);
}

}  // namespace

void RecursiveLock::LockContended() noexcept {
  for (int spins = 0; spins < kSpins; ++spins) {
    int32_t expected = 0;
    if (state_.load(std::memory_order_relaxed) == 0 &&
        state_.compare_exchange_strong(expected, 1, std::memory_order_acquire, std::memory_order_relaxed))
      return;
  }
  // From here on the word says 2 while this thread may sleep, so that the
  // release knows to wake someone; taking it this way keeps the 2.
  while (state_.exchange(2, std::memory_order_acquire) != 0) {
    // Returns at once when the word is no longer 2, or on a spurious wake.
    syscall(SYS_futex, Word(state_), FUTEX_WAIT_PRIVATE, 2, nullptr, nullptr, 0);
  }
}

void RecursiveLock::HandOver() noexcept {
  if (depth_ != 1) return;  // held further out as well: nothing to hand over
  unlock();
  // The woken waiter needs some microseconds to run; wait until it (or any
  // other thread) has the lock, within a bound, so the lock really changes hands.
  for (int i = 0; i < 200 && owner_.load(std::memory_order_relaxed) == 0; ++i) sched_yield();
  lock();
}

void RecursiveLock::UnlockContended() noexcept {
  state_.store(0, std::memory_order_release);
  syscall(SYS_futex, Word(state_), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace msc::platform
