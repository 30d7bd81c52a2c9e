// Storing, deleting and finding lines in the program area.
//
//   data: [rec 10][rec 20]...[rec n][00 00] ......... free .........
//         ^                               ^used         ^capacity
//
// Records stay sorted by line number. An object whose area could not be
// allocated (null data) reads as an empty program; storing a line into it
// tries to allocate one.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "api/qor_macro.h"
#include "engine/memory_budget.h"
#include "engine/active_frames.h"
#include "engine/frame.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "platform/lock.h"

namespace msc {
namespace {

bool HasArea(const ProgramArea& a) noexcept {
  return a.data != nullptr && a.used >= 2 && static_cast<uint32_t>(a.used) <= a.capacity;
}

// Walks the records in order. A record shorter than its fixed overhead can
// only be the terminator (or damage); the walk stops there.
class Records {
 public:
  explicit Records(ProgramArea& a) noexcept
      : p_(HasArea(a) ? a.data : nullptr), end_(HasArea(a) ? a.data + a.used - 2 : nullptr) {}
  uint8_t* Current() const noexcept {
    if (p_ == nullptr || p_ >= end_ || RecordLength(p_) < kRecordOverhead) return nullptr;
    return p_;
  }
  void Next() noexcept { p_ += RecordLength(p_); }
  // Where the walk stands: a record, or the terminator after the last one.
  uint8_t* Position() const noexcept { return p_; }

