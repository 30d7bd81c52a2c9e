// The bytes a macro object's program may hold: its variables, arrays, texts
// and program area, counted while a thread works for the object.
//
// A thread that works for an object (a run, a task, an export that changes
// variables or the program) holds a MemoryScope for it; the engine's heap
// buffers then come from Allocate and friends, which charge the object's
// budget with the buffer's usable size and give that back when the buffer
// is freed. Past the limit an allocation fails as if memory had run out, so
// the program gets error 7 and the host process keeps its memory. Without a
// scope or without a limit nothing is counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace msc {

struct MemoryBudget {
  std::atomic<int64_t> limit{0};  // bytes; 0: no limit
  std::atomic<int64_t> used{0};   // may go below 0 for buffers made before a limit
};

// Makes budget the thread's budget for its lifetime (null: none); scopes nest.
class MemoryScope {
 public:
  explicit MemoryScope(MemoryBudget* budget) noexcept;
  ~MemoryScope();
  MemoryScope(const MemoryScope&) = delete;
  MemoryScope& operator=(const MemoryScope&) = delete;

 private:
  MemoryBudget* previous_;
};

namespace memory {

// std::malloc, std::calloc, std::realloc and std::free, charged to the
// thread's budget. Null when the budget or the heap has no room.
[[nodiscard]] void* Allocate(size_t bytes) noexcept;
[[nodiscard]] void* AllocateZeroed(size_t count, size_t size) noexcept;
[[nodiscard]] void* Reallocate(void* buffer, size_t bytes) noexcept;
void Free(void* buffer) noexcept;
// The bytes a buffer of the functions above can hold, which may be more than
// were asked for (what the budget charged for it); 0 for null.
[[nodiscard]] size_t Capacity(void* buffer) noexcept;

}  // namespace memory
}  // namespace msc
