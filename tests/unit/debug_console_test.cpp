// The debug console driven through standard input: a pipe replaces fd 0 for
// the duration of each case, fed by a writer thread so that input larger
// than the pipe's buffer cannot block the test.
#include "engine/debug_console.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "engine/run.h"
#include "frontend/code.h"
#include "platform/named_sync.h"
#include "test_support.h"

namespace msc {
namespace {

// Standard input reads the given text, then its end.
class StdinFeed {
 public:
  explicit StdinFeed(std::string text) {
    int ends[2];
    if (pipe(ends) != 0) return;
    saved_ = dup(STDIN_FILENO);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
    writer_ = std::thread([fd = ends[1], text = std::move(text)] {
      size_t done = 0;
      while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      close(fd);
    });
  }
  ~StdinFeed() {
    if (saved_ < 0) return;
    // Whatever the case left unread is drained so the writer can finish.
    char sink[4096];
    while (read(STDIN_FILENO, sink, sizeof sink) > 0) {
    }
    writer_.join();
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }
  StdinFeed(const StdinFeed&) = delete;
  StdinFeed& operator=(const StdinFeed&) = delete;

 private:
  int saved_ = -1;
  std::thread writer_;
};

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