 private:
  uint8_t* p_;
  uint8_t* end_;
};

// Grows the area so that a record of recordLength bytes fits; allocates a
// fresh area when there is none. False (area unchanged) when memory runs out.
bool Reserve(ProgramArea& a, uint32_t recordLength) noexcept {
  const bool had = HasArea(a);
  const uint32_t used = had ? static_cast<uint32_t>(a.used) : 2;
  uint32_t capacity = had ? a.capacity : 0;
  while (used + recordLength >= capacity) capacity += kProgramGrowth;
  if (had && capacity == a.capacity) return true;
  void* grown = memory::Reallocate(a.data, capacity);
  if (grown == nullptr) return false;
  a.data = static_cast<uint8_t*>(grown);
  a.capacity = capacity;
  if (!had) {
    StoreU16(a.data, 0);
    a.used = 2;
  }
  return true;
}

}  // namespace

ErrNo StoreLine(QorMacro& m, uint32_t lineNumber, const uint8_t* code, int32_t codeLength) noexcept {
  // The record length is 16 bits; the compiler never makes longer code.
  if (codeLength < 0 || static_cast<size_t>(codeLength) > kCompileOutputLimit) return kErrLineBufferOverflow;
  const auto recordLength = static_cast<uint32_t>(codeLength) + static_cast<uint32_t>(kRecordOverhead);
  const EditPermit permit(m);
  if (!permit.Granted()) return kErrIllegalCall;
  ProgramArea& a = m.program;
  const auto oldBase = reinterpret_cast<uintptr_t>(a.data);
  const uint32_t oldUsed = HasArea(a) ? static_cast<uint32_t>(a.used) : 0;
  // A line numbered after the last one (every line of a program being
  // loaded) goes before the terminator without walking the records.
  const bool appends = a.lastLineGeneration == a.generation && HasArea(a) &&
                       lineNumber > RecordLineNumber(a.data + a.lastLineOffset);
  if (!Reserve(a, recordLength)) return kErrOutOfMemory;
  ++a.generation;

  uint8_t* at;
  uint32_t replaced = 0;
  if (appends) {
    at = a.data + a.used - 2;
  } else {
    Records walk(a);
    for (uint8_t* r; (r = walk.Current()) != nullptr && RecordLineNumber(r) < lineNumber;) walk.Next();
    at = walk.Position();
    if (walk.Current() != nullptr && RecordLineNumber(at) == lineNumber) replaced = RecordLength(at);
  }

  uint8_t* areaEnd = a.data + a.used;
  std::memmove(at + recordLength, at + replaced, static_cast<size_t>(areaEnd - (at + replaced)));
  StoreU16(at, static_cast<uint16_t>(recordLength));
  StoreU32(at + 2, lineNumber);
  if (codeLength > 0) std::memcpy(RecordCode(at), code, static_cast<size_t>(codeLength));
  RecordCode(at)[codeLength] = code::EndOfLine;
  a.used += static_cast<int32_t>(recordLength) - static_cast<int32_t>(replaced);
  StoreU16(a.data + a.used - 2, 0);
  const auto start = static_cast<uint32_t>(at - a.data);
  if (at + recordLength == a.data + a.used - 2) {
    a.lastLineOffset = start;
    a.lastLineGeneration = a.generation;
  }
  RelocateFrames(m, ProgramEdit{oldBase, oldUsed, start, start + replaced,
                                int64_t{recordLength} - int64_t{replaced}, false});
  return kOk;
}

ErrNo DeleteLines(QorMacro& m, uint32_t first, uint32_t last) noexcept {
  const EditPermit permit(m);
  if (!permit.Granted()) return kErrIllegalCall;
  ProgramArea& a = m.program;
  Records walk(a);
  for (uint8_t* r; (r = walk.Current()) != nullptr && RecordLineNumber(r) < first;) walk.Next();
  uint8_t* from = walk.Position();
  for (uint8_t* r; (r = walk.Current()) != nullptr && RecordLineNumber(r) <= last;) walk.Next();
  uint8_t* to = walk.Position();
  if (from == to) return kOk;
  ++a.generation;
  const ProgramEdit edit{reinterpret_cast<uintptr_t>(a.data), static_cast<uint32_t>(a.used),
                         static_cast<uint32_t>(from - a.data), static_cast<uint32_t>(to - a.data),
                         -int64_t{to - from}, false};
  std::memmove(from, to, static_cast<size_t>(a.data + a.used - to));
  a.used -= static_cast<int32_t>(to - from);
  RelocateFrames(m, edit);
  return kOk;
}

uint8_t* FindLineRecord(QorMacro& m, uint32_t lineNumber) noexcept {
  for (Records walk(m.program); uint8_t* r = walk.Current(); walk.Next())
    if (RecordLineNumber(r) == lineNumber) return r;
  return nullptr;
}

namespace {

uint8_t* SearchLabel(QorMacro& m, const char* label, size_t len) noexcept {
  for (Records walk(m.program); uint8_t* r = walk.Current(); walk.Next()) {
    const uint8_t* c = RecordCode(r);
    // Only a label right after the space that follows the line number opens
    // a routine; one after "Sub" or glued to the number is not found.
    if (c[0] < 0x01 || c[0] > code::MaxSpaceRun || c[1] != code::LabelDef) continue;
    const uint8_t* text = c + 2;
    size_t i = 0;
    // The record's text ends with a zero, so the loop stops inside the record.
    while (i < len && text[i] != 0 && text[i] == static_cast<uint8_t>(label[i])) ++i;
    if (i == len && text[i] == 0) return r;
  }
  return nullptr;
}

}  // namespace

uint8_t* FindLabelRecord(QorMacro& m, const char* label, size_t len) noexcept {
  if (label == nullptr) return nullptr;
  ProgramArea& a = m.program;
  LabelCache& cache = a.labels;
  // The object lock, as edits hold it: a run that has not looked into the
  // program yet (a label called by the host) finds it whole.
  platform::LockGuard hold(m.lock);
  try {
    if (cache.generation != a.generation) {
      cache.offsets.clear();
      cache.generation = a.generation;
    }
    if (const auto it = cache.offsets.find(std::string_view(label, len)); it != cache.offsets.end())
      return it->second < 0 ? nullptr : a.data + it->second;
    uint8_t* r = SearchLabel(m, label, len);
    cache.offsets.emplace(std::string(label, len), r != nullptr ? static_cast<int32_t>(r - a.data) : -1);
    return r;
  } catch (const std::bad_alloc&) {
    return SearchLabel(m, label, len);  // a lookup without the cache is still exact
  }
}

ErrNo FindLine(ExecFrame& f, uint32_t lineNumber, const char* label, size_t len) noexcept {
  if (f.macro == nullptr) return lineNumber != 0 ? kErrUndefinedLine : kErrUndefinedLabel;
  uint8_t* r = nullptr;
  if (lineNumber != 0) {
    r = FindLineRecord(*f.macro, lineNumber);
    if (r == nullptr) return kErrUndefinedLine;
  } else {
    r = FindLabelRecord(*f.macro, label, len);
    if (r == nullptr) return kErrUndefinedLabel;
  }
  f.line = r;
  f.pos = RecordCode(r);
  return kOk;
}

}  // namespace msc
