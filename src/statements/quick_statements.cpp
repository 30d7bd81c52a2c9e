// The statement forms: decoding a statement into its form on the first
// visit, and running the forms.
//
// A form records the cells, the decoded expressions, the resolved jump
// target and the code positions the general statement would reach, all of
// which hold until the next edit of the program drops the forms.
#include "statements/quick_statements.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "engine/memory_budget.h"
#include "api/qor_macro.h"
#include "engine/quick_expr.h"
#include "engine/quick_table.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "statements/block_search.h"
#include "statements/handlers.h"

namespace msc {

namespace {

constexpr uint16_t kChrFunction = 0xC003;  // Chr$(n)

bool IsKeywordAt(const uint8_t* p, uint16_t code) noexcept {
  return p[0] == (code >> 8) && p[1] == (code & 0xFF);
}

const uint8_t* SkipSpacing(const uint8_t* p) noexcept {
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  return p;
}

// The line a jump operand names, as the general jump finds it; null when
// none (the general statement reports the error).
uint8_t* ResolveTarget(QorMacro& m, int k, const Token& t) noexcept {
  if (k == kind::LabelRef) return FindLabelRecord(m, t.text, static_cast<size_t>(t.length));
  if (k == kind::LineRef) {
    const auto number = static_cast<uint32_t>(t.integer);
    return number == 0 ? nullptr : FindLineRecord(m, number);
  }
  return nullptr;
}

// The first line after record when record and the lines after it hold
// nothing but label definitions, which a run passes without doing anything;
// null when record holds more, or no line follows.
uint8_t* PastLabelLines(uint8_t* record) noexcept {
  uint8_t* landing = nullptr;
  for (;;) {
    const uint8_t* p = SkipSpacing(RecordCode(record));
    if (*p != code::LabelDef) return landing;
    while (*p == code::LabelDef) p = SkipSpacing(p + 2 + std::strlen(reinterpret_cast<const char*>(p + 1)));
    if (*p != code::EndOfLine) return landing;
    uint8_t* next = record + RecordLength(record);
    if (RecordLength(next) == 0) return landing;
    landing = record = next;
  }
}

// The decoder: fills q from the statement at s's position; false when the
// statement has no form.
class Decoder {
 public:
  Decoder(ExecFrame& f, ExecFrame& scratch, QuickStmt& q) noexcept : f_(f), s_(scratch), q_(q) {
    q_.landing = nullptr;
    q_.landsFrom = LineFollow::kNever;
  }

  bool Statement() noexcept {
    Token t;
    const int k = ReadToken(s_, t);
    switch (k) {
      case kind::LabelDef:
        return Finish(Form::Skip, 0);
      case kind::LabelRef:
      case kind::LineRef:
        q_.target = ResolveTarget(*f_.macro, k, t);
        if (q_.target == nullptr) return false;
        SetLanding();
        return Finish(Form::Jump, 0);
      case kind::IntVar:
      case kind::DblVar:
        return Assignment(k, t.cell);
      case kind::IntArray:
      case kind::DblArray:
        return ElementAssignment(k, t.cell);
      case kind::StrVar:
        return Append(t.cell);
      case kind::Keyword:
        return Keyword(t.code);
      default:
        return false;
    }
  }

 private:
  // A jump lands past its target's label-only lines in a run that follows
  // lines; in a task only when that line is no task boundary, where the
  // task would end before it.
  void SetLanding() noexcept {
    q_.landing = PastLabelLines(q_.target);
    if (q_.landing == nullptr) {
      q_.landsFrom = LineFollow::kNever;
    } else {
      q_.landsFrom = StartsWithTaskBoundary(q_.landing) ? LineFollow::kFollowLines : LineFollow::kToTaskBoundary;
    }
  }

  bool Finish(Form form, uint16_t keyword) noexcept {
    q_.form = form;
    q_.keyword = keyword;
    q_.after = s_.pos;
    q_.afterStart = s_.tokenStart;
    return true;
  }

  // The decoded expression at p, or null.
  const QuickExpr* Expression(const uint8_t* p) noexcept { return QuickExpressionHeld(*f_.macro, p); }

  bool Assignment(int k, uint8_t* cell) noexcept {
    if (cell == nullptr || cell[0] != (k == kind::IntVar ? tag::Int : tag::Dbl)) return false;
    const uint8_t* p = SkipSpacing(s_.pos);
    if (*p != '=') return false;
    q_.cell = cell;
    q_.value = Expression(p + 1);
    if (q_.value == nullptr) return false;
    q_.form = k == kind::IntVar ? Form::AssignInteger : Form::AssignDouble;
    q_.after = QuickEnd(*q_.value);
    q_.afterStart = QuickTokenStart(*q_.value);
    return true;
  }

