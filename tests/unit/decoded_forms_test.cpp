// The decoded statements and expressions against the general path. Every
// case runs with the forms, on its first visit and on a later one, and again
// where no form is used: as a direct statement (nothing of it is decoded) or
// traced (statements run the general way). All must agree: in numbers at the
// edges of the integer range, in errors and where they are reported, in
// jumps after the program is edited, and in what tracing and stepping print.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "test_support.h"

namespace msc {
namespace {

using Outcomes = std::vector<std::string>;

class DecodedFormsTest : public testing::Test {
 protected:
  void SetUp() override { m.reportMode = 0; }

  void Program(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_EQ(DirectExecute(m, line), kOk) << line;
  }
  ErrNo Direct(const std::string& line) { return DirectExecute(m, line.c_str()); }

  // A number variable (a variant too) as "int:N" or "dbl:X".
  std::string Number(uint8_t tag, const char* name) {
    uint8_t* cell = test::FindVar(m, tag, name);
    Value v;
    if (cell == nullptr || ReadScalar(m, cell, v) != kOk) return "?";
    char text[48];
    if (v.type == kInteger) {
      std::snprintf(text, sizeof text, "int:%d", v.count);
    } else if (v.type == kDouble) {
      std::snprintf(text, sizeof text, "dbl:%.17g", v.number);
    } else {
      return "?";
    }
    return text;
  }
  std::string Ints(std::initializer_list<const char*> names) {
    std::string s;
    for (const char* name : names) {
      s += std::string(s.empty() ? "" : ",") + name + std::to_string(test::IntVar(m, name));
    }
    return s;
  }

