// A re-entrant lock for the object lock and the other critical sections.
//
// The whole state is the owner word: 0 when free, else a token of the owning
// thread. Taking it again on the owning thread is a compare and an increment;
// the first take of a free lock is one compare-and-swap, and the release one
// store and one load, with no system call. A contended take spins briefly,
// then sleeps on the owner word (a futex) until a release wakes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace msc::platform {

class RecursiveLock {
 public:
  void lock() noexcept {
    const uintptr_t me = ThreadToken();
    uintptr_t owner = owner_.load(std::memory_order_relaxed);
    if (owner == me) {
      ++depth_;
      return;
    }
    if (owner != 0 || !owner_.compare_exchange_strong(owner, me, std::memory_order_acquire,
                                                      std::memory_order_relaxed)) {
      LockContended(me);
    }
    depth_ = 1;
  }
  void unlock() noexcept {
    if (--depth_ == 0) {
      // Sequentially consistent on both sides with the sleeper's count and
      // check, so a sleeper either sees the free word or is counted here.
      owner_.store(0, std::memory_order_seq_cst);
      if (sleepers_.load(std::memory_order_seq_cst) != 0) owner_.notify_all();
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
  bool TryTake(uintptr_t me) noexcept {
    uintptr_t expected = 0;
    return owner_.compare_exchange_strong(expected, me, std::memory_order_acquire,
                                          std::memory_order_relaxed);
  }
  void LockContended(uintptr_t me) noexcept {
    for (int spins = 0; spins < kSpins; ++spins) {
      if (owner_.load(std::memory_order_relaxed) == 0 && TryTake(me)) return;
    }
    for (;;) {
      sleepers_.fetch_add(1, std::memory_order_seq_cst);
      const uintptr_t seen = owner_.load(std::memory_order_seq_cst);
      if (seen != 0) owner_.wait(seen, std::memory_order_seq_cst);
      sleepers_.fetch_sub(1, std::memory_order_seq_cst);
      if (TryTake(me)) return;
    }
  }

  std::atomic<uintptr_t> owner_{0};
  std::atomic<uint32_t> sleepers_{0};
  uint32_t depth_ = 0;  // touched only by the owner
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace msc::platform
