// Variable statements: Dim, ReDim, Erase, Clear, New, Delete, VarPush, VarPop,
// SetVar, VarList and VarSave.
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "api/qor_macro.h"
#include "engine/active_frames.h"
#include "engine/evaluator.h"
#include "engine/run.h"
#include "engine/saved_variables.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/token_reader.h"
#include "platform/console.h"
#include "platform/lock.h"
#include "statements/handlers.h"
#include "variables/images.h"

namespace msc {
namespace {

// The bounds list of Dim and ReDim holds at most this many dimensions.
constexpr uint32_t kMaxDimensions = 129;

bool IsVariableKind(int k) noexcept { return k >= kind::IntVar && k <= kind::VariantArray; }

bool IsArrayKind(int k) noexcept {
  return k == kind::IntArray || k == kind::DblArray || k == kind::StrArray || k == kind::VariantArray;
}

bool IsArrayTag(uint8_t t) noexcept {
  return t == tag::IntArray || t == tag::DblArray || t == tag::StrArray || t == tag::VariantArray;
}

void ToUpperInPlace(char* text) noexcept {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
}

// The optional pattern of VarList and VarSave, upper-cased; *given is false
// when the statement ends without one.
ErrNo OptionalPattern(ExecFrame& f, char* pattern, bool* given) noexcept {
  *given = !AtStatementEnd(f);
  if (!*given) {
    std::strcpy(pattern, "*");
    return kOk;
  }
  if (ErrNo e = TextArgument(f, pattern); e != kOk) return e;
  ToUpperInPlace(pattern);
  return kOk;
}

// Visits every cell of the variable area in order while fn returns 0. A cell
// of unknown kind prints the internal error and gives 13.
template <class Fn> ErrNo WalkVariables(QorMacro& m, Fn&& fn) noexcept {
  uint8_t* p = m.variables.First();
  while (p != nullptr && *p != 0) {
    if (*p == tag::Link) {
      p = LoadPtr(p + 1);
      continue;
    }
    const int ps = PayloadSize(*p);
    if (ps < 0) {
      InternalError();
      return kErrTypeMismatch;
    }
    if (ErrNo e = fn(p); e != kOk) return e;
    p += 2 + ps + p[1 + ps];
  }
  return kOk;
}

bool NameMatches(const char* pattern, const uint8_t* cell) noexcept {
  return NamePatternMatch(pattern, CellName(cell), CellNameLength(cell));
}

// ---- Dim and ReDim ----

// "(" bounds ")" after an array variable; Dim alone accepts "()" and then
// leaves the array as it is.
ErrNo DimensionFromBounds(ExecFrame& f, uint8_t* cell, bool isDim) noexcept {
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  SkipSpaces(f);
  if (*f.pos == ')' && isDim) {
    ++f.pos;
    return kOk;
  }
  uint32_t extents[kMaxDimensions];
  uint32_t dims = 0;
  for (;;) {
    int32_t bound = 0;
    if (ErrNo e = IntegerArgument(f, &bound); e != kOk) return e;
    if (bound < 0 || bound == INT32_MAX || dims == kMaxDimensions) return kErrIllegalCall;
    extents[dims++] = static_cast<uint32_t>(bound) + 1;
    SkipSpaces(f);
    if (*f.pos == ')') {
      ++f.pos;
      break;
    }
    if (*f.pos != ',') return kErrSyntax;
    ++f.pos;
  }
  platform::LockGuard hold(f.macro->lock);
  return DimensionArray(cell, dims, extents);
}

ErrNo DimensionList(ExecFrame& f, bool isDim) noexcept {
  for (;;) {
    Token t;
    const int k = ReadToken(f, t);
    if (!IsVariableKind(k)) return kErrSyntax;
    if (IsArrayKind(k)) {
      if (ErrNo e = DimensionFromBounds(f, t.cell, isDim); e != kOk) return e;
    }
    SkipSpaces(f);
    if (*f.pos != ',') return kOk;
    ++f.pos;
  }
}

// ---- New and Delete ----

bool InProgramArea(const QorMacro& m, const uint8_t* record) noexcept {
  const auto at = reinterpret_cast<uintptr_t>(record);
  const auto begin = reinterpret_cast<uintptr_t>(m.program.data);
  return m.program.data != nullptr && at >= begin &&
         at < begin + static_cast<uintptr_t>(m.program.used > 0 ? m.program.used : 0);
}

// Ends the frame's run after the current statement: nothing of the removed
// line is read again.
ErrNo EndRun(ExecFrame& f) noexcept {
  JumpTo(f, EndOfRunRecord());
  return kSkipLine;
}

// A line number operand of Delete: a line-number reference, or an integer
// (0 compiles as one).
bool ReadLineNumber(ExecFrame& f, uint32_t* number) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if ((k == kind::LineRef || k == kind::Integer) && t.integer >= 0) {
    *number = static_cast<uint32_t>(t.integer);
    return true;
  }
  return false;
}

ErrNo ReadDeleteRange(ExecFrame& f, uint32_t* first, uint32_t* last) noexcept {
  SkipSpaces(f);
  if (*f.pos == '-') {
    ++f.pos;
    *first = 0;
    return ReadLineNumber(f, last) ? kOk : kErrSyntax;
  }
  if (!ReadLineNumber(f, first)) return kErrSyntax;
  SkipSpaces(f);
  if (*f.pos == '-') {
    ++f.pos;
    if (!ReadLineNumber(f, last)) return kErrSyntax;
    return *first > *last ? kErrSyntax : kOk;
  }
  if (!AtStatementEnd(f)) return kErrSyntax;
  *last = *first;
  return kOk;
}

// ---- VarPush ----

// Reads the VarPush list from the code position. Counts the items into
// *count and, when cells is given, stores them there. 13 for an item that is
// not an integer or double scalar.
ErrNo ReadPushList(ExecFrame& f, uint8_t** cells, size_t* count) noexcept {
  *count = 0;
  for (;;) {
    Token t;
    const int k = ReadToken(f, t);
    if (k != kind::IntVar && k != kind::DblVar) return kErrTypeMismatch;
    if (cells != nullptr) cells[*count] = t.cell;
    ++*count;
    SkipSpaces(f);
    if (*f.pos != ',') return kOk;
    ++f.pos;
  }
}

// ---- SetVar ----

// Makes v independent of every variable, so that assigning it to one
// variable cannot change what the next one receives.
ErrNo DetachValue(Value& v) noexcept {
  if (v.type == kVarText) {
    Value copy;
    if (ErrNo e = copy.SetOwnedText(v.text, static_cast<size_t>(v.count)); e != kOk) return e;
    v.MoveFrom(copy);
  } else if (v.type == kBytes && v.block == nullptr) {
    Value copy;
    if (ErrNo e = copy.SetBytes(v.text, static_cast<size_t>(v.count)); e != kOk) return e;
    v.MoveFrom(copy);
  }
  return kOk;
}

// A borrowing copy of a detached value: the assignment may convert or take
// over its argument, never the original.
void BorrowValue(const Value& from, Value& to) noexcept {
  to.Clear();
  switch (from.type) {
    case kInteger: to.SetInteger(from.count); break;
    case kDouble: to.SetDouble(from.number); break;
    case kConstText:
    case kOwnedText: to.SetBorrowedText(kConstText, from.text, from.count); break;
    case kBytes:
      to.type = kBytes;
      to.count = from.count;
      to.text = from.text;
      break;
    default: break;
  }
}

// ---- VarList ----

// One line of VarList without its line end.
void AppendListLine(std::string& out, uint8_t* cell, QorMacro& m) {
  char number[512];
  const auto appendInteger = [&](int32_t v) {
    std::snprintf(number, sizeof number, "=%d", v);
    out += number;
  };
  const auto appendDouble = [&](double v) {
    std::snprintf(number, sizeof number, "=%.3f", v);
    out += number;
  };
  const auto appendText = [&](const char* text) {
    out += "=\"";
    out += text;
    out += '"';
  };
  out.assign(CellName(cell), CellNameLength(cell));
  switch (cell[0]) {
    case tag::Int: appendInteger(static_cast<int32_t>(LoadU32(cell + 1))); return;
    case tag::Dbl: appendDouble(LoadF64(cell + 1)); return;
    case tag::Str: {
      const uint8_t* text = LoadPtr(cell + 1);
      appendText(text != nullptr ? reinterpret_cast<const char*>(text) : "");
      return;
    }
    case tag::IntArray:
    case tag::DblArray:
    case tag::StrArray:
    case tag::VariantArray: {
      const uint8_t* block = ArrayBlock(cell);
      const uint32_t dims = block != nullptr ? LoadU32(block) : 0;
      out += '(';
      for (uint32_t i = 0; i < dims; ++i) {
        std::snprintf(number, sizeof number, i + 1 < dims ? "%u, " : "%u", LoadU32(block + 4 + 4 * i));
        out += number;
      }
      out += ')';
      return;
    }
    default: {  // reference and variant: their current value
      Value v;
      if (ReadScalar(m, cell, v) != kOk) return;
      if (v.type == kInteger) appendInteger(v.count);
      if (v.type == kDouble) appendDouble(v.number);
      if (IsTextType(v.type)) appendText(v.text != nullptr ? v.text : "");
      return;
    }
  }
}

// ---- VarSave ----

// Writes the variables that match pattern (all of them for null) to the
// procedure stream as chunks of the variable stream; 7 when memory runs
// out, 5 when writing fails.
ErrNo WriteProcedureChunks(QorMacro& m, const char* pattern) noexcept {
  VariableSelection selection;
  selection.kind = pattern != nullptr ? VariableSelection::kPattern : VariableSelection::kEverything;
  selection.pattern = pattern;
  const int32_t written = WriteStreamChunks(m, selection, *m.procedureStream);
  if (written == kErrOutOfMemory) return kErrOutOfMemory;
  return written == kOk ? kOk : kErrIllegalCall;
}

}  // namespace

