// The language's tables as a reader of the language sees them: for every
// statement its syntax and group, for every function its arguments, result
// and group, the error messages with their usual causes, the operators with
// their binding, and the kinds of names. The engine dispatches through the
// same tables, so the language reference and the editor grammar made from
// them (tools/docgen) cannot drift from what the engine does.
#pragma once

#include <cstdint>
#include <span>

#include "engine/errors.h"
#include "frontend/keywords.h"
#include "frontend/name_kinds.h"

namespace msc::lang {

// Where a statement word belongs, in the order the reference lists them.
enum class StatementGroup : uint8_t {
  ControlFlow,
  Procedures,
  ErrorTrapping,
  Variables,
  ConsoleAndProgram,
  Files,
  Geometry,
  ParallelAndExternal,
  ScenesAndUnits,
  MeasurementAndWindows,
  IoAndData,
  Part,      // only inside another statement ("To", "As", ...)
  Reserved,  // a reserved word that is no statement
};
inline constexpr int kStatementGroupCount = static_cast<int>(StatementGroup::Reserved) + 1;

struct StatementDoc {
  StatementGroup group;
  // The statement's syntax; for a Part or Reserved word, where it stands.
  const char* syntax;
};

enum class FunctionGroup : uint8_t { Text, Numbers, TimeAndErrors, FilesAndArrays, Controller };
inline constexpr int kFunctionGroupCount = static_cast<int>(FunctionGroup::Controller) + 1;

enum class ResultKind : uint8_t {
  Integer,
  Double,
  SameAsArgument,  // integer or double as the argument is
  Text,
  Number,          // integer or double, as the text reads
};

struct FunctionDoc {
  FunctionGroup group;
  ResultKind result;
  const char* syntax;
};

struct ErrorEntry {
  ErrNo number;
  const char* message;
  const char* cause;  // the usual causes in this engine; empty when none is known
};

struct OperatorDoc {
  uint8_t code;        // the evaluator's operator code (kOpPower ...)
  const char* syntax;  // "a ^ b"
  const char* meaning;
};

// The documentation of statement word code (0x8000 to 0x80AE) and of
// function word code (0xC000 to 0xC046); null outside the range.
[[nodiscard]] const StatementDoc* StatementDocOf(uint16_t code) noexcept;
[[nodiscard]] const FunctionDoc* FunctionDocOf(uint16_t code) noexcept;

// The conversions the arguments of function word code get, four bits per
// argument with the first lowest (kArgInteger ...); 0 when the function takes
// none or reads its own.
[[nodiscard]] uint32_t FunctionArgumentKinds(uint16_t code) noexcept;

// Every numbered error message, in ascending order.
[[nodiscard]] std::span<const ErrorEntry> ErrorTable() noexcept;

// The binary and unary operators, tightest first, and the binding value of
// an operator code (the lower, the tighter).
[[nodiscard]] std::span<const OperatorDoc> Operators() noexcept;
[[nodiscard]] int OperatorBinding(uint8_t code) noexcept;

}  // namespace msc::lang
