// The contended paths of the re-entrant lock: the queue of waiters, their
// sleep on a futex word of their own, and the hand-over.
//
// Every change of the queue and every decision about who gets the lock next
// is made with queue_ held, so the lock word's kQueued and kWanted bits
// always describe the queue; only taking a free lock (no kWanted) and
// releasing a lock nobody waits for happen on the word alone.
#include "platform/lock.h"

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <chrono>

namespace msc::platform {

// A thread waiting for the lock, on its own stack. signal is written with
// queue_ held and read by its thread; the thread sleeps on it.
struct RecursiveLock::Waiter {
  static constexpr uint32_t kWaiting = 0;
  static constexpr uint32_t kGranted = 1;  // the lock is now this thread's
  static constexpr uint32_t kPoked = 2;    // something changed: look again

  std::atomic<uint32_t> signal{kWaiting};
  // Set while the thread sleeps on signal: a thread that only waits awake
  // needs no wake-up call.
  std::atomic<bool> asleep{false};
  // Wakes of this waiter still to be made by threads that left queue_;
  // the waiter outlives them.
  std::atomic<uint32_t> wakers{0};
  bool urgent = false;
  // A patient head sleeping until its slice is over (with queue_ held),
  // which an urgent waiter queued ahead of it leaves sleeping.
  bool timingSlice = false;
  Waiter* next = nullptr;
  int64_t headSince = 0;  // steady clock, when it became the head

  Waiter() = default;
  Waiter(const Waiter&) = delete;
  Waiter& operator=(const Waiter&) = delete;
  ~Waiter() {
    while (wakers.load(std::memory_order_acquire) != 0) sched_yield();
  }
};

// The futex wakes decided with queue_ held, made once it is released. A
// wake may switch the waker's core to the woken thread at once; made
// with queue_ held, it would leave queue_ held by a thread that does not
// run, and a host thread would wait for it a whole time slice.
class RecursiveLock::Wakes {
 public:
  Wakes() = default;
  Wakes(const Wakes&) = delete;
  Wakes& operator=(const Wakes&) = delete;
  ~Wakes();
  // Gives w a new signal; true when w sleeps and is to be woken.
  bool Signal(Waiter& w, uint32_t value) noexcept;

