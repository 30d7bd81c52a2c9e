#include "frontend/listing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "frontend/code.h"

namespace msc {
namespace {

// A variable cell as the variable area lays it out: tag, payload, name length, name.
std::vector<uint8_t> Cell(uint8_t tag, const std::string& name) {
  const size_t payload = tag == tag::Int ? 4 : tag == tag::Ref ? 0 : 8;
  std::vector<uint8_t> c(1 + payload, 0);
  c[0] = tag;
  c.push_back(static_cast<uint8_t>(name.size()));
  c.insert(c.end(), name.begin(), name.end());
  return c;
}

// A line record built from hand-assembled code.
class Record {
 public:
  explicit Record(uint32_t number) : bytes_(kLineHeader) { StoreU32(&bytes_[2], number); }
  Record& B(std::initializer_list<int> list) {
    for (int b : list) bytes_.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  Record& Raw(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  Record& Var(const std::vector<uint8_t>& cell) {
    bytes_.push_back(cell[0]);
    bytes_.resize(bytes_.size() + 8);
    StorePtr(&bytes_[bytes_.size() - 8], cell.data());
    return *this;
  }
  const uint8_t* Done() {
    bytes_.push_back(0);
    StoreU16(bytes_.data(), static_cast<uint16_t>(bytes_.size()));
    return bytes_.data();
  }

 private:
  std::vector<uint8_t> bytes_;
};

std::string List(const uint8_t* rec, uint32_t* number = nullptr) {
  std::vector<char> out(kLineBufferSize);
  const size_t n = ListLine(rec, out.data(), out.size(), number);
  EXPECT_EQ(n, std::strlen(out.data()));
  return std::string(out.data(), n);
}

// Number forms, names and keywords are checked by the list program test
// and the listing round trip.
TEST(Listing, CommentsKeepTheirRawText) {
  Record rem(30);
  rem.B({0x01, 0x80, 0x37}).Raw(" \"quoted\"  : Print 1");
  EXPECT_EQ(List(rem.Done()), " Rem \"quoted\"  : Print 1");
  Record apostrophe(0);
  apostrophe.B({0x80, 0x38}).Raw("x");
  uint32_t number = 99;
  EXPECT_EQ(List(apostrophe.Done(), &number), "'x");  // line 0 writes no number
  EXPECT_EQ(number, 0u);
}

// Every capacity gives the leading part of the full text, zero-terminated, and
// nothing beyond the buffer (each buffer is a heap block of exactly that size).
TEST(Listing, CutsAtCapacity) {
  const auto v = Cell(tag::Dbl, "VALUE#");
  Record rec(1234);
  rec.B({0x03, 0x80, 0x36, 0x01}).Var(v).B({';', 0x22, '"', 0, 0x01, 0x80, 0x38}).Raw("tail");
  const uint8_t* p = rec.Done();
  uint32_t number = 0;
  const std::string full = List(p, &number);
  ASSERT_EQ(full, "1234   Print VALUE#;\"\"\"\" 'tail");
  for (size_t cap = 0; cap <= full.size() + 2; ++cap) {
    std::unique_ptr<char[]> out(new char[cap]);
    const size_t n = ListLine(p, out.get(), cap, &number);
    const std::string want = full.substr(0, cap == 0 ? 0 : cap - 1);
    EXPECT_EQ(n, want.size()) << cap;
    if (cap > 0) {
      EXPECT_EQ(std::string(out.get()), want) << cap;
    }
  }
}

}  // namespace
}  // namespace msc