  // Runs label with the forms twice, then traced; with a direct statement,
  // runs that too. Each outcome is "err:N" (and the line reported for a
  // program run) or what read() shows after reset and the run.
  template <class Read>
  Outcomes Runs(const char* label, const std::string& reset, Read read, const std::string& direct = "") {
    Outcomes out;
    for (int run = 0; run < (direct.empty() ? 3 : 4); ++run) {
      m.reportMode = run == 2 ? kReportTrace : 0;
      UpdateWatched(m);
      EXPECT_EQ(Direct(reset), kOk) << reset;
      m.lastErrorLine = 0;
      ErrNo e = kOk;
      (void)test::Captured([&] { e = run < 3 ? RunLabel(m, label) : Direct(direct); });
      if (e == kOk) {
        out.push_back(read());
      } else {
        out.push_back("err:" + std::to_string(e) + (run < 3 ? " in " + std::to_string(m.lastErrorLine) : ""));
      }
    }
    m.reportMode = 0;
    UpdateWatched(m);
    return out;
  }

  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
};

constexpr char kSetup[] =
    "M& = 2147483647 : N& = -2147483647 - 1 : Z& = 0 : H# = 2.5 : INF# = 1E308 * 10 : NAN# = INF# - INF#";

// Each expression as the value of line 20 and as a direct statement; the
// direct one never uses a decoded expression.
TEST_F(DecodedFormsTest, NumbersAtTheEdgesMatchTheGeneralEvaluator) {
  Program({"10 *E", "30 Return", "Dim A&(3)", "Dim D#(3)", "Dim B&(2, 2)"});
  const struct { const char* expr; const char* result; } cases[] = {
      {"M& + 1", "dbl:2147483648"}, {"N& - 1", "dbl:-2147483649"}, {"M& * 2", "dbl:4294967294"},
      {"-N&", "int:-2147483648"}, {"N& / -1", "dbl:2147483648"}, {"N& MOD -1", "int:0"},
      {"-7 MOD 3", "int:-1"}, {"7 / 2", "dbl:3.5"}, {"6 / 2", "int:3"}, {"5 / H#", "dbl:2"},
      {"2.5 MOD 2", "int:1"}, {"-2.5 MOD 2", "int:-1"}, {"NOT H#", "int:-4"}, {"NOT -H#", "int:2"},
      {"2 ^ 10", "int:1024"}, {"4 ^ 0.5", "int:2"}, {"2 ^ 31", "dbl:2147483648"},
      {"(-2) ^ 31", "int:-2147483648"}, {"2 ^ -1", "dbl:0.5"}, {"-2 ^ 2", "int:-4"},
      {"(-H#) ^ 2", "dbl:6.25"}, {"1.1 ^ 2 = 1.1 * 1.1", "int:-1"}, {"NAN# ^ 2 = NAN# ^ 2", "int:0"},
      {"-INF# ^ 2 < -M&", "int:-1"}, {"46341 ^ 2", "dbl:2147488281"},
      {"3 > 2", "int:-1"}, {"2.5 <= 2", "int:0"}, {"M& + 1 > M&", "int:-1"}, {"1 + 2 * 3 = 7", "int:-1"},
      {"NAN# = NAN#", "int:0"}, {"NAN# <> NAN#", "int:-1"}, {"NAN# < 1", "int:0"}, {"NAN# >= NAN#", "int:0"},
      {"INF# > M&", "int:-1"}, {"5 XOR 3 OR 8 AND 12", "int:14"}, {"H# OR 0", "int:3"},
      {"A&(1.5) + A&(H#)", "int:50"}, {"A&(-0.5)", "err:9"}, {"A&(4)", "err:9"}, {"D#(H# - 0.5) * 4", "dbl:1"},
      {"U&(1)", "err:18"}, {"B&(1)", "err:2"}, {"1 / Z&", "err:11"}, {"H# / Z&", "err:11"},
      {"5 MOD Z&", "err:11"}, {"1 MOD 0.4", "err:11"}, {"NOT 3E9", "err:6"}, {"M& + 1 AND 1", "err:6"},
      {"Int(-H#)", "int:-3"}, {"Fix(-H#)", "int:-2"}, {"Abs(N&)", "int:-2147483648"}, {"Sqr(-1)", "err:5"},
      {"Sqr(16) + Abs(-M&)", "dbl:2147483651"}, {"((((1 + 2) * 3) - 4) / 5) ^ 2", "int:1"},
      {"INT_MAX + 1", "dbl:2147483648"}, {"-INT_MIN", "int:-2147483648"}, {"INT_MIN MOD -1", "int:0"},
      {"(M_PI > 3.14) + CR", "int:12"}, {"M& - -1", "dbl:2147483648"}, {"N& + -1", "dbl:-2147483649"},
      {"N& - INT_MIN", "int:0"}, {"N& MOD 7", "int:-2"}, {"M& MOD -1", "int:0"}, {"N& < M&", "int:-1"},
      {"M& <= N&", "int:0"}, {"N& <> 3", "int:-1"}, {"M& >= M&", "int:-1"},
      // Chains of + - * / with constants and variables.
      {"M& - 1 + 2", "dbl:2147483648"}, {"M& + 1 - 2", "dbl:2147483646"}, {"Z& * -5 + 0", "int:0"},
      {"7 / 2 * 2 - 7", "dbl:0"}, {"6 / 2 * M& / 3", "dbl:2147483647"}, {"H# * 2 / Z&", "err:11"},
      {"N& / 2 * 2 - N&", "int:0"}, {"M& * M& / M& - M&", "dbl:0"}, {"H# + NAN# - 1 = 0", "int:0"},
      {"1E9 * 3 / 3 + N&", "dbl:-1147483648"}, {"Z& - 3 * 2", "int:-6"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Direct(std::string("20 V! = ") + c.expr), kOk) << c.expr;
    const std::string reset = std::string(kSetup) + " : A&(1) = 10 : A&(2) = 20 : A&(3) = 30 : D#(2) = 0.25 : V! = 0";
    const std::string program = c.result[0] == 'e' ? std::string(c.result) + " in 20" : c.result;
    EXPECT_EQ(Runs("*E", reset, [&] { return Number(tag::Variant, "V!"); }, std::string("V! = ") + c.expr),
              (Outcomes{program, program, program, c.result}))
        << c.expr;
  }
  // Past the bounds of a decoded expression (steps, stack, nesting) the
  // general evaluator computes it alone.
  std::string flat = "1", right = "1", nested = "Z&";
  for (int i = 0; i < 70; ++i) flat += " + 1";
  for (int i = 0; i < 20; ++i) right = "1 + (" + right + ")";
  for (int i = 0; i < 40; ++i) nested = "(" + nested + " - 1)";
  for (const auto& [expr, result] : {std::pair{flat, "int:71"}, {right, "int:21"}, {nested, "int:-40"}}) {
    ASSERT_EQ(Direct("20 V! = " + expr), kOk);
    EXPECT_EQ(Runs("*E", kSetup, [&] { return Number(tag::Variant, "V!"); }, "V! = " + expr), Outcomes(4, result));
  }
}

// A double stored in an integer variable, an element or a loop variable:
// halves round away from zero, and a number outside the range is error 6.
TEST_F(DecodedFormsTest, IntegersStoredFromDoublesRoundOrOverflow) {
  Program({"10 *E", "20 R& = 0", "30 Return", "Dim A&(3)"});
  const struct { const char* value; const char* result; } cases[] = {
      {"H#", "int:3"}, {"-H#", "int:-3"}, {"1.4999", "int:1"}, {"M& - 0.5", "int:2147483647"},
      {"N& + 0.5", "int:-2147483648"},
      {"M& + 0.4", "err:6"}, {"N& - 0.4", "err:6"}, {"M& + 1", "err:6"}, {"INF#", "err:6"}, {"NAN#", "err:6"},
  };
  for (const auto& c : cases) {
    const std::string program = c.result[0] == 'e' ? std::string(c.result) + " in 20" : c.result;
    const std::string reset = std::string(kSetup) + " : R& = 99 : A&(1) = 99";
    const auto read = [&] { return Number(tag::Int, "R&"); };
    const std::string value = c.value;
    for (const std::string& statement : {"R& = " + value, "For R& = " + value + " To -1E10 : Next"}) {
      ASSERT_EQ(Direct("20 " + statement), kOk);
      EXPECT_EQ(Runs("*E", reset, read, statement), (Outcomes{program, program, program, c.result})) << statement;
    }
    // The subscript 0.5 is element 1.
    ASSERT_EQ(Direct("20 A&(0.5) = " + value), kOk);
    const auto element = [&] {
      Value v;
      uint8_t* cell = test::FindVar(m, tag::IntArray, "A&");
      return cell != nullptr && ReadElementAt(cell, 1, v) == kOk ? "int:" + std::to_string(v.count) : "?";
    };
    EXPECT_EQ(Runs("*E", reset, element, "A&(0.5) = " + value), (Outcomes{program, program, program, c.result}))
        << value;
  }
}

// A trapped error names the statement it happened in; an untrapped one is
// reported with its line. Both the same on every run.
TEST_F(DecodedFormsTest, ErrorsInDecodedStatementsReportNumberLineAndStatement) {
  Program({"10 *T : Try : Gosub *S : Catch : E& = Errno : C$ = Errcmnd$ : End Try : Return", "Dim A&(3)",
           "Dim D#(3)"});
  const struct { const char* statement; ErrNo number; const char* word; } cases[] = {
      {"R& = 1 / Z&", 11, ""}, {"R& = M& + 1", 6, ""}, {"A&(4) = 1", 9, ""}, {"A&(1) = 1E10", 6, ""},
      {"U&(1) = 1", 18, ""}, {"R# = U&(1)", 18, ""}, {"D#(Z& - 1) = 0", 9, ""},
      {"If 1 / Z& Then R& = 1", 11, "If"}, {"If A&(9) Goto *S", 9, "If"},
      {"For I& = 1 To 1 / Z& : Next", 11, "For"}, {"For I& = 1E10 To 2 : Next", 6, "For"},
      {"W& = 1 : For I& = 1 To 10 / W& : W& = 0 : Next", 11, "Next"},
      {"For I& = 1 To 2 : Next J&", 1, "Next"}, {"For I& = M& - 1 To M& : Next I&", 6, "Next"},
      {"Goto *NOWHERE", 32, "Goto"}, {"If 1 Then *NOWHERE", 32, ""}, {"Gosub 9999", 8, "Gosub"},
      {"Select 1 / Z& : Case 1 : End Select", 11, "Select"}, {"Case 1", 121, "Case"},
      {"Gosub *S", 103, "Gosub"},  // the control stack fills up
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Direct(std::string("100 *S : ") + c.statement + " : Return"), kOk) << c.statement;
    const std::string trapped = std::to_string(c.number) + " " + c.word;
    const auto read = [&] { return std::to_string(test::IntVar(m, "E&")) + " " + test::TextVar(m, tag::Str, "C$"); };
    EXPECT_EQ(Runs("*T", std::string(kSetup) + " : E& = 0 : C$ = \"-\"", read), Outcomes(3, trapped)) << c.statement;
    const std::string untrapped = "err:" + std::to_string(c.number) + " in 100";
    EXPECT_EQ(Runs("*S", kSetup, read), Outcomes(3, untrapped)) << c.statement;
  }
  // A Return reached by a jump from a direct statement has no Gosub to go to.
  ASSERT_EQ(Direct("100 *S : Return"), kOk);
  for (int run = 0; run < 2; ++run) {
    m.lastErrorLine = 0;
    EXPECT_EQ(Direct("Goto 100"), kErrReturnWithoutGosub);
    EXPECT_EQ(m.lastErrorLine, 100u);
    EXPECT_EQ(m.trappedErrorStatement, tok::Return);
  }
}

// Jump targets are resolved when a statement is decoded; every edit, also
// one that leaves every line where it was, must send the next run to the
// lines the program has now.
TEST_F(DecodedFormsTest, EditsDropDecodedTargetsAndExpressions) {
  Program({"10 *M : Gosub *S : Goto *L", "20 R& = 0 : Return", "30 *L : R& = 1 : Return", "40 *S : S& = 1 : Return"});
  const auto run = [&] {
    m.lastErrorLine = 0;
    const ErrNo e = RunLabel(m, "*M");
    return std::to_string(e) + " " + test::TextVar(m, tag::Int, "R&") + " " + test::TextVar(m, tag::Int, "S&");
  };
  EXPECT_EQ(run(), "0 1 1");
  Program({"30 *L : R& = 2 : Return", "40 *S : S& = 2 : Return"});  // same lengths: nothing moves
  EXPECT_EQ(run(), "0 2 2");
  Program({"25 *L : R& = 3 : Return", "5 *S : S& = 3 : Return"});  // the same labels on earlier lines
  EXPECT_EQ(run(), "0 3 3");
  Program({"25", "30", "R& = 0"});
  EXPECT_EQ(run(), "32 0 3");
  EXPECT_EQ(m.lastErrorLine, 10u);
  Program({"10 *M : Gosub 40 : Goto 30"});
  EXPECT_EQ(run(), "8 0 2");
  Program({"30 R& = 4 : Return"});
  EXPECT_EQ(run(), "0 4 2");
  Program({"40 S& = 5 : If S& Then 45 Else Return", "45 S& = S& + 10 : Return"});
  EXPECT_EQ(run(), "0 4 15");
  Program({"40 S& = 0 : If S& Then 45 Else Return"});
  EXPECT_EQ(run(), "0 4 0");
  Program({"40 S& = 6 : If S& Then 45 Else Return", "45"});
  EXPECT_EQ(run(), "8 4 6");

  // Arrays are looked at on every run: erased, made smaller or given a
  // second dimension, an element statement fails as the general one does.
  Program({"50 *A : A&(3) = 7 : R& = A&(3) : Return", "Dim A&(3)"});
  EXPECT_EQ(RunLabel(m, "*A"), kOk);
  EXPECT_EQ(test::IntVar(m, "R&"), 7);
  Program({"Erase A&()"});
  EXPECT_EQ(RunLabel(m, "*A"), kErrUndefinedArray);
  Program({"Dim A&(2)"});
  EXPECT_EQ(RunLabel(m, "*A"), kErrSubscript);
  Program({"Dim A&(3, 3)"});
  EXPECT_EQ(RunLabel(m, "*A"), Direct("A&(3) = 7"));
}

// One-line Ifs in every shape, for a false, a true, a true double and a NaN
// condition (NaN counts as true); the block If on one line takes the
// general path and must still work.
TEST_F(DecodedFormsTest, OneLineIfFormsTakeTheBranchesOfTheGeneralIf) {
  Program({"10 *E", "30 Return", "40 *G : T& = T& + 7 : Return", "50 *S : S& = S& + 1 : Return"});
  const struct { const char* line; const char* results[4]; } cases[] = {
      {"If C# Then R& = 1 : S& = 1 Else R& = 2 : S& = 2",
       {"R&0,S&0,T&0", "R&1,S&1,T&0", "R&1,S&1,T&0", "R&1,S&1,T&0"}},
      {"If C# Then R& = 1", {"R&0,S&0,T&0", "R&1,S&0,T&0", "R&1,S&0,T&0", "R&1,S&0,T&0"}},
      {"If C# Goto *G", {"R&0,S&0,T&0", "R&0,S&0,T&7", "R&0,S&0,T&7", "R&0,S&0,T&7"}},
      {"If C# Then Goto *G Else R& = 3", {"R&3,S&0,T&0", "R&0,S&0,T&7", "R&0,S&0,T&7", "R&0,S&0,T&7"}},
      {"If C# Then 40 Else R& = 6 : T& = 1", {"R&6,S&0,T&1", "R&0,S&0,T&7", "R&0,S&0,T&7", "R&0,S&0,T&7"}},
      {"If C# Then Gosub *S : R& = 4 Else R& = 5", {"R&0,S&0,T&0", "R&4,S&1,T&0", "R&4,S&1,T&0", "R&4,S&1,T&0"}},
      {"If C# Then Gosub *S Else R& = 5", {"R&5,S&0,T&0", "R&0,S&1,T&0", "R&0,S&1,T&0", "R&0,S&1,T&0"}},
      {"If C# Then R& = 1 Else S& = 1 : T& = 1", {"R&0,S&1,T&1", "R&1,S&0,T&0", "R&1,S&0,T&0", "R&1,S&0,T&0"}},
      {"If C# Gosub *S : R& = 4 Else R& = 5", {"R&0,S&0,T&0", "R&4,S&1,T&0", "R&4,S&1,T&0", "R&4,S&1,T&0"}},
      {"If C# Then R& = 1 : R& = R& + 1 Else R& = 5", {"R&0,S&0,T&0", "R&2,S&0,T&0", "R&2,S&0,T&0", "R&2,S&0,T&0"}},
      {"If C# Then If R& Then S& = 1 Else S& = 2", {"R&0,S&2,T&0", "R&0,S&2,T&0", "R&0,S&2,T&0", "R&0,S&2,T&0"}},
      {"If C# = 0 Then R& = 1 Else If C# > 0 Then S& = 1 Else T& = 1",
       {"R&1,S&0,T&0", "R&0,S&1,T&0", "R&0,S&0,T&1", "R&0,S&0,T&1"}},
      {"If C# Then For I& = 1 To 3 : S& = S& + I& : Next I& : R& = 1 Else R& = 2",
       {"R&0,S&0,T&0", "R&1,S&6,T&0", "R&1,S&6,T&0", "R&1,S&6,T&0"}},
      {"If C# Then : R& = 1 : Else : R& = 2 : EndIf : S& = 3",
       {"R&2,S&3,T&0", "R&1,S&3,T&0", "R&1,S&3,T&0", "R&1,S&3,T&0"}},
  };
  const char* conditions[] = {"0", "1", "-0.5", "NAN#"};
  for (const auto& c : cases) {
    ASSERT_EQ(Direct(std::string("20 ") + c.line), kOk) << c.line;
    for (int i = 0; i < 4; ++i) {
      const std::string reset = std::string(kSetup) + " : R& = 0 : S& = 0 : T& = 0 : C# = " + conditions[i];
      EXPECT_EQ(Runs("*E", reset, [&] { return Ints({"R&", "S&", "T&"}); }), Outcomes(3, c.results[i]))
          << c.line << " with " << conditions[i];
    }
  }
}

// Each comparison of an integer variable with a constant and with another,
// below, at and above it: the If takes the general If's branch.
TEST_F(DecodedFormsTest, IntegerComparisonsInOneLineIfsHoldAsInTheGeneralIf) {
  Program({"10 *E", "30 Return"});
  const struct { const char* test; bool below, at, above; } tests[] = {
      {"<", true, false, false}, {">", false, false, true},  {"=", false, true, false},
      {"<>", true, false, true}, {"<=", true, true, false}, {">=", false, true, true},
  };
  for (const auto& t : tests) {
    for (const char* right : {"4", "N&"}) {
      ASSERT_EQ(Direct(std::string("20 If M& ") + t.test + " " + right + " Then R& = 1 Else R& = 2"), kOk);
      const bool holds[] = {t.below, t.at, t.above};
      for (int m3 = 0; m3 < 3; ++m3) {
        const std::string reset = "N& = 4 : R& = 0 : M& = " + std::to_string(3 + m3);
        EXPECT_EQ(Runs("*E", reset, [&] { return Ints({"R&"}); }), Outcomes(3, holds[m3] ? "R&1" : "R&2"))
            << "M& " << t.test << " " << right << " with M& = " << 3 + m3;
      }
    }
  }
}

// For and Next: double starts and limits, limits and steps changed by the
// body, leaving early, loops over a double variable or an element (the
// general path), a limit no form computes, and comments in the body. Plain
// counted and nested loops are the random programs' below.
TEST_F(DecodedFormsTest, ForNextFormsStepAndEndLikeTheGeneralLoop) {
  Program({"Dim A&(3)", "Dim F&(3)",
           "130 *F4 : For I& = 1.5 To 3 : S& = S& * 10 + I& : Next : Return",
           "140 *F5 : For I& = -1.5 To 0 : S& = S& * 10 + I& : Next : Return",
           "150 *F6 : For I& = 3 To -1.5 Step -2 : S& = S& * 10 + I& : Next : Return",
           "160 *F7 : N& = 3 : For I& = 1 To N& : N& = 5 : S& = S& * 10 + I& : Next : Return",
           "170 *F8 : T& = 1 : For I& = 1 To 9 Step T& : T& = 3 : S& = S& * 10 + I& : Next : Return",
           "180 *F9 : For I& = 1 To 3 Step 0 : N& = N& + 1 : If N& = 4 Then Exit For",
           "181 Next : Return",
           "210 *F12 : For I& = 1 To 9 : If I& = 4 Then Exit For",
           "211 S& = S& * 10 + I& : Next : Return",
           "220 *F13 : For I& = 1 To 5 : Exit For : N& = 9 : Next I& : N& = N& + 1 : Return",
           "230 *F14 : F&(1) = 1 : F&(3) = 1 : For I& = 0 To 3",
           "231 If F&(I&) = 1 Then For J& = 1 To 3 : S& = S& * 10 + J& : Next J& : N& = N& + 1",
           "232 Next I& : Return",
           "240 *F15 : For I& = 1 To 2 : Goto *F15N",
           "241 *F15B : For I& = 5 To 6",
           "242 *F15N : S& = S& * 10 + I& : Next I& : If I& < 5 Then Goto *F15B",
           "243 Return",
           "260 *F17 : For I& = 2147483646 To 2147483647 : N& = N& + 1 : Next : Return",
           "270 *F18 : For D# = 0.5 To 2 Step 0.5 : N& = N& + 1 : Next : I& = D# * 10 : Return",
           "280 *F19 : For A&(1) = 1 To 3 : S& = S& * 10 + A&(1) : Next A&(1) : I& = A&(1) : Return",
           "290 *F20 : For I& = 1 To 2 : For J& = 1 To 2 : Next I& : Return",
           "300 *F21 : T$ = \"abc\" : For I& = 1 To Len(T$) : N& = N& + 1 : Next : Return",
           "310 *F22 : For I& = 1 To 2 : N& = N& + 1 : Rem N& = 9 : N& = 9", "311 ' Next", "312 Next : Return",
           "330 *F24 : L# = 2.5 : For I& = 1 To L# : L# = 4 : S& = S& * 10 + I& : Next : Return",
           "340 *F25 : L& = 1 : For I& = 6 To L& Step -2 : S& = S& * 10 + I& : L& = 3 : Next : Return",
           "350 *F26 : For I& = 3 To 3 : N& = N& + 1 : Next : N& = N& * 10 : Return",
           "360 *F27 : For I& = -2147483647 To -2147483648 Step -1 : N& = N& + 1 : Next : Return",
           "370 *F28 : P& = -1 : For I& = 3 To 0 Step P&", "371 S& = S& * 10 + I& : Next I& : Return",
           "380 *F29 : P& = 1 : For I& = 1 To 9 Step P&", "381 S& = S& * 10 + I& : P& = P& + 1 : Next I& : Return",
           "390 *F30 : P& = 2 : For I& = 1 To 6 Step P&", "391 S& = S& * 10 + I& : P& = -P& : N& = N& + 1",
           "392 Next I& : Return",
           "400 *F31 : P& = 2147483647 : For I& = 1 To 9 Step P&", "401 N& = N& + 1 : Next I& : Return",
           "410 *F32 : P& = -2 : For I& = 8 To 1 Step P& : S& = S& * 10 + I& : Next : Return",
           "420 *F33 : For I& = 0 To 5 : A&(I&) = I& : Next : Return",
           "430 *F34 : For I& = 1 To 1000 : Next : N& = I& : For I& = 1 To 3 : A&(I&) = 7 : Next : Return",
           "440 *F35 : For I& = 0 To 5", "441 A&(I&) = I&", "442 Next : Return",
           "450 *F36 : For I& = 1 To 100", "451 Next I& : N& = I& : For I& = 1 To 3", "452 S& = S& + I&",
           "453 Next : Return"});
  const struct { const char* label; const char* result; } cases[] = {
      {"*F4", "S&23,I&4,N&0"}, {"*F5", "S&-210,I&1,N&0"}, {"*F6", "S&309,I&-3,N&0"},
      {"*F7", "S&12345,I&6,N&5"}, {"*F8", "S&147,I&10,N&0"}, {"*F9", "S&0,I&1,N&4"},
      {"*F12", "S&123,I&4,N&0"}, {"*F13", "S&0,I&1,N&1"}, {"*F14", "S&123123,I&4,N&2"},
      {"*F15", "S&1256,I&7,N&0"}, {"*F17", "err:6 in 260"}, {"*F18", "S&0,I&25,N&4"},
      {"*F19", "S&123,I&4,N&0"}, {"*F20", "err:1 in 290"}, {"*F21", "S&0,I&4,N&3"},
      {"*F22", "S&0,I&3,N&2"}, {"*F24", "S&1234,I&5,N&0"}, {"*F25", "S&64,I&2,N&0"},
      {"*F26", "S&0,I&4,N&10"}, {"*F27", "err:6 in 360"}, {"*F28", "S&3210,I&-1,N&0"},
      {"*F29", "S&136,I&10,N&0"}, {"*F30", "S&1,I&-1,N&1"}, {"*F31", "err:6 in 400"}, {"*F32", "S&8642,I&0,N&0"},
      {"*F33", "err:9 in 420"}, {"*F34", "S&0,I&4,N&1001"}, {"*F35", "err:9 in 441"},
      {"*F36", "S&6,I&4,N&101"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Runs(c.label, "S& = 0 : I& = 0 : N& = 0 : J& = 0", [&] { return Ints({"S&", "I&", "N&"}); }),
              Outcomes(3, c.result))
        << c.label;
  }
}

// Select with number Cases: the first match only, Case Else, no match, a
// double, NaN or out-of-range selector, text selectors and Case values that
// are not constants (the general path), nesting, and leaving a Select by
// Exit For or Return.
TEST_F(DecodedFormsTest, SelectFormsMatchLikeTheGeneralSelect) {
  Program({"400 *S1 : For I& = 0 To 4",
           "401 Select I&",
           "402 Case 1 : S& = S& * 10 + 1",
           "403 Case 2",
           "404 S& = S& * 10 + 2 : Select I& * 2 : Case 4 : N& = N& + 1 : Case Else : N& = N& + 100 : End Select",
           "405 Case 2 : S& = S& * 10 + 9",
           "406 Case Else : S& = S& * 10 + 5",
           "407 End Select",
           "408 Next : Return",
           "410 *S2 : Select H# : Case 2 : S& = 2 : Case 2.5 : S& = 25 : Case Else : S& = 9 : End Select : Return",
           "420 *S3 : Select NAN# : Case 0 : S& = 1 : Case Else : S& = 2 : End Select : Return",
           "430 *S4 : Select M& + 1 : Case 2147483648 : S& = 1 : Case Else : S& = 2 : End Select : Return",
           "440 *S5 : Select 7 : Case 1 : S& = 1 : End Select : N& = 1 : Return",
           "450 *S6 : Select 1 / Z& : Case 1 : S& = 1 : End Select : Return",
           "460 *S7 : T$ = \"b\" : Select T$ : Case \"a\" : S& = 1 : Case \"b\" : S& = 2 : End Select : Return",
           "470 *S8 : Select 3 : Case I& + 3 : S& = 1 : Case 3 : S& = 2 : End Select : Return",
           "480 *S9 : For I& = 1 To 3 : Select I& : Case 2 : Exit For : Case Else : N& = N& + 1 : End Select : Next",
           "481 Return",
           "490 *S10 : For I& = 1 To 3 : Gosub *S10R : Next : Return",
           "491 *S10R : Select I& : Case 2 : N& = N& + 10 : Return : Case Else : N& = N& + 1 : End Select : Return",
           "500 *S11 : Case 1 : S& = 1 : Return",
           // Bodies of one assignment line, left at once: an End Select that
           // does not end its line, one that does, and a body that fails.
           "510 *S12 : For I& = 1 To 3", "511 Select I&", "512 Case 1", "513 S& = S& * 10 + 1", "514 Case Else",
           "515 N& = N& + 1", "516 End Select : N& = N& * 10", "517 Next : Return",
           "520 *S13 : For I& = 1 To 3 : Gosub *S13B : Next : Return", "521 *S13B : Select I&", "522 Case 1",
           "523 S& = S& * 10 + 1", "524 Case 2", "525 S& = S& * 10 + 2", "526 Case Else", "527 N& = N& + 1",
           "528 End Select", "529 N& = N& * 10 : Return",
           "530 *S14 : For I& = 1 To 2", "531 Select I&", "532 Case 2", "533 U&(I&) = 1", "534 Case Else",
           "535 N& = N& + 1", "536 End Select", "537 Next : Return"});
  const struct { const char* label; const char* result; } cases[] = {
      {"*S1", "S&51255,I&5,N&1"}, {"*S2", "S&25,I&0,N&0"}, {"*S3", "S&2,I&0,N&0"}, {"*S4", "S&1,I&0,N&0"},
      {"*S5", "S&0,I&0,N&1"}, {"*S6", "err:11 in 450"}, {"*S7", "S&2,I&0,N&0"}, {"*S8", "S&1,I&0,N&0"},
      {"*S9", "S&0,I&2,N&1"}, {"*S10", "S&0,I&4,N&12"}, {"*S11", "err:121 in 500"},
      {"*S12", "S&1,I&4,N&110"}, {"*S13", "S&12,I&4,N&10"}, {"*S14", "err:18 in 533"},
  };
  for (const auto& c : cases) {
    const std::string reset = std::string(kSetup) + " : S& = 0 : I& = 0 : N& = 0";
    EXPECT_EQ(Runs(c.label, reset, [&] { return Ints({"S&", "I&", "N&"}); }), Outcomes(3, c.result))
        << c.label;
  }
}

// The run keeps the object lock across decoded statements; a host thread
// reading and writing variables must still get its turn between two of them,
// not only when the run ends.
TEST_F(DecodedFormsTest, HostReachesVariablesWhileALoopRunsOnDecodedStatements) {
  Program({"10 *L : X& = 0 : S& = 0", "20 X& = X& + 1 : If S& = 0 And X& < 300000000 Then 20", "30 Return"});
  int32_t result = -1;
  std::thread run([&] { result = _Gosub(&m, L"*L"); });
  AnyType v;
  int32_t seen = 0;
  while (seen < 1000 && _GetVariable(&m, L"X&", &v) == 0) seen = v.GetIntValue();
  v.SetData(1);
  EXPECT_EQ(_SetVariable(&m, L"S&", &v), 0);
  run.join();
  EXPECT_EQ(result, 0);
  EXPECT_GE(seen, 1000);
  EXPECT_LT(test::IntVar(m, "X&"), 300000000) << "the host got the variables only after the run";
}

// Tracing and stepping run every statement the general way: each line is
// shown, and a run that decoded the forms before shows the same.
TEST_F(DecodedFormsTest, TracingAndSteppingStillShowEveryLine) {
  Program({"10 *T : S& = 0", "20 For I& = 1 To 2 : S& = S& + I&", "30 Next", "40 If S& = 3 Then 60",
           "50 S& = 100", "60 Return"});
  const std::string trace =
      "Macro(SC) 10 *T : S& = 0\nMacro(SC) 20 For I& = 1 To 2 : S& = S& + I&\nMacro(SC) 30 Next\n"
      "Macro(SC) 20 For I& = 1 To 2 : S& = S& + I&\nMacro(SC) 30 Next\nMacro(SC) 40 If S& = 3 Then 60\n"
      "Macro(SC) 60 Return\n";
  for (int run = 0; run < 3; ++run) {
    m.reportMode = run == 1 ? 0 : kReportTrace;
    UpdateWatched(m);
    EXPECT_EQ(test::Captured([&] { EXPECT_EQ(RunLabel(m, "*T"), kOk); }), run == 1 ? "" : trace) << run;
    EXPECT_EQ(test::IntVar(m, "S&"), 3);
  }

  // Stop turns stepping on in a run that used the forms until then.
  Program({"5 *P : S& = 0 : For I& = 1 To 2 : S& = S& + I& : Next", "6 Debug 17 : Stop", "7 S& = 0 : Goto 20"});
  m.reportMode = 0;
  ErrNo result = -1;
  std::string shown;
  {
    test::StdinFeed input("Cont 0\nCont 0\nCont 0\nCont 0\n");
    shown = test::Captured([&] { result = RunLabel(m, "*P"); });
  }
  // A jump, and a Next going back, show the line they reach without
  // stopping there.
  EXPECT_EQ(shown,
            "Macro(SC) Stop in 6\n"
            "Macro(SC) 7 S& = 0 : Goto 20\nMacro(SC)> "
            "Macro(SC) 20 For I& = 1 To 2 : S& = S& + I&\n"
            "Macro(SC) 30 Next\nMacro(SC)> "
            "Macro(SC) 20 For I& = 1 To 2 : S& = S& + I&\n"
            "Macro(SC) 30 Next\nMacro(SC)> "
            "Macro(SC) 40 If S& = 3 Then 60\nMacro(SC)> "
            "Macro(SC) 60 Return\n");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(test::IntVar(m, "S&"), 3);
}

// Block Ifs over several lines, nested, with Elseif and Else: a false
// condition goes where the general block search would have gone.
TEST_F(DecodedFormsTest, BlockIfFormsTakeTheBranchesOfTheGeneralIf) {
  Program({"10 *B", "20 If C# = 1 Then", "30   R& = 1", "40 Elseif C# > 5 Then", "50   R& = 2",
           "60 Else", "70   R& = 3 : If C# = 0 Then", "80     S& = 1", "90   EndIf", "100 EndIf", "110 Return"});
  const struct { const char* condition; const char* result; } cases[] = {
      {"1", "R&1,S&0"}, {"7", "R&2,S&0"}, {"0", "R&3,S&1"}, {"NAN#", "R&3,S&0"}, {"-2", "R&3,S&0"},
  };
  for (const auto& c : cases) {
    const std::string reset = std::string(kSetup) + " : R& = 0 : S& = 0 : C# = " + c.condition;
    EXPECT_EQ(Runs("*B", reset, [&] { return Ints({"R&", "S&"}); }), Outcomes(3, c.result)) << c.condition;
  }
  // With nothing left to end it (the nested block is passed over whole) a
  // false If is error 128, reported by the general If.
  for (const char* line : {"40", "60", "100"}) ASSERT_EQ(Direct(line), kOk);
  EXPECT_EQ(Runs("*B", std::string(kSetup) + " : C# = 3", [&] { return Ints({"R&"}); }), Outcomes(3, "err:128 in 20"));
}

// Do ... Loop While: the loop runs while its condition holds (NaN holds),
// Exit Do leaves it, and a Loop with no Do is error 136 from the general Loop.
TEST_F(DecodedFormsTest, DoLoopFormsRepeatLikeTheGeneralLoop) {
  Program({"10 *D", "20 Do : I& = I& + 1 : If I& = X& Then Exit Do", "30 Loop While (I& < 5) - C#",
           "40 Do", "50   J& = J& + 1", "60 Loop While J& < I&", "70 Return"});
  const struct { const char* reset; const char* result; } cases[] = {
      {"X& = 0 : C# = 0", "I&5,J&5"}, {"X& = 3 : C# = 0", "I&3,J&3"}, {"X& = 9 : C# = NAN#", "I&9,J&9"},
      {"X& = 1 : C# = 1", "I&1,J&1"},
  };
  for (const auto& c : cases) {
    const std::string reset = std::string(kSetup) + " : I& = 0 : J& = 0 : " + c.reset;
    EXPECT_EQ(Runs("*D", reset, [&] { return Ints({"I&", "J&"}); }), Outcomes(3, c.result)) << c.reset;
  }
  ASSERT_EQ(Direct("40"), kOk);
  EXPECT_EQ(Runs("*D", std::string(kSetup) + " : I& = 0 : J& = 0 : X& = 2 : C# = 0", [&] { return Ints({"I&"}); }),
            Outcomes(3, "err:136 in 60"));
}

// Goto and Gosub pass the label-only lines at their target as the run would:
// a label line that also holds a statement runs it, one with no line after
// it ends the run, and several label lines in a row are passed together.
TEST_F(DecodedFormsTest, JumpsLandPastLabelOnlyLines) {
  Program({"10 *J", "20 If R& < 3 Then R& = R& + 1 : Gosub *A : Goto *J", "30 Goto *Z", "40 *A", "50 *B",
           "60 S& = S& + 1 : Return", "70 *Y : T& = T& + 1", "80 *Z"});
  EXPECT_EQ(Runs("*J", std::string(kSetup) + " : R& = 0 : S& = 0 : T& = 0", [&] { return Ints({"R&", "S&", "T&"}); }),
            Outcomes(3, "R&3,S&3,T&0"));
  ASSERT_EQ(Direct("30 Goto *Y"), kOk);
  EXPECT_EQ(Runs("*J", std::string(kSetup) + " : R& = 0 : S& = 0 : T& = 0", [&] { return Ints({"R&", "S&", "T&"}); }),
            Outcomes(3, "R&3,S&3,T&1"));
}

// A text grown in place by X$ = X$ + term, and Len of a text variable in a
// decoded expression, against the general path; the forms leave every other
// shape (a text added to itself, a longer sum) to it.
TEST_F(DecodedFormsTest, TextAppendsAndLengthsMatchTheGeneralPath) {
  Program({"10 *E", "30 Return"});
  const struct { const char* statement; const char* result; } cases[] = {
      {"S$ = S$ + \"xy\"", "abxy"}, {"S$ = S$ + T$", "abTT"}, {"S$ = S$ + E$", "ab"},
      {"S$ = S$ + Chr$(65 + 1.5)", "abC"}, {"S$ = S$ + Chr$(255) : S$ = Mid$(S$, 3, 1) + \"!\"", "\xff!"},
      {"S$ = S$ + Chr$(256)", "err:5"}, {"S$ = S$ + Chr$(-1)", "err:5"}, {"S$ = S$ + Chr$(3E9)", "err:6"},
      {"S$ = S$ + S$", "abab"}, {"S$ = S$ + \"x\" + 1", "abx1"}, {"S$ = S$ + 1", "ab1"},
      {"E$ = E$ + \"q\" : S$ = E$", "q"}, {"S$ = S$ + \"\"", "ab"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Direct(std::string("20 ") + c.statement), kOk) << c.statement;
    const std::string result = c.result[0] == 'e' ? std::string(c.result) + " in 20" : c.result;
    EXPECT_EQ(Runs("*E", "S$ = \"ab\" : T$ = \"TT\" : E$ = \"\"", [&] { return test::TextVar(m, tag::Str, "S$"); },
                   c.statement),
              (Outcomes{result, result, result, c.result}))
        << c.statement;
  }
  ASSERT_EQ(Direct("20 L& = Len(S$) * 10 + Len(E$) + Len( T$ )"), kOk);
  EXPECT_EQ(Runs("*E", "S$ = \"abc\" : T$ = \"TT\" : E$ = \"\"", [&] { return Ints({"L&"}); },
                 "L& = Len(S$) * 10 + Len(E$) + Len( T$ )"),
            Outcomes(4, "L&32"));
}

// Random programs of the shapes the forms cover (assignments, one-line and
// block Ifs, For/Next with every kind of limit and step, Do/Loop While,
// Select, Gosub/Return, jumps), each run with the forms and traced, where
// every statement runs the general way: the variables, or the error and
// its line, must agree. Loops are bounded by construction: loop variables
// and guards are assigned only by their own loops.
class RandomProgram {
 public:
  explicit RandomProgram(uint32_t seed) : state_(seed * 2654435761u + 1) {}

