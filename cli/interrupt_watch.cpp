#include "interrupt_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "macro_sc/macro_sc.h"
#include "tool.h"

namespace msc::cli {
namespace {

constexpr char kSignalByte = 'i';  // the handler saw SIGINT
constexpr char kWakeByte = 'w';    // the stretch or the watcher's end changed

// A run that has not ended this long after its deadline is stuck where the
// engine cannot reach it (a host call that never returns).
constexpr auto kStuckGrace = std::chrono::seconds(2);
// How often a stopped stretch is interrupted again.
constexpr int kRepeatMs = 10;

// The write end of the self-pipe, for the handler. A lock-free atomic is
// all a handler may touch besides write(2).
std::atomic<int> g_signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnSigint(int) {
  const int saved = errno;
  const int fd = g_signalPipe.load(std::memory_order_relaxed);
  // Non-blocking: when the pipe is full, the watcher has bytes to read anyway.
  if (fd >= 0) (void)!::write(fd, &kSignalByte, 1);
  errno = saved;
}

bool MakePipe(int* readEnd, int* writeEnd) noexcept {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  *readEnd = fds[0];
  *writeEnd = fds[1];
  return true;
}

void Close(int* fd) noexcept {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

void Drain(int fd) noexcept {
  char bytes[64];
  while (::read(fd, bytes, sizeof bytes) > 0) {
  }
}

// The tool's last resort: the engine did not give the run back.
[[noreturn]] void ExitNow(const char* why, int status) noexcept {
  std::fprintf(stderr, "macro-sc: %s\n", why);
  std::_Exit(status);
}

}  // namespace

InterruptWatch::InterruptWatch(QorMacro& macro, Mode mode) noexcept : macro_(macro), mode_(mode) {
  if (!MakePipe(&signalRead_, &signalWrite_) || !MakePipe(&idleRead_, &idleWrite_)) return;
  try {
    watcher_ = std::thread([this] { Watch(); });
  } catch (const std::system_error&) {
    return;
  }
  started_ = true;
  struct sigaction current {};
  if (::sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  g_signalPipe.store(signalWrite_);
  struct sigaction action {};
  action.sa_handler = OnSigint;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // reads of the program's input go on; the engine ends them
  handlerInstalled_ = ::sigaction(SIGINT, &action, &previous_) == 0;
}

InterruptWatch::~InterruptWatch() {
  if (handlerInstalled_) (void)::sigaction(SIGINT, &previous_, nullptr);
  g_signalPipe.store(-1);
  if (watcher_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    Wake();
    watcher_.join();
  }
  Close(&signalRead_);
  Close(&signalWrite_);
  Close(&idleRead_);
  Close(&idleWrite_);
}

void InterruptWatch::BeginRuns(double timeoutSeconds) noexcept {
  {
    std::lock_guard lock(mutex_);
    running_ = true;
    stopped_ = Stopped::kNo;
    hasDeadline_ = timeoutSeconds > 0;
    if (hasDeadline_) {
      deadline_ = Clock::now() +
                  std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    }
  }
  Wake();
}

Stopped InterruptWatch::stopped() const noexcept {
  std::lock_guard lock(mutex_);
  return stopped_;
}

Stopped InterruptWatch::EndRuns() noexcept {
  std::lock_guard lock(mutex_);
  running_ = false;
  hasDeadline_ = false;
  const Stopped stopped = stopped_;
  stopped_ = Stopped::kNo;
  // No wake-up needed: the watcher tests running_ under the mutex before
  // every call, so nothing after this is interrupted.
  return stopped;
}

void InterruptWatch::TakeIdleSignal() noexcept { Drain(idleRead_); }

void InterruptWatch::Wake() noexcept { (void)!::write(signalWrite_, &kWakeByte, 1); }

void InterruptWatch::OnSignal(Clock::time_point now) noexcept {
  if (!running_) {
    (void)!::write(idleWrite_, &kSignalByte, 1);
    return;
  }
  if (stopped_ == Stopped::kNo) {
    stopped_ = Stopped::kSignal;
    stoppedAt_ = now;
  } else if (mode_ == Mode::kCommand) {
    ExitNow("interrupted again", kExitInterrupted);
  }
}

int InterruptWatch::PollWaitMs(Clock::time_point now) const noexcept {
  if (!running_) return -1;
  if (stopped_ != Stopped::kNo) return kRepeatMs;
  if (!hasDeadline_) return -1;
  if (deadline_ <= now) return 0;
  // Rounded up, so that the watcher never wakes just before the deadline.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now).count();
  return left > 60000 ? 60000 : static_cast<int>(left);
}

void InterruptWatch::Watch() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    const int waitMs = PollWaitMs(Clock::now());
    lock.unlock();
    pollfd fd{signalRead_, POLLIN, 0};
    char bytes[64];
    ssize_t count = 0;
    if (::poll(&fd, 1, waitMs) > 0) count = ::read(signalRead_, bytes, sizeof bytes);
    lock.lock();
    if (quit_) return;
    const Clock::time_point now = Clock::now();
    for (ssize_t i = 0; i < count; ++i) {
      if (bytes[i] == kSignalByte) OnSignal(now);
    }
    if (running_ && stopped_ == Stopped::kNo && hasDeadline_ && deadline_ <= now) {
      stopped_ = Stopped::kTimeout;
      stoppedAt_ = now;
    }
    if (!running_ || stopped_ == Stopped::kNo) continue;
    if (mode_ == Mode::kCommand && stopped_ == Stopped::kTimeout && now - stoppedAt_ > kStuckGrace)
      ExitNow("timed out, and the run did not stop", kExitTimedOut);
    // Called with mutex_ held, so that EndRuns cannot slip in between and
    // let this reach a run of the next stretch.
    (void)_InterruptQorMacro(&macro_);
  }
}

int WatchFailed() noexcept {
  std::fputs("macro-sc: cannot watch for Ctrl-C and --timeout\n", stderr);
  return kExitFailure;
}

int StatusAfter(Stopped stopped, int status, double timeoutSeconds) noexcept {
  switch (stopped) {
    case Stopped::kNo: return status;
    case Stopped::kSignal: return kExitInterrupted;
    case Stopped::kTimeout:
      std::fprintf(stderr, "macro-sc: timed out after %g seconds\n", timeoutSeconds);
      return kExitTimedOut;
  }
  return status;
}

}  // namespace msc::cli
