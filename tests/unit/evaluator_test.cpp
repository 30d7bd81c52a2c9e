#include "engine/evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/functions.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "test_support.h"

namespace msc {
namespace {

// One expression and what it must give.
struct Case {
  const char* expr;
  ErrNo err;         // the value is checked only when this is 0
  int32_t type;      // kInteger, kDouble, or kOwnedText for any text type
  double number;
  const char* text;
};
Case Int(const char* e, int32_t v) { return {e, kOk, kInteger, static_cast<double>(v), nullptr}; }
Case Dbl(const char* e, double v) { return {e, kOk, kDouble, v, nullptr}; }
Case Txt(const char* e, const char* t) { return {e, kOk, kOwnedText, 0, t}; }
Case Fail(const char* e, ErrNo err) { return {e, err, kEmpty, 0, nullptr}; }

class Evaluator : public ::testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  std::vector<uint8_t> code = std::vector<uint8_t>(kLineBufferSize);
  ExecFrame frame{macro.get()};

  // Compiles a direct line and puts the frame on the token after its first "=".
  void Load(const std::string& line) {
    std::vector<char> src(line.begin(), line.end());
    src.push_back('\0');
    uint32_t number = 0;
    int32_t length = 0;
    ASSERT_EQ(CompileLine(src.data(), code.data(), *macro, false, &number, &length), kOk) << line;
    const uint8_t* p = code.data();
    while (*p != code::EndOfLine && *p != '=') p += TokenLength(p);
    ASSERT_EQ(*p, '=') << line;
    frame.pos = p + 1;
    frame.tokenStart = frame.pos;
  }

  ErrNo Eval(const std::string& expr, Value& v) {
    Load("X# = " + expr);
    if (HasFatalFailure()) return -1;
    return EvaluateLocked(frame, v);
  }

  void Check(const Case& c) {
    SCOPED_TRACE(c.expr);
    Value v;
    const ErrNo e = Eval(c.expr, v);
    ASSERT_EQ(e, c.err);
    if (e != kOk) {
      EXPECT_EQ(v.type, kEmpty) << "a failed evaluation leaves nothing behind";
      return;
    }
    if (c.text) {
      ASSERT_TRUE(IsTextType(v.type)) << v.type;
      EXPECT_EQ(std::string(v.text, static_cast<size_t>(v.count)), c.text);
    } else if (c.type == kInteger) {
      ASSERT_EQ(v.type, kInteger);
      EXPECT_EQ(v.count, static_cast<int32_t>(c.number));
    } else {
      ASSERT_EQ(v.type, kDouble);
      EXPECT_EQ(v.number, c.number);
    }
  }

  void CheckAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) Check(c);
  }

  uint8_t* CellOf(uint8_t t, const char* name) {
    FindStatus st;
    return macro->variables.FindCell(t, name, std::strlen(name), FindMode::FindOrCreate, &st);
  }

  void SetText(const char* name, const char* text) {
    Value v;
    v.SetBorrowedText(kConstText, text, static_cast<int32_t>(std::strlen(text)));
    ASSERT_EQ(WriteScalar(*macro, CellOf(tag::Str, name), v), kOk);
  }

  void Dim(const char* name, std::vector<uint32_t> extents) {
    ASSERT_EQ(DimensionArray(CellOf(tag::IntArray, name), static_cast<uint32_t>(extents.size()),
                             extents.data()),
              kOk);
  }

  uint8_t Rest() {
    SkipSpaces(frame);
    return *frame.pos;
  }
};

TEST_F(Evaluator, PrecedenceAndAssociativity) {
  CheckAll({
      Int("3 + 4 * 2", 11), Int("(3 + 4) * 2", 14), Int("10 - 2 - 3", 5),
      Int("2 ^ 3 ^ 2", 64),        // power associates to the left too
      Int("-2 ^ 2", -4),           // unary minus takes only the power with it
      Int("2 * -3", -6), Int("- - 3", 3), Int("5 - NOT 0", 6),
      Int("2 * 3 MOD 4", 2),       // MOD binds looser than *
      Int("1 + 7 MOD 4", 4),       // and tighter than +
      Int("1 = 1 AND 2 = 2", -1),  // comparisons bind tighter than AND
      Int("6 OR 1 AND 2", 6),      // AND before OR
      Int("3 XOR 1 OR 2", 0),      // OR before XOR
      Int("NOT 1 = 1", 0),         // NOT takes the whole comparison
      Int("NOT 0", -1), Int("NOT 1", -2),
  });
}

