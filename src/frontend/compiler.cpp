// Compiles one source line into intermediate code.
//
// One left-to-right pass: every lexical token becomes one code token in source
// order. Expressions and statement syntax are left to the run-time engine;
// what is settled here is the encoding, the line number, the binding of
// variables to their cells, the two-word phrases, and when a label or an
// integer is a reference rather than a definition or a number.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "api/qor_macro.h"
#include "frontend/code.h"
#include "frontend/compile_observer.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/lexer.h"

namespace msc {
namespace {

// Two-word phrases that compile to one token.
struct Phrase {
  uint16_t first, next, fused;
};
constexpr Phrase kPhrases[] = {
    {tok::End, tok::ParallelExecute, tok::EndParallelExecute},  // End ParallelExecute
    {tok::End, tok::Select, tok::EndSelect},                    // End Select
    {tok::End, tok::Sub, tok::EndSub},                          // End Sub
    {tok::End, tok::Try, tok::EndTry},                          // End Try
    {tok::For, tok::Append, tok::ForAppend},                    // For Append (file mode)
    {tok::For, tok::Input, tok::ForInput},                      // For Input (file mode)
    {tok::For, tok::Output, tok::ForOutput},                    // For Output (file mode)
    {tok::Line, tok::Input, tok::LineInput},                    // Line Input
};
constexpr bool PhrasesOrdered() {
  for (size_t i = 1; i < std::size(kPhrases); ++i)
    if (kPhrases[i].fused <= kPhrases[i - 1].fused) return false;
  return true;
}
static_assert(PhrasesOrdered(), "phrases in ascending order of the fused code");

// What a keyword does to the compiler state after it has been emitted.
enum class Effect {
  LabelReference,   // labels and nonzero integers that follow are references
  LabelDefinition,  // the label that follows names a routine
  NextComma,        // commas up to ":" separate loop variables
  DimMode,          // variables up to ":" are being declared
  RawRest,          // the rest of the line is a comment, kept byte for byte
};
struct KeywordEffect {
  uint16_t code;
  Effect effect;
};
constexpr KeywordEffect kKeywordEffects[] = {
    {tok::Call, Effect::LabelReference},     // Call *LABEL / Call n
    {tok::Delete, Effect::LabelReference},   // Delete n-m
    {tok::Dim, Effect::DimMode},             // Dim A&(10), B$   ("ReDim" is no declaration)
    {tok::Else, Effect::LabelReference},     // Else n
    {tok::Gosub, Effect::LabelReference},    // Gosub *LABEL / Gosub n
    {tok::Goto, Effect::LabelReference},     // Goto *LABEL / Goto n
    {tok::List, Effect::LabelReference},     // List n-m
    {tok::Next, Effect::NextComma},          // Next I&, J&
    {tok::Rem, Effect::RawRest},             // Rem text
    {tok::Apostrophe, Effect::RawRest},      // ' text
    {tok::Sub, Effect::LabelDefinition},     // Sub *NAME(...)
    {tok::Then, Effect::LabelReference},     // If ... Then n
};
constexpr bool EffectsOrdered() {
  for (size_t i = 1; i < std::size(kKeywordEffects); ++i)
    if (kKeywordEffects[i].code <= kKeywordEffects[i - 1].code) return false;
  return true;
}
static_assert(EffectsOrdered(), "keyword effects in ascending code order");

const KeywordEffect* FindEffect(uint16_t code) noexcept {
  for (const KeywordEffect& e : kKeywordEffects)
    if (e.code == code) return &e;
  return nullptr;
}

bool IsArrayTag(uint8_t t) noexcept {
  return t == tag::IntArray || t == tag::DblArray || t == tag::StrArray || t == tag::VariantArray;
}

class LineCompiler {
 public:
  // begin: the line's code, where the token already read starts.
  LineCompiler(char* begin, char* src, uint8_t* out, QorMacro& m, bool messages, bool afterNumber) noexcept
      : src_(src), begin_(begin), afterNumber_(afterNumber), start_(out), out_(out), limit_(out + kCompileOutputLimit), m_(m), messages_(messages) {}

