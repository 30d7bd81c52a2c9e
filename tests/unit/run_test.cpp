// Direct execution, label runs, the dispatcher's error path and the error
// report in each report mode, checked by the exact console text.
#include "engine/run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "engine/saved_variables.h"
#include "engine/variables.h"
#include "fake_host.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "test_support.h"

namespace msc {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

uint8_t* Cell(QorMacro& m, uint8_t tag, const char* name) {
  FindStatus status;
  return m.variables.FindCell(tag, name, std::strlen(name), FindMode::FindOnly, &status);
}

// The integer variable's value; -999 when the variable does not exist.
int32_t Int(QorMacro& m, const char* name) {
  uint8_t* cell = Cell(m, tag::Int, name);
  if (cell == nullptr) return -999;
  Value v;
  if (ReadScalar(m, cell, v) != kOk || v.type != kInteger) return -998;
  return v.count;
}

class RunTest : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Program(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_EQ(DirectExecute(m, line), kOk) << line;
  }
  // Runs a label and captures what it prints.
  std::string RunCaptured(const char* label, ErrNo* result) {
    CaptureStdout();
    *result = RunLabel(m, label);
    return GetCapturedStdout();
  }
  std::string DirectCaptured(const char* text, ErrNo* result) {
    CaptureStdout();
    *result = DirectExecute(m, text);
    return GetCapturedStdout();
  }
};

TEST_F(RunTest, NumberedLinesEditTheProgramAndOthersRunAtOnce) {
  Program({"10 A& = 5", "20 B& = 6"});
  EXPECT_NE(FindLineRecord(m, 10), nullptr);
  EXPECT_EQ(Int(m, "A&"), 0) << "storing a line runs nothing";

  ASSERT_EQ(DirectExecute(m, "10"), kOk);
  EXPECT_EQ(FindLineRecord(m, 10), nullptr);
  EXPECT_NE(FindLineRecord(m, 20), nullptr);

  ASSERT_EQ(DirectExecute(m, "A& = 7 : B& = 8"), kOk);
  EXPECT_EQ(Int(m, "A&"), 7);
  EXPECT_EQ(Int(m, "B&"), 8);
  EXPECT_EQ(DirectExecute(m, ""), kOk);
}

TEST_F(RunTest, DirectGotoRunsTheProgramFromThereToItsEnd) {
  Program({"10 A& = 1", "20 B& = 2", "30 C& = 3"});
  ASSERT_EQ(DirectExecute(m, "Goto 20"), kOk);
  EXPECT_EQ(Int(m, "A&"), 0);
  EXPECT_EQ(Int(m, "B&"), 2);
  EXPECT_EQ(Int(m, "C&"), 3);
}

TEST_F(RunTest, TextLongerThanTheLineBufferIsRefused) {
  const std::string text = "A& = 1 '" + std::string(70000, 'x');
  ErrNo result = 0;
  EXPECT_EQ(DirectCaptured(text.c_str(), &result), "Macro(SC) Line buffer overflow\n");
  EXPECT_EQ(result, kErrLineBufferOverflow);
  EXPECT_EQ(Int(m, "A&"), -999) << "nothing was compiled";
}

TEST_F(RunTest, LabelRunsEndAtTheirReturnAndMissingLabelsAreSilent) {
  Program({"10 *SUB", "20 A& = 1", "30 Return", "40 A& = 2", "50 *TAIL", "60 B& = 4"});
  ErrNo result = 0;
  EXPECT_EQ(RunCaptured("*SUB", &result), "");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(Int(m, "A&"), 1);

  EXPECT_EQ(RunCaptured("*NONE", &result), "");
  EXPECT_EQ(result, kErrUndefinedLabel);
  EXPECT_EQ(RunLabel(m, ""), -1);

  EXPECT_EQ(RunLabel(m, "*TAIL"), kOk) << "running off the last line ends the run";
  EXPECT_EQ(Int(m, "B&"), 4);
}

