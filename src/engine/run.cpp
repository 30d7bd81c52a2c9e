// The drivers that start runs, the run loop that walks the program line by
// line, and the dispatcher that executes the statements of one line.
//
// The loop and the dispatcher are the hot path: per statement they read one
// token and make one table call, with no allocation and no name lookup. The
// trace listing buffer exists only once a thread has traced or stepped.
#include "engine/run.h"

#include <cassert>
#include <cstring>
#include <memory>
#include <new>

#include "api/qor_macro.h"
#include "engine/active_frames.h"
#include "engine/debug_console.h"
#include "engine/debug_hooks.h"
#include "engine/evaluator.h"
#include "engine/host_names.h"
#include "engine/interrupt.h"
#include "engine/report.h"
#include "engine/saved_variables.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/listing.h"
#include "frontend/token_reader.h"
#include "platform/console.h"
#include "platform/lock.h"
#include "statements/error_trapping.h"
#include "statements/handlers.h"
#include "statements/procedures.h"
#include "statements/quick_statements.h"

namespace msc {
namespace {

constexpr uint32_t kTraceMode = kReportTrace;
constexpr char kLineBufferOverflow[] = "Line buffer overflow";

// The source copy and the scratch record of one direct execution.
//
//   record:  +0 u16 length  +2 u32 line number (0)  +6 code ... 00  [00 00]
//                                                                ^ end of the one-line program
struct LineBuffers {
  char text[kLineBufferSize];
  alignas(8) uint8_t record[kLineHeader + kLineBufferSize + 8];
};

// Direct executions nest (a line typed at the debug console runs inside the
// run that stopped), so each call takes its own buffers. One spare set per
// thread spares the common, non-nested case an allocation.
class LineBufferLease {
 public:
  LineBufferLease() noexcept : buffers_(spare_ ? spare_.release() : new (std::nothrow) LineBuffers) {}
  ~LineBufferLease() {
    if (!spare_) {
      spare_.reset(buffers_);
    } else {
      delete buffers_;
    }
  }
  LineBufferLease(const LineBufferLease&) = delete;
  LineBufferLease& operator=(const LineBufferLease&) = delete;

  LineBuffers* get() const noexcept { return buffers_; }

