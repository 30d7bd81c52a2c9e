// Input, Line Input and the line reader, from standard input and from file
// slots, and MessageBox.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "statements/line_reader.h"
#include "test_support.h"

namespace msc {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr char kNote[] = "Exec : rsgetch()\n";

// The console note printed once for each of n characters asked for.
std::string Notes(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += kNote;
  return s;
}

// A temporary file holding the text, rewound.
std::FILE* FileWith(const std::string& text) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

// Standard input reads the given text, then its end.
class StdinFrom {
 public:
  explicit StdinFrom(const std::string& text) {
    std::FILE* f = FileWith(text);
    if (f == nullptr) return;
    saved_ = dup(STDIN_FILENO);
    dup2(fileno(f), STDIN_FILENO);
    std::fclose(f);
  }
  ~StdinFrom() {
    if (saved_ < 0) return;
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }
  StdinFrom(const StdinFrom&) = delete;
  StdinFrom& operator=(const StdinFrom&) = delete;

 private:
  int saved_ = -1;
};

class ConsoleInputTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(macro_, nullptr);
    m.reportMode = 0;
  }

  // Runs a direct statement with the given standard input.
  std::string Typed(const char* line, const std::string& input, ErrNo* result) {
    StdinFrom in(input);
    CaptureStdout();
    *result = DirectExecute(m, line);
    return GetCapturedStdout();
  }

  std::string Show(const char* line) {
    ErrNo e = kOk;
    CaptureStdout();
    e = DirectExecute(m, line);
    std::string out = GetCapturedStdout();
    return e == kOk ? out : "error " + std::to_string(e);
  }

  test::MacroPtr macro_ = test::NewMacro();
  QorMacro& m = *macro_;
};

TEST_F(ConsoleInputTest, PromptAndNumericFields) {
  ErrNo e = kOk;
  EXPECT_EQ(Typed("Input \"Value\"; A#", "x\n", &e), "Value?" + Notes(2));
  EXPECT_EQ(e, kOk);
  EXPECT_EQ(Show("Print A#"), "0\n");
  EXPECT_EQ(Typed("Input \"V\", A#, B&", "2.5e1,7.6abc\n", &e), "V" + Notes(13));
  EXPECT_EQ(Show("Print A#; B&"), "258\n");
  // Without a literal prompt the list starts at once; ":" ends the list.
  ASSERT_EQ(DirectExecute(m, "P$ = \"no\""), kOk);
  Typed("Input P$ : Print \"after\"", "  text,\n", &e);
  EXPECT_EQ(Show("Print \"[\"; P$; \"]\""), "[  text]\n");
  EXPECT_EQ(Typed("Input \"p\" A&", "1\n", &e), "p");
  EXPECT_EQ(e, kErrSyntax);
  EXPECT_EQ(Typed("Input \"p\": A&", "1\n", &e), "p");
  EXPECT_EQ(e, kErrSyntax);
}

TEST_F(ConsoleInputTest, ShortOrLongLinesAreReadAgain) {
  ErrNo e = kOk;
  const std::string redo = "Redo from start \n";
  EXPECT_EQ(Typed("Input A&, B&", "5\n5,6\n", &e), Notes(2) + redo + Notes(4));
  EXPECT_EQ(e, kOk);
  EXPECT_EQ(Show("Print A&; B&"), "56\n");
  // The prompt is not repeated; runs of commas are one separator.
  EXPECT_EQ(Typed("Input \"?\", A&, B&", "1,2,3\n,,7,,8,,\n", &e), "?" + Notes(6) + redo + Notes(9));
  EXPECT_EQ(Show("Print A&; B&"), "78\n");
  // A CR LF blank line is an empty line (no field); the LF after it is skipped.
  EXPECT_EQ(Typed("Input A&", "\r\n3\n", &e), Notes(1) + redo + Notes(3));
  EXPECT_EQ(Show("Print A&"), "3\n");
  // The field decides nothing about the type: the variable's value does.
  ASSERT_EQ(DirectExecute(m, "E! = F!"), kOk);
  EXPECT_EQ(Typed("Input E!", "1\n", &e), Notes(2));
  EXPECT_EQ(e, kErrTypeMismatch);
  ASSERT_EQ(DirectExecute(m, "Dim T&(1)"), kOk);
  Typed("Input T&(2)", "1\n", &e);
  EXPECT_EQ(e, kErrSubscript);
  Typed("Input 5", "1\n", &e);
  EXPECT_EQ(e, kErrSyntax);
  Typed("Input A&", "2147483648\n", &e);
  EXPECT_EQ(e, kErrOverflow);
}

