// Control stack operations of the execution frame (entry layout in frame.h).
#include "engine/frame.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "engine/memory_budget.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"
#include "frontend/keywords.h"

namespace msc {
namespace {

constexpr size_t kEntryHeader = 4;  // u16 tag, u16 payload length

// A text Select owns its copy of the text (engine/stack_entries.h).
using entry::kSelectText;
constexpr size_t kSelectValueOffset = entry::kSelectValue;

uint16_t EntryTag(const uint8_t* e) noexcept { return LoadU16(e); }
uint16_t EntryPayloadLength(const uint8_t* e) noexcept { return LoadU16(e + 2); }

void ReleaseEntry(uint8_t* e) noexcept {
  if (EntryTag(e) != tok::Select) return;
  if (EntryPayloadLength(e) < kSelectValueOffset + sizeof(void*)) return;
  uint8_t* payload = e + kEntryHeader;
  if (LoadU32(payload) != kSelectText) return;
  memory::Free(LoadPtr(payload + kSelectValueOffset));
  StorePtr(payload + kSelectValueOffset, nullptr);
}

}  // namespace


static_assert(kEntryHeader == 4, "TopEntry in frame.h skips a 4-byte entry header");

uint8_t* ExecFrame::FindEntry(uint16_t tag) noexcept {
  uint8_t* const end = StackEnd();
  for (uint8_t* e = top; end - e >= static_cast<ptrdiff_t>(kEntryHeader);
       e += kEntryHeader + EntryPayloadLength(e)) {
    if (EntryTag(e) == tag) {
      PopTo(e);
      return top == e ? e + kEntryHeader : nullptr;
    }
  }
  return nullptr;
}

int ExecFrame::Pop() noexcept {
  uint8_t* const end = StackEnd();
  if (top >= end) return -1;
  ReleaseEntry(top);
  const size_t size = kEntryHeader + EntryPayloadLength(top);
  // A damaged length must not carry the top past the end of the area.
  top = static_cast<size_t>(end - top) < size ? end : top + size;
  return 0;
}

void ExecFrame::PopTo(uint8_t* base) noexcept {
  uint8_t* const end = StackEnd();
  if (base == nullptr || base > end) base = end;
  while (top < base) {
    if (Pop() != 0) break;
  }
}

void ExecFrame::CopyFrom(const ExecFrame& other) noexcept {
  if (&other == this) return;
  Unwind();
  pos = other.pos;
  tokenStart = other.tokenStart;
  line = other.line;
  blockContext = other.blockContext;
  stepFlag = other.stepFlag;
  stepMode = other.stepMode;
  macro = other.macro;
  epoch = other.epoch;
}

}  // namespace msc
