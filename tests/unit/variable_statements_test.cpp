// Dim, ReDim, Erase, Clear, New, Delete, VarPush, VarPop, SetVar, VarList and
// VarSave, run as direct statements and small programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "test_support.h"

namespace msc {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class VariableStatementsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(macro_, nullptr);
    m.reportMode = 0;  // errors are checked by number
  }

  ErrNo Run(const char* line) { return DirectExecute(m, line); }

  std::string Captured(const char* line, ErrNo* result) {
    CaptureStdout();
    *result = DirectExecute(m, line);
    return GetCapturedStdout();
  }

  void Program(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_EQ(Run(line), kOk) << line;
  }

  uint8_t* Cell(uint8_t tag, const char* name) {
    FindStatus status{};
    return m.variables.FindCell(tag, name, std::strlen(name), FindMode::FindOnly, &status);
  }

  // The scalar's value as Print would show it; "?" when it does not exist.
  std::string Show(const char* name) {
    const char suffix = name[std::strlen(name) - 1];
    const uint8_t t = suffix == '&' ? tag::Int : suffix == '#' ? tag::Dbl : suffix == '$' ? tag::Str : tag::Variant;
    uint8_t* cell = Cell(t, name);
    if (cell == nullptr) return "?";
    Value v;
    if (ReadScalar(m, cell, v) != kOk) return "!";
    if (v.type == kEmpty) return "<empty>";
    if (ToText(v) != kOk) return "!";
    return std::string(v.text, static_cast<size_t>(v.count));
  }

  test::MacroPtr macro_ = test::NewMacro();
  QorMacro& m = *macro_;
};

TEST_F(VariableStatementsTest, DimCreatesZeroedArraysOfTheGivenExtents) {
  ASSERT_EQ(Run("Dim A&(2, 3), B#(1), C$(0), N&"), kOk);
  const uint8_t* block = ArrayBlock(Cell(tag::IntArray, "A&"));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(LoadU32(block), 2u);
  EXPECT_EQ(LoadU32(block + 4), 3u);
  EXPECT_EQ(LoadU32(block + 8), 4u);
  ASSERT_EQ(Run("A&(2, 3) = 7 : C$(0) = \"t\""), kOk);
  ErrNo e = kOk;
  EXPECT_EQ(Captured("VarList", &e), "A&(3, 4)\nB#(2)\nC$(1)\nN&=0\n");
  EXPECT_EQ(e, kOk);

  // "()" keeps the array as it is, for Dim only; a bound list starts afresh.
  ASSERT_EQ(Run("Dim A&()"), kOk);
  ASSERT_EQ(Run("X& = A&(2, 3)"), kOk);
  EXPECT_EQ(Show("X&"), "7");
  EXPECT_EQ(Run("ReDim A&()"), kErrSyntax);
  ASSERT_EQ(Run("ReDim A&(2, 3) : X& = A&(2, 3)"), kOk);
  EXPECT_EQ(Show("X&"), "0");
  ASSERT_EQ(Run("Dim C$(4) : S$ = C$(0)"), kOk);
  EXPECT_EQ(Show("S$"), "");
}

TEST_F(VariableStatementsTest, DimRejectsBadBoundsWithoutChangingMore) {
  EXPECT_EQ(Run("Dim A&(-1)"), kErrIllegalCall);
  EXPECT_EQ(Run("Dim A&(2147483647)"), kErrIllegalCall);
  EXPECT_EQ(Run("Dim A&(2147483646)"), kErrOutOfMemory);
  EXPECT_EQ(Run("Dim A&(65535, 65535, 1)"), kErrOutOfMemory);
  EXPECT_EQ(ArrayBlock(Cell(tag::IntArray, "A&")), nullptr) << "a failed Dim leaves no array";
  EXPECT_EQ(Run("Dim A&(1"), kErrSyntax);
  EXPECT_EQ(Run("Dim A&(1;"), kErrSyntax);
  EXPECT_EQ(Run("Dim 5"), kErrSyntax);

  // 129 dimensions fit the bound list; the 130th is refused, not written past it.
  std::string dims = "Dim D&(0";
  for (int i = 1; i < 129; ++i) dims += ", 0";
  ASSERT_EQ(Run((dims + ")").c_str()), kOk);
  EXPECT_EQ(LoadU32(ArrayBlock(Cell(tag::IntArray, "D&"))), 129u);
  EXPECT_EQ(Run((dims + ", 0)").c_str()), kErrIllegalCall);
}

TEST_F(VariableStatementsTest, EraseLeavesArraysUndimensioned) {
  ASSERT_EQ(Run("Dim A&(3), B$(2) : B$(1) = \"x\""), kOk);
  ASSERT_EQ(Run("Erase A&(), B$() : X& = 1"), kOk);
  EXPECT_EQ(Show("X&"), "1");
  EXPECT_EQ(Run("X& = A&(0)"), kErrUndefinedArray);
  EXPECT_EQ(Run("Erase A&"), kErrSyntax);
  EXPECT_EQ(Run("Erase 5"), kErrSyntax);
  EXPECT_EQ(Run("Erase A&() 5"), kErrSyntax);
}

