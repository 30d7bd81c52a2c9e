// Turns a compiled line back into source text that compiles to the same code:
// spacing and operator spellings as typed, keywords in table spelling.
#include "frontend/listing.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"

namespace msc {
namespace {

// Characters that run on into a number next to them, or it into them.
bool JoinsNumber(char c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '_';
}

// Appends into a fixed buffer; whatever does not fit is dropped, and the text
// stays zero-terminated after every append.
class Writer {
 public:
  Writer(char* out, size_t capacity) noexcept : out_(out), capacity_(capacity) {
    if (capacity_ > 0) out_[0] = '\0';
  }

  void Put(const char* s, size_t n) noexcept {
    if (capacity_ == 0) return;
    const size_t room = capacity_ - 1 - length_;
    if (n > room) n = room;
    std::memcpy(out_ + length_, s, n);
    length_ += n;
    out_[length_] = '\0';
  }
  void Put(const char* s) noexcept { Put(s, std::strlen(s)); }
  void Put(char c) noexcept { Put(&c, 1); }

  void PutInt(int32_t v) noexcept {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%d", v);
    if (n > 0) Put(buf, static_cast<size_t>(n));
  }
  void PutDouble(double v) noexcept {
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%.15g", v);
    // Fifteen digits of a double within a rounding step of the largest one
    // read back as beyond it, which the lexer refuses as an overflow; such a
    // double lists with seventeen digits, which read back exactly.
    if (n > 0 && std::isinf(std::strtod(buf, nullptr)) && std::isfinite(v))
      n = std::snprintf(buf, sizeof buf, "%.17g", v);
    if (n > 0) Put(buf, static_cast<size_t>(n));
  }

  // Parts a number from the token written before it with a space where the
  // two would read back as one: a name, label or number ending in a letter,
  // digit, point or underscore ("." then 0.8 as ".0.8", a label then 0 as a
  // longer label). The listing then differs from the code by that space,
  // and lists as itself once compiled again.
  void PartBeforeNumber() noexcept {
    if (length_ > 0 && JoinsNumber(out_[length_ - 1])) Put(' ');
  }
  // The same for a number and the token written after it, which began at at.
  void PartAfterNumber(size_t at) noexcept {
    if (at >= length_ || !JoinsNumber(out_[at]) || Full()) return;
    std::memmove(out_ + at + 1, out_ + at, length_ - at + 1);
    out_[at] = ' ';
    ++length_;
  }
  bool Full() const noexcept { return capacity_ == 0 || length_ + 1 >= capacity_; }
  size_t Length() const noexcept { return length_; }

 private:
  char* out_;
  size_t capacity_;
  size_t length_ = 0;
};

bool IsNumberCode(uint8_t b) noexcept {
  return b == code::Byte || (b >= code::SmallFirst && b <= code::SmallLast) || b == code::Short ||
         b == code::LineRef || b == code::Double;
}

const char* TextAt(const uint8_t* p) noexcept { return reinterpret_cast<const char*>(p); }

// Writes a string literal with its quotes, doubling the quotes inside so that
// the lexer collapses them back.
void PutStringLiteral(Writer& w, const char* text) noexcept {
  w.Put('"');
  for (const char* s = text; *s != '\0' && !w.Full(); ++s) {
    if (*s == '"') w.Put('"');
    w.Put(*s);
  }
  w.Put('"');
}

}  // namespace

size_t ListLine(const uint8_t* record, char* out, size_t capacity,
                uint32_t* lineNumber) noexcept {
  Writer w(out, capacity);
  if (lineNumber != nullptr) {
    *lineNumber = RecordLineNumber(record);
    if (*lineNumber != 0) w.PutInt(static_cast<int32_t>(*lineNumber));
  }

  const uint8_t* p = RecordCode(record);
  // The line number is a number too.
  size_t numberEnd = w.Length() > 0 ? w.Length() : SIZE_MAX;
  while (*p != code::EndOfLine && !w.Full()) {
    const uint8_t b = *p;
    const size_t tokenAt = w.Length();
    if (b <= code::MaxSpaceRun) {
      for (uint8_t i = 0; i < b; ++i) w.Put(' ');
    } else if (b == code::Byte) {
      w.PartBeforeNumber();
      w.PutInt(p[1]);
    } else if (b >= code::SmallFirst && b <= code::SmallLast) {
      w.PartBeforeNumber();
      w.PutInt(b - code::SmallFirst);
    } else if (b == code::Short) {
      w.PartBeforeNumber();
      w.PutInt(LoadI16(p + 1));
    } else if (b == code::LineRef) {
      w.PartBeforeNumber();
      w.PutInt(LoadU16(p + 1));
    } else if (b == code::Double) {
      w.PartBeforeNumber();
      w.PutDouble(LoadF64(p + 1));
    } else if (b == code::String) {
      PutStringLiteral(w, TextAt(p + 1));
    } else if (b >= code::KeywordFirst && b <= code::KeywordLast) {
      const uint16_t c = static_cast<uint16_t>(b << 8 | p[1]);
      w.Put(KeywordName(c));
      if (c == tok::Rem || c == tok::Apostrophe) {
        w.Put(TextAt(p + 2));  // the comment's raw text ends the line
        break;
      }
    } else if (b == code::ScScalar || b == code::ScArray) {
      w.Put("SC.");
      w.Put(TextAt(p + 1));
    } else if (b == code::SyScalar || b == code::SyArray) {
      w.Put("SY.");
      w.Put(TextAt(p + 1));
    } else if (b >= code::VarFirst && b <= code::VarLast) {
      // A line compiled with an unknown name carries a null cell; it lists
      // without the name rather than crash.
      if (const uint8_t* cell = LoadPtr(p + 1); cell != nullptr) {
        w.Put(CellName(cell), CellNameLength(cell));
      }
    } else if (b == code::LabelDef || b == code::LabelRef) {
      w.Put(TextAt(p + 1));
    } else if (b >= code::OperatorFirst && b <= code::OperatorLast) {
      w.Put(OperatorSpelling(b));
    } else if (b >= 0x20 && b <= 0x7F) {
      w.Put(static_cast<char>(b));
    }
    // Any other byte writes nothing.
    if (numberEnd == tokenAt) w.PartAfterNumber(tokenAt);
    if (IsNumberCode(b)) {
      numberEnd = w.Length();
    } else if (w.Length() != tokenAt) {
      numberEnd = SIZE_MAX;
    }
    const size_t n = TokenLength(p);
    p += n == 0 ? 1 : n;
  }
  return w.Length();
}

}  // namespace msc
