// ParallelExecute: the Task sections of a block run at the same time, each in
// a frame of its own, through the host's parallel-execution library.
//
//   ParallelExecute          <- the statement collects the tasks
//   Task                     <- task 1 starts on this line
//     ...
//   Task                     <- task 2 starts here; task 1 ends before it
//     ...
//   End ParallelExecute      <- every task ends here; the caller goes on
//
// Tasks share the macro object (variables, files, error state) and take the
// object lock around every evaluation and assignment as any run does; their
// Gosub, For, If and Try blocks live on their own control stacks.
#include <memory>
#include <new>

#include "api/qor_macro.h"
#include "engine/active_frames.h"
#include "engine/debug_hooks.h"
#include "engine/interrupt.h"
#include "engine/report.h"
#include "engine/run.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/console.h"
#include "statements/block_search.h"
#include "statements/handlers.h"

namespace msc {
namespace {

constexpr int kMaxTasks = 31;
constexpr uint32_t kTraceMode = 2;
// A block without its Task or End ParallelExecute: the number of the nearest
// block error, as no message names this one.
constexpr ErrNo kErrMissingBlockEnd = 123;

// Runs one task from just after its Task word to the next boundary line.
// Starting after the word rather than at the start of its line keeps a block
// written on one line ("ParallelExecute : Task : ...") from starting itself
// again in every task.
int32_t RunTask(void* argument) {
  ExecFrame& f = *static_cast<ExecFrame*>(argument);
  QorMacro& m = *f.macro;
  uint8_t* const base = f.top;
  // A worker thread: the task's output goes where its object's goes.
  platform::ConsoleRoute route(m.console);
  RunScope run(f, RunScope::Epoch::kCopied);
  RunHold hold(m.lock);
  ActiveFrame active(f);
  // A debugger lists the task as a thread of its own while it runs.
  struct Watched {
    ExecFrame& frame;
    debug::Driver* driver;
    explicit Watched(ExecFrame& f) noexcept : frame(f), driver(f.macro->debugDriver.load()) {
      if (driver != nullptr) driver->TaskStarted(frame);
    }
    ~Watched() {
      if (driver != nullptr) driver->TaskEnded(frame);
    }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;
  } watched(f);
  for (;;) {
    if ((m.reportMode & 15) == kTraceMode) {
      hold.Release();
      TraceEcho(f);
    }
    const ErrNo e = DispatchLine(f, base, hold, LineFollow::kToTaskBoundary);
    if (e != kOk) {
      // Only this task ends; the others and the statement go on.
      f.PopTo(base);
      ReportError(e, m.reportMode, f);
      return 0;
    }
    uint8_t* next = f.line + RecordLength(f.line);
    if (RecordLength(next) == 0 || StartsWithTaskBoundary(next)) return 0;
    JumpTo(f, next);
    if (!WatchBeforeLine(f, hold)) return 0;
  }
}

// The frames of one statement; unwound and freed when it ends.
struct TaskFrames {
  std::unique_ptr<ExecFrame> frames[kMaxTasks];
  PARALLELPROC records[kMaxTasks + 1] = {};
  int count = 0;
};

}  // namespace

ErrNo StmtParallelExecute(ExecFrame& f) noexcept {
  std::unique_ptr<TaskFrames> tasks(new (std::nothrow) TaskFrames);
  if (!tasks) return kErrOutOfMemory;
  // A failed search leaves the statement where it began, so that the report
  // shows the ParallelExecute line.
  uint8_t* const startLine = f.line;
  const uint8_t* const startPos = f.pos;
  const auto missingEnd = [&] {
    f.line = startLine;
    f.pos = startPos;
    f.tokenStart = startPos;
    return kErrMissingBlockEnd;
  };
  if (!BlockSearch(f, tok::Task, tok::EndParallelExecute)) return missingEnd();
  for (;;) {
    f.pos = f.tokenStart;
    Token t;
    (void)ReadToken(f, t);
    if (t.code != tok::Task) {
      f.pos = f.tokenStart;  // the run loop executes End ParallelExecute
      break;
    }
    auto& frame = tasks->frames[tasks->count];
    frame.reset(new (std::nothrow) ExecFrame(f.macro));
    if (!frame) return kErrOutOfMemory;
    frame->CopyFrom(f);
    tasks->records[tasks->count] = PARALLELPROC{RunTask, frame.get()};
    // With the last task collected the caller stands after its Task word and
    // runs that task's statements itself once all tasks are done.
    if (++tasks->count == kMaxTasks) break;
    if (!BlockSearch(f, tok::Task, tok::EndParallelExecute)) return missingEnd();
  }
  tasks->records[tasks->count] = PARALLELPROC{nullptr, nullptr};
  return ParallelExecute(tasks->records) == 0 ? kOk : kErrIllegalCall;
}

}  // namespace msc