// Arithmetic at the edges of the integer range, NaN and division by zero are
// the decoded-forms test's, whose direct statements take this evaluator;
// here what it leaves out.
TEST_F(Evaluator, RemaindersOverflowsAndNotANumber) {
  CheckAll({
      Int("7 MOD -2", 1), Int("-5.5 MOD 4", -2),  // the sign is the dividend's; 5.5 rounds to 6
      Fail("3E9 MOD 2", kErrOverflow), Fail("1 AND -3E9", kErrOverflow),
      Int("(-8) ^ 0.5 >< 1", -1), Int("(-8) ^ 0.5 <= 1", 0),
  });
  Value v;
  ASSERT_EQ(Eval("(-8) ^ 0.5", v), kOk);
  ASSERT_EQ(v.type, kDouble);
  EXPECT_TRUE(std::isnan(v.number));
  EXPECT_TRUE(IsTrue(v)) << "NaN is true";
  v.SetDouble(-0.0);
  EXPECT_FALSE(IsTrue(v));
}

TEST_F(Evaluator, TheLeftOperandsTypeDecides) {
  CheckAll({
      Int("-\"5\"", -5), Int("NOT \"5\"", -6), Dbl("-\"2.5\"", -2.5),
      Txt("\"A\" + 1", "A1"), Txt("\"A\" + 1.5", "A1.5"),
      Txt("\"ab\" + \"cd\" + \"ef\"", "abcdef"), Int("1 + \"2\"", 3),
      Fail("\"A\" - 1", kErrTypeMismatch), Fail("\"A\" * \"B\"", kErrTypeMismatch),
      // A variant never assigned is empty, on either side.
      Fail("-V!", kErrTypeMismatch), Fail("1 + V!", kErrTypeMismatch),
      Fail("\"A\" + V!", kErrTypeMismatch), Fail("V! + 1", kErrTypeMismatch),
      Int("\"abc\" < \"abd\"", -1), Int("\"ab\" < \"abc\"", -1),
      Int("\"a\" < \"B\"", 0),     // upper case sorts first
      Int("\"12\" = 12", -1), Int("12 = \"12\"", -1),
      Int("\"1.50\" = 1.5", 0),    // the texts 1.50 and 1.5
      Int("1.5 = \"1.50\"", -1), Int("1 < 1.5", -1),
      Int("True = (1 = 1)", 0),    // True is 1, a comparison gives -1
  });
  SetText("HI$", "\xE9");
  Check(Int("HI$ > \"z\"", -1));  // bytes compare as unsigned
}

TEST_F(Evaluator, OperandsOfEveryKind) {
  SetText("S$", "text");
  Dim("A&", {3});
  Value seven;
  seven.SetInteger(7);
  ASSERT_EQ(WriteElementAt(CellOf(tag::IntArray, "A&"), 2, seven), kOk);
  CheckAll({
      Txt("S$ + \"!\"", "text!"),
      Txt("T$", ""),          // an unset string variable is the empty text
      Int("A&(2) * 2", 14),
      Int("A&(1.6) + 1", 8),  // a subscript is rounded
      Int("CR", 13), Int("INT_MIN", INT32_MIN), Dbl("M_PI", 3.141592653589793),
      Txt("CR_LF$", "\r\n"),
      Fail("1 +", kErrSyntax), Fail("(1 + 2", kErrSyntax), Fail(")", kErrSyntax),
      Fail("*2", kErrSyntax),
      Fail("Print", kErrSyntax),  // a statement word is no operand
      Fail("\"abc\" + \"d\" + 1 / 0", kErrDivisionByZero),  // the joined text is freed
  });
}

// Number variables and constants of every width take the quick paths; their
// results must be those of the general arithmetic.
TEST_F(Evaluator, NumberVariablesAndMixedOperands) {
  Value v;
  v.SetInteger(INT32_MAX);
  ASSERT_EQ(WriteScalar(*macro, CellOf(tag::Int, "I&"), v), kOk);
  v.SetInteger(-3);
  ASSERT_EQ(WriteScalar(*macro, CellOf(tag::Int, "J&"), v), kOk);
  v.SetDouble(2.5);
  ASSERT_EQ(WriteScalar(*macro, CellOf(tag::Dbl, "D#"), v), kOk);
  CheckAll({
      Dbl("I& * I&", 4611686014132420609.0), Dbl("J& - I&", -2147483650.0), Int("J& * 200", -600),
      Dbl("J& + 40000", 39997.0),  // 40000 is a double constant
      Dbl("D# * J&", -7.5), Int("J& MOD 2", -1), Int("J& < D#", -1), Int("-J&", 3),
  });
  // The operand at the deepest level allowed is still read; one deeper is refused.
  const std::string deepest = std::string(255, '(') + "J&" + std::string(255, ')');
  Check(Int(deepest.c_str(), -3));
  const std::string deeper = std::string(256, '(') + "J&" + std::string(256, ')');
  Check(Fail(deeper.c_str(), kErrOutOfMemory));
}