TEST_F(RunTest, ReportModesPrintExactly) {
  Program({"10 *T", "20 X& 5"});
  struct Case {
    uint32_t mode;
    const char* output;
  } cases[] = {
      {0, ""},
      {1, "Macro(SC) Syntax error\nMacro(SC) 20 X& 5\n"},
      {17, "Macro(SC) Syntax error\nMacro(SC) 20 X& 5\n"},
      {2, "Macro(SC) 10 *T\nMacro(SC) 20 X& 5\nMacro(SC) Syntax error in 20\n"},
      {3, "Macro error\nSyntax error;\n20 X& 5\n"},
      {4, ""},
  };
  for (const Case& c : cases) {
    m.reportMode = c.mode;
    m.lastErrorLine = 0;
    ErrNo result = 0;
    EXPECT_EQ(RunCaptured("*T", &result), c.output) << "mode " << c.mode;
    EXPECT_EQ(result, kErrSyntax);
    EXPECT_EQ(m.lastErrorLine, 20u) << "every mode records the error";
    EXPECT_EQ(m.lastErrorNumber, 2u);
    EXPECT_STREQ(m.lastErrorText, "Syntax error");
  }
}

TEST_F(RunTest, DirectStatementErrorsLeaveErrAndErlAlone) {
  Program({"10 *T", "20 X& 5"});
  ASSERT_EQ(RunLabel(m, "*T"), kErrSyntax);
  ASSERT_EQ(m.lastErrorLine, 20u);

  ErrNo result = 0;
  m.reportMode = 2;
  EXPECT_EQ(DirectCaptured("Y& = 1 / 0", &result), "Macro(SC) Division by zero\n");
  EXPECT_EQ(result, kErrDivisionByZero);
  m.reportMode = 1;
  EXPECT_EQ(DirectCaptured("Y& = 1 / 0", &result),
            "Macro(SC) Division by zero\nMacro(SC) Y& = 1 / 0\n");
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
  std::string out = RunCaptured("*T", &result);
  EXPECT_EQ(out, "Macro(SC) Syntax error\nMacro(SC) " + line.substr(0, 511) + "\n");

  m.reportMode = 3;
  out = RunCaptured("*T", &result);
  const std::string text = "Syntax error;\n" + line;
  EXPECT_EQ(out, "Macro error\n" + text.substr(0, 511) + "\n");
}

TEST_F(RunTest, FullControlStackGivesInternalError) {
  Program({"10 *R", "20 Gosub *R"});
  ErrNo result = 0;
  // The 29th call has jumped before its entry failed to fit, so the report
  // lists the routine's first line.
  EXPECT_EQ(RunCaptured("*R", &result), "Macro(SC) Internal error\nMacro(SC) 10 *R\n");
  EXPECT_EQ(result, kErrInternal);
  EXPECT_EQ(DirectExecute(m, "R& = 1"), kOk) << "the object is usable afterwards";
}

TEST_F(RunTest, TrappedErrorsContinueAtCatchAndRecordTheStatement) {
  Program({"10 *T", "20 Try", "30 X& 5", "40 Catch", "50 E& = Errno", "60 End Try",
           "70 Try", "80 Goto *NOWHERE", "90 Catch", "100 F& = Errno", "110 End Try"});
  ErrNo result = 0;
  EXPECT_EQ(RunCaptured("*T", &result), "");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(Int(m, "E&"), 2);
  EXPECT_EQ(Int(m, "F&"), 32);
  EXPECT_EQ(m.trappedErrorStatement, tok::Goto);
  EXPECT_EQ(m.lastErrorLine, 0u) << "a trapped error is not reported outside trace mode";
}

TEST_F(RunTest, TraceListsNumberedLinesOnceEach) {
  Program({"10 A& = 1", "20 B& = 2", "30 C& = 3"});
  m.reportMode = 2;
  ErrNo result = 0;
  EXPECT_EQ(DirectCaptured("Goto 20", &result), "Macro(SC) 20 B& = 2\nMacro(SC) 30 C& = 3\n");
  EXPECT_EQ(result, kOk);
}

TEST_F(RunTest, SavedVariableBlocksRestoreNewestFirst) {
  ASSERT_EQ(DirectExecute(m, "A& = 9 : S$ = \"x\""), kOk);
  // Blocks as "VarPush" leaves them: one saved cell each.
  auto push = [&](uint8_t* cell, uint32_t value) {
    auto* block = static_cast<uint8_t*>(std::calloc(2, kSavedEntrySize));
    StorePtr(block, cell);
    StoreU32(block + 8, value);
    m.savedVariables[m.savedDepth++] = block;
  };
  push(Cell(m, tag::Int, "A&"), 5);
  push(Cell(m, tag::Int, "A&"), 7);
  EXPECT_EQ(RestoreSavedVariables(m, 1), kOk);
  EXPECT_EQ(Int(m, "A&"), 7);
  EXPECT_EQ(RestoreSavedVariables(m, 0), kOk);
  EXPECT_EQ(Int(m, "A&"), 5);

  // A text cell cannot be restored: every block is dropped.
  push(Cell(m, tag::Int, "A&"), 1);
  push(Cell(m, tag::Str, "S$"), 0);
  EXPECT_EQ(RestoreSavedVariables(m, 1), kErrInternal);
  EXPECT_EQ(m.savedDepth, 0);
  EXPECT_EQ(m.savedVariables[0], nullptr);
}

