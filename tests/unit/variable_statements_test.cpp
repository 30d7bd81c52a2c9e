// Variable statements where a program test cannot look: the array block a
// Dim leaves, a SetVar value taken from a variable it overwrites, what New
// leaves of the macro object, and a run whose program Load replaces.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "test_support.h"

namespace msc {
namespace {

class VariableStatementsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(macro_, nullptr);
    m.reportMode = 0;  // errors are checked by number
  }

  ErrNo Run(const char* line) { return DirectExecute(m, line); }
  uint8_t* Cell(uint8_t tag, const char* name) { return test::FindVar(m, tag, name); }
  std::string Show(uint8_t tag, const char* name) { return test::TextVar(m, tag, name); }

  test::MacroPtr macro_ = test::NewMacro();
  QorMacro& m = *macro_;
};

TEST_F(VariableStatementsTest, DimBoundsNeverOverrunTheList) {
  EXPECT_EQ(Run("Dim A&(2147483646)"), kErrOutOfMemory);
  EXPECT_EQ(Run("Dim A&(65535, 65535, 1)"), kErrOutOfMemory);
  EXPECT_EQ(ArrayBlock(Cell(tag::IntArray, "A&")), nullptr) << "a failed Dim leaves no array";

  // 129 dimensions fit the bound list; the 130th is refused, not written past it.
  std::string dims = "Dim D&(0";
  for (int i = 1; i < 129; ++i) dims += ", 0";
  ASSERT_EQ(Run((dims + ")").c_str()), kOk);
  EXPECT_EQ(LoadU32(ArrayBlock(Cell(tag::IntArray, "D&"))), 129u);
  EXPECT_EQ(Run((dims + ", 0)").c_str()), kErrIllegalCall);
}

TEST_F(VariableStatementsTest, SetVarValueOutlivesTheVariableItCameFrom) {
  // T1$ matches too: its buffer is replaced before T2$ and T3! are assigned.
  ASSERT_EQ(Run("T1$ = \"abc\" : T2$ = \"\" : T3! = 0 : T4& = 4"), kOk);
  ASSERT_EQ(Run("SetVar \"t?*\": T1$"), kOk);
  EXPECT_EQ(Show(tag::Str, "T2$"), "abc");
  EXPECT_EQ(Show(tag::Variant, "T3!"), "abc");
  EXPECT_EQ(Show(tag::Int, "T4&"), "0") << "a text converts as in an assignment";
  // A value too big for one variable leaves that one alone.
  ASSERT_EQ(Run("T4& = 4 : SetVar \"T*\", 1E+300"), kOk);
  EXPECT_EQ(Show(tag::Int, "T4&"), "4");
  EXPECT_EQ(Show(tag::Str, "T2$"), "1e+300");
}

TEST_F(VariableStatementsTest, NewEndsTheRunAndEmptiesTheObject) {
  for (const char* line : {"10 *MAIN", "20 Gosub *SUB", "30 A& = 2", "40 Return", "50 *SUB",
                           "60 New : A& = 3", "70 Return"}) {
    ASSERT_EQ(Run(line), kOk) << line;
  }
  m.files[2] = std::fopen("/dev/null", "rb");
  ASSERT_NE(m.files[2], nullptr);
  ASSERT_EQ(Run("VarPush A&"), kOk);
  EXPECT_EQ(RunLabel(m, "*MAIN"), kOk);
  EXPECT_TRUE(m.program.Empty());
  EXPECT_EQ(Cell(tag::Int, "A&"), nullptr);
  EXPECT_EQ(m.files[2], nullptr);
  EXPECT_EQ(m.savedDepth, 0);
  // A direct New drops the rest of its line, whose variables are gone too.
  ASSERT_EQ(Run("B& = 1 : New : B& = 2"), kOk);
  EXPECT_EQ(Cell(tag::Int, "B&"), nullptr);
}

// Load replaces the program under the run, which ends there: nothing of the
// old program, the rest of the line, the loop or the caller, is read again.
TEST_F(VariableStatementsTest, LoadEndsTheRunWhoseProgramItReplaces) {
  char path[] = "/tmp/msc_load_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string source = "*NEW\n  Z& = 9\nReturn\n";
  ASSERT_EQ(write(fd, source.data(), source.size()), static_cast<ssize_t>(source.size()));
  close(fd);
  const std::string load = std::string("30 B& = 1 : Load \"") + path + "\" : A& = 3";
  for (const std::string& line : {std::string("10 *MAIN : Gosub *SUB : A& = 2 : Return"),
                                  std::string("20 *SUB : For I& = 1 To 2"), load, std::string("40 Next : Return")}) {
    ASSERT_EQ(Run(line.c_str()), kOk) << line;
  }
  EXPECT_EQ(RunLabel(m, "*MAIN"), kOk);
  std::remove(path);
  EXPECT_EQ(Cell(tag::Int, "A&"), nullptr);
  EXPECT_EQ(RunLabel(m, "*NEW"), kOk);
  EXPECT_EQ(test::IntVar(m, "Z&"), 9);
  EXPECT_EQ(FindLineRecord(m, 40), nullptr);
}

}  // namespace
}  // namespace msc