TEST_F(Evaluator, StopsOnTheTokenThatEndsIt) {
  const struct { const char* line; uint8_t stop; } cases[] = {
      {"X# = 1 + 2, 5", ','},
      {"X# = (1 + 2) * 3  ) 5", ')'},
      {"X# = 1 + 2 : Y# = 4", ':'},
      {"X# = \"a\" + \"b\"", 0},
      {"X# = Err(1)", '('},  // a function without arguments reads nothing after its word
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Load(c.line);
    Value v;
    ASSERT_EQ(EvaluateLocked(frame, v), kOk);
    EXPECT_EQ(*frame.pos, c.stop) << "the position is on the ending byte itself";
  }
}

TEST_F(Evaluator, DeepNestingIsRefusedNotFatal) {
  const std::string ok = std::string(100, '(') + "1" + std::string(100, ')');
  Check(Int(ok.c_str(), 1));
  const std::string deep = std::string(20000, '(') + "1" + std::string(20000, ')');
  Check(Fail(deep.c_str(), kErrOutOfMemory));
  std::string minus;
  for (int i = 0; i < 20000; ++i) minus += "- ";
  Check(Fail((minus + "1").c_str(), kErrOutOfMemory));
  EXPECT_EQ(frame.evalDepth, 0u) << "every level is given back";
}

TEST_F(Evaluator, CombineValuesClearsTheRightOperand) {
  Value left, right;
  left.SetInteger(2);
  ASSERT_EQ(right.SetOwnedText("40", 2), kOk);
  ASSERT_EQ(CombineValues(kOpAdd, left, right), kOk);
  EXPECT_EQ(left.type, kInteger);
  EXPECT_EQ(left.count, 42);
  EXPECT_EQ(right.type, kEmpty);
  left.Clear();
  ASSERT_EQ(right.SetOwnedText("x", 1), kOk);
  EXPECT_EQ(CombineValues(kOpAdd, left, right), kErrTypeMismatch) << "empty left";
  EXPECT_EQ(right.type, kEmpty);
}

// ---- argument readers ----

using ArgumentReaders = Evaluator;

TEST_F(ArgumentReaders, IntegerAndDouble) {
  const struct { const char* expr; ErrNo err; int32_t integer; } integers[] = {
      {"2.5", kOk, 3}, {"-2.5", kOk, -3}, {"\"12abc\"", kOk, 12}, {"\"&HFF\"", kOk, 255},
      {"3E9", kErrOverflow, 99}, {"V!", kErrTypeMismatch, 99}, {"1/0", kErrDivisionByZero, 99},
  };
  for (const auto& c : integers) {
    SCOPED_TRACE(c.expr);
    Load(std::string("X# = ") + c.expr);
    int32_t out = 99;
    EXPECT_EQ(IntegerArgument(frame, &out), c.err);
    EXPECT_EQ(out, c.integer) << "a failed conversion leaves the destination alone";
  }
  Load("X# = 7 / 2, 1");
  double d = 0;
  ASSERT_EQ(DoubleArgument(frame, &d), kOk);
  EXPECT_EQ(d, 3.5);
  EXPECT_EQ(Rest(), ',');
  Load("X# = \"1e3\"");
  ASSERT_EQ(DoubleArgument(frame, &d), kOk);
  EXPECT_EQ(d, 1000.0);
}

TEST_F(ArgumentReaders, TextHoldsAtMost255BytesAndWideTextIsCut) {
  const std::string x255(255, 'x');
  const struct { std::string expr; ErrNo err; std::string text; } texts[] = {
      {"\"" + x255 + "\"", kOk, x255},
      {"\"" + x255 + "y\"", kErrStringTooLong, "keep"},
      {"\"" + std::string(200, 'x') + "\" + \"" + std::string(56, 'y') + "\"", kErrStringTooLong, "keep"},
      {"12 * 2", kOk, "24"}, {"0.5", kOk, "0.5"}, {"V!", kErrTypeMismatch, "keep"},
  };
  for (const auto& c : texts) {
    char buffer[kTextArgumentSize] = "keep";
    Load("X# = " + c.expr);
    EXPECT_EQ(TextArgument(frame, buffer), c.err) << c.expr.substr(0, 20);
    EXPECT_EQ(std::string(buffer), c.text) << c.expr.substr(0, 20);
  }
  const struct { const char* expr; std::wstring cut, whole; } wides[] = {
      {"\"abcdef\"", L"abc", L"abcdef"}, {"\"ab\"", L"ab", L"ab"}, {"42", L"42", L"42"},
      {"\"wide\" + \"r\"", L"wid", L"wider"},
  };
  for (const auto& c : wides) {
    wchar_t buffer[4];
    std::wstring s = L"old";
    Load(std::string("X# = ") + c.expr);
    ASSERT_EQ(WideTextArgument(frame, buffer, 4), kOk) << c.expr;
    EXPECT_EQ(std::wstring(buffer), c.cut);
    Load(std::string("X# = ") + c.expr);
    ASSERT_EQ(WideStringArgument(frame, &s), kOk);
    EXPECT_EQ(s, c.whole);
  }
  std::wstring s = L"old";
  Load("X# = V!");
  EXPECT_EQ(WideStringArgument(frame, &s), kErrTypeMismatch);
  EXPECT_EQ(s, L"old");
}

