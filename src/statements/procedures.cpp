// Procedures: Gosub / Return, On ... Goto / Gosub, Run, Sub / End Sub.
// (The Gosub and Sub entries are laid out in engine/stack_entries.h.)
#include "statements/procedures.h"

#include <cassert>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/run.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "statements/handlers.h"
#include "statements/quick_statements.h"

namespace msc {
namespace {

using namespace entry;  // the Gosub and Sub layouts

constexpr uint32_t kStepOver = 3;

constexpr char kInitLabel[] = "*MCRINIT";

// The place and state a routine returns to.
struct Caller {
  uint8_t* line;
  const uint8_t* pos;
  uint32_t blockContext;
  uint32_t stepFlag;
  uint32_t stepMode;
};

// Remembers the caller; when stepping over, the routine itself runs freely
// (its Return puts the saved stepping back).
Caller EnterCall(ExecFrame& f) noexcept {
  const Caller c{f.line, f.pos, f.blockContext, f.stepFlag, f.stepMode};
  if (f.stepFlag != 0 && f.stepMode == kStepOver) f.stepFlag = 0;
  return c;
}

[[nodiscard]] ErrNo EnterRoutine(ExecFrame& f, uint8_t* record, const Caller& c) noexcept {
  JumpTo(f, record);
  f.blockContext = 1;
  uint8_t* e = f.Push(tok::Gosub, kGosubSize);
  if (e == nullptr) return kErrInternal;
  StorePtr(e + kGosubLine, c.line);
  StorePtr(e + kGosubPos, c.pos);
  StoreU32(e + kGosubBlock, c.blockContext);
  StoreU32(e + kGosubStepFlag, c.stepFlag);
  StoreU32(e + kGosubStepMode, c.stepMode);
  return kOk;
}

uint8_t* LineByNumber(QorMacro& m, uint32_t line) noexcept {
  // No program line has the number 0 (it marks a direct statement).
  return line == 0 ? nullptr : FindLineRecord(m, line);
}

// The line a label operand names. The label's text sits in the code, so its
// address names the operand and the line found for it holds until the next
// edit: a jump that ran before costs no label lookup.
uint8_t* LabelTarget(QorMacro& m, const Token& t) noexcept {
  ProgramArea& a = m.program;
  const auto* site = reinterpret_cast<const uint8_t*>(t.text);
  SiteResult r;
  if (a.sites.Find(a, SiteFact::JumpTarget, site, &r)) return r.line;
  uint8_t* record = FindLabelRecord(m, t.text, static_cast<size_t>(t.length));
  if (record != nullptr) a.sites.Remember(a, SiteFact::JumpTarget, site, SiteResult{record, record});
  return record;
}

// The line a line-number operand names, remembered by the operand's place in
// the code as a label's target is. Only an operand read from the code just
// now has a place; any other is looked up each time.
uint8_t* LineTarget(ExecFrame& f, const Token& t) noexcept {
  QorMacro& m = *f.macro;
  const auto number = static_cast<uint32_t>(t.integer);
  const uint8_t* site = f.tokenStart;
  const bool placed = site != nullptr && f.pos == site + 3 && site[0] == code::LineRef &&
                      LoadU16(site + 1) == number;
  if (!placed) return LineByNumber(m, number);
  ProgramArea& a = m.program;
  SiteResult r;
  if (a.sites.Find(a, SiteFact::JumpTarget, site, &r)) return r.line;
  uint8_t* record = LineByNumber(m, number);
  if (record != nullptr) a.sites.Remember(a, SiteFact::JumpTarget, site, SiteResult{record, record});
  return record;
}

[[nodiscard]] ErrNo CallTarget(ExecFrame& f, int k, const Token& t) noexcept {
  if (k != kind::LineRef && k != kind::LabelRef) return kErrSyntax;
  const Caller c = EnterCall(f);
  uint8_t* record = k == kind::LineRef ? LineTarget(f, t) : LabelTarget(*f.macro, t);
  if (record == nullptr) return k == kind::LineRef ? kErrUndefinedLine : kErrUndefinedLabel;
  return EnterRoutine(f, record, c);
}

}  // namespace

ErrNo CallLine(ExecFrame& f, uint32_t line) noexcept {
  const Caller c = EnterCall(f);
  uint8_t* record = LineByNumber(*f.macro, line);
  if (record == nullptr) return kErrUndefinedLine;
  return EnterRoutine(f, record, c);
}

ErrNo CallLabel(ExecFrame& f, const char* label, size_t len) noexcept {
  const Caller c = EnterCall(f);
  uint8_t* record = FindLabelRecord(*f.macro, label, len);
  if (record == nullptr) return kErrUndefinedLabel;
  return EnterRoutine(f, record, c);
}

ErrNo RunGosubForm(const QuickStmt& q, ExecFrame& f) noexcept {
  // Forms run only with stepping off, so the caller has no stepping to keep.
  assert(f.stepFlag == 0 && f.stepMode == 0);
  uint8_t* e = f.PushFilled(tok::Gosub, kGosubSize);
  if (e == nullptr) return kQuickFallback;  // the general Gosub reports the full stack
  static_assert(kGosubSize == 32 && kGosubStepFlag == kGosubBlock + 4 && kGosubStepMode == kGosubBlock + 8,
                "every byte below");
  StorePtr(e + kGosubLine, f.line);
  StorePtr(e + kGosubPos, q.after);
  StoreU32(e + kGosubBlock, f.blockContext);
  StoreU32(e + kGosubStepFlag, 0);
  StoreU32(e + kGosubStepMode, 0);
  StoreU32(e + kGosubStepMode + 4, 0);
  JumpTo(f, JumpLine(q, f));
  f.blockContext = 1;
  FormTraceEcho(f);
  return kOk;
}

ErrNo RunReturnForm(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Gosub);
  if (e == nullptr || LoadU16(e - 2) != kGosubSize) {
    f.pos = q.after;
    f.tokenStart = q.afterStart;
    return StmtReturn(f);
  }
  assert(f.stepFlag == 0 && f.stepMode == 0);
  f.line = LoadPtr(e + kGosubLine);
  f.pos = LoadPtr(e + kGosubPos);
  f.tokenStart = f.pos;
  f.blockContext = LoadU32(e + kGosubBlock);
  f.top = e + kGosubSize;
  return kOk;
}

