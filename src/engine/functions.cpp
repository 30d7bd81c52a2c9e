// The function table and its argument-list protocol.
//
// Each entry's argument-kind word lists, four bits per argument with the
// first argument lowest, the conversion every argument gets before the
// implementation runs; the first zero nibble ends the list. A word of 0 means
// no arguments at all (not even parentheses) or a function that reads its own.
//
//   word 0x00000114 = Mid$(text, integer, integer)
//            ||+-- 1st: 4 text
//            |+--- 2nd: 1 integer
//            +---- 3rd: 1 integer
#include "engine/functions.h"
#include "engine/builtin_functions.h"

#include <cstring>
#include <iterator>
#include <new>
#include <mutex>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/host_window.h"
#include "engine/language_tables.h"
#include "frontend/keywords.h"
#include "platform/lock.h"

namespace msc {
namespace {

constexpr ArgKind I = kArgInteger, D = kArgDouble, N = kArgNumber, T = kArgText, A = kArgAny;

template <class... K>
constexpr uint32_t Args(K... kinds) noexcept {
  static_assert(sizeof...(K) <= kMaxFunctionArguments);
  uint32_t word = 0;
  int shift = 0;
  ((word |= static_cast<uint32_t>(kinds) << shift, shift += 4), ...);
  return word;
}
constexpr uint32_t kNoArguments = 0;   // nothing follows the word
constexpr uint32_t kOwnArguments = 0;  // the implementation reads the code itself

ErrNo Convert(uint32_t kind, Value& v) noexcept {
  switch (kind) {
    case kArgInteger: return ToInteger(v);
    case kArgDouble: return ToDouble(v);
    case kArgNumber: return ToNumber(v);
    case kArgText: return v.type <= 0 ? kErrTypeMismatch : ToText(v);
    default: return kOk;
  }
}

// A value that still points into a variable's storage after conversion.
bool BorrowsVariable(const Value& v) noexcept {
  return v.type == kVarText || (v.type == kBytes && v.block == nullptr);
}

QorMacro& Macro(ExecFrame& f) noexcept { return *f.macro; }

// ---- error functions: the error fields of the macro object ----

ErrNo Erl(Value*, Value& result, ExecFrame& f) noexcept {
  result.SetInteger(static_cast<int32_t>(Macro(f).lastErrorLine));
  return kOk;
}

ErrNo Err(Value*, Value& result, ExecFrame& f) noexcept {
  result.SetInteger(static_cast<int32_t>(Macro(f).lastErrorNumber));
  return kOk;
}

ErrNo Errno(Value*, Value& result, ExecFrame& f) noexcept {
  result.SetInteger(static_cast<int32_t>(Macro(f).trappedErrorNumber));
  return kOk;
}

// The keyword that began the failing statement, or the empty text when it
// began with none (an assignment, a label jump).
ErrNo ErrCommand(Value*, Value& result, ExecFrame& f) noexcept {
  const uint32_t code = Macro(f).trappedErrorStatement;
  const char* name = code != 0 && code <= 0xFFFF ? KeywordName(static_cast<uint16_t>(code)) : "";
  return result.SetOwnedText(name, std::strlen(name));
}

struct FunctionRow {
  uint16_t code;
  FunctionEntry entry;
  lang::FunctionDoc doc;
};
using F = lang::FunctionGroup;
using R = lang::ResultKind;

constexpr FunctionRow kFunctions[] = {
    {0xC000, {Args(N), FnAbs}, {F::Numbers, R::SameAsArgument, "Abs(x)"}},  // |x|, same type
    {0xC001, {Args(T), FnAsc}, {F::Text, R::Integer, "Asc(s)"}},  // first byte, 0 for ""
    {0xC002, {Args(D), FnAtn}, {F::Numbers, R::Double, "Atn(x)"}},
    {0xC003, {Args(I), FnChrS}, {F::Text, R::Text, "Chr$(n)"}},  // one byte 0..255
    {0xC004, {Args(D), FnCos}, {F::Numbers, R::Double, "Cos(x)"}},
    {0xC005, {kNoArguments, FnDateS}, {F::TimeAndErrors, R::Text, "Date$"}},  // "yy/mm/dd"
    {0xC006, {kOwnArguments, FnDposline}, {F::Numbers, R::Double, "Dposline(x, y, L#())"}},  // distance of (x, y) from the line a x + b y + c = 0 in L#(0 to 2)
    {0xC007, {Args(T), FnDskf}, {F::FilesAndArrays, R::Double, "Dskf(drive$)"}},  // free space
    {0xC008, {Args(I), FnEof}, {F::FilesAndArrays, R::Integer, "Eof(n)"}},
    {0xC009, {kNoArguments, Erl}, {F::TimeAndErrors, R::Integer, "Erl"}},  // line of the last reported error
    {0xC00A, {kNoArguments, Err}, {F::TimeAndErrors, R::Integer, "Err"}},  // number of the last reported error
    {0xC00B, {kNoArguments, ErrCommand}, {F::TimeAndErrors, R::Text, "Errcmnd$"}},  // keyword of the failing statement
    {0xC00C, {kNoArguments, Errno}, {F::TimeAndErrors, R::Integer, "Errno"}},  // number of the last error seen
    {0xC00D, {Args(D), FnExp}, {F::Numbers, R::Double, "Exp(x)"}},
    {0xC00E, {Args(D), FnFix}, {F::Numbers, R::Number, "Fix(x)"}},  // truncated toward zero
    {0xC00F, {Args(I), FnHexS}, {F::Text, R::Text, "Hex$(n)"}},
    {0xC010, {kOwnArguments, FnInputS}, {F::FilesAndArrays, R::Text, "Input$(n, #f)"}},
    {0xC011, {Args(D), FnInt}, {F::Numbers, R::Number, "Int(x)"}},  // rounded down
    {0xC012, {Args(T), FnIsFile}, {F::FilesAndArrays, R::Integer, "IsFile(path$)"}},
    {0xC013, {Args(T, I), FnLeftS}, {F::Text, R::Text, "Left$(s, n)"}},
    {0xC014, {Args(T), FnLen}, {F::Text, R::Integer, "Len(s)"}},
    {0xC015, {Args(D), FnLog}, {F::Numbers, R::Double, "Log(x)"}},
    {0xC016, {Args(T, I, I), FnMidS}, {F::Text, R::Text, "Mid$(s, start, count)"}},
    {0xC017, {Args(T, T, I, I), FnPieceS}, {F::Text, R::Text, "Piece$(s, delimiter, from, to)"}},
    {0xC018, {Args(T, I), FnRightS}, {F::Text, R::Text, "Right$(s, n)"}},
    {0xC019, {Args(D), FnSin}, {F::Numbers, R::Double, "Sin(x)"}},
    {0xC01A, {Args(D), FnSqr}, {F::Numbers, R::Double, "Sqr(x)"}},
    {0xC01B, {Args(N), FnStrS}, {F::Text, R::Text, "Str$(x)"}},
    {0xC01C, {Args(N, I, I, I, I), FnStr2S}, {F::Text, R::Text, "Str2$(x, width, places, zeros, minus8)"}},
    {0xC01D, {Args(D), FnTan}, {F::Numbers, R::Double, "Tan(x)"}},
    {0xC01E, {kNoArguments, FnTimeS}, {F::TimeAndErrors, R::Text, "Time$"}},  // "hh:mm:ss"
    {0xC01F, {Args(D, I), FnTimer}, {F::TimeAndErrors, R::Integer, "Timer(start, unit)"}},
    {0xC020, {Args(A), FnVal}, {F::Text, R::Number, "Val(x)"}},
    {0xC021, {kOwnArguments, FnVarPtr}, {F::FilesAndArrays, R::Integer, "VarPtr(variable)"}},
    {0xC022, {Args(I, A), FnUnitData}, {F::Controller, R::Double, "UnitData(unit, item)"}},
    {0xC023, {Args(I, A), FnUnitDataS}, {F::Controller, R::Text, "UnitData$(unit, item)"}},
    {0xC024, {Args(I), FnUnitTitleS}, {F::Controller, R::Text, "UnitTitle$(unit)"}},
    {0xC025, {Args(I), FnUnitItemIdentS}, {F::Controller, R::Text, "UnitItemIdent$(unit)"}},
    {0xC026, {Args(I, I), FnUnitInfo}, {F::Controller, R::Integer, "UnitInfo(unit, item)"}},
    {0xC027, {Args(I), FnUnitJudge}, {F::Controller, R::Integer, "UnitJudge(unit)"}},
    {0xC028, {Args(I, I), FnImageFormat}, {F::Controller, R::Integer, "ImageFormat(unit, image)"}},
    {0xC029, {Args(T), FnGetAll}, {F::Controller, R::Integer, "GetAll(channel$)"}},
    {0xC02A, {Args(T, I), FnGetPort}, {F::Controller, R::Integer, "GetPort(channel$, port)"}},
    {0xC02B, {kNoArguments, FnStartTimer}, {F::TimeAndErrors, R::Double, "StartTimer"}},  // counter ticks
    {0xC02C, {Args(T), FnLCaseS}, {F::Text, R::Text, "LCase$(s)"}},
    {0xC02D, {Args(T), FnUCaseS}, {F::Text, R::Text, "UCase$(s)"}},
    {0xC02E, {Args(T), FnGetPollingState}, {F::Controller, R::Integer, "GetPollingState(channel$)"}},
    {0xC02F, {Args(I), FnSceneGroupTitleS}, {F::Controller, R::Text, "SceneGroupTitle$(group)"}},
    {0xC030, {kNoArguments, FnSceneGroupCount}, {F::Controller, R::Integer, "SceneGroupCount"}},
    {0xC031, {kNoArguments, FnSceneGroupNo}, {F::Controller, R::Integer, "SceneGroupNo"}},
    {0xC032, {Args(I), FnSceneTitleS}, {F::Controller, R::Text, "SceneTitle$(scene)"}},
    {0xC033, {Args(I), FnSceneMakerS}, {F::Controller, R::Text, "SceneMaker$(scene)"}},
    {0xC034, {Args(I), FnSceneDescriptionS}, {F::Controller, R::Text, "SceneDescription$(scene)"}},
    {0xC035, {kNoArguments, FnSceneCount}, {F::Controller, R::Integer, "SceneCount"}},
    {0xC036, {kNoArguments, FnSceneNo}, {F::Controller, R::Integer, "SceneNo"}},
    {0xC037, {kNoArguments, FnItemCount}, {F::Controller, R::Integer, "ItemCount"}},
    {0xC038, {Args(I, I), FnItemInfo}, {F::Controller, R::Integer, "ItemInfo(item, info)"}},
    {0xC039, {Args(I), FnItemTitleS}, {F::Controller, R::Text, "ItemTitle$(item)"}},
    {0xC03A, {Args(I), FnItemIdentS}, {F::Controller, R::Text, "ItemIdent$(item)"}},
    {0xC03B, {Args(I), FnCheckUnit}, {F::Controller, R::Integer, "CheckUnit(unit)"}},
    {0xC03C, {kNoArguments, FnUnitCount}, {F::Controller, R::Integer, "UnitCount"}},
    {0xC03D, {kNoArguments, FnGetMeasureOut}, {F::Controller, R::Integer, "GetMeasureOut"}},
    {0xC03E, {kNoArguments, FnDisplayUnitNo}, {F::Controller, R::Integer, "DisplayUnitNo"}},
    {0xC03F, {kOwnArguments, FnGetTextS}, {F::FilesAndArrays, R::Text, "GetText$(#n, key)"}},
    {0xC040, {Args(T), FnUt}, {F::Controller, R::Integer, "Ut(ident$)"}},  // unit number
    {0xC041, {Args(I), FnApplicationVersionS}, {F::Controller, R::Text, "ApplicationVersion$(item)"}},
    {0xC042, {Args(I), FnApplicationPathS}, {F::Controller, R::Text, "ApplicationPath$(item)"}},
    {0xC043, {Args(T), FnLanguageStringS}, {F::Controller, R::Text, "LanguageString$(key$)"}},
    {0xC044, {kOwnArguments, FnArrayDims}, {F::FilesAndArrays, R::Integer, "ArrayDims(a())"}},
    {0xC045, {kOwnArguments, FnArrayLen}, {F::FilesAndArrays, R::Integer, "ArrayLen(a() [, dimension])"}},
    {0xC046, {Args(T), FnAbsolutePathS}, {F::FilesAndArrays, R::Text, "AbsolutePath$(path$)"}},
};

constexpr bool InCodeOrder() noexcept {
  for (size_t i = 0; i < std::size(kFunctions); ++i) {
    if (kFunctions[i].code != kFunctionFirst + i) return false;
  }
  return true;
}
static_assert(std::size(kFunctions) == kFunctionCount, "one entry per function word");
static_assert(InCodeOrder(), "entries in token code order");

constexpr bool KindsValid() noexcept {
  for (const FunctionRow& row : kFunctions) {
    for (uint32_t w = row.entry.argumentKinds; w != 0; w >>= 4) {
      const uint32_t k = w & 0xF;
      if (k != kArgInteger && k != kArgDouble && k != kArgNumber && k != kArgText && k != kArgAny) {
        return false;
      }
    }
  }
  return true;
}
static_assert(KindsValid(), "argument words hold only known kinds, without gaps");

constexpr bool EveryFunctionHasSyntax() noexcept {
  for (const FunctionRow& row : kFunctions) {
    if (row.doc.syntax == nullptr || row.doc.syntax[0] == '\0') return false;
  }
  return true;
}
static_assert(EveryFunctionHasSyntax(), "the reference shows a syntax for every function");

// The arguments of one call: only as many values as the function takes are
// made and cleared, since every function call passes through here.
class ArgumentList {
 public:
  explicit ArgumentList(uint32_t kinds) noexcept {
    for (; kinds != 0; kinds >>= 4) new (&values_[count_++]) Value();
  }
  ~ArgumentList() {
    for (int i = 0; i < count_; ++i) values_[i].~Value();
  }
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;

