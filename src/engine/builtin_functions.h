// Implementations of the built-in functions, called through the function table
// with their arguments already converted (or reading their own from the code).
#pragma once

#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/value.h"

namespace msc {

// Text and conversion functions.
[[nodiscard]] ErrNo FnAsc(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnChrS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnHexS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnLCaseS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUCaseS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnLeftS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnLen(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnMidS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnPieceS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnRightS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnStrS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnStr2S(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnVal(Value* args, Value& result, ExecFrame& f) noexcept;

// Number, time and array functions.
[[nodiscard]] ErrNo FnAbs(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnInt(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnFix(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnDateS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnTimeS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnStartTimer(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnTimer(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnArrayDims(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnArrayLen(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnVarPtr(Value* args, Value& result, ExecFrame& f) noexcept;

// Numeric and geometry functions.
[[nodiscard]] ErrNo FnSqr(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnExp(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnLog(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSin(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnCos(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnTan(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnAtn(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnDposline(Value* args, Value& result, ExecFrame& f) noexcept;

// File and disk functions.
[[nodiscard]] ErrNo FnDskf(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnEof(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnInputS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnIsFile(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnGetTextS(Value* args, Value& result, ExecFrame& f) noexcept;

}  // namespace msc
