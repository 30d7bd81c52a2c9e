// Cuts one source line into lexical tokens.
//
// The lexer works on the caller's writable line: names and labels are made
// upper case where they stand, so that the text the compiler keeps (and the
// variable cells it creates) always hold the upper-case form. It never looks
// at a byte beyond the line's terminating zero.
#include "frontend/lexer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compile_observer.h"
#include "frontend/keywords.h"
#include "frontend/name_kinds.h"

namespace msc {
namespace {

// Longest label or name (suffix or asterisk included) that is accepted.
constexpr int32_t kMaxLabelLength = 255;
static_assert(kMaxNameLength == 255, "names share the cell's one-byte name length");

// Bytes of the message buffer; longer texts (absurdly long numbers) are cut.
constexpr size_t kMessageSize = 1024;

bool IsLetter(unsigned char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) noexcept { return c >= '0' && c <= '9'; }
bool IsNameChar(unsigned char c) noexcept { return IsLetter(c) || IsDigit(c) || c == '.' || c == '_'; }
// Control characters and bytes at or above 0x80 may only appear in strings and
// comments; the line's terminating zero is not one of them.
bool IsUnusable(unsigned char c) noexcept { return c != 0 && (c < 0x20 || c >= 0x80); }
char Upper(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void Message(bool messages, const char* text) noexcept {
  if (messages) CompileMessage(text);
}

// "<prefix><text>" through the console.
void MessageWith(bool messages, const char* prefix, const char* text, size_t len) noexcept {
  if (!messages) return;
  char buf[kMessageSize];
  const int shown = static_cast<int>(len < kMessageSize ? len : kMessageSize);
  std::snprintf(buf, sizeof buf, "%s%.*s", prefix, shown, text);
  CompileMessage(buf);
}

int Fail(char** pos, char* next, bool messages, const char* text, LexToken& tok) noexcept {
  Message(messages, text);
  *pos = next;
  tok.integer = 0;
  tok.length = 0;
  return kind::Error;
}

// End of the decimal number that starts at p: digits, an optional point with
// more digits, and an exponent only when a digit follows "E", "E+" or "E-".
// Hexadecimal ("0x1A"), hexadecimal-float and "inf"/"nan" forms are not
// numbers in this language, even though strtod takes them: "0x10" reads as the
// number 0 followed by the name X10, as a classic BASIC reads it.
char* DecimalEnd(char* p) noexcept {
  while (IsDigit(static_cast<unsigned char>(*p))) ++p;
  if (*p == '.') {
    ++p;
    while (IsDigit(static_cast<unsigned char>(*p))) ++p;
  }
  if (*p == 'e' || *p == 'E') {
    char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(static_cast<unsigned char>(*q))) {
      while (IsDigit(static_cast<unsigned char>(*q))) ++q;
      p = q;
    }
  }
  return p;
}

int LexNumber(char** pos, bool messages, LexToken& tok) noexcept {
  char* start = *pos;
  char* end = DecimalEnd(start);
  // strtod sees only the decimal text: the byte after it is zeroed for the
  // call and put back at once.
  const char saved = *end;
  *end = '\0';
  errno = 0;
  char* parsed = nullptr;
  const double v = std::strtod(start, &parsed);
  const bool rangeError = errno == ERANGE;
  *end = saved;
  if (parsed > start && parsed < end) end = parsed;  // cannot happen for decimal text
  if (rangeError) {
    // Underflow is a range error too: a literal too small for a double is as
    // unusable as one too large.
    MessageWith(messages, "Overflow : ", start, static_cast<size_t>(end - start));
    *pos = end;
    tok.integer = 0;
    tok.length = 0;
    return kind::Error;
  }
  *pos = end;
  tok.length = 0;
  if (v >= -2147483648.0 && v <= 2147483647.0 && v == std::floor(v)) {
    tok.integer = static_cast<int32_t>(v);
    return kind::Integer;
  }
  tok.dbl = v;
  return kind::Double;
}

int DigitValue(unsigned char c) noexcept {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

// "&H", "&O", "&B" literals: unsigned 32-bit, bits taken as signed. Only the
// digits of the base count; signs, blanks and "0x" are not part of the number.
int LexBased(char** pos, int base, bool messages, LexToken& tok) noexcept {
  char* start = *pos;
  char* p = start + 2;
  uint64_t value = 0;
  bool overflow = false;
  for (int d; (d = DigitValue(static_cast<unsigned char>(*p))) < base; ++p) {
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFull) {
      overflow = true;
      value = 0xFFFFFFFFull;  // keeps the product bounded while the digits run on
    }
  }
  *pos = p;
  tok.length = 0;
  if (overflow) {
    MessageWith(messages, "Overflow : ", start, static_cast<size_t>(p - start));
    tok.integer = 0;
    return kind::Error;
  }
  tok.integer = static_cast<int32_t>(static_cast<uint32_t>(value));
  return kind::Integer;
}

int LexLabel(char** pos, int labelState, bool messages, LexToken& tok) noexcept {
  char* start = *pos;
  char* p = start + 1;
  while (IsNameChar(static_cast<unsigned char>(*p))) {
    *p = Upper(*p);
    ++p;
  }
  if (IsUnusable(static_cast<unsigned char>(*p))) return Fail(pos, p + 1, messages, "Unusable character", tok);
  if (p - start > kMaxLabelLength) return Fail(pos, p, messages, "Label name too long", tok);
  *pos = p;
  tok.text = start;
  tok.length = static_cast<int32_t>(p - start);
  return labelState == kLabelDefinition ? kind::LabelDef : kind::LabelRef;
}

// Suffix characters of a name; each of the first four may be doubled.
size_t SuffixLength(const char* p) noexcept {
  const TypeSuffix* type = FindTypeSuffix(*p);
  if (type == nullptr) return 0;
  return type->doubles && p[1] == *p ? 2 : 1;
}

bool StartsWith(const char* name, size_t len, const char* prefix) noexcept {
  for (size_t i = 0; prefix[i] != '\0'; ++i) {
    if (i >= len || name[i] != prefix[i]) return false;
  }
  return true;
}

int LexName(char** pos, bool messages, LexToken& tok) noexcept {
  char* start = *pos;
  char* p = start;
  while (IsNameChar(static_cast<unsigned char>(*p))) {
    *p = Upper(*p);
    ++p;
  }
  if (IsUnusable(static_cast<unsigned char>(*p))) return Fail(pos, p + 1, messages, "Unusable character", tok);
  const size_t bareLength = static_cast<size_t>(p - start);
  const char suffix = *p;
  p += SuffixLength(p);
  const size_t length = static_cast<size_t>(p - start);
  if (length > kMaxNameLength) return Fail(pos, p, messages, "Symbol name too long", tok);

  *pos = p;
  const int32_t code = LookupKeyword(start, length);
  if (code >= 0) {
    tok.integer = code;
    tok.length = 0;
    return (code >= code::OperatorFirst && code <= 0xFF) ? kind::Punct : kind::Keyword;
  }

  const char* ahead = p;
  while (*ahead == ' ') ++ahead;
  const bool array = *ahead == '(';
  tok.text = start;
  tok.length = static_cast<int32_t>(length);
  if (const TypeSuffix* type = FindTypeSuffix(suffix); type != nullptr) {
    if (suffix != '@') {
      for (const HostNamePrefix& host : kHostNamePrefixes) {
        if (StartsWith(start, bareLength, host.prefix)) return array ? host.arrayKind : host.scalarKind;
      }
    }
    return array && type->arrayKind != kind::Error ? type->arrayKind : type->scalarKind;
  }
  MessageWith(messages, "Unrecognized symbol : ", start, bareLength);
  tok.integer = 0;
  tok.length = 0;
  return kind::Error;
}

int LexString(char** pos, LexToken& tok) noexcept {
  char* body = *pos + 1;
  char* p = body;
  for (;;) {
    if (*p == '\0') break;  // an unclosed string runs to the end of the line
    if (*p == '"') {
      if (p[1] == '"') {
        p += 2;
        continue;
      }
      break;
    }
    ++p;
  }
  tok.text = body;
  tok.length = static_cast<int32_t>(p - body);
  *pos = *p == '"' ? p + 1 : p;
  return kind::String;
}

// Two-character comparison operators and their codes.
struct TwoCharOperator {
  char first, second;
  uint8_t code;
};
constexpr TwoCharOperator kTwoCharOperators[] = {
    {'<', '>', op::NotEqual},       // <>  not equal
    {'<', '=', op::LessEqual},      // <=  less or equal
    {'>', '<', op::NotEqual2},      // ><  not equal, other spelling
    {'>', '=', op::GreaterEqual},   // >=  greater or equal
    {'=', '<', op::LessEqual2},     // =<  less or equal, other spelling
    {'=', '>', op::GreaterEqual2},  // =>  greater or equal, other spelling
};
static_assert(std::size(kTwoCharOperators) == 6 && kTwoCharOperators[0].code == 0xF1 &&
                  kTwoCharOperators[5].code == 0xF8,
              "six two-character operators");

}  // namespace

int Lex(char** pos, int labelState, bool messages, LexToken& tok) noexcept {
  char* p = *pos;
  const unsigned char c = static_cast<unsigned char>(*p);
  tok.integer = 0;
  tok.length = 0;
  if (c == 0) return kind::End;  // callers stop before the end; nothing to read here

  if (c < 0x20 || c >= 0x80) return Fail(pos, p + 1, messages, "Unusable character", tok);
  if (c == '*' && labelState != kLabelNone && IsLetter(static_cast<unsigned char>(p[1])))
    return LexLabel(pos, labelState, messages, tok);
  if (IsDigit(c) || (c == '.' && IsDigit(static_cast<unsigned char>(p[1])))) return LexNumber(pos, messages, tok);
  if (c == '&') {
    switch (p[1]) {
      case 'H': case 'h': return LexBased(pos, 16, messages, tok);
      case 'O': case 'o': return LexBased(pos, 8, messages, tok);
      case 'B': case 'b': return LexBased(pos, 2, messages, tok);
      default: break;
    }
  }
  if (IsLetter(c)) return LexName(pos, messages, tok);
  if (c == '\'') {
    *pos = p + 1;
    tok.integer = tok::Apostrophe;
    return kind::Keyword;
  }
  if (c == '"') return LexString(pos, tok);
  if (c == ' ') {
    char* q = p;
    while (*q == ' ') ++q;
    const auto run = q - p;
    tok.length = static_cast<int32_t>(run > code::MaxSpaceRun ? code::MaxSpaceRun : run);
    tok.integer = tok.length;
    *pos = q;
    return kind::Spaces;
  }
  for (const TwoCharOperator& o : kTwoCharOperators) {
    if (p[0] == o.first && p[1] == o.second) {
      *pos = p + 2;
      tok.integer = o.code;
      return kind::Punct;
    }
  }
  *pos = p + 1;
  tok.integer = c;
  return kind::Punct;
}

}  // namespace msc
