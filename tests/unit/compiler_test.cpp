#include "frontend/compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/code.h"
#include "frontend/keywords.h"
#include "test_support.h"

namespace msc {
namespace {

using Code = std::vector<uint8_t>;

struct Compiled {
  ErrNo err;
  uint32_t line;
  int32_t length;
  Code code;           // the code bytes before the final zero
  std::string output;  // console output
  std::string source;  // the source after compiling (names upper-cased)
};

Compiled Compile(QorMacro& m, const std::string& src, bool messages = true) {
  std::vector<char> text(src.begin(), src.end());
  text.push_back('\0');
  std::vector<uint8_t> out(kLineBufferSize, 0xAA);
  Compiled r{};
  testing::internal::CaptureStdout();
  r.err = CompileLine(text.data(), out.data(), m, messages, &r.line, &r.length);
  r.output = testing::internal::GetCapturedStdout();
  r.code.assign(out.begin(), out.begin() + r.length);
  if (r.length > 0) {
    EXPECT_EQ(out[static_cast<size_t>(r.length)], 0) << "code ends with 0x00";
  }
  r.source = text.data();
  return r;
}

std::string Msg(const std::string& text) { return "Macro(SC) " + text + "\n"; }

// Builds expected code.
struct Expect {
  QorMacro& m;
  Code c;
  Expect& b(std::initializer_list<int> bytes) {
    for (int x : bytes) c.push_back(static_cast<uint8_t>(x));
    return *this;
  }
  Expect& kw(uint16_t code) { return b({code >> 8, code & 0xFF}); }
  Expect& text(int first, const std::string& s) {
    c.push_back(static_cast<uint8_t>(first));
    c.insert(c.end(), s.begin(), s.end());
    c.push_back(0);
    return *this;
  }
  Expect& dbl(double d) {
    c.push_back(code::Double);
    uint8_t x[8];
    StoreF64(x, d);
    c.insert(c.end(), x, x + 8);
    return *this;
  }
  Expect& var(uint8_t t, const std::string& name) {
    FindStatus st;
    // Find or create: the line under test may be compiled before or after this.
    return addr(t, m.variables.FindCell(t, name.data(), name.size(), FindMode::FindOrCreate, &st));
  }
  Expect& addr(uint8_t t, const uint8_t* cell) {
    c.push_back(t);
    uint8_t x[8];
    StorePtr(x, cell);
    c.insert(c.end(), x, x + 8);
    return *this;
  }
};

class CompilerTest : public ::testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
  Expect E() { return Expect{m, {}}; }
  // The code of a line that compiles without error. Compiled before the
  // expectation is built, so that the variables it names exist by then.
  Code Got(const std::string& src) {
    Compiled r = Compile(m, src);
    EXPECT_EQ(r.err, kOk) << src << ": " << r.output;
    return r.code;
  }
};

TEST_F(CompilerTest, NumberForms) {
  Compiled r = Compile(m, "Print 7,200,300,40000,-5,0.5,&HFFFFFFFF,&B10");
  ASSERT_EQ(r.err, kOk);
  EXPECT_EQ(r.code, E().kw(tok::Print).b({1, 0x17, ',', 0x0F, 200, ',', 0x1C, 0x2C, 0x01, ','})
                        .dbl(40000).b({',', '-', 0x15, ','}).dbl(0.5)
                        .b({',', 0x1C, 0xFF, 0xFF, ',', 0x12}).c);
  // A number glued to another ("&B102" is &B10 and 2) would list as one.
  for (const char* glued : {"Print &B102", "Print &O19", "X# = &H1.5", "10&B1"})
    EXPECT_EQ(Compile(m, glued).err, kErrSyntax) << glued;
}

TEST_F(CompilerTest, LineNumbersAndEmptyLines) {
  struct Case {
    const char* src;
    uint32_t line;
  } cases[] = {{"", 0}, {"   ", 0}, {"  120  ", 120}, {"120", 120}, {"120 : ,", 120}, {":", 0}, {" : ;", 0}};
  for (const Case& c : cases) {
    Compiled r = Compile(m, c.src);
    EXPECT_EQ(r.err, kOk) << c.src;
    EXPECT_EQ(r.line, c.line) << c.src;
    EXPECT_EQ(r.length, 0) << c.src;
  }
  Compiled big = Compile(m, "70000 Goto 70000");  // stored whole, referred to by its low 16 bits
  EXPECT_EQ(big.line, 70000u);
  EXPECT_EQ(big.code, E().b({1}).kw(tok::Goto).b({1, 0x0E, 0x70, 0x11}).c);
  // A direct line has no leading space byte; "?" alone is content.
  EXPECT_EQ(Got("   ?"), E().kw(tok::Print).b({1}).c);
}

TEST_F(CompilerTest, KeywordsOperatorsAndLabels) {
  Compiled r = Compile(m, "10 *Start x& = LEFT$(y$, 2) mOd 3 *z& : goto *start, *Other");
  ASSERT_EQ(r.err, kOk) << r.output;
  EXPECT_EQ(r.code, E().b({1}).text(0xEE, "*START").b({1}).var(0xE0, "X&").b({1, '=', 1}).kw(0xC013)
                        .b({'('}).var(0xE2, "Y$").b({',', 1, 0x12, ')', 1, op::Mod, 1, 0x13, 1, '*'})
                        .var(0xE0, "Z&").b({1, ':', 1}).kw(tok::Goto).b({1}).text(0xEF, "*START")
                        .b({',', 1}).text(0xEF, "*OTHER").c);
  EXPECT_EQ(r.source, "10 *START X& = LEFT$(Y$, 2) MOD 3 *Z& : GOTO *START, *OTHER");

  // After "=" an asterisk is the multiplication sign.
  EXPECT_EQ(Got("a& =*b&"), E().var(0xE0, "A&").b({1, '=', '*'}).var(0xE0, "B&").c);
  // A suffix turns a keyword into a variable.
  EXPECT_EQ(Got("abs& = 1"), E().var(0xE0, "ABS&").b({1, '=', 1, 0x11}).c);
  EXPECT_EQ(Got("sc.Item&(1) = sy.x$"),
            E().text(0xD9, "ITEM&").b({'(', 0x11, ')', 1, '=', 1}).text(0xDA, "X$").c);
  // Same letters with other suffixes or as an array are other variables.
  Compile(m, "n& = n&& + n#: n&(1) = N&");
  FindStatus st;
  const uint8_t* cells[] = {m.variables.FindCell(0xE0, "N&", 2, FindMode::FindOnly, &st),
                            m.variables.FindCell(0xE0, "N&&", 3, FindMode::FindOnly, &st),
                            m.variables.FindCell(0xE1, "N#", 2, FindMode::FindOnly, &st),
                            m.variables.FindCell(0xE3, "N&", 2, FindMode::FindOnly, &st)};
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(cells[i], nullptr);
    for (int j = 0; j < i; ++j) EXPECT_NE(cells[i], cells[j]);
  }
}

