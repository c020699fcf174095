// The one place through which the reader allocates memory for file data, so
// that a limit, a counter and failure injection for tests live together.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

// Returns a zero-filled block of `size` bytes, or null when the allocation
// fails (or a test made it fail). A size of 0 returns null.
void* GeAlloc(size_t size);
// Like GeAlloc without the zero fill, for blocks that the reader overwrites
// whole before anyone else sees them (arrays read in one piece); counted and
// made to fail like GeAlloc.
void* GeAllocUninitialized(size_t size);
// Frees a block from GeAlloc; null is ignored.
void GeFree(void* block);

// Like GeAlloc for objects: constructs a T with `new (std::nothrow)` after
// asking the failure injection, so node allocations can be made to fail too.
bool GeAllocationAllowed();

// Test hook: the N-th allocation from now on (1-based) fails; 0 switches
// failure injection off. Returns the number of allocations counted so far.
void GeAllocFailAt(uint64_t n);
uint64_t GeAllocCount();

template <class T, class... Args>
T* GeNew(Args&&... args) {
  if (!GeAllocationAllowed()) return nullptr;
  return new (std::nothrow) T(static_cast<Args&&>(args)...);
}
