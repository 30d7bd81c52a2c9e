#include "engine/memory_budget.h"

#include <malloc.h>

#include <cstdlib>

namespace msc {
namespace {

thread_local MemoryBudget* current = nullptr;

// The usable size is what the heap really hands out, and the same number
// comes back at the free whatever size was asked for.
int64_t SizeOf(void* buffer) noexcept { return static_cast<int64_t>(malloc_usable_size(buffer)); }

// Charges a new buffer; frees it and gives null when it does not fit.
void* Charge(void* buffer) noexcept {
  MemoryBudget* b = current;
  if (buffer == nullptr || b == nullptr) return buffer;
  const int64_t limit = b->limit.load(std::memory_order_relaxed);
  const int64_t size = SizeOf(buffer);
  const int64_t after = b->used.fetch_add(size, std::memory_order_relaxed) + size;
  if (limit > 0 && after > limit) {
    b->used.fetch_sub(size, std::memory_order_relaxed);
    std::free(buffer);
    return nullptr;
  }
  return buffer;
}

void Release(void* buffer) noexcept {
  if (buffer != nullptr && current != nullptr) current->used.fetch_sub(SizeOf(buffer), std::memory_order_relaxed);
}

}  // namespace

MemoryScope::MemoryScope(MemoryBudget* budget) noexcept : previous_(current) { current = budget; }
MemoryScope::~MemoryScope() { current = previous_; }

namespace memory {

void* Allocate(size_t bytes) noexcept { return Charge(std::malloc(bytes)); }

void* AllocateZeroed(size_t count, size_t size) noexcept { return Charge(std::calloc(count, size)); }

size_t Capacity(void* buffer) noexcept { return buffer == nullptr ? 0 : malloc_usable_size(buffer); }

void* Reallocate(void* buffer, size_t bytes) noexcept {
  if (current == nullptr || buffer == nullptr) return Charge(std::realloc(buffer, bytes));
  // A buffer that grows past the limit stays as it was, as realloc leaves it
  // when the heap is out of room.
  const int64_t before = SizeOf(buffer);
  const int64_t limit = current->limit.load(std::memory_order_relaxed);
  if (limit > 0 && static_cast<int64_t>(bytes) > before &&
      current->used.load(std::memory_order_relaxed) + static_cast<int64_t>(bytes) - before > limit)
    return nullptr;
  void* grown = std::realloc(buffer, bytes);
  if (grown == nullptr) return nullptr;
  current->used.fetch_add(SizeOf(grown) - before, std::memory_order_relaxed);
  return grown;
}

void Free(void* buffer) noexcept {
  Release(buffer);
  std::free(buffer);
}

}  // namespace memory
}  // namespace msc
