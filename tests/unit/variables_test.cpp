#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/variables.h"
#include "test_support.h"

namespace msc {
namespace {

uint8_t* Cell(VariableArea& area, uint8_t tag, const std::string& name,
              FindMode mode = FindMode::FindOrCreate, FindStatus* status = nullptr) {
  FindStatus s;
  return area.FindCell(tag, name.data(), name.size(), mode, status ? status : &s);
}

void* SlotPointer(const uint8_t* slot) {
  void* p;
  std::memcpy(&p, slot, sizeof p);
  return p;
}

TEST(VariableArea, FindModesAndCellLayout) {
  VariableArea area;
  FindStatus status;
  uint8_t* a = Cell(area, 0xE0, "A&", FindMode::FindOrCreate, &status);
  ASSERT_EQ(a, area.First());
  EXPECT_EQ(status, kFindOk);
  const uint8_t layout[] = {0xE0, 0, 0, 0, 0, 2, 'A', '&', 0x00};
  EXPECT_EQ(std::memcmp(a, layout, sizeof layout), 0);

  EXPECT_EQ(Cell(area, 0xE0, "A&"), a);
  EXPECT_EQ(Cell(area, 0xE0, "A&", FindMode::CreateOnly, &status), nullptr);
  EXPECT_EQ(status, kFindExists);
  EXPECT_EQ(Cell(area, 0xE0, "B&", FindMode::FindOnly, &status), nullptr);
  EXPECT_EQ(status, kFindAbsent);
  EXPECT_EQ(Cell(area, 0xE0, "B&", FindMode::CreateOnly), a + 8);

  // Same letters with another suffix or tag are other variables; case counts.
  const uint8_t* cells[] = {a, Cell(area, 0xE0, "A&&"), Cell(area, 0xE1, "A#"),
                            Cell(area, 0xE3, "A&"), Cell(area, 0xE6, "A@")};
  for (size_t i = 0; i < std::size(cells); ++i)
    for (size_t j = i + 1; j < std::size(cells); ++j) EXPECT_NE(cells[i], cells[j]);
  EXPECT_EQ(Cell(area, 0xE0, "a&", FindMode::FindOnly), nullptr);
}

// A name of the given length, distinct by its leading digits.
std::string Name(int i, size_t length) {
  std::string n = std::to_string(i);
  n.resize(length - 1, 'X');
  return n + "#";
}

TEST(VariableArea, ANewBlockOpensWhenTenBytesWouldNotRemain) {
  // 77 double cells of 210 bytes leave 214 bytes: a 204-byte cell leaves
  // exactly 10 and fits, a 205-byte cell opens the next block.
  for (size_t lastName : {194, 195}) {
    VariableArea area;
    std::vector<uint8_t*> cells;
    for (int i = 0; i < 77; ++i) {
      cells.push_back(Cell(area, 0xE1, Name(i, 200)));
      const double v = i;
      std::memcpy(cells.back() + 1, &v, sizeof v);
    }
    uint8_t* end = area.First() + 77 * 210;
    uint8_t* last = Cell(area, 0xE1, Name(999, lastName));
    if (lastName == 194) {
      EXPECT_EQ(last, end);
      continue;
    }
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(end[0], 0xFF);
    EXPECT_EQ(SlotPointer(end + 1), last);
    EXPECT_EQ(Cell(area, 0xE0, "N&"), last + 205);
    for (int i = 0; i < 77; ++i) {
      ASSERT_EQ(Cell(area, 0xE1, Name(i, 200), FindMode::FindOnly), cells[i]);
      double v;
      std::memcpy(&v, cells[i] + 1, sizeof v);
      EXPECT_EQ(v, i);
    }
    area.ClearValues(false);  // frees the second block (the leak checker watches)
    EXPECT_EQ(Cell(area, 0xE0, "N&", FindMode::FindOnly), nullptr);
  }
}

// Subscript errors as programs meet them are checked through the evaluator.
TEST(Arrays, LayoutOffsetsAndSizeLimits) {
  VariableArea area;
  uint8_t* arr = Cell(area, 0xE3, "M&");
  uint32_t offset = 0;
  const int32_t at12[] = {1, 2};
  EXPECT_EQ(ElementOffsetOf(arr, at12, 2, &offset), kErrUndefinedArray);
  const uint32_t extents[] = {3, 4};
  ASSERT_EQ(DimensionArray(arr, 2, extents), kOk);
  const uint32_t header[] = {2, 3, 4};
  EXPECT_EQ(std::memcmp(ArrayBlock(arr), header, sizeof header), 0);
  ASSERT_EQ(ElementOffsetOf(arr, at12, 2, &offset), kOk);
  EXPECT_EQ(offset, 36u);
  Value v;
  v.SetDouble(41.5);
  ASSERT_EQ(WriteElement(arr, offset, v), kOk);
  ASSERT_EQ(ReadElement(arr, offset, v), kOk);
  EXPECT_EQ(v.count, 42);
  EXPECT_EQ(ReadElementAt(arr, 0, v), kErrTypeMismatch);  // two dimensions

  // An offset kept from before a redimension reaches only whole elements inside
  // the new block: not the header, not between elements, not past the end.
  const uint32_t two[] = {2};
  ASSERT_EQ(DimensionArray(arr, 1, two), kOk);
  for (uint32_t stale : {4u, 10u, 16u, 36u}) EXPECT_EQ(WriteElement(arr, stale, v), kErrSubscript) << stale;
  ASSERT_EQ(WriteElement(arr, 12, v), kOk);
  uint8_t* dbl = Cell(area, 0xE4, "N#");
  ASSERT_EQ(DimensionArray(dbl, 2, extents), kOk);
  for (uint32_t stale : {8u, 16u, 24u, 12u + 8 * 12}) EXPECT_EQ(ReadElement(dbl, stale, v), kErrSubscript) << stale;
  EXPECT_EQ(ReadElement(dbl, 12 + 8 * 11, v), kOk);

  // Sizes past 2^31 - 1, including products that wrap in 32 or 64 bits.
  const std::vector<uint32_t> huge[] = {{65536, 65536}, {0x40000000, 4}, {0x80000000u, 0x80000000u, 4}};
  for (const auto& e : huge) {
    EXPECT_EQ(DimensionArray(arr, static_cast<uint32_t>(e.size()), e.data()), kErrOutOfMemory);
    EXPECT_EQ(ArrayBlock(arr), nullptr);
  }
}

TEST(Arrays, ElementsByIndexOwnTheirTexts) {
  VariableArea area;
  const uint32_t five[] = {5};
  Value v;
  uint8_t* d = Cell(area, 0xE4, "D#");
  EXPECT_EQ(ReadElementAt(d, 0, v), kErrUndefinedArray);
  ASSERT_EQ(DimensionArray(d, 1, five), kOk);
  v.SetInteger(3);
  ASSERT_EQ(WriteElementAt(d, 4, v), kOk);
  ASSERT_EQ(ReadElementAt(d, 4, v), kOk);
  EXPECT_EQ(v.type, kDouble);
  EXPECT_EQ(v.number, 3.0);
  EXPECT_EQ(ReadElementAt(d, 5, v), kErrSubscript);
  EXPECT_EQ(WriteElementAt(d, -1, v), kErrSubscript);

  uint8_t* s = Cell(area, 0xE5, "S$");
  uint8_t* w = Cell(area, 0xE8, "W!");
  ASSERT_EQ(DimensionArray(s, 1, five), kOk);
  ASSERT_EQ(DimensionArray(w, 1, five), kOk);
  ASSERT_EQ(v.SetOwnedText("xy", 2), kOk);
  const char* moved = v.text;
  ASSERT_EQ(WriteElementAt(s, 2, v), kOk);
  EXPECT_EQ(v.type, kEmpty);
  ASSERT_EQ(ReadElementAt(s, 2, v), kOk);
  EXPECT_EQ(v.text, moved);
  ASSERT_EQ(WriteElementAt(w, 0, v), kOk);
  // Redimensioning frees the elements' buffers (the leak checker watches).
  ASSERT_EQ(DimensionArray(s, 1, five), kOk);
  ASSERT_EQ(ReadElementAt(w, 0, v), kOk);
  EXPECT_STREQ(v.text, "xy");
}

class Scalars : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
  uint8_t* Var(uint8_t tag, const char* name) { return Cell(m.variables, tag, name); }
};

TEST_F(Scalars, WritesConvertToTheVariableType) {
  uint8_t* a = Var(0xE0, "A&");
  Value v;
  for (const double in : {2.5, -2.5}) {
    v.SetDouble(in);
    ASSERT_EQ(WriteScalar(m, a, v), kOk);
    ASSERT_EQ(ReadScalar(m, a, v), kOk);
    EXPECT_EQ(v.count, in > 0 ? 3 : -3) << "halves round away from zero";
  }
  v.SetDouble(2147483647.6);
  EXPECT_EQ(WriteScalar(m, a, v), kErrOverflow);
  ASSERT_EQ(ReadScalar(m, a, v), kOk);
  EXPECT_EQ(v.count, -3);

  uint8_t* s = Var(0xE2, "S$");
  ASSERT_EQ(ReadScalar(m, s, v), kOk);
  EXPECT_EQ(v.type, kVarText);
  EXPECT_STREQ(v.text, "");
  v.SetDouble(1.0 / 3.0);
  ASSERT_EQ(WriteScalar(m, s, v), kOk);
  ASSERT_EQ(ReadScalar(m, s, v), kOk);
  ASSERT_EQ(WriteScalar(m, s, v), kOk);  // its own buffer written back
  ASSERT_EQ(ReadScalar(m, s, v), kOk);
  EXPECT_STREQ(v.text, "0.333333333333333");
  Value empty;
  EXPECT_EQ(WriteScalar(m, s, empty), kErrTypeMismatch);

  const char literal[] = "lit";  // a borrowed text is copied
  v.SetBorrowedText(kConstText, literal, 3);
  ASSERT_EQ(StoreStringSlot(s + 1, v), kOk);
  EXPECT_NE(SlotPointer(s + 1), literal);
  EXPECT_EQ(v.text, literal);
}

TEST_F(Scalars, VariantsHoldEveryType) {
  uint8_t* x = Var(0xE7, "X!");
  Value v, text, bytes;
  ASSERT_EQ(ReadScalar(m, x, v), kOk);
  EXPECT_EQ(v.type, kEmpty);
  v.SetDouble(0.25);
  ASSERT_EQ(WriteScalar(m, x, v), kOk);
  ASSERT_EQ(ReadScalar(m, x, v), kOk);
  EXPECT_EQ(v.number, 0.25);

  ASSERT_EQ(text.SetOwnedText("text", 4), kOk);
  ASSERT_EQ(WriteScalar(m, x, text), kOk);
  text.Clear();  // the variant holds its own copy
  ASSERT_EQ(ReadScalar(m, x, v), kOk);
  ASSERT_EQ(WriteScalar(m, x, v), kOk);  // borrowing from the buffer it replaces
  ASSERT_EQ(ReadScalar(m, x, v), kOk);
  EXPECT_EQ(v.type, kVarText);
  EXPECT_STREQ(v.text, "text");

  ASSERT_EQ(bytes.SetBytes("a\0b", 3), kOk);
  ASSERT_EQ(WriteScalar(m, x, bytes), kOk);
  ASSERT_EQ(ReadScalar(m, x, v), kOk);
  EXPECT_EQ(v.type, kBytes);
  EXPECT_EQ(v.block, nullptr);
  EXPECT_EQ(v.count, 3);
  EXPECT_EQ(std::memcmp(v.text, "a\0b", 3), 0);

  // Unknown tags and types are internal errors and leave the slot null.
  static_cast<uint8_t*>(SlotPointer(x + 1))[0] = 9;
  const std::string out = test::Captured([&] {
    EXPECT_EQ(LoadVariant(x + 1, v), kErrInternal);
    v.type = 7;
    EXPECT_EQ(StoreVariant(x + 1, v), kErrInternal);
  });
  EXPECT_EQ(out, "RVM INTERNAL ERROR\n\nRVM INTERNAL ERROR\n\n");
  EXPECT_EQ(SlotPointer(x + 1), nullptr);
  v.type = kEmpty;
}

}  // namespace
}  // namespace msc