  // X$ = X$ + term, where the term is a text constant, another text
  // variable or Chr$(number) and ends the statement: the text grows in place.
  bool Append(uint8_t* cell) noexcept {
    if (cell == nullptr || cell[0] != tag::Str) return false;
    const uint8_t* p = SkipSpacing(s_.pos);
    if (*p != '=') return false;
    p = SkipSpacing(p + 1);
    if (*p != tag::Str || LoadPtr(p + 1) != cell) return false;
    p = SkipSpacing(p + 1 + sizeof(void*));
    if (*p != '+') return false;
    p = SkipSpacing(p + 1);
    QuickAppend& a = q_.append;
    const uint8_t* end;
    if (*p == code::String) {
      a.kind = QuickAppend::kConstant;
      a.text = reinterpret_cast<const char*>(p + 1);
      a.length = std::strlen(a.text);
      end = p + 2 + a.length;
    } else if (*p == tag::Str) {
      a.kind = QuickAppend::kVariable;
      a.source = LoadPtr(p + 1);
      // Appending a text to itself would read the buffer being grown.
      if (a.source == nullptr || a.source == cell || a.source[0] != tag::Str) return false;
      end = p + 1 + sizeof(void*);
    } else if (IsKeywordAt(p, kChrFunction)) {
      a.kind = QuickAppend::kCharacter;
      const uint8_t* open = SkipSpacing(p + 2);
      if (*open != '(') return false;
      q_.value = Expression(open + 1);
      if (q_.value == nullptr || *QuickEnd(*q_.value) != ')') return false;
      end = QuickEnd(*q_.value) + 1;
    } else {
      return false;
    }
    const uint8_t* after = SkipSpacing(end);
    if (*after != code::EndOfLine && *after != ':') return false;
    q_.form = Form::AppendText;
    q_.cell = cell;
    q_.after = after;
    q_.afterStart = end;
    return true;
  }

  bool ElementAssignment(int k, uint8_t* cell) noexcept {
    if (cell == nullptr || cell[0] != (k == kind::IntArray ? tag::IntArray : tag::DblArray)) return false;
    const uint8_t* p = SkipSpacing(s_.pos);
    if (*p != '(') return false;
    q_.subscript = Expression(p + 1);
    if (q_.subscript == nullptr) return false;
    p = QuickEnd(*q_.subscript);  // spacing already passed
    if (*p != ')') return false;
    p = SkipSpacing(p + 1);
    if (*p != '=') return false;
    q_.cell = cell;
    q_.value = Expression(p + 1);
    if (q_.value == nullptr) return false;
    q_.form = k == kind::IntArray ? Form::AssignIntElement : Form::AssignDblElement;
    q_.after = QuickEnd(*q_.value);
    q_.afterStart = QuickTokenStart(*q_.value);
    return true;
  }

  bool Keyword(uint16_t code) noexcept {
    Token t;
    switch (code) {
      case tok::If:
        return OneLineIf();
      case tok::Goto:
      case tok::Gosub: {
        const int k = ReadToken(s_, t);
        q_.target = ResolveTarget(*f_.macro, k, t);
        if (q_.target == nullptr) return false;
        SetLanding();
        return Finish(code == tok::Goto ? Form::Jump : Form::Gosub, code);
      }
      case tok::Return:
        return Finish(Form::Return, code);
      case tok::EndSelect:
        return Finish(Form::EndSelect, code);
      case tok::EndIf:
        return Finish(Form::EndIf, code);
      case tok::Else:
        return Finish(Form::Else, code);
      case tok::Elseif:
        return Finish(Form::Elseif, code);
      case tok::Then:  // what is left of a block If whose condition held
        return Finish(Form::Skip, code);
      case tok::Do:
        return Finish(Form::Do, code);
      case tok::Loop: {
        const uint8_t* p = SkipSpacing(s_.pos);
        if (!IsKeywordAt(p, tok::While)) return false;
        q_.value = Expression(p + 2);
        return q_.value != nullptr && Finish(Form::LoopWhile, code);
      }
      case tok::Select:
        return Select();
      case tok::Case:
        return Case();
      case tok::For: {
        // For X& = start To limit [Step step]: the limit and step are the
        // loop test's, decoded by the Next forms.
        const int k = ReadToken(s_, t);
        if (k != kind::IntVar || t.cell == nullptr || t.cell[0] != tag::Int) return false;
        const uint8_t* p = SkipSpacing(s_.pos);
        if (*p != '=') return false;
        q_.cell = t.cell;
        q_.value = Expression(p + 1);
        if (q_.value == nullptr) return false;
        const uint8_t* to = QuickEnd(*q_.value);
        if (!IsKeywordAt(to, tok::To)) return false;
        q_.form = Form::For;
        q_.keyword = code;
        q_.after = to + 2;
        return true;
      }
      case tok::Rem:
      case tok::Apostrophe:
        return Finish(Form::SkipLine, code);
      case tok::Next: {
        const int k = ReadToken(s_, t);
        if (k == kind::IntVar) {
          if (t.cell == nullptr || t.cell[0] != tag::Int) return false;
          q_.cell = t.cell;
        } else if (k == kind::End || (k == kind::Punct && t.byte == ':')) {
          UnreadToken(s_);
        } else {
          return false;
        }
        return Finish(Form::Next, code);
      }
      default:
        return false;
    }
  }

  // The place a block search from the scratch frame's position finds, given
  // back as the general statements do (on the found word); false when none.
  bool Search(uint16_t t1, uint16_t t2, uint8_t** line, const uint8_t** pos, uint16_t t3 = 0) noexcept {
    if (!BlockSearch(s_, t1, t2, t3)) return false;
    UnreadToken(s_);
    *line = s_.line;
    *pos = s_.pos;
    return true;
  }

  bool Select() noexcept {
    q_.value = Expression(s_.pos);
    if (q_.value == nullptr) return false;
    s_.pos = QuickEnd(*q_.value);
    s_.tokenStart = QuickTokenStart(*q_.value);
    if (!Search(tok::Case, tok::EndSelect, &q_.kase.nextLine, &q_.kase.nextPos)) return false;
    q_.form = Form::Select;
    q_.keyword = tok::Select;
    return true;
  }

