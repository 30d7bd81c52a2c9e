// Control flow: If / Elseif / Else / EndIf, For / Next, Do / Loop While, Exit,
// Select / Case / End Select and Goto.
//
// Control stack entries opened here (For and Do, which keep places in the
// program, are laid out in engine/stack_entries.h). Entries are packed one
// after another, so a payload is not aligned: every field goes through the
// memcpy accessors.
//
//   If, tag 0x8022, 8 bytes        Select, tag 0x803D, 24 bytes
//   +0  u32 taken                  +0  u32 kind: 1 number, 2 text
//   +4  u32 active                 +4  u32 (unused)
//                                  +8  f64 selector, or ptr to a text copy
//                                          the entry owns (freed by its pop)
//                                  +16 u32 matched
//                                  +20 u32 active
//
// Taken/matched says a branch of the block has been chosen; active says that
// branch is the one running now (0 while skipping towards the block's end).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "api/qor_macro.h"
#include "engine/memory_budget.h"
#include "engine/evaluator.h"
#include "engine/quick_expr.h"
#include "engine/run.h"
#include "engine/site_cache.h"
#include "engine/stack_entries.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "platform/lock.h"
#include "statements/block_search.h"
#include "statements/handlers.h"
#include "statements/procedures.h"
#include "statements/quick_statements.h"

namespace msc {
namespace {

using platform::LockGuard;

constexpr uint16_t kIfSize = 8;
constexpr size_t kIfTaken = 0, kIfActive = 4;

using namespace entry;  // the For, Do and Select layouts

bool IsVariableKind(int k) noexcept { return k >= kind::IntVar && k <= kind::VariantArray; }
bool IsArrayKind(int k) noexcept {
  return k == kind::IntArray || k == kind::DblArray || k == kind::StrArray ||
         k == kind::VariantArray;
}
bool IsVariableCell(const uint8_t* cell) noexcept {
  return cell != nullptr && *cell >= tag::Int && *cell <= tag::VariantArray;
}
bool IsArrayCell(const uint8_t* cell) noexcept {
  return *cell == tag::IntArray || *cell == tag::DblArray || *cell == tag::StrArray ||
         *cell == tag::VariantArray;
}

void SetPosition(ExecFrame& f, uint8_t* line, const uint8_t* pos) noexcept {
  f.line = line;
  f.pos = pos;
  f.tokenStart = pos;
}

// Skips spacing; true when the statement word follows (nothing consumed).
bool KeywordAhead(ExecFrame& f, uint16_t code) noexcept {
  SkipSpaces(f);
  // The first byte of a keyword is never the end byte, so the second byte is
  // only looked at inside the line.
  return f.pos[0] == (code >> 8) && f.pos[1] == (code & 0xFF);
}

bool IsCommentAt(const uint8_t* p) noexcept {
  return p[0] == (tok::Rem >> 8) &&
         (p[1] == (tok::Rem & 0xFF) || p[1] == (tok::Apostrophe & 0xFF));
}

// A block If has "Then" followed by the end of the line, ":" or a comment.
bool BlockIfAhead(const ExecFrame& f) noexcept {
  const uint8_t* p = f.pos;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  if (!(p[0] == (tok::Then >> 8) && p[1] == (tok::Then & 0xFF))) return false;
  p += 2;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  return *p == code::EndOfLine || *p == ':' || IsCommentAt(p);
}

[[nodiscard]] ErrNo Condition(ExecFrame& f, bool* truth) noexcept {
  Value v;
  if (ErrNo e = EvaluateLocked(f, v); e != kOk) return e;
  *truth = IsTrue(v);
  return kOk;
}

[[nodiscard]] ErrNo ReadVariable(QorMacro& m, uint8_t* cell, uint32_t offset, Value& out) noexcept {
  if (!IsVariableCell(cell)) return kErrTypeMismatch;
  return IsArrayCell(cell) ? ReadElement(cell, offset, out) : ReadScalar(m, cell, out);
}

[[nodiscard]] ErrNo WriteVariable(QorMacro& m, uint8_t* cell, uint32_t offset, Value& v) noexcept {
  if (!IsVariableCell(cell)) return kErrTypeMismatch;
  return IsArrayCell(cell) ? WriteElement(cell, offset, v) : WriteScalar(m, cell, v);
}

// An independent copy; texts become owned so that the copy outlives its source.
[[nodiscard]] ErrNo CopyValue(const Value& src, Value& dst) noexcept {
  const size_t len = src.count > 0 ? static_cast<size_t>(src.count) : 0;
  switch (src.type) {
    case kInteger: dst.SetInteger(src.count); return kOk;
    case kDouble: dst.SetDouble(src.number); return kOk;
    case kVarText:
    case kConstText:
    case kOwnedText: return dst.SetOwnedText(src.text, len);
    case kBytes: return dst.SetBytes(src.text, len);
    default: dst.Clear(); return kOk;
  }
}

// After the variable of a NEXT found by a loop exit: passes over the
// subscripts of an array element without evaluating them.
void SkipSubscripts(ExecFrame& f) noexcept {
  Token t;
  int depth = 0;
  for (;;) {
    const int k = ReadToken(f, t);
    if (k == kind::End) return;
    if (k != kind::Punct) {
      if (depth == 0) {
        UnreadToken(f);
        return;
      }
      continue;
    }
    if (t.byte == '(') {
      ++depth;
    } else if (t.byte == ')' && depth > 0) {
      if (--depth == 0) return;
    } else if (depth == 0) {
      UnreadToken(f);
      return;
    }
  }
}

// Leaves the innermost For loop: continues after its NEXT (the one that ran
// first, or else the next one in the code) and pops its entry.
[[nodiscard]] ErrNo LoopExit(ExecFrame& f) noexcept {
  uint8_t* e = f.FindEntry(tok::For);
  if (e == nullptr) return 140;
  if (uint8_t* nextLine = LoadPtr(e + kForNextLine); nextLine != nullptr) {
    SetPosition(f, nextLine, LoadPtr(e + kForNextPos));
  } else {
    if (!BlockSearch(f, tok::Next, tok::NextComma)) return 26;
    const bool comma = f.tokenStart[0] == (tok::NextComma >> 8) &&
                       f.tokenStart[1] == (tok::NextComma & 0xFF);
    Token t;
    const int k = ReadToken(f, t);
    if (IsVariableKind(k)) {
      // The variable named there is not checked against the loop's.
      if (IsArrayKind(k)) SkipSubscripts(f);
    } else {
      if (comma) return kErrNextWithoutFor;
      UnreadToken(f);
    }
  }
  f.Pop();
  return kOk;
}

// The usual loop, an integer variable stepped by an integer to a number
// limit, without the general arithmetic: the same sum, store and test as the
// general path (against a double limit the test is made in doubles, where
// NaN never ends the loop). False, with nothing changed, for every other loop
// and for a sum that leaves the 32-bit range, whose error the general path
// reports.
[[nodiscard]] bool StepIntegerLoop(uint8_t* cell, uint32_t offset, bool fromNext, const Value& step,
                                   const Value& limit, bool* finished) noexcept {
  if (offset != 0 || cell[0] != kTagInteger || step.type != kInteger) return false;
  if (limit.type != kInteger && limit.type != kDouble) return false;
  int64_t current = static_cast<int32_t>(LoadU32(cell + 1));
  if (fromNext) {
    current += step.count;
    if (current < INT32_MIN || current > INT32_MAX) return false;
    StoreU32(cell + 1, static_cast<uint32_t>(static_cast<int32_t>(current)));
  }
  const bool upward = step.count >= 0;
  if (limit.type == kInteger) {
    *finished = upward ? current > limit.count : current < limit.count;
  } else {
    const double c = static_cast<double>(current);
    *finished = upward ? c > limit.number : c < limit.number;
  }
  return true;
}

// A number operand read without the general evaluation.
struct PlainNumber {
  bool integer;
  int32_t whole;
  double real;

