// SetUserSubroutine and Call with the sample library of examples/, and Shell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/run.h"
#include "platform/process.h"
#include "simulator.h"
#include "test_support.h"

namespace msc {
namespace {

namespace fs = std::filesystem;
using test::IntVar;

class UserSubroutineTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = sim::ConfigDirectory();
    // Libraries are looked for in the configuration directory.
    sim::SetConfigDirectory(fs::path(MSC_SAMPLE_SUBROUTINES).parent_path().string());
    m.reportMode = 0;
  }
  void TearDown() override { sim::SetConfigDirectory(saved_); }

  ErrNo Run(const std::string& line) { return DirectExecute(m, line.c_str()); }
  void Register(const char* name, const char* procedure) {
    ASSERT_EQ(Run(std::string("SetUserSubroutine \"") + name + "\", \"" + kLibrary + "\", \"" +
                  procedure + "\""),
              kOk);
  }
  std::string SystemText(const char* item) {
    EXPECT_EQ(Run(std::string("R$ = SY.") + item), kOk);
    return test::TextVar(m, tag::Str, "R$");
  }

  static constexpr const char* kLibrary = "libmsc_sample_subroutines.so";
  std::string saved_;
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
};

TEST_F(UserSubroutineTest, ArgumentsArriveAsIntegersRealsAndWideTexts) {
  Register("Describe", "Describe");
  ASSERT_EQ(Run("T$ = \"abc\" : Call \"Describe\", 42, -2.5, T$, \"\", 7 / 2"), kOk);
  EXPECT_EQ(SystemText("ARGS$"), "5: I 42, R -2.5, T abc, T , R 3.5");
  ASSERT_EQ(Run("Call \"Describe\""), kOk);
  EXPECT_EQ(SystemText("ARGS$"), "0:");

  // 32 arguments fit; a 33rd does not, and the subroutine is not called.
  Register("Sum", "Sum");
  std::string call = "Call \"Sum\"";
  for (int i = 1; i <= 32; ++i) call += ", " + std::to_string(i);
  ASSERT_EQ(Run(call), kOk);
  EXPECT_EQ(SystemText("SUM#"), "528") << "published through the core handle of the context";
  EXPECT_EQ(Run(call + ", 33"), kErrIllegalCall);
  EXPECT_EQ(SystemText("SUM#"), "528");
}

TEST_F(UserSubroutineTest, TheSubroutinesResultIsTheStatementsResult) {
  Register("Result", "Result");
  Register("Sum", "Sum");
  EXPECT_EQ(Run("Call \"Result\", 0 : A& = 1"), kOk);
  EXPECT_EQ(IntVar(m, "A&"), 1);
  EXPECT_EQ(Run("Call \"Result\", 42 : B& = 1"), 42);
  EXPECT_EQ(IntVar(m, "B&"), 0);
  EXPECT_EQ(m.trappedErrorStatement, 0x8002u) << "Errcmnd$ names Call";

  // 255 skips the rest of its line only; a Try catches an error number.
  ASSERT_EQ(Run("10 *MAIN"), kOk);
  ASSERT_EQ(Run("20 Call \"Result\", 255 : C& = 1"), kOk);
  ASSERT_EQ(Run("30 D& = 1"), kOk);
  ASSERT_EQ(Run("40 Try : Call \"Sum\", 1, \"two\" : Catch : E& = Errno : End Try"), kOk);
  ASSERT_EQ(Run("50 Return"), kOk);
  EXPECT_EQ(RunLabel(m, "*MAIN"), kOk);
  EXPECT_EQ(IntVar(m, "C&"), 0);
  EXPECT_EQ(IntVar(m, "D&"), 1);
  EXPECT_EQ(IntVar(m, "E&"), 13);
}