TEST_F(CompilerTest, LineReferences) {
  EXPECT_EQ(Got("goto 0"), E().kw(tok::Goto).b({1, 0x10}).c);
  EXPECT_EQ(Got("on i& gosub 100,300"),
            E().kw(tok::On).b({1}).var(0xE0, "I&").b({1}).kw(tok::Gosub)
                .b({1, 0x0E, 100, 0, ',', 0x0E, 0x2C, 0x01}).c);
  EXPECT_EQ(Got("if 1 then 20 else 30 + 40"),
            E().kw(tok::If).b({1, 0x11, 1}).kw(tok::Then).b({1, 0x0E, 20, 0, 1}).kw(tok::Else)
                .b({1, 0x0E, 30, 0, 1, '+', 1, 0x0E, 40, 0}).c);
  // A label after "Sub" is a definition; nothing after "End Sub" is.
  EXPECT_EQ(Got("Sub *f(a&)"),
            E().kw(tok::Sub).b({1}).text(0xEE, "*F").b({'('}).var(0xE0, "A&").b({')'}).c);
}

TEST_F(CompilerTest, Phrases) {
  EXPECT_EQ(Got("End Select"), E().kw(tok::EndSelect).c);
  EXPECT_EQ(Got("end    sub"), E().kw(tok::EndSub).c);
  EXPECT_EQ(Got("END TRY:End ParallelExecute"),
            E().kw(tok::EndTry).b({':'}).kw(tok::EndParallelExecute).c);
  EXPECT_EQ(Got("End If"), E().kw(tok::End).b({1}).kw(tok::If).c);
  EXPECT_EQ(Got("End"), E().kw(tok::End).c);
  EXPECT_EQ(Got("open f$ for output as 1"),
            E().kw(tok::Open).b({1}).var(0xE2, "F$").b({1}).kw(tok::ForOutput).b({1}).kw(tok::As)
                .b({1, 0x11}).c);
  EXPECT_EQ(Got("for input: for append"), E().kw(tok::ForInput).b({':', 1}).kw(tok::ForAppend).c);
  EXPECT_EQ(Got("Line Input a$"), E().kw(tok::LineInput).b({1}).var(0xE2, "A$").c);
  EXPECT_EQ(Got("For i& = 1 To 2"),
            E().kw(tok::For).b({1}).var(0xE0, "I&").b({1, '=', 1, 0x11, 1}).kw(tok::To).b({1, 0x12}).c);

  // The look-ahead neither prints nor consumes a word that does not fuse.
  Compiled r = Compile(m, "End foo");
  EXPECT_EQ(r.err, kErrSyntax);
  EXPECT_EQ(r.output, Msg("Unrecognized symbol : FOO"));
}