 private:
  // A section grants the head and makes the next one the head at most.
  static constexpr int kMost = 2;
  Waiter* waiters_[kMost] = {};
  int count_ = 0;
};

thread_local int RecursiveLock::patientDepth_ = 0;

namespace {

// Enough to catch a holder that leaves at once (a host thread reading one
// variable) without burning a core while a run holds the lock for its slice.
constexpr int kSpins = 100;
// How long a run that stepped aside for a host thread waits awake to take
// the lock back; a host thread's access takes microseconds.
constexpr int64_t kSpinBackNanoseconds = 500'000;

int64_t Now() noexcept {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int* Word(std::atomic<uint32_t>& a) noexcept {
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(int), "a futex is the word itself");
  return reinterpret_cast<int*>(&a);
}

// Sleeps while a still holds expected, for at most timeout nanoseconds (none
// when negative). Returns early on a wake, a signal or a spurious wake-up.
void FutexWait(std::atomic<uint32_t>& a, uint32_t expected, int64_t timeout) noexcept {
  timespec ts{};
  timespec* limit = nullptr;
  if (timeout >= 0) {
    ts.tv_sec = static_cast<time_t>(timeout / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(timeout % 1'000'000'000);
    limit = &ts;
  }
  syscall(SYS_futex, Word(a), FUTEX_WAIT_PRIVATE, static_cast<int>(expected), limit, nullptr, 0);
}

void FutexWake(std::atomic<uint32_t>& a) noexcept {
  syscall(SYS_futex, Word(a), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// How long an urgent waiter watches its signal before it sleeps.
constexpr int64_t kUrgentSpinNanoseconds = 50'000;

// Tries done() awake for at most nanoseconds (the clock read every 64
// tries); true when it succeeded.
template <typename Done>
bool SpinFor(int64_t nanoseconds, Done done) noexcept {
  const int64_t until = Now() + nanoseconds;
  for (int round = 1;; ++round) {
    if (done()) return true;
    if (round % 64 == 0 && Now() >= until) return false;
  }
}

// Watches a waiter's signal awake for a bounded while; true when it changed.
// It yields between two looks: a waiter woken onto the holder's core (a
// host thread back from its sleep, a head whose slice is up) has taken the
// core from the holder, which must run to its next statement to hand the
// lock over. Watching without yielding, it would keep the holder off for
// its whole while and then sleep, and the hand-over would need a wake-up.
bool AwaitSignal(const std::atomic<uint32_t>& signal, uint32_t waiting) noexcept {
  return SpinFor(kUrgentSpinNanoseconds, [&signal, waiting] {
    if (signal.load(std::memory_order_acquire) != waiting) return true;
    sched_yield();
    return false;
  });
}

}  // namespace

// queue_ is held, so the waiter is still waiting. Both sides order their
// two accesses totally: either the sleeper sees the new signal before it
// sleeps (the futex wait returns at once) or this sees it asleep. wakers
// counts the wake before the signal can let the waiter go.
bool RecursiveLock::Wakes::Signal(Waiter& w, uint32_t value) noexcept {
  w.wakers.fetch_add(1, std::memory_order_seq_cst);
  w.signal.store(value, std::memory_order_seq_cst);
  if (!w.asleep.load(std::memory_order_seq_cst)) {
    w.wakers.fetch_sub(1, std::memory_order_release);
    return false;
  }
  assert(count_ < kMost);
  waiters_[count_++] = &w;
  return true;
}

RecursiveLock::Wakes::~Wakes() {
  for (int i = 0; i < count_; ++i) {
    FutexWake(waiters_[i]->signal);
    waiters_[i]->wakers.fetch_sub(1, std::memory_order_release);
  }
}

// With queue_ held: takes the lock when it is free and no hand-over is owed.
bool RecursiveLock::TryTakeFree() noexcept {
  uint32_t w = word_.load(std::memory_order_relaxed);
  while ((w & (kLocked | kWanted)) == 0) {
    if (word_.compare_exchange_weak(w, w | kLocked, std::memory_order_acquire, std::memory_order_relaxed))
      return true;
  }
  return false;
}

void RecursiveLock::MakeHead(Waiter* w, Wakes& wakes) noexcept {
  if (w == nullptr) return;
  // The head again after an urgent waiter that cut in was served: its slice
  // runs on from where it was, and its timed sleep ends it. Woken now, it
  // would take the core of the run that stepped aside for the urgent
  // waiter, and the lock that run is spinning to take back.
  if (w->timingSlice) return;
  w->headSince = Now();
  // A waiter that was not the head sleeps without a limit; wake it so that
  // it starts timing its slice.
  if (!w->urgent) (void)wakes.Signal(*w, Waiter::kPoked);
}

void RecursiveLock::UpdateQueueBits() noexcept {
  if (head_ == nullptr) {
    word_.fetch_and(~(kQueued | kWanted), std::memory_order_relaxed);
    return;
  }
  word_.fetch_or(head_->urgent ? kQueued | kWanted : kQueued, std::memory_order_relaxed);
}

// Urgent waiters queue behind the urgent ones already there, ahead of every
// patient one; patient waiters queue at the end.
void RecursiveLock::Enqueue(Waiter& me) noexcept {
  Waiter* const oldHead = head_;
  if (!me.urgent || head_ == nullptr || !head_->urgent) {
    if (me.urgent) {
      me.next = head_;
      head_ = &me;
      if (tail_ == nullptr) tail_ = &me;
    } else {
      if (tail_ != nullptr) tail_->next = &me;
      tail_ = &me;
      if (head_ == nullptr) head_ = &me;
    }
  } else {
    Waiter* after = head_;
    while (after->next != nullptr && after->next->urgent) after = after->next;
    me.next = after->next;
    after->next = &me;
    if (tail_ == after) tail_ = &me;
  }
  if (head_ != oldHead) me.headSince = Now();
  UpdateQueueBits();
}

// With queue_ held and the lock owned by nobody in particular (its kLocked
// bit set, owner_ and depth_ cleared by the giver): the head becomes the
// owner, and the next waiter the head.
void RecursiveLock::GrantHead(Wakes& wakes) noexcept {
  Waiter* const h = head_;
  assert(h != nullptr);
  head_ = h->next;
  if (head_ == nullptr) tail_ = nullptr;
  word_.fetch_and(~kWanted, std::memory_order_relaxed);
  UpdateQueueBits();
  MakeHead(head_, wakes);
  (void)wakes.Signal(*h, Waiter::kGranted);
}

// Returns once the lock is this thread's.
void RecursiveLock::Sleep(Waiter& me) noexcept {
  for (;;) {
    int64_t timeout = -1;
    bool owed = false;
    {
      Wakes wakes;
      std::lock_guard<std::mutex> hold(queue_);
      if (me.signal.load(std::memory_order_relaxed) == Waiter::kGranted) return;
      me.signal.store(Waiter::kWaiting, std::memory_order_relaxed);
      if (head_ == &me) {
        uint32_t w = word_.load(std::memory_order_relaxed);
        bool taken = false;
        // The head may take a free lock whatever kWanted says: it is owed.
        while ((w & kLocked) == 0 && !taken)
          taken = word_.compare_exchange_weak(w, w | kLocked, std::memory_order_acquire, std::memory_order_relaxed);
        if (taken) {
          head_ = me.next;
          if (head_ == nullptr) tail_ = nullptr;
          word_.fetch_and(~kWanted, std::memory_order_relaxed);
          UpdateQueueBits();
          MakeHead(head_, wakes);
          return;
        }
        if (!me.urgent) {
          const int64_t waited = Now() - me.headSince;
          if (waited >= kSliceNanoseconds) {
            word_.fetch_or(kWanted, std::memory_order_relaxed);
            owed = true;
          } else {
            timeout = kSliceNanoseconds - waited;
          }
        }
      }
      me.timingSlice = timeout >= 0;
    }
    // A waiter owed the lock is handed it within a statement of the
    // holder: waiting awake a little while spares it the wake-up, which on
    // an idle core takes longer than the whole access, and spares the
    // holder the wake call.
    if ((me.urgent || owed) && AwaitSignal(me.signal, Waiter::kWaiting)) continue;
    me.asleep.store(true, std::memory_order_seq_cst);
    FutexWait(me.signal, Waiter::kWaiting, timeout);
    me.asleep.store(false, std::memory_order_relaxed);
  }
}

void RecursiveLock::LockContended() noexcept {
  for (int spin = 0; spin < kSpins; ++spin) {
    uint32_t w = word_.load(std::memory_order_relaxed);
    if ((w & (kLocked | kWanted | kQueued)) == 0 &&
        word_.compare_exchange_weak(w, w | kLocked, std::memory_order_acquire, std::memory_order_relaxed))
      return;
  }
  Waiter me;
  me.urgent = patientDepth_ == 0;
  {
    std::lock_guard<std::mutex> hold(queue_);
    if (TryTakeFree()) return;
    Enqueue(me);
  }
  Sleep(me);
}

void RecursiveLock::UnlockContended() noexcept {
  Wakes wakes;
  std::lock_guard<std::mutex> hold(queue_);
  if (head_ == nullptr) {
    word_.fetch_and(~(kLocked | kQueued | kWanted), std::memory_order_release);
    return;
  }
  if ((word_.load(std::memory_order_relaxed) & kWanted) != 0) {
    GrantHead(wakes);
    return;
  }
  // Nobody is owed the lock yet: free it. A run that stepped aside for this
  // thread is spinning to take it back; otherwise the head tries for it.
  const uint32_t before = word_.fetch_and(~kLocked, std::memory_order_release);
  if ((before & kSpinner) == 0) (void)wakes.Signal(*head_, Waiter::kPoked);
}

// Waits awake, a bounded while, to take back the lock an urgent waiter was
// given; true when it did. Waking a sleeping run from the urgent thread's
// release would often put the woken run on that thread's core and keep the
// host thread off it for milliseconds. The urgent waiter may be on this
// core (it took the core to ask, or was woken onto it): the spin yields at
// every try, so that it runs at once.
bool RecursiveLock::SpinBack() noexcept {
  return SpinFor(kSpinBackNanoseconds, [this] {
    sched_yield();
    uint32_t w = word_.load(std::memory_order_relaxed);
    return (w & (kLocked | kWanted)) == 0 &&
           word_.compare_exchange_weak(w, (w | kLocked) & ~kSpinner, std::memory_order_acquire,
                                       std::memory_order_relaxed);
  });
}

// With queue_ held: takes a free lock nobody is owed, or queues me.
bool RecursiveLock::TakeFreeOrEnqueue(Waiter& me) noexcept {
  if (TryTakeFree()) return true;
  Enqueue(me);
  return false;
}

void RecursiveLock::HandOver() noexcept {
  if (depth_ != 1) return;  // held further out as well: nothing to hand over
  Waiter me;
  bool spinning = false;
  {
    Wakes wakes;
    std::lock_guard<std::mutex> hold(queue_);
    if ((word_.load(std::memory_order_relaxed) & kWanted) == 0 || head_ == nullptr) return;
    owner_.store(0, std::memory_order_relaxed);
    depth_ = 0;
    const bool urgent = head_->urgent;
    GrantHead(wakes);
    if (urgent && (word_.load(std::memory_order_relaxed) & kSpinner) == 0) {
      word_.fetch_or(kSpinner, std::memory_order_relaxed);
      spinning = true;
    } else {
      Enqueue(me);
    }
  }
  if (spinning) {
    if (SpinBack()) {
      owner_.store(ThreadToken(), std::memory_order_relaxed);
      depth_ = 1;
      return;
    }
    std::lock_guard<std::mutex> hold(queue_);
    word_.fetch_and(~kSpinner, std::memory_order_relaxed);
    if (TakeFreeOrEnqueue(me)) {
      owner_.store(ThreadToken(), std::memory_order_relaxed);
      depth_ = 1;
      return;
    }
  }
  Sleep(me);
  owner_.store(ThreadToken(), std::memory_order_relaxed);
  depth_ = 1;
}

}  // namespace msc::platform
