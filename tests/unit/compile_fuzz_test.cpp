// Arbitrary input never crashes the compiler or makes it write past its buffer,
// and always ends in one of its own results.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/listing.h"
#include "test_support.h"

namespace msc {
namespace {

// Compiles one line from an exact-size copy into an exact-size output buffer,
// so that the sanitizers see any stray byte; checks the result's shape.
void CompileChecked(QorMacro& m, const std::string& src, bool messages) {
  std::vector<char> text(src.begin(), src.end());
  text.push_back('\0');
  std::vector<uint8_t> out(kLineBufferSize);
  uint32_t number = 0;
  int32_t length = -1;
  testing::internal::CaptureStdout();  // failures must print after this ends
  const ErrNo err = CompileLine(text.data(), out.data(), m, messages, &number, &length);
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(err == kOk || err == kErrSyntax || err == kErrOutOfMemory || err == kErrLineBufferOverflow ||
              err == kErrUndefinedVariable || err == kErrDuplicatedVariable)
      << "result " << err;
  ASSERT_GE(length, 0);
  ASSERT_LE(static_cast<size_t>(length), kCompileOutputLimit - 1);
  if (err != kOk || length == 0) return;
  ASSERT_EQ(out[static_cast<size_t>(length)], 0);

  // Store it, list it back, and drop it again.
  if (number != 0) {
    ASSERT_EQ(StoreLine(m, number, out.data(), length), kOk);
    const uint8_t* rec = FindLineRecord(m, number);
    ASSERT_NE(rec, nullptr);
    std::vector<char> listed(kLineBufferSize);
    ListLine(rec, listed.data(), listed.size());
    ASSERT_EQ(DeleteLines(m, number, number), kOk);
  }
}

std::string RandomBytes(std::mt19937& rng, size_t n, bool mostlyText) {
  std::string s(n, ' ');
  for (char& c : s) {
    int b = static_cast<int>(rng() % 255) + 1;  // never the terminating zero
    if (mostlyText && rng() % 16 != 0) b = 0x20 + static_cast<int>(rng() % 0x5F);
    c = static_cast<char>(b);
  }
  return s;
}

// Pieces that lex as real tokens, mostly apart, sometimes glued; now and then
// one that the lexer refuses. Clean soups have neither glue nor refused
// pieces, so that long ones reach the end of the output buffer.
std::string TokenSoup(std::mt19937& rng, size_t targetLength, bool clean) {
  static const char* const kPieces[] = {
      "10", "   ", "Print", "?", "a&", "B#(", "c$", "v!", "r@", "x&&", "SC.A&", "sy.b$(", "*LBL&",
      "Goto", "Gosub", "Then", "Else", "Sub", "End", "Select", "For", "Input", "Line", "Next", ",",
      ":", "Dim", "ReDim", "Option", "Explicit", "Executable", "\"s\"\"t\"", "1.5e3", "&HFFFFFFFF",
      "&B102", "Mod", "<>", "=<", "(", ")", "+", "*", "=", "Left$", "70000", "0", ".5", "&", "@",
  };
  static const char* const kRare[] = {"Rem", "'", "\"open", "1e999", "&H1FFFFFFFF", "\t", "\xe3",
                                      "left", "0x10", "_"};
  std::string s;
  while (s.size() < targetLength) {
    if (!clean && rng() % 300 == 0) s += kRare[rng() % std::size(kRare)];
    else s += kPieces[rng() % std::size(kPieces)];
    if (clean || rng() % 10 != 0) s += ' ';
  }
  return s;
}

// Lines of 60000 bytes and more reach the end of the output buffer, which
// the compile_line fuzz target's shorter inputs never do.
TEST(CompileFuzz, RandomBytesAndTokenSoups) {
  std::mt19937 rng(1);
  test::MacroPtr m = test::NewMacro();
  for (int i = 0; i < 1000; ++i) {
    if (i % 100 == 0) m->explicitFlag = 0;  // "Option Explicit" in a soup lasts until reset
    const size_t n = i % 25 == 0 ? 60000 + rng() % 10001 : rng() % 400;
    const std::string line = i % 2 ? TokenSoup(rng, n, i % 3 == 0) : RandomBytes(rng, n, i % 4 == 0);
    CompileChecked(*m, line, i % 3 != 0);
    if (HasFatalFailure()) break;
  }
}

}  // namespace
}  // namespace msc
