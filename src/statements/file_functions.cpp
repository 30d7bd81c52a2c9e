// File and disk functions: Eof, Input$, Dskf, IsFile and GetText$.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "api/config.h"
#include "engine/memory_budget.h"
#include "api/qor_macro.h"
#include "engine/builtin_functions.h"
#include "engine/evaluator.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "statements/file_slots.h"
#include "statements/permissions.h"

namespace msc {
namespace {

// Characters of a converted path argument, the terminating zero included.
inline constexpr size_t kPathCapacity = 1024;
// Characters of a text-data key, the terminating zero included.
inline constexpr size_t kKeyCapacity = 256;
// Bytes of a text returned by GetText$.
inline constexpr int kTextDataResultLimit = 1023;
// Input$ reads in pieces of this size, so that a count far beyond the file's
// end fails without first claiming all of that memory.
inline constexpr size_t kReadPiece = 65536;

// A text argument (already converted to text) as a zero-terminated wide
// name, cut to the buffer like every converted argument.
void TextToWide(const Value& v, wchar_t* buffer, size_t capacity) noexcept {
  buffer[0] = L'\0';
  if (v.count <= 0) return;
  const uint32_t cp = CodePage();
  const int room = static_cast<int>(capacity - 1);
  int n = platform::MultiToWide(cp, v.text, v.count, buffer, room);
  if (n == 0) {
    // Too long (or not convertible): convert aside and keep what fits.
    try {
      const std::wstring whole = platform::ToWide(cp, std::string(v.text, static_cast<size_t>(v.count)));
      n = static_cast<int>(whole.size() < capacity - 1 ? whole.size() : capacity - 1);
      std::wmemcpy(buffer, whole.data(), static_cast<size_t>(n));
    } catch (...) {
      n = 0;
    }
  }
  buffer[n] = L'\0';
}

// Reads exactly count bytes into a new owned text; 5 when the file ends
// first, 7 when memory runs out.
ErrNo ReadExactly(std::FILE* file, size_t count, Value& result) noexcept {
  char* buffer = nullptr;
  size_t have = 0;
  size_t capacity = 0;
  ErrNo error = kOk;
  while (error == kOk) {
    const size_t want = count - have < kReadPiece ? count - have : kReadPiece;
    if (have + want + 1 > capacity) {
      // Doubling keeps the copies of a long read linear.
      const size_t doubled = capacity * 2 < count + 1 ? capacity * 2 : count + 1;
      capacity = have + want + 1 > doubled ? have + want + 1 : doubled;
      char* grown = static_cast<char*>(memory::Reallocate(buffer, capacity));
      if (grown == nullptr) {
        error = kErrOutOfMemory;
        break;
      }
      buffer = grown;
    }
    if (want == 0) break;
    const size_t got = std::fread(buffer + have, 1, want, file);
    have += got;
    if (got < want) error = kErrIllegalCall;
  }
  if (error != kOk) {
    memory::Free(buffer);
    std::clearerr(file);
    return error;
  }
  buffer[count] = '\0';
  result.Clear();
  result.type = kOwnedText;
  result.count = static_cast<int32_t>(count);
  result.text = buffer;
  return kOk;
}

// The wide text as multibyte text of at most kTextDataResultLimit bytes: the longest run of
// whole characters from its start that fits.
ErrNo WideToLimitedText(const wchar_t* text, Value& result) noexcept {
  constexpr int limit = kTextDataResultLimit;
  const uint32_t cp = CodePage();
  char buffer[limit + 1];
  // Every character takes at least one byte, so no more than limit of them fit.
  const size_t length = std::wcslen(text);
  int keep = static_cast<int>(length < static_cast<size_t>(limit) ? length : static_cast<size_t>(limit));
  int n = keep > 0 ? platform::WideToMulti(cp, text, keep, buffer, limit) : 0;
  if (n == 0 && keep > 0) {
    // Wider than the limit: find the longest prefix whose text fits.
    int low = 0;
    int high = keep;
    while (low < high) {
      const int mid = (low + high + 1) / 2;
      const int need = platform::WideToMulti(cp, text, mid, nullptr, 0);
      if (need > 0 && need <= limit) {
        low = mid;
      } else {
        high = mid - 1;
      }
    }
    keep = low;
    n = keep > 0 ? platform::WideToMulti(cp, text, keep, buffer, limit) : 0;
  }
  return result.SetOwnedText(buffer, static_cast<size_t>(n));
}

}  // namespace

ErrNo FnEof(Value* args, Value& result, ExecFrame& f) noexcept {
  std::FILE* file = nullptr;
  if (ErrNo e = OpenFileSlot(f, args[0].count, &file)) return e;
  // One byte is read and given back, so the position does not move.
  const int c = std::fgetc(file);
  if (c == EOF) {
    std::clearerr(file);
    result.SetInteger(-1);
    return kOk;
  }
  std::ungetc(c, file);
  result.SetInteger(0);
  return kOk;
}

ErrNo FnInputS(Value*, Value& result, ExecFrame& f) noexcept {
  if (ErrNo e = ExpectChar(f, '(')) return e;
  int32_t count = 0;
  if (ErrNo e = IntegerArgument(f, &count)) return e;
  (void)ArgumentSeparator(f);  // "," or ":" before the file number, or nothing
  int32_t n = 0;
  if (ErrNo e = ReadFileNumber(f, &n)) return e;
  std::FILE* file = nullptr;
  if (ErrNo e = OpenFileSlot(f, n, &file)) return e;
  if (ErrNo e = ExpectChar(f, ')')) return e;
  if (count < 0) return kErrIllegalCall;
  return ReadExactly(file, static_cast<size_t>(count), result);
}

ErrNo FnDskf(Value* args, Value& result, ExecFrame& f) noexcept {
  wchar_t path[kPathCapacity];
  TextToWide(args[0], path, kPathCapacity);
  uint64_t bytes = 0;
  const auto box = SandboxOf(*f.macro);
  if (box) {
    // Outside the allowed folders the volume is not even looked at.
    platform::Sandbox::Place place;
    if (!box->Locate(platform::FileSystemPath(path), platform::Access::kRead, &place)) return kErrIllegalCall;
  }
  if (!(box ? platform::sandboxed::FreeSpace(*box, path, &bytes) : platform::FreeSpace(path, &bytes))) {
    result.SetInteger(-1);
    return kOk;
  }
  result.SetDouble(static_cast<double>(bytes));
  return kOk;
}

ErrNo FnIsFile(Value* args, Value& result, ExecFrame& f) noexcept {
  wchar_t pattern[kPathCapacity];
  TextToWide(args[0], pattern, kPathCapacity);
  const auto box = SandboxOf(*f.macro);
  const int found = box ? platform::sandboxed::ClassifyFirstMatch(*box, pattern) : platform::ClassifyFirstMatch(pattern);
  if (found < 0) return kErrIllegalCall;
  result.SetInteger(found);
  return kOk;
}

ErrNo FnGetTextS(Value*, Value& result, ExecFrame& f) noexcept {
  if (ErrNo e = ExpectChar(f, '(')) return e;
  int32_t n = 0;
  if (ErrNo e = ReadFileNumber(f, &n)) return e;
  if (!IsSlotNumber(n) || f.macro->textData[n] == nullptr) return kErrIllegalCall;
  (void)ArgumentSeparator(f);  // "," or ":" before the key, or nothing
  wchar_t key[kKeyCapacity];
  if (ErrNo e = WideTextArgument(f, key, kKeyCapacity)) return e;
  if (ErrNo e = ExpectChar(f, ')')) return e;
  const wchar_t* text = ::GetText(f.macro->textData[n], key);
  return WideToLimitedText(text != nullptr ? text : L"", result);
}

}  // namespace msc