  void Into(Value& v) const noexcept {
    if (integer) {
      v.SetInteger(whole);
    } else {
      v.SetDouble(real);
    }
  }
};

// A number constant or number variable after the spacing at p: its value,
// and in *after the code past it. False for any other operand.
bool PlainOperand(const uint8_t* p, PlainNumber* n, const uint8_t** after) noexcept {
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  const uint8_t b = *p;
  n->integer = true;
  if (b >= code::SmallFirst && b <= code::SmallLast) {
    n->whole = b - code::SmallFirst;
    *after = p + 1;
  } else if (b == code::Byte) {
    n->whole = p[1];
    *after = p + 2;
  } else if (b == code::Short) {
    n->whole = LoadI16(p + 1);
    *after = p + 3;
  } else if (b == code::Double) {
    n->integer = false;
    n->real = LoadF64(p + 1);
    *after = p + 9;
  } else if (b == tag::Int || b == tag::Dbl) {
    const uint8_t* cell = LoadPtr(p + 1);
    if (cell[0] == tag::Int) {
      n->whole = static_cast<int32_t>(LoadU32(cell + 1));
    } else if (cell[0] == tag::Dbl) {
      n->integer = false;
      n->real = LoadF64(cell + 1);
    } else {
      return false;
    }
    *after = p + 1 + sizeof(void*);
  } else {
    return false;
  }
  return true;
}

// The usual limit and step, each a number constant or number variable with
// the statement ending after them, read without the general evaluation; the
// position ends where the evaluation leaves it. False, with nothing changed,
// for every other form. Runs under the object lock.
bool PlainLimitAndStep(ExecFrame& f, Value& limit, Value& step) noexcept {
  PlainNumber to;
  PlainNumber by{true, 1, 0.0};
  const uint8_t* after;
  if (!PlainOperand(f.pos, &to, &after)) return false;
  const uint8_t* p = after;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  if (*p != code::EndOfLine && *p != ':') {
    if (!(p[0] == (tok::Step >> 8) && p[1] == (tok::Step & 0xFF))) return false;
    if (!PlainOperand(p + 2, &by, &after)) return false;
    p = after;
    while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
    if (*p != code::EndOfLine && *p != ':') return false;
  }
  to.Into(limit);
  by.Into(step);
  f.tokenStart = after;
  f.pos = p;
  return true;
}

// Decodes the limit and step of the loop whose limit expression is at site,
// on forLine.
void DecodeLoop(QorMacro& m, uint8_t* forLine, const uint8_t* site, QuickLoop& loop) noexcept {
  loop.site = site;
  loop.directSite = nullptr;
  loop.step = nullptr;
  loop.direct = QuickLoop::kGeneral;
  loop.forLine = forLine;
  loop.bodyLine = nullptr;
  loop.bodyFrom = LineFollow::kNever;
  loop.limit = QuickExpressionHeld(m, site);
  if (loop.limit == nullptr) return;
  loop.end = QuickEnd(*loop.limit);
  loop.endStart = QuickTokenStart(*loop.limit);
  if (loop.end[0] == (tok::Step >> 8) && loop.end[1] == (tok::Step & 0xFF)) {
    loop.step = QuickExpressionHeld(m, loop.end + 2);
    if (loop.step == nullptr) {
      loop.limit = nullptr;
      return;
    }
    loop.end = QuickEnd(*loop.step);
    loop.endStart = QuickTokenStart(*loop.step);
  }
  loop.endsLine = *loop.end == code::EndOfLine;  // expressions end past their spacing
  // A colon after the limit (and step) is passed as the dispatcher would:
  // the position after it, the token start on it.
  if (*loop.end == ':') {
    loop.endStart = loop.end;
    ++loop.end;
  }
  if (loop.endsLine) {
    uint8_t* const next = forLine + RecordLength(forLine);
    if (RecordLength(next) != 0) {
      loop.bodyLine = next;
      loop.bodyFrom = StartsWithTaskBoundary(next) ? LineFollow::kFollowLines : LineFollow::kToTaskBoundary;
    }
  }

  loop.stepBy = 1;
  loop.stepCell = nullptr;
  if (loop.step != nullptr) {
    if (loop.step->shape == QuickExpr::kIntVar) {
      loop.stepCell = loop.step->cell;  // read at every pass, as the step is evaluated
    } else if (loop.step->shape != QuickExpr::kInteger) {
      return;
    } else {
      loop.stepBy = loop.step->integer;
    }
  }
  loop.upward = loop.stepBy >= 0;
  loop.lastBeforeStep = loop.upward ? INT32_MAX - loop.stepBy : INT32_MIN - loop.stepBy;
  const QuickExpr& to = *loop.limit;
  switch (to.shape) {
    case QuickExpr::kInteger:
      loop.direct = QuickLoop::kInteger;
      loop.limitInteger = to.integer;
      break;
    case QuickExpr::kDouble:
      loop.direct = QuickLoop::kDouble;
      loop.limitNumber = to.number;
      break;
    case QuickExpr::kIntVar:
      loop.direct = QuickLoop::kIntVar;
      loop.limitCell = to.cell;
      break;
    case QuickExpr::kDblVar:
      loop.direct = QuickLoop::kDblVar;
      loop.limitCell = to.cell;
      break;
    default:
      return;
  }
  loop.directSite = site;
}

// The usual loop with its limit (and step) decoded: an integer variable
// stepped by an integer, stepped (fromNext) and tested as StepIntegerLoop
// does, without building values. False, with nothing changed, for every
// other loop and for a sum that leaves the 32-bit range.
[[nodiscard]] bool StepDecodedLoop(ExecFrame& f, const QuickLoop& loop, uint8_t* cell, bool fromNext,
                                   bool* finished) noexcept {
  if (loop.limit == nullptr || cell[0] != kTagInteger) return false;
  QuickNumber limit;
  QuickNumber step{1.0, true};
  if (!RunQuickNumber(*loop.limit, f, &limit)) return false;
  if (loop.step != nullptr && !RunQuickNumber(*loop.step, f, &step)) return false;
  if (!step.isInt) return false;
  int64_t current = static_cast<int32_t>(LoadU32(cell + 1));
  if (fromNext) {
    current += step.Int();
    if (current < INT32_MIN || current > INT32_MAX) return false;
    StoreU32(cell + 1, static_cast<uint32_t>(static_cast<int32_t>(current)));
  }
  // Against an integer limit the test in doubles is the integer test.
  const double c = static_cast<double>(current);
  *finished = step.d >= 0.0 ? c > limit.d : c < limit.d;
  return true;
}

// The loop test with the limit and step at the code position decoded. Runs
// under the object lock.
[[nodiscard]] bool QuickLoopTest(ExecFrame& f, uint8_t* cell, uint32_t offset, bool fromNext,
                                 bool* finished) noexcept {
  if (offset != 0) return false;
  QuickLoop loop{};
  DecodeLoop(*f.macro, f.line, f.pos, loop);
  if (!StepDecodedLoop(f, loop, cell, fromNext, finished)) return false;
  f.pos = loop.end;
  f.tokenStart = loop.endStart;
  return true;
}

// The test at the head of every pass. The code position is at the limit
// expression of the FOR line; limit and step are evaluated anew each time,
// so a body that changes them changes the loop.
[[nodiscard]] ErrNo LoopTest(ExecFrame& f, bool fromNext) noexcept {
  uint8_t* e = f.TopEntry(tok::For);
  if (e == nullptr) return kErrNextWithoutFor;
  QorMacro& m = *f.macro;
  uint8_t* const cell = LoadPtr(e + kForCell);
  const uint32_t offset = LoadU32(e + kForOffset);
  bool finished = false;
  {
    LockGuard guard(m.lock);
    if (QuickLoopTest(f, cell, offset, fromNext, &finished)) {
      if (finished) return LoopExit(f);
      if (fromNext) TraceEcho(f);
      return kOk;
    }
    Value limit;
    Value step;
    if (!PlainLimitAndStep(f, limit, step)) {
      if (ErrNo r = EvaluateExpression(f, limit); r != kOk) return r;
      if (KeywordAhead(f, tok::Step)) {
        f.pos += 2;
        if (ErrNo r = EvaluateExpression(f, step); r != kOk) return r;
      } else {
        step.SetInteger(1);
      }
    }
    if (!StepIntegerLoop(cell, offset, fromNext, step, limit, &finished)) {
      Value current;
      if (ErrNo r = ReadVariable(m, cell, offset, current); r != kOk) return r;
      if (fromNext) {
        if (current.type < kInteger) return kErrTypeMismatch;
        Value increment;
        if (ErrNo r = CopyValue(step, increment); r != kOk) return r;
        // Integer sums that leave the 32-bit range become doubles here; the
        // assignment then applies the variable's own coercion.
        if (ErrNo r = CombineValues(kOpAdd, current, increment); r != kOk) return r;
        Value stored;
        if (ErrNo r = CopyValue(current, stored); r != kOk) return r;
        if (ErrNo r = WriteVariable(m, cell, offset, stored); r != kOk) return r;
      }
      if (step.type < kInteger) return kErrTypeMismatch;
      Value zero;
      zero.SetInteger(0);
      if (ErrNo r = CombineValues(kOpGreaterEqual, step, zero); r != kOk) return r;
      const bool upward = IsTrue(step);
      if (ErrNo r = CombineValues(upward ? kOpGreater : kOpLess, current, limit); r != kOk) return r;
      finished = IsTrue(current);
    }
  }
  if (finished) return LoopExit(f);
  if (fromNext) TraceEcho(f);
  return kOk;
}

[[nodiscard]] ErrNo ExitDo(ExecFrame& f) noexcept {
  if (f.FindEntry(tok::Do) == nullptr) return 141;
  f.Pop();
  if (!BlockSearch(f, tok::Loop)) return 135;
  if (ExpectKeyword(f, tok::While) != kOk) return kErrSyntax;
  // The condition is read only to get past it.
  Value ignored;
  return EvaluateLocked(f, ignored);
}

}  // namespace

bool SkipFalseThen(ExecFrame& f) noexcept {
  Token t;
  for (;;) {
    const int k = ReadToken(f, t);
    if (k == kind::End) return false;
    if (k == kind::Punct && t.byte == ':') return false;
    if (k != kind::Keyword) continue;
    if (t.code == tok::Else) return true;
    if (t.code == tok::Rem || t.code == tok::Apostrophe) return false;
  }
}

namespace {

// A number Case whose value is one number constant ending the statement,
// read without the general evaluation; the position ends where the
// evaluation leaves it. False, with nothing consumed, for any other value.
bool ConstantCase(ExecFrame& f, double* value) noexcept {
  const uint8_t* p = f.pos;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  const uint8_t b = *p;
  const uint8_t* after;
  if (b >= code::SmallFirst && b <= code::SmallLast) {
    *value = b - code::SmallFirst;
    after = p + 1;
  } else if (b == code::Byte) {
    *value = p[1];
    after = p + 2;
  } else if (b == code::Short) {
    *value = LoadI16(p + 1);
    after = p + 3;
  } else if (b == code::Double) {
    *value = LoadF64(p + 1);
    after = p + 9;
  } else {
    return false;
  }
  const uint8_t* q = after;
  while (*q >= 0x01 && *q <= code::MaxSpaceRun) ++q;
  if (*q != code::EndOfLine && *q != ':') return false;
  f.tokenStart = after;
  f.pos = q;
  return true;
}

}  // namespace

// ---- If ----

ErrNo StmtIf(ExecFrame& f) noexcept {
  bool truth = false;
  if (ErrNo e = Condition(f, &truth); e != kOk) return e;

  if (BlockIfAhead(f)) {
    if (!truth) {
      if (!BlockSearch(f, tok::Elseif, tok::Else, tok::EndIf)) return 128;
      UnreadToken(f);  // the found Elseif, Else or EndIf runs next
    }
    uint8_t* e = f.Push(tok::If, kIfSize);
    if (e == nullptr) return kErrInternal;
    // True: the position stays before "Then", so statements after a ":" on
    // this line already belong to the branch.
    StoreU32(e + kIfTaken, truth ? 1 : 0);
    StoreU32(e + kIfActive, truth ? 1 : 0);
    return kOk;
  }

  Token t;
  if (truth) {
    f.blockContext = 0;  // an Else on this line now ends the line
    if (ReadToken(f, t) != kind::Keyword) return kErrSyntax;
    if (t.code == tok::Then || t.code == tok::Goto) return kOk;
    if (t.code == tok::Gosub) {
      UnreadToken(f);  // the Gosub statement runs next
      return kOk;
    }
    return kErrSyntax;
  }
  // False one-line If: only an Else before the first ":" runs. Where the
  // scan from here ends is remembered; a skipped line is recorded as the
  // line's own start, where no Else can be.
  ProgramArea& a = f.macro->program;
  const uint8_t* site = f.pos;
  SiteResult found;
  if (a.sites.Find(a, SiteFact::OneLineElse, site, &found) && found.line == f.line) {
    if (found.pos == found.line) return kSkipLine;
    f.tokenStart = found.pos;
    f.pos = found.pos + 2;
    return kOk;
  }
  const bool elseFound = SkipFalseThen(f);
  const bool inLine = f.line != nullptr && site >= f.line && site < f.line + RecordLength(f.line);
  if (inLine)
    a.sites.Remember(a, SiteFact::OneLineElse, site, SiteResult{f.line, elseFound ? f.tokenStart : f.line});
  return elseFound ? kOk : kSkipLine;
}

ErrNo QuickBlockIf(ExecFrame& f, bool truth, const uint8_t* after, const uint8_t* afterStart,
                   uint8_t* falseLine, const uint8_t* falsePos) noexcept {
  if (truth) {
    f.pos = after;
    f.tokenStart = afterStart;
  } else {
    SetPosition(f, falseLine, falsePos);
  }
  uint8_t* e = f.Push(tok::If, kIfSize);
  if (e == nullptr) return kErrInternal;
  StoreU32(e + kIfTaken, truth ? 1 : 0);
  StoreU32(e + kIfActive, truth ? 1 : 0);
  return kOk;
}

ErrNo StmtElseif(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::If);
  if (e == nullptr) return 125;
  if (LoadU32(e + kIfTaken) != 0) {
    if (!BlockSearch(f, tok::EndIf)) return 129;
    UnreadToken(f);
    StoreU32(e + kIfActive, 0);
    return kOk;
  }
  bool truth = false;
  if (ErrNo r = Condition(f, &truth); r != kOk) return r;
  if (truth) {
    StoreU32(e + kIfTaken, 1);
    StoreU32(e + kIfActive, 1);
    TraceEcho(f);
    return kOk;
  }
  if (!BlockSearch(f, tok::Elseif, tok::Else, tok::EndIf)) return 129;
  UnreadToken(f);
  StoreU32(e + kIfActive, 0);
  return kOk;
}

