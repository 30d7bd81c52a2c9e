// Conversion between wide text (wchar_t) and multibyte text in a Windows code
// page, by code page number: 932, 936, 949, 950, 1252 and 65001 (UTF-8), and
// any other number iconv knows as "CP<n>".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace msc::platform {

inline constexpr uint32_t kCodePageUtf8 = 65001;

// Like WideCharToMultiByte: converts wlen wide characters (-1: up to and
// including the terminating zero) into out. With capacity 0 only measures.
// Returns the number of bytes written (or needed), 0 on failure, including an
// output that does not fit.
int WideToMulti(uint32_t codePage, const wchar_t* in, int wlen, char* out, int capacity) noexcept;

// Like MultiByteToWideChar: len bytes (-1: up to and including the zero).
int MultiToWide(uint32_t codePage, const char* in, int len, wchar_t* out, int capacity) noexcept;

// Whether conversions with the code page are possible at all.
[[nodiscard]] bool CodePageSupported(uint32_t codePage) noexcept;

// Convenience forms; the result is empty when the conversion fails.
std::string ToMulti(uint32_t codePage, const std::wstring& w);
std::wstring ToWide(uint32_t codePage, const std::string& s);

// Wide text to a file-system path (UTF-8 here) and back.
std::string WideToPath(const wchar_t* w);

}  // namespace msc::platform
