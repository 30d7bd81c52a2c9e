// Decoding of intermediate code, one token at a time. Each token is told by
// its first byte alone (the table at the top of code.h).
#include "frontend/token_reader.h"

#include <cstring>

#include "frontend/keywords.h"

namespace msc {
namespace {

bool IsTextToken(uint8_t b) noexcept {
  return b == code::String || (b >= code::ScScalar && b <= code::SyArray) ||
         b == code::LabelDef || b == code::LabelRef;
}

bool IsCommentKeyword(const uint8_t* p) noexcept {
  if (p[0] != (tok::Rem >> 8)) return false;
  return p[1] == (tok::Rem & 0xFF) || p[1] == (tok::Apostrophe & 0xFF);
}

int TextKind(uint8_t b) noexcept {
  if (b == code::String) return kind::String;
  if (b == code::LabelDef) return kind::LabelDef;
  if (b == code::LabelRef) return kind::LabelRef;
  return kind::ScScalar + (b - code::ScScalar);
}

}  // namespace

size_t TokenLength(const uint8_t* p) noexcept {
  const uint8_t b = *p;
  if (b == code::EndOfLine) return 0;
  if (b <= code::MaxSpaceRun) return 1;
  if (b == code::LineRef || b == code::Short) return 3;
  if (b == code::Byte) return 2;
  if (b == code::Double) return 9;
  if (IsTextToken(b)) return 1 + std::strlen(reinterpret_cast<const char*>(p + 1)) + 1;
  if (b >= code::KeywordFirst && b <= code::KeywordLast) {
    // A comment keyword owns the raw text after it, up to the end of the line.
    if (IsCommentKeyword(p)) return 2 + std::strlen(reinterpret_cast<const char*>(p + 2));
    return 2;
  }
  if (b >= code::VarFirst && b <= code::VarLast) return 1 + sizeof(void*);
  return 1;  // small integers, operators, punctuation and unlisted bytes
}

int ReadOtherToken(ExecFrame& f, const uint8_t* p, Token& t) noexcept {
  const uint8_t b = *p;
  switch (b) {
    case code::EndOfLine:
      f.pos = p;  // stays on the end byte
      return kind::End;
    case code::Byte:
      t.integer = p[1];
      f.pos = p + 2;
      return kind::Integer;
    case code::Short:
      t.integer = LoadI16(p + 1);
      f.pos = p + 3;
      return kind::Integer;
    case code::LineRef:
      t.integer = LoadU16(p + 1);
      f.pos = p + 3;
      return kind::LineRef;
    case code::Double:
      t.dbl = LoadF64(p + 1);
      f.pos = p + 9;
      return kind::Double;
    case code::String:
    case code::ScScalar:
    case code::ScArray:
    case code::SyScalar:
    case code::SyArray:
    case code::LabelDef:
    case code::LabelRef: {
      const char* text = reinterpret_cast<const char*>(p + 1);
      const size_t len = std::strlen(text);
      t.text = text;
      t.length = static_cast<int32_t>(len);
      f.pos = p + 1 + len + 1;
      return TextKind(b);
    }
    default:
      // Operators, punctuation, and every byte without a form of its own.
      t.byte = b;
      f.pos = p + 1;
      return kind::Punct;
  }
}

}  // namespace msc