ErrNo StmtElse(ExecFrame& f) noexcept {
  if (f.blockContext == 0) {
    // The Then part of a true one-line If ends here.
    f.blockContext = 1;
    return kSkipLine;
  }
  uint8_t* e = f.TopEntry(tok::If);
  if (e == nullptr) return 126;
  if (LoadU32(e + kIfTaken) == 0) {
    StoreU32(e + kIfTaken, 1);
    StoreU32(e + kIfActive, 1);
    TraceEcho(f);
    return kOk;
  }
  if (!BlockSearch(f, tok::EndIf)) return 130;
  UnreadToken(f);
  StoreU32(e + kIfActive, 0);
  return kOk;
}

ErrNo StmtEndIf(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::If);
  if (e == nullptr) return 127;
  if (LoadU32(e + kIfActive) == 0) TraceEcho(f);  // arrived by a skip, not in sequence
  f.Pop();
  return kOk;
}

// ---- For / Next ----

ErrNo StmtFor(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  Token t;
  const int k = ReadToken(f, t);
  if (!IsVariableKind(k)) return kErrSyntax;
  uint8_t* const cell = t.cell;
  if (!IsVariableCell(cell)) return kErrTypeMismatch;
  uint32_t offset = 0;
  if (IsArrayKind(k)) {
    LockGuard guard(m.lock);
    if (ErrNo r = ElementOffset(f, cell, &offset); r != kOk) return r;
  }
  if (ExpectChar(f, '=') != kOk) return kErrSyntax;
  {
    LockGuard guard(m.lock);
    Value start;
    if (ErrNo r = EvaluateExpression(f, start); r != kOk) return r;
    if (ErrNo r = WriteVariable(m, cell, offset, start); r != kOk) return r;
  }
  if (ExpectKeyword(f, tok::To) != kOk) return kErrSyntax;

  uint8_t* e = f.Push(tok::For, kForSize);
  if (e == nullptr) return kErrInternal;
  StorePtr(e + kForCell, cell);
  StoreU32(e + kForOffset, offset);
  StorePtr(e + kForLine, f.line);
  StorePtr(e + kForLimit, f.pos);
  return LoopTest(f, false);
}

