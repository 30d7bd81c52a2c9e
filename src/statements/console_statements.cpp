// Console and debugging statements: Print, DebugPrint, List, Keyword, Load,
// Save, Debug, SetStop, Stop, Cont and Wait.
#include <fcntl.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "api/qor_macro.h"
#include "engine/interrupt.h"
#include "engine/run.h"
#include "engine/evaluator.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/listing.h"
#include "frontend/program_file.h"
#include "frontend/token_reader.h"
#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/lock.h"
#include "statements/file_slots.h"
#include "statements/handlers.h"
#include "statements/permissions.h"

namespace msc {
namespace {

inline constexpr uint32_t kStopBit = 16;
inline constexpr size_t kPathCapacity = 1024;

// Print and DebugPrint keep whole statements together across threads; the
// locks live as long as the process.
platform::RecursiveLock& PrintLock() {
  static auto* lock = new platform::RecursiveLock;
  return *lock;
}
platform::RecursiveLock& DebugPrintLock() {
  static auto* lock = new platform::RecursiveLock;
  return *lock;
}

// Where Print writes: the console, or an open file slot.
struct PrintTarget {
  std::FILE* file = nullptr;

  [[nodiscard]] ErrNo Write(const char* text, size_t length) const noexcept {
    if (file == nullptr) {
      // The console shows a text up to an embedded zero, at most 255 bytes.
      platform::RawConsolePrint(text, strnlen(text, length));
      return kOk;
    }
    if (length != 0 && std::fwrite(text, 1, length, file) != length) return kErrIllegalCall;
    return kOk;
  }
  [[nodiscard]] ErrNo EndLine() const noexcept {
    return file == nullptr ? Write("\n", 1) : Write("\r\n", 2);
  }
};

// True when the code at the position starts with a statement word, which
// ends a Print item list (the Else of a one-line If, say).
bool AtStatementWord(const ExecFrame& f) noexcept {
  const uint8_t b = f.pos[0];
  if (b < code::KeywordFirst || b > code::KeywordLast) return false;
  const uint16_t c = static_cast<uint16_t>(b << 8 | f.pos[1]);
  return c >= kStatementFirst && c <= kStatementLast;
}

[[nodiscard]] ErrNo WriteValue(const PrintTarget& out, const Value& v) noexcept {
  char number[kNumberTextSize];
  switch (v.type) {
    case kInteger:
      return out.Write(number, static_cast<size_t>(FormatInteger(v.count, number)));
    case kDouble:
      return out.Write(number, static_cast<size_t>(FormatDouble(v.number, number)));
    case kVarText:
    case kConstText:
    case kOwnedText:
      return out.Write(v.text, static_cast<size_t>(v.count));
    default:  // empty and byte values print nothing
      return kOk;
  }
}

// The item list shared by Print and DebugPrint: items, "," (a TAB) and ";"
// (nothing); a line end unless the list ends with a separator.
[[nodiscard]] ErrNo PrintItems(ExecFrame& f, const PrintTarget& out) noexcept {
  bool lastWasSeparator = false;
  bool lastWasItem = false;
  for (;;) {
    SkipSpaces(f);
    const uint8_t b = *f.pos;
    if (b == code::EndOfLine) break;
    if (b == ':') {
      ++f.pos;
      break;
    }
    if (b == ',' || b == ';') {
      ++f.pos;
      if (b == ',') {
        if (ErrNo e = out.Write("\t", 1)) return e;
      }
      lastWasSeparator = true;
      lastWasItem = false;
      continue;
    }
    if (lastWasItem || AtStatementWord(f)) break;
    Value v;
    if (ErrNo e = EvaluateLocked(f, v)) return e;
    if (ErrNo e = WriteValue(out, v)) return e;
    lastWasItem = true;
    lastWasSeparator = false;
  }
  return lastWasSeparator ? kOk : out.EndLine();
}

// Reads the optional "#n," of Print: n must be an integer literal naming an
// open file slot; the comma after it may be left out.
[[nodiscard]] ErrNo ReadFileTarget(ExecFrame& f, PrintTarget* out) noexcept {
  SkipSpaces(f);
  if (*f.pos != '#') return kOk;
  int32_t number = 0;
  if (ErrNo e = ReadFileNumber(f, &number)) return e;
  if (ErrNo e = OpenFileSlot(f, number, &out->file)) return e;
  SkipSpaces(f);
  if (*f.pos == ',') ++f.pos;
  return kOk;
}

// Reads a line-number operand of List: a line-number reference (or a plain
// integer, as 0 compiles).
bool ReadLineOperand(ExecFrame& f, uint32_t* number) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if (k == kind::LineRef || k == kind::Integer) {
    *number = static_cast<uint32_t>(t.integer);
    return true;
  }
  UnreadToken(f);
  return false;
}

void ToUpperInPlace(char* text) noexcept {
  for (; *text; ++text) *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

}  // namespace

ErrNo StmtPrint(ExecFrame& f) noexcept {
  platform::LockGuard guard(PrintLock());
  PrintTarget out;
  if (ErrNo e = ReadFileTarget(f, &out)) return e;
  return PrintItems(f, out);
}

ErrNo StmtDebugPrint(ExecFrame& f) noexcept {
  if ((f.macro->reportMode & kStopBit) == 0) return kSkipLine;
  SkipSpaces(f);
  if (*f.pos == '#') return kErrSyntax;
  platform::LockGuard debugGuard(DebugPrintLock());
  platform::LockGuard printGuard(PrintLock());
  static constexpr char kPrefix[] = "Macro(SC) ";
  platform::RawConsolePrint(kPrefix, sizeof kPrefix - 1);
  return PrintItems(f, PrintTarget{});
}

ErrNo StmtList(ExecFrame& f) noexcept {
  uint32_t first = 0;
  uint32_t last = 65535;
  bool firstGiven = false;
  if (!AtStatementEnd(f)) {
    firstGiven = ReadLineOperand(f, &first);
    SkipSpaces(f);
    if (*f.pos == '-') {
      ++f.pos;
      SkipSpaces(f);
      if (!ReadLineOperand(f, &last)) return kErrSyntax;
      if (firstGiven && first > last) return kErrSyntax;
    } else if (firstGiven) {
      last = first;
    } else {
      return kErrSyntax;
    }
    if (!AtStatementEnd(f)) return kErrSyntax;
  }
  QorMacro& m = *f.macro;
  if (m.program.Empty()) return kOk;
  if (firstGiven && FindLineRecord(m, first) == nullptr) return kErrUndefinedLine;

  std::unique_ptr<char[]> text(new (std::nothrow) char[kLineBufferSize]);
  if (!text) return kErrOutOfMemory;
  for (const uint8_t* rec = m.program.data; RecordLength(rec) != 0; rec += RecordLength(rec)) {
    const uint32_t number = RecordLineNumber(rec);
    if (number < first) continue;
    if (number > last) break;
    uint32_t ignored = 0;
    ListLine(rec, text.get(), kLineBufferSize, &ignored);
    platform::LinePrint(text.get());
  }
  return kOk;
}

ErrNo StmtKeyword(ExecFrame& f) noexcept {
  wchar_t path[kPathCapacity] = {};
  if (!AtStatementEnd(f)) {
    if (ErrNo e = WideTextArgument(f, path, kPathCapacity)) return e;
  }
  if (path[0] == L'\0') {
    for (const Keyword& k : kKeywords) platform::LinePrint(k.name);
    return kOk;
  }
  HeldName held(f, path, O_WRONLY | O_CREAT, HeldName::Base::kCurrentDirectory);
  if (held.denied()) return kErrIllegalCall;
  if (!held) return kOk;
  std::string name;
  try {
    name = platform::WideToPath(held.name());
  } catch (const std::bad_alloc&) {
    return kErrOutOfMemory;
  }
  // A file that cannot be opened gets nothing and is no error.
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) return kOk;
  held.Succeeded();
  for (const Keyword& k : kKeywords) std::fprintf(file, "%s\n", k.name);
  std::fclose(file);
  return kOk;
}

