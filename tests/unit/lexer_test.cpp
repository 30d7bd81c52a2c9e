#include "frontend/lexer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frontend/code.h"
#include "frontend/keywords.h"

namespace msc {
namespace {

// One lexed token with the source position after it and what was printed.
struct Lexed {
  int kind;
  LexToken tok;
  std::string text;    // text of the text kinds
  size_t consumed;     // bytes the lexer moved over
  std::string output;  // console output
};

// Lexes the first token of src from an exact-size heap copy, so that a read
// past the terminating zero is caught by the address sanitizer.
Lexed LexOne(const std::string& src, int labelState = kLabelNone, bool messages = true) {
  auto buf = std::make_unique<char[]>(src.size() + 1);
  std::memcpy(buf.get(), src.c_str(), src.size() + 1);
  char* pos = buf.get();
  Lexed r{};
  testing::internal::CaptureStdout();
  r.kind = Lex(&pos, labelState, messages, r.tok);
  r.output = testing::internal::GetCapturedStdout();
  r.consumed = static_cast<size_t>(pos - buf.get());
  if (r.kind == kind::String || r.kind >= kind::VarFirst)
    r.text.assign(r.tok.text, static_cast<size_t>(r.tok.length));
  return r;
}

// Kinds of every token of a line.
std::vector<int> Kinds(const std::string& src, int labelState = kLabelNone) {
  auto buf = std::make_unique<char[]>(src.size() + 1);
  std::memcpy(buf.get(), src.c_str(), src.size() + 1);
  std::vector<int> kinds;
  testing::internal::CaptureStdout();
  for (char* pos = buf.get(); *pos != '\0';) {
    LexToken t;
    kinds.push_back(Lex(&pos, labelState, true, t));
  }
  testing::internal::GetCapturedStdout();
  return kinds;
}

std::string Msg(const std::string& text) { return "Macro(SC) " + text + "\n"; }

TEST(Lexer, DecimalNumbers) {
  struct Case {
    const char* src;
    int kind;
    double value;
    size_t consumed;
  } cases[] = {
      {"7", kind::Integer, 7, 1},
      {"1.0", kind::Integer, 1, 3},            // zero fraction is an integer
      {"1e3", kind::Integer, 1000, 3},
      {"2147483647", kind::Integer, 2147483647.0, 10},
      {"2147483648", kind::Double, 2147483648.0, 10},
      {".5", kind::Double, 0.5, 2},
      {"1.5E+2x", kind::Integer, 150, 6},
      {"2.5e", kind::Double, 2.5, 3},          // an exponent needs a digit
      {"3e-", kind::Integer, 3, 1},
      {"1.", kind::Integer, 1, 2},
      {"0x10", kind::Integer, 0, 1},           // no C hexadecimal: 0 then the name X10
      {"1p3", kind::Integer, 1, 1},
      {"12.5.5", kind::Double, 12.5, 4},
  };
  for (const Case& c : cases) {
    Lexed r = LexOne(c.src);
    ASSERT_EQ(r.kind, c.kind) << c.src;
    EXPECT_EQ(r.consumed, c.consumed) << c.src;
    EXPECT_EQ(r.kind == kind::Integer ? r.tok.integer : r.tok.dbl, c.value) << c.src;
    EXPECT_EQ(r.output, "");
  }
  EXPECT_EQ(LexOne("0x10&").kind, kind::Integer);
  EXPECT_EQ(Kinds("0x10&"), (std::vector<int>{kind::Integer, kind::IntVar}));
}

TEST(Lexer, BasedNumbersAndRangeErrors) {
  const struct { std::string src; int kind; int32_t value; size_t consumed; } cases[] = {
      {"&HFFFFFFFF", kind::Integer, -1, 10}, {"&hff", kind::Integer, 255, 4},
      {"&O777", kind::Integer, 511, 5},      {"&H7fffffff", kind::Integer, INT32_MAX, 10},
      {"&B1012", kind::Integer, 5, 5},       // stops at the first digit base 2 refuses
      {"&H", kind::Integer, 0, 2},           // a prefix with no digit is 0
      // Signs, blanks and "0x" that strtoul would take are no digits here.
      {"&H-1", kind::Integer, 0, 2}, {"&H 1", kind::Integer, 0, 2}, {"&H0x1F", kind::Integer, 0, 3},
      {"&X", kind::Punct, '&', 1},
  };
  for (const auto& c : cases) {
    Lexed r = LexOne(c.src);
    EXPECT_EQ(r.kind, c.kind) << c.src;
    EXPECT_EQ(r.tok.integer, c.value) << c.src;
    EXPECT_EQ(r.consumed, c.consumed) << c.src;
  }
  for (const std::string& src : {std::string("&H100000000"), std::string("1e999+1"), "&B" + std::string(200, '1')}) {
    Lexed r = LexOne(src);
    EXPECT_EQ(r.kind, kind::Error) << src;
    if (src.size() < 20) {
      EXPECT_EQ(r.output, Msg("Overflow : " + src.substr(0, src.find('+')))) << src;
    }
    EXPECT_EQ(LexOne(src, kLabelNone, false).output, "") << src;
  }
}

TEST(Lexer, NamesAndKeywords) {
  Lexed kw = LexOne("lEfT$(");
  EXPECT_EQ(kw.kind, kind::Keyword);
  EXPECT_EQ(kw.tok.integer, 0xC013);
  EXPECT_EQ(kw.consumed, 5u);
  EXPECT_EQ(LexOne("Xor").kind, kind::Punct);
  EXPECT_EQ(LexOne("Xor").tok.integer, op::Xor);
  EXPECT_EQ(LexOne("tab$").tok.integer, 0xD02A);  // not the constant Tab and a "$"

  Lexed v = LexOne("abs&");  // a suffix makes a keyword an ordinary variable
  EXPECT_EQ(v.kind, kind::IntVar);
  EXPECT_EQ(v.text, "ABS&");

  Lexed bad = LexOne("left");
  EXPECT_EQ(bad.kind, kind::Error);
  EXPECT_EQ(bad.output, Msg("Unrecognized symbol : LEFT"));

  struct Case {
    const char* src;
    int kind;
    const char* text;
  } cases[] = {
      {"a.b_1#", kind::DblVar, "A.B_1#"},  {"s$$=", kind::StrVar, "S$$"},
      {"n&&&", kind::IntVar, "N&&"},       {"x!(", kind::VariantArray, "X!"},
      {"x!!", kind::VariantVar, "X!!"},    {"r@(1)", kind::RefVar, "R@"},
      {"r@@", kind::RefVar, "R@"},         {"a&  (", kind::IntArray, "A&"},
      {"b#(", kind::DblArray, "B#"},       {"c$ (", kind::StrArray, "C$"},
      {"sc.Item&", kind::ScScalar, "SC.ITEM&"}, {"Sc.Tbl$(", kind::ScArray, "SC.TBL$"},
      {"sy.x!", kind::SyScalar, "SY.X!"},  {"SY.Y#  (", kind::SyArray, "SY.Y#"},
      {"sc.x@", kind::RefVar, "SC.X@"},    {"scx&", kind::IntVar, "SCX&"},
  };
  for (const Case& c : cases) {
    Lexed r = LexOne(c.src);
    EXPECT_EQ(r.kind, c.kind) << c.src;
    EXPECT_EQ(r.text, c.text) << c.src;
    EXPECT_EQ(r.consumed, std::strlen(c.text)) << c.src;
  }
  EXPECT_EQ(LexOne("sc.x").output, Msg("Unrecognized symbol : SC.X"));
}

TEST(Lexer, NameLengthLimit) {
  Lexed ok = LexOne(std::string(254, 'a') + "&");
  EXPECT_EQ(ok.kind, kind::IntVar);
  EXPECT_EQ(ok.tok.length, 255);
  Lexed tooLong = LexOne(std::string(254, 'a') + "&&");
  EXPECT_EQ(tooLong.kind, kind::Error);
  EXPECT_EQ(tooLong.output, Msg("Symbol name too long"));

  EXPECT_EQ(LexOne("*" + std::string(254, 'L'), kLabelDefinition).kind, kind::LabelDef);
  Lexed label = LexOne("*" + std::string(255, 'L'), kLabelDefinition);
  EXPECT_EQ(label.kind, kind::Error);
  EXPECT_EQ(label.output, Msg("Label name too long"));
}

TEST(Lexer, UnusableCharacters) {
  for (const char* src : {"\t", "\x80", "\xff", "\x1f", "abc\t", "ab\xe3", "*lbl\t"}) {
    Lexed r = LexOne(src, kLabelDefinition);
    EXPECT_EQ(r.kind, kind::Error) << src;
    EXPECT_EQ(r.output, Msg("Unusable character")) << src;
    EXPECT_EQ(LexOne(src, kLabelDefinition, false).output, "");
  }
  Lexed s = LexOne("\"a\tb\xe3\"");  // anything goes inside a string
  EXPECT_EQ(s.kind, kind::String);
  EXPECT_EQ(s.text, "a\tb\xe3");
}

TEST(Lexer, StringsSpacesAndOperators) {
  Lexed s = LexOne("\"say \"\"hi\"\"\" rest");
  EXPECT_EQ(s.kind, kind::String);
  EXPECT_EQ(s.text, "say \"\"hi\"\"");
  EXPECT_EQ(s.consumed, 12u);
  Lexed open = LexOne("\"no end");
  EXPECT_EQ(open.text, "no end");
  EXPECT_EQ(open.consumed, 7u);
  EXPECT_EQ(open.output, "");
  EXPECT_EQ(LexOne("\"ends\"\"").text, "ends\"\"");

  Lexed sp = LexOne(std::string(20, ' ') + "x");
  EXPECT_EQ(sp.kind, kind::Spaces);
  EXPECT_EQ(sp.tok.length, 9);
  EXPECT_EQ(sp.consumed, 20u);

  const std::pair<const char*, int> ops[] = {{"<>", 0xF1}, {"><", 0xF2}, {"<=", 0xF5}, {"=<", 0xF6},
                                             {">=", 0xF7}, {"=>", 0xF8}, {"<", '<'},   {"==", '='},
                                             {"?", '?'},   {".", '.'},   {"'", -1}};
  for (const auto& [src, byte] : ops) {
    Lexed r = LexOne(src);
    if (byte < 0) {
      EXPECT_EQ(r.kind, kind::Keyword);
      EXPECT_EQ(r.tok.integer, tok::Apostrophe);
      continue;
    }
    EXPECT_EQ(r.kind, kind::Punct) << src;
    EXPECT_EQ(r.tok.integer, byte) << src;
  }
}

}  // namespace
}  // namespace msc
