// Text and conversion functions. Their arguments arrive converted by the
// function table (texts as text, counts as integers); positions count bytes
// from 1, and every text result is a fresh owned buffer, never an argument's.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <memory>
#include <new>

#include "api/config.h"
#include "engine/builtin_functions.h"
#include "platform/codepage.h"

namespace msc {
namespace {

size_t Length(const Value& text) noexcept { return text.count > 0 ? static_cast<size_t>(text.count) : 0; }

// Wide case mapping needs a locale that knows more than ASCII; a locale
// object keeps the process's global locale untouched.
const std::ctype<wchar_t>& WideCase() noexcept {
  static const std::locale locale = []() noexcept {
    try {
      return std::locale("C.UTF-8");
    } catch (...) {
      return std::locale::classic();
    }
  }();
  return std::use_facet<std::ctype<wchar_t>>(locale);
}

// Through wide text, so that the code page's own letters change case too.
ErrNo MapCase(const Value& s, Value& result, bool upper) noexcept {
  const size_t len = Length(s);
  if (len == 0) return result.SetOwnedText("", 0);
  const uint32_t page = CodePage();
  const int inLen = static_cast<int>(len);
  const int wideLen = platform::MultiToWide(page, s.text, inLen, nullptr, 0);
  if (wideLen <= 0) return kErrIllegalCall;
  std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[static_cast<size_t>(wideLen)]);
  if (!wide) return kErrOutOfMemory;
  if (platform::MultiToWide(page, s.text, inLen, wide.get(), wideLen) != wideLen) return kErrIllegalCall;

  wchar_t* end = wide.get() + wideLen;
  if (upper) {
    WideCase().toupper(wide.get(), end);
  } else {
    WideCase().tolower(wide.get(), end);
  }

  const int outLen = platform::WideToMulti(page, wide.get(), wideLen, nullptr, 0);
  if (outLen <= 0) return kErrIllegalCall;
  std::unique_ptr<char[]> out(new (std::nothrow) char[static_cast<size_t>(outLen)]);
  if (!out) return kErrOutOfMemory;
  if (platform::WideToMulti(page, wide.get(), wideLen, out.get(), outLen) != outLen) return kErrIllegalCall;
  return result.SetOwnedText(out.get(), static_cast<size_t>(outLen));
}

// printf into a stack buffer, or into the heap when the text is longer (a
// fixed-point double near the largest value runs past 300 characters).
template <class... A>
ErrNo SetFormatted(Value& result, const char* format, A... args) noexcept {
  char small[64];
  const int n = std::snprintf(small, sizeof small, format, args...);
  if (n < 0) return kErrIllegalCall;
  if (static_cast<size_t>(n) < sizeof small) return result.SetOwnedText(small, static_cast<size_t>(n));
  std::unique_ptr<char[]> big(new (std::nothrow) char[static_cast<size_t>(n) + 1]);
  if (!big) return kErrOutOfMemory;
  std::snprintf(big.get(), static_cast<size_t>(n) + 1, format, args...);
  return result.SetOwnedText(big.get(), static_cast<size_t>(n));
}

}  // namespace

// Left$(s, n): the first n bytes, all of s when it is shorter.
ErrNo FnLeftS(Value* args, Value& result, ExecFrame&) noexcept {
  const int32_t n = args[1].count;
  if (n < 1) return kErrIllegalCall;
  const size_t len = Length(args[0]);
  const size_t take = static_cast<size_t>(n) < len ? static_cast<size_t>(n) : len;
  return result.SetOwnedText(args[0].text, take);
}

// Right$(s, n): the last n bytes, all of s when it is shorter.
ErrNo FnRightS(Value* args, Value& result, ExecFrame&) noexcept {
  const int32_t n = args[1].count;
  if (n < 1) return kErrIllegalCall;
  const size_t len = Length(args[0]);
  const size_t take = static_cast<size_t>(n) < len ? static_cast<size_t>(n) : len;
  return result.SetOwnedText(args[0].text + (len - take), take);
}

// Mid$(s, p, n): n bytes from position p; the start must lie inside s.
ErrNo FnMidS(Value* args, Value& result, ExecFrame&) noexcept {
  const int32_t p = args[1].count, n = args[2].count;
  const size_t len = Length(args[0]);
  if (p < 1 || static_cast<size_t>(p) > len || n < 1) return kErrIllegalCall;
  const size_t rest = len - static_cast<size_t>(p - 1);
  const size_t take = static_cast<size_t>(n) < rest ? static_cast<size_t>(n) : rest;
  return result.SetOwnedText(args[0].text + (p - 1), take);
}

// Len(s): bytes; a number was measured in its text form by the conversion.
ErrNo FnLen(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetInteger(static_cast<int32_t>(Length(args[0])));
  return kOk;
}

