// Code page conversions through iconv. Wide text here is wchar_t, UTF-32.
//
// Conversions are frequent (every text that crosses to the host), so each
// thread keeps its opened descriptors; they are closed when the thread ends.
// Like the Windows conversions this replaces, a character the target cannot
// express becomes '?' (multibyte) or U+FFFD (wide) instead of failing.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace msc::platform {
namespace {

constexpr char kWideName[] = "WCHAR_T";
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// The iconv names of a code page number: a primary name and an alternative
// tried when the primary one is unknown to this iconv.
struct PageName {
  uint32_t page;
  const char* name;
  const char* alternative;
};

constexpr PageName kPageNames[] = {
    {932, "CP932", nullptr},      // Japanese, Shift JIS with Microsoft extensions
    {936, "CP936", "GBK"},        // simplified Chinese
    {949, "CP949", nullptr},      // Korean (unified Hangul)
    {950, "CP950", "BIG5"},       // traditional Chinese
    {1252, "CP1252", nullptr},    // western European
    {65001, "UTF-8", nullptr},    // Unicode
};
static_assert([] {
  for (size_t i = 1; i < std::size(kPageNames); ++i)
    if (kPageNames[i - 1].page >= kPageNames[i].page) return false;
  return true;
}(), "code page names are sorted by number");

// One direction of one code page, opened on first use.
struct Converter {
  uint32_t page = 0;
  iconv_t toMulti = kNoDescriptor;
  iconv_t toWide = kNoDescriptor;
  bool opened = false;  // opening was tried; failure leaves the descriptors unset
};

void OpenConverter(Converter& c) noexcept {
  c.opened = true;
  const char* primary = nullptr;
  const char* alternative = nullptr;
  char generic[16];
  for (const PageName& p : kPageNames) {
    if (p.page == c.page) {
      primary = p.name;
      alternative = p.alternative;
    }
  }
  if (primary == nullptr) {
    std::snprintf(generic, sizeof generic, "CP%u", static_cast<unsigned>(c.page));
    primary = generic;
  }
  for (const char* name : {primary, alternative}) {
    if (name == nullptr) continue;
    iconv_t m = iconv_open(name, kWideName);
    if (m == kNoDescriptor) continue;
    iconv_t w = iconv_open(kWideName, name);
    if (w == kNoDescriptor) {
      iconv_close(m);
      continue;
    }
    c.toMulti = m;
    c.toWide = w;
    return;
  }
}

// The descriptors of this thread, a handful of code pages at most.
class ConverterCache {
 public:
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (Converter& c : slots_) {
      if (c.toMulti != kNoDescriptor) iconv_close(c.toMulti);
      if (c.toWide != kNoDescriptor) iconv_close(c.toWide);
    }
  }

  // The converter of a page; null when iconv cannot convert with it.
  Converter* Get(uint32_t page) noexcept {
    Converter* slot = nullptr;
    for (Converter& c : slots_) {
      if (c.opened && c.page == page) {
        slot = &c;
        break;
      }
    }
    if (slot == nullptr) {
      slot = &slots_[next_];
      next_ = (next_ + 1) % kSlots;
      if (slot->toMulti != kNoDescriptor) iconv_close(slot->toMulti);
      if (slot->toWide != kNoDescriptor) iconv_close(slot->toWide);
      *slot = Converter{};
      slot->page = page;
      OpenConverter(*slot);
    }
    return slot->toMulti == kNoDescriptor ? nullptr : slot;
  }

 private:
  static constexpr size_t kSlots = 8;
  Converter slots_[kSlots];
  size_t next_ = 0;
};

Converter* ConverterFor(uint32_t page) noexcept {
  thread_local ConverterCache cache;
  return cache.Get(page);
}

