// Listing a compiled line and compiling the listing again gives the same code.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
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

// Lines written by hand for the forms the generated lines below rarely meet:
// phrases, comments, quotes, every number form and odd spacing.
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

// Random lines of tokens. Only punctuation is ever glued to its neighbours:
// a listing respells numbers ("&B1" as "1") and "?" (as "Print" and a space),
// which would read differently glued to a following digit or space.
class SoupMaker {
 public:
  explicit SoupMaker(uint32_t seed) : rng_(seed) {}

  std::string Line(int tokens) {
    std::string s = std::to_string(Pick(1, 60000)) + " ";
    bool prevPunct = true;
    for (int i = 0; i < tokens; ++i) {
      std::string t;
      bool punct = false;
      switch (Pick(0, 9)) {
        case 0: t = Keyword(); break;
        case 1: t = Integer(); break;
        case 2: t = Double(); break;
        case 3: t = String(); break;
        case 4: case 5: t = Variable(); break;
        case 6: t = "*L" + std::to_string(Pick(0, 20)) + "&"; break;  // label, or product
        case 7: t = std::string(1, "()+-*/=<>,;:#$!@%^[]{}|~"[Pick(0, 23)]); punct = true; break;
        case 8: t = Pick(0, 1) ? "<>" : ">="; punct = true; break;
        default: t = "?"; punct = true; break;
      }
      // Words and numbers are always kept apart, and from "?" (a keyword
      // glued to the "Print" of its listing would read as one name); a space
      // never follows "?".
      const bool apart = !prevPunct && (!punct || t == "?");
      if (s.back() != '?' && (apart || Pick(0, 2) == 0))
        s += std::string(Pick(0, 5) == 0 ? Pick(10, 14) : Pick(1, 3), ' ');
      s += t;
      prevPunct = punct;
    }
    if (Pick(0, 5) == 0) s += std::string(s.back() == '?' ? ":" : "") + (Pick(0, 1) ? " ' tail \"x" : " Rem  tail");
    return s;
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string Keyword() {
    for (;;) {
      const msc::Keyword& k = kKeywords[static_cast<size_t>(Pick(0, static_cast<int>(kKeywordCount) - 1))];
      // No comments mid-line, and no options that would change later lines.
      if (k.code == tok::Rem || k.code == tok::Option) continue;
      return k.name;
    }
  }
  std::string Integer() {
    char buf[32];
    switch (Pick(0, 6)) {
      case 0: return std::to_string(Pick(0, 9));
      case 1: return std::to_string(Pick(10, 255));
      case 2: return std::to_string(Pick(256, 32767));
      case 3: return std::to_string(Pick(32768, 2147483647));
      case 4: std::snprintf(buf, sizeof buf, "&H%X", static_cast<unsigned>(Pick(0, 0x7FFFFFFF))); return buf;
      case 5: std::snprintf(buf, sizeof buf, "&o%o", static_cast<unsigned>(Pick(0, 70000))); return buf;
      default: {
        std::string b = "&B1";
        for (int n = Pick(0, 20); n > 0; --n) b += static_cast<char>('0' + Pick(0, 1));
        return b;
      }
    }
  }
  std::string Double() {
    char buf[64];
    const int digits = Pick(1, 15);
    std::string mant = std::to_string(Pick(1, 9));
    for (int i = 1; i < digits; ++i) mant += static_cast<char>('0' + Pick(0, 9));
    const int point = Pick(0, digits);
    mant.insert(static_cast<size_t>(point), ".");
    if (Pick(0, 1)) std::snprintf(buf, sizeof buf, "%se%d", mant.c_str(), Pick(-290, 290));
    else std::snprintf(buf, sizeof buf, "%s", mant.c_str());
    return buf;
  }
  std::string String() {
    std::string s = "\"";
    for (int n = Pick(0, 12); n > 0; --n) {
      const int c = Pick(0, 10) == 0 ? Pick(0x80, 0xFF) : Pick(0x20, 0x7E);
      s += c == '"' ? std::string("\"\"") : std::string(1, static_cast<char>(c));
    }
    return s + "\"";
  }
  std::string Variable() {
    static const char* const kSuffixes[] = {"&", "#", "$", "!", "@", "&&", "##", "$$", "!!"};
    std::string name = std::string(1, static_cast<char>("abcxyzABCXYZ"[Pick(0, 11)])) + std::to_string(Pick(0, 30));
    if (Pick(0, 8) == 0) name = (Pick(0, 1) ? "sc." : "SY.") + name;
    name += kSuffixes[Pick(0, 8)];
    if (Pick(0, 3) == 0) name += "(" + std::to_string(Pick(0, 3)) + ")";
    return name;
  }

  std::mt19937 rng_;
};

TEST(ListingRoundTrip, GeneratedLines) {
  test::MacroPtr m = test::NewMacro();
  SoupMaker soup(20240521);
  for (int i = 0; i < 500; ++i) RoundTrip(*m, soup.Line(1 + i % 40), true);
}

}  // namespace
}  // namespace msc
