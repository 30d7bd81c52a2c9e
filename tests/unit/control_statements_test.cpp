// Control statements where a program test cannot reach: array elements as
// loop variables, direct statements without any Gosub entry below them, and
// the base level of the error trap.
#include <gtest/gtest.h>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "statements/error_trapping.h"
#include "test_support.h"

namespace msc {
namespace {

class ControlStatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(macro_, nullptr);
    macro_->reportMode = 0;  // errors are checked by number, not printed
  }

  ErrNo Run(const char* line) { return DirectExecute(*macro_, line); }
  int32_t Integer(const char* name) { return test::IntVar(*macro_, name); }

  test::MacroPtr macro_ = test::NewMacro();
};

TEST_F(ControlStatementsTest, ArrayElementsAsLoopVariables) {
  // Compiling creates the cell; running fails, as it is not dimensioned yet.
  EXPECT_EQ(Run("A&(0) = 0"), kErrUndefinedArray);
  uint8_t* cell = test::FindVar(*macro_, tag::IntArray, "A&");
  ASSERT_NE(cell, nullptr);
  const uint32_t extents[] = {4};
  ASSERT_EQ(DimensionArray(cell, 1, extents), kOk);

  ASSERT_EQ(Run("For A&(2) = 1 To 3 : S& = S& + A&(2) : Next A&(2) : R& = 1"), kOk);
  EXPECT_EQ(Integer("S&"), 6);
  EXPECT_EQ(Integer("R&"), 1);
  // Another element of the same array is another variable.
  EXPECT_EQ(Run("For A&(2) = 1 To 3 : Next A&(1)"), kErrNextWithoutFor);
  // A loop without a pass skips the Next together with its subscripts.
  ASSERT_EQ(Run("For A&(2) = 1 To 0 : Next A&(1 + (1)) : R& = 2"), kOk);
  EXPECT_EQ(Integer("R&"), 2);
  EXPECT_EQ(Run("For A&(9) = 1 To 2 : Next"), kErrSubscript);
}

TEST_F(ControlStatementsTest, DirectStatementsHaveNoRoutineToReturnTo) {
  EXPECT_EQ(Run("Return"), kErrReturnWithoutGosub);
  // The routine's Gosub entry goes with the trapped error.
  ASSERT_EQ(Run("10 *FAIL : X& = 1 / 0"), kOk);
  EXPECT_EQ(Run("Try : Gosub *FAIL : Catch : Return : End Try"), kErrReturnWithoutGosub);
  // A Gosub from a direct statement comes back to it.
  ASSERT_EQ(Run("20 *SET : Y& = 7 : Return"), kOk);
  ASSERT_EQ(Run("Gosub *SET : Z& = Y& + 1"), kOk);
  EXPECT_EQ(Integer("Z&"), 8);
  // Run without *MCRINIT starts at the first line; on an empty program it fails.
  EXPECT_EQ(Run("Run"), 11);
  ASSERT_EQ(Run("10"), kOk);
  ASSERT_EQ(Run("20"), kOk);
  EXPECT_EQ(Run("Run"), kErrNextWithoutFor);
}

TEST_F(ControlStatementsTest, TrapIgnoresTryBlocksAtOrBelowTheBase) {
  ASSERT_EQ(Run("10 Try : Catch : End Try"), kOk);
  uint8_t* record = macro_->program.data;
  ExecFrame f(macro_.get());
  JumpTo(f, record);
  uint8_t* tryEntry = f.Push(tok::Try, 24);
  ASSERT_NE(tryEntry, nullptr);
  StorePtr(tryEntry, record);
  StorePtr(tryEntry + 8, RecordCode(record) + 3);  // after the space byte and "Try"
  uint8_t* const base = f.top;
  ASSERT_NE(f.Push(tok::Do, 16), nullptr);

  // The Do above the base is discarded, but the Try is the caller's.
  EXPECT_FALSE(TrapError(f, base, 11));
  EXPECT_EQ(f.top, base);
  EXPECT_EQ(macro_->trappedErrorNumber, 11u);

  // With the Try above the base the error goes to its Catch.
  EXPECT_TRUE(TrapError(f, nullptr, 13));
  EXPECT_EQ(f.top, base);
  EXPECT_EQ(f.line, record);
  EXPECT_EQ(LoadU16(f.pos), 0x0480);  // the Catch keyword, big-endian 0x8004
  EXPECT_EQ(LoadU32(tryEntry + 16), 1u);
  // A second error while in the catch part is not taken.
  EXPECT_FALSE(TrapError(f, nullptr, 5));
}

// Where a block search or a jump ended is remembered by the code position it
// started from; an edit that keeps that position but changes what follows
// must not send the next run to the old place.
TEST_F(ControlStatementsTest, RememberedPlacesFollowEveryEdit) {
  for (const char* line : {"10 *M : Gosub *T : If A& = 1 Then", "20 R& = 1", "30 Else", "40 R& = 2",
                           "50 EndIf : Return", "60 *T : S& = 1 : Return", "70 *T : S& = 2 : Return"}) {
    ASSERT_EQ(Run(line), kOk) << line;
  }
  ASSERT_EQ(Run("A& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("R&"), 2);
  EXPECT_EQ(Integer("S&"), 1);
  // Line 10 stays where it was; the Else is gone and the first *T is now 70.
  ASSERT_EQ(Run("30 R& = 3"), kOk);
  ASSERT_EQ(Run("60 *NOT.T : S& = 1 : Return"), kOk);
  ASSERT_EQ(Run("R& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("R&"), 0);
  EXPECT_EQ(Integer("S&"), 2);

  // The same for a Select and the Else of a one-line If.
  ASSERT_EQ(Run("New"), kOk);
  ASSERT_EQ(Run("10 *M : Select A& : Case 1 : S& = 1 : Case 0 : S& = 3 : End Select : Return"), kOk);
  ASSERT_EQ(Run("A& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("S&"), 3);
  ASSERT_EQ(Run("10 *M : Select A& : Case 1 : S& = 1 : S& = 8 : End Select : Return"), kOk);
  ASSERT_EQ(Run("S& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("S&"), 0);

  ASSERT_EQ(Run("10 *M : If A& Then R& = 1 Else R& = 2"), kOk);
  ASSERT_EQ(Run("20 Return"), kOk);
  ASSERT_EQ(Run("Gosub *M"), kOk);
  EXPECT_EQ(Integer("R&"), 2);
  ASSERT_EQ(Run("10 *M : If A& Then R& = 1 : R& = 2 : R& = 6"), kOk);
  ASSERT_EQ(Run("R& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("R&"), 0);

  // Line-number jumps alike: line 10 keeps its place while the lines it names move.
  ASSERT_EQ(Run("New"), kOk);
  for (const char* line : {"10 *M : Gosub 40 : Goto 50", "40 S& = 4 : Return", "50 R& = 5 : Return"}) {
    ASSERT_EQ(Run(line), kOk) << line;
  }
  ASSERT_EQ(Run("Gosub *M"), kOk);
  EXPECT_EQ(Integer("S&") * 10 + Integer("R&"), 45);
  ASSERT_EQ(Run("20 S& = 2 : R& = 2 : Return"), kOk);
  ASSERT_EQ(Run("40 S& = 6 : R& = 7 : Return"), kOk);
  ASSERT_EQ(Run("S& = 0 : R& = 0 : Gosub *M"), kOk);
  EXPECT_EQ(Integer("S&") * 10 + Integer("R&"), 65);
}

}  // namespace
}  // namespace msc
