// Forward block searches. The walk never reads past a line's end-of-line byte
// and never steps onto or past the program area's terminating zero length.
#include "statements/block_search.h"

#include "api/qor_macro.h"
#include "engine/site_cache.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"

namespace msc {
namespace {

// Deeper nesting than this is not a program anyone writes; the search fails
// rather than growing without bound.
constexpr int kMaxNesting = 256;

// The keyword a nested block waits for.
enum class Closer : uint8_t { Loop, Next, EndIf, EndSelect, EndParallelExecute };

bool Closes(Closer c, uint16_t code) noexcept {
  switch (c) {
    case Closer::Loop: return code == tok::Loop;
    case Closer::Next: return code == tok::Next || code == tok::NextComma;
    case Closer::EndIf: return code == tok::EndIf;
    case Closer::EndSelect: return code == tok::EndSelect;
    case Closer::EndParallelExecute: return code == tok::EndParallelExecute;
  }
  return false;
}

bool IsComment(uint16_t code) noexcept { return code == tok::Rem || code == tok::Apostrophe; }

// Walks the code of one line after another, saving and restoring the frame.
class Walker {
 public:
  explicit Walker(ExecFrame& f) noexcept
      : f_(f), line_(f.line), pos_(f.pos), tokenStart_(f.tokenStart) {
    SetLineEnd();
  }

  // Puts the frame back where the search began.
  void Restore() noexcept {
    f_.line = line_;
    f_.pos = pos_;
    f_.tokenStart = tokenStart_;
  }

  // Next token of the current line; kind 0 at its end. A token that would
  // reach past the end byte (damaged code) counts as the end of the line.
  int Read(Token& t) noexcept {
    if (f_.pos >= end_) return kind::End;
    const int k = ReadToken(f_, t);
    if (k != kind::End && f_.pos > end_) {
      f_.pos = end_;
      return kind::End;
    }
    return k;
  }

  void Unread() noexcept { UnreadToken(f_); }
  void SkipRestOfLine() noexcept { f_.pos = end_; }

  // Moves to the first code byte of the next line; false at the end of the
  // program area (a zero length, or anything too short to be a record).
  bool NextLine() noexcept {
    const uint16_t len = RecordLength(f_.line);
    if (len < kRecordOverhead) return false;
    uint8_t* next = f_.line + len;
    if (RecordLength(next) < kRecordOverhead) return false;
    f_.line = next;
    f_.pos = RecordCode(next);
    f_.tokenStart = f_.pos;
    SetLineEnd();
    return true;
  }

 private:
  void SetLineEnd() noexcept {
    const uint16_t len = RecordLength(f_.line);
    // A record without code (the empty record a host call returns to) has
    // nothing to read: its end is wherever the position already is.
    end_ = len < kRecordOverhead ? f_.pos : f_.line + len - 1;
  }

