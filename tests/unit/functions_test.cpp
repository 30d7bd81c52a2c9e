// What the program tests cannot see of the built-in functions (addresses,
// code-page text) and the simulated controller's circle fit.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "api/config.h"
#include "engine/run.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "test_support.h"

namespace msc {
namespace {

class FunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override { macro_->reportMode = 0; }
  // V! = expression, read back as text.
  std::string Eval(const std::string& expression) {
    EXPECT_EQ(DirectExecute(*macro_, ("V! = " + expression).c_str()), kOk) << expression;
    return test::TextVar(*macro_, tag::Variant, "V!");
  }
  uint32_t AddressOf(const uint8_t* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
  test::MacroPtr macro_ = test::NewMacro();
};

TEST_F(FunctionsTest, CaseMappingCoversLettersBeyondAscii) {
  const uint32_t page = CodePage();
  // é and É in a western page; the full-width letters elsewhere (932 has them).
  const std::string lower = platform::ToMulti(page, page == 1252 ? L"x\u00e9t\u00e9" : L"x\uff41\uff42");
  const std::string upper = platform::ToMulti(page, page == 1252 ? L"X\u00c9T\u00c9" : L"X\uff21\uff22");
  ASSERT_FALSE(lower.empty());
  EXPECT_EQ(Eval("UCase$(\"" + lower + "\")"), upper);
  EXPECT_EQ(Eval("LCase$(\"" + upper + "\")"), lower);
}

TEST_F(FunctionsTest, VarPtrGivesTheStorageAddress) {
  ASSERT_EQ(DirectExecute(*macro_, "X# = 1 : Dim A&(2, 3)"), kOk);
  const uint8_t* x = test::FindVar(*macro_, tag::Dbl, "X#");
  EXPECT_EQ(Eval("VarPtr(X#)"), std::to_string(static_cast<int32_t>(AddressOf(x + 1))));
  // Element (1, 2) of a 3 by 4 integer array: 12 bytes of header, 6 elements in.
  const uint8_t* block = ArrayBlock(test::FindVar(*macro_, tag::IntArray, "A&"));
  EXPECT_EQ(Eval("VarPtr(A&(1, 2))"), std::to_string(static_cast<int32_t>(AddressOf(block + 36))));
}

// The simulated image-processing library's circle fit.
TEST(CircleFit, ExactOnArcsOfKnownCircles) {
  struct Circle {
    double cx, cy, r, from, span;  // an arc from angle `from`, `span` radians long
    int n;
  };
  const Circle circles[] = {
      {0, 0, 1, 0, 6.2, 16},          {10, -3, 5, 1, 2 * std::numbers::pi, 3},
      {1000, -500, 25, 0.3, 1.5, 12}, {-2e4, 3e4, 0.5, 2, 3, 7},
      {0.001, 0.002, 1e3, -1, 0.8, 50},
  };
  for (const Circle& c : circles) {
    std::vector<double> x(c.n), y(c.n);
    for (int i = 0; i < c.n; ++i) {
      const double a = c.from + c.span * i / c.n;
      x[i] = c.cx + c.r * std::cos(a);
      y[i] = c.cy + c.r * std::sin(a);
    }
    double cx = 0, cy = 0, r = 0;
    SCOPED_TRACE(testing::Message() << "circle at " << c.cx << ", " << c.cy);
    ASSERT_EQ(GetApproximationCircle(x.data(), y.data(), c.n, &cx, &cy, &r), 0);
    EXPECT_NEAR(cx, c.cx, 1e-9);
    EXPECT_NEAR(cy, c.cy, 1e-9);
    EXPECT_NEAR(r, c.r, 1e-9);
  }
}

// A fit through three of the points would pass the exact cases above.
TEST(CircleFit, NoisyPointsStayClose) {
  std::mt19937 random(20240309);
  std::normal_distribution<double> noise(0.0, 0.01);
  std::uniform_real_distribution<double> angle(0.0, 2 * std::numbers::pi);
  for (int trial = 0; trial < 5; ++trial) {
    const double cx = 160.0 * trial - 300, cy = 17.0 - 36.0 * trial, r = 20.0 + 12 * trial;
    std::vector<double> x(200), y(200);
    for (size_t i = 0; i < x.size(); ++i) {
      const double a = angle(random);
      x[i] = cx + r * std::cos(a) + noise(random);
      y[i] = cy + r * std::sin(a) + noise(random);
    }
    double fx = 0, fy = 0, fr = 0;
    ASSERT_EQ(GetApproximationCircle(x.data(), y.data(), 200, &fx, &fy, &fr), 0);
    EXPECT_NEAR(fx, cx, 0.005);
    EXPECT_NEAR(fy, cy, 0.005);
    EXPECT_NEAR(fr, r, 0.005);
  }
}

TEST(CircleFit, RefusesDegeneratePointSets) {
  const struct { std::vector<double> x, y; int n; const char* what; } cases[] = {
      {{0, 1, 2, 3}, {5, 7, 9, 11}, 4, "on a line"},
      {{3, 3, 3}, {-1, 4, 9}, 3, "on a vertical line"},
      {{2, 2, 2}, {1, 1, 1}, 3, "one point thrice"},
      {{0, 1, 0}, {0, 0, 1}, 2, "too few"},
      {{0, 1, NAN}, {0, 0, 1}, 3, "not a number"},
  };
  for (const auto& c : cases) {
    double cx = 0, cy = 0, r = 0;
    EXPECT_NE(GetApproximationCircle(c.x.data(), c.y.data(), c.n, &cx, &cy, &r), 0) << c.what;
  }
}

}  // namespace
}  // namespace msc
