// Ctrl-C and --timeout for the commands that run programs.
//
//   SIGINT handler --byte--> self-pipe --> watcher thread --> _InterruptQorMacro
//                                              |   (also when the deadline passes)
//                                              +--byte--> idle pipe --> the prompt
//
// A signal handler may do next to nothing, and _InterruptQorMacro takes a
// mutex, so the handler only writes a byte and a thread of the tool makes
// the call. The call reaches only the runs under way when it is made, so
// once a stretch of runs is to stop the watcher repeats it every few
// milliseconds until the stretch ends: a run that was just starting is
// caught too.
#pragma once

#include <signal.h>

#include <chrono>
#include <mutex>
#include <thread>

class QorMacro;

namespace msc::cli {

// What ended a stretch of runs early.
enum class Stopped { kNo, kSignal, kTimeout };

class InterruptWatch {
 public:
  enum class Mode {
    // run and exec: a second Ctrl-C, or a run that has not stopped a while
    // after its deadline, ends the tool at once (status 130 or 124).
    kCommand,
    // The interactive mode: the session survives every Ctrl-C.
    kSession,
  };

  // Installs the SIGINT handler (unless SIGINT was inherited as ignored, as
  // a background job of a shell has it) and starts the watcher.
  InterruptWatch(QorMacro& macro, Mode mode) noexcept;
  // Stops the watcher and puts the previous SIGINT action back.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // False when the pipes or the thread could not be had (nothing is watched).
  explicit operator bool() const noexcept { return started_; }

  // From now on Ctrl-C, and the passing of timeoutSeconds (0: never), stop
  // every run on the object.
  void BeginRuns(double timeoutSeconds) noexcept;
  // What has stopped the stretch so far; a caller tests it before starting
  // another run of the stretch.
  [[nodiscard]] Stopped stopped() const noexcept;
  // Ends the stretch; Ctrl-C goes to the idle descriptor again.
  Stopped EndRuns() noexcept;

  // Readable after a Ctrl-C outside a stretch of runs; TakeIdleSignal
  // empties it.
  [[nodiscard]] int IdleSignalFd() const noexcept { return idleRead_; }
  void TakeIdleSignal() noexcept;

 private:
  using Clock = std::chrono::steady_clock;

  void Watch() noexcept;
  void Wake() noexcept;
  void OnSignal(Clock::time_point now) noexcept;  // mutex_ held
  int PollWaitMs(Clock::time_point now) const noexcept;  // mutex_ held

  QorMacro& macro_;
  const Mode mode_;
  bool started_ = false;
  bool handlerInstalled_ = false;
  struct sigaction previous_ {};
  int signalRead_ = -1, signalWrite_ = -1;
  int idleRead_ = -1, idleWrite_ = -1;

  mutable std::mutex mutex_;
  bool quit_ = false;
  bool running_ = false;
  bool hasDeadline_ = false;
  Clock::time_point deadline_{};
  Stopped stopped_ = Stopped::kNo;
  Clock::time_point stoppedAt_{};
  std::thread watcher_;
};

// Reports that a watch could not start; returns kExitFailure.
int WatchFailed() noexcept;

// The exit status for a stretch that was stopped, else status; a timeout is
// also reported on stderr.
int StatusAfter(Stopped stopped, int status, double timeoutSeconds) noexcept;

}  // namespace msc::cli
