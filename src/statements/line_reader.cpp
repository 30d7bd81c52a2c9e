#include "statements/line_reader.h"

#include "statements/file_slots.h"

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "frontend/token_reader.h"
#include "platform/console.h"
#include "platform/stdin_reader.h"

namespace msc {
namespace {

constexpr char kConsoleReadNote[] = "Exec : rsgetch()\n";

// One byte of the line's source, or -1 at its end.
int NextByte(std::FILE* file) noexcept {
  if (file != nullptr) return std::fgetc(file);
  platform::RawConsolePrint(kConsoleReadNote, sizeof kConsoleReadNote - 1);
  return platform::ReadStdinByte();
}

// After a CR in a file: an LF that follows belongs to the line end; any other
// byte stays for the next read.
void ConsumeLineFeed(std::FILE* file) noexcept {
  const long at = std::ftell(file);
  const int c = std::fgetc(file);
  if (c == '\n') return;
  if ((at < 0 || std::fseek(file, at, SEEK_SET) != 0) && c != EOF) (void)std::ungetc(c, file);
}

}  // namespace

ErrNo ReadInputLine(std::FILE* file, char* buffer, size_t* length) noexcept {
  size_t n = 0;
  buffer[0] = '\0';
  *length = 0;
  for (;;) {
    const int c = NextByte(file);
    if (c == platform::kStdinStopped) return kErrInterrupted;
    if (c < 0) return kErrIllegalCall;
    if (c == '\r') {
      if (file != nullptr) ConsumeLineFeed(file);
      break;
    }
    if (c == '\n') {
      if (n > 0) break;
      continue;
    }
    if (n + 1 >= kInputLineSize) return kErrLineBufferOverflow;
    buffer[n++] = static_cast<char>(c);
  }
  buffer[n] = '\0';
  *length = n;
  return kOk;
}

ErrNo FileSlotPrefix(ExecFrame& f, std::FILE** file) noexcept {
  *file = nullptr;
  SkipSpaces(f);
  if (*f.pos != '#') return kOk;
  int32_t number = 0;
  std::FILE* slot = nullptr;
  if (ErrNo e = ReadFileNumber(f, &number)) return e;
  if (ErrNo e = OpenFileSlot(f, number, &slot)) return e;
  if (ExpectChar(f, ',') != kOk) return kErrSyntax;
  *file = slot;
  return kOk;
}

}  // namespace msc
