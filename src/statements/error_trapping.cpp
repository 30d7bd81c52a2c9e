// Error trapping: Try, Catch, End Try and the trap the dispatcher calls.
#include "statements/error_trapping.h"

#include "api/qor_macro.h"
#include "engine/report.h"
#include "engine/run.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "platform/lock.h"
#include "statements/block_search.h"
#include "statements/handlers.h"

namespace msc {
namespace {

using namespace entry;  // the Try layout

constexpr uint32_t kReportModeMask = 0x0F;
constexpr uint32_t kTraceMode = 2;

}  // namespace

ErrNo StmtTry(ExecFrame& f) noexcept {
  uint8_t* e = f.Push(tok::Try, kTrySize);
  if (e == nullptr) return kErrInternal;
  StorePtr(e + kTryLine, f.line);
  StorePtr(e + kTryPos, f.pos);
  return kOk;
}

ErrNo StmtCatch(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Try);
  if (e == nullptr) return 150;
  if (LoadU32(e + kTryInCatch) != 0) return kOk;  // sent here by an error
  // The Try part ended without error: the Catch part is skipped.
  if (!BlockSearch(f, tok::EndTry)) return 153;
  UnreadToken(f);
  TraceEcho(f);
  return kOk;
}

ErrNo StmtEndTry(ExecFrame& f) noexcept {
  if (f.TopEntry(tok::Try) == nullptr) return 151;
  f.Pop();
  return kOk;
}

bool TrapError(ExecFrame& f, uint8_t* base, ErrNo err) noexcept {
  // An interrupt ends the run whatever Try blocks are open.
  if (err == kOk || err == kSkipLine || err == kErrInterrupted) return false;
  QorMacro& m = *f.macro;
  {
    platform::LockGuard hold(m.lock);  // tasks may fail at the same moment
    m.trappedErrorNumber = static_cast<uint32_t>(err);
  }

  // Entries at or below the base belong to whoever started this run.
  uint8_t* const floor = base != nullptr ? base : f.StackEnd();
  if (f.top >= floor) return false;
  uint8_t* e = nullptr;
  while ((e = f.TopEntry(tok::Try)) == nullptr) {
    // Whatever lies above the Try (loops, blocks, a routine's return point)
    // is abandoned with the failing code.
    if (f.Pop() != 0 || f.StackEmpty() || f.top >= floor) return false;
  }

  // Trace mode shows every error, also the ones a Try takes.
  if ((m.reportMode & kReportModeMask) == kTraceMode) ReportError(err, m.reportMode, f);
  if (LoadU32(e + kTryInCatch) != 0) return false;

  uint8_t* const line = f.line;
  const uint8_t* const pos = f.pos;
  const uint8_t* const tokenStart = f.tokenStart;
  f.line = LoadPtr(e + kTryLine);
  f.pos = LoadPtr(e + kTryPos);
  f.tokenStart = f.pos;
  if (!CatchSearch(f)) {
    f.line = line;
    f.pos = pos;
    f.tokenStart = tokenStart;
    return false;
  }
  UnreadToken(f);  // the Catch or End Try runs next
  StoreU32(e + kTryInCatch, 1);
  TraceEcho(f);
  return true;
}

}  // namespace msc