  // Case Else, or a number constant ending the statement.
  bool Case() noexcept {
    const uint8_t* const word = s_.tokenStart;
    const uint8_t* const afterWord = s_.pos;
    const uint8_t* p = SkipSpacing(afterWord);
    QuickCase& c = q_.kase;
    if (IsKeywordAt(p, tok::Else)) {
      c.isElse = true;
      q_.after = p + 2;
      q_.afterStart = word;
    } else {
      const uint8_t b = *p;
      const uint8_t* end;
      if (b >= code::SmallFirst && b <= code::SmallLast) {
        c.value = b - code::SmallFirst;
        end = p + 1;
      } else if (b == code::Byte) {
        c.value = p[1];
        end = p + 2;
      } else if (b == code::Short) {
        c.value = LoadI16(p + 1);
        end = p + 3;
      } else if (b == code::Double) {
        c.value = LoadF64(p + 1);
        end = p + 9;
      } else {
        return false;
      }
      const uint8_t* q = SkipSpacing(end);
      if (*q != code::EndOfLine && *q != ':') return false;
      q_.after = q;
      q_.afterStart = end;
    }
    // Not matching: the search starts where the value ends.
    s_.pos = q_.after;
    s_.tokenStart = q_.afterStart;
    if (!Search(tok::Case, tok::EndSelect, &c.nextLine, &c.nextPos)) return false;
    // After a Case that ran: the search starts just after the word.
    s_.line = f_.line;
    s_.pos = afterWord;
    s_.tokenStart = word;
    if (!Search(tok::EndSelect, 0, &c.endLine, &c.endPos)) return false;
    q_.form = Form::Case;
    q_.keyword = tok::Case;
    return true;
  }

  // A block If: a true condition goes on before its "Then", a false one at
  // the Elseif, Else or EndIf its block search finds.
  bool BlockIf(const uint8_t* end) noexcept {
    s_.pos = end;
    s_.tokenStart = QuickTokenStart(*q_.value);
    if (!Search(tok::Elseif, tok::Else, &q_.target, &q_.elsePos, tok::EndIf)) return false;
    q_.form = Form::BlockIf;
    q_.keyword = tok::If;
    q_.after = end;
    q_.afterStart = QuickTokenStart(*q_.value);
    return true;
  }

  // A one-line If: where a true and a false condition continue.
  bool OneLineIf() noexcept {
    q_.value = Expression(s_.pos);
    if (q_.value == nullptr) return false;
    const uint8_t* end = QuickEnd(*q_.value);
    // A block If has "Then" ending the statement.
    if (IsKeywordAt(end, tok::Then)) {
      const uint8_t* p = SkipSpacing(end + 2);
      if (*p == code::EndOfLine || *p == ':' || IsKeywordAt(p, tok::Rem) || IsKeywordAt(p, tok::Apostrophe))
        return BlockIf(end);
    }
    s_.pos = end;
    s_.tokenStart = QuickTokenStart(*q_.value);
    Token t;
    if (ReadToken(s_, t) != kind::Keyword) return false;
    if (t.code == tok::Gosub) {
      UnreadToken(s_);  // the Gosub statement runs next
    } else if (t.code != tok::Then && t.code != tok::Goto) {
      return false;
    }
    Finish(Form::OneLineIf, tok::If);
    s_.pos = end;
    s_.tokenStart = QuickTokenStart(*q_.value);
    if (SkipFalseThen(s_)) {
      q_.elsePos = s_.pos;
      q_.elseStart = s_.tokenStart;
    }
    return true;
  }

