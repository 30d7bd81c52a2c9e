// "SC." items are served by the host interface (SetSceneData / GetSceneData),
// "SY." items by the core services object in the section "Macro_SY".
#include "engine/host_names.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/host_window.h"
#include "frontend/code.h"
#include "platform/codepage.h"
#include "variables/host_value.h"

namespace msc {
namespace {

constexpr size_t kItemNameSize = 1024;
constexpr wchar_t kSystemSection[] = L"Macro_SY";

bool IsSystemKind(int k) noexcept { return k == kind::SyScalar || k == kind::SyArray; }
bool IsArrayKind(int k) noexcept { return k == kind::ScArray || k == kind::SyArray; }

// The item name as wide text: the stored name and, for the array kinds, the
// subscripts read from the code as "(a,b,...)". A name too long for the
// buffer is cut.
ErrNo ItemName(ExecFrame& f, int k, const char* name, size_t len, wchar_t* out) noexcept {
  char text[kItemNameSize];
  size_t used = len < kItemNameSize - 1 ? len : kItemNameSize - 1;
  std::memcpy(text, name, used);
  text[used] = '\0';

  if (IsArrayKind(k)) {
    if (ExpectChar(f, '(') != kOk) return kErrSyntax;
    char separator = '(';
    for (;;) {
      int32_t subscript = 0;
      if (ErrNo e = IntegerArgument(f, &subscript); e != kOk) return e;
      const int n = std::snprintf(text + used, kItemNameSize - used, "%c%d", separator,
                                  static_cast<int>(subscript));
      if (n > 0) used = std::min(used + static_cast<size_t>(n), kItemNameSize - 1);
      if (ExpectChar(f, ',') == kOk) {
        separator = ',';
        continue;
      }
      if (ExpectChar(f, ')') != kOk) return kErrSyntax;
      break;
    }
    if (used + 1 < kItemNameSize) {
      text[used++] = ')';
      text[used] = '\0';
    }
  }

  const int n = platform::MultiToWide(CodePage(), text, static_cast<int>(used), out,
                                      static_cast<int>(kItemNameSize) - 1);
  out[n > 0 ? n : 0] = L'\0';
  return kOk;
}

}  // namespace

ErrNo ReadHostName(ExecFrame& f, int kind, const char* name, size_t len, Value& v) noexcept {
  wchar_t item[kItemNameSize];
  if (ErrNo e = ItemName(f, kind, name, len, item); e != kOk) return e;
  QorMacro& m = *f.macro;
  AnyType host;
  // The read's status is not examined: an unknown item reads as whatever the
  // host left in the empty value.
  {
    const HostWindow window(m);
    if (IsSystemKind(kind)) {
      if (m.core) (void)m.core->GetSystemData(kSystemSection, item, &host);
    } else {
      if (m.host) (void)m.host->GetSceneData(item, &host);
    }
  }
  return HostToValue(host, v);
}

ErrNo AssignHostName(ExecFrame& f, int kind, const char* name, size_t len) noexcept {
  wchar_t item[kItemNameSize];
  if (ErrNo e = ItemName(f, kind, name, len, item); e != kOk) return e;
  if (ExpectChar(f, '=') != kOk) return kErrSyntax;
  Value v;
  if (ErrNo e = EvaluateExpression(f, v); e != kOk) return e;
  AnyType host;
  if (ErrNo e = ValueToHost(v, host); e != kOk) return e;
  QorMacro& m = *f.macro;
  int32_t status = -1;
  const HostWindow window(m);
  if (IsSystemKind(kind)) {
    if (m.core) status = m.core->SetSystemData(kSystemSection, item, &host);
  } else {
    if (m.host) status = m.host->SetSceneData(item, &host);
  }
  return status == 0 ? kOk : kErrIllegalCall;
}

}  // namespace msc