  Value* data() noexcept { return values_; }
  int size() const noexcept { return count_; }

 private:
  int count_ = 0;
  union {
    Value values_[kMaxFunctionArguments];
  };
};

}  // namespace

const FunctionEntry* FunctionAt(unsigned index) noexcept {
  return index < std::size(kFunctions) ? &kFunctions[index].entry : nullptr;
}

const lang::FunctionDoc* lang::FunctionDocOf(uint16_t code) noexcept {
  if (code < kFunctionFirst || code > kFunctionLast) return nullptr;
  return &kFunctions[code - kFunctionFirst].doc;
}

uint32_t lang::FunctionArgumentKinds(uint16_t code) noexcept {
  if (code < kFunctionFirst || code > kFunctionLast) return 0;
  return kFunctions[code - kFunctionFirst].entry.argumentKinds;
}

ErrNo CallFunction(unsigned index, Value& result, ExecFrame& f) noexcept {
  if (index >= std::size(kFunctions)) return kErrSyntax;
  const FunctionEntry& entry = kFunctions[index].entry;
  ArgumentList list(entry.argumentKinds);
  Value* const args = list.data();
  // A later argument, or the function itself, may call the host, which
  // frees the object lock.
  const PendingOperands read(f, args, list.size());
  // Held from the evaluation of the first argument that still borrows a
  // variable's storage after conversion until the implementation is done.
  std::unique_lock<platform::RecursiveLock> lock(f.macro->lock, std::defer_lock);
  bool keepLock = false;

  if (entry.argumentKinds != 0) {
    if (ExpectChar(f, '(') != kOk) return kErrSyntax;
    int i = 0;
    for (uint32_t w = entry.argumentKinds; w != 0; w >>= 4, ++i) {
      if (i > 0 && ExpectChar(f, ',') != kOk) return kErrSyntax;
      Value& arg = args[i];
      if (!lock.owns_lock()) lock.lock();
      if (ErrNo e = EvaluateExpression(f, arg); e != kOk) return e;
      if (!keepLock && !BorrowsVariable(arg)) lock.unlock();
      if (ErrNo e = Convert(w & 0xF, arg); e != kOk) return e;
      if (BorrowsVariable(arg)) {
        keepLock = true;
      } else if (!keepLock && lock.owns_lock()) {
        lock.unlock();
      }
    }
    if (ExpectChar(f, ')') != kOk) return kErrSyntax;
  }

  const ErrNo e = entry.impl(args, result, f);
  if (e != kOk) result.Clear();
  return e;
}

}  // namespace msc