namespace {

// The limit of a direct loop (see QuickLoop).
template <QuickLoop::Limit kLimit>
double DirectLimit(const QuickLoop& loop) noexcept {
  if constexpr (kLimit == QuickLoop::kInteger) return loop.limitInteger;
  if constexpr (kLimit == QuickLoop::kIntVar) return static_cast<int32_t>(LoadU32(loop.limitCell + 1));
  if constexpr (kLimit == QuickLoop::kDouble) return loop.limitNumber;
  if constexpr (kLimit == QuickLoop::kDblVar) return LoadF64(loop.limitCell + 1);
}

double DirectLimit(const QuickLoop& loop) noexcept {
  switch (loop.direct) {
    case QuickLoop::kInteger: return DirectLimit<QuickLoop::kInteger>(loop);
    case QuickLoop::kIntVar: return DirectLimit<QuickLoop::kIntVar>(loop);
    case QuickLoop::kDouble: return DirectLimit<QuickLoop::kDouble>(loop);
    default: return DirectLimit<QuickLoop::kDblVar>(loop);
  }
}

// The step of a direct loop at this pass: its value, its direction and the
// farthest value it does not carry out of range.
struct DirectStep {
  int32_t by;
  bool upward;
  int32_t lastBefore;
};

// kStep: 1 a constant step upward, -1 downward, 0 an integer variable.
template <int kStep>
DirectStep StepOf(const QuickLoop& loop) noexcept {
  if constexpr (kStep == 0) {
    const int32_t by = static_cast<int32_t>(LoadU32(loop.stepCell + 1));
    return {by, by >= 0, by >= 0 ? INT32_MAX - by : INT32_MIN - by};
  } else {
    return {loop.stepBy, kStep > 0, loop.lastBeforeStep};
  }
}

// The Next of a direct loop, made for the kind of its limit and step, for
// where its body starts (on the next line, kToBody, or after the For on its
// line) and for whether it runs its loop's one assignment itself (kFused,
// see OneStatementBody).
template <QuickLoop::Limit kLimit, bool kToBody, int kStep, bool kFused>
ErrNo RunDirectNext(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickLoop& loop = q.loop;
  for (;;) {
    uint8_t* const e = f.TopEntry(tok::For);
    // The same limit position means the same For statement (loop.direct
    // holds), and a For over an array element keeps the array's cell, whose
    // tag is not the integer tag.
    if (e == nullptr || LoadPtr(e + kForLimit) != loop.directSite) return RunNextForm(q, f);
    // The same For statement has the same variable, which the Next's was
    // when the loop was made direct.
    uint8_t* const variable = LoadPtr(e + kForCell);
    assert(q.cell == nullptr || variable == q.cell);
    if (variable[0] != kTagInteger) return RunNextForm(q, f);
    // The body is entered anew: a trace a host turned on meanwhile shows the
    // For line. (Stepping is never on while forms run.)
    if (f.macro->watched.load(std::memory_order_relaxed) != 0) return RunNextForm(q, f);
    if (kToBody && f.follows < loop.bodyFrom) return RunNextForm(q, f);

    // A sum out of range goes the general way, which reports it.
    const int32_t current = static_cast<int32_t>(LoadU32(variable + 1));
    const DirectStep step = StepOf<kStep>(loop);
    if (step.upward ? current > step.lastBefore : current < step.lastBefore) return RunNextForm(q, f);
    const int32_t next = current + step.by;
    const double limit = DirectLimit<kLimit>(loop);
    StoreU32(variable + 1, static_cast<uint32_t>(next));
    uint8_t* nextLine = LoadPtr(e + kForNextLine);
    if (nextLine == nullptr) {
      // Where the first NEXT that runs ends is where the loop exit continues.
      nextLine = f.line;
      StorePtr(e + kForNextLine, nextLine);
      StorePtr(e + kForNextPos, q.after);
    }
    const double c = static_cast<double>(next);
    if (step.upward ? c > limit : c < limit) [[unlikely]] {
      SetPosition(f, nextLine, LoadPtr(e + kForNextPos));
      f.tokenStart = loop.endStart;
      f.top = e + kForSize;  // the entry on top, which owns nothing
    } else if (kToBody) {
      JumpTo(f, loop.bodyLine);
      f.blockContext = 1;
      // The same for a loop whose body is one line of one assignment (or
      // none), going on to the Next's line as the dispatcher would: not
      // where that line must be shown.
      if (const QuickStmt* body = q.chained; kFused && !f.macro->lock.HandOverWanted()) {
        if (body == nullptr) continue;
        const ErrNo b = body->run(*body, f);
        if (b == kQuickFallback) {
          JumpTo(f, loop.bodyLine);
          return kOk;
        }
        if (b != kQuickLineEnd || f.macro->watched.load(std::memory_order_relaxed) != 0 ||
            f.macro->lock.HandOverWanted())
          return b;
        JumpTo(f, f.line + RecordLength(f.line));
        f.blockContext = 1;
        continue;
      }
    } else {
      SetPosition(f, loop.forLine, loop.end);
      f.tokenStart = loop.endStart;
      // A one-line loop of one assignment (or of none) runs it here and
      // steps again, as the dispatcher would run the two in turn, while
      // nobody waits for the lock. Where the assignment takes the general
      // way, the position is left before it, where the dispatcher finds it
      // again.
      if (const QuickStmt* body = q.chained; kFused && !f.macro->lock.HandOverWanted()) {
        if (body == nullptr) continue;
        const ErrNo b = body->run(*body, f);
        if (b == kQuickFallback) {
          f.pos = loop.end;
          f.tokenStart = loop.endStart;
          return kOk;
        }
        if (b != kOk || f.pos != body->after || f.macro->lock.HandOverWanted()) return b;
        continue;
      }
    }
    return kOk;
  }
}

// The one assignment of a loop whose Next q steps it directly: on the For's
// line followed by q, or alone on the line between the For's and q's (q
// first on its line); null when q follows the For at once; q itself when
// the body is anything else.
const QuickStmt* OneStatementBody(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickLoop& loop = q.loop;
  if (!loop.endsLine) {
    if (loop.forLine != f.line) return &q;
    const QuickStmt* body = QuickStatementAt(f, loop.end);
    if (body == &q) return nullptr;
    if (body == nullptr || body->endsLine || !IsAssignmentForm(*body)) return &q;
    return QuickStatementAt(f, body->after) == &q ? body : &q;
  }
  if (loop.bodyLine == nullptr) return &q;
  ExecFrame scratch(f.macro);
  scratch.line = loop.bodyLine;
  const QuickStmt* body = QuickStatementAt(scratch, RecordCode(loop.bodyLine));
  if (body == &q) return nullptr;
  if (body == nullptr || !body->endsLine || !IsAssignmentForm(*body)) return &q;
  uint8_t* const next = loop.bodyLine + RecordLength(loop.bodyLine);
  if (RecordLength(next) == 0) return &q;
  scratch.line = next;
  return QuickStatementAt(scratch, RecordCode(next)) == &q ? body : &q;
}

template <bool kToBody, int kStep, bool kFused>
QuickRunner DirectNextFor(QuickLoop::Limit limit) noexcept {
  switch (limit) {
    case QuickLoop::kInteger: return RunDirectNext<QuickLoop::kInteger, kToBody, kStep, kFused>;
    case QuickLoop::kIntVar: return RunDirectNext<QuickLoop::kIntVar, kToBody, kStep, kFused>;
    case QuickLoop::kDouble: return RunDirectNext<QuickLoop::kDouble, kToBody, kStep, kFused>;
    default: return RunDirectNext<QuickLoop::kDblVar, kToBody, kStep, kFused>;
  }
}

template <bool kToBody, bool kFused>
QuickRunner DirectNextFor(const QuickLoop& loop) noexcept {
  if (loop.stepCell != nullptr) return DirectNextFor<kToBody, 0, kFused>(loop.direct);
  return loop.upward ? DirectNextFor<kToBody, 1, kFused>(loop.direct)
                     : DirectNextFor<kToBody, -1, kFused>(loop.direct);
}

QuickRunner DirectNextFor(const QuickLoop& loop, bool fused) noexcept {
  if (loop.endsLine) return fused ? DirectNextFor<true, true>(loop) : DirectNextFor<true, false>(loop);
  return fused ? DirectNextFor<false, true>(loop) : DirectNextFor<false, false>(loop);
}

}  // namespace

