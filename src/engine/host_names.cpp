// "SC." items are served by the host interface (SetSceneData / GetSceneData),
// "SY." items by the core services object in the section "Macro_SY".
#include "engine/host_names.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "frontend/code.h"
#include "platform/codepage.h"

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

// Value to host value: numbers as they are, texts as wide text, byte runs as
// bytes, the empty value as the empty host value.
ErrNo ToHostValue(const Value& v, AnyType& out) noexcept {
  switch (v.type) {
    case kEmpty:
      return kOk;
    case kInteger:
      return out.SetData(static_cast<int32_t>(v.count)) == 0 ? kOk : kErrOutOfMemory;
    case kDouble:
      return out.SetData(v.number) == 0 ? kOk : kErrOutOfMemory;
    case kBytes:
      return out.SetData(static_cast<const void*>(v.text), v.count) == 0 ? kOk : kErrOutOfMemory;
    default:
      break;
  }
  if (!IsTextType(v.type)) return kErrTypeMismatch;
  // Every byte becomes at most one wide character.
  std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[static_cast<size_t>(v.count) + 1]);
  if (!wide) return kErrOutOfMemory;
  const int n = v.count > 0 ? platform::MultiToWide(CodePage(), v.text, v.count, wide.get(), v.count)
                            : 0;
  wide[n > 0 ? n : 0] = L'\0';
  return out.SetData(wide.get()) == 0 ? kOk : kErrOutOfMemory;
}

// Host value to value: integers, reals, texts (converted) and byte blocks;
// anything else reads as the empty value.
ErrNo FromHostValue(const AnyType& in, Value& v) noexcept {
  switch (in.GetType()) {
    case AnyType::kInteger:
      v.SetInteger(in.GetIntValue());
      return kOk;
    case AnyType::kReal:
      v.SetDouble(in.GetDoubleValue());
      return kOk;
    case AnyType::kBytes: {
      int32_t length = 0;
      const void* bytes = in.GetVariantData(&length);
      return v.SetBytes(bytes, length > 0 && bytes ? static_cast<size_t>(length) : 0);
    }
    case AnyType::kText: {
      const wchar_t* wide = in.GetString();
      const int need = platform::WideToMulti(CodePage(), wide, -1, nullptr, 0);
      if (need <= 1) return v.SetOwnedText("", 0);
      std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(need)]);
      if (!text) return kErrOutOfMemory;
      const int n = platform::WideToMulti(CodePage(), wide, -1, text.get(), need);
      return v.SetOwnedText(text.get(), n > 0 ? static_cast<size_t>(n - 1) : 0);
    }
    default:
      v.Clear();
      return kOk;
  }
}

}  // namespace

ErrNo ReadHostName(ExecFrame& f, int kind, const char* name, size_t len, Value& v) noexcept {
  wchar_t item[kItemNameSize];
  if (ErrNo e = ItemName(f, kind, name, len, item); e != kOk) return e;
  QorMacro& m = *f.macro;
  AnyType host;
  // The read's status is not examined: an unknown item reads as whatever the
  // host left in the empty value.
  if (IsSystemKind(kind)) {
    if (m.core) (void)m.core->GetSystemData(kSystemSection, item, &host);
  } else {
    if (m.host) (void)m.host->GetSceneData(item, &host);
  }
  return FromHostValue(host, v);
}

ErrNo AssignHostName(ExecFrame& f, int kind, const char* name, size_t len) noexcept {
  wchar_t item[kItemNameSize];
  if (ErrNo e = ItemName(f, kind, name, len, item); e != kOk) return e;
  if (ExpectChar(f, '=') != kOk) return kErrSyntax;
  Value v;
  if (ErrNo e = EvaluateExpression(f, v); e != kOk) return e;
  AnyType host;
  if (ErrNo e = ToHostValue(v, host); e != kOk) return e;
  QorMacro& m = *f.macro;
  int32_t status = -1;
  if (IsSystemKind(kind)) {
    if (m.core) status = m.core->SetSystemData(kSystemSection, item, &host);
  } else {
    if (m.host) status = m.host->SetSceneData(item, &host);
  }
  return status == 0 ? kOk : kErrIllegalCall;
}

}  // namespace msc
