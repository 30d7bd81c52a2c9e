// Running intermediate code: the drivers, the run loop and statement dispatch.
#pragma once

#include <cstdint>

#include "api/qor_macro.h"
#include "engine/errors.h"
#include "engine/frame.h"
#include "platform/lock.h"

namespace msc {

// Compiles one line and runs it, or edits the program when it is numbered.
// The step mode of the run is stored in *stepMode when given.
[[nodiscard]] ErrNo DirectExecute(QorMacro& m, const char* text, uint32_t* stepMode = nullptr) noexcept;

// Runs the routine at a label (asterisk included, upper case) as a subroutine;
// -1 for an empty label, 32 when no line defines it.
[[nodiscard]] ErrNo RunLabel(QorMacro& m, const char* label) noexcept;

// Runs from the frame's current line until the program ends or the run returns.
[[nodiscard]] ErrNo RunLoop(ExecFrame& f, uint8_t* base) noexcept;

// The object lock held across the statements of a run that only compute,
// assign and jump, so that they do not each take and release it. Statements
// that may wait, print or call out run with it released. A thread waiting
// for it is handed it at the next statement once the lock says so: at once
// for a host thread, after a time slice for another run.
class RunHold {
 public:
  explicit RunHold(platform::RecursiveLock& lock) noexcept : lock_(lock) {}
  ~RunHold() { Release(); }
  RunHold(const RunHold&) = delete;
  RunHold& operator=(const RunHold&) = delete;

  void Hold() noexcept {
    if (!held_) {
      lock_.lock();
      held_ = true;
    } else if (lock_.HandOverWanted()) [[unlikely]] {
      lock_.HandOver();
    }
  }
  // Between two statements of a run that holds the lock: hands it to a
  // thread owed it. True when it did, since that thread may have changed
  // what the run found before (an edit drops every decoded form), and when
  // the run may have been interrupted.
  bool Yielded() noexcept {
    if (!lock_.HandOverWanted()) [[likely]] return false;
    lock_.HandOver();
    return true;
  }
  const platform::RecursiveLock& Lock() const noexcept { return lock_; }
  void Release() noexcept {
    if (held_) {
      lock_.unlock();
      held_ = false;
    }
  }

 private:
  platform::RecursiveLock& lock_;
  bool held_ = false;
};

// Executes the statements of the current line; the hold is released before
// any statement that may wait or call out, and on an error. Following lines,
// the run goes on into the next lines while nothing is traced or stepped, so
// that its caller is returned to only at the end of the program (or of a
// task), on an error, or when a line must be shown first.
[[nodiscard]] ErrNo DispatchLine(ExecFrame& f, uint8_t* base, RunHold& hold,
                                 LineFollow follow = LineFollow::kStayOnLine) noexcept;

// True when the line's first token, after spacing, is a task boundary (Task
// or End ParallelExecute), where a ParallelExecute task ends.
[[nodiscard]] bool StartsWithTaskBoundary(const uint8_t* line) noexcept;

// The report mode in which every line run is printed.
inline constexpr uint32_t kReportTrace = 2;

// Asks the debugger watching the object, if any, whether to stop before the
// current line, and stops there as single-stepping does. False when the
// program was edited at the stop so that no line is left to run.
[[nodiscard]] bool WatchBeforeLine(ExecFrame& f, RunHold& hold) noexcept;

// Prints the current line with its number.
void EchoCurrentLine(ExecFrame& f) noexcept;

// Sets m.watched from the report mode and the debugger; called after either
// changes.
void UpdateWatched(QorMacro& m) noexcept;

// In trace mode or while stepping, prints the current line with its number.
// Next, Goto and the like pass here on every run, so the usual case, neither
// tracing nor stepping, is an inline test.
inline void TraceEcho(ExecFrame& f) noexcept {
  if (f.stepFlag != 0 || (f.macro->reportMode & 15) == kReportTrace) [[unlikely]] EchoCurrentLine(f);
}

// TraceEcho in a decoded form, which runs only while nothing is stepped:
// the watch word says whether a trace may be on.
inline void FormTraceEcho(ExecFrame& f) noexcept {
  if (f.macro->watched.load(std::memory_order_relaxed) != 0) [[unlikely]] TraceEcho(f);
}

// Makes record the current line with the code position on its first code byte.
inline void JumpTo(ExecFrame& f, uint8_t* record) noexcept {
  f.line = record;
  f.pos = record + 6;
  f.tokenStart = f.pos;
}

}  // namespace msc
