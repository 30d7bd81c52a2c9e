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
#include "frontend/keywords.h"
#include "platform/lock.h"

namespace msc {
namespace {

// Conversion applied to an argument.
enum ArgKind : uint32_t {
  kArgInteger = 1,   // i: To integer
  kArgDouble = 2,    // d: to double (texts parsed, integers widened)
  kArgNumber = 3,    // n: To number, integer or double kept
  kArgText = 4,      // t: To text
  kArgAny = 15,      // a: as evaluated
};
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
};

constexpr FunctionRow kFunctions[] = {
    {0xC000, {Args(N), FnAbs}},              // Abs(x): |x|, same type
    {0xC001, {Args(T), FnAsc}},              // Asc(s): first byte, 0 for ""
    {0xC002, {Args(D), FnAtn}},              // Atn(x)
    {0xC003, {Args(I), FnChrS}},              // Chr$(n): one byte 0..255
    {0xC004, {Args(D), FnCos}},              // Cos(x)
    {0xC005, {kNoArguments, FnDateS}},         // Date$: "yy/mm/dd"
    {0xC006, {kOwnArguments, FnDposline}},        // Dposline(...)
    {0xC007, {Args(T), FnDskf}},              // Dskf(drive$): free space
    {0xC008, {Args(I), FnEof}},              // Eof(n)
    {0xC009, {kNoArguments, Erl}},                  // Erl: line of the last reported error
    {0xC00A, {kNoArguments, Err}},                  // Err: number of the last reported error
    {0xC00B, {kNoArguments, ErrCommand}},           // Errcmnd$: keyword of the failing statement
    {0xC00C, {kNoArguments, Errno}},                // Errno: number of the last error seen
    {0xC00D, {Args(D), FnExp}},              // Exp(x)
    {0xC00E, {Args(D), FnFix}},              // Fix(x): truncated toward zero
    {0xC00F, {Args(I), FnHexS}},              // Hex$(n)
    {0xC010, {kOwnArguments, FnInputS}},        // Input$(n, #f)
    {0xC011, {Args(D), FnInt}},              // Int(x): rounded down
    {0xC012, {Args(T), FnIsFile}},              // IsFile(path$)
    {0xC013, {Args(T, I), FnLeftS}},           // Left$(s, n)
    {0xC014, {Args(T), FnLen}},              // Len(s)
    {0xC015, {Args(D), FnLog}},              // Log(x)
    {0xC016, {Args(T, I, I), FnMidS}},        // Mid$(s, start, count)
    {0xC017, {Args(T, T, I, I), FnPieceS}},     // Piece$(s, delimiter, from, to)
    {0xC018, {Args(T, I), FnRightS}},           // Right$(s, n)
    {0xC019, {Args(D), FnSin}},              // Sin(x)
    {0xC01A, {Args(D), FnSqr}},              // Sqr(x)
    {0xC01B, {Args(N), FnStrS}},              // Str$(x)
    {0xC01C, {Args(N, I, I, I, I), FnStr2S}},  // Str2$(x, width, places, zeros, minus8)
    {0xC01D, {Args(D), FnTan}},              // Tan(x)
    {0xC01E, {kNoArguments, FnTimeS}},         // Time$: "hh:mm:ss"
    {0xC01F, {Args(D, I), FnTimer}},           // Timer(start, unit)
    {0xC020, {Args(A), FnVal}},              // Val(x)
    {0xC021, {kOwnArguments, FnVarPtr}},        // VarPtr(variable)
    {0xC022, {Args(I, A), FnUnitData}},           // UnitData(unit, item)
    {0xC023, {Args(I, A), FnUnitDataS}},           // UnitData$(unit, item)
    {0xC024, {Args(I), FnUnitTitleS}},              // UnitTitle$(unit)
    {0xC025, {Args(I), FnUnitItemIdentS}},              // UnitItemIdent$(unit)
    {0xC026, {Args(I, I), FnUnitInfo}},           // UnitInfo(unit, item)
    {0xC027, {Args(I), FnUnitJudge}},              // UnitJudge(unit)
    {0xC028, {Args(I, I), FnImageFormat}},           // ImageFormat(unit, image)
    {0xC029, {Args(T), FnGetAll}},              // GetAll(channel$)
    {0xC02A, {Args(T, I), FnGetPort}},           // GetPort(channel$, port)
    {0xC02B, {kNoArguments, FnStartTimer}},         // StartTimer: counter ticks
    {0xC02C, {Args(T), FnLCaseS}},              // LCase$(s)
    {0xC02D, {Args(T), FnUCaseS}},              // UCase$(s)
    {0xC02E, {Args(T), FnGetPollingState}},              // GetPollingState(channel$)
    {0xC02F, {Args(I), FnSceneGroupTitleS}},              // SceneGroupTitle$(group)
    {0xC030, {kNoArguments, FnSceneGroupCount}},         // SceneGroupCount
    {0xC031, {kNoArguments, FnSceneGroupNo}},         // SceneGroupNo
    {0xC032, {Args(I), FnSceneTitleS}},              // SceneTitle$(scene)
    {0xC033, {Args(I), FnSceneMakerS}},              // SceneMaker$(scene)
    {0xC034, {Args(I), FnSceneDescriptionS}},              // SceneDescription$(scene)
    {0xC035, {kNoArguments, FnSceneCount}},         // SceneCount
    {0xC036, {kNoArguments, FnSceneNo}},         // SceneNo
    {0xC037, {kNoArguments, FnItemCount}},         // ItemCount
    {0xC038, {Args(I, I), FnItemInfo}},           // ItemInfo(item, info)
    {0xC039, {Args(I), FnItemTitleS}},              // ItemTitle$(item)
    {0xC03A, {Args(I), FnItemIdentS}},              // ItemIdent$(item)
    {0xC03B, {Args(I), FnCheckUnit}},              // CheckUnit(unit)
    {0xC03C, {kNoArguments, FnUnitCount}},         // UnitCount
    {0xC03D, {kNoArguments, FnGetMeasureOut}},         // GetMeasureOut
    {0xC03E, {kNoArguments, FnDisplayUnitNo}},         // DisplayUnitNo
    {0xC03F, {kOwnArguments, FnGetTextS}},        // GetText$(#n, key)
    {0xC040, {Args(T), FnUt}},              // Ut(ident$): unit number
    {0xC041, {Args(I), FnApplicationVersionS}},              // ApplicationVersion$(item)
    {0xC042, {Args(I), FnApplicationPathS}},              // ApplicationPath$(item)
    {0xC043, {Args(T), FnLanguageStringS}},              // LanguageString$(key$)
    {0xC044, {kOwnArguments, FnArrayDims}},        // ArrayDims(a())
    {0xC045, {kOwnArguments, FnArrayLen}},        // ArrayLen(a() [, dimension])
    {0xC046, {Args(T), FnAbsolutePathS}},              // AbsolutePath$(path$)
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