TEST_F(VariableStatementsTest, ClearResetsValuesAndKeepsNames) {
  ASSERT_EQ(Run("A& = 5 : B# = 1.5 : S$ = \"x\" : V! = 3 : Dim R&(2) : VarPush A&"), kOk);
  ASSERT_EQ(Run("Clear"), kOk);
  EXPECT_EQ(m.savedDepth, 0);
  EXPECT_EQ(Show("A&"), "0");
  EXPECT_EQ(Show("B#"), "0");
  EXPECT_EQ(Show("S$"), "");
  EXPECT_EQ(Show("V!"), "<empty>");
  EXPECT_EQ(ArrayBlock(Cell(tag::IntArray, "R&")), nullptr);
}

TEST_F(VariableStatementsTest, VarPushAndVarPop) {
  ASSERT_EQ(Run("X& = 1 : Y# = 2.5 : S$ = \"a\""), kOk);
  // The whole list is checked before anything is saved.
  EXPECT_EQ(Run("VarPush X&, S$"), kErrTypeMismatch);
  EXPECT_EQ(Run("VarPush X&, A&(0)"), kErrTypeMismatch);
  EXPECT_EQ(m.savedDepth, 0);

  ASSERT_EQ(Run("VarPush X&, Y# : X& = 10 : Y# = 20"), kOk);
  ASSERT_EQ(Run("VarPush X& : X& = 30"), kOk);
  ASSERT_EQ(Run("VarPop"), kOk);
  EXPECT_EQ(Show("X&"), "10");
  ASSERT_EQ(Run("VarPop"), kOk);
  EXPECT_EQ(Show("X&"), "1");
  EXPECT_EQ(Show("Y#"), "2.5");
  EXPECT_EQ(Run("VarPop"), kErrInternal);

  for (int i = 0; i < 16; ++i) ASSERT_EQ(Run("VarPush X&"), kOk) << i;
  EXPECT_EQ(Run("VarPush X&"), kErrInternal);
  EXPECT_EQ(m.savedDepth, 16);
}

TEST_F(VariableStatementsTest, FailedRunRestoresPushedVariablesTrappedOneDoesNot) {
  Program({"10 *FAIL", "20 VarPush X&, Y#", "30 X& = 9 : Y# = 9", "40 Z& = 1 / 0",
           "50 *TRAPPED", "60 VarPush X&", "70 X& = 8", "80 Try : Z& = 1 / 0 : End Try", "90 Return"});
  ASSERT_EQ(Run("X& = 1 : Y# = 2 : VarPush X&"), kOk);
  EXPECT_EQ(RunLabel(m, "*FAIL"), 11);
  EXPECT_EQ(Show("X&"), "1");
  EXPECT_EQ(Show("Y#"), "2");
  EXPECT_EQ(m.savedDepth, 1) << "blocks pushed before the run stay";

  EXPECT_EQ(RunLabel(m, "*TRAPPED"), kOk);
  EXPECT_EQ(Show("X&"), "8");
  EXPECT_EQ(m.savedDepth, 2);
}

TEST_F(VariableStatementsTest, SetVarAssignsMatchingScalarsOnly) {
  ASSERT_EQ(Run("CNT1& = 5 : CNTB# = 2.5 : CNTS$ = \"x\" : CNTV! = 1 : OTHER& = 7 : Dim CNTA&(1) : CNTA&(1) = 3"),
            kOk);
  ASSERT_EQ(Run("SetVar \"cnt*\", 0"), kOk);
  EXPECT_EQ(Show("CNT1&"), "0");
  EXPECT_EQ(Show("CNTB#"), "0");
  EXPECT_EQ(Show("CNTS$"), "0");
  EXPECT_EQ(Show("CNTV!"), "0");
  EXPECT_EQ(Show("OTHER&"), "7");
  ASSERT_EQ(Run("X& = CNTA&(1)"), kOk);
  EXPECT_EQ(Show("X&"), "3");

  // A value read from a variable the pattern also matches reaches every
  // variable intact, even after that variable has been overwritten.
  ASSERT_EQ(Run("T1$ = \"abc\" : T2$ = \"\" : T3! = 0"), kOk);
  ASSERT_EQ(Run("SetVar \"T?*\": T1$"), kOk);
  EXPECT_EQ(Show("T2$"), "abc");
  EXPECT_EQ(Show("T3!"), "abc");

  // A value that does not fit a variable leaves that variable alone.
  ASSERT_EQ(Run("CNT1& = 4 : SetVar \"CNT*\", 1E+300"), kOk);
  EXPECT_EQ(Show("CNT1&"), "4");
  EXPECT_EQ(Show("CNTB#"), "1e+300");

  EXPECT_EQ(Run(("SetVar \"" + std::string(256, 'A') + "\", 0").c_str()), kErrStringTooLong);
}

