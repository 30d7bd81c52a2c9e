// Several runs on one macro object at once: two threads call labels with
// _Gosub while a third gives _DirectExecute direct statements, all reading and
// assigning the same variables. Every assignment and every evaluation holds the
// object lock, so no run may ever see a half-written value, and a counter that
// all three increment with C& = C& + 1 loses no update. Meant to run under
// ThreadSanitizer as well. Host threads and parallel tasks on the same
// variables are the soak test's.
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "test_support.h"

namespace msc {
namespace {

constexpr int kLabelPasses = 1500;  // For-loop passes of each label run
constexpr int kDirectRounds = 400;  // rounds of direct statements
constexpr size_t kTextLength = 48;
// What one label run adds to C&: each pass adds 1, then 1 or 2 by the
// Select, then 1 on every second pass.
constexpr int32_t kPerLabel =
    kLabelPasses + (kLabelPasses / 3 + 2 * (kLabelPasses - kLabelPasses / 3)) + kLabelPasses / 2;

// One label: flips the shared text, double and integer to its own values and
// checks what it reads back (its own copy T?$, then the shared S$ and D#
// directly); a read that is neither writer's value counts in BAD&. The loop
// variable is the only variable a run owns.
std::vector<std::string> Worker(int first, const char* label, char letter, const char* loop,
                                const char* number, const char* copy) {
  const std::string text(kTextLength, letter);
  const std::vector<std::string> body = {
      std::string(label),
      "For " + std::string(loop) + " = 1 To " + std::to_string(kLabelPasses),
      "S$ = \"" + text + "\"",
      std::string(copy) + " = S$",
      "If " + std::string(copy) + " <> A$ And " + std::string(copy) + " <> B$ Then BAD& = BAD& + 1",
      "D# = " + std::string(number),
      "If D# <> 1.5 And D# <> -2.25 Then BAD& = BAD& + 1",
      "If S$ <> A$ And S$ <> B$ Then BAD& = BAD& + 1",
      "C& = C& + 1",
      // Blocks skipped and entered in turn, their ends remembered by both runs.
      "Select " + std::string(loop) + " MOD 3",
      "Case 0",
      "C& = C& + 1",
      "Case Else",
      "C& = C& + 2",
      "End Select",
      "If " + std::string(loop) + " MOD 2 = 0 Then",
      "C& = C& + 1",
      "Else",
      "EndIf",
      "Next " + std::string(loop),
      "Return",
  };
  std::vector<std::string> lines;
  for (const std::string& statement : body) {
    lines.push_back(std::to_string(first) + " " + statement);
    first += 10;
  }
  return lines;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

class ThreadSafety : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Load(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      ASSERT_EQ(_DirectExecute(&m, Wide(line).c_str()), 0) << line;
    }
  }
  // Read after the threads have joined, so without the lock.
  int32_t Int(const char* name) { return test::IntVar(m, name); }
  std::string Text(const char* name) { return test::TextVar(m, tag::Str, name); }
};

TEST_F(ThreadSafety, LabelsAndDirectStatementsSeeOnlyWholeValues) {
  const std::string as(kTextLength, 'A');
  const std::string bs(kTextLength, 'B');
  Load(Worker(100, "*WA", 'A', "I&", "1.5", "TA$"));
  Load(Worker(500, "*WB", 'B', "J&", "-2.25", "TB$"));
  // The reference values and the shared state exist before any run starts, so
  // that no run creates a cell while another reads the variable area.
  Load({"A$ = \"" + as + "\"", "B$ = \"" + bs + "\"", "S$ = A$", "TA$ = A$", "TB$ = B$",
        "TD$ = A$", "D# = 1.5", "C& = 0", "BAD& = 0", "X& = 0"});

  int32_t resultA = -1;
  int32_t resultB = -1;
  int32_t directFailures = 0;
  {
    std::thread a([&] { resultA = _Gosub(&m, L"*WA"); });
    std::thread b([&] { resultB = _Gosub(&m, L"*WB"); });
    std::thread direct([&] {
      // Direct statements only: a host must not edit the program while it runs.
      const std::vector<std::wstring> statements = {
          Wide("S$ = \"" + bs + "\""),
          L"TD$ = S$ : If TD$ <> A$ And TD$ <> B$ Then BAD& = BAD& + 1",
          L"D# = -2.25 : X& = X& + Len(S$)",
          L"C& = C& + 1",
          L"If D# <> 1.5 And D# <> -2.25 Then BAD& = BAD& + 1",
          Wide("S$ = \"" + as + "\""),
      };
      for (int round = 0; round < kDirectRounds; ++round) {
        for (const std::wstring& s : statements) {
          if (_DirectExecute(&m, s.c_str()) != 0) ++directFailures;
        }
      }
    });
    a.join();
    b.join();
    direct.join();
  }

  EXPECT_EQ(resultA, 0);
  EXPECT_EQ(resultB, 0);
  EXPECT_EQ(directFailures, 0);
  EXPECT_EQ(Int("BAD&"), 0);
  EXPECT_EQ(Int("C&"), 2 * kPerLabel + kDirectRounds);
  EXPECT_EQ(Int("X&"), static_cast<int32_t>(kDirectRounds * kTextLength));
  for (const char* name : {"S$", "TA$", "TB$", "TD$"}) {
    const std::string v = Text(name);
    EXPECT_TRUE(v == as || v == bs) << name << " = " << v;
  }
  // The loop variables were never shared: each ran to its own end.
  EXPECT_EQ(Int("I&"), kLabelPasses + 1);
  EXPECT_EQ(Int("J&"), kLabelPasses + 1);
}

// An edit of the program while the object runs on another thread is refused
// with 5, so the other run's places in the program stay valid: from the host
// (a numbered line, a deletion, New, a load) while a label runs, and from a
// parallel task while its caller waits. Once the run is over the host edits.
TEST_F(ThreadSafety, ProgramEditsAreRefusedWhileOtherThreadsRun) {
  Load({"10 *SPIN", "20 RUN& = 1", "30 *AGAIN", "40 If STOP& = 0 Then Goto *AGAIN", "50 Return", "60 *TASKS",
        "70 ParallelExecute", "80 Task", "90 Gosub *SPIN", "100 Task",
        "110 Try : Delete 10-50 : Catch : E& = Errno : End Try", "120 STOP& = 1", "130 End ParallelExecute",
        "140 Return", "RUN& = 0", "STOP& = 0", "E& = 0"});
  std::vector<uint32_t> image(static_cast<size_t>(_GetProgramSize(&m)) / 4 + 1);
  ASSERT_EQ(_SaveProgramM(&m, image.data()), 0);

  int32_t result = -1;
  std::thread run([&] { result = _Gosub(&m, L"*SPIN"); });
  AnyType v;
  while (_GetVariable(&m, L"RUN&", &v) != 0 || v.GetIntValue() != 1) std::this_thread::yield();
  for (const wchar_t* edit : {L"45 RUN& = 2", L"40", L"Delete 10-50", L"New"})
    EXPECT_EQ(_DirectExecute(&m, edit), 5) << Narrow(edit);
  EXPECT_EQ(_LoadProgramM(&m, image.data()), 5);
  v.SetData(1);
  ASSERT_EQ(_SetVariable(&m, L"STOP&", &v), 0);
  run.join();
  EXPECT_EQ(result, 0);
  EXPECT_NE(FindLineRecord(m, 40), nullptr);
  EXPECT_EQ(_DirectExecute(&m, L"45 REM"), 0);

  ASSERT_EQ(_DirectExecute(&m, L"STOP& = 0"), 0);
  EXPECT_EQ(_Gosub(&m, L"*TASKS"), 0);
  EXPECT_EQ(Int("E&"), 5);
  EXPECT_NE(FindLineRecord(m, 10), nullptr);
}

// A host that, asked for a unit title, has another thread replace S$ and
// waits for it: it would wait for ever if the run asking kept the object
// lock. The run's pending left operand (S$, borrowed) is its own copy by
// then, so the concatenation still sees the text S$ held before.
class AssigningHost : public HostInterface {
 public:
  QorMacro* macro = nullptr;
  bool assignedMeanwhile = false;
  int32_t GetUnitTitle(int32_t, wchar_t* buffer, int32_t* capacity) override {
    std::thread other([this] {
      AnyType v;
      v.SetData(L"replaced, and the old buffer freed");
      assignedMeanwhile = _SetVariable(macro, L"S$", &v) == 0;
    });
    other.join();
    std::wcsncpy(buffer, L"-title", static_cast<size_t>(*capacity));
    return 0;
  }
};

TEST(HostCalls, AreMadeWithTheObjectLockFree) {
  AssigningHost host;
  test::MacroPtr macro(_CreateQorMacro(&host));
  host.macro = macro.get();
  for (const wchar_t* line : {L"S$ = \"left\" + Chr$(32)", L"R$ = S$ + UnitTitle$(1) + S$"})
    ASSERT_EQ(_DirectExecute(macro.get(), line), 0);
  EXPECT_TRUE(host.assignedMeanwhile);
  AnyType v;
  ASSERT_EQ(_GetVariable(macro.get(), L"R$", &v), 0);
  EXPECT_EQ(std::wstring(v.GetString()), L"left -titlereplaced, and the old buffer freed");
}

}  // namespace
}  // namespace msc

