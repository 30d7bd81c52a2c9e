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


// Controller queries (scenes, units, channels, paths).
[[nodiscard]] ErrNo FnSceneGroupTitleS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneTitleS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneMakerS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneDescriptionS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnItemTitleS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnItemIdentS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneGroupCount(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneGroupNo(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneCount(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnSceneNo(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnItemCount(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnItemInfo(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnGetMeasureOut(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnCheckUnit(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitCount(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitInfo(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitJudge(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnImageFormat(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnDisplayUnitNo(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUt(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitData(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitDataS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitTitleS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnUnitItemIdentS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnGetAll(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnGetPort(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnGetPollingState(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnApplicationVersionS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnApplicationPathS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnLanguageStringS(Value* args, Value& result, ExecFrame& f) noexcept;
[[nodiscard]] ErrNo FnAbsolutePathS(Value* args, Value& result, ExecFrame& f) noexcept;

}  // namespace msc
