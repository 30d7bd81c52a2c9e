// ParallelExecute: tasks run at the same time on frames of their own, an
// error ends only its task, and the statement's block boundaries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run.h"
#include "test_support.h"

namespace msc {
namespace {

using test::Captured;
using test::IntVar;
using testing::HasSubstr;

// Waiting loops give up after this many passes, so that tasks run one after
// the other fail the test instead of hanging it.
constexpr const char* kPatience = "2000000";

class ParallelTest : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Program(const std::vector<std::string>& lines) { test::NumberedLines(m, lines); }
  std::string Run(ErrNo* result) {
    return Captured([&] { *result = RunLabel(m, "*MAIN"); });
  }
  // A loop that waits until condition holds, counting its passes in counter.
  static std::string WaitFor(const std::string& condition, const std::string& counter) {
    return "Do : " + counter + " = " + counter + " + 1 : Loop While Not (" + condition + ") And " +
           counter + " < " + kPatience;
  }
};

TEST_F(ParallelTest, TasksRunTogetherEachWithItsOwnControlStack) {
  Program({"*MAIN",
           "ParallelExecute",
           "NEVER& = 1",
           "Task",
           "F1& = 1 : Gosub *TWICE",
           WaitFor("F2& = 1", "N1&"),
           "For I& = 1 To 3",
           "Try",
           "X& = 1 / 0",
           "Catch",
           "E1& = E1& + Errno",
           "End Try",
           "Next I&",
           "Task",
           "F2& = 1",
           WaitFor("F1& = 1", "N2&"),
           "For J& = 1 To 4 : Gosub *TWICE : Next J&",
           "End ParallelExecute",
           "AFTER& = G&",
           "Return",
           "*TWICE",
           "G& = G& + 2",
           "Return"});
  ErrNo result = -1;
  EXPECT_EQ(Run(&result), "");
  EXPECT_EQ(result, kOk);
  EXPECT_LT(IntVar(m, "N1&"), 2000000) << "task 1 never saw task 2 running";
  EXPECT_LT(IntVar(m, "N2&"), 2000000) << "task 2 never saw task 1 running";
  EXPECT_EQ(IntVar(m, "NEVER&"), 0) << "nothing before the first Task runs";
  EXPECT_EQ(IntVar(m, "E1&"), 33);
  EXPECT_EQ(IntVar(m, "I&"), 4);
  EXPECT_EQ(IntVar(m, "J&"), 5);
  EXPECT_EQ(IntVar(m, "AFTER&"), 10) << "the caller waits for both tasks";
}

TEST_F(ParallelTest, AnErrorIsReportedAndEndsOnlyItsTask) {
  Program({"*MAIN",
           "ParallelExecute",
           "Task",
           "A& = 1 / 0",
           "A& = 5",
           "Task",
           "Gosub *BAD",
           "B& = 2",
           "Task",
           "C& = 3",
           "End ParallelExecute",
           "D& = 4",
           "Return",
           "*BAD",
           "Y& = 1 / 0",
           "Return"});
  ErrNo result = -1;
  const std::string out = Run(&result);
  EXPECT_EQ(result, kOk);
  EXPECT_THAT(out, HasSubstr("Macro(SC) Division by zero\n"));
  EXPECT_THAT(out, HasSubstr("Macro(SC) 40 A& = 1 / 0\n"));
  EXPECT_THAT(out, HasSubstr("Macro(SC) 150 Y& = 1 / 0\n"));
  EXPECT_EQ(IntVar(m, "A&"), 0);
  EXPECT_EQ(IntVar(m, "B&"), 0);
  EXPECT_EQ(IntVar(m, "C&"), 3);
  EXPECT_EQ(IntVar(m, "D&"), 4);

  // The same in trace mode: each report names its line.
  ASSERT_EQ(DirectExecute(m, "Debug 2"), kOk);
  const std::string traced = Run(&result);
  EXPECT_EQ(result, kOk);
  EXPECT_THAT(traced, HasSubstr("Macro(SC) Division by zero in 40\n"));
  EXPECT_THAT(traced, HasSubstr("Macro(SC) Division by zero in 150\n"));
  EXPECT_THAT(traced, HasSubstr("Macro(SC) 100 C& = 3\n")) << "task lines are traced";
}

// 31 tasks at most: the 31st is run by a task and then once more by the
// caller, which carries on through the tasks that were not collected.
TEST_F(ParallelTest, TheThirtyFirstTaskEndsTheCollection) {
  std::vector<std::string> lines = {"*MAIN", "Dim C&(40)", "ParallelExecute"};
  for (int task = 1; task <= 33; ++task) {
    lines.push_back("Task");
    lines.push_back("C&(" + std::to_string(task) + ") = C&(" + std::to_string(task) + ") + 1");
  }
  lines.insert(lines.end(), {"End ParallelExecute", "Return"});
  Program(lines);
  ErrNo result = -1;
  EXPECT_EQ(Run(&result), "");
  EXPECT_EQ(result, kOk);
  for (int task = 1; task <= 33; ++task) {
    const std::string read = "X& = C&(" + std::to_string(task) + ")";
    ASSERT_EQ(DirectExecute(m, read.c_str()), kOk);
    EXPECT_EQ(IntVar(m, "X&"), task == 31 ? 2 : 1) << "task " << task;
  }
}

// Tasks that wait for each other all run at once, also when a task runs a
// block of its own and there are more of them than processors.
TEST_F(ParallelTest, NestedBlocksDoNotStarve) {
  Program({"*MAIN",
           "ParallelExecute",
           "Task",
           "ParallelExecute",
           "Task",
           "S& = S& + 1",
           WaitFor("S& >= 4", "N1&"),
           "Task",
           "S& = S& + 1",
           WaitFor("S& >= 4", "N2&"),
           "End ParallelExecute",
           "INNER& = 1",
           "Task",
           "S& = S& + 1",
           WaitFor("S& >= 4", "N3&"),
           "Task",
           "S& = S& + 1",
           WaitFor("S& >= 4", "N4&"),
           "End ParallelExecute",
           "Return"});
  ErrNo result = -1;
  EXPECT_EQ(Run(&result), "");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(IntVar(m, "INNER&"), 1) << "the outer task goes on after its inner block";
  for (const char* counter : {"N1&", "N2&", "N3&", "N4&"})
    EXPECT_LT(IntVar(m, counter), 2000000) << counter << " waited in vain";
}

}  // namespace
}  // namespace msc