ErrNo StmtDim(ExecFrame& f) noexcept { return DimensionList(f, true); }

ErrNo StmtReDim(ExecFrame& f) noexcept { return DimensionList(f, false); }

ErrNo StmtErase(ExecFrame& f) noexcept {
  for (;;) {
    Token t;
    if (!IsArrayKind(ReadToken(f, t))) return kErrSyntax;
    if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
    {
      platform::LockGuard hold(f.macro->lock);
      FreeArray(t.cell);
    }
    SkipSpaces(f);
    if (*f.pos != ',') break;
    ++f.pos;
  }
  return AtStatementEnd(f) ? kOk : kErrSyntax;
}

ErrNo StmtClear(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  platform::LockGuard hold(m.lock);
  (void)RestoreSavedVariables(m, 0);
  ClearVariables(m, true);
  return kOk;
}

ErrNo StmtNew(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  const bool runningProgram = InProgramArea(m, f.line);
  {
    const EditPermit permit(m);
    if (!permit.Granted()) return kErrIllegalCall;
    ClearProgram(m);
  }
  // The variables the rest of a direct line refers to are gone as well.
  if (runningProgram) return EndRun(f);
  return kSkipLine;
}

ErrNo StmtDelete(ExecFrame& f) noexcept {
  uint32_t first = 0;
  uint32_t last = 0;
  if (ErrNo e = ReadDeleteRange(f, &first, &last); e != kOk) return e;
  // The lines after the deleted ones move down, and the running line and the
  // places the run keeps move with them; a run whose line is deleted ends.
  return DeleteLines(*f.macro, first, last);
}