// Once a Next form has decoded its loop it runs through the runner made for
// that loop; another loop reaching the form (a Next shared by several For
// statements) brings it back here.
ErrNo RunNextForm(const QuickStmt& q, ExecFrame& f) noexcept {
  f.pos = q.after;
  f.tokenStart = q.afterStart;
  const ErrNo e = QuickNext(f, q.cell, q.loop);
  const QuickLoop& loop = q.loop;
  if (loop.directSite == nullptr || (loop.endsLine && loop.bodyLine == nullptr)) {
    q.run = RunNextForm;
  } else {
    q.chained = OneStatementBody(q, f);
    q.run = DirectNextFor(loop, q.chained != &q);
  }
  return e;
}

ErrNo QuickNext(ExecFrame& f, const uint8_t* cell, QuickLoop& loop) noexcept {
  uint8_t* e = f.TopEntry(tok::For);
  if (e == nullptr || LoadU32(e + kForOffset) != 0) return kQuickFallback;
  uint8_t* const variable = LoadPtr(e + kForCell);
  if (cell != nullptr && variable != cell) return kQuickFallback;
  if (LoadPtr(e + kForNextLine) == nullptr) {
    // Where the first NEXT that runs ends is where the loop exit continues.
    StorePtr(e + kForNextLine, f.line);
    StorePtr(e + kForNextPos, f.pos);
  }
  const uint8_t* const site = LoadPtr(e + kForLimit);
  uint8_t* const forLine = LoadPtr(e + kForLine);
  if (loop.site != site) DecodeLoop(*f.macro, forLine, site, loop);
  bool finished;
  if (StepDecodedLoop(f, loop, variable, true, &finished)) {
    SetPosition(f, forLine, loop.end);
    f.tokenStart = loop.endStart;
    if (finished) return LoopExit(f);
    TraceEcho(f);
    if (!loop.endsLine) return kOk;
    // The body starts on the next line: go there as the dispatcher would.
    if (f.follows < loop.bodyFrom) {  // also without a body line
      SkipSpaces(f);
      f.tokenStart = f.pos;
      return kQuickLineEnd;
    }
    JumpTo(f, loop.bodyLine);
    f.blockContext = 1;
    return kOk;
  }
  SetPosition(f, forLine, site);
  return LoopTest(f, true);
}

