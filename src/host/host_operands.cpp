// Argument reading, output variables and array blocks of the host commands.
#include "host/host_operands.h"

#include <cstring>
#include <new>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "platform/lock.h"
#include "variables/host_access.h"
#include "variables/host_value.h"

namespace msc::host {
namespace {

// Elements start after the dimension count and one extent per dimension.
uint8_t* FirstElement(uint8_t* block) noexcept { return block + 4 + 4 * size_t{LoadU32(block)}; }

uint32_t CountOf(const uint8_t* block) noexcept {
  const uint32_t dims = LoadU32(block);
  uint64_t count = dims == 0 ? 0 : 1;
  for (uint32_t i = 0; i < dims; ++i) count *= LoadU32(block + 4 + 4 * size_t{i});
  return static_cast<uint32_t>(count);
}

}  // namespace

ErrNo CoreOf(ExecFrame& f, CoreServices** core) noexcept {
  *core = f.macro->core;
  return *core != nullptr ? kOk : kErrIllegalCall;
}

ErrNo HostOf(ExecFrame& f, HostInterface** host) noexcept {
  *host = f.macro->host;
  return *host != nullptr ? kOk : kErrIllegalCall;
}

ErrNo ChannelOf(ExecFrame& f, const wchar_t* name, IoModule** channel) noexcept {
  CoreServices* core = nullptr;
  if (ErrNo e = CoreOf(f, &core); e != kOk) return e;
  *channel = core->GetIoModule(name);
  return *channel != nullptr ? kOk : kErrIllegalCall;
}

ErrNo KeepContent(Value& v) noexcept {
  if (v.type == kVarText) return v.SetOwnedText(v.text, static_cast<size_t>(v.count));
  if (v.type == kBytes && v.block == nullptr) return v.SetBytes(v.text, static_cast<size_t>(v.count));
  return kOk;
}

ErrNo EvaluateKept(ExecFrame& f, Value& v) noexcept {
  platform::LockGuard hold(f.macro->lock);
  if (ErrNo e = EvaluateExpression(f, v); e != kOk) return e;
  return KeepContent(v);
}

// ---- argument list ----

void ArgumentList::Next() noexcept {
  if (started_) (void)ArgumentSeparator(f_);
  started_ = true;
}

ErrNo ArgumentList::Integer(int32_t* out) noexcept {
  Next();
  return IntegerArgument(f_, out);
}

ErrNo ArgumentList::Text(wchar_t (&out)[kShortTextSize]) noexcept {
  Next();
  return WideTextArgument(f_, out, kShortTextSize);
}

ErrNo ArgumentList::LongText(std::wstring* out) noexcept {
  Next();
  return WideStringArgument(f_, out);
}

ErrNo ArgumentList::Any(Value& out) noexcept {
  Next();
  return EvaluateKept(f_, out);
}

ErrNo ArgumentList::HostValue(AnyType& out) noexcept {
  Value v;
  if (ErrNo e = Any(v); e != kOk) return e;
  return ValueToHost(v, out);
}

bool ArgumentList::MoreFollows() noexcept {
  SkipSpaces(f_);
  if (*f_.pos == ',') {
    ++f_.pos;
    started_ = false;  // the separator is gone already
    return true;
  }
  if (*f_.pos == ':') ++f_.pos;
  return false;
}

bool ArgumentList::FirstFollows() noexcept {
  const uint8_t* const before = f_.pos;
  if (AtStatementEnd(f_)) return false;
  f_.pos = before;
  return true;
}

bool AtArgumentsEnd(ExecFrame& f) noexcept {
  SkipSpaces(f);
  return *f.pos == code::EndOfLine || *f.pos == ':';
}

// ---- selectors ----

ErrNo ToSelector(Value& v, Selector* out) noexcept {
  switch (v.type) {
    case kInteger:
      out->byName = false;
      out->number = v.count;
      return kOk;
    case kDouble:
      out->byName = false;
      return DoubleToInteger(v.number, &out->number);
    case kVarText: case kConstText: case kOwnedText: {
      out->byName = true;
      std::wstring wide;
      if (!CodePageToWide(v.text, static_cast<size_t>(v.count), wide)) return kErrOutOfMemory;
      const size_t n = wide.size() < kShortTextSize - 1 ? wide.size() : kShortTextSize - 1;
      wide.copy(out->name, n);
      out->name[n] = L'\0';
      return kOk;
    }
    default:
      return kErrTypeMismatch;
  }
}

// ---- array operands ----

bool PeekWholeArray(ExecFrame& f, uint8_t** cell) noexcept {
  const uint8_t* const before = f.pos;
  Token t;
  const int k = ReadToken(f, t);
  if ((k == kind::IntArray || k == kind::DblArray || k == kind::StrArray ||
       k == kind::VariantArray) &&
      ExpectChar(f, '(') == kOk && ExpectChar(f, ')') == kOk) {
    *cell = t.cell;
    return true;
  }
  f.pos = before;
  return false;
}

ErrNo IntegerArrayOperand(ExecFrame& f, uint8_t** cell) noexcept {
  Token t;
  if (ReadToken(f, t) != kind::IntArray) return kErrTypeMismatch;
  if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
  *cell = t.cell;
  return kOk;
}

ErrNo ElementCount(const uint8_t* cell, uint32_t* count) noexcept {
  const uint8_t* block = ArrayBlock(cell);
  if (block == nullptr) return kErrUndefinedArray;
  *count = CountOf(block);
  return kOk;
}

ErrNo ArrayBytes(uint8_t* cell, uint8_t** data, size_t* size) noexcept {
  uint8_t* block = ArrayBlock(cell);
  if (block == nullptr) return kErrUndefinedArray;
  *data = FirstElement(block);
  *size = size_t{CountOf(block)} * ElementSize(cell[0]);
  return kOk;
}

ErrNo BlockFromArray(ExecFrame& f, uint8_t* cell, size_t bytes, std::vector<uint8_t>& out) noexcept {
  const size_t elements = (bytes + 3) / 4;
  try {
    out.assign(elements * 4, 0);
  } catch (...) {
    return kErrOutOfMemory;
  }
  platform::LockGuard hold(f.macro->lock);
  uint32_t count = 0;
  if (ErrNo e = ElementCount(cell, &count); e != kOk) return e;
  if (elements > count) return kErrSubscript;
  if (bytes != 0) std::memcpy(out.data(), FirstElement(ArrayBlock(cell)), bytes);
  return kOk;
}

ErrNo BlockToArray(ExecFrame& f, uint8_t* cell, const uint8_t* bytes, size_t count) noexcept {
  const size_t elements = (count + 3) / 4;
  platform::LockGuard hold(f.macro->lock);
  uint32_t available = 0;
  if (ErrNo e = ElementCount(cell, &available); e != kOk) return e;
  if (elements > available) return kErrSubscript;
  uint8_t* first = FirstElement(ArrayBlock(cell));
  if (elements != 0) std::memset(first, 0, elements * 4);
  if (count != 0) std::memcpy(first, bytes, count);
  return kOk;
}

// ---- output variables ----

ErrNo StoreHostResult(ExecFrame& f, AnyType& value) noexcept {
  uint8_t* cell = nullptr;
  uint32_t offset = 0;
  if (ErrNo e = VariableArgument(f, &cell, &offset); e != kOk) return e;
  platform::LockGuard hold(f.macro->lock);
  return StoreHostIntoCell(*f.macro, cell, offset, value);
}

ErrNo ParseOutput(ExecFrame& f, OutputPlace* place) noexcept {
  return VariableArgument(f, &place->cell, &place->offset);
}

ErrNo StoreAt(ExecFrame& f, const OutputPlace& place, Value& value) noexcept {
  QorMacro& m = *f.macro;
  platform::LockGuard hold(m.lock);
  return IsArrayCellTag(place.cell[0]) ? WriteElement(place.cell, place.offset, value)
                                       : WriteScalar(m, place.cell, value);
}

ErrNo StoreValue(ExecFrame& f, Value& value) noexcept {
  OutputPlace place;
  if (ErrNo e = ParseOutput(f, &place); e != kOk) return e;
  return StoreAt(f, place, value);
}

ErrNo StoreInteger(ExecFrame& f, int32_t value) noexcept {
  Value v;
  v.SetInteger(value);
  return StoreValue(f, v);
}

ErrNo StoreDouble(ExecFrame& f, double value) noexcept {
  Value v;
  v.SetDouble(value);
  return StoreValue(f, v);
}

// ---- arrays and list values ----

ErrNo FillArrayFromList(ExecFrame& f, uint8_t* cell, AnyType& list, int32_t n) noexcept {
  const uint32_t count = n > 0 ? static_cast<uint32_t>(n) : 0;
  platform::LockGuard hold(f.macro->lock);
  if (ErrNo e = DimensionArray(cell, 1, &count); e != kOk) return e;
  uint8_t* element = FirstElement(ArrayBlock(cell));
  const size_t size = ElementSize(cell[0]);
  for (uint32_t i = 0; i < count; ++i, element += size) {
    const AnyType* entry = list.GetDataPointer(static_cast<int32_t>(i), 0);
    if (entry == nullptr) continue;
    if (ErrNo e = StoreHostValue(cell[0], element, *entry); e != kOk) return e;
  }
  return kOk;
}

ErrNo ListFromArray(ExecFrame& f, uint8_t* cell, AnyType& list) noexcept {
  platform::LockGuard hold(f.macro->lock);
  const uint8_t* block = ArrayBlock(cell);
  if (block == nullptr) return kErrUndefinedArray;
  if (LoadU32(block) != 1) return kErrTypeMismatch;
  const uint32_t count = LoadU32(block + 4);
  if (list.SetData(AnyType::kList, static_cast<int32_t>(count)) != 0) return kErrOutOfMemory;
  for (uint32_t i = 0; i < count; ++i) {
    Value v;
    if (ErrNo e = ReadElementAt(cell, static_cast<int32_t>(i), v); e != kOk) return e;
    AnyType* entry = list.GetDataPointer(static_cast<int32_t>(i), 1);
    if (entry == nullptr) return kErrOutOfMemory;
    if (ErrNo e = ValueToHost(v, *entry); e != kOk) return e;
  }
  return kOk;
}

}  // namespace msc::host