namespace msc::platform {
namespace {

// Two runs that hold the lock across their statements and hand it over when
// it says so, and host threads that take it for one access each: the host
// threads get every access through while the runs never stop on their own,
// both runs make progress, and nobody is ever inside with another.
TEST(RecursiveLockFairness, RunsShareAndHostThreadsGetIn) {
  RecursiveLock lock;
  std::atomic<bool> stop{false};
  std::atomic<int> inside{0}, overlaps{0};
  long passes[2] = {0, 0};  // each written only by its run, under the lock
  long hostAccesses = 0;    // written under the lock
  std::vector<std::thread> runs;
  for (int r = 0; r < 2; ++r) {
    runs.emplace_back([&, r] {
      RecursiveLock::PatientScope patient;
      lock.lock();
      while (!stop.load(std::memory_order_relaxed)) {
        if (inside.fetch_add(1) != 0) ++overlaps;
        ++passes[r];
        inside.fetch_sub(1);
        if (lock.HandOverWanted()) lock.HandOver();
      }
      lock.unlock();
    });
  }
  // Both runs get the lock in turn: each waits at most a slice for the other.
  const auto progressed = [&](int r) {
    LockGuard guard(lock);
    return passes[r] > 0;
  };
  while (!progressed(0) || !progressed(1)) std::this_thread::yield();
  std::vector<std::thread> hosts;
  for (int h = 0; h < 3; ++h) {
    hosts.emplace_back([&] {
      for (int i = 0; i < 300; ++i) {
        LockGuard guard(lock);
        if (inside.fetch_add(1) != 0) ++overlaps;
        ++hostAccesses;
        inside.fetch_sub(1);
      }
    });
  }
  for (std::thread& t : hosts) t.join();
  stop = true;
  for (std::thread& t : runs) t.join();
  EXPECT_EQ(hostAccesses, 900);
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_GT(passes[0], 0);
  EXPECT_GT(passes[1], 0);
}

}  // namespace
}  // namespace msc::platform