TEST_F(UserSubroutineTest, NamesAreExactAndLastUntilNew) {
  Register("Sum", "Sum");
  EXPECT_EQ(Run("Call \"sum\", 1"), kErrIllegalCall);
  EXPECT_EQ(Run(std::string("SetUserSubroutine \"X\", \"") + kLibrary + "\", \"Missing\""), kErrIllegalCall);
  ASSERT_EQ(Run(std::string("SetUserSubroutine \"Y\" : \"") + kLibrary + "\" : \"Sum\""), kOk);
  EXPECT_EQ(Run("Call \"Y\", 1"), kOk);

  // Registering again replaces the entry; New forgets them all.
  Register("Sum", "Result");
  EXPECT_EQ(Run("Call \"Sum\", 7"), 7);
  ASSERT_EQ(Run("New"), kOk);
  EXPECT_EQ(Run("Call \"Sum\", 1"), kErrIllegalCall);
  EXPECT_EQ(Run("Call \"Y\", 1"), kErrIllegalCall);
}

class ShellTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("msc_shell_test_" + std::to_string(::getpid()) + "_" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    ASSERT_TRUE(fs::create_directory(dir_));
    m.reportMode = 0;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Runs a statement with every "@" replaced by the test directory.
  ErrNo Run(const std::string& line) {
    std::string text;
    for (char c : line) text += c == '@' ? dir_.string() : std::string(1, c);
    return DirectExecute(m, text.c_str());
  }
  bool Exists(const char* name) { return fs::exists(dir_ / name); }

  fs::path dir_;
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
};

TEST_F(ShellTest, WaitsOnlyWhenAsked) {
  ASSERT_EQ(Run("Shell \"touch @/now\", 1 : A& = 1"), kOk);
  EXPECT_TRUE(Exists("now")) << "the process has ended";
  EXPECT_EQ(IntVar(m, "A&"), 1);

  // A process that ends only once the file "go" exists (or after some 20 s):
  // without waiting the statement is back while it still runs.
  ASSERT_EQ(Run("Shell \"sh -c \" + Chr$(34) + \"i=0; while [ ! -e @/go ] && [ $i -lt 2000 ]; do "
                "sleep 0.01; i=$((i+1)); done; touch @/later\" + Chr$(34), 0"),
            kOk);
  EXPECT_FALSE(Exists("later"));
  ASSERT_TRUE(std::ofstream(dir_ / "go").good());
  for (int i = 0; i < 3000 && !Exists("later"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(Exists("later"));

  EXPECT_EQ(Run("Shell \"true\" : B& = 1"), kOk);
  EXPECT_EQ(IntVar(m, "B&"), 1);
  EXPECT_EQ(Run("Shell \"   \", 1"), kErrIllegalCall) << "no program named";
}

TEST_F(ShellTest, OpenFilesStayWithTheProgram) {
  ASSERT_EQ(Run("Open \"@/slot.txt\" For Output As #1"), kOk);
  ASSERT_EQ(Run("Shell \"sh -c \" + Chr$(34) + \"ls -l /proc/self/fd/ > @/fds\" + Chr$(34), 1"), kOk);
  ASSERT_EQ(Run("Close"), kOk);
  std::ifstream in(dir_ / "fds");
  const std::string listing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(listing, "");
  EXPECT_EQ(listing.find("slot.txt"), std::string::npos) << listing;
}

TEST(CommandLine, SplitsAtSpacesAndKeepsQuotedWords) {
  using W = std::vector<std::string>;
  EXPECT_EQ(platform::SplitCommandLine("  touch\ta  b "), (W{"touch", "a", "b"}));
  EXPECT_EQ(platform::SplitCommandLine("echo \"two words\" x\"y z\"w \"\""), (W{"echo", "two words", "xy zw", ""}));
  EXPECT_EQ(platform::SplitCommandLine("say \\\"hi\\\" \"a \\\" b\""), (W{"say", "\"hi\"", "a \" b"}));
  EXPECT_EQ(platform::SplitCommandLine(""), W{});
}

}  // namespace
}  // namespace msc