 private:
  static thread_local std::unique_ptr<LineBuffers> spare_;
  LineBuffers* buffers_;
};
thread_local std::unique_ptr<LineBuffers> LineBufferLease::spare_;

// The listing buffer of trace lines, made on the first trace of a thread.
char* ListingBuffer() noexcept {
  static thread_local std::unique_ptr<char[]> buffer;
  if (!buffer) buffer.reset(new (std::nothrow) char[kLineBufferSize]);
  return buffer.get();
}

bool Tracing(const ExecFrame& f) noexcept {
  return f.stepFlag != 0 || (f.macro->reportMode & 15) == kTraceMode;
}

debug::Driver* Watcher(const ExecFrame& f) noexcept {
  return f.macro->debugDriver.load(std::memory_order_relaxed);
}

// Whether the dispatcher may run decoded forms and follow lines by itself:
// not while each line must be shown, stepped or watched by a debugger.
bool Unwatched(const ExecFrame& f) noexcept {
  return !Tracing(f) && f.stepMode == 0 && Watcher(f) == nullptr;
}

// Prints the current line with its number; direct statements (line 0) and
// the empty record of a label run are not shown.
void EchoLine(const ExecFrame& f) noexcept {
  if (f.line == nullptr || RecordLength(f.line) < kRecordOverhead) return;
  if (RecordLineNumber(f.line) == 0) return;
  // A debugger shows where a stepped run stands itself.
  if ((f.macro->reportMode & 15) != kTraceMode && Watcher(f) != nullptr) return;
  char* listing = ListingBuffer();
  if (listing == nullptr) return;
  uint32_t number = 0;
  (void)ListLine(f.line, listing, kLineBufferSize, &number);
  platform::ConsolePrint(listing);
}

// Stepping stops before numbered lines that hold a statement, not before
// comments or empty lines.
bool StepStopsAt(const uint8_t* record) noexcept {
  if (RecordLength(record) < kRecordOverhead || RecordLineNumber(record) == 0) return false;
  const uint8_t* p = RecordCode(record);
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  if (*p == code::EndOfLine) return false;
  if (*p >= code::KeywordFirst && *p <= code::KeywordLast) {
    const uint16_t c = static_cast<uint16_t>(p[0] << 8 | p[1]);
    if (c == tok::Rem || c == tok::Apostrophe) return false;
  }
  return true;
}

bool InProgramArea(const QorMacro& m, const uint8_t* record) noexcept {
  return m.program.data != nullptr && record >= m.program.data &&
         record < m.program.data + m.program.used;
}

// A line typed at the console may have edited the program, moving the
// records. The stopped run continues at the line with its number, or with the
// next line when it was deleted; null when nothing follows.
uint8_t* RelocateLine(QorMacro& m, uint32_t number) noexcept {
  if (m.program.Empty()) return nullptr;
  for (uint8_t* r = m.program.data; RecordLength(r) != 0; r += RecordLength(r))
    if (RecordLineNumber(r) >= number) return r;
  return nullptr;
}

// Enters the debug console before the current line. False when the program
// was edited so that no line is left to run.
bool ConsoleBeforeLine(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  const bool inProgram = InProgramArea(m, f.line);
  const uint8_t* area = m.program.data;
  const int32_t used = m.program.used;
  const uint32_t number = RecordLineNumber(f.line);
  (void)DebugConsole(f);
  if (inProgram && (m.program.data != area || m.program.used != used)) {
    uint8_t* line = RelocateLine(m, number);
    if (line == nullptr) return false;
    JumpTo(f, line);
  }
  return true;
}

ErrNo AssignScalar(ExecFrame& f, uint8_t* cell) noexcept {
  if (cell == nullptr) return kErrInternal;
  if (ExpectChar(f, '=') != kOk) return kErrSyntax;
  Value v;
  if (ErrNo e = EvaluateExpression(f, v); e != kOk) return e;
  // A number into a number variable of its own kind needs no coercion.
  if (cell[0] == tag::Int && v.type == kInteger) {
    StoreU32(cell + 1, static_cast<uint32_t>(v.count));
    return kOk;
  }
  if (cell[0] == tag::Dbl && IsNumericType(v.type)) {
    StoreF64(cell + 1, v.type == kDouble ? v.number : static_cast<double>(v.count));
    return kOk;
  }
  return WriteScalar(*f.macro, cell, v);
}

ErrNo AssignElement(ExecFrame& f, uint8_t* cell) noexcept {
  if (cell == nullptr) return kErrInternal;
  uint32_t offset = 0;
  if (ErrNo e = ElementOffset(f, cell, &offset); e != kOk) return e;
  if (ExpectChar(f, '=') != kOk) return kErrSyntax;
  Value v;
  if (ErrNo e = EvaluateExpression(f, v); e != kOk) return e;
  return WriteElement(cell, offset, v);
}

// One statement that begins with token t of reader kind k; *statement gets
// the keyword code that began it (0 for none).
ErrNo ExecuteStatement(ExecFrame& f, int k, const Token& t, uint32_t* statement) noexcept {
  QorMacro& m = *f.macro;
  switch (k) {
    case kind::Keyword:
      *statement = t.code;
      if (t.code < kStatementFirst || t.code > kStatementLast) return kErrSyntax;
      return StatementFor(t.code)(f);
    case kind::Punct:
      return t.byte == ':' ? kOk : kErrSyntax;
    case kind::LineRef:
    case kind::LabelRef: {
      const ErrNo e = JumpToTarget(f, k, t);
      if (e == kOk) TraceEcho(f);
      return e;
    }
    case kind::LabelDef:
      return kOk;
    case kind::IntVar:
    case kind::DblVar:
    case kind::StrVar:
    case kind::RefVar:
    case kind::VariantVar: {
      platform::LockGuard hold(m.lock);
      return AssignScalar(f, t.cell);
    }
    case kind::IntArray:
    case kind::DblArray:
    case kind::StrArray:
    case kind::VariantArray: {
      platform::LockGuard hold(m.lock);
      return AssignElement(f, t.cell);
    }
    case kind::ScScalar:
    case kind::ScArray:
    case kind::SyScalar:
    case kind::SyArray: {
      platform::LockGuard hold(m.lock);
      return AssignHostName(f, k, t.text, static_cast<size_t>(t.length));
    }
    default:
      return kErrSyntax;
  }
}

// Statements that only compute, assign and jump run under the run's hold of
// the object lock; every other one (it may wait, print, call out or edit the
// program) runs with the hold released.
bool RunsUnderHold(int k, const Token& t) noexcept {
  switch (k) {
    case kind::Punct:
    case kind::LineRef:
    case kind::LabelRef:
    case kind::LabelDef:
    case kind::IntVar:
    case kind::DblVar:
    case kind::StrVar:
    case kind::VariantVar:
    case kind::IntArray:
    case kind::DblArray:
    case kind::StrArray:
    case kind::VariantArray:
      return true;
    case kind::Keyword:
      switch (t.code) {
        case tok::If: case tok::Elseif: case tok::Else: case tok::EndIf:
        case tok::For: case tok::Next: case tok::Do: case tok::Loop: case tok::Exit:
        case tok::Select: case tok::Case: case tok::EndSelect:
        case tok::Goto: case tok::Gosub: case tok::Return: case tok::Rem: case tok::Apostrophe:
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

// The error fields, which Err and Erl read in any run; parallel tasks may
// fail at the same moment.
void NoteError(QorMacro& m, ErrNo e, uint32_t statement) noexcept {
  platform::LockGuard hold(m.lock);
  m.trappedErrorNumber = static_cast<uint32_t>(e);
  m.trappedErrorStatement = statement;
}

}  // namespace

void EchoCurrentLine(ExecFrame& f) noexcept { EchoLine(f); }

void UpdateWatched(QorMacro& m) noexcept {
  const bool watched = (m.reportMode & 15) == kTraceMode || m.debugDriver.load(std::memory_order_relaxed) != nullptr;
  m.watched.store(watched ? 1 : 0, std::memory_order_relaxed);
}

bool WatchBeforeLine(ExecFrame& f, RunHold& hold) noexcept {
  debug::Driver* driver = Watcher(f);
  if (driver == nullptr || !StepStopsAt(f.line)) return true;
  hold.Release();
  if (!driver->StopBefore(f)) return true;
  return ConsoleBeforeLine(f);
}

bool StartsWithTaskBoundary(const uint8_t* line) noexcept {
  const uint8_t* p = RecordCode(line);
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  if (*p < code::KeywordFirst || *p > code::KeywordLast) return false;
  const uint16_t c = static_cast<uint16_t>(p[0] << 8 | p[1]);
  return c == tok::Task || c == tok::EndParallelExecute;
}

namespace {

// The dispatcher for one way of following lines, so that the tests of the
// mode drop out of the path between two forms.
template <LineFollow kFollow>
ErrNo DispatchLineAs(ExecFrame& f, uint8_t* base, RunHold& hold) noexcept {
  constexpr LineFollow follow = kFollow;
  QorMacro& m = *f.macro;
  // Asked between every two forms; kept apart from the hold so that it
  // stays in a register across them.
  const platform::RecursiveLock& lock = hold.Lock();
  Token t;
  // Forms run while nothing is traced or stepped. Only a general statement
  // (or a host thread, seen at the next line) turns tracing on.
  bool quick = Unwatched(f);
  // Following lines, forms that jump land past label lines or on a loop's
  // body line directly; in a task, only where that line is no task boundary.
  f.follows = follow;
  // At the end of a line: true when the run goes on with the next line here,
  // as the run loop would, rather than going back to the run loop.
  // In a task, the line followed into is not checked for a task boundary
  // at once: a line whose first statement has a form is none (Task and End
  // ParallelExecute have no form), so only a line that reaches the general
  // path is checked, and the run steps back out of it, to the end of the
  // line before, when it is one. unchecked is the line left, until a general
  // statement runs; forms leave it alone, so that they cost a task nothing.
  // A boundary line is then stepped out of only when it is the line after
  // unchecked: one followed into reaches the general path at once, while
  // forms never land on the start of one in a task, and a task back on its
  // own Task line (from a routine, say) has followed other lines since.
  uint8_t* unchecked = nullptr;
  // While forms run, only another thread (a host tracing or debugging)
  // can turn watching on: forms never start stepping, and a general
  // statement is followed by the whole test.
  const auto nextLine = [&f, &m, &quick, &unchecked]() noexcept {
    f.blockContext = 1;
    if (quick) quick = m.watched.load(std::memory_order_relaxed) == 0;
    if (follow == LineFollow::kStayOnLine || !quick) return false;
    uint8_t* next = f.line + RecordLength(f.line);
    if (RecordLength(next) == 0) return false;
    if constexpr (follow == LineFollow::kToTaskBoundary) unchecked = f.line;
    JumpTo(f, next);
    return true;
  };
  // Not offered to Try: the run ends as after an untrapped error.
  const auto endInterrupted = [&m, &hold]() noexcept {
    hold.Release();
    NoteError(m, kErrInterrupted, 0);
    return kErrInterrupted;
  };
  for (;;) {
    if (*f.pos == code::EndOfLine) {
      f.tokenStart = f.pos;
      if (nextLine()) continue;
      return kOk;
    }
    if (*f.pos == ':') {
      f.tokenStart = f.pos++;
      continue;
    }
    uint32_t statement = 0;
    ErrNo e = kQuickFallback;
    if (quick) {
      hold.Hold();
      // Forms are found by the position before the statement's spacing too,
      // which spares passing over it. They run one after another, each
      // finding the next by the place it left off.
      const QuickStmt* q = QuickStatementAt(f, f.pos);
      while (q != nullptr) {
        const uint8_t* const start = f.pos;
#ifndef NDEBUG
        const uint64_t generation = m.program.generation;
#endif
        e = q->run(*q, f);
        // Forms never edit the program, so they all stay valid here.
        assert(m.program.generation == generation);
        if (e == kOk) [[likely]] {
          // A thread waiting for the lock is handed it here; the next form
          // is then looked up anew. An interrupt raises the lock's attention
          // flag, so a run of forms notices it here too.
          if (lock.HandOverWanted() && hold.Yielded()) {
            if (Interrupted(f)) [[unlikely]] return endInterrupted();
            break;
          }
          // The place this form left off last time, which is never a line's
          // end: that is tested before a place is remembered.
          if (q->nextSite == f.pos) {
            q = q->nextForm;
            continue;
          }
          if (*f.pos == code::EndOfLine) {
            // (Forms that go on in sequence pass a colon after them and end
            // their line with kQuickLineEnd; a form left on a colon finds
            // no form there, and the colon is passed below.)
            f.tokenStart = f.pos;
            if (!nextLine()) return kOk;
          }
        } else {
          if (e == kQuickLineEnd) {
            // The form left the position and the token start on the end.
            assert(*f.pos == code::EndOfLine && f.tokenStart == f.pos);
          } else if (e != kSkipLine) {
            statement = q->keyword;
            if (e == kQuickFallback) {
              f.pos = start;
              f.tokenStart = start;
            }
            break;
          }
          if (!nextLine()) return kOk;
          e = kOk;
          if (lock.HandOverWanted() && hold.Yielded()) {
            if (Interrupted(f)) [[unlikely]] return endInterrupted();
            break;
          }
        }
        q = FollowingForm(*q, f);
      }
      if (e == kOk) continue;  // the statement reached has no form
    }
    if (e == kQuickFallback) {
      const uint8_t* p = f.pos;
      while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
      if (*p == code::EndOfLine) {
        f.tokenStart = p;
        f.pos = p;
        if (nextLine()) continue;
        return kOk;
      }
      if (*p == ':') {
        f.tokenStart = p;
        f.pos = p + 1;
        continue;
      }
      if (Interrupted(f)) [[unlikely]] return endInterrupted();
      if (unchecked != nullptr) {
        if (StartsWithTaskBoundary(f.line) && f.line == unchecked + RecordLength(unchecked)) [[unlikely]] {
          // Back on the line before, at its end, as if never left.
          f.line = unchecked;
          f.pos = f.tokenStart = unchecked + RecordLength(unchecked) - 1;
          assert(*f.pos == code::EndOfLine);
          return kOk;
        }
        unchecked = nullptr;
      }
      const int k = ReadToken(f, t);
      if (!quick || !RunsUnderHold(k, t)) hold.Release();
      statement = 0;
      e = ExecuteStatement(f, k, t, &statement);
      quick = Unwatched(f);
    }
    if (e == kOk) continue;
    if (e == kSkipLine) {
      if (nextLine()) continue;
      return kOk;
    }
    hold.Release();
    NoteError(m, e, statement);
    if (!TrapError(f, base, e)) return e;
  }
}

}  // namespace

ErrNo DispatchLine(ExecFrame& f, uint8_t* base, RunHold& hold, LineFollow follow) noexcept {
  switch (follow) {
    case LineFollow::kToTaskBoundary: return DispatchLineAs<LineFollow::kToTaskBoundary>(f, base, hold);
    case LineFollow::kFollowLines: return DispatchLineAs<LineFollow::kFollowLines>(f, base, hold);
    default: return DispatchLineAs<LineFollow::kStayOnLine>(f, base, hold);
  }
}

ErrNo RunLoop(ExecFrame& f, uint8_t* base) noexcept {
  QorMacro& m = *f.macro;
  const int32_t savedDepth = m.savedDepth;
  RunScope run(f);
  RunHold hold(m.lock);
  // Program edits made under the run move the places it keeps.
  ActiveFrame active(f);
  for (;;) {
    JumpTo(f, f.line);
    if (Tracing(f)) {
      hold.Release();
      EchoLine(f);
      if (f.stepFlag != 0 && StepStopsAt(f.line) && !ConsoleBeforeLine(f)) return kOk;
    }
    if (f.stepFlag == 0 && !WatchBeforeLine(f, hold)) return kOk;

    const ErrNo e = DispatchLine(f, base, hold, LineFollow::kFollowLines);
    if (e != kOk) {
      hold.Release();
      // A debugger is shown the run as the error left it, calls included.
      if (Watcher(f) != nullptr && e != kErrInterrupted) {
        ReportError(e, m.reportMode, f);
        (void)DebugConsole(f, e);
        f.PopTo(base);
        if (m.savedDepth > savedDepth) (void)RestoreSavedVariables(m, savedDepth);
        return e;
      }
      f.PopTo(base);
      if (m.savedDepth > savedDepth) (void)RestoreSavedVariables(m, savedDepth);
      ReportError(e, m.reportMode, f);
      if (f.stepFlag != 0 && e != kErrInterrupted) (void)DebugConsole(f);
      return e;
    }

    uint8_t* next = f.line + RecordLength(f.line);
    if (RecordLength(next) == 0) return kOk;
    f.line = next;
  }
}

ErrNo DirectExecute(QorMacro& m, const char* text, uint32_t* stepMode) noexcept {
  if (text == nullptr) text = "";
  const size_t length = strnlen(text, kLineBufferSize);
  if (length >= kLineBufferSize) {
    platform::ConsolePrint(kLineBufferOverflow);
    return kErrLineBufferOverflow;
  }
  LineBufferLease lease;
  LineBuffers* b = lease.get();
  if (b == nullptr) return kErrOutOfMemory;
  std::memcpy(b->text, text, length + 1);
  std::memset(b->record, 0, sizeof b->record);

  uint8_t* const record = b->record;
  uint32_t number = 0;
  int32_t codeLength = 0;
  ErrNo e;
  {
    // Compiling may create variable cells; other runs of the object may be
    // walking the variable area meanwhile.
    platform::LockGuard hold(m.lock);
    e = CompileLine(b->text, RecordCode(record), m, true, &number, &codeLength);
  }
  if (e == kOk && (codeLength < 0 || static_cast<size_t>(codeLength) > kCompileOutputLimit))
    e = kErrLineBufferOverflow;
  if (e != kOk) {
    if (e == kErrLineBufferOverflow) platform::ConsolePrint(kLineBufferOverflow);
    return e;
  }

  const size_t end = kLineHeader + static_cast<size_t>(codeLength);
  StoreU16(record, static_cast<uint16_t>(codeLength + kRecordOverhead));
  StoreU32(record + 2, number);
  record[end] = code::EndOfLine;
  StoreU16(record + end + 1, 0);

  ExecFrame f(&m);
  if (number != 0) {
    e = codeLength == 0 ? DeleteLines(m, number, number) : StoreLine(m, number, RecordCode(record), codeLength);
    if (e != kOk) {
      JumpTo(f, record);
      ReportError(e, m.reportMode, f);
    }
    return e;
  }

  JumpTo(f, record);
  e = RunLoop(f, f.top);
  if (stepMode != nullptr) *stepMode = f.stepMode;
  f.Unwind();
  return e;
}

ErrNo RunLabel(QorMacro& m, const char* label) noexcept {
  if (label == nullptr || label[0] == '\0') return -1;
  // The routine's Return comes back to this empty record; the run loop then
  // finds the end of the program after it and the run ends.
  alignas(8) uint8_t emptyLine[kLineHeader + 2] = {};
  ExecFrame f(&m);
  JumpTo(f, emptyLine);
  ErrNo e = CallLabel(f, label, std::strlen(label));
  if (e == kOk) e = RunLoop(f, f.top);
  f.Unwind();
  return e;
}

}  // namespace msc