ErrNo QuickFor(ExecFrame& f, uint8_t* cell, int32_t start, const uint8_t* limit, QuickLoop& loop) noexcept {
  if (loop.site != limit) DecodeLoop(*f.macro, f.line, limit, loop);
  // A loop that runs no pass leaves by the general test, which finds its Next.
  const bool direct = loop.directSite != nullptr;
  const double to = direct ? DirectLimit(loop) : 0.0;
  const bool upward = loop.stepCell != nullptr ? static_cast<int32_t>(LoadU32(loop.stepCell + 1)) >= 0 : loop.upward;
  const bool entered = direct && (upward ? start <= to : start >= to);
  StoreU32(cell + 1, static_cast<uint32_t>(start));
  uint8_t* e = f.PushFilled(tok::For, kForSize);
  if (e == nullptr) return kErrInternal;
  static_assert(kForSize == 48 && kForOffset == 8 && kForLine == 16 && kForNextPos == 40, "every byte below");
  StorePtr(e + kForCell, cell);
  StoreU32(e + kForOffset, 0);
  StoreU32(e + kForOffset + 4, 0);
  StorePtr(e + kForLine, f.line);
  StorePtr(e + kForLimit, limit);
  StorePtr(e + kForNextLine, nullptr);
  StorePtr(e + kForNextPos, nullptr);
  if (entered) {
    f.pos = loop.end;
    f.tokenStart = loop.endStart;
    return kOk;
  }
  f.pos = limit;
  f.tokenStart = limit - 2;
  return LoopTest(f, false);
}