// Runs cd over the input, writing to out (capacity bytes) or, with capacity
// 0, only counting. An input unit iconv cannot convert is skipped and the
// replacement written instead. Returns the bytes produced, or -1 when the
// output does not fit.
long Run(iconv_t cd, const char* in, size_t inBytes, size_t unit, char* out, size_t capacity,
         const char* replacement, size_t replacementBytes) noexcept {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char scratch[256];
  const bool measuring = capacity == 0;
  char* src = const_cast<char*>(in);
  size_t srcLeft = inBytes;
  size_t total = 0;
  while (srcLeft > 0) {
    char* dst = measuring ? scratch : out + total;
    size_t dstLeft = measuring ? sizeof scratch : capacity - total;
    const size_t before = dstLeft;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    total += before - dstLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      if (!measuring) return -1;
      continue;  // the scratch area is full: count it and go on
    }
    // EILSEQ or EINVAL: an input unit without a counterpart.
    const size_t skip = srcLeft < unit ? srcLeft : unit;
    src += skip;
    srcLeft -= skip;
    if (!measuring) {
      if (capacity - total < replacementBytes) return -1;
      std::memcpy(out + total, replacement, replacementBytes);
    }
    total += replacementBytes;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return static_cast<long>(total);
}

}  // namespace

int WideToMulti(uint32_t codePage, const wchar_t* in, int wlen, char* out, int capacity) noexcept {
  if (in == nullptr || wlen == 0 || wlen < -1 || capacity < 0) return 0;
  if (capacity > 0 && out == nullptr) return 0;
  Converter* c = ConverterFor(codePage);
  if (c == nullptr) return 0;
  const size_t count = wlen == -1 ? std::wcslen(in) + 1 : static_cast<size_t>(wlen);
  const long n = Run(c->toMulti, reinterpret_cast<const char*>(in), count * sizeof(wchar_t),
                     sizeof(wchar_t), out, static_cast<size_t>(capacity), "?", 1);
  return n < 0 || n > 0x7FFFFFFF ? 0 : static_cast<int>(n);
}

int MultiToWide(uint32_t codePage, const char* in, int len, wchar_t* out, int capacity) noexcept {
  if (in == nullptr || len == 0 || len < -1 || capacity < 0) return 0;
  if (capacity > 0 && out == nullptr) return 0;
  Converter* c = ConverterFor(codePage);
  if (c == nullptr) return 0;
  const size_t count = len == -1 ? std::strlen(in) + 1 : static_cast<size_t>(len);
  const wchar_t replacement = 0xFFFD;
  const long n = Run(c->toWide, in, count, 1, reinterpret_cast<char*>(out),
                     static_cast<size_t>(capacity) * sizeof(wchar_t),
                     reinterpret_cast<const char*>(&replacement), sizeof replacement);
  if (n < 0) return 0;
  const long chars = n / static_cast<long>(sizeof(wchar_t));
  return chars > 0x7FFFFFFF ? 0 : static_cast<int>(chars);
}

bool CodePageSupported(uint32_t codePage) noexcept { return ConverterFor(codePage) != nullptr; }

std::string ToMulti(uint32_t codePage, const std::wstring& w) {
  if (w.empty() || w.size() > 0x7FFFFFFF) return {};
  const int wlen = static_cast<int>(w.size());
  const int n = WideToMulti(codePage, w.data(), wlen, nullptr, 0);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  if (WideToMulti(codePage, w.data(), wlen, s.data(), n) != n) return {};
  return s;
}

std::wstring ToWide(uint32_t codePage, const std::string& s) {
  if (s.empty() || s.size() > 0x7FFFFFFF) return {};
  const int len = static_cast<int>(s.size());
  const int n = MultiToWide(codePage, s.data(), len, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (MultiToWide(codePage, s.data(), len, w.data(), n) != n) return {};
  return w;
}

std::string WideToPath(const wchar_t* w) {
  if (w == nullptr || *w == L'\0') return {};
  return ToMulti(kCodePageUtf8, std::wstring(w));
}

}  // namespace msc::platform
