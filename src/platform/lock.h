// A re-entrant lock for the object lock and the other critical sections.
//
// The lock word:
//
//   bit 0  kLocked     someone owns the lock
//   bit 1  kQueued     threads sleep in the queue
//   bit 2  kWanted     the head of the queue must get the lock next
//   bit 3  kAttention  a flag of the lock's user (an interrupt), reported
//                      by HandOverWanted as a wanted hand-over is
//   bit 4  kSpinner    a run that gave the lock to a host thread waits
//                      awake to take it back
//
// Uncontended, taking the lock is a load and one compare-and-swap and the
// release one compare-and-swap, with no system call; taking it again on the
// owning thread is a compare and an increment.
//
// Contended, waiters queue in order and sleep, each on a word of its own.
// A thread that runs statements holds the lock across many of them and asks
// HandOverWanted between two (one relaxed load). Handing the lock over at
// every such point while another run waits would make two runs trade it
// thousands of times a second, each trade a wake-up, a sleep and a cache
// line moving between cores: two compute-bound runs would take many times
// what the same runs take one after the other. So the head of the queue is
// patient: it lets the holder run for a time slice (5 ms,
// measured from the moment it became the head; an urgent waiter served
// ahead of it meanwhile neither restarts nor wakes it) before it sets
// kWanted, and the holder then hands the lock over to it directly at its
// next point; the head waits for that awake a short while, so the hand-over
// needs no wake-up call.
// A thread that is not running statements (a host thread reading a
// variable) is urgent: it queues ahead of every patient waiter and sets
// kWanted at once, so it gets in within one statement of the holder; the
// holder then waits awake to take the lock back, rather than asleep, so the
// host thread's release wakes nobody.
//
// A release while threads wait and no hand-over is wanted frees the lock
// and wakes the head, which takes it unless a running thread comes back
// first (it may: the head keeps its place and its slice runs on). A release
// while kWanted is set hands the lock to the head directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace msc::platform {

class RecursiveLock {
 public:
  RecursiveLock() = default;
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock() noexcept {
    const uintptr_t me = ThreadToken();
    if (owner_.load(std::memory_order_relaxed) == me) {
      ++depth_;
      return;
    }
    uint32_t w = word_.load(std::memory_order_relaxed);
    if ((w & (kLocked | kWanted)) != 0 ||
        !word_.compare_exchange_strong(w, w | kLocked, std::memory_order_acquire, std::memory_order_relaxed))
      LockContended();
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
  }
  void unlock() noexcept {
    if (--depth_ != 0) return;
    owner_.store(0, std::memory_order_relaxed);
    uint32_t w = kLocked;
    if (!word_.compare_exchange_strong(w, 0, std::memory_order_release, std::memory_order_relaxed))
      UnlockContended();
  }
  // True when the holder should hand the lock over (a waiter's slice is
  // up, or an urgent waiter came), or when the user's attention flag is up.
  // A relaxed read, cheap enough to ask between every two statements.
  bool HandOverWanted() const noexcept {
    return (word_.load(std::memory_order_relaxed) & (kWanted | kAttention)) != 0;
  }
  // Held once by this thread: gives the lock to the head of the queue, if
  // any, and queues behind the others to take it back.
  void HandOver() noexcept;
  bool OwnedByThisThread() const noexcept {
    return owner_.load(std::memory_order_relaxed) == ThreadToken();
  }
  // A flag of the lock's user that HandOverWanted also reports, so that a
  // thread holding the lock across statements notices it at no cost.
  void SetAttention(bool on) noexcept {
    if (on) {
      word_.fetch_or(kAttention, std::memory_order_relaxed);
    } else {
      word_.fetch_and(~kAttention, std::memory_order_relaxed);
    }
  }

  // While one lives on a thread, the thread's waits for any lock are
  // patient: the threads that run statements mark themselves so.
  class PatientScope {
   public:
    PatientScope() noexcept { ++patientDepth_; }
    ~PatientScope() { --patientDepth_; }
    PatientScope(const PatientScope&) = delete;
    PatientScope& operator=(const PatientScope&) = delete;
  };

  // How long a patient head of the queue lets the holder run. Tried with 2
  // to 31 compute-bound tasks on a loaded two-core machine, 1, 2 and 5 ms:
  // the longer slice lost the least to wake-ups, and host threads do not
  // wait for it. The switch interval of CPython's interpreter lock is the
  // same 5 ms.
  static constexpr int64_t kSliceNanoseconds = 5'000'000;

 private:
  struct Waiter;
  class Wakes;
  static constexpr uint32_t kLocked = 1;
  static constexpr uint32_t kQueued = 2;
  static constexpr uint32_t kWanted = 4;
  static constexpr uint32_t kAttention = 8;
  static constexpr uint32_t kSpinner = 16;

  static uintptr_t ThreadToken() noexcept {
    static thread_local char token;
    return reinterpret_cast<uintptr_t>(&token);
  }
  void LockContended() noexcept;
  void UnlockContended() noexcept;
  // The slow paths, with queue_ held.
  [[nodiscard]] bool TryTakeFree() noexcept;
  void Enqueue(Waiter& w) noexcept;
  void GrantHead(Wakes& wakes) noexcept;
  void MakeHead(Waiter* w, Wakes& wakes) noexcept;
  void UpdateQueueBits() noexcept;
  void Sleep(Waiter& w) noexcept;
  [[nodiscard]] bool TakeFreeOrEnqueue(Waiter& w) noexcept;
  [[nodiscard]] bool SpinBack() noexcept;

  std::atomic<uint32_t> word_{0};
  std::atomic<uintptr_t> owner_{0};
  uint32_t depth_ = 0;  // touched only by the owner
  std::mutex queue_;    // guards the queue below; taken on contended paths only
  Waiter* head_ = nullptr;
  Waiter* tail_ = nullptr;
  static thread_local int patientDepth_;
};

using LockGuard = std::lock_guard<RecursiveLock>;

}  // namespace msc::platform
