// Text helpers of the simulated controller.
#include <cstdint>

#include "sim_internal.h"

namespace msc::sim {

std::string ToUtf8(const std::wstring& w) {
  std::string s;
  s.reserve(w.size());
  for (wchar_t wc : w) {
    auto c = static_cast<uint32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (c >> 18));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

std::wstring FromUtf8(const std::string& s) {
  std::wstring w;
  w.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<uint8_t>(s[i]);
    int extra = -1;  // continuation bytes after the lead byte
    uint32_t c = 0;
    if (b < 0x80) extra = 0, c = b;
    else if ((b & 0xE0) == 0xC0) extra = 1, c = b & 0x1F;
    else if ((b & 0xF0) == 0xE0) extra = 2, c = b & 0x0F;
    else if ((b & 0xF8) == 0xF0) extra = 3, c = b & 0x07;
    bool ok = extra >= 0 && s.size() - i > static_cast<size_t>(extra);
    for (int k = 1; ok && k <= extra; ++k) {
      const auto t = static_cast<uint8_t>(s[i + static_cast<size_t>(k)]);
      if ((t & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (t & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (ok) {
      w += static_cast<wchar_t>(c);
      i += 1 + static_cast<size_t>(extra);
    } else {
      w += static_cast<wchar_t>(0xFFFD);
      ++i;
    }
  }
  return w;
}

int CopyToBuffer(const std::wstring& text, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const size_t n = text.size() < static_cast<size_t>(capacity - 1) ? text.size()
                                                                   : static_cast<size_t>(capacity - 1);
  text.copy(buffer, n);
  buffer[n] = L'\0';
  return static_cast<int>(n);
}

}  // namespace msc::sim
