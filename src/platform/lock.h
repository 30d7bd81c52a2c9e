// A re-entrant lock for the object lock and the other critical sections.
//
// Taking it again on the owning thread is a compare and an increment; the
// first take of an uncontended lock is one atomic exchange, with no system
// call. A contended take spins briefly, then sleeps on a futex-backed mutex.
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
    if (!mutex_.try_lock()) {
      int spins = 0;
      while (spins < kSpins && !mutex_.try_lock()) ++spins;
      if (spins == kSpins) mutex_.lock();
    }
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
  }
  void unlock() noexcept {
    if (--depth_ == 0) {
      owner_.store(0, std::memory_order_relaxed);
      mutex_.unlock();
    }
  }
  bool OwnedByThisThread() const noexcept {
    return owner_.load(std::memory_order_relaxed) == ThreadToken();
  }

 private:
  static constexpr int kSpins = 1000;
  static uintptr_t ThreadToken() noexcept {
    static thread_local char token;
    return reinterpret_cast<uintptr_t>(&token);
  }
  std::mutex mutex_;
  std::atomic<uintptr_t> owner_{0};
  uint32_t depth_ = 0;
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace msc::platform
