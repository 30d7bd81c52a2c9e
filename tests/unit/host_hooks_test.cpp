// The output hook and the last error, as a host embedding the engine uses them.
#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

#include "test_support.h"

namespace msc::test {
namespace {

struct Console {
  std::mutex mutex;
  std::vector<std::pair<std::string, int>> pieces;
  QorMacro* callBack = nullptr;  // the hook reads a variable of it when set

  std::string Text(int isReport) {
    std::string all;
    for (const auto& [text, report] : pieces)
      if (report == isReport) all += text;
    return all;
  }
};

void Collect(void* context, const char* text, int32_t isReport) {
  auto& c = *static_cast<Console*>(context);
  if (c.callBack != nullptr) {
    // Never under the object lock: a hook may wait for a thread that needs it.
    EXPECT_FALSE(c.callBack->lock.OwnedByThisThread()) << text;
    AnyType value;
    EXPECT_EQ(_GetVariable(c.callBack, L"1 + 1", &value), 0);
  }
  std::lock_guard<std::mutex> hold(c.mutex);
  c.pieces.emplace_back(text, isReport);
}

std::wstring WriteProgram(const char* text) {
  static int n = 0;
  const std::string path = ::testing::TempDir() + "hooks_" + std::to_string(::getpid()) + "_" +
                           std::to_string(n++) + ".mcr";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs(text, f);
  std::fclose(f);
  return std::wstring(path.begin(), path.end());
}

MscLastError LastError(QorMacro* m) {
  MscLastError e{};
  EXPECT_EQ(_GetLastErrorQorMacro(m, &e), 0);
  return e;
}

TEST(OutputHook, PrintAndReportsReachTheHookOfTheirObjectOnly) {
  MacroPtr a = NewMacro();
  MacroPtr b = NewMacro();
  Console console;
  console.callBack = a.get();
  ASSERT_EQ(_SetOutputHookQorMacro(a.get(), Collect, &console), 0);
  const std::string out = Captured([&] {
    EXPECT_EQ(_DirectExecute(a.get(), L"Print \"x\"; 1"), 0);
    EXPECT_EQ(_DirectExecute(a.get(), L"A& = 1 / 0"), 11);
    // A compile error is printed while the object lock is held.
    EXPECT_EQ(_DirectExecute(a.get(), L"Option Explicit"), 0);
    EXPECT_EQ(_DirectExecute(a.get(), L"Q& = 1"), 200);
    EXPECT_EQ(_DirectExecute(b.get(), L"Print \"other\""), 0);
  });
  EXPECT_EQ(out, "other\n");
  EXPECT_EQ(console.Text(0), "x1\n");
  const std::string reports = console.Text(1);
  EXPECT_NE(reports.find("Macro(SC) "), std::string::npos) << reports;
  EXPECT_NE(reports.find("Division by zero\n"), std::string::npos) << reports;
  EXPECT_NE(reports.find("Undefined variable"), std::string::npos) << reports;

  ASSERT_EQ(_SetOutputHookQorMacro(a.get(), nullptr, nullptr), 0);
  EXPECT_EQ(Captured([&] { EXPECT_EQ(_DirectExecute(a.get(), L"Print 2"), 0); }), "2\n");
  EXPECT_EQ(_SetOutputHookQorMacro(nullptr, Collect, &console), -1);
}

TEST(OutputHook, ParallelTasksPrintThroughTheHook) {
  MacroPtr m = NewMacro();
  Console console;
  ASSERT_EQ(_SetOutputHookQorMacro(m.get(), Collect, &console), 0);
  const std::string out = Captured([&] {
    EXPECT_EQ(_LoadProgramF(m.get(), WriteProgram("*MAIN\r\nParallelExecute\r\nTask\r\nPrint \"left\"\r\n"
                                                  "Task\r\nPrint \"right\"\r\nEnd ParallelExecute\r\n"
                                                  "Return\r\n").c_str()),
              0);
    EXPECT_EQ(_Gosub(m.get(), L"*MAIN"), 0);
  });
  EXPECT_EQ(out, "");
  const std::string printed = console.Text(0);
  EXPECT_NE(printed.find("left\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("right\n"), std::string::npos) << printed;
}

TEST(LastError, RunAndLoadErrorsNameTheirProgramAndFileLines) {
  MacroPtr m = NewMacro();
  Console console;
  ASSERT_EQ(_SetOutputHookQorMacro(m.get(), Collect, &console), 0);
  EXPECT_EQ(LastError(m.get()).number, 0);

  const std::wstring program = WriteProgram("*MAIN\r\n  A& = 1\r\n  A& = 1 / 0\r\n  Return\r\n");
  ASSERT_EQ(_LoadProgramF(m.get(), program.c_str()), 0);
  EXPECT_EQ(_Gosub(m.get(), L"*MAIN"), 11);
  MscLastError e = LastError(m.get());
  EXPECT_EQ(e.number, 11);
  EXPECT_EQ(e.line, 30u);
  EXPECT_EQ(e.fileLine, 3u);
  EXPECT_STREQ(e.message, "Division by zero");

  // A success leaves the error; once edited, the program's lines no longer
  // tell file lines.
  EXPECT_EQ(_DirectExecute(m.get(), L"A& = 0"), 0);
  EXPECT_EQ(LastError(m.get()).number, 11);
  EXPECT_EQ(_DirectExecute(m.get(), L"100 Print"), 0);
  EXPECT_EQ(_Gosub(m.get(), L"*MAIN"), 11);
  EXPECT_EQ(LastError(m.get()).fileLine, 0u);

  // A direct statement has no line; a refused call says so.
  EXPECT_EQ(_DirectExecute(m.get(), L"A& = \"x\" * 2"), 13);
  e = LastError(m.get());
  EXPECT_EQ(e.line, 0u);
  EXPECT_STREQ(e.message, "Type mismatch");
  EXPECT_EQ(_Gosub(m.get(), L""), -1);
  EXPECT_STREQ(LastError(m.get()).message, "Call refused");

  // The first compile error of a load, counted in the file's lines.
  EXPECT_EQ(_LoadProgramF(m.get(), WriteProgram("' ok\nOption Explicit\nB& = 1\nC& = 1\n").c_str()), 200);
  e = LastError(m.get());
  EXPECT_EQ(e.line, 30u);
  EXPECT_EQ(e.fileLine, 3u);
}

TEST(LastError, FailedVariableAccessKeepsTheErrorBehindIt) {
  MacroPtr m = NewMacro();
  AnyType value;
  EXPECT_EQ(_GetVariable(m.get(), L"1 +", &value), -1);
  MscLastError e = LastError(m.get());
  EXPECT_EQ(e.number, -1);
  EXPECT_STRNE(e.message, "Call refused");
  EXPECT_STRNE(e.message, "");
  EXPECT_EQ(_GetLastErrorQorMacro(m.get(), nullptr), -1);
}

}  // namespace
}  // namespace msc::test
