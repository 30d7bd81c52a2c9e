// Conversions between engine values and host values.
#include "variables/host_value.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "api/config.h"
#include "engine/variables.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"

namespace msc {
namespace {

// Nested host values deeper than this are taken as empty; no host builds
// them, and the limit keeps a hostile value from exhausting the stack.
constexpr int kMaxNesting = 64;

// The host value itself, or the first entry of a list, followed down.
const AnyType* Unnest(const AnyType& in) noexcept {
  const AnyType* v = &in;
  for (int depth = 0; v != nullptr && v->GetType() == AnyType::kList; ++depth) {
    if (depth == kMaxNesting || v->GetCount() == 0) return nullptr;
    v = const_cast<AnyType*>(v)->GetDataPointer(0, 0);
  }
  return v;
}

}  // namespace

size_t WideToCodePage(const wchar_t* wide, char* out, size_t capacity) noexcept {
  if (capacity == 0) return 0;
  out[0] = '\0';
  if (wide == nullptr) return 0;
  const uint32_t page = CodePage();
  const int cap = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
  if (int n = platform::WideToMulti(page, wide, -1, out, cap); n > 0) return std::strlen(out);
  // Too long: convert the whole text elsewhere and keep its head.
  const int need = platform::WideToMulti(page, wide, -1, nullptr, 0);
  if (need <= 0) return 0;
  std::unique_ptr<char[]> whole(new (std::nothrow) char[static_cast<size_t>(need)]);
  if (!whole || platform::WideToMulti(page, wide, -1, whole.get(), need) <= 0) return 0;
  std::memcpy(out, whole.get(), capacity - 1);
  out[capacity - 1] = '\0';
  return std::strlen(out);
}

bool WideToCodePage(const wchar_t* wide, std::string& out) noexcept {
  try {
    out.clear();
    if (wide == nullptr || *wide == L'\0') return true;
    const uint32_t page = CodePage();
    const int need = platform::WideToMulti(page, wide, -1, nullptr, 0);
    if (need <= 1) return true;
    out.resize(static_cast<size_t>(need));
    const int n = platform::WideToMulti(page, wide, -1, out.data(), need);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CodePageToWide(const char* text, size_t length, std::wstring& out) noexcept {
  try {
    out.clear();
    if (text == nullptr || length == 0) return true;
    if (length > 0x7FFFFFFF) return false;
    const uint32_t page = CodePage();
    const int len = static_cast<int>(length);
    const int need = platform::MultiToWide(page, text, len, nullptr, 0);
    if (need <= 0) return true;
    out.resize(static_cast<size_t>(need));
    const int n = platform::MultiToWide(page, text, len, out.data(), need);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

ErrNo ValueToHost(const Value& v, AnyType& out) noexcept {
  switch (v.type) {
    case kEmpty: (void)out.SetData(0, 0); return kOk;
    case kInteger: (void)out.SetData(v.count); return kOk;
    case kDouble: (void)out.SetData(v.number); return kOk;
    case kBytes:
      return out.SetData(v.text, v.count) == 0 ? kOk : kErrOutOfMemory;
    default: break;
  }
  if (!IsTextType(v.type)) return kErrTypeMismatch;
  std::wstring wide;
  if (!CodePageToWide(v.text, v.text != nullptr ? static_cast<size_t>(v.count) : 0, wide))
    return kErrOutOfMemory;
  return out.SetData(wide.c_str()) == 0 ? kOk : kErrOutOfMemory;
}

ErrNo HostToValue(const AnyType& in, Value& out, size_t maxTextBytes) noexcept {
  out.Clear();
  const AnyType* v = Unnest(in);
  if (v == nullptr) return kOk;
  switch (v->GetType()) {
    case AnyType::kInteger: out.SetInteger(v->GetIntValue()); return kOk;
    case AnyType::kReal: out.SetDouble(v->GetDoubleValue()); return kOk;
    case AnyType::kText: {
      std::string text;
      if (!WideToCodePage(v->GetString(), text)) return kErrOutOfMemory;
      if (text.size() > maxTextBytes) text.resize(maxTextBytes);
      return out.SetOwnedText(text.data(), text.size());
    }
    case AnyType::kBytes: {
      int32_t length = 0;
      const void* bytes = v->GetVariantData(&length);
      return out.SetBytes(bytes, length > 0 ? static_cast<size_t>(length) : 0);
    }
    default: return kOk;  // -1 and 4: empty
  }
}

ErrNo StoreHostValue(uint8_t kind, uint8_t* slot, const AnyType& in) noexcept {
  switch (kind) {
    case kTagInteger: case kTagIntegerArray: {
      const int32_t i = in.GetIntValue();
      std::memcpy(slot, &i, sizeof i);
      return kOk;
    }
    case kTagDouble: case kTagDoubleArray: {
      const double d = in.GetDoubleValue();
      std::memcpy(slot, &d, sizeof d);
      return kOk;
    }
    case kTagString: case kTagStringArray: {
      std::string text;
      if (!WideToCodePage(in.GetString(), text)) return kErrOutOfMemory;
      Value v;
      if (ErrNo e = v.SetOwnedText(text.data(), text.size()); e != kOk) return e;
      return StoreStringSlot(slot, v);
    }
    case kTagVariant: case kTagVariantArray: {
      Value v;
      if (ErrNo e = HostToValue(in, v, static_cast<size_t>(-1)); e != kOk) return e;
      return StoreVariant(slot, v);
    }
    default: return kErrTypeMismatch;
  }
}

}  // namespace msc