ErrNo StmtVarPush(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  if (m.savedDepth >= kSavedVariableSlots) return kErrInternal;
  const uint8_t* const listStart = f.pos;
  size_t count = 0;
  if (ErrNo e = ReadPushList(f, nullptr, &count); e != kOk) return e;
  const uint8_t* const listEnd = f.pos;
  std::unique_ptr<uint8_t*[]> cells(new (std::nothrow) uint8_t*[count]);
  if (!cells) return kErrInternal;
  f.pos = listStart;
  if (ErrNo e = ReadPushList(f, cells.get(), &count); e != kOk) return e;
  f.pos = listEnd;
  if (ErrNo e = PushSavedVariables(m, cells.get(), count); e != kOk) return e;
  (void)AtStatementEnd(f);
  return kOk;
}

ErrNo StmtVarPop(ExecFrame& f) noexcept { return PopSavedVariables(*f.macro); }

ErrNo StmtSetVar(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  char pattern[kTextArgumentSize];
  if (ErrNo e = TextArgument(f, pattern); e != kOk) return e;
  ToUpperInPlace(pattern);
  SkipSpaces(f);
  if (*f.pos == ',' || *f.pos == ':') ++f.pos;
  platform::LockGuard hold(m.lock);
  Value value;
  if (ErrNo e = EvaluateExpression(f, value); e != kOk) return e;
  if (ErrNo e = DetachValue(value); e != kOk) return e;
  return WalkVariables(m, [&](uint8_t* cell) -> ErrNo {
    if (IsArrayTag(cell[0]) || !NameMatches(pattern, cell)) return kOk;
    Value copy;
    BorrowValue(value, copy);
    // A variable the value does not fit keeps its old value.
    (void)WriteScalar(m, cell, copy);
    return kOk;
  });
}

ErrNo StmtVarList(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  char pattern[kTextArgumentSize];
  bool given = false;
  if (ErrNo e = OptionalPattern(f, pattern, &given); e != kOk) return e;
  platform::LockGuard hold(m.lock);
  return WalkVariables(m, [&](uint8_t* cell) -> ErrNo {
    if (!NameMatches(pattern, cell)) return kOk;
    try {
      std::string line;
      AppendListLine(line, cell, m);
      platform::LinePrint(line.c_str());
    } catch (const std::bad_alloc&) {
      return kErrOutOfMemory;
    }
    return kOk;
  });
}

ErrNo StmtVarSave(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  char pattern[kTextArgumentSize];
  bool given = false;
  if (ErrNo e = OptionalPattern(f, pattern, &given); e != kOk) return e;
  if (m.procedureStream == nullptr) return kErrIllegalCall;
  return WriteProcedureChunks(m, given ? pattern : nullptr);
}

}  // namespace msc
