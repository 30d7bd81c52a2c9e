// What the program tests cannot see of the built-in functions (storage,
// addresses, code-page text) and the simulated controller's circle fit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/builtin_functions.h"
#include "engine/functions.h"
#include "engine/run.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "test_support.h"

namespace msc {
namespace {

class FunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override { macro_->reportMode = 0; }

  uint8_t* Cell(uint8_t tag, const char* name) {
    FindStatus status{};
    return macro_->variables.FindCell(tag, name, std::strlen(name), FindMode::FindOrCreate, &status);
  }
  // V! = expression, read back; the empty value on failure.
  void Eval(const std::string& expression, Value& out) {
    out.Clear();
    ASSERT_EQ(DirectExecute(*macro_, ("V! = " + expression).c_str()), kOk) << expression;
    ASSERT_EQ(ReadScalar(*macro_, Cell(tag::Variant, "V!"), out), kOk);
  }
  std::string Text(const std::string& expression) {
    Value v;
    Eval(expression, v);
    return IsTextType(v.type) ? std::string(v.text, static_cast<size_t>(v.count)) : "<not text>";
  }
  uint32_t Address(const std::string& expression) {
    Value v;
    Eval(expression, v);
    EXPECT_EQ(v.type, kInteger);
    return static_cast<uint32_t>(v.count);
  }

  test::MacroPtr macro_ = test::NewMacro();
};

TEST_F(FunctionsTest, ChrKeepsItsByteInsideTheValue) {
  Value args[kMaxFunctionArguments];
  args[0].SetInteger(200);
  Value result;
  ExecFrame f(macro_.get());
  ASSERT_EQ(FnChrS(args, result, f), kOk);
  EXPECT_EQ(result.type, kConstText);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(static_cast<const void*>(result.text), static_cast<const void*>(&result.number));
  EXPECT_EQ(static_cast<unsigned char>(result.text[0]), 200);
  EXPECT_EQ(result.text[1], '\0');
  // Moving the value moves the byte along.
  Value moved;
  moved.MoveFrom(result);
  EXPECT_EQ(static_cast<const void*>(moved.text), static_cast<const void*>(&moved.number));
}

TEST_F(FunctionsTest, CaseMappingCoversLettersBeyondAscii) {
  const uint32_t page = CodePage();
  // é and É in a western page; the full-width letters elsewhere (932 has them).
  const std::wstring lower = page == 1252 ? L"x\u00e9t\u00e9" : L"x\uff41\uff42";
  const std::wstring upper = page == 1252 ? L"X\u00c9T\u00c9" : L"X\uff21\uff22";
  const std::string lowerText = platform::ToMulti(page, lower);
  const std::string upperText = platform::ToMulti(page, upper);
  ASSERT_FALSE(lowerText.empty());
  EXPECT_EQ(Text("UCase$(\"" + lowerText + "\")"), upperText);
  EXPECT_EQ(Text("LCase$(\"" + upperText + "\")"), lowerText);
}

TEST_F(FunctionsTest, VarPtrGivesTheStorageAddress) {
  const uint8_t* x = Cell(tag::Dbl, "X#");
  EXPECT_EQ(Address("VarPtr(X#)"), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(x + 1)));
  uint8_t* a = Cell(tag::IntArray, "A&");
  const uint32_t extents[] = {3, 4};
  ASSERT_EQ(DimensionArray(a, 2, extents), kOk);
  // Element (1, 2) of a 3 by 4 integer array: 12 bytes of header, 6 elements in.
  EXPECT_EQ(Address("VarPtr(A&(1, 2))"), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ArrayBlock(a) + 36)));
}

// The simulated image-processing library's circle fit.
TEST(CircleFit, ExactOnPointsOfKnownCircles) {
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
    ASSERT_EQ(GetApproximationCircle(x.data(), y.data(), c.n, &cx, &cy, &r), 0);
    EXPECT_NEAR(cx, c.cx, 1e-9) << "circle at " << c.cx << ", " << c.cy;
    EXPECT_NEAR(cy, c.cy, 1e-9) << "circle at " << c.cx << ", " << c.cy;
    EXPECT_NEAR(r, c.r, 1e-9) << "circle at " << c.cx << ", " << c.cy;
  }
}

TEST(CircleFit, NoisyPointsStayClose) {
  std::mt19937 random(20240309);
  std::normal_distribution<double> noise(0.0, 0.01);
  std::uniform_real_distribution<double> angle(0.0, 2 * std::numbers::pi);
  for (int trial = 0; trial < 20; ++trial) {
    const double cx = 40.0 * trial - 300, cy = 17.0 - 9.0 * trial, r = 20.0 + 3 * trial;
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
  double cx = 0, cy = 0, r = 0;
  const double x[] = {0, 1, 2, 3}, y[] = {5, 7, 9, 11};
  EXPECT_NE(GetApproximationCircle(x, y, 4, &cx, &cy, &r), 0);  // on a line
  const double vx[] = {3, 3, 3}, vy[] = {-1, 4, 9};
  EXPECT_NE(GetApproximationCircle(vx, vy, 3, &cx, &cy, &r), 0);  // on a vertical line
  const double px[] = {2, 2, 2}, py[] = {1, 1, 1};
  EXPECT_NE(GetApproximationCircle(px, py, 3, &cx, &cy, &r), 0);  // one point thrice
  const double ux[] = {0, 1, 0}, uy[] = {0, 0, 1};
  EXPECT_NE(GetApproximationCircle(ux, uy, 2, &cx, &cy, &r), 0);  // too few
  const double nx[] = {0, 1, NAN};
  EXPECT_NE(GetApproximationCircle(nx, uy, 3, &cx, &cy, &r), 0);
}

}  // namespace
}  // namespace msc