ErrNo StmtLoad(ExecFrame& f) noexcept {
  wchar_t path[kPathCapacity] = {};
  if (ErrNo e = WideTextArgument(f, path, kPathCapacity)) return e;
  HeldName held(f, path, O_RDONLY, HeldName::Base::kCurrentDirectory);
  if (!held) return kErrIllegalCall;
  if (LoadProgramSource(*f.macro, held.name()) != kOk) return kErrIllegalCall;
  return kSkipLine;
}

ErrNo StmtSave(ExecFrame& f) noexcept {
  wchar_t path[kPathCapacity] = {};
  if (ErrNo e = WideTextArgument(f, path, kPathCapacity)) return e;
  HeldName held(f, path, O_WRONLY | O_CREAT, HeldName::Base::kCurrentDirectory);
  if (!held) return kErrIllegalCall;
  const ErrNo saved = SaveProgramSource(*f.macro, held.name());
  if (saved == kOk) held.Succeeded();
  return saved;
}

ErrNo StmtDebug(ExecFrame& f) noexcept {
  int32_t mode = 0;
  if (ErrNo e = IntegerArgument(f, &mode)) return e;
  const bool valid = (mode >= 0 && mode <= 3) || (mode >= 16 && mode <= 19);
  if (!valid) return kErrIllegalCall;
  f.macro->reportMode = static_cast<uint32_t>(mode);
  UpdateWatched(*f.macro);
  return kOk;
}