TEST_F(ConsoleInputTest, LineInputFromTheConsole) {
  ErrNo e = kOk;
  EXPECT_EQ(Typed("Line Input S$", "\n\na, b\n", &e), Notes(7));
  EXPECT_EQ(Show("Print S$"), "a, b\n");
  Typed("Line Input S$", "\r\nnext\n", &e);
  EXPECT_EQ(Show("Print \"[\"; S$; \"]\""), "[]\n");
  // Variants and elements holding text take a line too; numbers do not.
  ASSERT_EQ(DirectExecute(m, "V! = \"t\" : Dim T$(2)"), kOk);
  Typed("Line Input V! : Line Input T$(1)", "one\ntwo\n", &e);
  EXPECT_EQ(Show("Print V!; T$(1)"), "onetwo\n");
  EXPECT_EQ(Typed("Line Input A&", "x\n", &e), "") << "nothing is read for a number";
  EXPECT_EQ(e, kErrTypeMismatch);

  const std::string longest(255, 'w');
  Typed("Line Input S$", longest + "\n", &e);
  EXPECT_EQ(e, kOk);
  EXPECT_EQ(Show("Print Len(S$)"), "255\n");
  Typed("Line Input S$", longest + "w\n", &e);
  EXPECT_EQ(e, kErrLineBufferOverflow);
  Typed("Line Input S$", "", &e);
  EXPECT_EQ(e, kErrIllegalCall);
  Typed("Line Input S$", "no line end", &e);
  EXPECT_EQ(e, kErrIllegalCall);
}

TEST(LineReader, FileLineEnds) {
  std::FILE* f = FileWith("a\r\nb\rc\n\n\nd\r\r\ne");
  ASSERT_NE(f, nullptr);
  char line[kInputLineSize];
  size_t n = 0;
  for (const char* expected : {"a", "b", "c", "d", ""}) {
    ASSERT_EQ(ReadInputLine(f, line, &n), kOk) << expected;
    EXPECT_STREQ(line, expected);
    EXPECT_EQ(n, std::strlen(expected));
  }
  // The last line has no line end: it is lost.
  EXPECT_EQ(ReadInputLine(f, line, &n), kErrIllegalCall);
  std::fclose(f);

  f = FileWith(std::string(255, 'x') + "\r\n" + std::string(256, 'y') + "\n");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(ReadInputLine(f, line, &n), kOk);
  EXPECT_EQ(n, 255u);
  EXPECT_EQ(ReadInputLine(f, line, &n), kErrLineBufferOverflow);
  EXPECT_EQ(line[kInputLineSize - 1], '\0');
  std::fclose(f);
}

TEST_F(ConsoleInputTest, FileForms) {
  m.files[3] = FileWith("1,two\r\nx,y\r\nfull, line\r\n5\r\n");
  ASSERT_NE(m.files[3], nullptr);
  EXPECT_EQ(Show("Input #3, A&, B$ : Print A&; B$"), "1two\n");
  EXPECT_EQ(Show("Input #3, C$"), "error 5") << "too many fields";
  EXPECT_EQ(Show("Line Input #3, L$ : Print L$"), "full, line\n");
  EXPECT_EQ(Show("Input #3, A&, B&"), "error 5") << "too few fields";
  EXPECT_EQ(Show("Input #3, A&"), "error 5") << "end of file";

  EXPECT_EQ(Show("Input #4, A&"), "error 5");
  EXPECT_EQ(Show("Line Input #16, S$"), "error 5");
  EXPECT_EQ(Show("Input #X&, A&"), "error 2");
  EXPECT_EQ(Show("Input #3 A&"), "error 2");
  EXPECT_EQ(Show("Line Input #3; S$"), "error 2");
}

TEST_F(ConsoleInputTest, MessageBoxShowsTitleAndText) {
  EXPECT_EQ(Show("MessageBox \"hi\" + Str$(1)"), "QOR-Macro\nhi1\n");
  EXPECT_EQ(Show("MessageBox"), "error 2");
}

}  // namespace
}  // namespace msc
