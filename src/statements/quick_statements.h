// Statements decoded once into a direct form: assignments to number
// variables and elements, text appends, one-line and block If with Else,
// Elseif and End If, For/Next, Do/Loop While, Select/Case on numbers, Goto,
// Gosub, Return, labels and comments. The run loop looks a statement's form
// up by its place in the code (or takes it from the form before) and runs it
// instead of decoding tokens and dispatching through the statement table.
//
// A form does exactly what the general statement does. Where that would end
// in an error or takes a rarer path, the form gives kQuickFallback having
// changed nothing but the code position, and the run loop executes the
// statement the general way from its start.
#pragma once

#include <cstdint>

#include "api/qor_macro.h"
#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/quick_table.h"
#include "engine/run.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"

namespace msc {

inline constexpr ErrNo kQuickFallback = -100;
// A form that ran to the end of its line: the run goes on with the next line.
inline constexpr ErrNo kQuickLineEnd = -101;

struct QuickStmt;
struct QuickExpr;

// Runs a form: 0, 255 (the rest of the line is skipped), kQuickLineEnd (the
// position and the token start are on the line's end, past any spacing), an
// error number or kQuickFallback.
using QuickRunner = ErrNo (*)(const QuickStmt& q, ExecFrame& f);

// What a Next form remembers of the loop it stepped last: the decoded limit
// and step at the For's limit position, and the position after them.
struct QuickLoop {
  const uint8_t* site;  // the For's limit position these belong to
  const QuickExpr* limit;  // null: the general loop test
  const QuickExpr* step;   // null: step 1
  const uint8_t* end;
  const uint8_t* endStart;
  bool endsLine;  // nothing but spacing follows the limit (and step)
  LineFollow bodyFrom;      // the least mode of a frame that may go to bodyLine directly
  // The usual loop, stepped directly: a constant integer step or an integer
  // variable, and a limit that is a constant or a number variable.
  enum Limit : uint8_t { kGeneral, kInteger, kIntVar, kDouble, kDblVar };
  Limit direct;
  const uint8_t* directSite;  // site when direct, else null
  bool upward;             // step >= 0: the loop ends above the limit
  int32_t stepBy;
  const uint8_t* stepCell;  // a step that is an integer variable, read at every pass (else null)
  int32_t lastBeforeStep;  // the farthest value the step does not carry out of range
  int32_t limitInteger;    // kInteger
  double limitNumber;      // kDouble
  const uint8_t* limitCell;  // kIntVar, kDblVar
  uint8_t* forLine;        // the line of the For
  uint8_t* bodyLine;       // the body starts on this line (endsLine), or null
};

enum class Form : uint8_t {
  Skip,              // a label definition: passed over
  SkipLine,          // Rem or ': the rest of the line is a comment
  AssignInteger,     // X& = expression
  AssignDouble,      // X# = expression
  AssignIntElement,  // X&(subscript) = expression
  AssignDblElement,  // X#(subscript) = expression
  OneLineIf,         // If condition Then|Goto ... [Else ...]
  Jump,              // Goto target, or a target alone
  Gosub,             // Gosub target
  Return,            // Return
  Next,              // Next [X&]
  For,               // For X& = start To ...
  Select,            // Select number-expression
  Case,              // Case number-constant, or Case Else
  EndSelect,         // End Select
  AppendText,        // X$ = X$ + "text" | Y$ | Chr$(number)
  BlockIf,           // If condition Then, ending the statement
  EndIf,             // End If
  Else,              // Else
  Elseif,            // Elseif condition Then
  Do,                // Do
  LoopWhile,         // Loop While condition
};

// What an AppendText form appends.
struct QuickAppend {
  enum Kind : uint8_t { kConstant, kVariable, kCharacter };
  Kind kind;
  const char* text;   // kConstant: the text in the code
  size_t length;
  uint8_t* source;    // kVariable: the other text variable's cell
};

// Where a Case goes: its value and the places its block searches find.
struct QuickCase {
  double value;
  bool isElse;            // Case Else matches whatever the selector
  uint8_t* nextLine;      // not matching: the next Case or End Select
  const uint8_t* nextPos;
  uint8_t* endLine;       // after a Case that ran: the End Select
  const uint8_t* endPos;
};

// A Select's Cases in order, when each is a number constant or Case Else:
// the Select goes to the one that matches directly, leaving the run where
// passing the Cases before it one by one would.
struct QuickCaseTable {
  struct Entry {
    double value;
    bool isElse;
    uint8_t* line;             // the Case's line
    const uint8_t* after;      // after its constant (or Else) and its token start
    const uint8_t* afterStart;
    // Where the run goes on from a Case that ends its line (the next line's
    // code) and the form there, for the Select's next-form cache; null
    // site when the Case's line goes on.
    const uint8_t* bodySite;
    const QuickStmt* bodyForm;
    // The line of bodySite, which a frame following lines goes to at once
    // when bodyForm is a form (so the line is no task boundary).
    uint8_t* bodyLine;
    // A body of one assignment on that line, followed at once by the next
    // Case or the End Select: the Select runs it and leaves at once, past
    // the End Select (leaveLine, leavePos, leaveStart), on to the line
    // after it (leaveNext, in a frame of at least leaveNextFrom) when the
    // End Select ends its line.
    bool oneAssignment;
    uint8_t* leaveLine;
    const uint8_t* leavePos;
    const uint8_t* leaveStart;
    uint8_t* leaveNext;
    LineFollow leaveNextFrom;
  };
  const Entry* entries;  // count of them, in the form arena
  uint32_t count;
  // When every value is a whole number within kIndexSpan of the least, the
  // entry of an integer selector is found by index: index[selector - least]
  // is the first entry of that value plus 1, or 0 for none (the Else, if
  // any, is entries[count - 1]).
  static constexpr uint32_t kIndexSpan = 64;
  const uint8_t* index;  // null: the entries are compared in turn
  int32_t least;
  bool endsInElse;
  uint8_t* endLine;       // nothing matched: the End Select
  const uint8_t* endPos;
};

struct QuickStmt {
  mutable QuickRunner run;      // runs the form (a Next form chooses its own)
  Form form;
  uint16_t keyword;             // the statement's word, 0 for none
  uint8_t* cell;                // the variable assigned or stepped
  const QuickExpr* value;       // the value assigned, or the If condition
  const QuickExpr* subscript;   // the element's subscript
  const uint8_t* after;         // the position after the decoded part
  const uint8_t* afterStart;    // and the token start there
  uint8_t* target;              // the line jumped to; a block If's false branch line
  uint8_t* landing;             // the line after the target's label-only lines, or null
  LineFollow landsFrom;         // the least mode of a frame that may go to landing
  const uint8_t* elsePos;       // false one-line If: after its Else (null: the line
                                // ends); false block If: the branch's place in target
  const uint8_t* elseStart;
  mutable QuickLoop loop;       // Next: the loop it stepped last; For: its own (under the object lock)
  QuickCase kase;               // Case; Select keeps its first Case in nextLine/nextPos
  QuickAppend append;           // AppendText; Chr$'s number is in value
  bool endsLine;                // nothing but spacing follows the decoded part
  // The place the form left off last time and the form there (null: none),
  // so that a run of forms needs no lookup (under the object lock); and the
  // place before that, as a Next goes back into its loop or out of it and
  // an If goes either way.
  mutable const uint8_t* nextSite;
  mutable const QuickStmt* nextForm;
  mutable const uint8_t* otherSite;
  mutable const QuickStmt* otherForm;
  // Select: its Cases, found on its first run (null: not looked for yet).
  mutable const QuickCaseTable* cases;
  // The form that always runs right after this one, found on first use
  // (null: not looked for yet; this form itself: none to take): a Case's
  // End Select, the Goto of a one-line If's Then; for a direct Next, the
  // one assignment of its one-line loop (null: none, the Next follows the
  // For at once), found when the Next is made direct.
  mutable const QuickStmt* chained;
  // A Case whose End Select ends its line: the line after it (null: none),
  // where leaving the Select goes on at once in a frame of at least
  // leavesFrom; found with chained.
  mutable uint8_t* leaveLine;
  mutable LineFollow leavesFrom;
};

// Decodes the statement at site on its first visit; null when it has no form.
[[nodiscard]] const QuickStmt* DecodeStatementAt(ExecFrame& f, const uint8_t* site) noexcept;

// The form of the statement at site (spacing before it included), decoded
// on the first visit; null when it has none. The caller holds the object lock.
[[nodiscard]] inline const QuickStmt* QuickStatementAt(ExecFrame& f, const uint8_t* site) noexcept {
  ProgramArea& a = f.macro->program;
  void* form = a.quick.Find(a, a.generation, QuickKind::Statement, site);
  if (form == nullptr) [[unlikely]] return DecodeStatementAt(f, site);
  return form == QuickTable::NoForm() ? nullptr : static_cast<const QuickStmt*>(form);
}

// An assignment to a number variable or element: its form gives only kOk,
// kQuickLineEnd or kQuickFallback, and changes nothing but the position
// when it falls back, so a loop or a Select may run it as its whole body.
[[nodiscard]] inline bool IsAssignmentForm(const QuickStmt& s) noexcept {
  return s.form == Form::AssignInteger || s.form == Form::AssignDouble || s.form == Form::AssignIntElement ||
         s.form == Form::AssignDblElement;
}

// ---- pieces of the general statements the forms share ----

// Passes over the Then part of a false one-line If: true on its Else (the
// position after it), false when the statement ends first.
[[nodiscard]] bool SkipFalseThen(ExecFrame& f) noexcept;

// Next with the position after its variable (cell, or null for none):
// kQuickFallback when the innermost loop is not one over that variable.
[[nodiscard]] ErrNo QuickNext(ExecFrame& f, const uint8_t* cell, QuickLoop& loop) noexcept;

// Runs a Next form. Once it knows its loop, a Next form of a direct loop
// (see QuickLoop) switches to a runner made for that loop's shape.
[[nodiscard]] ErrNo RunNextForm(const QuickStmt& q, ExecFrame& f) noexcept;

// For over an integer variable whose start value is known: stores it, opens
// the loop with its limit expression at limit (just after To) and tests it;
// loop keeps what is decoded of the limit and step.
[[nodiscard]] ErrNo QuickFor(ExecFrame& f, uint8_t* cell, int32_t start, const uint8_t* limit,
                             QuickLoop& loop) noexcept;

// Select with a number selector: opens the block and goes to the first Case
// (at line, pos, the place its block search finds).
[[nodiscard]] ErrNo QuickSelect(ExecFrame& f, double selector, uint8_t* line, const uint8_t* pos) noexcept;
// Select with a number selector whose Case is known: opens the block with
// the Case matched (at line, after its constant) or, when none matched, at
// the End Select. (Inline: a Select in a loop opens its block on every pass.)
[[nodiscard]] inline ErrNo QuickSelectTo(ExecFrame& f, double selector, bool matched, uint8_t* line,
                                         const uint8_t* pos, const uint8_t* tokenStart) noexcept {
  using namespace entry;
  uint8_t* e = f.PushFilled(tok::Select, kSelectSize);
  if (e == nullptr) return kErrInternal;
  static_assert(kSelectSize == 24 && kSelectValue == 8 && kSelectActive == kSelectMatched + 4, "every byte below");
  StoreU32(e + kSelectKind, kSelectNumber);
  StoreU32(e + kSelectKind + 4, 0);
  StoreF64(e + kSelectValue, selector);
  StoreU32(e + kSelectMatched, matched ? 1 : 0);
  StoreU32(e + kSelectActive, matched ? 1 : 0);
  f.line = line;
  f.pos = pos;
  f.tokenStart = tokenStart;
  if (matched) FormTraceEcho(f);
  return kOk;
}
// End Select of a number Select, which owns nothing to free; any other
// the general way.
[[nodiscard]] ErrNo QuickEndSelect(ExecFrame& f) noexcept;
// A Case met after the block of a number Select that matched, followed by
// its End Select: leaves the Select at once, at line and pos past the End
// Select, as running the Case and then the End Select would. False, with
// nothing changed, for any other Select and while a line must be shown.
[[nodiscard]] inline bool QuickLeaveSelect(ExecFrame& f, uint8_t* line, const uint8_t* pos,
                                           const uint8_t* tokenStart) noexcept {
  using namespace entry;
  uint8_t* e = f.TopEntry(tok::Select);
  if (e == nullptr || LoadU32(e + kSelectMatched) == 0 || LoadU32(e + kSelectKind) != kSelectNumber ||
      f.macro->watched.load(std::memory_order_relaxed) != 0)
    return false;
  f.top = e + kSelectSize;  // the entry on top, which owns nothing
  f.line = line;
  f.pos = pos;
  f.tokenStart = tokenStart;
  return true;
}
// Case with its form, the position after its word (after Else, or after the
// constant with the token start there); kQuickFallback for a text selector
// or no open Select.
[[nodiscard]] ErrNo QuickCaseRun(ExecFrame& f, const QuickCase& c) noexcept;

// A block If with its condition known: opens the block and goes on before
// its "Then" (true) or at the Elseif, Else or EndIf found for it (false).
[[nodiscard]] ErrNo QuickBlockIf(ExecFrame& f, bool truth, const uint8_t* after, const uint8_t* afterStart,
                                 uint8_t* falseLine, const uint8_t* falsePos) noexcept;

// Loop While with its condition decoded: back to the Do, or out of the
// loop; kQuickFallback without a Do or where the condition needs the
// general evaluation.
[[nodiscard]] ErrNo QuickLoopWhile(ExecFrame& f, const QuickExpr& condition) noexcept;

// Run the Gosub and Return forms: the usual call and return directly, the
// rest through the general statements.
[[nodiscard]] ErrNo RunGosubForm(const QuickStmt& q, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo RunReturnForm(const QuickStmt& q, ExecFrame& f) noexcept;

// The line a Goto or Gosub form goes to: past the label-only lines at its
// target where the dispatcher would run straight through them (they do
// nothing but end), else the target itself.
[[nodiscard]] inline uint8_t* JumpLine(const QuickStmt& q, const ExecFrame& f) noexcept {
  return f.follows >= q.landsFrom ? q.landing : q.target;
}

// The form at the place the last run of q left off, remembered in q.
[[nodiscard]] inline const QuickStmt* FollowingForm(const QuickStmt& q, ExecFrame& f) noexcept {
  if (q.nextSite == f.pos) return q.nextForm;
  if (q.otherSite == f.pos) return q.otherForm;
  q.otherSite = q.nextSite;
  q.otherForm = q.nextForm;
  q.nextSite = f.pos;
  q.nextForm = QuickStatementAt(f, f.pos);
  return q.nextForm;
}

}  // namespace msc
