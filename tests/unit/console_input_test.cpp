// The line reader and the "#n" forms of Input and Line Input on file slots.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "statements/line_reader.h"
#include "test_support.h"

namespace msc {
namespace {

// A temporary file holding the text, rewound.
std::FILE* FileWith(const std::string& text) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

using test::TextVar;

TEST(LineReader, FileLineEnds) {
  // CR LF, CR alone (the next byte stays), LF-only blank lines skipped, and a
  // CR blank line kept as an empty line.
  std::FILE* f = FileWith("a\r\nb\rc\n\n\nd\r\r\ne");
  ASSERT_NE(f, nullptr);
  char line[kInputLineSize];
  size_t n = 0;
  for (const char* expected : {"a", "b", "c", "d", ""}) {
    ASSERT_EQ(ReadInputLine(f, line, &n), kOk) << expected;
    EXPECT_STREQ(line, expected);
    EXPECT_EQ(n, std::strlen(expected));
  }
  EXPECT_EQ(ReadInputLine(f, line, &n), kErrIllegalCall) << "a last line without a line end is lost";
  std::fclose(f);

  f = FileWith(std::string(255, 'x') + "\r\n" + std::string(256, 'y') + "\n");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(ReadInputLine(f, line, &n), kOk);
  EXPECT_EQ(n, 255u);
  EXPECT_EQ(ReadInputLine(f, line, &n), kErrLineBufferOverflow);
  EXPECT_EQ(line[kInputLineSize - 1], '\0');
  std::fclose(f);
}

TEST(FileInput, FieldsLinesAndBadSlots) {
  test::MacroPtr macro = test::NewMacro();
  ASSERT_NE(macro, nullptr);
  QorMacro& m = *macro;
  m.reportMode = 0;
  m.files[3] = FileWith("1,two\r\nx,y\r\nfull, line\r\n5\r\n");
  ASSERT_NE(m.files[3], nullptr);
  const auto run = [&](const char* line) { return DirectExecute(m, line); };

  ASSERT_EQ(run("Input #3, A&, B$ : Line Input #3, L$"), kOk);
  EXPECT_EQ(TextVar(m, tag::Int, "A&"), "1");
  EXPECT_EQ(TextVar(m, tag::Str, "B$"), "two");
  EXPECT_EQ(TextVar(m, tag::Str, "L$"), "x,y");
  EXPECT_EQ(run("Input #3, C$"), kErrIllegalCall) << "too many fields";
  EXPECT_EQ(run("Input #3, A&, B&"), kErrIllegalCall) << "too few fields";
  EXPECT_EQ(run("Line Input #3, L$"), kErrIllegalCall) << "end of file";

  EXPECT_EQ(run("Input #4, A&"), kErrIllegalCall);
  EXPECT_EQ(run("Line Input #16, L$"), kErrIllegalCall);
  EXPECT_EQ(run("Input #X&, A&"), kErrSyntax);
  EXPECT_EQ(run("Input #3 A&"), kErrSyntax);
  EXPECT_EQ(run("Line Input #3; L$"), kErrSyntax);
}

}  // namespace
}  // namespace msc
