// One source line: the compiler ends in one of its own results, and the
// listing of a line that compiles compiles back to the same code.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/listing.h"
#include "fuzz_support.h"

namespace {

using namespace msc;

struct Compiled {
  ErrNo err = kOk;
  std::vector<uint8_t> record;  // a whole line record, when the line compiled
};

// Compiles from an exact-size copy, so that the sanitizers see a stray read.
Compiled Compile(QorMacro& m, const std::string& source) {
  std::vector<char> text(source.begin(), source.end());
  text.push_back('\0');
  std::vector<uint8_t> out(kLineBufferSize);
  uint32_t number = 0;
  int32_t length = -1;
  Compiled c;
  c.err = CompileLine(text.data(), out.data(), m, false, &number, &length);
  fuzz::Check(c.err == kOk || c.err == kErrSyntax || c.err == kErrOutOfMemory ||
                  c.err == kErrLineBufferOverflow || c.err == kErrUndefinedVariable ||
                  c.err == kErrDuplicatedVariable,
              "the compiler gives one of its own errors");
  fuzz::Check(length >= 0 && static_cast<size_t>(length) < kCompileOutputLimit, "the code fits");
  if (c.err != kOk) return c;
  if (length == 0) return c;  // no content, so no code either
  fuzz::Check(out[static_cast<size_t>(length)] == code::EndOfLine, "the code is ended");
  c.record.resize(static_cast<size_t>(length) + kRecordOverhead);
  StoreU16(c.record.data(), static_cast<uint16_t>(c.record.size()));
  StoreU32(c.record.data() + 2, number);
  std::copy(out.begin(), out.begin() + length + 1, c.record.begin() + kLineHeader);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A line of a file never holds a line end, nor does a C string a zero.
  std::string line(reinterpret_cast<const char*>(data), size);
  line.resize(std::min(line.size(), line.find_first_of(std::string_view("\r\n\0", 3))));
  fuzz::MacroPtr m = fuzz::NewMacro();
  const Compiled first = Compile(*m, line);
  if (first.err != kOk || first.record.empty()) return 0;

  std::vector<char> listed(kLineBufferSize);
  uint32_t number = 0;
  const size_t length = ListLine(first.record.data(), listed.data(), listed.size(), &number);
  fuzz::Check(number == RecordLineNumber(first.record.data()), "the listing keeps the number");
  if (length + 1 >= listed.size()) return 0;  // cut: too long to come back
  // A direct statement (number 0) that begins with a number lists as that
  // line number: such a statement can only be typed after a line number 0.
  if (number == 0 && length > 0 && std::isdigit(static_cast<unsigned char>(listed[0]))) return 0;
  // The same object, since the code addresses its variables; but under
  // Option Explicit the first compile declared them, or turned it on.
  const Compiled second = Compile(*m, std::string(listed.data(), length));
  if (second.err == kErrDuplicatedVariable || second.err == kErrUndefinedVariable) return 0;
  fuzz::Check(second.err == kOk, "the listing compiles");
  if (second.record == first.record) return 0;
  fuzz::Check(!second.record.empty(), "the listing compiles to the same code");
  // A double lists with 15 significant digits, so a longer one comes back
  // rounded; the listing must then be its own: the same text again.
  std::vector<char> again(kLineBufferSize);
  const size_t length2 = ListLine(second.record.data(), again.data(), again.size(), &number);
  fuzz::Check(std::string_view(again.data(), length2) == std::string_view(listed.data(), length),
              "the listing compiles to the same code");
  return 0;
}
