// Input, Line Input (console and "#n" file forms) and MessageBox.
#include <cstdlib>
#include <cstring>
#include <string>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "platform/console.h"
#include "platform/lock.h"
#include "statements/handlers.h"
#include "statements/line_reader.h"

namespace msc {
namespace {

constexpr wchar_t kMessageBoxTitle[] = L"QOR-Macro";
constexpr char kRedo[] = "Redo from start ";

bool IsArrayTag(uint8_t t) noexcept {
  return t == tag::IntArray || t == tag::DblArray || t == tag::StrArray || t == tag::VariantArray;
}

// A variable or array element named by VariableArgument.
struct Target {
  uint8_t* cell = nullptr;
  uint32_t offset = 0;

  [[nodiscard]] ErrNo Read(QorMacro& m, Value& out) const noexcept {
    return IsArrayTag(cell[0]) ? ReadElement(cell, offset, out) : ReadScalar(m, cell, out);
  }
  [[nodiscard]] ErrNo Write(QorMacro& m, Value& v) const noexcept {
    return IsArrayTag(cell[0]) ? WriteElement(cell, offset, v) : WriteScalar(m, cell, v);
  }
};

// The next comma-separated field of the line, cut out in place. Runs of
// commas separate like one, and there is no quoting. False when no field is
// left.
bool NextField(char*& cursor, const char** field) noexcept {
  while (*cursor == ',') ++cursor;
  if (*cursor == '\0') return false;
  *field = cursor;
  while (*cursor != '\0' && *cursor != ',') ++cursor;
  if (*cursor == ',') *cursor++ = '\0';
  return true;
}

// Assigns a field to the target, converted by the type the target holds now.
// *taken is false when the line has no field left for it.
ErrNo AssignField(QorMacro& m, const Target& target, char*& cursor, bool* taken) noexcept {
  platform::LockGuard hold(m.lock);
  Value current;
  if (ErrNo e = target.Read(m, current); e != kOk) return e;
  const char* field = nullptr;
  *taken = NextField(cursor, &field);
  if (!*taken) return kOk;
  Value v;
  if (IsNumericType(current.type)) {
    v.SetDouble(std::strtod(field, nullptr));
  } else if (IsTextType(current.type)) {
    v.SetBorrowedText(kConstText, field, static_cast<int32_t>(std::strlen(field)));
  } else {
    return kErrTypeMismatch;
  }
  return target.Write(m, v);
}

// Assigns the fields of one line to the variable list at the code position.
// *fits is false when the line has too few or too many fields.
ErrNo AssignFields(ExecFrame& f, char* line, bool* fits) noexcept {
  QorMacro& m = *f.macro;
  char* cursor = line;
  for (;;) {
    Target target;
    if (ErrNo e = VariableArgument(f, &target.cell, &target.offset); e != kOk) return e;
    bool taken = false;
    if (ErrNo e = AssignField(m, target, cursor, &taken); e != kOk) return e;
    if (!taken) {
      *fits = false;
      return kOk;
    }
    SkipSpaces(f);
    if (*f.pos == ',') {
      ++f.pos;
      continue;
    }
    if (*f.pos == ':') ++f.pos;
    break;
  }
  const char* extra = nullptr;
  *fits = !NextField(cursor, &extra);
  return kOk;
}

// The console prompt: a text literal, then ";" (which shows "?") or ",".
ErrNo Prompt(ExecFrame& f) noexcept {
  Token t;
  if (ReadToken(f, t) != kind::String) {
    UnreadToken(f);
    return kOk;
  }
  platform::RawConsolePrint(t.text, static_cast<size_t>(t.length));
  SkipSpaces(f);
  if (*f.pos == ';') {
    platform::RawConsolePrint("?", 1);
  } else if (*f.pos != ',') {
    return kErrSyntax;
  }
  ++f.pos;
  return kOk;
}

}  // namespace

ErrNo StmtInput(ExecFrame& f) noexcept {
  std::FILE* file = nullptr;
  if (ErrNo e = FileSlotPrefix(f, &file); e != kOk) return e;
  if (file == nullptr) {
    if (ErrNo e = Prompt(f); e != kOk) return e;
  }
  const uint8_t* const list = f.pos;
  char line[kInputLineSize];
  for (;;) {
    size_t length = 0;
    if (ErrNo e = ReadInputLine(file, line, &length); e != kOk) return e;
    f.pos = list;
    bool fits = false;
    if (ErrNo e = AssignFields(f, line, &fits); e != kOk) return e;
    if (fits) return kOk;
    if (file != nullptr) return kErrIllegalCall;
    platform::LinePrint(kRedo);
  }
}

ErrNo StmtLineInput(ExecFrame& f) noexcept {
  QorMacro& m = *f.macro;
  std::FILE* file = nullptr;
  if (ErrNo e = FileSlotPrefix(f, &file); e != kOk) return e;
  Target target;
  if (ErrNo e = VariableArgument(f, &target.cell, &target.offset); e != kOk) return e;
  {
    platform::LockGuard hold(m.lock);
    Value current;
    if (ErrNo e = target.Read(m, current); e != kOk) return e;
    if (!IsTextType(current.type)) return kErrTypeMismatch;
  }
  char line[kInputLineSize];
  size_t length = 0;
  if (ErrNo e = ReadInputLine(file, line, &length); e != kOk) return e;
  platform::LockGuard hold(m.lock);
  Value v;
  v.SetBorrowedText(kConstText, line, static_cast<int32_t>(length));
  return target.Write(m, v);
}

ErrNo StmtMessageBox(ExecFrame& f) noexcept {
  std::wstring text;
  if (ErrNo e = WideStringArgument(f, &text); e != kOk) return e;
  platform::MessageBox(kMessageBoxTitle, text.c_str());
  return kOk;
}

}  // namespace msc
