#include "engine/saved_variables.h"

#include <cstdlib>

#include "engine/memory_budget.h"
#include "api/qor_macro.h"
#include "frontend/code.h"

namespace msc {
namespace {

// Size of the entry for a cell; 0 for a cell that cannot be saved.
size_t EntrySize(const uint8_t* cell) noexcept {
  if (cell[0] == tag::Int) return kSavedIntegerEntrySize;
  if (cell[0] == tag::Dbl) return kSavedDoubleEntrySize;
  return 0;
}

// Writes one block's values back; false when it holds a cell it cannot restore.
bool RestoreBlock(uint8_t* block) noexcept {
  for (uint8_t* e = block;;) {
    uint8_t* cell = LoadPtr(e);
    if (cell == nullptr) return true;
    const size_t size = EntrySize(cell);
    if (size == kSavedIntegerEntrySize) {
      StoreU32(cell + 1, LoadU32(e + kSavedPointerSize));
    } else if (size == kSavedDoubleEntrySize) {
      StoreF64(cell + 1, LoadF64(e + kSavedPointerSize));
    } else {
      return false;
    }
    e += size;
  }
}

void ClampDepth(QorMacro& m) noexcept {
  if (m.savedDepth > kSavedVariableSlots) m.savedDepth = kSavedVariableSlots;
  if (m.savedDepth < 0) m.savedDepth = 0;
}

}  // namespace

ErrNo PushSavedVariables(QorMacro& m, uint8_t* const* cells, size_t count) noexcept {
  platform::LockGuard hold(m.lock);
  ClampDepth(m);
  if (m.savedDepth >= kSavedVariableSlots) return kErrInternal;
  size_t total = kSavedEndSize;
  for (size_t i = 0; i < count; ++i) {
    const size_t size = cells[i] != nullptr ? EntrySize(cells[i]) : 0;
    if (size == 0) return kErrInternal;
    total += size;
  }
  auto* block = static_cast<uint8_t*>(memory::Allocate(total));
  if (block == nullptr) return kErrInternal;
  uint8_t* e = block;
  for (size_t i = 0; i < count; ++i) {
    uint8_t* cell = cells[i];
    StorePtr(e, cell);
    if (cell[0] == tag::Int) {
      StoreU32(e + kSavedPointerSize, LoadU32(cell + 1));
    } else {
      StoreF64(e + kSavedPointerSize, LoadF64(cell + 1));
    }
    e += EntrySize(cell);
  }
  StorePtr(e, nullptr);
  m.savedVariables[m.savedDepth++] = block;
  return kOk;
}

ErrNo PopSavedVariables(QorMacro& m) noexcept {
  platform::LockGuard hold(m.lock);
  ClampDepth(m);
  if (m.savedDepth == 0) return kErrInternal;
  uint8_t*& slot = m.savedVariables[--m.savedDepth];
  const bool restored = slot == nullptr || RestoreBlock(slot);
  memory::Free(slot);
  slot = nullptr;
  return restored ? kOk : kErrInternal;
}

ErrNo RestoreSavedVariables(QorMacro& m, int32_t depth) noexcept {
  if (depth < 0) depth = 0;
  platform::LockGuard hold(m.lock);
  ClampDepth(m);
  ErrNo result = kOk;
  while (m.savedDepth > depth) {
    uint8_t*& slot = m.savedVariables[--m.savedDepth];
    if (result == kOk && slot != nullptr && !RestoreBlock(slot)) {
      result = kErrInternal;
      depth = 0;
    }
    memory::Free(slot);
    slot = nullptr;
  }
  return result;
}

}  // namespace msc
