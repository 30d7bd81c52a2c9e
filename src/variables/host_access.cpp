// Host assignment and evaluation: the name is compiled as the program line
// "10 <name>" into a scratch record, which is then read as a variable
// reference or evaluated as an expression; it is never stored.
#include "variables/host_access.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "api/qor_macro.h"
#include "engine/active_frames.h"
#include "engine/evaluator.h"
#include "engine/frame.h"
#include "engine/run.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "variables/host_value.h"

namespace msc {
namespace {

constexpr size_t kNameBytes = 1021;
constexpr char kLinePrefix[] = "10 ";

// The scratch line: source text and the compiled record, 64 KiB each.
struct ScratchLine {
  char source[kLineBufferSize];
  alignas(8) uint8_t record[kLineHeader + kLineBufferSize + 8];
};

// Compiles "10 " + text; the frame then stands on the first code byte.
ErrNo CompileScratch(QorMacro& m, const char* text, ScratchLine& s, ExecFrame& f) noexcept {
  const size_t n = strnlen(text, kNameBytes);
  std::memcpy(s.source, kLinePrefix, sizeof kLinePrefix - 1);
  std::memcpy(s.source + sizeof kLinePrefix - 1, text, n);
  s.source[sizeof kLinePrefix - 1 + n] = '\0';
  std::memset(s.record, 0, sizeof s.record);
  uint32_t number = 0;
  int32_t length = 0;
  ErrNo e = CompileLine(s.source, RecordCode(s.record), m, false, &number, &length);
  if (e != kOk) return e;
  if (length <= 0 || static_cast<size_t>(length) > kCompileOutputLimit) return kErrSyntax;
  StoreU16(s.record, static_cast<uint16_t>(length + kRecordOverhead));
  StoreU32(s.record + 2, number);
  JumpTo(f, s.record);
  return kOk;
}

}  // namespace

ErrNo AssignFromHost(QorMacro& m, const char* text, AnyType& value) noexcept {
  std::unique_ptr<ScratchLine> s(new (std::nothrow) ScratchLine);
  if (!s) return kErrOutOfMemory;
  ExecFrame f(&m);
  platform::LockGuard hold(m.lock);
  if (ErrNo e = CompileScratch(m, text, *s, f); e != kOk) return e;
  uint8_t* cell = nullptr;
  uint32_t offset = 0;
  if (ErrNo e = VariableArgument(f, &cell, &offset); e != kOk) return e;
  SkipSpaces(f);
  if (*f.pos != code::EndOfLine) return kErrSyntax;
  return StoreHostIntoCell(m, cell, offset, value);
}

ErrNo StoreHostIntoCell(QorMacro& m, uint8_t* cell, uint32_t offset, AnyType& value) noexcept {
  if (cell[0] == kTagReference) {
    // The controller gets the host's value as it is.
    std::wstring name;
    if (!CodePageToWide(CellName(cell), CellNameLength(cell), name)) return kErrOutOfMemory;
    return m.SetReference(name.c_str(), &value);
  }
  uint8_t* slot = IsArrayCellTag(cell[0]) ? ArrayBlock(cell) + offset : cell + 1;
  return StoreHostValue(cell[0], slot, value);
}

ErrNo EvaluateForHost(QorMacro& m, const char* text, AnyType& value) noexcept {
  std::unique_ptr<ScratchLine> s(new (std::nothrow) ScratchLine);
  if (!s) return kErrOutOfMemory;
  ExecFrame f(&m);
  // Running, so that a host call of the expression finds what it keeps.
  const ActiveFrame running(f);
  platform::LockGuard hold(m.lock);
  ErrNo e = CompileScratch(m, text, *s, f);
  Value v;
  if (e == kOk) e = EvaluateExpression(f, v);
  if (e == kOk) {
    SkipSpaces(f);
    if (*f.pos != code::EndOfLine) e = kErrSyntax;
  }
  if (e == kOk) e = ValueToHost(v, value);
  if (e != kOk) (void)value.SetData(0);
  return e;
}

}  // namespace msc