  std::vector<std::string> Lines() {
    lines_.clear();
    Add("*R");
    Block(3, 0);
    Add("Return");
    Add("*S1");
    for (int n = Pick(3) + 1; n > 0; --n) Add(Simple(false));
    Add("Return");
    Add("*S2 : " + Simple(false) + " : If " + Condition() + " Then Return");
    Add(Simple(false) + " : Return");
    std::vector<std::string> numbered;
    for (size_t k = 0; k < lines_.size(); ++k) numbered.push_back(std::to_string(10 * (k + 1)) + " " + lines_[k]);
    return numbered;
  }

  // A number expression of the programs' kind, or else a chain of + - * /
  // with constants and variables.
  std::string NumberExpression() {
    if (Pick(2) == 0) return Expression(2);
    static const char* const operands[] = {"A&", "B&", "C&", "D#", "I&", "3", "7", "2.5", "1E9", "0"};
    static const char* const ops[] = {" + ", " - ", " * ", " / "};
    std::string e = Of(operands);
    for (int n = Pick(4) + 2; n > 0; --n) e += std::string(Of(ops)) + Of(operands);
    return e;
  }

 private:
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Pick(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  template <size_t N>
  const char* Of(const char* const (&choices)[N]) { return choices[Pick(N)]; }
  void Add(const std::string& line) { lines_.push_back(line); }

  std::string Atom() {
    static const char* const atoms[] = {"A&", "B&", "C&", "D#", "I&", "J&", "E&(1)", "F#(I& AND 3)", "Len(S$)",
                                        "0", "1", "2", "3", "7", "-4", "2.5", "1E9"};
    return Of(atoms);
  }
  std::string Expression(int depth) {
    if (depth == 0 || Pick(3) == 0) return Atom();
    static const char* const ops[] = {" + ", " - ", " * ", " / ", " MOD ", " ^ ", " = ", " <> ", " < ", " >= ", " AND ", " OR "};
    static const char* const divisors[] = {"2", "3", "-4", "2.5", "(C& OR 1)"};
    const char* const op = Of(ops);
    // Mostly no division by zero, so that most runs go to their end.
    const bool divides = op[1] == '/' || op[1] == 'M';
    const std::string e = Expression(depth - 1) + op + (divides ? std::string(Of(divisors)) : Expression(depth - 1));
    return Pick(4) == 0 ? "(" + e + ")" : e;
  }
  std::string Condition() {
    static const char* const tests[] = {" < ", " > ", " = ", " <> ", " <= ", " >= "};
    return Expression(1) + Of(tests) + Expression(1);
  }
  std::string Simple(bool calls = true) {
    // Elements by a variable may fall outside (error 9), by AND never.
    static const char* const targets[] = {"A&", "B&", "C&", "D#", "E&(I& AND 3)", "F#(J& AND 3)", "E&(2)",
                                          "E&(J&)", "F#(I&)"};
    static const char* const texts[] = {"\"x\"", "T$", "Chr$(65 + (A& AND 15))"};
    switch (calls ? Pick(7) : 2 + Pick(5)) {
      case 0: return "Gosub *S1";
      case 1: return "Gosub *S2";
      case 2: return std::string("S$ = S$ + ") + Of(texts);
      default: return std::string(Of(targets)) + " = " + Expression(2);
    }
  }
  // A loop variable or guard no other statement assigns.
  std::string Fresh(const char* stem) { return stem + std::to_string(++fresh_) + "&"; }

  void Block(int statements, int depth) {
    for (int n = 0; n < statements; ++n) {
      switch (depth >= 2 ? 0 : Pick(8)) {
        case 0:
        case 1:
          Add(Simple() + (Pick(2) ? " : " + Simple() : ""));
          break;
        case 2:
          Add("If " + Condition() + " Then " + Simple() + (Pick(2) ? " Else " + Simple() : ""));
          break;
        case 3: {
          Add("If " + Condition() + " Then");
          Block(Pick(2) + 1, depth + 1);
          if (Pick(2)) {
            Add("Elseif " + Condition() + " Then");
            Block(1, depth + 1);
          }
          if (Pick(2)) {
            Add("Else");
            Block(1, depth + 1);
          }
          Add("EndIf");
          break;
        }
        case 4: {
          // Limits are evaluated at every pass: none grows with the loop.
          const char* const variable = depth == 0 ? "I&" : "J&";
          const std::string other = depth == 0 ? "J&" : "I&";
          const std::string limits[] = {"3", "2.5", "A& MOD 4", "(D# > 2) + 3", other + " MOD 3 + 1", "-1"};
          static const char* const steps[] = {"", "", " Step 2", " Step -1", " Step -2"};
          const std::string start = Pick(2) ? "0" : "2";
          // A step in a variable of its own, which no other statement assigns.
          std::string step = Of(steps), setStep;
          if (Pick(3) == 0) {
            const std::string by = Fresh("P");
            setStep = by + " = " + Of({"1", "2", "-1", "-3"}) + " : ";
            step = " Step " + by;
          }
          const std::string head =
              setStep + "For " + variable + " = " + start + " To " + limits[Pick(6)] + step;
          if (Pick(3) == 0) {
            const std::string body = Pick(5) == 0 ? "" : Simple() + " : ";
            Add(head + " : " + body + "Next" + (Pick(2) ? std::string(" ") + variable : ""));
          } else {
            Add(head);
            Block(Pick(2) + 1, depth + 1);
            Add(std::string("Next ") + variable);
          }
          break;
        }
        case 5: {
          const std::string guard = Fresh("G");
          Add(guard + " = 0 : Do");
          Block(1, depth + 1);
          Add(guard + " = " + guard + " + 1 : Loop While " + guard + " < 3 AND (" + Condition() + ")");
          break;
        }
        case 6: {
          // Constant Cases with or without an Else (nothing may match), a
          // repeated value (the first wins), a Case that is no constant
          // (the chain is passed one by one), and a nested Select.
          Add("Select " + Expression(1) + " MOD 4");
          const std::string tails[] = {"Case Else", "Case 2", Pick(2) ? "Case 1" : "Case A&", "Case 1.5"};
          for (const std::string& c : {std::string("Case 0"), std::string("Case 1"), tails[Pick(4)]}) {
            Add(c);
            if (depth < 2 && Pick(4) == 0) {
              Block(1, depth + 1);
            } else {
              Add(Simple());
            }
          }
          Add("End Select");
          break;
        }
        default: {
          const std::string label = "*F" + std::to_string(++fresh_);
          Add("If " + Condition() + " Then Goto " + label);
          Add(Simple());
          Add(label);
          break;
        }
      }
    }
  }

  uint32_t state_;
  int fresh_ = 0;
  std::vector<std::string> lines_;
};

constexpr char kRandomReset[] =
    "A& = 5 : B& = -3 : C& = 0 : D# = 1.5 : I& = 0 : J& = 0 : S$ = \"\" : T$ = \"ab\" : Dim E&(3) : Dim F#(3) : "
    "E&(0) = 0 : E&(1) = 4 : E&(2) = 0 : E&(3) = -1 : F#(0) = 0 : F#(1) = 0.5 : F#(2) = 0 : F#(3) = 0";

TEST_F(DecodedFormsTest, RandomProgramsRunAlikeWithAndWithoutForms) {
  for (uint32_t seed = 1; seed <= 1000; ++seed) {
    ASSERT_EQ(Direct("New"), kOk);
    const std::vector<std::string> lines = RandomProgram(seed).Lines();
    std::string listing;
    for (const std::string& line : lines) {
      ASSERT_EQ(Direct(line), kOk) << line;
      listing += line + "\n";
    }
    const Outcomes out = Runs("*R", kRandomReset, [&] {
      std::string elements;
      for (const char* e : {"E&(0)", "E&(1)", "E&(2)", "E&(3)", "V! = F#(0) + F#(1) * 3 + F#(2) * 5 + F#(3) * 7"}) {
        EXPECT_EQ(Direct(std::string(e[0] == 'V' ? "" : "V! = ") + e), kOk);
        elements += "," + Number(tag::Variant, "V!");
      }
      return Ints({"A&", "B&", "C&", "I&", "J&"}) + "," + Number(tag::Dbl, "D#") + elements + "," +
             test::TextVar(m, tag::Str, "S$");
    });
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], out[2]) << "seed " << seed << "\n" << listing;
    EXPECT_EQ(out[1], out[2]) << "seed " << seed << "\n" << listing;
  }
}

// Random expressions, chains among them, decoded in a program line and
// evaluated directly by the general evaluator: the same number (or error)
// each way.
TEST_F(DecodedFormsTest, RandomExpressionsMatchTheGeneralEvaluator) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    const std::string expr = RandomProgram(seed).NumberExpression();
    ASSERT_EQ(Direct("New"), kOk);
    for (const std::string& line : {std::string("10 *E"), "20 V! = " + expr, std::string("30 Return")})
      ASSERT_EQ(Direct(line), kOk) << line;
    const Outcomes out = Runs("*E", kRandomReset, [&] { return Number(tag::Variant, "V!"); }, "V! = " + expr);
    ASSERT_EQ(out.size(), 4u);
    // A program run reports the line of an error, a direct statement none.
    const std::string direct = out[3].rfind("err:", 0) == 0 ? out[3] + " in 20" : out[3];
    EXPECT_EQ(out, (Outcomes{direct, direct, direct, out[3]})) << "seed " << seed << ": " << expr;
  }
}

}  // namespace
}  // namespace msc