  // Compiles from the token already read to the end of the line.
  ErrNo Run(int k, LexToken tok, int32_t* codeLength) noexcept {
    // A tool watching the compile learns where each code token came from,
    // before the token's messages.
    CompileObserver* const observer = CurrentCompileObserver();
    if (observer != nullptr) observer->Token(0, begin_);
    for (;;) {
      bool lineDone = false;
      const ErrNo e = EmitToken(k, tok, &lineDone);
      if (e != kOk) return Failed(e, codeLength);
      if (lineDone || *src_ == '\0') break;
      if (observer != nullptr) observer->Token(static_cast<size_t>(out_ - start_), src_);
      k = Lex(&src_, labelState_, messages_, tok);
    }
    if (!Fits(1)) return Failed(kErrLineBufferOverflow, codeLength);
    *out_ = code::EndOfLine;
    *codeLength = content_ ? static_cast<int32_t>(out_ - start_) : 0;
    return firstError_;
  }

 private:
  ErrNo Failed(ErrNo e, int32_t* codeLength) noexcept {
    *start_ = code::EndOfLine;
    *codeLength = 0;
    return e;
  }

  // The token must end at or before the output limit.
  bool Fits(size_t n) const noexcept { return n <= static_cast<size_t>(limit_ - out_); }
  void Put(uint8_t b) noexcept { *out_++ = b; }
  void PutBytes(const void* p, size_t n) noexcept {
    std::memcpy(out_, p, n);
    out_ += n;
  }

  // One token; *lineDone when it consumed the rest of the line.
  ErrNo EmitToken(int k, const LexToken& tok, bool* lineDone) noexcept {
    // A number glued to the one before it ("&B13648" is &B1 and 3648) would
    // join it in the listing, which writes numbers in decimal.
    const bool glued = afterNumber_;
    afterNumber_ = k == kind::Integer || k == kind::Double;
    if (glued && afterNumber_) return kErrSyntax;
    switch (k) {
      case kind::Integer: return EmitInteger(tok.integer);
      case kind::Double: return EmitDouble(tok.dbl);
      case kind::String: return EmitString(tok);
      case kind::Keyword: return EmitKeyword(static_cast<uint16_t>(tok.integer), lineDone);
      case kind::Punct: return EmitPunct(static_cast<uint8_t>(tok.integer));
      case kind::Spaces:
        if (!Fits(1)) return kErrLineBufferOverflow;
        Put(static_cast<uint8_t>(tok.length));
        return kOk;
      case kind::LabelDef:
      case kind::LabelRef:
        if (!Fits(static_cast<size_t>(tok.length) + 2)) return kErrLineBufferOverflow;
        Put(static_cast<uint8_t>(k + 0xCC));
        PutBytes(tok.text, static_cast<size_t>(tok.length));
        Put(0);
        Content(kLabelReference);
        return kOk;
      case kind::ScScalar:
      case kind::ScArray:
      case kind::SyScalar:
      case kind::SyArray: {
        const size_t n = static_cast<size_t>(tok.length) - 3;  // without "SC." / "SY."
        if (!Fits(n + 2)) return kErrLineBufferOverflow;
        Put(static_cast<uint8_t>(k + 0xB0));
        PutBytes(tok.text + 3, n);
        Put(0);
        Content(kLabelNone);
        return kOk;
      }
      case kind::Error: return kErrSyntax;
      default:
        if (k >= kind::IntVar && k <= kind::VariantArray) return EmitVariable(k, tok);
        return kErrSyntax;
    }
  }

  // Any token but punctuation and spaces: the line has content, and the
  // label state becomes what the token asks for.
  void Content(int nextLabelState) noexcept {
    content_ = true;
    labelState_ = nextLabelState;
  }

