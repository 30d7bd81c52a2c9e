// Statements decoded once into a direct form: assignments to number
// variables and elements, one-line If, Goto, Gosub, Return, Next and labels.
// The run loop looks a statement's form up by its place in the code and runs
// it instead of decoding tokens and dispatching through the statement table.
//
// A form does exactly what the general statement does. Where that would end
// in an error or takes a rarer path, the form gives kQuickFallback having
// changed nothing but the code position, and the run loop executes the
// statement the general way from its start.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "api/qor_macro.h"
#include "engine/frame.h"
#include "engine/quick_table.h"

namespace msc {

inline constexpr ErrNo kQuickFallback = -100;

struct QuickStmt;

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

// Runs a form: 0, 255 (the rest of the line is skipped), an error number
// (*statement gets the keyword that began the statement) or kQuickFallback.
[[nodiscard]] ErrNo RunQuickStatement(const QuickStmt& s, ExecFrame& f, uint32_t* statement) noexcept;

// ---- pieces of the general statements the forms share ----

// Passes over the Then part of a false one-line If: true on its Else (the
// position after it), false when the statement ends first.
[[nodiscard]] bool SkipFalseThen(ExecFrame& f) noexcept;

struct QuickExpr;

// What a Next form remembers of the loop it stepped last: the decoded limit
// and step at the For's limit position, and the position after them.
struct QuickLoop {
  const uint8_t* site;  // the For's limit position these belong to
  const QuickExpr* limit;  // null: the general loop test
  const QuickExpr* step;   // null: step 1
  const uint8_t* end;
  const uint8_t* endStart;
};

// Next with the position after its variable (cell, or null for none):
// kQuickFallback when the innermost loop is not one over that variable.
[[nodiscard]] ErrNo QuickNext(ExecFrame& f, const uint8_t* cell, QuickLoop& loop) noexcept;

// Gosub to a line record, returning to the frame's current position.
[[nodiscard]] ErrNo CallRecord(ExecFrame& f, uint8_t* record) noexcept;

}  // namespace msc
