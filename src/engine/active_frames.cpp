// The running frames of each thread, and their places moved by program edits.
#include "engine/active_frames.h"

#include <iterator>

#include "api/qor_macro.h"
#include "engine/stack_entries.h"
#include "frontend/code.h"

namespace msc {
namespace {

thread_local ActiveFrame* innermost = nullptr;
thread_local EditPermit* innermostPermit = nullptr;

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

uintptr_t ThisThread() noexcept {
  static thread_local char token;
  return reinterpret_cast<uintptr_t>(&token);
}

}  // namespace

void FrameCensus::Add(uintptr_t thread) noexcept {
  std::lock_guard<std::mutex> hold(mutex_);
  Entry* free = nullptr;
  for (Entry& e : entries_) {
    if (e.frames > 0 && e.thread == thread) {
      ++e.frames;
      return;
    }
    if (e.frames == 0 && free == nullptr) free = &e;
  }
  if (free == nullptr) {
    ++overflow_;
    return;
  }
  *free = Entry{thread, 1};
}

void FrameCensus::Remove(uintptr_t thread) noexcept {
  std::lock_guard<std::mutex> hold(mutex_);
  for (Entry& e : entries_) {
    if (e.frames > 0 && e.thread == thread) {
      --e.frames;
      return;
    }
  }
  --overflow_;
}

bool FrameCensus::OthersThan(uintptr_t thread) noexcept {
  std::lock_guard<std::mutex> hold(mutex_);
  if (overflow_ > 0) return true;
  for (const Entry& e : entries_)
    if (e.frames > 0 && e.thread != thread) return true;
  return false;
}

FrameCount::FrameCount(QorMacro* m) noexcept : counted_(m), thread_(ThisThread()) {
  if (m != nullptr) m->program.frames.Add(thread_);
}

FrameCount::~FrameCount() {
  if (counted_ != nullptr) counted_->program.frames.Remove(thread_);
}

void FrameCount::MoveToThisThread() noexcept {
  const uintptr_t now = ThisThread();
  if (counted_ == nullptr || now == thread_) return;
  counted_->program.frames.Add(now);
  counted_->program.frames.Remove(thread_);
  thread_ = now;
}

EditPermit::EditPermit(QorMacro& m) noexcept : macro_(m), outer_(innermostPermit) {
  macro_.lock.lock();
  bool nested = false;
  for (const EditPermit* p = outer_; p != nullptr && !nested; p = p->outer_)
    nested = &p->macro_ == &m && p->granted_;
  granted_ = nested || !m.program.frames.OthersThan(ThisThread());
  innermostPermit = this;
}

EditPermit::~EditPermit() {
  innermostPermit = outer_;
  macro_.lock.unlock();
}

ActiveFrame::ActiveFrame(ExecFrame& f) noexcept : frame_(f), outer_(innermost) {
  innermost = this;
  f.counted.MoveToThisThread();
}

ActiveFrame::~ActiveFrame() { innermost = outer_; }

ActiveFrame* ActiveFrame::Innermost() noexcept { return innermost; }


void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept {
  const auto newBase = reinterpret_cast<intptr_t>(m.program.data);
  for (ActiveFrame* a = innermost; a != nullptr; a = a->outer_)
    if (a->frame_.macro == &m) MoveFrame(a->frame_, edit, newBase);
}

uint8_t* EndOfRunRecord() noexcept { return endOfRun; }

}  // namespace msc