// Two label runs write a double and a text while direct statements copy them;
// the object lock must keep every copy whole. Run under ThreadSanitizer too.
TEST_F(RunTest, DirectStatementsSeeWholeValuesWhileLabelsRun) {
  const std::string a(64, 'a'), b(64, 'b');
  const std::string lineA = "30 X# = 1.5 : S$ = \"" + a + "\"";
  const std::string lineB = "80 X# = 2.5 : S$ = \"" + b + "\"";
  Program({"10 *A", "20 For I& = 1 To 3000", lineA.c_str(), "40 Next I&", "50 Return",
           "60 *B", "70 For J& = 1 To 3000", lineB.c_str(), "90 Next J&", "100 Return"});
  ASSERT_EQ(DirectExecute(m, "Y# = 0 : T$ = \"\""), kOk);

  ErrNo resultA = -1, resultB = -1;
  std::thread runA([&] { resultA = RunLabel(m, "*A"); });
  std::thread runB([&] { resultB = RunLabel(m, "*B"); });
  uint8_t* y = Cell(m, tag::Dbl, "Y#");
  uint8_t* t = Cell(m, tag::Str, "T$");
  ASSERT_NE(y, nullptr);
  ASSERT_NE(t, nullptr);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(DirectExecute(m, "Y# = X# : T$ = S$"), kOk);
    platform::LockGuard hold(m.lock);
    Value v;
    ASSERT_EQ(ReadScalar(m, y, v), kOk);
    EXPECT_TRUE(v.number == 0.0 || v.number == 1.5 || v.number == 2.5) << v.number;
    ASSERT_EQ(ReadScalar(m, t, v), kOk);
    const std::string text(v.text != nullptr ? v.text : "", static_cast<size_t>(v.count));
    EXPECT_TRUE(text.empty() || text == a || text == b) << text;
  }
  runA.join();
  runB.join();
  EXPECT_EQ(resultA, kOk);
  EXPECT_EQ(resultB, kOk);
}

TEST(HostNames, AssignmentsWriteThroughTheHostAndCoreServices) {
  test::FakeHost host;
  test::FakeCore core;
  test::MacroPtr macro(_CreateQorMacro(&host));
  ASSERT_NE(macro, nullptr);
  QorMacro& m = *macro;
  m.core = &core;
  m.reportMode = 0;

  EXPECT_EQ(DirectExecute(m, "SC.LIMIT&(2, 1 + 9) = 5"), kOk);
  EXPECT_EQ(DirectExecute(m, "SY.RATE# = 2.5"), kOk);
  EXPECT_EQ(DirectExecute(m, "SC.NAME$ = \"abc\""), kOk);
  ASSERT_EQ(host.log.size(), 2u);
  EXPECT_EQ(host.log[0], "slot 7 LIMIT&(2,10) int:5");
  EXPECT_EQ(host.log[1], "slot 7 NAME$ text:abc");
  ASSERT_EQ(core.log.size(), 1u);
  EXPECT_EQ(core.log[0], "slot 0 Macro_SY RATE# real:2.5");

  EXPECT_EQ(DirectExecute(m, "SC.X& 5"), kErrSyntax);
  EXPECT_EQ(DirectExecute(m, "SC.X&(1 = 5"), kErrSyntax);
  host.status = 1;
  EXPECT_EQ(DirectExecute(m, "SC.X& = 5"), kErrIllegalCall);

  host.value.SetData(41);
  host.status = 0;
  ASSERT_EQ(DirectExecute(m, "A& = SC.COUNT&(3) + 1"), kOk);
  EXPECT_EQ(host.log.back(), "slot 8 COUNT&(3)");
  EXPECT_EQ(Int(m, "A&"), 42);
}

}  // namespace
}  // namespace msc
