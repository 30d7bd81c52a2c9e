// The debug console driven through standard input: a pipe replaces fd 0 for
// the duration of each case, fed by a writer thread so that input larger
// than the pipe's buffer cannot block the test.
#include "engine/debug_console.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iterator>
#include <chrono>
#include <string>
#include <thread>

#include "engine/run.h"
#include "frontend/code.h"
#include "platform/named_sync.h"
#include "test_support.h"

namespace msc {
namespace {

using test::StdinFeed;
using test::IntVar;

class DebugConsoleTest : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Program(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_EQ(DirectExecute(m, line), kOk) << line;
  }
  // Opens the console on a stepping frame with the given input.
  std::string Console(const std::string& input, ExecFrame& f) {
    StdinFeed feed(input);
    return test::Captured([&] { EXPECT_EQ(DebugConsole(f), kOk); });
  }
  std::string RunWithInput(const char* label, const std::string& input, ErrNo* result) {
    StdinFeed feed(input);
    return test::Captured([&] { *result = RunLabel(m, label); });
  }
};

TEST_F(DebugConsoleTest, TypedLinesRunUntilEndOfInput) {
  ExecFrame f(&m);
  f.stepFlag = 1;
  f.stepMode = 2;
  EXPECT_EQ(Console("A& = 5\nX& 5\r\nB& = 6", f),
            "Macro(SC)> Macro(SC)> Macro(SC) Syntax error\nMacro(SC) X& 5\n"
            "Macro(SC)> Macro(SC)> ");
  EXPECT_EQ(IntVar(m, "A&"), 5);
  EXPECT_EQ(IntVar(m, "B&"), 6) << "a last line without its line end still runs";
  EXPECT_EQ(f.stepFlag, 0u) << "end of input continues like Cont";
  EXPECT_EQ(f.stepMode, 0u);
}

TEST_F(DebugConsoleTest, ContSetsTheStepStateOfTheStoppedFrame) {
  struct Case {
    const char* input;
    uint32_t flag, mode;
  } cases[] = {
      {"Cont\n", 0, 0}, {"Cont 0\n", 1, 2}, {"Cont 1\n", 1, 3},
      {"Cont 2\n", 0, 4}, {"Cont 9\n", 0, 0}, {"Cont :\n", 0, 0},
  };
  for (const Case& c : cases) {
    ExecFrame f(&m);
    f.stepFlag = 1;
    f.stepMode = 3;
    EXPECT_EQ(Console(std::string("Print 1\n") + c.input + "A& = 1\n", f),
              "Macro(SC)> 1\nMacro(SC)> ")
        << c.input;
    EXPECT_EQ(f.stepFlag, c.flag) << c.input;
    EXPECT_EQ(f.stepMode, c.mode) << c.input;
  }
  EXPECT_EQ(IntVar(m, "A&"), -999) << "input after Cont is left for the next reader";
}

// A tool's line reader (line editing) takes the place of standard input,
// prompt included; "help" is answered by the console, not run.
TEST_F(DebugConsoleTest, AnInstalledLineReaderReadsTheLines) {
  static const char* const kTyped[] = {"help", "A& = 7", "Cont 1"};
  static size_t next = 0;
  static std::string prompts;
  next = 0;
  prompts.clear();
  SetConsoleLineReader([](const char* prompt, char* line, size_t capacity) {
    prompts += prompt;
    if (next == std::size(kTyped)) return false;
    std::snprintf(line, capacity, "%s", kTyped[next++]);
    return true;
  });
  ExecFrame f(&m);
  StdinFeed feed("A& = 1\n");  // never read
  const std::string shown = test::Captured([&] { EXPECT_EQ(DebugConsole(f), kOk); });
  SetConsoleLineReader(nullptr);
  EXPECT_EQ(prompts, "Macro(SC)> Macro(SC)> Macro(SC)> ");
  EXPECT_NE(shown.find("Cont 1"), std::string::npos) << "help lists the step forms: " << shown;
  EXPECT_EQ(shown.find("Unrecognized"), std::string::npos) << shown;
  EXPECT_EQ(IntVar(m, "A&"), 7);
  EXPECT_EQ(f.stepMode, 3u);
}

TEST_F(DebugConsoleTest, StopStepsThroughLinesButNotComments) {
  Program({"10 *T", "20 Debug 17 : Stop", "30 A& = 1", "40 ' note", "50 B& = 2", "60 Return"});
  ErrNo result = -1;
  EXPECT_EQ(RunWithInput("*T", "Cont 0\nCont 0\nPrint A&\nCont\n", &result),
            "Macro(SC) Stop in 20\n"
            "Macro(SC) 30 A& = 1\nMacro(SC)> "
            "Macro(SC) 40 ' note\n"
            "Macro(SC) 50 B& = 2\nMacro(SC)> "
            "Macro(SC) 60 Return\nMacro(SC)> 1\nMacro(SC)> ");
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(IntVar(m, "B&"), 2);
}

TEST_F(DebugConsoleTest, AnErrorWhileSteppingOpensTheConsoleOnceMore) {
  Program({"10 *T", "20 Debug 17 : Stop", "30 X& 5"});
  ErrNo result = 0;
  EXPECT_EQ(RunWithInput("*T", "Cont 0\nA& = 3\n", &result),
            "Macro(SC) Stop in 20\n"
            "Macro(SC) 30 X& 5\nMacro(SC)> "
            "Macro(SC) Syntax error\nMacro(SC) 30 X& 5\n"
            "Macro(SC)> Macro(SC)> ");
  EXPECT_EQ(result, kErrSyntax);
  EXPECT_EQ(IntVar(m, "A&"), 3);
}

// Lines typed at the console while a routine is stopped move the program
// (far enough to move the whole area); the routine's Return, its loop and
// the stopped line itself move with it. A routine whose caller's line is
// replaced ends the run at its Return.
TEST_F(DebugConsoleTest, LinesTypedWhileStoppedMoveThePlacesOfTheRun) {
  Program({"10 *T : Gosub *S : R& = R& + 1 : Return", "20 *S : For I& = 1 To 2 : Debug 16 : Stop : N& = N& + 1",
           "30 Next : Return"});
  std::string typed;
  for (int k = 1; k <= 5; ++k) typed += std::to_string(k) + " '" + std::string(900, 'x') + "\n";
  ErrNo result = -1;
  (void)RunWithInput("*T", typed + "Cont\nCont\n", &result);
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(IntVar(m, "N&"), 2);
  EXPECT_EQ(IntVar(m, "R&"), 1);

  ASSERT_EQ(DirectExecute(m, "N& = 0 : R& = 0"), kOk);
  (void)RunWithInput("*T", "10 *T : R& = 5 : Return\nCont\nCont\n", &result);
  EXPECT_EQ(result, kOk);
  EXPECT_EQ(IntVar(m, "N&"), 2);
  EXPECT_EQ(IntVar(m, "R&"), 0) << "the caller's line was replaced: the run ends at the Return";
}

TEST_F(DebugConsoleTest, OverlongLineIsCutAndTheNextLineStillRuns) {
  ExecFrame f(&m);
  const std::string input = "'" + std::string(3 * kConsoleLineSize, 'x') + "\nA& = 9\n";
  // The cut line is still too long to compile.
  EXPECT_EQ(Console(input, f),
            "Macro(SC)> Macro(SC) Line buffer overflow\nMacro(SC)> Macro(SC)> ");
  EXPECT_EQ(IntVar(m, "A&"), 9);
}

// Another thread's console: closed (owner mutex held, event not yet set),
// this entry prints the stop text and waits; open, it joins at once and
// leaves the console open for its owner.
TEST_F(DebugConsoleTest, AnotherThreadsConsoleIsWaitedForOrJoined) {
  const std::string pid = std::to_string(static_cast<long>(getpid()));
  platform::NamedMutex* owner = platform::OpenNamedMutex("ConsoleMutex_" + pid);
  platform::NamedEvent* open = platform::OpenNamedEvent("ConsoleEvent_" + pid);
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(open, nullptr);
  for (const bool opened : {false, true}) {
    std::atomic<bool> held{false}, release{false};
    std::thread other([&] {
      owner->Lock();
      if (opened) open->Set();
      held = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      owner->Unlock();
      open->Reset();
    });
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // A waiting entry needs the owner to finish on its own.
    std::thread timer([&] {
      if (opened) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      release = true;
    });
    ExecFrame f(&m);
    EXPECT_EQ(Console("", f), opened ? "Macro(SC)> " : "Stop : Press Enter key to continue ...Macro(SC)> ");
    if (opened) {
      EXPECT_TRUE(open->IsSet()) << "only the owner closes the console";
    }
    release = true;
    timer.join();
    other.join();
  }
}

}  // namespace
}  // namespace msc
