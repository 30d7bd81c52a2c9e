// The value record and the coercions between its types.
//
// Every buffer a value owns (an owned text, a bytes block) comes from
// std::malloc, so that it can move into a variable cell and be released there
// with std::free.
#include "engine/value.h"
#include "engine/memory_budget.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace msc {

namespace {

const char* TextOrEmpty(const char* p) noexcept { return p ? p : ""; }

// Digit value of c in the given base, or -1.
int DigitValue(char c, int base) noexcept {
  int d;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'z') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'Z') d = c - 'A' + 10;
  else return -1;
  return d < base ? d : -1;
}

// The unsigned-long conversion of a platform whose unsigned long is 32 bits:
// white space, an optional sign (a minus negates modulo 2^32), "0x" before a
// base-16 number, then digits up to the first one the base does not accept.
// No digits gives 0. A magnitude beyond 32 bits is a range error.
bool ParseUnsigned32(const char* p, int base, uint32_t* out) noexcept {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2], 16) >= 0) p += 2;
  uint64_t magnitude = 0;
  for (int d; (d = DigitValue(*p, base)) >= 0; ++p) {
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (magnitude > 0xFFFFFFFFu) return false;
  }
  uint32_t v = static_cast<uint32_t>(magnitude);
  *out = negative ? 0u - v : v;
  return true;
}

int BaseOfPrefix(char c) noexcept {
  switch (c) {
    case 'H': case 'h': return 16;
    case 'O': case 'o': return 8;
    case 'B': case 'b': return 2;
    default: return 0;
  }
}

// Replaces v with the owned text of a formatted number, leaving v unchanged
// when memory runs out.
ErrNo ReplaceWithText(Value& v, const char* buf, int len) noexcept {
  Value text;
  if (ErrNo e = text.SetOwnedText(buf, static_cast<size_t>(len)); e != kOk) return e;
  v.MoveFrom(text);
  return kOk;
}

}  // namespace

void Value::ReleaseOwned() noexcept {
  if (type == kOwnedText) memory::Free(const_cast<char*>(text));
  if (block) memory::Free(block);
}

void Value::MoveFrom(Value& other) noexcept {
  if (&other == this) return;
  Clear();
  type = other.type;
  count = other.count;
  number = other.number;
  block = other.block;
  // A one-character text lives in other's own number field; its copy now
  // lives in ours.
  text = other.text == reinterpret_cast<const char*>(&other.number)
             ? reinterpret_cast<const char*>(&number)
             : other.text;
  other.type = kEmpty;
  other.count = 0;
  other.number = 0.0;
  other.text = nullptr;
  other.block = nullptr;
}

void Value::SetCharText(char c) noexcept {
  Clear();
  const char bytes[sizeof number] = {c, '\0'};
  std::memcpy(&number, bytes, sizeof number);
  type = kConstText;
  count = 1;
  text = reinterpret_cast<const char*>(&number);
}

ErrNo Value::SetOwnedText(const char* t, size_t len) noexcept {
  // The copy is made before clearing: t may point into this value's own buffer.
  char* buf = len <= 0x7FFFFFFF ? static_cast<char*>(memory::Allocate(len + 1)) : nullptr;
  if (!buf) {
    Clear();
    return kErrOutOfMemory;
  }
  if (len) std::memcpy(buf, t, len);
  buf[len] = '\0';
  Clear();
  type = kOwnedText;
  count = static_cast<int32_t>(len);
  text = buf;
  return kOk;
}

ErrNo Value::SetBytes(const void* src, size_t len) noexcept {
  void* buf = len <= 0x7FFFFFFF ? memory::Allocate(len ? len : 1) : nullptr;
  if (!buf) {
    Clear();
    return kErrOutOfMemory;
  }
  if (len) std::memcpy(buf, src, len);
  Clear();
  type = kBytes;
  count = static_cast<int32_t>(len);
  text = static_cast<const char*>(buf);
  block = buf;
  return kOk;
}

ErrNo ParseNumber(const char* text, Value& out) noexcept {
  const char* p = TextOrEmpty(text);
  if (p[0] == '&') {
    if (int base = BaseOfPrefix(p[1]); base != 0) {
      uint32_t bits = 0;
      if (!ParseUnsigned32(p + 2, base, &bits)) return kErrOverflow;
      out.SetInteger(static_cast<int32_t>(bits));
      return kOk;
    }
  }
  errno = 0;
  const double d = std::strtod(p, nullptr);
  if (errno == ERANGE) return kErrOverflow;
  if (d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d)) {
    out.SetInteger(static_cast<int32_t>(d));
  } else {
    out.SetDouble(d);
  }
  return kOk;
}

ErrNo ToInteger(Value& v) noexcept {
  if (v.type == kInteger) return kOk;
  double d;
  if (v.type == kDouble) {
    d = v.number;
  } else if (IsTextType(v.type)) {
    Value parsed;
    if (ErrNo e = ParseNumber(v.text, parsed); e != kOk) return e;
    if (parsed.type == kInteger) {
      v.SetInteger(parsed.count);
      return kOk;
    }
    d = parsed.number;
  } else {
    return kErrTypeMismatch;
  }
  int32_t i;
  if (ErrNo e = DoubleToInteger(d, &i); e != kOk) return e;
  v.SetInteger(i);
  return kOk;
}

ErrNo ToDouble(Value& v) noexcept {
  if (v.type == kDouble) return kOk;
  if (v.type == kInteger) {
    v.SetDouble(v.count);
    return kOk;
  }
  if (!IsTextType(v.type)) return kErrTypeMismatch;
  Value parsed;
  if (ErrNo e = ParseNumber(v.text, parsed); e != kOk) return e;
  v.SetDouble(parsed.type == kInteger ? parsed.count : parsed.number);
  return kOk;
}

ErrNo ToNumber(Value& v) noexcept {
  if (IsNumericType(v.type)) return kOk;
  if (!IsTextType(v.type)) return kErrTypeMismatch;
  Value parsed;
  if (ErrNo e = ParseNumber(v.text, parsed); e != kOk) return e;
  v.MoveFrom(parsed);
  return kOk;
}

ErrNo ToText(Value& v) noexcept {
  if (IsTextType(v.type)) return kOk;
  char buf[kNumberTextSize];
  if (v.type == kInteger) return ReplaceWithText(v, buf, FormatInteger(v.count, buf));
  if (v.type == kDouble) return ReplaceWithText(v, buf, FormatDouble(v.number, buf));
  return kErrTypeMismatch;
}

int FormatInteger(int32_t v, char* buf) noexcept {
  return std::snprintf(buf, kNumberTextSize, "%d", static_cast<int>(v));
}

int FormatDouble(double d, char* buf) noexcept {
  // The longest text is a sign, 15 digits, a point and "e-308": 23 bytes.
  return std::snprintf(buf, kNumberTextSize, "%.15g", d);
}

bool NamePatternMatch(const char* pattern, const char* text, size_t textLen) noexcept {
  // Greedy match that returns to the last "*" on a mismatch; since a later "*"
  // can absorb anything an earlier one could, only the last needs retrying.
  const char* p = pattern;
  size_t t = 0;
  const char* starP = nullptr;
  size_t starT = 0;
  while (t < textLen) {
    if (*p == '*') {
      starP = ++p;
      starT = t;
    } else if (*p != '\0' && (*p == '?' || *p == text[t])) {
      ++p;
      ++t;
    } else if (starP) {
      p = starP;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

bool NamePatternMatch(const char* pattern, const char* text) noexcept {
  return NamePatternMatch(pattern, text, std::strlen(text));
}

}  // namespace msc
