// The allocation hook of alloc_faults.h: operator new and delete replaced
// for the whole test binary, and the --wrap targets of malloc, calloc and
// realloc. Memory always comes from the real malloc (the sanitizer's, in a
// sanitized build) and goes back with free, so every block has one owner.
#include "alloc_faults.h"

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* block, std::size_t size);
}

namespace msc::test {
namespace {

// Trivially initialised, so reading them inside malloc allocates nothing.
thread_local long countdown = 0;  // 0: not armed, or the failure is done
thread_local int paused = 0;

bool FailThisOne() noexcept {
  if (countdown == 0 || paused != 0) return false;
  return --countdown == 0;
}

void* Allocate(std::size_t size) noexcept {
  return FailThisOne() ? nullptr : __real_malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) noexcept {
  if (FailThisOne()) return nullptr;
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a multiple of the alignment.
  return std::aligned_alloc(align, (size + align - 1) / align * align + (size == 0 ? align : 0));
}

void* OrThrow(void* block) {
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void ArmAllocationFailure(long count) noexcept { countdown = count; }

long DisarmAllocationFailure() noexcept {
  const long left = countdown;
  countdown = 0;
  return left;
}

FaultPause::FaultPause() noexcept { ++paused; }
FaultPause::~FaultPause() { --paused; }

}  // namespace msc::test

using msc::test::Allocate;
using msc::test::AllocateAligned;
using msc::test::FailThisOne;
using msc::test::OrThrow;

extern "C" {
void* __wrap_malloc(std::size_t size) { return FailThisOne() ? nullptr : __real_malloc(size); }
void* __wrap_calloc(std::size_t count, std::size_t size) {
  return FailThisOne() ? nullptr : __real_calloc(count, size);
}
// A failed realloc leaves the block as it was, as the real one does.
void* __wrap_realloc(void* block, std::size_t size) {
  return FailThisOne() ? nullptr : __real_realloc(block, size);
}
}

void* operator new(std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new[](std::size_t size) { return OrThrow(Allocate(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) { return OrThrow(AllocateAligned(size, a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return OrThrow(AllocateAligned(size, a)); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, a);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
