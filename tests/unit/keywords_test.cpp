#include "frontend/keywords.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <utility>
#include <string>

namespace msc {
namespace {

std::string Cased(const char* name, int (*fold)(int)) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(fold(static_cast<unsigned char>(c)));
  return s;
}

TEST(Keywords, TableChecksQuietly) {
  testing::internal::CaptureStdout();
  EXPECT_TRUE(CheckKeywordTable());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// Every entry is reachable by the binary search in any case and names its own
// code back; the classes hold exactly the codes they should.
TEST(Keywords, EveryEntryRoundTrips) {
  std::set<uint16_t> codes;
  int statements = 0, functions = 0, constants = 0, operators = 0;
  for (const Keyword& k : kKeywords) {
    EXPECT_EQ(LookupKeyword(k.name), k.code) << k.name;
    EXPECT_EQ(LookupKeyword(Cased(k.name, std::tolower).c_str()), k.code) << k.name;
    EXPECT_EQ(LookupKeyword(Cased(k.name, std::toupper).c_str()), k.code) << k.name;
    EXPECT_STREQ(KeywordName(k.code), k.name);
    EXPECT_TRUE(codes.insert(k.code).second) << "duplicate code of " << k.name;
    if (k.code >= kStatementFirst && k.code <= kStatementLast) ++statements;
    else if (k.code >= kFunctionFirst && k.code <= kFunctionLast) ++functions;
    else if (k.code >= kConstantFirst && k.code <= kConstantLast) ++constants;
    else if (k.code >= op::Mod && k.code <= op::Xor) ++operators;
    else ADD_FAILURE() << "code out of every class: " << k.name;
  }
  EXPECT_EQ(statements, 165);
  EXPECT_EQ(functions, 71);
  EXPECT_EQ(constants, 43);
  EXPECT_EQ(operators, 5);
}

// The lexer tests look up names through the lexer; these are the edges.
TEST(Keywords, LookupEdgesAndNamesOutsideTheTable) {
  EXPECT_EQ(LookupKeyword("Left"), -1);  // the suffix is part of the word
  for (const char* none : {"End Select", "", "Ab", "Zzz"}) EXPECT_EQ(LookupKeyword(none), -1);
  // With a length the name need not be terminated.
  EXPECT_EQ(LookupKeyword("Left$(A$,2)", 5), 0xC013);
  EXPECT_EQ(LookupKeyword("Left$", 4), -1);
  EXPECT_EQ(LookupKeyword("ORX", 2), op::Or);
  // Phrases and the codes past each class.
  const std::pair<uint16_t, const char*> names[] = {
      {0x8012, "End Select"}, {0x801C, "For Append"}, {0x8030, ","}, {0x8038, "'"},
      {0x80AF, ""}, {0xC047, ""}, {0xD02B, ""}};
  for (const auto& [code, name] : names) EXPECT_STREQ(KeywordName(code), name) << code;
  const std::pair<uint8_t, const char*> ops[] = {{0xF0, "MOD"}, {0xF6, "=<"}, {0xEF, ""}, {0xFD, ""}};
  for (const auto& [byte, text] : ops) EXPECT_STREQ(OperatorSpelling(byte), text) << byte;
}

// The evaluator tests read CR, INT_MIN, M_PI and CR_LF$ through programs.
TEST(Keywords, NamedConstantsStayInsideTheirTables) {
  EXPECT_EQ(ConstantInteger(0xD007), -1);
  EXPECT_EQ(ConstantInteger(0xD023), INT32_MAX);
  EXPECT_EQ(ConstantDouble(0xD024), 2.2250738585072014e-308);
  EXPECT_EQ(ConstantString(0xD02A), "\t");
  // Codes of another class give neutral values, never a read outside a table.
  EXPECT_EQ(ConstantInteger(0xD024), 0);
  EXPECT_EQ(ConstantDouble(0xD023), 0.0);
  EXPECT_EQ(ConstantString(0xD02B), "");
}

}  // namespace
}  // namespace msc
