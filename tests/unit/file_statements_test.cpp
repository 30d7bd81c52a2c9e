// File slots, disk statements and text data, run as direct statements in a
// temporary directory of their own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
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

  void Read(const char* name, Value& v) {
    v.Clear();
    const uint8_t tags[] = {tag::Int, tag::Dbl, tag::Str};
    for (uint8_t t : tags) {
      FindStatus status{};
      uint8_t* cell = macro_->variables.FindCell(t, name, std::strlen(name), FindMode::FindOnly, &status);
      if (cell != nullptr) {
        if (ReadScalar(*macro_, cell, v) != kOk) v.Clear();
        break;
      }
    }
  }
  int32_t Integer(const char* name) {
    Value v;
    Read(name, v);
    return v.type == kInteger ? v.count : -99999;
  }
  std::string Text(const char* name) {
    Value v;
    Read(name, v);
    return IsTextType(v.type) ? std::string(v.text, static_cast<size_t>(v.count)) : "<not text>";
  }

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

TEST_F(FileStatementsTest, WriteAppendAndReadBack) {
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #1"), kOk);
  ASSERT_EQ(Run("Print #1, \"x,y\"; 12"), kOk);
  ASSERT_EQ(Run("Close #1"), kOk);
  ASSERT_EQ(Run("Open \"@/a.txt\" For Append As #1 : Print #1, 1.5 : Close"), kOk);
  EXPECT_EQ(FileContent("a.txt"), "x,y12\r\n1.5\r\n");

  ASSERT_EQ(Run("Open \"@/a.txt\" For Input As #15"), kOk);
  ASSERT_EQ(Run("A$ = Input$(3, #15) : B$ = Input$(4 #15) : E& = Eof(15)"), kOk);
  EXPECT_EQ(Text("A$"), "x,y");
  EXPECT_EQ(Text("B$"), "12\r\n");
  EXPECT_EQ(Integer("E&"), 0);  // Eof peeks without moving on
  ASSERT_EQ(Run("C$ = Input$(5 : #15) : E& = Eof(15) : Z$ = Input$(0, #15)"), kOk);
  EXPECT_EQ(Text("C$"), "1.5\r\n");
  EXPECT_EQ(Integer("E&"), -1);
  EXPECT_EQ(Text("Z$"), "");
  // Reading past the end is refused; the slot stays usable.
  EXPECT_EQ(Run("C$ = Input$(1, #15)"), kErrIllegalCall);
  ASSERT_EQ(Run("E& = Eof(15)"), kOk);
  EXPECT_EQ(Integer("E&"), -1);
}

TEST_F(FileStatementsTest, InputKeepsZeroBytesAndRejectsBadCounts) {
  WriteFile("z.bin", std::string("a\0b", 3));
  WriteFile("empty.txt", "");
  ASSERT_EQ(Run("Open \"@/z.bin\" For Input As #0 : Open \"@/empty.txt\" For Input As #2"), kOk);
  ASSERT_EQ(Run("E& = Eof(2) : N& = Len(Input$(3, #0))"), kOk);
  EXPECT_EQ(Integer("E&"), -1);
  EXPECT_EQ(Integer("N&"), 3);
  EXPECT_EQ(Run("A$ = Input$(-1, #2)"), kErrIllegalCall);
  EXPECT_EQ(Run("A$ = Input$(1, 2)"), kErrSyntax);       // "#" missing
  EXPECT_EQ(Run("N& = 2 : A$ = Input$(1, #N&)"), kErrSyntax);  // not a literal
  EXPECT_EQ(Run("A$ = Input$(1, #2"), kErrSyntax);
  EXPECT_EQ(Run("A$ = Input$(1, #16)"), kErrIllegalCall);
  EXPECT_EQ(Run("A$ = Input$(1, #3)"), kErrIllegalCall);  // closed
  EXPECT_EQ(Run("E& = Eof(3)"), kErrIllegalCall);
  EXPECT_EQ(Run("E& = Eof(-1)"), kErrIllegalCall);
  EXPECT_EQ(Run("E& = Eof(16)"), kErrIllegalCall);
}

