// Under AddressSanitizer these tests also catch a Select text that is leaked,
// freed twice, or a number mistaken for a text pointer.
#include "engine/frame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "frontend/code.h"
#include "frontend/keywords.h"

namespace msc {
namespace {

uint8_t* PushSelectText(ExecFrame& f, const char* text) {
  uint8_t* p = f.Push(tok::Select, 24);
  if (p == nullptr) return nullptr;
  StoreU32(p, 2);
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(copy, text);
  StorePtr(p + 8, reinterpret_cast<uint8_t*>(copy));
  return p;
}

uint8_t* PushSelectNumber(ExecFrame& f, double d) {
  uint8_t* p = f.Push(tok::Select, 24);
  if (p == nullptr) return nullptr;
  StoreU32(p, 1);
  StoreF64(p + 8, d);
  return p;
}

TEST(ControlStack, EntryLayoutAndCapacity) {
  ExecFrame f(nullptr);
  EXPECT_EQ(f.TopEntry(tok::If), nullptr);
  EXPECT_EQ(f.Pop(), -1);
  uint8_t* p = f.Push(tok::If, 8);
  ASSERT_EQ(p, f.StackEnd() - 8);
  EXPECT_EQ(LoadU16(p - 4), tok::If);
  EXPECT_EQ(LoadU16(p - 2), 8);
  EXPECT_EQ(LoadU32(p) | LoadU32(p + 4), 0u);  // payload starts zeroed
  EXPECT_EQ(f.TopEntry(tok::If), p);
  EXPECT_EQ(f.TopEntry(tok::For), nullptr);
  EXPECT_EQ(f.Pop(), 0);
  EXPECT_TRUE(f.StackEmpty());

  // 28 Gosub entries and 16 bytes fill the 1024; 19 For entries do.
  for (int i = 0; i < 28; ++i) ASSERT_NE(f.Push(tok::Gosub, 32), nullptr) << i;
  uint8_t* top = f.top;
  EXPECT_EQ(f.Push(tok::Gosub, 32), nullptr);
  EXPECT_EQ(f.top, top) << "a refused push moves nothing";
  EXPECT_NE(f.Push(tok::Do, 16 - 4), nullptr);
  EXPECT_EQ(f.top, f.stack);
  EXPECT_EQ(f.Push(tok::If, 0), nullptr);
  ExecFrame g(nullptr);
  for (int i = 0; i < 19; ++i) ASSERT_NE(g.Push(tok::For, 48), nullptr) << i;
  EXPECT_EQ(g.Push(tok::For, 48), nullptr);
}

TEST(ControlStack, FindEntryPopsWhatIsAboveAndFreesSelectTexts) {
  ExecFrame f(nullptr);
  uint8_t* gosub = f.Push(tok::Gosub, 32);
  PushSelectNumber(f, 12345.678);  // a number selector owns nothing
  PushSelectText(f, "inner");
  ASSERT_NE(f.Push(tok::If, 8), nullptr);
  uint8_t* top = f.top;
  EXPECT_EQ(f.FindEntry(tok::Try), nullptr);  // absent: nothing popped
  EXPECT_EQ(f.top, top);
  EXPECT_EQ(f.FindEntry(tok::Gosub), gosub);  // the Select text is freed on the way
  EXPECT_EQ(f.TopEntry(tok::Gosub), gosub);
  EXPECT_EQ(f.FindEntry(tok::Gosub), gosub);  // already on top: stays

  PushSelectText(f, "a");
  EXPECT_EQ(f.Pop(), 0);
  uint8_t* base = f.top;
  PushSelectText(f, "b");
  PushSelectText(f, "c");
  f.PopTo(base);
  EXPECT_EQ(f.top, base);
  PushSelectText(f, "left for the destructor");
}

TEST(ControlStack, CopyFromTakesStateWithAnEmptyStack) {
  ExecFrame from(nullptr), to(nullptr);
  const uint8_t code[] = {0x10, 0x00};
  from.pos = code + 1;
  from.tokenStart = code;
  from.stepFlag = 1;
  from.stepMode = 3;
  ASSERT_NE(from.Push(tok::Do, 16), nullptr);
  PushSelectText(to, "dropped by the copy");
  to.CopyFrom(from);
  EXPECT_TRUE(to.StackEmpty());
  EXPECT_EQ(to.pos, code + 1);
  EXPECT_EQ(to.tokenStart, code);
  EXPECT_EQ(to.stepFlag, 1u);
  EXPECT_EQ(to.stepMode, 3u);
  EXPECT_FALSE(from.StackEmpty());
  uint8_t* top = from.top;
  from.CopyFrom(from);
  EXPECT_EQ(from.top, top);
}

}  // namespace
}  // namespace msc
