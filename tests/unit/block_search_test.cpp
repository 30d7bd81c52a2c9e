// The forward block searches on compiled programs: which keyword they stop
// at, what they skip, and that a failed search leaves the frame untouched.
#include "statements/block_search.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/run.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "test_support.h"

namespace msc {
namespace {

class BlockSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(macro_, nullptr); }

  void Program(const std::vector<std::string>& lines) { test::NumberedLines(*macro_, lines); }

  // Puts the frame on a line, just after its first keyword.
  void StartAfterFirstKeyword(ExecFrame& f, uint32_t number) {
    uint8_t* record = FindLineRecord(*macro_, number);
    ASSERT_NE(record, nullptr);
    JumpTo(f, record);
    Token t;
    ASSERT_EQ(ReadToken(f, t), kind::Keyword);
  }

  // Line number and keyword where a successful search stopped.
  static uint32_t FoundLine(const ExecFrame& f) { return RecordLineNumber(f.line); }
  static uint16_t FoundKeyword(const ExecFrame& f) {
    return static_cast<uint16_t>(f.tokenStart[0] << 8 | f.tokenStart[1]);
  }

  test::MacroPtr macro_ = test::NewMacro();
};

TEST_F(BlockSearchTest, NestedBlocksAreSkippedWhole) {
  Program({"Do",
           "For I& = 1 To 2",
           "Loop While 0",  // inside the For: not ours
           "Next I&",
           "If X& Then",
           "Loop While 0",  // inside a block If
           "EndIf",
           "Select X&",
           "Case 1 : Loop While 0",
           "End Select",
           "Do : Loop While 0",  // a nested loop on one line
           "Loop While 0"});
  ExecFrame f(macro_.get());
  StartAfterFirstKeyword(f, 10);
  ASSERT_TRUE(BlockSearch(f, tok::Loop));
  EXPECT_EQ(FoundLine(f), 120u);
  EXPECT_EQ(FoundKeyword(f), tok::Loop);
  EXPECT_EQ(f.pos, f.tokenStart + 2);
}

TEST_F(BlockSearchTest, OnlyThenAtTheEndOfItsLineOpensABlockIf) {
  Program({"If A& Then",
           "If B& Then C& = 1",
           "If B& Then ' a comment makes it one-line here",
           "If B& : EndIf",  // ":" before Then: one-line, rest of line skipped
           "If B& Then : C& = 1",
           "Else",  // belongs to the nested block If
           "EndIf",
           "Else"});
  ExecFrame f(macro_.get());
  StartAfterFirstKeyword(f, 10);
  ASSERT_TRUE(BlockSearch(f, tok::Elseif, tok::Else, tok::EndIf));
  EXPECT_EQ(FoundLine(f), 80u);
  EXPECT_EQ(FoundKeyword(f), tok::Else);
}

TEST_F(BlockSearchTest, ExitWordsAndCommentsOpenNothing) {
  // The comment holds the bytes of a Next token and of a variable token.
  Program({"For I& = 1 To 2",
           "Exit For",
           "Do : Exit Do : Loop While 0",
           "Rem \x80\x2F \xE0 \x80",
           "' Do",
           "Next I&, J&"});
  ExecFrame f(macro_.get());
  StartAfterFirstKeyword(f, 10);
  ASSERT_TRUE(BlockSearch(f, tok::Next, tok::NextComma));
  EXPECT_EQ(FoundLine(f), 60u);
  EXPECT_EQ(FoundKeyword(f), tok::Next);

  // From inside the loop of J, the "," after "Next I&" closes it.
  Program({"For J& = 1 To 2", "For I& = 1 To 2", "Next I&, J&"});
  StartAfterFirstKeyword(f, 10);
  ASSERT_TRUE(BlockSearch(f, tok::Next, tok::NextComma));
  EXPECT_EQ(FoundLine(f), 30u);
  EXPECT_EQ(FoundKeyword(f), tok::NextComma);
}

TEST_F(BlockSearchTest, FailureLeavesTheFrameWhereItWas) {
  Program({"If A& Then", "Do", "EndIf", "Select A&", "EndIf"});
  ExecFrame f(macro_.get());
  StartAfterFirstKeyword(f, 10);
  uint8_t* const line = f.line;
  const uint8_t* const pos = f.pos;
  const uint8_t* const tokenStart = f.tokenStart;
  // The Do never closes, so both EndIf lines are inside it.
  EXPECT_FALSE(BlockSearch(f, tok::EndIf));
  EXPECT_EQ(f.line, line);
  EXPECT_EQ(f.pos, pos);
  EXPECT_EQ(f.tokenStart, tokenStart);

  // The empty record a host call returns to has nothing to search.
  alignas(8) uint8_t emptyRecord[kLineHeader + 2] = {};
  JumpTo(f, emptyRecord);
  EXPECT_FALSE(BlockSearch(f, tok::EndIf));
  EXPECT_EQ(f.line, emptyRecord);
}

TEST_F(BlockSearchTest, CatchSearchSkipsNestedTryBlocksOnly) {
  Program({"Try",
           "Try : A& = 1 : Catch : End Try",
           "For I& = 1 To 2 : Next",
           "' Catch",
           "Catch",
           "End Try",
           "Try",
           "Do",  // loops do not nest for this search
           "End Try"});
  ExecFrame f(macro_.get());
  StartAfterFirstKeyword(f, 10);
  ASSERT_TRUE(CatchSearch(f));
  EXPECT_EQ(FoundLine(f), 50u);
  EXPECT_EQ(FoundKeyword(f), tok::Catch);

  StartAfterFirstKeyword(f, 70);
  ASSERT_TRUE(CatchSearch(f));
  EXPECT_EQ(FoundLine(f), 90u);
  EXPECT_EQ(FoundKeyword(f), tok::EndTry);

  StartAfterFirstKeyword(f, 90);
  const uint8_t* const pos = f.pos;
  EXPECT_FALSE(CatchSearch(f));
  EXPECT_EQ(f.pos, pos);
}

}  // namespace
}  // namespace msc