  ExecFrame& f_;
  uint8_t* const line_;
  const uint8_t* const pos_;
  const uint8_t* const tokenStart_;
  const uint8_t* end_ = nullptr;
};

bool IsKeyword(int k, const Token& t, uint16_t code) noexcept {
  return k == kind::Keyword && t.code == code;
}
bool IsColon(int k, const Token& t) noexcept { return k == kind::Punct && t.byte == ':'; }

// After an If met by the search: reads on to "Then" and decides whether the
// If opens a block (Then followed by the end of the line or ":"). Anything
// else, a comment after Then included, makes it a one-line If.
bool OpensBlockIf(Walker& w) noexcept {
  Token t;
  for (;;) {
    const int k = w.Read(t);
    if (k == kind::End || IsColon(k, t)) return false;
    if (k != kind::Keyword) continue;
    if (IsComment(t.code)) return false;
    if (t.code == tok::Then) break;
  }
  const int k = w.Read(t);
  return k == kind::End || IsColon(k, t);
}

bool Search(ExecFrame& f, uint16_t t1, uint16_t t2, uint16_t t3) noexcept {
  Walker w(f);
  Closer open[kMaxNesting];
  int depth = 0;
  Token t;
  for (;;) {
    const int k = w.Read(t);
    if (k == kind::End) {
      if (!w.NextLine()) break;
      continue;
    }
    if (k != kind::Keyword) continue;
    const uint16_t c = t.code;
    if (depth == 0) {
      if (c == t1 || (t2 != 0 && c == t2) || (t3 != 0 && c == t3)) return true;
    } else if (Closes(open[depth - 1], c)) {
      --depth;
      continue;
    }

    Closer opened;
    switch (c) {
      case tok::Do: opened = Closer::Loop; break;
      case tok::For: opened = Closer::Next; break;
      case tok::Select: opened = Closer::EndSelect; break;
      case tok::ParallelExecute: opened = Closer::EndParallelExecute; break;
      case tok::If:
        if (!OpensBlockIf(w)) {
          w.SkipRestOfLine();
          continue;
        }
        opened = Closer::EndIf;
        break;
      case tok::Exit: {
        // Exit For / Exit Do name a loop; they do not open one.
        const int next = w.Read(t);
        if (!(IsKeyword(next, t, tok::For) || IsKeyword(next, t, tok::Do))) w.Unread();
        continue;
      }
      case tok::Rem:
      case tok::Apostrophe:
        w.SkipRestOfLine();
        continue;
      default:
        continue;
    }
    if (depth == kMaxNesting) break;
    open[depth++] = opened;
  }
  w.Restore();
  return false;
}

bool SearchCatch(ExecFrame& f) noexcept {
  Walker w(f);
  // Only Try blocks nest here, so a count of the open ones is enough.
  uint32_t nestedTry = 0;
  Token t;
  for (;;) {
    const int k = w.Read(t);
    if (k == kind::End) {
      if (!w.NextLine()) break;
      continue;
    }
    if (k != kind::Keyword) continue;
    switch (t.code) {
      case tok::Try:
        ++nestedTry;
        break;
      case tok::Catch:
        if (nestedTry == 0) return true;
        break;
      case tok::EndTry:
        if (nestedTry == 0) return true;
        --nestedTry;
        break;
      case tok::Rem:
      case tok::Apostrophe:
        w.SkipRestOfLine();
        break;
      default:
        break;
    }
  }
  w.Restore();
  return false;
}

// The searches the statements repeat on every pass of a loop; 0 for the
// rest, which are not remembered.
SiteFact FactOf(uint16_t t1, uint16_t t2, uint16_t t3) noexcept {
  if (t1 == tok::Elseif && t2 == tok::Else && t3 == tok::EndIf) return SiteFact::ElseOrEnd;
  if (t2 != 0 || t3 != 0) {
    if (t3 == 0 && t1 == tok::Case && t2 == tok::EndSelect) return SiteFact::CaseOrEnd;
    if (t3 == 0 && t1 == tok::Next && t2 == tok::NextComma) return SiteFact::Next;
    return SiteFact{};
  }
  switch (t1) {
    case tok::EndIf: return SiteFact::EndIf;
    case tok::EndSelect: return SiteFact::EndSelect;
    case tok::Loop: return SiteFact::Loop;
    default: return SiteFact{};
  }
}

// The program area when the frame's position lies in a line of it, where a
// search's result can be remembered; null for code outside it (a direct
// statement) or a frame without a macro object.
ProgramArea* AreaOf(const ExecFrame& f) noexcept {
  if (f.macro == nullptr || f.line == nullptr) return nullptr;
  ProgramArea& a = f.macro->program;
  if (a.data == nullptr || f.line < a.data || f.line >= a.data + a.used) return nullptr;
  const uint16_t len = RecordLength(f.line);
  if (len < kRecordOverhead || f.pos < f.line || f.pos >= f.line + len) return nullptr;
  return &a;
}

// Runs a search, or puts the frame where the same search from the same
// position ended before. Only successes are remembered: a failure is an
// error that ends the run anyway.
template <typename Walk>
bool Remembered(ExecFrame& f, SiteFact what, Walk walk) noexcept {
  ProgramArea* a = what == SiteFact{} ? nullptr : AreaOf(f);
  if (a == nullptr) return walk();
  const uint8_t* site = f.pos;
  SiteResult r;
  if (a->sites.Find(*a, what, site, &r)) {
    // The found keyword is two bytes; the position is after it.
    f.line = r.line;
    f.tokenStart = r.pos;
    f.pos = r.pos + 2;
    return true;
  }
  if (!walk()) return false;
  a->sites.Remember(*a, what, site, SiteResult{f.line, f.tokenStart});
  return true;
}

}  // namespace

bool BlockSearch(ExecFrame& f, uint16_t t1, uint16_t t2, uint16_t t3) noexcept {
  return Remembered(f, FactOf(t1, t2, t3), [&] { return Search(f, t1, t2, t3); });
}

bool CatchSearch(ExecFrame& f) noexcept {
  return Remembered(f, SiteFact::Catch, [&] { return SearchCatch(f); });
}

}  // namespace msc