// Asc(s): the first byte, unsigned; 0 for the empty text.
ErrNo FnAsc(Value* args, Value& result, ExecFrame&) noexcept {
  const int32_t byte = Length(args[0]) == 0 ? 0 : static_cast<unsigned char>(args[0].text[0]);
  result.SetInteger(byte);
  return kOk;
}

// Chr$(n): a one-byte constant text held inside the result value itself.
ErrNo FnChrS(Value* args, Value& result, ExecFrame&) noexcept {
  const uint32_t n = static_cast<uint32_t>(args[0].count);  // negatives fail too
  if (n > 255) return kErrIllegalCall;
  result.SetCharText(static_cast<char>(static_cast<unsigned char>(n)));
  return kOk;
}

// Str$(x): "%d" of an integer, "%.15g" of a double.
ErrNo FnStrS(Value* args, Value& result, ExecFrame&) noexcept {
  char buf[kNumberTextSize];
  const int n = args[0].type == kInteger ? FormatInteger(args[0].count, buf) : FormatDouble(args[0].number, buf);
  if (n < 0) return kErrIllegalCall;
  return result.SetOwnedText(buf, static_cast<size_t>(n));
}

// Hex$(n): the bits of n as an unsigned number, upper case, no leading zeros.
ErrNo FnHexS(Value* args, Value& result, ExecFrame&) noexcept {
  return SetFormatted(result, "%X", static_cast<unsigned>(static_cast<uint32_t>(args[0].count)));
}

ErrNo FnLCaseS(Value* args, Value& result, ExecFrame&) noexcept { return MapCase(args[0], result, false); }
ErrNo FnUCaseS(Value* args, Value& result, ExecFrame&) noexcept { return MapCase(args[0], result, true); }

// Piece$(s, d, from, to): the pieces from..to of s split at d, with the
// delimiters between them. The scan steps over a whole delimiter where it
// matches and one byte where it does not.
ErrNo FnPieceS(Value* args, Value& result, ExecFrame&) noexcept {
  const char* s = args[0].text;
  const size_t len = Length(args[0]);
  const char* d = args[1].text;
  const size_t dlen = Length(args[1]);
  const int32_t from = args[2].count, to = args[3].count;
  if (len == 0 || from < 1 || to < 1 || from > to) return kErrIllegalCall;
  if (dlen == 0) return result.SetOwnedText("", 0);

  bool started = from == 1;
  size_t start = 0, end = len;
  int64_t delimiters = 0;
  for (size_t pos = 0; pos < len;) {
    if (dlen <= len - pos && std::memcmp(s + pos, d, dlen) == 0) {
      ++delimiters;
      if (delimiters == from - 1) {
        started = true;
        start = pos + dlen;
      }
      if (delimiters == to) {
        end = pos;
        break;
      }
      pos += dlen;
    } else {
      ++pos;
    }
  }
  if (!started) return result.SetOwnedText("", 0);
  return result.SetOwnedText(s + start, end - start);
}

// Str2$(x, w, p, z, m): fixed point with p decimals. A width w above 0 clamps
// x so that it never needs more than w places before the point (the sign
// taking one of them), zero-fills when z is set; m writes a negative sign as
// the digit 8.
ErrNo FnStr2S(Value* args, Value& result, ExecFrame&) noexcept {
  double x = args[0].type == kInteger ? static_cast<double>(args[0].count) : args[0].number;
  const int32_t w = args[1].count, p = args[2].count;
  const bool zeros = args[3].count != 0, minusAsEight = args[4].count != 0;
  if (w < 0 || p < 0 || static_cast<int64_t>(w) + p > 15) return kErrIllegalCall;

  ErrNo e;
  if (w == 0) {
    e = SetFormatted(result, "%.*f", static_cast<int>(p), x);
  } else {
    const int width = p == 0 ? w : w + p + 1;
    const double step = std::pow(10.0, -p);
    const double upper = std::pow(10.0, w) - step;
    const double lower = -(std::pow(10.0, w - 1) - step);
    if (x > upper) {
      x = upper;
    } else if (x < lower) {
      x = lower;
    }
    e = SetFormatted(result, zeros ? "%0*.*f" : "%*.*f", width, static_cast<int>(p), x);
  }
  if (e != kOk) return e;
  if (minusAsEight && x < 0.0) {
    // The result owns its buffer, so the sign can be rewritten in place.
    char* text = const_cast<char*>(result.text);
    if (char* minus = static_cast<char*>(std::memchr(text, '-', Length(result)))) *minus = '8';
  }
  return kOk;
}

// Val(a): numbers unchanged, texts parsed (leading number only, 0 without one).
ErrNo FnVal(Value* args, Value& result, ExecFrame&) noexcept {
  Value& a = args[0];
  if (a.type == kInteger) {
    result.SetInteger(a.count);
    return kOk;
  }
  if (a.type == kDouble) {
    result.SetDouble(a.number);
    return kOk;
  }
  if (!IsTextType(a.type)) return kErrTypeMismatch;
  return ParseNumber(a.text != nullptr ? a.text : "", result);
}

}  // namespace msc
