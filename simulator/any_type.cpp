// The host value class of the simulated controller.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <new>
#include <utility>

#include "macro_sc/host.h"

namespace {

// Entries a list may hold; far beyond any array of the language.
constexpr int32_t kMaxEntries = 1 << 24;

wchar_t* CopyText(const wchar_t* text) noexcept {
  const size_t n = std::wcslen(text) + 1;
  auto* copy = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
  if (copy != nullptr) std::wmemcpy(copy, text, n);
  return copy;
}

int32_t RoundToInt(double d) noexcept {
  if (std::isnan(d)) return 0;
  const double r = d < 0 ? std::ceil(d - 0.5) : std::floor(d + 0.5);
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(r);
}

double TextToDouble(const wchar_t* text) noexcept {
  if (text == nullptr) return 0.0;
  wchar_t* end = nullptr;
  const double d = std::wcstod(text, &end);
  return end == text ? 0.0 : d;
}

}  // namespace

AnyType::AnyType(const AnyType& other) { (void)CopyFrom(other); }

AnyType& AnyType::operator=(const AnyType& other) {
  if (this != &other) {
    // Copy into a fresh value first: other may be an entry of this list.
    AnyType copy(other);
    Swap(copy);
  }
  return *this;
}

AnyType::~AnyType() { Release(); }

void AnyType::Swap(AnyType& other) noexcept {
  std::swap(type_, other.type_);
  std::swap(integer_, other.integer_);
  std::swap(real_, other.real_);
  std::swap(text_, other.text_);
  std::swap(bytes_, other.bytes_);
  std::swap(byteLength_, other.byteLength_);
  std::swap(count_, other.count_);
  std::swap(entries_, other.entries_);
  std::swap(capacity_, other.capacity_);
  std::swap(formatted_, other.formatted_);
}

void AnyType::Release() noexcept {
  std::free(text_);
  std::free(bytes_);
  std::free(formatted_);
  for (int32_t i = 0; i < count_; ++i) delete entries_[i];
  std::free(entries_);
  type_ = kEmpty;
  integer_ = 0;
  real_ = 0.0;
  text_ = nullptr;
  bytes_ = nullptr;
  byteLength_ = 0;
  count_ = 0;
  entries_ = nullptr;
  capacity_ = 0;
  formatted_ = nullptr;
}

bool AnyType::CopyFrom(const AnyType& other) noexcept {
  switch (other.type_) {
    case kInteger: return SetData(other.integer_) == 0;
    case kReal: return SetData(other.real_) == 0;
    case kText: return SetData(other.text_) == 0;
    case kBytes: return SetData(other.bytes_, other.byteLength_) == 0;
    case kList:
      if (SetData(kList, other.count_) != 0) return false;
      for (int32_t i = 0; i < other.count_; ++i) {
        if (!entries_[i]->CopyFrom(*other.entries_[i])) {
          Release();
          return false;
        }
      }
      return true;
    default:
      Release();
      type_ = other.type_;
      return true;
  }
}

int32_t AnyType::SetData(int32_t value) noexcept {
  Release();
  type_ = kInteger;
  integer_ = value;
  return 0;
}

int32_t AnyType::SetData(double value) noexcept {
  Release();
  type_ = kReal;
  real_ = value;
  return 0;
}

int32_t AnyType::SetData(const wchar_t* text) noexcept {
  wchar_t* copy = CopyText(text != nullptr ? text : L"");
  Release();
  if (copy == nullptr) return -1;
  type_ = kText;
  text_ = copy;
  return 0;
}

int32_t AnyType::SetData(const void* bytes, int32_t length) noexcept {
  if (length < 0 || (bytes == nullptr && length > 0)) {
    Release();
    return -1;
  }
  uint8_t* copy = nullptr;
  if (length > 0) {
    copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
    if (copy == nullptr) {
      Release();
      return -1;
    }
    std::memcpy(copy, bytes, static_cast<size_t>(length));
  }
  Release();
  type_ = kBytes;
  bytes_ = copy;
  byteLength_ = length;
  return 0;
}

int32_t AnyType::SetData(int32_t type, int32_t count) noexcept {
  Release();
  if (type == 0 && count == 0) return 0;
  if (type != kList || count < 0) return -1;
  type_ = kList;
  if (count > 0 && GetDataPointer(count - 1, 1) == nullptr) {
    Release();
    return -1;
  }
  return 0;
}

int32_t AnyType::GetIntValue() const noexcept {
  switch (type_) {
    case kInteger: return integer_;
    case kReal: return RoundToInt(real_);
    case kText: return RoundToInt(TextToDouble(text_));
    default: return 0;
  }
}

double AnyType::GetDoubleValue() const noexcept {
  switch (type_) {
    case kInteger: return integer_;
    case kReal: return real_;
    case kText: return TextToDouble(text_);
    default: return 0.0;
  }
}

const wchar_t* AnyType::GetString() const noexcept {
  if (type_ == kText) return text_;
  if (type_ != kInteger && type_ != kReal) return L"";
  if (formatted_ == nullptr) {
    wchar_t buffer[64];
    if (type_ == kInteger)
      std::swprintf(buffer, std::size(buffer), L"%d", integer_);
    else
      std::swprintf(buffer, std::size(buffer), L"%.15g", real_);
    formatted_ = CopyText(buffer);
  }
  return formatted_ != nullptr ? formatted_ : L"";
}

const void* AnyType::GetVariantData(int32_t* length) const noexcept {
  const bool bytes = type_ == kBytes;
  if (length != nullptr) *length = bytes ? byteLength_ : 0;
  return bytes ? bytes_ : nullptr;
}

int32_t AnyType::GetCount() const noexcept { return type_ == kList ? count_ : 0; }

AnyType* AnyType::GetDataPointer(int32_t index, int32_t create) noexcept {
  if (index < 0 || index >= kMaxEntries) return nullptr;
  if (type_ == kList && index < count_) return entries_[index];
  if (create == 0) return nullptr;
  if (type_ != kList) {
    Release();
    type_ = kList;
  }
  if (index >= capacity_) {
    int32_t wanted = capacity_ < 8 ? 8 : capacity_;
    while (wanted <= index) wanted *= 2;
    auto* grown = static_cast<AnyType**>(
        std::realloc(entries_, static_cast<size_t>(wanted) * sizeof(AnyType*)));
    if (grown == nullptr) return nullptr;
    entries_ = grown;
    capacity_ = wanted;
  }
  while (count_ <= index) {
    AnyType* entry = new (std::nothrow) AnyType();
    if (entry == nullptr) return nullptr;
    entries_[count_++] = entry;
  }
  return entries_[index];
}