ErrNo JumpToTarget(ExecFrame& f, int k, const Token& t) noexcept {
  uint8_t* record = nullptr;
  if (k == kind::LineRef) {
    record = LineTarget(f, t);
    if (record == nullptr) return kErrUndefinedLine;
  } else if (k == kind::LabelRef) {
    record = LabelTarget(*f.macro, t);
    if (record == nullptr) return kErrUndefinedLabel;
  } else {
    return kErrSyntax;
  }
  JumpTo(f, record);
  return kOk;
}

ErrNo StmtGosub(ExecFrame& f) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if (ErrNo r = CallTarget(f, k, t); r != kOk) return r;
  TraceEcho(f);
  return kOk;
}

ErrNo StmtReturn(ExecFrame& f) noexcept {
  // Loops, blocks and Try entries opened inside the routine go with it. The
  // usual routine has none left open, and its Gosub entry owns nothing.
  if (uint8_t* e = f.TopEntry(tok::Gosub); e != nullptr && f.stepMode <= 1 && LoadU16(e - 2) == kGosubSize) {
    f.line = LoadPtr(e + kGosubLine);
    f.pos = LoadPtr(e + kGosubPos);
    f.tokenStart = f.pos;
    f.blockContext = LoadU32(e + kGosubBlock);
    f.stepFlag = 0;
    f.stepMode = 0;
    f.top = e + kGosubSize;
    return kOk;
  }
  uint8_t* e = f.FindEntry(tok::Gosub);
  if (e == nullptr) return kErrReturnWithoutGosub;
  f.line = LoadPtr(e + kGosubLine);
  f.pos = LoadPtr(e + kGosubPos);
  f.tokenStart = f.pos;
  // A Gosub inside a one-line Then part returns into that Then part.
  f.blockContext = LoadU32(e + kGosubBlock);
  if (f.stepMode > 1) {
    // Stepping into, over or out of the routine ends here: the caller's
    // stepping comes back.
    f.stepFlag = LoadU32(e + kGosubStepFlag);
    f.stepMode = LoadU32(e + kGosubStepMode);
  } else {
    f.stepFlag = 0;
    f.stepMode = 0;
  }
  f.Pop();
  return kOk;
}

ErrNo StmtOn(ExecFrame& f) noexcept {
  int32_t selector = 0;
  if (ErrNo r = IntegerArgument(f, &selector); r != kOk) return r;
  if (selector < 0) return kErrIllegalCall;

  Token t;
  const uint16_t verb = ReadToken(f, t) == kind::Keyword ? t.code : 0;

  // The whole list is read, so that without a target execution goes on after it.
  int targetKind = 0;
  Token target;
  int32_t index = 0;
  for (;;) {
    const int k = ReadToken(f, t);
    if (k != kind::LineRef && k != kind::LabelRef) return kErrSyntax;
    if (++index == selector) {
      targetKind = k;
      target = t;
    }
    SkipSpaces(f);
    if (*f.pos != ',') break;
    ++f.pos;
  }
  if (targetKind == 0) return kOk;

  ErrNo r;
  if (verb == tok::Gosub) {
    r = CallTarget(f, targetKind, target);
  } else if (verb == tok::Goto) {
    r = JumpToTarget(f, targetKind, target);
  } else {
    return kErrSyntax;
  }
  if (r != kOk) return r;
  TraceEcho(f);
  return kOk;
}

ErrNo StmtRun(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  if (FindLabelRecord(m, kInitLabel, sizeof kInitLabel - 1) != nullptr) {
    // The initialisation routine returns to the statement after Run.
    if (ErrNo r = CallLabel(f, kInitLabel, sizeof kInitLabel - 1); r != kOk) return r;
  } else {
    // No message fits an empty program; its number stays 1.
    if (m.program.Empty()) return 1;
    JumpTo(f, m.program.data);
  }
  TraceEcho(f);
  return kOk;
}

ErrNo StmtSub(ExecFrame& f) noexcept {
  Token t;
  if (ReadToken(f, t) != kind::LabelDef) return kErrSyntax;
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  if (ExpectChar(f, ')') != kOk) return kErrSyntax;
  return kOk;
}

ErrNo StmtEndSub(ExecFrame& f) noexcept {
  uint8_t* e = f.FindEntry(tok::Sub);
  // The payload length sits just before the payload.
  if (e == nullptr || LoadU16(e - 2) < kSubMinimumSize) return kErrReturnWithoutGosub;
  f.line = LoadPtr(e + kSubLine);
  f.pos = LoadPtr(e + kSubPos);
  f.tokenStart = f.pos;
  f.blockContext = LoadU32(e + kSubBlock);
  f.Pop();
  return kOk;
}

}  // namespace msc
