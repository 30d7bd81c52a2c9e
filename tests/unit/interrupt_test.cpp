// _InterruptQorMacro: a run of every kind that would never end on its own
// (a decoded loop, the general path under trace, a Wait, an Input on a
// silent pipe, a Shell that waits, a debug console prompt, ParallelExecute
// tasks) ends with error 210 once the host calls it, Try does not catch it,
// and the object then runs the next call as if nothing had happened.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace msc {
namespace {

// Standard input becomes a pipe nobody writes to until the scope ends.
class SilentStdin {
 public:
  SilentStdin() {
    if (pipe(ends_) != 0) return;
    saved_ = dup(STDIN_FILENO);
    dup2(ends_[0], STDIN_FILENO);
  }
  ~SilentStdin() {
    if (saved_ < 0) return;
    close(ends_[1]);
    dup2(saved_, STDIN_FILENO);
    close(saved_);
    close(ends_[0]);
  }
  SilentStdin(const SilentStdin&) = delete;
  SilentStdin& operator=(const SilentStdin&) = delete;

 private:
  int ends_[2] = {-1, -1};
  int saved_ = -1;
};

class Interrupt : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Load(const std::vector<std::string>& lines) { test::NumberedLines(m, lines); }
  int32_t Int(const wchar_t* name) {
    AnyType v;
    return _GetVariable(&m, name, &v) == 0 ? v.GetIntValue() : -999;
  }
  // Runs label on a thread, waits until the program has set STARTED& to
  // want, interrupts, and returns the label's result and what it printed.
  int32_t RunAndInterrupt(const wchar_t* label, int32_t want = 1) {
    int32_t result = -1;
    std::thread run([&] { result = _Gosub(&m, label); });
    while (Int(L"STARTED&") < want) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Let the run get well into its wait or loop first.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(_InterruptQorMacro(&m), 0);
    run.join();
    return result;
  }
};

TEST_F(Interrupt, EndsEveryKindOfEndlessRun) {
  struct Case {
    const char* name;
    std::vector<std::string> body;  // after STARTED& = 1
    int32_t started = 1;            // STARTED& once the body is under way
  };
  std::vector<std::string> tasks = {"ParallelExecute"};
  for (int task = 0; task < 4; ++task)
    tasks.insert(tasks.end(), {"Task", "STARTED& = STARTED& + 1", task % 2 ? "Wait 100000" : "Do : Loop While 1"});
  tasks.push_back("End ParallelExecute");
  const Case cases[] = {
      {"one-line loop", {"Do : Loop While 1"}},
      {"decoded loop over lines", {"For I& = 1 To 1 Step 0", "N& = N& + 1", "Next I&"}},
      {"Goto loop", {"*AGAIN", "N& = N& + 1 : Goto *AGAIN"}},
      {"Gosub loop", {"*AGAIN", "Gosub *NOTHING : Goto *AGAIN"}},
      {"Wait", {"Wait 100000"}},
      {"Input on a silent pipe", {"Input A$"}},
      {"Shell that waits", {"Shell \"sleep 30\", 1"}},
      {"debug console prompt", {"Stop", "Do : Loop While 1"}},
      {"inside Try", {"Try", "Do : Loop While 1", "Catch", "CAUGHT& = 1", "End Try"}},
      // Every task ends, and the statement that started them ends the caller.
      {"parallel tasks", tasks, 5},
      // Under trace every statement runs the general way and is printed; the
      // trace stays on, so this case comes last.
      {"traced Goto loop", {"Debug 2", "*AGAIN", "N& = N& + 1", "Goto *AGAIN"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(_DirectExecute(&m, L"New"), 0);
    std::vector<std::string> lines = {"*MAIN", "STARTED& = 1"};
    lines.insert(lines.end(), c.body.begin(), c.body.end());
    lines.insert(lines.end(), {"AFTER& = 1", "Return", "*NOTHING", "Return", "*OTHER", "DONE& = 7", "Return"});
    Load(lines);
    SilentStdin silent;
    int32_t result = 0;
    const std::string printed = test::Captured([&] { result = RunAndInterrupt(L"*MAIN", c.started); });
    EXPECT_EQ(result, 210);
    EXPECT_NE(printed.find("Interrupted"), std::string::npos) << printed;
    EXPECT_EQ(Int(L"CAUGHT&") + Int(L"AFTER&"), 0);
    // The object is usable at once, and a run after the interrupt is not affected.
    EXPECT_EQ(_Gosub(&m, L"*OTHER"), 0);
    EXPECT_EQ(Int(L"DONE&"), 7);
  }
}

// A direct statement is a run too; an interrupt with nothing running changes nothing.
TEST_F(Interrupt, EndsADirectStatementAndIsForgottenWhenNothingRuns) {
  EXPECT_EQ(_InterruptQorMacro(&m), 0);
  EXPECT_EQ(_InterruptQorMacro(nullptr), -1);
  EXPECT_EQ(_DirectExecute(&m, L"X& = 5"), 0);
  EXPECT_EQ(Int(L"X&"), 5);
  int32_t result = 0;
  std::thread run([&] { result = _DirectExecute(&m, L"STARTED& = 1 : Do : X& = X& + 1 : Loop While 1"); });
  while (Int(L"STARTED&") < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  (void)test::Captured([&] {
    EXPECT_EQ(_InterruptQorMacro(&m), 0);
    run.join();
  });
  EXPECT_EQ(result, 210);
  EXPECT_GT(Int(L"X&"), 5);
}

// A host that turns trace on while decoded forms run (a loop over lines,
// one stepped by Next, one by Goto) sees the loop's lines printed from then
// on; turning it off again lets the forms take over, until the interrupt.
TEST_F(Interrupt, TraceTurnedOnByTheHostShowsTheRunningLoop) {
  const std::vector<std::vector<std::string>> loops = {
      {"*MAIN", "STARTED& = 1", "For I& = 1 To 2 Step 0", "N& = N& + 1", "Next I&", "Return"},
      {"*MAIN", "STARTED& = 1", "*AGAIN", "N& = N& + 1", "If N& > 0 Then Goto *AGAIN", "Return"},
  };
  for (const auto& lines : loops) {
    EXPECT_EQ(_DirectExecute(&m, L"New"), 0);
    EXPECT_EQ(_DirectExecute(&m, L"Debug 0"), 0);
    Load(lines);
    int32_t result = -1;
    const std::string printed = test::Captured([&] {
      std::thread run([&] { result = _Gosub(&m, L"*MAIN"); });
      while (Int(L"STARTED&") < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      EXPECT_EQ(_DirectExecute(&m, L"Debug 2"), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      EXPECT_EQ(_DirectExecute(&m, L"Debug 0"), 0);
      EXPECT_EQ(_InterruptQorMacro(&m), 0);
      run.join();
    });
    EXPECT_EQ(result, 210);
    // Line 40 is the loop's counting line, traced as "40 N& = N& + 1".
    EXPECT_NE(printed.find("40 N& = N& + 1"), std::string::npos) << lines[2];
  }
}

}  // namespace
}  // namespace msc
