#include "frontend/token_reader.h"

#include "frontend/keywords.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace msc {
namespace {

// Hand-assembled intermediate code, ended by the end-of-line byte.
struct Code {
  std::vector<uint8_t> bytes;
  Code& B(std::initializer_list<int> list) {
    for (int b : list) bytes.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  Code& Text(uint8_t first, const std::string& s) {
    bytes.push_back(first);
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
    return *this;
  }
  Code& Dbl(double d) {
    bytes.push_back(0x1D);
    bytes.resize(bytes.size() + 8);
    StoreF64(&bytes[bytes.size() - 8], d);
    return *this;
  }
  Code& Var(uint8_t tag, const void* cell) {
    bytes.push_back(tag);
    bytes.resize(bytes.size() + 8);
    StorePtr(&bytes[bytes.size() - 8], static_cast<const uint8_t*>(cell));
    return *this;
  }
  const uint8_t* End() {
    bytes.push_back(0);
    return bytes.data();
  }
};

struct Reader {
  ExecFrame f{nullptr};
  Token t;
  explicit Reader(const uint8_t* code) { f.pos = code; }
  int Next() { return ReadToken(f, t); }
};

TEST(TokenReader, NumberForms) {
  Code c;
  // 7, 200, 300, -32768, 40000, line 65000, with space runs between.
  const uint8_t* p = c.B({0x17, 0x03, 0x0F, 0xC8, 0x1C, 0x2C, 0x01, 0x09, 0x1C, 0x00, 0x80})
                         .Dbl(40000.0).B({0x0E, 0xE8, 0xFD}).End();
  Reader r(p);
  ASSERT_EQ(r.Next(), kind::Integer);
  EXPECT_EQ(r.t.integer, 7);
  ASSERT_EQ(r.Next(), kind::Integer);
  EXPECT_EQ(r.t.integer, 200);
  EXPECT_EQ(r.f.tokenStart, p + 2);  // the space run before it is skipped
  ASSERT_EQ(r.Next(), kind::Integer);
  EXPECT_EQ(r.t.integer, 300);
  ASSERT_EQ(r.Next(), kind::Integer);
  EXPECT_EQ(r.t.integer, -32768);
  ASSERT_EQ(r.Next(), kind::Double);
  EXPECT_EQ(r.t.dbl, 40000.0);
  ASSERT_EQ(r.Next(), kind::LineRef);
  EXPECT_EQ(r.t.integer, 65000);  // unsigned
  EXPECT_EQ(r.Next(), kind::End);
}

TEST(TokenReader, KeywordsAndVariables) {
  uint8_t cells[9] = {};
  Code c;
  c.B({0xC0, 0x13, 0x80, 0x00, 0xD0, 0x2A});  // Left$, Append (low byte 0), TAB$
  for (int i = 0; i < 9; ++i) c.Var(static_cast<uint8_t>(0xE0 + i), &cells[i]);
  c.B({0x80, 0x37}).B({' ', 'h', 'i', ' ', '"'});  // Rem and its raw text
  Reader r(c.End());
  for (uint16_t code : {0xC013, 0x8000, 0xD02A}) {
    ASSERT_EQ(r.Next(), kind::Keyword);
    EXPECT_EQ(r.t.code, code);
  }
  for (int i = 0; i < 9; ++i) {
    ASSERT_EQ(r.Next(), kind::IntVar + i);
    EXPECT_EQ(r.t.cell, &cells[i]);
  }
  const uint8_t* rem = r.f.pos;
  ASSERT_EQ(r.Next(), kind::Keyword);
  EXPECT_EQ(r.t.code, 0x8037);
  EXPECT_EQ(r.f.pos, rem + 2);  // the raw text is the statement's to skip
  EXPECT_EQ(TokenLength(rem), 7u);
}

// Also: reading past the end keeps giving the end, on the end byte.
TEST(TokenReader, UnlistedBytesAndTheEnd) {
  const int bytes[] = {0x0A, 0x0B, 0x0C, 0x0D, 0x1A, 0x1B, 0x1E, 0x1F, 0xDC, 0xDD, 0xDE, 0xDF,
                       0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xFD, 0xFE, 0xFF, 0xF0, 0xF1, 0xFC, '(', '='};
  Code c;
  for (int b : bytes) c.B({b});
  const uint8_t* end = c.B({0x02}).End() + std::size(bytes) + 1;
  Reader r(c.bytes.data());
  for (int b : bytes) {
    ASSERT_EQ(r.Next(), kind::Punct) << b;
    EXPECT_EQ(r.t.byte, b);
    EXPECT_EQ(r.f.pos, r.f.tokenStart + 1);
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r.Next(), kind::End);
    EXPECT_EQ(r.f.pos, end);
    EXPECT_EQ(r.f.tokenStart, end);
  }
}

// Walking by TokenLength meets every token start the reader meets.
TEST(TokenReader, TokenLengthWalksTheLine) {
  uint8_t cell = 0;
  Code c;
  c.B({0x01, 0x80, 0x36, 0x02, 0x0F, 0x20, ',', 0x1C, 0x10, 0x27}).Dbl(0.5).Text(0x22, "x")
      .Var(0xE2, &cell).B({0x0E, 1, 0}).Text(0xEF, "*L").B({0xF5, 0xFF, 0x80, 0x38, 'a', 'b'});
  const uint8_t* p = c.End();
  std::vector<const uint8_t*> walked, read;
  for (const uint8_t* q = p; *q != 0; q += TokenLength(q)) {
    if (*q > 0x09) walked.push_back(q);
  }
  Reader r(p);
  for (int k; (k = r.Next()) != kind::End;) {
    read.push_back(r.f.tokenStart);
    if (k == kind::Keyword && r.t.code == tok::Apostrophe) break;  // the rest is comment text
  }
  EXPECT_EQ(walked, read);
  EXPECT_EQ(TokenLength(p + c.bytes.size() - 1), 0u);
}

}  // namespace
}  // namespace msc