ErrNo StmtNext(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::For);
  if (e == nullptr) return kErrNextWithoutFor;
  Token t;
  const int k = ReadToken(f, t);
  if (IsVariableKind(k)) {
    if (t.cell != LoadPtr(e + kForCell)) return kErrNextWithoutFor;
    uint32_t offset = 0;
    if (IsArrayKind(k)) {
      LockGuard guard(f.macro->lock);
      if (ErrNo r = ElementOffset(f, t.cell, &offset); r != kOk) return r;
    }
    if (offset != LoadU32(e + kForOffset)) return kErrNextWithoutFor;
  } else {
    UnreadToken(f);
  }
  if (LoadPtr(e + kForNextLine) == nullptr) {
    // Where the first NEXT that runs ends is where the loop exit continues.
    StorePtr(e + kForNextLine, f.line);
    StorePtr(e + kForNextPos, f.pos);
  }
  SetPosition(f, LoadPtr(e + kForLine), LoadPtr(e + kForLimit));
  return LoopTest(f, true);
}

// ---- Do / Loop While / Exit ----

ErrNo StmtDo(ExecFrame& f) noexcept {
  uint8_t* e = f.Push(tok::Do, kDoSize);
  if (e == nullptr) return kErrInternal;
  StorePtr(e + kDoLine, f.line);
  StorePtr(e + kDoPos, f.pos);  // statements after DO on its line belong to the loop
  return kOk;
}

ErrNo StmtLoop(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Do);
  if (e == nullptr) return 136;
  if (ExpectKeyword(f, tok::While) != kOk) return kErrSyntax;
  bool again = false;
  {
    Value v;
    if (ErrNo r = EvaluateLocked(f, v); r != kOk) return r;
    if (v.type == kInteger) {
      again = v.count != 0;
    } else if (v.type == kDouble) {
      again = !(v.number == 0.0);  // NaN counts as true
    } else {
      return kErrTypeMismatch;
    }
  }
  if (!again) {
    f.Pop();
    return kOk;
  }
  SetPosition(f, LoadPtr(e + kDoLine), LoadPtr(e + kDoPos));
  TraceEcho(f);
  return kOk;
}

ErrNo QuickLoopWhile(ExecFrame& f, const QuickExpr& condition) noexcept {
  uint8_t* e = f.TopEntry(tok::Do);
  QuickNumber v;
  if (e == nullptr || !RunQuickNumber(condition, f, &v)) return kQuickFallback;
  if (v.d == 0.0) {  // NaN counts as true
    f.pos = QuickEnd(condition);
    f.tokenStart = QuickTokenStart(condition);
    f.Pop();
    return kOk;
  }
  SetPosition(f, LoadPtr(e + kDoLine), LoadPtr(e + kDoPos));
  TraceEcho(f);
  return kOk;
}