TEST_F(CompilerTest, NextCommaAndPrintShorthand) {
  Compiled r = Compile(m, "Next I&, J&: Print I&, J&");
  EXPECT_EQ(r.code, E().kw(tok::Next).b({1}).var(0xE0, "I&").kw(tok::NextComma).b({1}).var(0xE0, "J&")
                        .b({':', 1}).kw(tok::Print).b({1}).var(0xE0, "I&").b({',', 1}).var(0xE0, "J&").c);

  // "?" becomes Print and a space, so that its listing reads back the same;
  // spaces written after it stand for that space.
  EXPECT_EQ(Compile(m, "10 ?A&").code, E().b({1}).kw(tok::Print).b({1}).var(0xE0, "A&").c);
  EXPECT_EQ(Compile(m, "10 ?  A&").code, E().b({1}).kw(tok::Print).b({2}).var(0xE0, "A&").c);
}

TEST_F(CompilerTest, CommentsKeepTheirBytes) {
  const std::string rest = "  \"Odd\" , x y\x01\xe3\t ";
  Compiled r = Compile(m, "10 rem" + rest);
  ASSERT_EQ(r.err, kOk);
  Code want = E().b({1}).kw(tok::Rem).c;
  want.insert(want.end(), rest.begin(), rest.end());
  EXPECT_EQ(r.code, want);
  Compiled a = Compile(m, "a&=1' it's");
  Code wantA = E().var(0xE0, "A&").b({'=', 0x11}).kw(tok::Apostrophe).b({' ', 'i', 't', '\'', 's'}).c;
  EXPECT_EQ(a.code, wantA);
}

TEST_F(CompilerTest, LexerErrorsStopTheLine) {
  for (const char* src : {"print\ta&", "a$ = \"ok\" + \xe3", "x& = 1e999", "print foo"}) {
    Compiled on = Compile(m, src);
    EXPECT_EQ(on.err, kErrSyntax) << src;
    EXPECT_EQ(on.length, 0);
    EXPECT_NE(on.output, "");
    Compiled off = Compile(m, src, false);
    EXPECT_EQ(off.err, kErrSyntax);
    EXPECT_EQ(off.output, "");
  }
}

TEST_F(CompilerTest, OptionExplicitAndDim) {
  EXPECT_EQ(Got("Option Explicit"), E().kw(tok::Option).b({1}).kw(tok::Explicit).c);
  EXPECT_EQ(m.explicitFlag, 1u);

  Compiled dim = Compile(m, "Dim A&, B$(3): A& = B$(1)");
  EXPECT_EQ(dim.err, kOk) << dim.output;
  EXPECT_EQ(Compile(m, "A& = 2").err, kOk);

  Compiled dup = Compile(m, "dim a&, b$(2), c#");
  EXPECT_EQ(dup.err, kErrDuplicatedVariable);
  EXPECT_EQ(dup.output, Msg("Duplicated variable : A&") + Msg("Duplicated variable : B$()"));
  EXPECT_EQ(dup.code, E().kw(tok::Dim).b({1}).addr(0xE0, nullptr).b({',', 1}).addr(0xE5, nullptr)
                          .b({'(', 0x12, ')', ',', 1}).var(0xE1, "C#").c);

  Compiled undef = Compile(m, "x& = y&(1) + a&", true);
  EXPECT_EQ(undef.err, kErrUndefinedVariable);
  EXPECT_EQ(undef.output, Msg("Undefined variable : X&") + Msg("Undefined variable : Y&()"));
  // ReDim declares nothing.
  EXPECT_EQ(Compile(m, "ReDim z&(3)").err, kErrUndefinedVariable);

  Compiled quiet = Compile(m, "q& = 1", false);
  EXPECT_EQ(quiet.err, kErrUndefinedVariable);
  EXPECT_EQ(quiet.length, 0);
  EXPECT_EQ(quiet.output, "");
  EXPECT_EQ(Compile(m, "dim c#", false).err, kErrDuplicatedVariable);

  m.executableFlag = 0;
  EXPECT_EQ(Compile(m, "10 option  executable").err, kOk);
  EXPECT_EQ(m.executableFlag, 1u);
}

TEST_F(CompilerTest, OutputLimit) {
  std::string expr = "Print 1";
  while (expr.size() < 70000) expr += "+1";
  Compiled r = Compile(m, expr);
  EXPECT_EQ(r.err, kErrLineBufferOverflow);
  EXPECT_EQ(r.length, 0);
  EXPECT_EQ(r.output, "");

  // A comment fills the line up to the limit, the final zero included.
  Compiled full = Compile(m, "rem " + std::string(65524, 'x'));
  EXPECT_EQ(full.err, kOk);
  EXPECT_EQ(full.length, 65527);
  EXPECT_EQ(Compile(m, "rem " + std::string(65525, 'x')).err, kErrLineBufferOverflow);
  EXPECT_EQ(Compile(m, "a$ = \"" + std::string(70000, '"') + "\"").err, kOk);  // quotes collapse
}

}  // namespace
}  // namespace msc