TEST_F(ArgumentReaders, VariablesAndElements) {
  Dim("A&", {3, 4});
  uint8_t* cell = nullptr;
  uint32_t offset = 99;
  Load("X# = N&");
  ASSERT_EQ(VariableArgument(frame, &cell, &offset), kOk);
  EXPECT_EQ(cell, CellOf(tag::Int, "N&"));
  EXPECT_EQ(offset, 0u);
  Load("X# = A&(1, 2), 5");
  ASSERT_EQ(VariableArgument(frame, &cell, &offset), kOk);
  EXPECT_EQ(cell, CellOf(tag::IntArray, "A&"));
  EXPECT_EQ(offset, 4u * (1 * 4 + 2) + 12);
  EXPECT_EQ(Rest(), ',');
  Load("X# = 5");
  EXPECT_EQ(VariableArgument(frame, &cell, &offset), kErrSyntax);
}

TEST_F(ArgumentReaders, SubscriptErrors) {
  Dim("A&", {3, 4});
  Dim("L&", {3});
  CheckAll({
      Int("A&(2, 3)", 0), Fail("A&(3, 0)", kErrSubscript), Fail("A&(0, -1)", kErrSubscript),
      Fail("A&(1, 2, 0)", kErrSyntax),  // one subscript too many
      Fail("A&(1)", kErrSyntax),        // too few
      Fail("A&(1, 2", kErrSyntax), Fail("A&(1; 2)", kErrSyntax),
      Fail("L&(5, 1)", kErrSubscript),  // out of range before the surplus is seen
      Fail("L&(1, 1)", kErrSyntax), Fail("U&(0)", kErrUndefinedArray),
      Fail("U&(1 / 0)", kErrUndefinedArray),  // checked before the subscripts
      Fail("L&(1 / 0)", kErrDivisionByZero),
      Fail("L&(\"x\" - 1)", kErrTypeMismatch),
  });
}

TEST_F(ArgumentReaders, SeparatorsAndExpectations) {
  Load("X# = , : ; )");
  EXPECT_EQ(ArgumentSeparator(frame), 1);
  EXPECT_EQ(ArgumentSeparator(frame), 0);
  EXPECT_EQ(Rest(), ';') << "the colon was consumed";
  EXPECT_EQ(ArgumentSeparator(frame), 0);
  EXPECT_EQ(Rest(), ';') << "anything else stays";
  EXPECT_EQ(ExpectChar(frame, ')'), kErrSyntax);
  EXPECT_EQ(ExpectChar(frame, ';'), kOk);
  EXPECT_EQ(ExpectChar(frame, ')'), kOk);
  EXPECT_EQ(ExpectChar(frame, '\0'), kErrSyntax) << "the end of the line is never consumed";
  EXPECT_EQ(*frame.pos, code::EndOfLine);
}

// ---- function table protocol ----

using Functions = Evaluator;

TEST_F(Functions, ArgumentListProtocol) {
  CheckAll({
      Fail("Left$ \"abc\", 1", kErrSyntax),      // arguments need "("
      Fail("Left$(\"abc\")", kErrSyntax),        // too few
      Fail("Left$(\"abc\", 1, 2)", kErrSyntax),  // too many
      Fail("Left$(\"abc\"; 1)", kErrSyntax), Fail("Left$(\"abc\", 1", kErrSyntax),
      Fail("Left$(1 / 0, 1)", kErrDivisionByZero),  // argument errors come first
      Fail("Chr$(3E9)", kErrOverflow),              // integer conversion
      Fail("Asc(V!)", kErrTypeMismatch),            // text conversion rejects empty
      Fail("Sin(V!)", kErrTypeMismatch),            // double conversion
      Txt("Left$(\"abc\", 1)", "a"),
      Fail("Val(V!)", kErrTypeMismatch),            // passed as evaluated, then rejected
      Int("Len(Date$)", 8),                         // no parentheses at all
      Txt("Str2$(1, 2, 3, 4, 5)", "01.000"), Fail("Str2$(1, 2, 3, 4)", kErrSyntax),
  });
}

}  // namespace
}  // namespace msc