ErrNo StmtExit(ExecFrame& f) noexcept {
  Token t;
  if (ReadToken(f, t) != kind::Keyword) return kErrSyntax;
  switch (t.code) {
    case tok::Do: return ExitDo(f);
    case tok::For: return LoopExit(f);
    case tok::Sub: return StmtEndSub(f);
    default: return kErrSyntax;
  }
}

// ---- Select / Case / End Select ----

ErrNo StmtSelect(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  uint32_t selectorKind = kSelectNumber;
  double number = 0.0;
  char* text = nullptr;
  {
    LockGuard guard(m.lock);
    Value v;
    if (ErrNo r = EvaluateExpression(f, v); r != kOk) return r;
    if (v.type == kInteger) {
      number = v.count;
    } else if (v.type == kDouble) {
      number = v.number;
    } else if (v.type == kOwnedText) {
      // The entry takes the buffer over; both were allocated with malloc.
      selectorKind = kSelectText;
      text = const_cast<char*>(v.text);
      v.type = kEmpty;
      v.text = nullptr;
      v.count = 0;
    } else if (v.type == kVarText || v.type == kConstText) {
      // A borrowed text may change under the entry: keep a copy.
      selectorKind = kSelectText;
      const size_t len = v.count > 0 ? static_cast<size_t>(v.count) : 0;
      text = static_cast<char*>(memory::Allocate(len + 1));
      if (text == nullptr) return kErrOutOfMemory;
      if (len != 0) std::memcpy(text, v.text, len);
      text[len] = '\0';
    } else {
      return kErrTypeMismatch;
    }
  }
  uint8_t* e = f.Push(tok::Select, kSelectSize);
  if (e == nullptr) {
    memory::Free(text);
    return kErrInternal;
  }
  StoreU32(e + kSelectKind, selectorKind);
  if (selectorKind == kSelectText) {
    StorePtr(e + kSelectValue, reinterpret_cast<const uint8_t*>(text));
  } else {
    StoreF64(e + kSelectValue, number);
  }
  // Statements between Select and its first Case never run.
  if (!BlockSearch(f, tok::Case, tok::EndSelect)) return 123;
  UnreadToken(f);
  return kOk;
}

ErrNo StmtCase(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Select);
  if (e == nullptr) return 121;
  if (LoadU32(e + kSelectMatched) != 0) {
    // The body of the matching Case ran into the next Case.
    if (!BlockSearch(f, tok::EndSelect)) return 124;
    UnreadToken(f);
    StoreU32(e + kSelectActive, 0);
    return kOk;
  }
  bool equal = false;
  if (KeywordAhead(f, tok::Else)) {
    f.pos += 2;
    equal = true;
  } else if (LoadU32(e + kSelectKind) == kSelectText) {
    char buffer[kTextArgumentSize];
    if (ErrNo r = TextArgument(f, buffer); r != kOk) return r;
    const char* selector = reinterpret_cast<const char*>(LoadPtr(e + kSelectValue));
    equal = selector != nullptr && std::strcmp(buffer, selector) == 0;
  } else {
    double value = 0.0;
    if (!ConstantCase(f, &value)) {
      if (ErrNo r = DoubleArgument(f, &value); r != kOk) return r;
    }
    equal = value == LoadF64(e + kSelectValue);  // NaN matches nothing
  }
  if (equal) {
    StoreU32(e + kSelectMatched, 1);
    StoreU32(e + kSelectActive, 1);
    TraceEcho(f);
    return kOk;
  }
  if (!BlockSearch(f, tok::Case, tok::EndSelect)) return 124;
  UnreadToken(f);
  StoreU32(e + kSelectActive, 0);
  return kOk;
}

ErrNo QuickSelect(ExecFrame& f, double selector, uint8_t* line, const uint8_t* pos) noexcept {
  uint8_t* e = f.Push(tok::Select, kSelectSize);
  if (e == nullptr) return kErrInternal;
  StoreU32(e + kSelectKind, kSelectNumber);
  StoreF64(e + kSelectValue, selector);
  SetPosition(f, line, pos);
  return kOk;
}

ErrNo QuickCaseRun(ExecFrame& f, const QuickCase& c) noexcept {
  uint8_t* e = f.TopEntry(tok::Select);
  if (e == nullptr) return kQuickFallback;
  if (LoadU32(e + kSelectMatched) != 0) {
    SetPosition(f, c.endLine, c.endPos);
    StoreU32(e + kSelectActive, 0);
    return kOk;
  }
  if (LoadU32(e + kSelectKind) != kSelectNumber) return kQuickFallback;
  if (c.isElse || c.value == LoadF64(e + kSelectValue)) {  // NaN matches nothing
    StoreU32(e + kSelectMatched, 1);
    StoreU32(e + kSelectActive, 1);
    FormTraceEcho(f);
    return kOk;
  }
  SetPosition(f, c.nextLine, c.nextPos);
  StoreU32(e + kSelectActive, 0);
  return kOk;
}

ErrNo QuickEndSelect(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Select);
  // A text Select owns its text, which the general statement frees.
  if (e == nullptr || LoadU32(e + kSelectKind) != kSelectNumber) return StmtEndSelect(f);
  if (LoadU32(e + kSelectActive) == 0) TraceEcho(f);
  f.top = e + kSelectSize;  // the entry on top, which owns nothing
  return kOk;
}

ErrNo StmtEndSelect(ExecFrame& f) noexcept {
  uint8_t* e = f.TopEntry(tok::Select);
  if (e == nullptr) return 122;
  if (LoadU32(e + kSelectActive) == 0) TraceEcho(f);
  f.Pop();
  return kOk;
}

// ---- Goto ----

ErrNo StmtGoto(ExecFrame& f) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if (ErrNo r = JumpToTarget(f, k, t); r != kOk) return r;
  TraceEcho(f);
  return kOk;
}

}  // namespace msc
