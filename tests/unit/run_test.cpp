// Direct execution, label runs, the dispatcher's error path and the error
// report in each report mode, checked by the exact console text.
#include "engine/run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/saved_variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "test_support.h"

namespace msc {
namespace {

using test::Captured;
using test::IntVar;

class RunTest : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Program(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_EQ(DirectExecute(m, line), kOk) << line;
  }
  std::string Run(const char* label, ErrNo* result) {
    return Captured([&] { *result = RunLabel(m, label); });
  }
  std::string Direct(const std::string& text, ErrNo* result) {
    return Captured([&] { *result = DirectExecute(m, text.c_str()); });
  }
};

TEST_F(RunTest, NumberedLinesEditTheProgramAndOthersRunAtOnce) {
  Program({"10 A& = 1", "20 B& = 2", "30 C& = 3"});
  EXPECT_EQ(IntVar(m, "A&"), 0) << "storing a line runs nothing";
  ASSERT_EQ(DirectExecute(m, "Goto 20"), kOk) << "runs from there to the end";
  EXPECT_EQ(IntVar(m, "A&"), 0);
  EXPECT_EQ(IntVar(m, "C&"), 3);
  ASSERT_EQ(DirectExecute(m, "10"), kOk);
  EXPECT_EQ(FindLineRecord(m, 10), nullptr);
  EXPECT_NE(FindLineRecord(m, 20), nullptr);
  ASSERT_EQ(DirectExecute(m, "A& = 7 : B& = 8"), kOk);
  EXPECT_EQ(IntVar(m, "B&"), 8);
  EXPECT_EQ(DirectExecute(m, ""), kOk);

  ErrNo result = 0;
  EXPECT_EQ(Direct("D& = 1 '" + std::string(70000, 'x'), &result), "Macro(SC) Line buffer overflow\n");
  EXPECT_EQ(result, kErrLineBufferOverflow);
  EXPECT_EQ(IntVar(m, "D&"), -999) << "nothing was compiled";
}

TEST_F(RunTest, LabelRunsEndAtTheirReturnAndMissingLabelsAreSilent) {
  Program({"10 *SUB", "20 A& = 1", "30 Return", "40 A& = 2", "50 *TAIL", "60 B& = 4"});
  ErrNo result = 0;
  EXPECT_EQ(Run("*SUB", &result), "");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(IntVar(m, "A&"), 1);
  EXPECT_EQ(Run("*NONE", &result), "");
  EXPECT_EQ(result, kErrUndefinedLabel);
  EXPECT_EQ(RunLabel(m, ""), -1);
  EXPECT_EQ(RunLabel(m, "*TAIL"), kOk) << "running off the last line ends the run";
  EXPECT_EQ(IntVar(m, "B&"), 4);
}

TEST_F(RunTest, ReportModesPrintExactly) {
  Program({"10 *T", "20 X& 5"});
  const struct { uint32_t mode; const char* output; } cases[] = {
      {0, ""},
      {1, "Macro(SC) Syntax error\nMacro(SC) 20 X& 5\n"},
      {17, "Macro(SC) Syntax error\nMacro(SC) 20 X& 5\n"},
      {2, "Macro(SC) 10 *T\nMacro(SC) 20 X& 5\nMacro(SC) Syntax error in 20\n"},
      {3, "Macro error\nSyntax error;\n20 X& 5\n"},
      {4, ""},
  };
  for (const auto& c : cases) {
    m.reportMode = c.mode;
    m.lastErrorLine = 0;
    ErrNo result = 0;
    EXPECT_EQ(Run("*T", &result), c.output) << "mode " << c.mode;
    EXPECT_EQ(result, kErrSyntax);
    EXPECT_EQ(m.lastErrorLine, 20u) << "every mode records the error";
    EXPECT_EQ(m.lastErrorNumber, 2u);
    EXPECT_STREQ(m.lastErrorText, "Syntax error");
  }
}

TEST_F(RunTest, DirectStatementErrorsLeaveErrAndErlAlone) {
  Program({"10 *T", "20 X& 5"});
  ASSERT_EQ(RunLabel(m, "*T"), kErrSyntax);
  ErrNo result = 0;
  m.reportMode = 2;
  EXPECT_EQ(Direct("Y& = 1 / 0", &result), "Macro(SC) Division by zero\n");
  EXPECT_EQ(result, kErrDivisionByZero);
  m.reportMode = 1;
  EXPECT_EQ(Direct("Y& = 1 / 0", &result), "Macro(SC) Division by zero\nMacro(SC) Y& = 1 / 0\n");
  EXPECT_EQ(m.lastErrorLine, 20u);
  EXPECT_EQ(m.lastErrorNumber, 2u);
  EXPECT_EQ(m.trappedErrorNumber, 11u) << "Errno sees every error";
  EXPECT_EQ(m.trappedErrorStatement, 0u) << "an assignment begins with no keyword";
  EXPECT_EQ(DirectExecute(m, "Goto *NOWHERE"), kErrUndefinedLabel);
  EXPECT_EQ(m.trappedErrorStatement, tok::Goto);
}

TEST_F(RunTest, ReportOfAVeryLongLineIsCutToItsBuffer) {
  const std::string line = "20 X& 5 '" + std::string(3000, 'a');
  Program({"10 *T", line.c_str()});
  ErrNo result = 0;
  m.reportMode = 1;
  EXPECT_EQ(Run("*T", &result), "Macro(SC) Syntax error\nMacro(SC) " + line.substr(0, 511) + "\n");
  m.reportMode = 3;
  EXPECT_EQ(Run("*T", &result), "Macro error\n" + ("Syntax error;\n" + line).substr(0, 511) + "\n");
}

TEST_F(RunTest, SavedVariableBlocksRestoreNewestFirst) {
  ASSERT_EQ(DirectExecute(m, "A& = 9 : S$ = \"x\""), kOk);
  // Blocks as "VarPush" leaves them: one saved cell each.
  auto push = [&](uint8_t tag, const char* name, uint32_t value) {
    auto* block = static_cast<uint8_t*>(std::calloc(2, kSavedEntrySize));
    StorePtr(block, test::FindVar(m, tag, name));
    StoreU32(block + 8, value);
    m.savedVariables[m.savedDepth++] = block;
  };
  push(tag::Int, "A&", 5);
  push(tag::Int, "A&", 7);
  EXPECT_EQ(RestoreSavedVariables(m, 1), kOk);
  EXPECT_EQ(IntVar(m, "A&"), 7);
  EXPECT_EQ(RestoreSavedVariables(m, 0), kOk);
  EXPECT_EQ(IntVar(m, "A&"), 5);
  // A text cell cannot be restored: every block is dropped.
  push(tag::Int, "A&", 1);
  push(tag::Str, "S$", 0);
  EXPECT_EQ(RestoreSavedVariables(m, 1), kErrInternal);
  EXPECT_EQ(m.savedDepth, 0);
  EXPECT_EQ(m.savedVariables[0], nullptr);
}

}  // namespace
}  // namespace msc
