// Listing a compiled line and compiling the listing again gives the same code.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/listing.h"
#include "test_support.h"

namespace msc {
namespace {

struct Record {
  ErrNo err = 0;
  std::vector<uint8_t> bytes;  // a whole line record
};

Record CompileRecord(QorMacro& m, const std::string& src) {
  std::vector<char> text(src.begin(), src.end());
  text.push_back('\0');
  std::vector<uint8_t> out(kLineBufferSize);
  uint32_t number = 0;
  int32_t length = 0;
  Record r;
  r.err = CompileLine(text.data(), out.data(), m, false, &number, &length);
  r.bytes.resize(static_cast<size_t>(length) + kRecordOverhead);
  StoreU16(r.bytes.data(), static_cast<uint16_t>(r.bytes.size()));
  StoreU32(r.bytes.data() + 2, number);
  std::copy(out.begin(), out.begin() + length, r.bytes.begin() + kLineHeader);
  return r;
}

// Compiles, lists and compiles the listing; the two records must agree.
// Generated lines may turn out to be mere punctuation, which has no code.
void RoundTrip(QorMacro& m, const std::string& src, bool mayBeEmpty = false) {
  Record first = CompileRecord(m, src);
  ASSERT_EQ(first.err, kOk) << src;
  if (mayBeEmpty && first.bytes.size() == kRecordOverhead) return;
  ASSERT_GT(first.bytes.size(), kRecordOverhead) << src;
  std::vector<char> text(kLineBufferSize);
  uint32_t number = 0;
  ListLine(first.bytes.data(), text.data(), text.size(), &number);
  EXPECT_EQ(number, RecordLineNumber(first.bytes.data()));
  const std::string listed = text.data();
  Record second = CompileRecord(m, listed);
  ASSERT_EQ(second.err, kOk) << src << "\nlisted: " << listed;
  EXPECT_EQ(first.bytes, second.bytes) << src << "\nlisted: " << listed;
}

// Lines written by hand: phrases, comments, quotes, every number form (doubles
// of 15 significant digits list exactly) and odd spacing. Random lines are
// the compile_line fuzz target's.
const char* const kHandLines[] = {
    "x# = 3.25e-5 * 1e300 + .5 - 1.5E+2 + 0.1 + 123456789012345 + 2.5E-300 / 7.0000001",
    "s$ = \"say \"\"hi\"\"\" + Chr$(13) + \"\"",
    "If a& >< b& And c& <= d& Or e& =< f& Xor g& >= h& Or g& => i& Then *DONE Else 200",
    "n& = 17 mod 5: n& = n& MOD 3",
    "Next  i&,j&  ,  k&",
    "On k& Goto 100, 200, 300: Gosub *SUB1, *SUB2",
    "*LOOP.1_A: Sub *ADD(a&, b&)",
    "end select: End Try: End ParallelExecute: End If: End   Sub",
    "Open f$ for output as #2: Open f$ For Append As #3: Line Input #1, l$: Line  x&",
    "Rem   a comment with \"quotes\" and  spaces \t\xe3 ",
    "a& = 1 ' trailing comment",
    "?a&: ??",
    "sc.Value& = sy.Count# + SC.Arr$(1) + sy.v!  (2)",
    "r@ = 5: v! = v!! + 1: s$$ = t$",
    "x& = &H7FFF + &HFFFF + &O17 + &B1011 + &H7FFFFFFF + &H + &h80",
    "x# = 1.23456789012345e-290 + 98765.4321098765 + 3.14159265358979e+200 + .000123456789012345",
    "x# = 40000 + 2147483648 + 70000 + 32768 + -32768 + 255 + 256 + 9 + 10 + 007 + 0.50 + 1.0",
    "Goto 0: Goto 65535: Gosub 70000: Then 70000",
    "Print Tab(5); CR$; CR_LF$; M_PI; INT_MIN; DBL_MAX; True; TAB$; JUDGE_NG; FONTSTYLE_BOLD",
    "          Print              a&            ",
    "Print 1;2;3:Print:Print",
    "a$ = \"unterminated",
    "x& = a&(1, 2) + b#(3) + c$  (4) + (((1)))",
    "Print _ . @ ! $ # % ^ ~ ` [ ] { } | \\ & ;",
    "abs& = tab& + print$: x& = 1:::y& = 2: a& = a&*2/b&-c&",
};

TEST(ListingRoundTrip, HandWrittenLines) {
  test::MacroPtr m = test::NewMacro();
  for (const char* line : kHandLines) {
    RoundTrip(*m, std::string("10 ") + line);
    RoundTrip(*m, line);
  }
}

TEST(ListingRoundTrip, EveryKeywordInAnyCase) {
  test::MacroPtr m = test::NewMacro();
  std::mt19937 rng(7);
  for (const Keyword& k : kKeywords) {
    std::string name = k.name;
    for (char& c : name) c = (rng() & 1) ? static_cast<char>(std::tolower(c)) : static_cast<char>(std::toupper(c));
    RoundTrip(*m, "100 " + name + " a&(1), 2");
    RoundTrip(*m, "100 x& = " + name + "(y#)");
  }
}

}  // namespace
}  // namespace msc
