#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/value.h"

namespace msc {
namespace {

// Rounding and the range are the decoded-forms test's, whose stores use
// DoubleToInteger; a value that does not convert is left as it was.
TEST(DoubleToInteger, AFailedConversionLeavesItsPlacesAlone) {
  int32_t out = 77;
  EXPECT_EQ(DoubleToInteger(std::nan(""), &out), kErrOverflow);
  EXPECT_EQ(out, 77);
  Value v;
  v.SetDouble(2147483647.6);
  EXPECT_EQ(ToInteger(v), kErrOverflow);
  EXPECT_EQ(v.type, kDouble);
  EXPECT_EQ(v.number, 2147483647.6);
}

// The conversion rounds without the library; it must agree with round()
// at every half, next to every half and across the whole range.
TEST(DoubleToInteger, RoundsHalvesAwayFromZeroAsRoundDoes) {
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, 0.49999999999999994, -0.49999999999999994,
                                2147483647.0, 2147483646.5, 2147483646.4999998, -2147483648.0, -2147483647.5,
                                -2147483647.4999998, 1e-300, -1e-300};
  uint64_t state = 88172645463325252ull;
  for (int i = 0; i < 100000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const double x = static_cast<double>(static_cast<int64_t>(state % 8589934592ull) - 4294967296ll) / 2.0;
    values.push_back(x);
    values.push_back(std::nextafter(x, 0.0));
    values.push_back(std::nextafter(x, x < 0 ? -1e300 : 1e300));
  }
  for (const double d : values) {
    int32_t out = 0;
    const bool inRange = d >= -2147483648.0 && d <= 2147483647.0;
    ASSERT_EQ(DoubleToInteger(d, &out), inRange ? kOk : kErrOverflow) << d;
    if (inRange) {
      ASSERT_EQ(out, static_cast<int32_t>(std::round(d))) << std::hexfloat << d;
    }
  }
}

TEST(ParseNumber, ReadsDecimalAndPrefixedForms) {
  const struct { const char* text; int32_t type; double value; } cases[] = {
      {"12abc", kInteger, 12}, {"abc", kInteger, 0}, {"", kInteger, 0},
      {"  7", kInteger, 7}, {"&H10", kInteger, 16}, {"&h1f", kInteger, 31},
      {"&B101", kInteger, 5}, {"&B1021", kInteger, 2}, {"&O17", kInteger, 15},
      {"&H", kInteger, 0}, {"&X5", kInteger, 0}, {"&HFFFFFFFF", kInteger, -1},
      {"&H 10", kInteger, 16}, {"1e3", kInteger, 1000}, {"2.0", kInteger, 2},
      {"-2147483648", kInteger, INT32_MIN}, {"2147483648", kDouble, 2147483648.0},
      {"2.5x", kDouble, 2.5},
  };
  for (const auto& c : cases) {
    Value v;
    ASSERT_EQ(ParseNumber(c.text, v), kOk) << c.text;
    EXPECT_EQ(v.type, c.type) << c.text;
    EXPECT_EQ(v.type == kInteger ? v.count : v.number, c.value) << c.text;
  }
}

TEST(ParseNumber, RangeErrorsGiveOverflowAndLeaveTheResultAlone) {
  for (const char* text : {"&H100000000", "&B111111111111111111111111111111111", "1e999", "-1e999"}) {
    Value v;
    v.SetInteger(5);
    EXPECT_EQ(ParseNumber(text, v), kErrOverflow) << text;
    EXPECT_EQ(v.count, 5) << text;
  }
}

TEST(Coercion, TextBecomesNumberAndNumberBecomesText) {
  Value v;
  ASSERT_EQ(v.SetOwnedText("2.5", 3), kOk);
  ASSERT_EQ(ToInteger(v), kOk);  // parsed, then rounded; the owned buffer is freed
  EXPECT_EQ(v.type, kInteger);
  EXPECT_EQ(v.count, 3);

  ASSERT_EQ(v.SetOwnedText("1e3", 3), kOk);
  ASSERT_EQ(ToDouble(v), kOk);
  EXPECT_EQ(v.number, 1000.0);

  const struct { double in; const char* out; } texts[] = {
      {1.0 / 3.0, "0.333333333333333"}, {0.1, "0.1"}, {2.5, "2.5"}, {-1e300, "-1e+300"},
  };
  for (const auto& t : texts) {
    v.SetDouble(t.in);
    ASSERT_EQ(ToText(v), kOk);
    EXPECT_EQ(v.type, kOwnedText);
    EXPECT_STREQ(v.text, t.out);
    EXPECT_EQ(v.count, static_cast<int32_t>(std::strlen(t.out)));
  }
  v.SetInteger(-7);
  ASSERT_EQ(ToText(v), kOk);
  EXPECT_STREQ(v.text, "-7");
}

TEST(Coercion, EmptyAndBytesAreTypeMismatches) {
  Value empty, bytes;
  ASSERT_EQ(bytes.SetBytes("12", 2), kOk);
  for (Value* v : {&empty, &bytes}) {
    EXPECT_EQ(ToInteger(*v), kErrTypeMismatch);
    EXPECT_EQ(ToNumber(*v), kErrTypeMismatch);
    EXPECT_EQ(ToText(*v), kErrTypeMismatch);
  }
}

TEST(ValueOwnership, MovesKeepTextValidAndFreeOnce) {
  Value dest;
  {
    Value chr;
    chr.SetCharText('Q');
    EXPECT_EQ(chr.text, reinterpret_cast<const char*>(&chr.number));
    dest.MoveFrom(chr);
    EXPECT_EQ(chr.type, kEmpty);
  }
  // Still readable after the source is gone: the text lives in dest now.
  EXPECT_EQ(dest.text, reinterpret_cast<const char*>(&dest.number));
  EXPECT_STREQ(dest.text, "Q");
  EXPECT_EQ(dest.count, 1);

  Value owned;
  ASSERT_EQ(owned.SetOwnedText("hello", 5), kOk);
  ASSERT_EQ(owned.SetOwnedText(owned.text + 1, 3), kOk);  // from its own buffer
  EXPECT_STREQ(owned.text, "ell");
  dest.MoveFrom(owned);
  EXPECT_EQ(dest.type, kOwnedText);
  EXPECT_EQ(owned.text, nullptr);

}

TEST(NamePatternMatch, StarQuestionAndLiteralCharacters) {
  const struct { const char* pattern; const char* text; bool match; } cases[] = {
      {"A*", "A", true},     {"A*", "AB", true},      {"A*", "A$", true},
      {"A*", "BA", false},   {"?", "X", true},        {"?", "", false},
      {"?", "XY", false},    {"", "", true},          {"", "A", false},
      {"*", "", true},       {"A*B*C", "AXBYBC", true}, {"A*B*C", "AXBYBD", false},
      {"*C", "ABCBC", true}, {"a*", "A", false},      {"A?C&", "ABC&", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamePatternMatch(c.pattern, c.text), c.match) << c.pattern << " / " << c.text;
  }
  EXPECT_TRUE(NamePatternMatch("AB", "ABX", 2));  // counted text needs no terminator
}

}  // namespace
}  // namespace msc
