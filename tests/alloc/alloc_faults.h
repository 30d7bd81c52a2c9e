// Injected allocation failures for the allocation-failure test.
//
// The test binary replaces operator new and new[] (every form) and, through
// the linker's --wrap, the malloc, calloc and realloc calls of the objects
// linked into it statically (the engine archive, the tests, GoogleTest).
// Nothing is counted until a test arms the hook; then the Nth allocation on
// the arming thread fails: malloc, calloc and realloc return null, a
// throwing new throws std::bad_alloc, a nothrow new returns null. One
// failure per arming, so what runs after it allocates normally.
//
// Why this shape: the counter is thread-local and armed only around one
// export call, so GoogleTest, the test's bookkeeping and other threads never
// see a failure. The host's code runs inside those calls too (streams,
// AnyType); the test's own callbacks hold a FaultPause, and the host library
// (AnyType) allocates with malloc from its own shared object, which --wrap
// does not reach. A malloc interposer in the executable would catch the host
// library as well and would have to find the sanitizer's allocator behind it.
#pragma once

namespace msc::test {

// From now on the count-th allocation of this thread fails (1: the next one).
void ArmAllocationFailure(long count) noexcept;
// Stops counting and gives what was left of the count: 0 once the failure
// was injected, so a count can be carried from one armed window to the next.
long DisarmAllocationFailure() noexcept;

// Allocations of this thread neither count nor fail while one is alive.
class FaultPause {
 public:
  FaultPause() noexcept;
  ~FaultPause();
  FaultPause(const FaultPause&) = delete;
  FaultPause& operator=(const FaultPause&) = delete;
};

}  // namespace msc::test
