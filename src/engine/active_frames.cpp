// The running frames of each thread, and their places moved by program edits.
#include "engine/active_frames.h"

#include <iterator>

#include "api/qor_macro.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"

namespace msc {
namespace {

thread_local ActiveFrame* innermost = nullptr;

// The empty record sent-off places point to; a second empty record (the
// program's end) follows its end-of-line byte.
alignas(8) uint8_t endOfRun[kLineHeader + 2] = {};

enum class Fate { kOutside, kMoved, kGone };

// Where a pointer into the old area went; *shift says by how much it moved.
Fate FateOf(const ProgramEdit& e, const void* p, intptr_t newBase, intptr_t* shift) noexcept {
  const auto at = reinterpret_cast<uintptr_t>(p);
  if (p == nullptr || at < e.oldBase || at - e.oldBase >= e.oldUsed) return Fate::kOutside;
  if (e.cleared) return Fate::kGone;
  const uintptr_t offset = at - e.oldBase;
  if (offset >= e.start && offset < e.end) return Fate::kGone;
  *shift = newBase - static_cast<intptr_t>(e.oldBase) + (offset >= e.end ? e.delta : 0);
  return Fate::kMoved;
}

template <class T>
T* Shifted(T* p, intptr_t shift) noexcept {
  return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(p) + static_cast<uintptr_t>(shift));
}

// A place kept in a control-stack entry: its line, and the code position
// that lies in that line.
void MovePlace(const ProgramEdit& e, intptr_t newBase, uint8_t* linePtr, uint8_t* posPtr) noexcept {
  uint8_t* const line = LoadPtr(linePtr);
  intptr_t shift = 0;
  switch (FateOf(e, line, newBase, &shift)) {
    case Fate::kOutside:
      return;
    case Fate::kMoved:
      StorePtr(linePtr, Shifted(line, shift));
      StorePtr(posPtr, Shifted(LoadPtr(posPtr), shift));
      return;
    case Fate::kGone:
      StorePtr(linePtr, endOfRun);
      StorePtr(posPtr, endOfRun + kLineHeader);
      return;
  }
}

const entry::EntryPlaces* PlacesOf(uint16_t tag) noexcept {
  for (const entry::EntryPlaces& p : entry::kEntryPlaces)
    if (p.tag == tag) return &p;
  return nullptr;
}

void MoveFrame(ExecFrame& f, const ProgramEdit& e, intptr_t newBase) noexcept {
  intptr_t shift = 0;
  switch (FateOf(e, f.line, newBase, &shift)) {
    case Fate::kOutside:
      break;
    case Fate::kMoved:
      f.line = Shifted(f.line, shift);
      f.pos = Shifted(f.pos, shift);
      if (f.tokenStart != nullptr) f.tokenStart = Shifted(f.tokenStart, shift);
      break;
    case Fate::kGone:
      f.line = endOfRun;
      f.pos = endOfRun + kLineHeader;
      f.tokenStart = f.pos;
      break;
  }
  // Entries: tag, payload length, payload, packed from the top to the end.
  uint8_t* const end = f.StackEnd();
  for (uint8_t* p = f.top; end - p >= 4;) {
    const uint16_t length = LoadU16(p + 2);
    if (end - (p + 4) < length) break;  // damage: nothing past it is read
    if (const entry::EntryPlaces* places = PlacesOf(LoadU16(p)); places != nullptr && length >= places->minimumSize) {
      for (uint8_t k = 0; k < places->count; ++k)
        MovePlace(e, newBase, p + 4 + places->places[k].line, p + 4 + places->places[k].pos);
    }
    p += 4 + length;
  }
}

}  // namespace

ActiveFrame::ActiveFrame(ExecFrame& f) noexcept : frame_(f), outer_(innermost) { innermost = this; }

ActiveFrame::~ActiveFrame() { innermost = outer_; }

void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept {
  const auto newBase = reinterpret_cast<intptr_t>(m.program.data);
  for (ActiveFrame* a = innermost; a != nullptr; a = a->outer_)
    if (a->frame_.macro == &m) MoveFrame(a->frame_, edit, newBase);
}

uint8_t* EndOfRunRecord() noexcept { return endOfRun; }

}  // namespace msc
