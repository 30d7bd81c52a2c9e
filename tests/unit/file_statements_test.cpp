// File slots, disk statements and text data, run as direct statements in a
// temporary directory of their own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "platform/filesystem.h"
#include "test_support.h"

namespace msc {
namespace {

namespace fs = std::filesystem;

class FileStatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(macro_, nullptr);
    macro_->reportMode = 0;  // errors are checked by number, not printed
    dir_ = fs::temp_directory_path() /
           ("msc_file_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    ASSERT_TRUE(fs::create_directory(dir_));
  }
  void TearDown() override {
    macro_.reset();  // closes the slots before the files go
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Runs a statement after replacing every "@" with the test directory.
  ErrNo Run(const std::string& line) {
    std::string text;
    for (char c : line) text += c == '@' ? dir_.string() : std::string(1, c);
    return DirectExecute(*macro_, text.c_str());
  }

  int32_t Integer(const char* name) { return test::IntVar(*macro_, name); }
  std::string Text(const char* name) { return test::TextVar(*macro_, tag::Str, name); }

  std::string FileContent(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void WriteFile(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  test::MacroPtr macro_ = test::NewMacro();
  fs::path dir_;
};

TEST_F(FileStatementsTest, RefusedOpensTouchNothing) {
  WriteFile("keep.txt", "keep");
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #1"), kOk);
  std::FILE* first = macro_->files[1];
  // The slot is checked before the file is opened, so nothing is truncated.
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #1"), kErrIllegalCall);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #16"), kErrIllegalCall);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #-1"), kErrSyntax);
  EXPECT_EQ(Run("N& = 2 : Open \"@/keep.txt\" For Output As #N&"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output #2"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For 2"), kErrSyntax);
  EXPECT_EQ(FileContent("keep.txt"), "keep");
  EXPECT_EQ(macro_->files[1], first);

  ASSERT_EQ(Run("Open \"@/b.txt\" For Output As #2 : Open \"@/c.txt\" For Output As #3"), kOk);
  ASSERT_EQ(Run("Close #1, #2 : X& = 1"), kOk) << "a list, then the rest of the line";
  EXPECT_EQ(Integer("X&"), 1);
  EXPECT_EQ(macro_->files[1], nullptr);
  EXPECT_EQ(macro_->files[2], nullptr);
  EXPECT_NE(macro_->files[3], nullptr);
}

TEST_F(FileStatementsTest, SlotsOutliveRunsUntilNew) {
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #4"), kOk);
  EXPECT_EQ(Run("Print #4, \"one\" : X& = 1 / 0"), 11);
  ASSERT_EQ(Run("Print #4, \"two\""), kOk);
  ASSERT_EQ(Run("New"), kOk);
  EXPECT_EQ(macro_->files[4], nullptr);
  EXPECT_EQ(FileContent("a.txt"), "one\r\ntwo\r\n");
}

TEST_F(FileStatementsTest, KillPatternsAndTrees) {
  fs::create_directories(dir_ / "t/sub/deeper");
  WriteFile("t/1.txt", "");
  WriteFile("t/sub/2.txt", "");
  WriteFile("t/sub/deeper/3.txt", "");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "t/sub/link");
  fs::create_directory(dir_ / "outside");
  WriteFile("outside/kept.txt", "");
  WriteFile("a.txt", "");
  WriteFile("b.txt", "");
  WriteFile("b.doc", "");
  WriteFile("noext", "");

  EXPECT_EQ(Run("Kill \"@/missing/*.*\""), kOk);
  ASSERT_EQ(Run("Kill \"@\\?.txt\""), kOk);
  EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "b.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "b.doc"));

  // A directory goes with everything below it; a link inside is removed, not followed.
  ASSERT_EQ(Run("Kill \"@/t\""), kOk);
  EXPECT_FALSE(fs::exists(dir_ / "t"));
  EXPECT_TRUE(fs::exists(dir_ / "outside/kept.txt"));

  // "*.*" takes names without an extension too.
  ASSERT_EQ(Run("Kill \"@/*.*\""), kOk);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(FileStatementsTest, KillRefusesPathsBeyondTheLimit) {
  const std::string part(100, 'p');
  fs::create_directories(dir_ / "deep" / part / part / part);
  WriteFile("deep/top.txt", "");
  EXPECT_EQ(Run("Kill \"@/deep\""), kErrIllegalCall);
  // What fits is deleted; the too long path and its parents stay.
  EXPECT_FALSE(fs::exists(dir_ / "deep/top.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "deep" / part / part));
}

// The text_data program covers keys, slots and their errors.
TEST_F(FileStatementsTest, TextDataMarksLongTextsAndNew) {
  WriteFile("texts.txt", "\xEF\xBB\xBF" "first=one\r\nlong=" + std::string(2000, 'x') + "\n");
  ASSERT_EQ(Run("OpenTextData \"@/texts.txt\" As #0"), kOk);
  ASSERT_EQ(Run("A$ = GetText$(#0 : \"first\") : N& = Len(GetText$(#0, \"long\"))"), kOk);
  EXPECT_EQ(Text("A$"), "one");
  EXPECT_EQ(Integer("N&"), 1023);
  EXPECT_EQ(Run("OpenTextData \"@/texts.txt\" #1"), kErrSyntax);
  EXPECT_EQ(Run("OpenTextData \"@\" As #1"), kErrIllegalCall) << "a directory";
  EXPECT_EQ(Run("A$ = GetText$(0, \"first\")"), kErrSyntax);
  // Text data outlives New; CloseTextData without a list closes every slot.
  ASSERT_EQ(Run("New"), kOk);
  EXPECT_NE(macro_->textData[0], nullptr);
  ASSERT_EQ(Run("OpenTextData \"@/texts.txt\" As #3 : CloseTextData"), kOk);
  EXPECT_EQ(macro_->textData[0], nullptr);
  EXPECT_EQ(macro_->textData[3], nullptr);
}

TEST(WildcardMatchTest, StarsQuestionMarksAndCharacters) {
  const struct { const char* pattern; const char* name; bool match; } cases[] = {
      {"*", "", true}, {"a*b*c", "aXbYbZc", true}, {"a*b*c", "aXbYbZ", false},
      {"*.txt", "x.y.txt", true}, {"*.txt", "x.TXT", false}, {"?", "", false},
      // "?" takes one whole character, however many bytes it has.
      {"a?c", "a\xC3\xBC" "c", true}, {"a??c", "a\xC3\xBC" "c", false}, {"*?c", "\xC3\xBC" "c", true},
      // Brackets have no special meaning.
      {"[a].txt", "[a].txt", true}, {"[a].txt", "a.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

}  // namespace
}  // namespace msc