TEST_F(VariableStatementsTest, VarListFormats) {
  ASSERT_EQ(Run("A& = -3 : B# = 1.5 : C$ = \"\" : D$ = \"q\" : Dim E#() : V! = 2.25 : W! = \"w\" : U! = 0"), kOk);
  ErrNo e = kOk;
  EXPECT_EQ(Captured("VarList", &e), "A&=-3\nB#=1.500\nC$=\"\"\nD$=\"q\"\nE#()\nV!=2.250\nW!=\"w\"\nU!=0\n");
  // Arrays match by their name too.
  EXPECT_EQ(Captured("VarList \"?#\"", &e), "B#=1.500\nE#()\n");
  EXPECT_EQ(Captured("VarList \"*$\" : VarList \"a*\"", &e), "C$=\"\"\nD$=\"q\"\nA&=-3\n");
  EXPECT_EQ(e, kOk);

  // A variant that was never assigned shows its name alone.
  ASSERT_EQ(Run("Z! = Y!"), kOk);
  EXPECT_EQ(Captured("VarList \"Z!\"", &e), "Z!\n");
}

TEST_F(VariableStatementsTest, VarSaveNeedsTheProcedureStream) {
  EXPECT_EQ(Run("VarSave"), kErrIllegalCall);
  EXPECT_EQ(Run("VarSave \"A*\""), kErrIllegalCall);
  EXPECT_EQ(Run(("VarSave \"" + std::string(300, 'A') + "\"").c_str()), kErrStringTooLong);
}

TEST_F(VariableStatementsTest, DeleteRanges) {
  Program({"10 A& = 1", "20 A& = 2", "30 A& = 3", "40 A& = 4", "50 A& = 5"});
  EXPECT_EQ(Run("Delete 30-10"), kErrSyntax);
  EXPECT_EQ(Run("Delete"), kErrSyntax);
  EXPECT_EQ(Run("Delete 10-"), kErrSyntax);
  EXPECT_EQ(Run("Delete 10 20"), kErrSyntax);
  ErrNo e = kOk;
  ASSERT_EQ(Run("Delete 20-30"), kOk);
  ASSERT_EQ(Run("Delete 35-39"), kOk);
  EXPECT_EQ(Captured("List", &e), "10 A& = 1\n40 A& = 4\n50 A& = 5\n");
  ASSERT_EQ(Run("Delete -40"), kOk);
  EXPECT_EQ(Captured("List", &e), "50 A& = 5\n");
  ASSERT_EQ(Run("Delete 50 : X& = 1"), kOk);
  EXPECT_TRUE(m.program.Empty());
  EXPECT_EQ(Show("X&"), "1");
}

TEST_F(VariableStatementsTest, DeleteWhileRunning) {
  // Deleting earlier lines moves the running one; the run goes on.
  Program({"10 X& = 1", "20 *GO", "30 Delete 10 : Y& = 2", "40 Z& = 3"});
  ASSERT_EQ(RunLabel(m, "*GO"), kOk);
  EXPECT_EQ(Show("Y&"), "2");
  EXPECT_EQ(Show("Z&"), "3");

  // Deleting the running line ends the run there.
  Program({"50 *SELF", "60 Delete 60-70 : Y& = 5", "70 Z& = 5", "80 Z& = 6"});
  ASSERT_EQ(RunLabel(m, "*SELF"), kOk);
  EXPECT_EQ(Show("Y&"), "2");
  EXPECT_EQ(Show("Z&"), "3");
  ErrNo e = kOk;
  EXPECT_EQ(Captured("List 50-80", &e), "50 *SELF\n80 Z& = 6\n");
}

TEST_F(VariableStatementsTest, NewEndsTheRunningProgram) {
  Program({"10 *MAIN", "20 A& = 1", "30 Gosub *SUB", "40 A& = 2", "50 Return", "60 *SUB",
           "70 New : A& = 3", "80 Return"});
  m.files[2] = std::fopen("/dev/null", "rb");
  ASSERT_NE(m.files[2], nullptr);
  EXPECT_EQ(RunLabel(m, "*MAIN"), kOk);
  EXPECT_TRUE(m.program.Empty());
  EXPECT_EQ(Cell(tag::Int, "A&"), nullptr) << "the variables are gone";
  EXPECT_EQ(m.files[2], nullptr);
  // A direct New drops the rest of its line, whose variables are gone too.
  ASSERT_EQ(Run("B& = 1 : New : B& = 2"), kOk);
  EXPECT_EQ(Cell(tag::Int, "B&"), nullptr);
}

}  // namespace
}  // namespace msc