TEST_F(FileStatementsTest, SlotRules) {
  WriteFile("keep.txt", "keep");
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #1"), kOk);
  std::FILE* first = macro_->files[1];
  // An occupied slot or a bad number is refused before the file is touched.
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #1"), kErrIllegalCall);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #16"), kErrIllegalCall);
  EXPECT_EQ(FileContent("keep.txt"), "keep");
  EXPECT_EQ(macro_->files[1], first);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As #-1"), kErrSyntax);
  EXPECT_EQ(Run("N& = 2 : Open \"@/keep.txt\" For Output As #N&"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" As #2"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output #2"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For Output As 2"), kErrSyntax);
  EXPECT_EQ(Run("Open \"@/keep.txt\" For 2"), kErrSyntax);
  // A failed open leaves its slot empty.
  EXPECT_EQ(Run("Open \"@/missing.txt\" For Input As #2"), kErrIllegalCall);
  EXPECT_EQ(Run("Open \"@/no/such/dir.txt\" For Output As #2"), kErrIllegalCall);
  EXPECT_EQ(Run("Open \"@\" For Input As #2"), kErrIllegalCall);  // a directory
  EXPECT_EQ(Run("Open \"@\" For Output As #2"), kErrIllegalCall);
  EXPECT_EQ(macro_->files[2], nullptr);

  EXPECT_EQ(Run("Close #3"), kOk);
  EXPECT_EQ(Run("Close #16"), kErrIllegalCall);
  EXPECT_EQ(Run("Close 1"), kErrSyntax);
  ASSERT_EQ(Run("Open \"@/b.txt\" For Output As #2 : Open \"@/c.txt\" For Output As #3"), kOk);
  ASSERT_EQ(Run("Close #1, #2 : X& = 1"), kOk);
  EXPECT_EQ(Integer("X&"), 1);
  EXPECT_EQ(macro_->files[1], nullptr);
  EXPECT_EQ(macro_->files[2], nullptr);
  EXPECT_NE(macro_->files[3], nullptr);
  ASSERT_EQ(Run("Close : X& = 2"), kOk);
  EXPECT_EQ(Integer("X&"), 2);
  EXPECT_EQ(macro_->files[3], nullptr);
}

TEST_F(FileStatementsTest, SlotsOutliveRuns) {
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #4"), kOk);
  // A failing run leaves the slot open.
  EXPECT_EQ(Run("Print #4, \"one\" : X& = 1 / 0"), 11);
  ASSERT_EQ(Run("Print #4, \"two\""), kOk);
  ASSERT_EQ(Run("Close"), kOk);
  EXPECT_EQ(FileContent("a.txt"), "one\r\ntwo\r\n");
}

TEST_F(FileStatementsTest, DirectoriesAndCopies) {
  ASSERT_EQ(Run("Mkdir \"@/d\""), kOk);
  EXPECT_EQ(Run("Mkdir \"@/d\""), kErrIllegalCall);
  EXPECT_EQ(Run("Mkdir \"@/x/y\""), kErrIllegalCall);
  WriteFile("d/f.txt", "data");
  ASSERT_EQ(Run("A& = IsFile(\"@/d\") : B& = IsFile(\"@/d/f.txt\") : C& = IsFile(\"@/d/*.txt\")"), kOk);
  EXPECT_EQ(Integer("A&"), 2);
  EXPECT_EQ(Integer("B&"), 1);
  EXPECT_EQ(Integer("C&"), 1);
  ASSERT_EQ(Run("A& = IsFile(\"@/d/*.doc\") : B& = IsFile(\"@/nothing\") : C& = IsFile(\"\")"), kOk);
  EXPECT_EQ(Integer("A&"), 0);
  EXPECT_EQ(Integer("B&"), 0);
  EXPECT_EQ(Integer("C&"), 0);

  EXPECT_EQ(Run("Rmdir \"@/d\""), kErrIllegalCall);  // not empty
  EXPECT_EQ(Run("Rmdir \"@/d/f.txt\""), kErrIllegalCall);  // not a directory
  EXPECT_TRUE(fs::exists(dir_ / "d/f.txt"));
  // Backslashes separate directories too.
  WriteFile("g.txt", "old");
  ASSERT_EQ(Run("Fcopy \"@\\d\\f.txt\", \"@\\g.txt\""), kOk);
  EXPECT_EQ(FileContent("g.txt"), "data");
  ASSERT_EQ(Run("Fcopy \"@/g.txt\" \"@/h.txt\""), kOk);
  EXPECT_EQ(FileContent("h.txt"), "data");
  EXPECT_EQ(Run("Fcopy \"@/missing\", \"@/i.txt\""), kErrIllegalCall);
  EXPECT_EQ(Run("Fcopy \"@/d\", \"@/i.txt\""), kErrIllegalCall);
  EXPECT_FALSE(fs::exists(dir_ / "i.txt"));

  ASSERT_EQ(Run("Kill \"@/d/f.txt\" : Rmdir \"@/d\""), kOk);
  EXPECT_FALSE(fs::exists(dir_ / "d"));
  EXPECT_EQ(Run("Rmdir \"@/d\""), kErrIllegalCall);

  ASSERT_EQ(Run("F# = Dskf(\"@\")"), kOk);
  Value free;
  Read("F#", free);
  EXPECT_EQ(free.type, kDouble);
  EXPECT_GT(free.number, 0.0);
  ASSERT_EQ(Run("M& = Dskf(\"@/missing\")"), kOk);
  EXPECT_EQ(Integer("M&"), -1);
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

  EXPECT_EQ(Run("Kill \"@/*.none\""), kOk);
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

TEST_F(FileStatementsTest, TextData) {
  WriteFile("texts.txt", "\xEF\xBB\xBF" "first=one\r\n; comment\nempty=\nlong=" + std::string(2000, 'x') + "\n");
  ASSERT_EQ(Run("OpenTextData \"@/texts.txt\" As #0"), kOk);
  ASSERT_EQ(Run("A$ = GetText$(#0, \"first\") : B$ = GetText$(#0 \"absent\") : C$ = GetText$(#0 : \"empty\")"), kOk);
  EXPECT_EQ(Text("A$"), "one");
  EXPECT_EQ(Text("B$"), "");
  EXPECT_EQ(Text("C$"), "");
  ASSERT_EQ(Run("N& = Len(GetText$(#0, \"long\"))"), kOk);
  EXPECT_EQ(Integer("N&"), 1023);

  EXPECT_EQ(Run("OpenTextData \"@/texts.txt\" As #0"), kErrIllegalCall);
  EXPECT_EQ(Run("OpenTextData \"@/texts.txt\" As #16"), kErrIllegalCall);
  EXPECT_EQ(Run("OpenTextData \"@/texts.txt\" #1"), kErrSyntax);
  EXPECT_EQ(Run("OpenTextData \"@/missing.txt\" As #1"), kErrIllegalCall);
  EXPECT_EQ(Run("OpenTextData \"@\" As #1"), kErrIllegalCall);  // a directory
  EXPECT_EQ(macro_->textData[1], nullptr);
  EXPECT_EQ(Run("A$ = GetText$(#1, \"first\")"), kErrIllegalCall);
  EXPECT_EQ(Run("A$ = GetText$(0, \"first\")"), kErrSyntax);
  EXPECT_EQ(Run("A$ = GetText$(#0, \"first\""), kErrSyntax);

  // Text data outlives New; CloseTextData ends it.
  ASSERT_EQ(Run("New"), kOk);
  EXPECT_NE(macro_->textData[0], nullptr);
  EXPECT_EQ(Run("CloseTextData #16"), kErrIllegalCall);
  ASSERT_EQ(Run("CloseTextData #0, #5"), kOk);
  EXPECT_EQ(Run("A$ = GetText$(#0, \"first\")"), kErrIllegalCall);
  ASSERT_EQ(Run("OpenTextData \"@/texts.txt\" As #3 : CloseTextData"), kOk);
  EXPECT_EQ(macro_->textData[3], nullptr);
}

TEST_F(FileStatementsTest, NewClosesFiles) {
  ASSERT_EQ(Run("Open \"@/a.txt\" For Output As #7 : Print #7, \"kept\""), kOk);
  ASSERT_EQ(Run("New"), kOk);
  EXPECT_EQ(macro_->files[7], nullptr);
  EXPECT_EQ(FileContent("a.txt"), "kept\r\n");  // flushed when closed
}

TEST(WildcardMatchTest, StarsQuestionMarksAndCharacters) {
  using platform::WildcardMatch;
  EXPECT_TRUE(WildcardMatch("*", ""));
  EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
  EXPECT_FALSE(WildcardMatch("a*b*c", "aXbYbZ"));
  EXPECT_TRUE(WildcardMatch("*.txt", "x.y.txt"));
  EXPECT_FALSE(WildcardMatch("*.txt", "x.TXT"));
  EXPECT_FALSE(WildcardMatch("?", ""));
  // "?" takes one whole character, however many bytes it has.
  EXPECT_TRUE(WildcardMatch("a?c", "a\xC3\xBC" "c"));
  EXPECT_FALSE(WildcardMatch("a??c", "a\xC3\xBC" "c"));
  EXPECT_TRUE(WildcardMatch("*?c", "\xC3\xBC" "c"));
  // Brackets have no special meaning.
  EXPECT_TRUE(WildcardMatch("[a].txt", "[a].txt"));
  EXPECT_FALSE(WildcardMatch("[a].txt", "a.txt"));
}

}  // namespace
}  // namespace msc
