// A re-entrant lock for the object lock and the other critical sections.
//
// The state word is 0 when free, 1 when taken and 2 when taken with a thread
// possibly asleep on it; the owner word names the owning thread. Taking it
// again on the owning thread is a compare and an increment; the first take
// of a free lock is one compare-and-swap and the release one atomic
// decrement, with no system call. A contended take spins briefly, then
// sleeps on the state word (a futex) until a release wakes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace msc::platform {

class RecursiveLock {
 public:
  void lock() noexcept {
    const uintptr_t me = ThreadToken();
    if (owner_.load(std::memory_order_relaxed) == me) {
      ++depth_;
      return;
    }
    int32_t expected = 0;
    if (!state_.compare_exchange_strong(expected, 1, std::memory_order_acquire, std::memory_order_relaxed))
      LockContended();
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
  }
  void unlock() noexcept {
    if (--depth_ != 0) return;
    owner_.store(0, std::memory_order_relaxed);
    if (state_.fetch_sub(1, std::memory_order_release) != 1) UnlockContended();
  }
  // True while another thread sleeps waiting for the lock. A relaxed read,
  // cheap enough to ask between every two statements of a run.
  bool HasSleepers() const noexcept {
    return state_.load(std::memory_order_relaxed) == 2 || attention_.load(std::memory_order_relaxed);
  }
  // A flag of the lock's user that HasSleepers also reports, so that a run
  // holding the lock notices it at no cost of its own.
  void SetAttention(bool on) noexcept { attention_.store(on, std::memory_order_relaxed); }
  // Releases a lock held once, lets a waiting thread take it, and takes it
  // again. Without the hand-over, a thread that holds the lock across many
  // statements would take it back before the woken waiter could run.
  void HandOver() noexcept;
  bool OwnedByThisThread() const noexcept {
    return owner_.load(std::memory_order_relaxed) == ThreadToken();
  }

 private:
  static uintptr_t ThreadToken() noexcept {
    static thread_local char token;
    return reinterpret_cast<uintptr_t>(&token);
  }
  void LockContended() noexcept;
  void UnlockContended() noexcept;

  std::atomic<int32_t> state_{0};
  std::atomic<uintptr_t> owner_{0};
  std::atomic<bool> attention_{false};
  uint32_t depth_ = 0;  // touched only by the owner
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace msc::platform
