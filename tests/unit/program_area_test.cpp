#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/frame.h"
#include "engine/run.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "test_support.h"

namespace msc {
namespace {

using Code = std::vector<uint8_t>;

class ProgramAreaTest : public ::testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  // Stores a line whose code is a space byte and n filler bytes ending in the number's low byte.
  void Store(uint32_t number, size_t n = 3) {
    Code c(n + 1, '+');
    c[0] = 1;
    c[n] = static_cast<uint8_t>(number);
    ASSERT_EQ(StoreLine(m, number, c.data(), static_cast<int32_t>(c.size())), kOk);
  }

  // Compiles a source line and stores it under its own number.
  void StoreSource(const std::string& src) { ASSERT_EQ(DirectExecute(m, src.c_str()), kOk) << src; }

  // Line numbers in area order; checks the record chain, the used size and the terminator.
  std::vector<uint32_t> Lines() {
    std::vector<uint32_t> lines;
    const ProgramArea& a = m.program;
    if (a.data == nullptr) return lines;
    const uint8_t* p = a.data;
    int32_t total = 2;
    while (RecordLength(p) != 0) {
      const uint16_t len = RecordLength(p);
      EXPECT_EQ(p[len - 1], 0) << "record ends with the end-of-line byte";
      lines.push_back(RecordLineNumber(p));
      total += len;
      p += len;
    }
    EXPECT_EQ(total, a.used);
    EXPECT_LT(static_cast<uint32_t>(a.used), a.capacity);
    return lines;
  }
};

TEST_F(ProgramAreaTest, StoreKeepsLinesSortedAndReplaces) {
  EXPECT_EQ(Lines(), std::vector<uint32_t>{});
  Store(20);
  Store(10);
  Store(30);
  Store(25, 100);
  EXPECT_EQ(Lines(), (std::vector<uint32_t>{10, 20, 25, 30}));

  Store(20, 50);  // longer replacement
  Store(25, 1);   // shorter replacement
  EXPECT_EQ(Lines(), (std::vector<uint32_t>{10, 20, 25, 30}));
  EXPECT_EQ(RecordLength(FindLineRecord(m, 20)), 51 + kRecordOverhead);
  EXPECT_EQ(RecordLength(FindLineRecord(m, 25)), 2 + kRecordOverhead);
  EXPECT_EQ(RecordCode(FindLineRecord(m, 30))[3], 30);

  // An empty code is still a record (a loaded blank line).
  ASSERT_EQ(StoreLine(m, 5, nullptr, 0), kOk);
  EXPECT_EQ(RecordLength(FindLineRecord(m, 5)), kRecordOverhead);
}

// Lines stored in ascending order go straight to the end; every other edit
// (a replaced or deleted last line, a line stored before it) is found anew.
TEST_F(ProgramAreaTest, AppendedLinesStaySortedAcrossEveryOtherEdit) {
  std::vector<uint32_t> expected;
  for (uint32_t n = 10; n <= 400; n += 10) {
    Store(n, 200);  // past the first growth of the area
    expected.push_back(n);
  }
  EXPECT_EQ(Lines(), expected);
  // A line stored at the front moves the last line by a whole record.
  Store(15, 200);
  Store(395);
  expected.insert(expected.begin() + 1, 15);
  expected.insert(expected.end() - 1, 395);
  EXPECT_EQ(Lines(), expected);
  Store(400, 5);  // the last line replaced
  EXPECT_EQ(RecordLength(FindLineRecord(m, 400)), 6 + kRecordOverhead);
  Store(410);
  EXPECT_EQ(DeleteLines(m, 410, 410), kOk);
  Store(405);
  Store(398);
  Store(420);
  expected.insert(expected.end(), {405, 420});
  expected.insert(expected.end() - 3, 398);
  EXPECT_EQ(Lines(), expected);
}

TEST_F(ProgramAreaTest, DeleteRanges) {
  for (uint32_t n : {10u, 20u, 30u, 40u, 50u}) Store(n);
  EXPECT_EQ(DeleteLines(m, 15, 25), kOk);
  EXPECT_EQ(Lines(), (std::vector<uint32_t>{10, 30, 40, 50}));
  EXPECT_EQ(DeleteLines(m, 31, 39), kOk);  // nothing in range
  EXPECT_EQ(DeleteLines(m, 60, 100), kOk);
  EXPECT_EQ(DeleteLines(m, 40, 30), kOk);
  EXPECT_EQ(Lines(), (std::vector<uint32_t>{10, 30, 40, 50}));
  EXPECT_EQ(DeleteLines(m, 30, 50), kOk);  // both ends included, up to the last line
  EXPECT_EQ(Lines(), (std::vector<uint32_t>{10}));
  EXPECT_EQ(DeleteLines(m, 0, 0xFFFFFFFF), kOk);
  EXPECT_EQ(Lines(), std::vector<uint32_t>{});
  EXPECT_EQ(m.program.used, 2);
}

TEST_F(ProgramAreaTest, GrowsInSteps) {
  for (uint32_t n = 1000; n >= 1; --n) Store(n, 40);  // each insert moves the whole area
  std::vector<uint32_t> lines = Lines();
  ASSERT_EQ(lines.size(), 1000u);
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(lines[i], i + 1);
  EXPECT_GT(m.program.capacity, 4096u * 10);
  EXPECT_EQ(m.program.capacity % 4096, 0u);

  Store(5000, 65000);  // one record far larger than a growth step
  EXPECT_EQ(RecordLength(FindLineRecord(m, 5000)), 65001 + kRecordOverhead);
  EXPECT_EQ(Lines().size(), 1001u);
}

TEST_F(ProgramAreaTest, FindByNumberAndLabel) {
  StoreSource("10 *MAIN print");
  StoreSource("20 Sub *SUBR");
  StoreSource("30*GLUED");
  StoreSource("40 *MAINX");
  StoreSource("50 goto *MAIN");
  StoreSource("60 *MAIN");  // only the first definition counts

  ExecFrame f(&m);
  EXPECT_EQ(FindLine(f, 40, nullptr, 0), kOk);
  EXPECT_EQ(f.line, FindLineRecord(m, 40));
  EXPECT_EQ(f.pos, RecordCode(f.line));
  EXPECT_EQ(FindLine(f, 45, nullptr, 0), kErrUndefinedLine);
  EXPECT_EQ(f.line, FindLineRecord(m, 40)) << "a failed search leaves the frame alone";

  EXPECT_EQ(FindLine(f, 0, "*MAIN", 5), kOk);
  EXPECT_EQ(RecordLineNumber(f.line), 10u);
  EXPECT_EQ(FindLine(f, 0, "*MAINX", 6), kOk);
  EXPECT_EQ(RecordLineNumber(f.line), 40u);
  for (const char* label : {"*MAI", "*SUBR", "*GLUED", "*main", "*MAINXY"})
    EXPECT_EQ(FindLine(f, 0, label, std::strlen(label)), kErrUndefinedLabel) << label;
}

TEST_F(ProgramAreaTest, LabelLookupsFollowEveryEdit) {
  auto find = [&](const char* label) -> uint32_t {
    const uint8_t* r = FindLabelRecord(m, label, std::strlen(label));
    return r != nullptr ? RecordLineNumber(r) : 0;
  };
  StoreSource("50 *LATE");
  StoreSource("60 *LATE");
  EXPECT_EQ(find("*LATE"), 50u);
  EXPECT_EQ(find("*EARLY"), 0u);
  StoreSource("10 *EARLY");  // a line before: the cached offset of *LATE moved
  StoreSource("20 *LATE");   // an earlier definition now counts first
  EXPECT_EQ(find("*EARLY"), 10u);
  EXPECT_EQ(find("*LATE"), 20u);
  StoreSource("20 Print");   // replaced: the next definition is found again
  EXPECT_EQ(find("*LATE"), 50u);
  EXPECT_EQ(DeleteLines(m, 50, 50), kOk);
  EXPECT_EQ(find("*LATE"), 60u);
  m.program.Reset();
  EXPECT_EQ(find("*LATE"), 0u);
}

TEST_F(ProgramAreaTest, MissingAreaIsAnEmptyProgram) {
  std::free(m.program.data);
  m.program.data = nullptr;
  m.program.capacity = 0;
  m.program.used = 0;

  ExecFrame f(&m);
  EXPECT_EQ(FindLineRecord(m, 10), nullptr);
  EXPECT_EQ(FindLabelRecord(m, "*A", 2), nullptr);
  EXPECT_EQ(FindLine(f, 10, nullptr, 0), kErrUndefinedLine);
  EXPECT_EQ(FindLine(f, 0, "*A", 2), kErrUndefinedLabel);
  EXPECT_EQ(DeleteLines(m, 0, 100), kOk);
  EXPECT_EQ(Lines(), std::vector<uint32_t>{});

  Store(10);  // storing allocates a fresh area
  EXPECT_EQ(Lines(), std::vector<uint32_t>{10});
  EXPECT_EQ(m.program.capacity, 4096u);
}

}  // namespace
}  // namespace msc