ErrNo StmtSetStop(ExecFrame& f) noexcept {
  char text[kTextArgumentSize];
  if (ErrNo e = TextArgument(f, text)) return e;
  ToUpperInPlace(text);
  std::memcpy(f.macro->stopPattern, text, std::strlen(text) + 1);
  return kOk;
}

ErrNo StmtStop(ExecFrame& f) noexcept {
  const uint32_t before = f.stepFlag;
  const bool enabled = (f.macro->reportMode & kStopBit) != 0;
  if (AtStatementEnd(f)) {
    if (enabled) f.stepFlag = 1;
  } else {
    char name[kTextArgumentSize];
    if (ErrNo e = TextArgument(f, name)) return e;
    if (enabled) {
      ToUpperInPlace(name);
      if (NamePatternMatch(f.macro->stopPattern, name)) f.stepFlag = 1;
    }
  }
  if (before == 0 && f.stepFlag != 0) {
    char message[32];
    std::snprintf(message, sizeof message, "Stop in %u", RecordLineNumber(f.line));
    platform::ConsolePrint(message);
  }
  return kOk;
}

ErrNo StmtCont(ExecFrame& f) noexcept {
  if (AtStatementEnd(f)) {
    f.stepMode = 1;
    return kOk;
  }
  int32_t n = 0;
  if (ErrNo e = IntegerArgument(f, &n)) return e;
  switch (n) {
    case 0: f.stepMode = 2; break;  // step into
    case 1: f.stepMode = 3; break;  // step over
    case 2: f.stepMode = 4; break;  // step out
    default: f.stepMode = 1; break;
  }
  return kOk;
}

ErrNo StmtWait(ExecFrame& f) noexcept {
  int32_t ms = 0;
  if (ErrNo e = IntegerArgument(f, &ms)) return e;
  // A negative count would be an endless wait; refuse it.
  if (ms < 0) return kErrIllegalCall;
  return SleepUnlessInterrupted(f, static_cast<uint32_t>(ms)) ? kOk : kErrInterrupted;
}

}  // namespace msc