  ExecFrame& f_;
  ExecFrame& s_;
  QuickStmt& q_;
};

// The integer a number becomes in an integer variable; false out of range.
bool ToStoredInteger(const QuickNumber& n, int32_t* out) noexcept {
  if (n.isInt) {
    *out = n.Int();
    return true;
  }
  return DoubleToInteger(n.d, out) == kOk;
}

double ToStoredDouble(const QuickNumber& n) noexcept { return n.d; }

// The value of an element store into element, which the caller has
// checked: an integer element (kInteger) or a double one.
template <bool kInteger>
ErrNo StoreElementValue(const QuickStmt& q, ExecFrame& f, uint8_t* element) noexcept {
  QuickNumber v;
  if (!RunQuickNumber(*q.value, f, &v)) return kQuickFallback;
  if constexpr (kInteger) {
    int32_t x;
    if (!ToStoredInteger(v, &x)) return kQuickFallback;
    StoreU32(element, static_cast<uint32_t>(x));
  } else {
    StoreF64(element, ToStoredDouble(v));
  }
  return kOk;
}

ErrNo RunElementAssignment(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* block = ArrayBlock(q.cell);
  if (block == nullptr || LoadU32(block) != 1) return kQuickFallback;
  QuickNumber s;
  int32_t index;
  if (!RunQuickNumber(*q.subscript, f, &s) || !ToStoredInteger(s, &index)) return kQuickFallback;
  if (index < 0 || static_cast<uint32_t>(index) >= LoadU32(block + 4)) return kQuickFallback;
  const size_t at = static_cast<size_t>(index);
  return q.form == Form::AssignIntElement ? StoreElementValue<true>(q, f, block + 8 + at * 4)
                                          : StoreElementValue<false>(q, f, block + 8 + at * 8);
}

}  // namespace

namespace {

// Where a form that goes on in sequence leaves the position.
ErrNo Continue(const QuickStmt& q, ExecFrame& f) noexcept {
  f.pos = q.after;
  f.tokenStart = q.afterStart;
  return q.endsLine ? kQuickLineEnd : kOk;
}

ErrNo RunSkip(const QuickStmt& q, ExecFrame& f) noexcept { return Continue(q, f); }

ErrNo RunSkipLine(const QuickStmt&, ExecFrame&) noexcept { return kSkipLine; }

ErrNo RunAssignInteger(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  int32_t x;
  if (!RunQuickNumber(*q.value, f, &v) || !ToStoredInteger(v, &x)) return kQuickFallback;
  StoreU32(q.cell + 1, static_cast<uint32_t>(x));
  return Continue(q, f);
}

ErrNo RunAssignDouble(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  if (!RunQuickNumber(*q.value, f, &v)) return kQuickFallback;
  StoreF64(q.cell + 1, ToStoredDouble(v));
  return Continue(q, f);
}

ErrNo RunAssignElement(const QuickStmt& q, ExecFrame& f) noexcept {
  if (ErrNo e = RunElementAssignment(q, f); e != kOk) return e;
  return Continue(q, f);
}

// The element of an integer (kInteger) or double array with one dimension
// that a store by an integer variable subscript writes; null where the
// general way reports an error.
template <bool kInteger>
uint8_t* ElementAtVariable(const QuickStmt& q) noexcept {
  uint8_t* block = ArrayBlock(q.cell);
  if (block == nullptr || LoadU32(block) != 1) return nullptr;
  // A negative subscript reads as 2^31 or more, past every count (an
  // array's block stays below 2 GB), so one comparison rejects both.
  const uint32_t index = LoadU32(q.subscript->cell + 1);
  if (index >= LoadU32(block + 4)) return nullptr;
  return block + 8 + size_t{index} * (kInteger ? 4 : 8);
}

// X&(I&) = value or X#(I&) = value, the commonest element store: the
// subscript is read from its variable directly; the rest as above.
template <bool kInteger>
ErrNo RunAssignElementAtVariable(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* const element = ElementAtVariable<kInteger>(q);
  if (element == nullptr) return kQuickFallback;
  if (const ErrNo e = StoreElementValue<kInteger>(q, f, element); e != kOk) return e;
  return Continue(q, f);
}

// X&(I&) = k, as a loop marking or clearing a table does: the constant
// needs no evaluation.
ErrNo RunStoreConstantAtVariable(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* const element = ElementAtVariable<true>(q);
  if (element == nullptr) return kQuickFallback;
  StoreU32(element, static_cast<uint32_t>(q.value->integer));
  return Continue(q, f);
}

// X&(I&) = Y# or X#(I&) = Y#, as a loop filling a table with a result does:
// the double is read from its variable directly.
template <bool kInteger>
ErrNo RunStoreDoubleAtVariable(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* const element = ElementAtVariable<kInteger>(q);
  if (element == nullptr) return kQuickFallback;
  const double d = LoadF64(q.value->cell + 1);
  if constexpr (kInteger) {
    int32_t x;
    if (DoubleToInteger(d, &x) != kOk) return kQuickFallback;
    StoreU32(element, static_cast<uint32_t>(x));
  } else {
    StoreF64(element, d);
  }
  return Continue(q, f);
}

ErrNo RunJump(const QuickStmt& q, ExecFrame& f) noexcept {
  uint8_t* const line = JumpLine(q, f);
  JumpTo(f, line);
  if (line != q.target) f.blockContext = 1;  // passed through lines, as the dispatcher would
  FormTraceEcho(f);
  return kOk;
}

// The branches of a one-line If once its condition is known.
ErrNo OneLineIfTaking(bool truth, const QuickStmt& q, ExecFrame& f) noexcept {
  if (truth) {
    f.blockContext = 0;  // an Else on this line now ends the line
    // A Then that is a Goto (or a target alone) jumps at once.
    const QuickStmt* then = q.chained;
    if (then == nullptr) {
      const QuickStmt* c = QuickStatementAt(f, q.after);
      q.chained = then = c != nullptr && c->form == Form::Jump ? c : &q;
    }
    if (then != &q) return RunJump(*then, f);
    return Continue(q, f);
  }
  if (q.elsePos == nullptr) return kSkipLine;
  f.pos = q.elsePos;
  f.tokenStart = q.elseStart;
  return kOk;
}

ErrNo RunOneLineIf(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  if (!RunQuickNumber(*q.value, f, &v)) return kQuickFallback;
  return OneLineIfTaking(v.d != 0.0, q, f);  // NaN counts as true
}

// The same with an integer variable compared with an integer constant
// (kConstant) or another integer variable, one runner a comparison, so that
// the usual loop test costs no dispatch on its kind.
template <QuickExpr::Test kTest, bool kConstant>
ErrNo RunOneLineIfIntTest(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickExpr& e = *q.value;
  const int32_t a = static_cast<int32_t>(LoadU32(e.cell + 1));
  const int32_t b = kConstant ? e.integer : static_cast<int32_t>(LoadU32(e.other + 1));
  bool holds;
  if constexpr (kTest == QuickExpr::kLess) holds = a < b;
  if constexpr (kTest == QuickExpr::kGreater) holds = a > b;
  if constexpr (kTest == QuickExpr::kEqual) holds = a == b;
  if constexpr (kTest == QuickExpr::kNotEqual) holds = a != b;
  if constexpr (kTest == QuickExpr::kLessEqual) holds = a <= b;
  if constexpr (kTest == QuickExpr::kGreaterEqual) holds = a >= b;
  return OneLineIfTaking(holds, q, f);
}

template <bool kConstant>
QuickRunner IntTestRunner(QuickExpr::Test test) noexcept {
  switch (test) {
    case QuickExpr::kLess: return RunOneLineIfIntTest<QuickExpr::kLess, kConstant>;
    case QuickExpr::kGreater: return RunOneLineIfIntTest<QuickExpr::kGreater, kConstant>;
    case QuickExpr::kEqual: return RunOneLineIfIntTest<QuickExpr::kEqual, kConstant>;
    case QuickExpr::kNotEqual: return RunOneLineIfIntTest<QuickExpr::kNotEqual, kConstant>;
    case QuickExpr::kLessEqual: return RunOneLineIfIntTest<QuickExpr::kLessEqual, kConstant>;
    default: return RunOneLineIfIntTest<QuickExpr::kGreaterEqual, kConstant>;
  }
}

QuickRunner IntTestRunner(const QuickExpr& e) noexcept {
  return e.other == nullptr ? IntTestRunner<true>(e.test) : IntTestRunner<false>(e.test);
}

// X& = Y& + integer: the sum stored where it fits, else the general way
// (which reports the overflow).
ErrNo RunAssignIntSum(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickExpr& e = *q.value;
  const int64_t r = int64_t{static_cast<int32_t>(LoadU32(e.cell + 1))} + e.integer;
  if (r < INT32_MIN || r > INT32_MAX) return kQuickFallback;
  StoreU32(q.cell + 1, static_cast<uint32_t>(static_cast<int32_t>(r)));
  return Continue(q, f);
}

ErrNo RunFor(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  int32_t start;
  if (!RunQuickNumber(*q.value, f, &v) || !ToStoredInteger(v, &start)) return kQuickFallback;
  return QuickFor(f, q.cell, start, q.after, q.loop);
}

// For X& = k To ..., the usual loop: the start needs no evaluation.
ErrNo RunForFromConstant(const QuickStmt& q, ExecFrame& f) noexcept {
  return QuickFor(f, q.cell, q.value->integer, q.after, q.loop);
}

// Marks a Select whose Cases are not all constants: they run one by one.
const QuickCaseTable kCasesOneByOne{};

// Longer chains of Cases are passed one by one.
constexpr uint32_t kMostTabledCases = 64;

// Gives the table its index when its values allow one.
void IndexCases(QuickCaseTable& t, QuickTable& arena) noexcept {
  const uint32_t values = t.count - (t.endsInElse ? 1 : 0);
  if (values == 0) return;
  double least = t.entries[0].value, most = least;
  for (uint32_t i = 0; i < values; ++i) {
    const double v = t.entries[i].value;
    if (!(v == std::floor(v)) || v < -2147483648.0 || v > 2147483647.0) return;  // NaN too
    least = std::min(least, v);
    most = std::max(most, v);
  }
  if (most - least >= QuickCaseTable::kIndexSpan) return;
  auto* index = static_cast<uint8_t*>(arena.Allocate(QuickCaseTable::kIndexSpan));
  if (index == nullptr) return;
  std::fill(index, index + QuickCaseTable::kIndexSpan, uint8_t{0});
  t.least = static_cast<int32_t>(least);
  // The first Case of a value wins, as the Cases are tried in order.
  for (uint32_t i = values; i-- > 0;)
    index[static_cast<int32_t>(t.entries[i].value) - t.least] = static_cast<uint8_t>(i + 1);
  t.index = index;
}

// Marks an entry whose body is one assignment that ends its line, followed
// at once by the next Case of the chain or by the End Select, and finds
// where leaving the Select goes on.
void FindOneAssignment(const QuickStmt& c, QuickCaseTable::Entry& entry, ExecFrame& f) noexcept {
  const QuickStmt* body = entry.bodyForm;
  if (body == nullptr || !body->endsLine || !IsAssignmentForm(*body)) return;
  uint8_t* const next = entry.bodyLine + RecordLength(entry.bodyLine);
  if (RecordLength(next) == 0 || (next != c.kase.nextLine && next != c.kase.endLine)) return;
  ExecFrame scratch(f.macro);
  scratch.line = next;
  const QuickStmt* after = QuickStatementAt(scratch, RecordCode(next));
  if (after == nullptr || (after->form != Form::Case && after->form != Form::EndSelect)) return;
  scratch.line = c.kase.endLine;
  const QuickStmt* end = QuickStatementAt(scratch, c.kase.endPos);
  if (end == nullptr || end->form != Form::EndSelect) return;
  entry.oneAssignment = true;
  entry.leaveLine = c.kase.endLine;
  entry.leavePos = end->after;
  entry.leaveStart = end->afterStart;
  entry.leaveNextFrom = LineFollow::kNever;
  if (uint8_t* const past = c.kase.endLine + RecordLength(c.kase.endLine);
      *SkipSpacing(end->after) == code::EndOfLine && RecordLength(past) != 0) {
    entry.leaveNext = past;
    entry.leaveNextFrom = StartsWithTaskBoundary(past) ? LineFollow::kFollowLines : LineFollow::kToTaskBoundary;
  }
}

// Follows the chain of a Select's Cases as its non-matching Cases would go,
// from the first to the End Select (or a Case Else, which ends the search).
const QuickCaseTable* FindCases(const QuickStmt& select, ExecFrame& f) noexcept {
  QuickCaseTable::Entry found[kMostTabledCases];
  uint32_t count = 0;
  ExecFrame scratch(f.macro);
  uint8_t* line = select.kase.nextLine;
  const uint8_t* pos = select.kase.nextPos;
  for (;;) {
    scratch.line = line;
    const QuickStmt* c = QuickStatementAt(scratch, pos);
    if (c == nullptr) return &kCasesOneByOne;
    if (c->form == Form::EndSelect) break;
    if (c->form != Form::Case || count == kMostTabledCases) return &kCasesOneByOne;
    QuickCaseTable::Entry entry{};
    entry.value = c->kase.value;
    entry.isElse = c->kase.isElse;
    entry.line = line;
    entry.after = c->after;
    entry.afterStart = c->afterStart;
    uint8_t* const next = line + RecordLength(line);
    if (*SkipSpacing(c->after) == code::EndOfLine && RecordLength(next) != 0) {
      ExecFrame body(f.macro);
      body.line = next;
      entry.bodySite = RecordCode(next);
      entry.bodyForm = QuickStatementAt(body, entry.bodySite);
      entry.bodyLine = next;
      FindOneAssignment(*c, entry, f);
    }
    found[count++] = entry;
    if (c->kase.isElse) break;
    line = c->kase.nextLine;
    pos = c->kase.nextPos;
  }
  auto* table = static_cast<QuickCaseTable*>(f.macro->program.quick.Allocate(sizeof(QuickCaseTable)));
  auto* entries = static_cast<QuickCaseTable::Entry*>(
      f.macro->program.quick.Allocate(sizeof(QuickCaseTable::Entry) * (count == 0 ? 1 : count)));
  if (table == nullptr || entries == nullptr) return &kCasesOneByOne;
  std::copy(found, found + count, entries);
  *table = {};
  table->entries = entries;
  table->count = count;
  table->endLine = line;
  table->endPos = pos;
  table->endsInElse = count != 0 && found[count - 1].isElse;
  IndexCases(*table, f.macro->program.quick);
  return table;
}

// Opens the block at the Case c that matched; the form where the run goes on
// from it is known, so the dispatcher needs no lookup.
ErrNo SelectCase(const QuickStmt& q, ExecFrame& f, double selector, const QuickCaseTable::Entry& c) noexcept {
  if (c.bodySite == nullptr) return QuickSelectTo(f, selector, true, c.line, c.after, c.afterStart);
  // Following lines, the run goes straight on to the body's line, as the
  // end of the Case's line would take it there; a line that must be shown
  // is reached the usual way.
  if (c.bodyForm == nullptr || f.follows < LineFollow::kToTaskBoundary ||
      f.macro->watched.load(std::memory_order_relaxed) != 0) {
    q.nextSite = c.bodySite;
    q.nextForm = c.bodyForm;
    return QuickSelectTo(f, selector, true, c.line, c.after, c.afterStart);
  }
  const ErrNo e = QuickSelectTo(f, selector, true, c.bodyLine, c.bodySite, c.bodySite);
  f.blockContext = 1;
  if (e != kOk || !c.oneAssignment || f.macro->lock.HandOverWanted()) {
    q.nextSite = c.bodySite;
    q.nextForm = c.bodyForm;
    return e;
  }
  // A body of one assignment: run it, and leave the Select as the next Case
  // (or the End Select) would, while nobody waits for the lock and no line
  // must be shown. An assignment that takes the general way leaves the run
  // before it, with the Select open, where the dispatcher finds it again.
  const ErrNo b = c.bodyForm->run(*c.bodyForm, f);
  if (b == kQuickFallback) {
    JumpTo(f, c.bodyLine);
    return kOk;
  }
  if (b != kQuickLineEnd || f.macro->watched.load(std::memory_order_relaxed) != 0 ||
      f.macro->lock.HandOverWanted())
    return b;
  uint8_t* const entry = f.TopEntry(tok::Select);
  assert(entry != nullptr);
  f.top = entry + entry::kSelectSize;  // the entry on top, which owns nothing
  if (c.leaveNext != nullptr && f.follows >= c.leaveNextFrom) {
    JumpTo(f, c.leaveNext);
  } else {
    f.line = c.leaveLine;
    f.pos = c.leavePos;
    f.tokenStart = c.leaveStart;
  }
  return kOk;
}

// The Case an integer selector goes to through the index of t, or null.
const QuickCaseTable::Entry* IndexedCase(const QuickCaseTable& t, int32_t selector) noexcept {
  // Within 32 bits both, so the difference cannot overflow 64.
  const int64_t at = int64_t{selector} - t.least;
  const uint32_t n = at >= 0 && at < QuickCaseTable::kIndexSpan ? t.index[at] : 0;
  return n != 0 ? &t.entries[n - 1] : t.endsInElse ? &t.entries[t.count - 1] : nullptr;
}

// A Select of X& or X& MOD k over indexed Cases, once they are found: the
// selector stays an integer from its variable to the index.
template <QuickExpr::Shape kShape>
ErrNo RunSelectByIndex(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickExpr& e = *q.value;
  int32_t x = static_cast<int32_t>(LoadU32(e.cell + 1));
  // (INT32_MIN MOD -1 would trap.)
  if constexpr (kShape == QuickExpr::kIntRemainder) x = e.integer == -1 ? 0 : x % e.integer;
  const QuickCaseTable& t = *q.cases;
  const QuickCaseTable::Entry* c = IndexedCase(t, x);
  if (c == nullptr) return QuickSelectTo(f, x, false, t.endLine, t.endPos, t.endPos);
  return SelectCase(q, f, x, *c);
}

ErrNo RunSelect(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  if (!RunQuickNumber(*q.value, f, &v)) return kQuickFallback;
  if (q.cases == nullptr) {
    q.cases = FindCases(q, f);
    if (q.cases->index != nullptr && q.value->shape == QuickExpr::kIntVar) q.run = RunSelectByIndex<QuickExpr::kIntVar>;
    if (q.cases->index != nullptr && q.value->shape == QuickExpr::kIntRemainder)
      q.run = RunSelectByIndex<QuickExpr::kIntRemainder>;
  }
  const QuickCaseTable& t = *q.cases;
  if (&t == &kCasesOneByOne) return QuickSelect(f, v.d, q.kase.nextLine, q.kase.nextPos);
  if (t.index != nullptr && v.isInt) {
    const QuickCaseTable::Entry* c = IndexedCase(t, v.Int());
    if (c == nullptr) return QuickSelectTo(f, v.d, false, t.endLine, t.endPos, t.endPos);
    return SelectCase(q, f, v.d, *c);
  }
  for (uint32_t i = 0; i < t.count; ++i) {
    const QuickCaseTable::Entry& c = t.entries[i];
    if (c.isElse || c.value == v.d) return SelectCase(q, f, v.d, c);  // NaN matches nothing
  }
  return QuickSelectTo(f, v.d, false, t.endLine, t.endPos, t.endPos);
}

ErrNo RunCase(const QuickStmt& q, ExecFrame& f) noexcept {
  // The commonest way a Case is met: the block before it ran, and its End
  // Select is known to follow.
  if (const QuickStmt* end = q.chained; end != nullptr && end != &q &&
                                        QuickLeaveSelect(f, q.kase.endLine, end->after, end->afterStart)) {
    // Past an End Select that ends its line, on to the next line directly.
    if (q.leaveLine != nullptr && f.follows >= q.leavesFrom) {
      JumpTo(f, q.leaveLine);
      f.blockContext = 1;
    }
    return kOk;
  }
  f.pos = q.after;
  f.tokenStart = q.afterStart;
  if (const ErrNo e = QuickCaseRun(f, q.kase); e != kOk || f.pos != q.kase.endPos) return e;
  // On the End Select (this Case ended the one that ran, or no Case follows
  // it): the End Select runs at once, as it would next.
  if (q.chained == nullptr) {
    const QuickStmt* c = QuickStatementAt(f, f.pos);
    q.chained = c != nullptr && c->form == Form::EndSelect ? c : &q;
    q.leaveLine = nullptr;
    q.leavesFrom = LineFollow::kNever;
    if (uint8_t* next = q.kase.endLine + RecordLength(q.kase.endLine);
        q.chained != &q && *SkipSpacing(c->after) == code::EndOfLine && RecordLength(next) != 0) {
      q.leaveLine = next;
      q.leavesFrom = StartsWithTaskBoundary(next) ? LineFollow::kFollowLines : LineFollow::kToTaskBoundary;
    }
  }
  if (q.chained == &q) return kOk;
  return q.chained->run(*q.chained, f);
}

// A statement whose form is only its word: its own handler runs, with the
// position after the word as the dispatcher would leave it.
template <StatementHandler kHandler>
ErrNo RunHandler(const QuickStmt& q, ExecFrame& f) noexcept {
  f.pos = q.after;
  f.tokenStart = q.afterStart;
  return kHandler(f);
}

ErrNo RunBlockIf(const QuickStmt& q, ExecFrame& f) noexcept {
  QuickNumber v;
  if (!RunQuickNumber(*q.value, f, &v)) return kQuickFallback;
  return QuickBlockIf(f, v.d != 0.0, q.after, q.afterStart, q.target, q.elsePos);  // NaN counts as true
}

ErrNo RunLoopWhile(const QuickStmt& q, ExecFrame& f) noexcept { return QuickLoopWhile(f, *q.value); }

ErrNo RunAppendText(const QuickStmt& q, ExecFrame& f) noexcept {
  const QuickAppend& a = q.append;
  const char* add = a.text;
  size_t n = a.length;
  char byte;
  if (a.kind == QuickAppend::kVariable) {
    add = reinterpret_cast<const char*>(LoadPtr(a.source + 1));
    n = add == nullptr ? 0 : std::strlen(add);
  } else if (a.kind == QuickAppend::kCharacter) {
    QuickNumber v;
    int32_t code;
    if (!RunQuickNumber(*q.value, f, &v) || !ToStoredInteger(v, &code)) return kQuickFallback;
    if (static_cast<uint32_t>(code) > 255) return kQuickFallback;  // negatives too
    byte = static_cast<char>(static_cast<unsigned char>(code));
    add = &byte;
    n = 1;
  }
  char* old = reinterpret_cast<char*>(LoadPtr(q.cell + 1));
  const size_t length = old == nullptr ? 0 : std::strlen(old);
  if (length + n > 0x7FFFFFFF) return kQuickFallback;
  // The variable owns its buffer alone, so it can grow where it is. A text
  // built in a loop grows by half again, so that most appends find room.
  char* grown = old;
  if (length + n + 1 > memory::Capacity(old)) {
    const size_t roomy = length + n + 1 + (length + n) / 2;
    grown = static_cast<char*>(memory::Reallocate(old, roomy));
    if (grown == nullptr) grown = static_cast<char*>(memory::Reallocate(old, length + n + 1));
    if (grown == nullptr) return kQuickFallback;
  }
  if (n != 0) std::memcpy(grown + length, add, n);
  grown[length + n] = '\0';
  StorePtr(q.cell + 1, reinterpret_cast<uint8_t*>(grown));
  return Continue(q, f);
}

// The runner of each form, in the order of Form.
constexpr QuickRunner kRunners[] = {
    RunSkip,                    // *LABEL (and the Then left of a block If)
    RunSkipLine,                // Rem text, ' text
    RunAssignInteger,           // X& = expression
    RunAssignDouble,            // X# = expression
    RunAssignElement,           // X&(subscript) = expression
    RunAssignElement,           // X#(subscript) = expression
    RunOneLineIf,               // If condition Then|Goto ... [Else ...]
    RunJump,                    // Goto target, or a target alone
    RunGosubForm,               // Gosub target
    RunReturnForm,              // Return
    RunNextForm,                // Next [X&]
    RunFor,                     // For X& = start To limit [Step step]
    RunSelect,                  // Select expression
    RunCase,                    // Case number | Case Else
    RunHandler<QuickEndSelect>,  // End Select
    RunAppendText,              // X$ = X$ + "text" | Y$ | Chr$(number)
    RunBlockIf,                 // If condition Then (ending the statement)
    RunHandler<StmtEndIf>,      // End If
    RunHandler<StmtElse>,       // Else
    RunHandler<StmtElseif>,     // Elseif condition Then
    RunHandler<StmtDo>,         // Do
    RunLoopWhile,               // Loop While condition
};
static_assert(std::size(kRunners) == static_cast<size_t>(Form::LoopWhile) + 1, "one runner per form");

}  // namespace

const QuickStmt* DecodeStatementAt(ExecFrame& f, const uint8_t* site) noexcept {
  QorMacro& m = *f.macro;
  ProgramArea& a = m.program;
  void* form;
  {
    if (!a.quick.Covers(site)) return nullptr;  // a line run directly: nothing is kept
    form = QuickTable::NoForm();
    QuickStmt decoded;
    std::memset(&decoded, 0, sizeof decoded);
    ExecFrame scratch(&m);
    scratch.line = f.line;
    scratch.pos = site;
    scratch.tokenStart = site;
    Decoder d(f, scratch, decoded);
    if (d.Statement()) {
      auto* q = static_cast<QuickStmt*>(a.quick.Allocate(sizeof(QuickStmt)));
      if (q != nullptr) {
        // Only forms that go on in sequence end their line where they end.
        const bool inSequence =
            decoded.form == Form::Skip || decoded.form == Form::AppendText || IsAssignmentForm(decoded);
        decoded.endsLine = inSequence && *SkipSpacing(decoded.after) == code::EndOfLine;
        // Such a form leaves the position on the line's end, past the
        // spacing before it, as the dispatcher would.
        if (decoded.endsLine) decoded.after = decoded.afterStart = SkipSpacing(decoded.after);
        // Followed by a colon, it leaves the position after the colon with the
        // token start on it, as the dispatcher would pass it.
        if (inSequence && *SkipSpacing(decoded.after) == ':') {
          decoded.afterStart = SkipSpacing(decoded.after);
          decoded.after = decoded.afterStart + 1;
        }
        decoded.run = kRunners[static_cast<size_t>(decoded.form)];
        // The commonest integer statements run without the general number.
        if (decoded.form == Form::AssignInteger && decoded.value->shape == QuickExpr::kIntSum)
          decoded.run = RunAssignIntSum;
        if (decoded.form == Form::For && decoded.value->shape == QuickExpr::kInteger)
          decoded.run = RunForFromConstant;
        if (decoded.form == Form::OneLineIf && decoded.value->shape == QuickExpr::kIntTest)
          decoded.run = IntTestRunner(*decoded.value);
        if ((decoded.form == Form::AssignIntElement || decoded.form == Form::AssignDblElement) &&
            decoded.subscript->shape == QuickExpr::kIntVar)
          decoded.run = decoded.value->shape == QuickExpr::kDblVar
                            ? (decoded.form == Form::AssignDblElement ? RunStoreDoubleAtVariable<false>
                                                                      : RunStoreDoubleAtVariable<true>)
                        : decoded.form == Form::AssignDblElement       ? RunAssignElementAtVariable<false>
                        : decoded.value->shape == QuickExpr::kInteger ? RunStoreConstantAtVariable
                                                                      : RunAssignElementAtVariable<true>;
        *q = decoded;
        form = q;
      }
    }
    a.quick.Store(QuickKind::Statement, site, form);
  }
  return form == QuickTable::NoForm() ? nullptr : static_cast<const QuickStmt*>(form);
}

}  // namespace msc