  ErrNo EmitInteger(int32_t v) noexcept {
    if (labelState_ == kLabelReference && v != 0) {
      if (!Fits(3)) return kErrLineBufferOverflow;
      Put(code::LineRef);
      uint8_t b[2];
      StoreU16(b, static_cast<uint16_t>(v));  // only the low 16 bits can be referred to
      PutBytes(b, 2);
      Content(kLabelReference);
      return kOk;
    }
    Content(kLabelNone);
    if (v >= 0 && v <= 9) {
      if (!Fits(1)) return kErrLineBufferOverflow;
      Put(static_cast<uint8_t>(code::SmallFirst + v));
    } else if (v >= 10 && v <= 255) {
      if (!Fits(2)) return kErrLineBufferOverflow;
      Put(code::Byte);
      Put(static_cast<uint8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      if (!Fits(3)) return kErrLineBufferOverflow;
      Put(code::Short);
      uint8_t b[2];
      StoreU16(b, static_cast<uint16_t>(static_cast<int16_t>(v)));
      PutBytes(b, 2);
    } else {
      return EmitDouble(static_cast<double>(v));
    }
    return kOk;
  }

  ErrNo EmitDouble(double d) noexcept {
    if (!Fits(9)) return kErrLineBufferOverflow;
    Put(code::Double);
    uint8_t b[8];
    StoreF64(b, d);
    PutBytes(b, 8);
    Content(kLabelNone);
    return kOk;
  }

  ErrNo EmitString(const LexToken& tok) noexcept {
    const auto raw = static_cast<size_t>(tok.length);
    size_t quotes = 0;
    for (size_t i = 0; i < raw; ++i) quotes += tok.text[i] == '"';
    if (!Fits(raw - quotes / 2 + 2)) return kErrLineBufferOverflow;
    Put(code::String);
    for (size_t i = 0; i < raw; ++i) {
      Put(static_cast<uint8_t>(tok.text[i]));
      if (tok.text[i] == '"') ++i;  // a doubled quote stands for one
    }
    Put(0);
    Content(kLabelNone);
    return kOk;
  }

  // The keyword that follows (spaces skipped), read without printing and
  // without moving the source position; -1 when the next token is no keyword.
  int32_t PeekKeyword(char** after) noexcept {
    char* q = src_;
    while (*q == ' ') ++q;
    if (*q == '\0') return -1;
    LexToken t;
    if (Lex(&q, kLabelNone, false, t) != kind::Keyword) return -1;
    *after = q;
    return t.integer;
  }

  ErrNo EmitKeyword(uint16_t code, bool* lineDone) noexcept {
    if (code == tok::End || code == tok::For || code == tok::Line) {
      char* after = nullptr;
      const int32_t next = PeekKeyword(&after);
      for (const Phrase& ph : kPhrases) {
        if (ph.first == code && static_cast<int32_t>(ph.next) == next) {
          code = ph.fused;
          src_ = after;
          break;
        }
      }
    } else if (code == tok::Option) {
      char* after = nullptr;
      const int32_t next = PeekKeyword(&after);
      if (next == tok::Explicit) m_.explicitFlag = 1;
      if (next == tok::Executable) m_.executableFlag = 1;
    }
    if (!Fits(2)) return kErrLineBufferOverflow;
    Put(static_cast<uint8_t>(code >> 8));
    Put(static_cast<uint8_t>(code & 0xFF));
    Content(kLabelNone);

    const KeywordEffect* e = FindEffect(code);
    if (e == nullptr) return kOk;
    switch (e->effect) {
      case Effect::LabelReference: labelState_ = kLabelReference; break;
      case Effect::LabelDefinition: labelState_ = kLabelDefinition; break;
      case Effect::NextComma: nextComma_ = true; break;
      case Effect::DimMode: dim_ = true; break;
      case Effect::RawRest: {
        const size_t n = std::strlen(src_);
        if (!Fits(n)) return kErrLineBufferOverflow;
        PutBytes(src_, n);
        src_ += n;
        *lineDone = true;
        break;
      }
    }
    return kOk;
  }

  ErrNo EmitPunct(uint8_t b) noexcept {
    if (b == '?') {  // short for "Print" and a space
      // Spaces written after it stand for that space: a second run of them
      // would list as one, and the listing would compile to other code.
      const bool spaced = *src_ == ' ';
      // Glued to a word before it, its listing would join that word
      // ("End TryPrint"), and after a lone asterisk it would make a label
      // ("*Print"): a space keeps the two apart.
      const unsigned char before = src_ - 2 >= begin_ ? static_cast<unsigned char>(src_[-2]) : ' ';
      const bool glued = std::isalnum(before) || before == '_' || before == '.' || before == '*';
      if (!Fits(2 + !spaced + glued)) return kErrLineBufferOverflow;
      if (glued) Put(1);
      Put(static_cast<uint8_t>(tok::Print >> 8));
      Put(static_cast<uint8_t>(tok::Print & 0xFF));
      if (!spaced) Put(1);
      Content(kLabelNone);
    } else if (b == ',' && nextComma_) {
      if (!Fits(2)) return kErrLineBufferOverflow;
      Put(static_cast<uint8_t>(tok::NextComma >> 8));
      Put(static_cast<uint8_t>(tok::NextComma & 0xFF));
      Content(kLabelNone);
    } else {
      // Other punctuation keeps the label state, so that "Goto *A, *B" and
      // "On X& Gosub 100, 200" read references throughout.
      if (!Fits(1)) return kErrLineBufferOverflow;
      Put(b);
      if (b == ':') {
        nextComma_ = false;
        dim_ = false;
        labelState_ = kLabelNone;
      }
    }
    return kOk;
  }

  ErrNo EmitVariable(int k, const LexToken& tok) noexcept {
    const auto t = static_cast<uint8_t>(k + 0xCC);
    FindMode mode = FindMode::FindOrCreate;
    if (m_.explicitFlag != 0) mode = dim_ ? FindMode::CreateOnly : FindMode::FindOnly;
    FindStatus status = kFindOk;
    uint8_t* cell = m_.variables.FindCell(t, tok.text, static_cast<size_t>(tok.length), mode, &status);
    if (cell == nullptr) {
      const ErrNo e = Refused(t, tok, status);
      if (!messages_) return e;
      if (firstError_ == kOk) firstError_ = e;
    }
    if (!Fits(9)) return kErrLineBufferOverflow;
    Put(t);
    uint8_t b[8];
    StorePtr(b, cell);
    PutBytes(b, 8);
    Content(kLabelNone);
    return kOk;
  }

  // Error number (and message) for a variable that could not be bound.
  ErrNo Refused(uint8_t t, const LexToken& tok, FindStatus status) const noexcept {
    const char* format = nullptr;
    ErrNo e = kErrSyntax;
    switch (status) {
      case kFindNoMemory:
        if (messages_) CompileMessage("Lack of variable area");
        return kErrOutOfMemory;
      case kFindAbsent:
        format = "Undefined variable : %.*s%s";
        e = kErrUndefinedVariable;
        break;
      case kFindExists:
        format = "Duplicated variable : %.*s%s";
        e = kErrDuplicatedVariable;
        break;
      default: return kErrSyntax;
    }
    if (messages_) {
      char buf[320];
      std::snprintf(buf, sizeof buf, format, static_cast<int>(tok.length), tok.text, IsArrayTag(t) ? "()" : "");
      CompileMessage(buf);
    }
    return e;
  }

  char* src_;
  const char* const begin_;  // the source after the line number
  bool afterNumber_;  // the last token was a number, or a line number with no space after it
  uint8_t* const start_;
  uint8_t* out_;
  uint8_t* const limit_;
  QorMacro& m_;
  const bool messages_;
  int labelState_ = kLabelDefinition;
  bool nextComma_ = false;
  bool dim_ = false;
  bool content_ = false;
  ErrNo firstError_ = kOk;
};

}  // namespace

ErrNo CompileLine(char* source, uint8_t* out, QorMacro& m, bool messages, uint32_t* lineNumber,
                  int32_t* codeLength) noexcept {
  *lineNumber = 0;
  *codeLength = 0;
  out[0] = code::EndOfLine;
  char* p = source;
  while (*p == ' ') ++p;
  if (*p == '\0') return kOk;

  char* code = p;
  LexToken tok;
  int k = Lex(&p, kLabelDefinition, messages, tok);
  bool gluedToNumber = false;  // the line's first token follows its number directly
  if (k == kind::Integer) {
    *lineNumber = static_cast<uint32_t>(tok.integer);
    // Number 0 is no number, and its listing shows none: the spaces after it
    // are leading spaces, dropped as those of an unnumbered line are.
    if (*lineNumber == 0)
      while (*p == ' ') ++p;
    if (*p == '\0') return kOk;
    gluedToNumber = *lineNumber != 0 && *p != ' ';
    code = p;
    k = Lex(&p, kLabelDefinition, messages, tok);
  }
  LineCompiler c(code, p, out, m, messages, gluedToNumber);
  return c.Run(k, tok, codeLength);
}

}  // namespace msc
