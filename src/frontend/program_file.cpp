// Program images and program source files.
//
// A program image, as the host keeps it in its own memory:
//
//   +0   u32   total size, from offset 0 to the end of the end marker
//   +4   16    "K7TTMCR100" and six zero bytes
//   +20  ...   one entry per program line: stored text (UTF-8), 0x00
//              (an empty line is the 0x00 alone)
//        u8    0xFF, end of the lines
//        0..3  0x00 padding, so that the end marker starts at a 4-aligned address
//        4     "END" 0x00
//
// A source file holds the same stored texts, one per text line, each ended by
// CR LF. Line numbers are never kept: loading numbers the lines 10, 20, 30 ...
// and compiles each one again, so both forms go through the listing and back
// through the compiler.
#include "frontend/program_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/active_frames.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/listing.h"
#include "frontend/source_codec.h"
#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/lock.h"

namespace msc {
namespace {

constexpr char kImageMagic[16] = {'K', '7', 'T', 'T', 'M', 'C', 'R', '1', '0', '0'};
constexpr uint8_t kEndMarker[4] = {'E', 'N', 'D', 0};
constexpr size_t kSizeField = 4;
constexpr size_t kImageHeader = kSizeField + sizeof kImageMagic;
constexpr uint32_t kMaxImageSize = 0x10000000;
constexpr uint8_t kEndOfLines = 0xFF;
// Wide text that passes between the code page and UTF-8 is bounded like this.
constexpr int kMaxWideChars = 65536;
constexpr uint32_t kFirstLineNumber = 10;
constexpr uint32_t kLineNumberStep = 10;

template <class T>
std::unique_ptr<T[]> Allocate(size_t count) noexcept {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

// The file name for fopen; false when memory for it runs out.
bool PathOf(const wchar_t* path, std::string& out) noexcept {
  try {
    out = platform::WideToPath(path);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Calls fn(record) for every line record of the program area, in order.
template <class Fn>
void ForEachRecord(const QorMacro& m, Fn&& fn) noexcept {
  if (m.program.Empty()) return;
  const uint8_t* p = m.program.data;
  const uint8_t* const end = p + m.program.used;
  while (end - p >= 2) {
    const uint16_t length = RecordLength(p);
    if (length < kRecordOverhead || length > end - p) return;
    fn(p);
    p += length;
  }
}

// The stored text of a line: its listing without the number, in UTF-8, with
// the one space that followed the number dropped. Owns the two work buffers so
// that a whole program is listed without allocating per line.
class StoredText {
 public:
  StoredText() noexcept
      : listing_(Allocate<char>(kLineBufferSize)), utf8_(Allocate<char>(kLineBufferSize)) {}
  explicit operator bool() const noexcept { return listing_ && utf8_; }

  // False once a line came out empty for lack of memory: what was built
  // from the texts misses that line.
  bool Complete() const noexcept { return !outOfMemory_; }

  std::string_view Of(const uint8_t* record) noexcept {
    ListLine(record, listing_.get(), kLineBufferSize);
    int length = CodePageToUtf8(listing_.get(), utf8_.get(), kLineBufferSize);
    const char* text = utf8_.get();
    if (length == kConvertOutOfMemory) outOfMemory_ = true;
    if (length <= 0) return {text, 0};  // never a null view: callers copy from it
    if (text[0] == ' ') {
      ++text;
      --length;
    }
    return {text, static_cast<size_t>(length)};
  }

 private:
  std::unique_ptr<char[]> listing_;
  std::unique_ptr<char[]> utf8_;
  bool outOfMemory_ = false;
};

// Converts through wide text; see the header for the contract.
int Convert(uint32_t fromPage, uint32_t toPage, const char* in, char* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return -1;
  const int outCapacity = capacity > static_cast<size_t>(INT32_MAX) ? INT32_MAX
                                                                    : static_cast<int>(capacity);
  auto fail = [&] {
    out[0] = '\0';
    return -1;
  };
  if (in == nullptr) return fail();
  if (in[0] == '\0') {
    out[0] = '\0';
    return 0;
  }
  const int needed = platform::MultiToWide(fromPage, in, -1, nullptr, 0);
  if (needed <= 0 || needed > kMaxWideChars) return fail();
  auto wide = Allocate<wchar_t>(static_cast<size_t>(needed));
  if (!wide) {
    out[0] = '\0';
    return kConvertOutOfMemory;
  }
  // The whole input is read before anything is written, so in and out may be
  // the same buffer.
  if (platform::MultiToWide(fromPage, in, -1, wide.get(), needed) != needed) return fail();
  const int written = platform::WideToMulti(toPage, wide.get(), -1, out, outCapacity);
  if (written <= 0) return fail();
  out[capacity - 1] = '\0';
  return static_cast<int>(std::strlen(out));
}

// Writes "<n> " at the start of line and returns its length.
size_t WriteLineNumber(char* line, uint32_t number) noexcept {
  const int length = std::snprintf(line, 16, "%u ", static_cast<unsigned>(number));
  return length > 0 ? static_cast<size_t>(length) : 0;
}

// The work buffers of one load: the numbered line and the compiled code.
struct LoadBuffers {
  std::unique_ptr<char[]> line = Allocate<char>(kLineBufferSize);
  std::unique_ptr<uint8_t[]> code = Allocate<uint8_t>(kLineBufferSize);
  explicit operator bool() const noexcept { return line && code; }
};

// Checks that every line of the image ends inside the image, before the
// program is touched. Lines start at begin; the end marker starts at end.
bool ImageLinesWellFormed(const uint8_t* begin, const uint8_t* end) noexcept {
  const uint8_t* p = begin;
  if (p < end && *p == kEndOfLines) return true;
  while (p < end) {
    const void* zero = std::memchr(p, 0, static_cast<size_t>(end - p));
    if (zero == nullptr) return false;
    p = static_cast<const uint8_t*>(zero) + 1;
    if (p < end && *p == kEndOfLines) return true;
  }
  return true;
}

// Compiles the lines of a checked image into the (already cleared) program.
ErrNo LoadImageLines(QorMacro& m, const uint8_t* p, const uint8_t* end) noexcept {
  LoadBuffers buffers;
  if (!buffers) return kErrOutOfMemory;
  char* const line = buffers.line.get();
  if (p < end && *p == kEndOfLines) return kOk;
  for (uint32_t number = kFirstLineNumber; p < end; number += kLineNumberStep) {
    const auto* zero = static_cast<const uint8_t*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
    if (zero == nullptr) return kErrSyntax;  // excluded by ImageLinesWellFormed
    const size_t prefix = WriteLineNumber(line, number);
    // At most 65535 bytes of line in all, the number's text included.
    const size_t room = kLineBufferSize - 1 - prefix;
    const size_t length = std::min(static_cast<size_t>(zero - p), room);
    std::memcpy(line + prefix, p, length);
    line[prefix + length] = '\0';
    p = zero + 1;
    if (Utf8ToCodePage(line + prefix, line + prefix, kLineBufferSize - prefix) == kConvertOutOfMemory)
      return kErrOutOfMemory;

    uint32_t compiledNumber = 0;
    int32_t codeLength = 0;
    ErrNo err = CompileLine(line, buffers.code.get(), m, false, &compiledNumber, &codeLength);
    if (err == kOk) err = StoreLine(m, number, buffers.code.get(), codeLength);
    if (err != kOk) return err;
    if (p < end && *p == kEndOfLines) break;
  }
  return kOk;
}

// Reads one text line after the number's text, as fgets does: at most
// capacity - 1 bytes, through the first LF. Trailing CR and LF bytes are
// removed. False at the end of the file.
bool ReadSourceLine(std::FILE* f, char* text, size_t capacity) noexcept {
  if (std::fgets(text, static_cast<int>(capacity), f) == nullptr) return false;
  size_t length = std::strlen(text);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) --length;
  text[length] = '\0';
  return true;
}

void SkipByteOrderMark(std::FILE* f) noexcept {
  unsigned char head[3] = {};
  const size_t got = std::fread(head, 1, sizeof head, f);
  if (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return;
  std::rewind(f);
}

// Reasons a save refuses a line besides the compiler's own errors.
constexpr ErrNo kRefusedOtherCode = -1;
constexpr ErrNo kRefusedEncoding = -2;

// Compiles each line's stored text back as a load of the saved file will,
// and compares the code with the line's own. Option Explicit is set aside
// meanwhile: a Dim compiled again would find its variable already made.
class SaveCheck {
 public:
  SaveCheck(QorMacro& m, LoadBuffers& buffers) noexcept
      : m_(m), buffers_(buffers), explicitFlag_(m.explicitFlag) {
    m.explicitFlag = 0;
  }
  ~SaveCheck() { m_.explicitFlag = explicitFlag_; }
  SaveCheck(const SaveCheck&) = delete;
  SaveCheck& operator=(const SaveCheck&) = delete;

  explicit operator bool() const noexcept { return record_ && saved_ && relisted_; }

  // kOk when text, loaded as line number, comes back as the record's code,
  // or as code that lists as that text again: a value that lists in another
  // form ("&HFFFFFFFF" as "-1", a long double rounded) loads as the same
  // value, and a line typed glued to its number gets the space after it.
  ErrNo LoadsAs(const uint8_t* record, std::string_view text, uint32_t number) noexcept {
    char* const line = buffers_.line.get();
    const size_t prefix = WriteLineNumber(line, number);
    if (text.size() > kLineBufferSize - 1 - prefix) return kErrLineBufferOverflow;  // a load cuts it
    std::memcpy(line + prefix, text.data(), text.size());
    line[prefix + text.size()] = '\0';
    if (Utf8ToCodePage(line + prefix, line + prefix, kLineBufferSize - prefix) == kConvertOutOfMemory)
      return kErrOutOfMemory;
    // The compiler upper-cases names in place.
    std::memcpy(saved_.get(), line, std::strlen(line) + 1);
    uint8_t* const code = record_.get() + kLineHeader;
    uint32_t compiledNumber = 0;
    int32_t length = 0;
    m_.explicitFlag = 0;  // compiling "Option Explicit" again turns it on
    const ErrNo err = CompileLine(line, code, m_, false, &compiledNumber, &length);
    if (err != kOk) return err;
    const auto codeLength = static_cast<size_t>(length);
    if (codeLength == RecordLength(record) - kRecordOverhead &&
        std::memcmp(code, RecordCode(record), codeLength) == 0)
      return kOk;
    StoreU16(record_.get(), static_cast<uint16_t>(codeLength + kRecordOverhead));
    StoreU32(record_.get() + 2, number);
    uint32_t listedNumber = 0;
    ListLine(record_.get(), relisted_.get(), kLineBufferSize, &listedNumber);
    return std::strcmp(relisted_.get(), saved_.get()) == 0 ? kOk : kRefusedOtherCode;
  }

  // Remembers the refusal of a line and says why on the console, with the line.
  void Report(const uint8_t* record, ErrNo why) noexcept {
    if (failed_ == kOk) failed_ = why == kErrOutOfMemory ? kErrOutOfMemory : kErrIllegalOperation;
    if (why == kErrOutOfMemory) return;
    const auto number = static_cast<unsigned>(RecordLineNumber(record));
    char reason[160];
    if (why == kRefusedOtherCode) {
      std::snprintf(reason, sizeof reason, "Save refused: line %u would load as other code", number);
    } else if (why == kRefusedEncoding) {
      std::snprintf(reason, sizeof reason, "Save refused: line %u has characters the file's encoding cannot hold",
                    number);
    } else {
      std::snprintf(reason, sizeof reason, "Save refused: line %u would not load again: %s", number,
                    ErrorMessage(why));
    }
    platform::ConsolePrint(reason);
    // The numbered line, as a load's messages show it.
    uint32_t listedNumber = 0;
    ListLine(record, buffers_.line.get(), kLineBufferSize, &listedNumber);
    platform::ConsolePrint(buffers_.line.get());
  }

  // kOk, or the save's result once a line was refused.
  ErrNo Failed() const noexcept { return failed_; }

 private:
  QorMacro& m_;
  LoadBuffers& buffers_;
  const uint32_t explicitFlag_;
  ErrNo failed_ = kOk;
  std::unique_ptr<uint8_t[]> record_ = Allocate<uint8_t>(kLineHeader + kLineBufferSize);
  std::unique_ptr<char[]> saved_ = Allocate<char>(kLineBufferSize);     // the line as saved, numbered
  std::unique_ptr<char[]> relisted_ = Allocate<char>(kLineBufferSize);  // its listing once loaded
};

}  // namespace

int CodePageToUtf8(const char* in, char* out, size_t capacity) noexcept {
  return Convert(CodePage(), platform::kCodePageUtf8, in, out, capacity);
}

int Utf8ToCodePage(const char* in, char* out, size_t capacity) noexcept {
  return Convert(platform::kCodePageUtf8, CodePage(), in, out, capacity);
}

uint32_t ProgramImageSize(QorMacro& m) noexcept {
  // Saving reads the program as an edit on another thread would write it.
  const platform::LockGuard hold(m.lock);
  if (m.program.Empty()) return 0;
  StoredText stored;
  if (!stored) return 0;
  uint64_t size = sizeof kImageMagic;
  ForEachRecord(m, [&](const uint8_t* record) { size += stored.Of(record).size() + 1; });
  if (!stored.Complete()) return 0;
  size += 1;                      // end of the lines
  size = (size + 3) & ~uint64_t{3};  // padding in a 4-aligned buffer
  size += kSizeField + sizeof kEndMarker;
  return static_cast<uint32_t>(size);
}

ErrNo SaveProgramImage(QorMacro& m, uint8_t* dest) noexcept {
  const platform::LockGuard hold(m.lock);
  if (m.program.Empty()) return kOk;
  if (dest == nullptr) return kErrIllegalCall;
  const uint32_t expected = ProgramImageSize(m);
  StoredText stored;
  if (!stored || expected == 0) return kErrOutOfMemory;

  std::memcpy(dest + kSizeField, kImageMagic, sizeof kImageMagic);
  uint8_t* p = dest + kImageHeader;
  ForEachRecord(m, [&](const uint8_t* record) {
    const std::string_view text = stored.Of(record);
    std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = 0;
  });
  if (!stored.Complete()) return kErrOutOfMemory;
  *p++ = kEndOfLines;
  // The padding follows the buffer's own address. A host buffer that is not
  // 4-aligned would need more padding than was measured; the image then ends
  // where the measured size says rather than past the buffer.
  uint8_t* const limit = dest + expected - sizeof kEndMarker;
  while ((reinterpret_cast<uintptr_t>(p) & 3) != 0 && p < limit) *p++ = 0;
  std::memcpy(p, kEndMarker, sizeof kEndMarker);
  p += sizeof kEndMarker;

  const auto written = static_cast<uint32_t>(p - dest);
  StoreU32(dest, written);
  if (written != expected) {
    std::fputs("MACRO SAVE SIZE ERROR!!\n", stdout);
    std::fflush(stdout);
  }
  return kOk;
}

ErrNo LoadProgramImage(QorMacro& m, const uint8_t* image, const uint8_t** after) noexcept {
  if (after != nullptr) *after = image;
  if (image == nullptr) return kOk;
  if (std::strncmp(reinterpret_cast<const char*>(image + kSizeField), kImageMagic,
                   sizeof kImageMagic) != 0) {
    return kOk;
  }
  const uint32_t size = LoadU32(image);
  if (size < 8 || size > kMaxImageSize) return -1;
  const uint8_t* const marker = image + size - sizeof kEndMarker;
  if (std::memcmp(marker, kEndMarker, sizeof kEndMarker) != 0) return -1;
  // An end marker inside the header, or a line that runs into the end marker,
  // cannot come from a saved program; nothing beyond the stated size is read.
  if (size < kImageHeader + sizeof kEndMarker) return -1;
  if (!ImageLinesWellFormed(image + kImageHeader, marker)) return -1;
  if (after != nullptr) *after = image + size;

  // Held over the whole load: refused whole, or made whole.
  const EditPermit permit(m);
  if (!permit.Granted()) return kErrIllegalCall;
  ClearProgram(m);
  const ErrNo err = LoadImageLines(m, image + kImageHeader, marker);
  if (err != kOk) ClearProgram(m);
  return err;
}

ErrNo SaveProgramSource(QorMacro& m, const wchar_t* path) noexcept {
  if (path == nullptr) return kErrIllegalCall;
  std::string fsPath;
  if (!PathOf(path, fsPath)) return kErrOutOfMemory;
  StoredText stored;
  LoadBuffers buffers;
  if (!stored || !buffers) return kErrOutOfMemory;
  const SourceCodec* const codec = CurrentSourceCodec();

  // The whole text is made and checked before the file is opened: a save
  // that would not load again leaves the file as it was.
  std::string text;
  {
    const platform::LockGuard hold(m.lock);
    SaveCheck check(m, buffers);
    if (!check) return kErrOutOfMemory;
    std::string encoded;
    uint32_t loadNumber = kFirstLineNumber;
    bool refused = false;
    ForEachRecord(m, [&](const uint8_t* record) {
      if (refused) return;
      std::string_view line = stored.Of(record);
      const ErrNo back = check.LoadsAs(record, line, loadNumber);
      loadNumber += kLineNumberStep;
      if (back != kOk) {
        refused = true;
        check.Report(record, back);
        return;
      }
      if (codec != nullptr && codec->encodeLine != nullptr) {
        if (!codec->encodeLine(line, encoded)) {
          refused = true;
          check.Report(record, kRefusedEncoding);
          return;
        }
        line = encoded;
      }
      try {
        text.append(line).append("\r\n");
      } catch (const std::bad_alloc&) {
        refused = true;
        check.Report(record, kErrOutOfMemory);
      }
    });
    if (!stored.Complete()) return kErrOutOfMemory;
    if (check.Failed() != kOk) return check.Failed();
  }

  File file(std::fopen(fsPath.c_str(), "wb"));
  if (!file) return kErrIllegalCall;
  bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  // Buffered bytes may only fail to reach the disk when the file is closed.
  if (std::fclose(file.release()) != 0) ok = false;
  return ok ? kOk : kErrIllegalCall;
}

ErrNo LoadProgramSource(QorMacro& m, const wchar_t* path) noexcept {
  // Held over the whole load: refused whole, or made whole. Runs starting
  // on other threads meanwhile wait for the lock and find the new program.
  const EditPermit permit(m);
  if (!permit.Granted()) return kErrIllegalCall;
  ClearProgram(m);
  if (path == nullptr) return kErrIllegalCall;
  std::string fsPath;
  if (!PathOf(path, fsPath)) return kErrOutOfMemory;
  const SourceCodec* const codec = CurrentSourceCodec();
  File file(codec != nullptr && codec->openForLoad != nullptr ? codec->openForLoad(fsPath.c_str())
                                                              : std::fopen(fsPath.c_str(), "rb"));
  if (!file) return kErrIllegalCall;
  LoadBuffers buffers;
  auto shown = Allocate<char>(kLineBufferSize);
  if (!buffers || !shown) return kErrOutOfMemory;
  SkipByteOrderMark(file.get());

  char* const line = buffers.line.get();
  ErrNo first = kOk;
  for (uint32_t number = kFirstLineNumber;; number += kLineNumberStep) {
    const size_t prefix = WriteLineNumber(line, number);
    if (!ReadSourceLine(file.get(), line + prefix, kLineBufferSize - prefix)) break;
    if (Utf8ToCodePage(line + prefix, line + prefix, kLineBufferSize - prefix) == kConvertOutOfMemory) {
      if (first == kOk) first = kErrOutOfMemory;
      continue;
    }
    // The lexer upper-cases names in place; messages show the line as written.
    std::memcpy(shown.get(), line, std::strlen(line) + 1);

    uint32_t compiledNumber = 0;
    int32_t codeLength = 0;
    ErrNo err = CompileLine(line, buffers.code.get(), m, true, &compiledNumber, &codeLength);
    if (err != kOk) {
      if (err == kErrLineBufferOverflow) platform::ConsolePrint("Line buffer overflow");
      platform::ConsolePrint(shown.get());
      if (first == kOk) NoteErrorLine(m, err, number, true);
      if (first == kOk) first = err;
      continue;
    }
    // Once an error is known, the rest is compiled only to report its errors.
    if (first != kOk) continue;
    err = StoreLine(m, number, buffers.code.get(), codeLength);
    if (err != kOk) {
      platform::ConsolePrint("Lack of program area");
      platform::ConsolePrint(shown.get());
      NoteErrorLine(m, err, number, true);
      first = err;
    }
  }
  file.reset();
  if (first != kOk) ClearProgram(m);
  if (first == kOk) NoteFileLoaded(m);
  return first;
}

}  // namespace msc
