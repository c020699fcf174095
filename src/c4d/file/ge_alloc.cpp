#include "ge_alloc.h"

#include <cstdlib>

namespace {
// Allocations counted since the program started, and the absolute number of
// the one allocation that is to fail (0: none). The scene model runs on one
// thread, so plain counters suffice.
uint64_t allocationCount = 0;
uint64_t failingAllocation = 0;
}  // namespace

bool GeAllocationAllowed() {
  ++allocationCount;
  return failingAllocation == 0 || allocationCount != failingAllocation;
}

void* GeAlloc(size_t size) {
  if (size == 0) return nullptr;
  if (!GeAllocationAllowed()) return nullptr;
  return std::calloc(1, size);
}

void* GeAllocUninitialized(size_t size) {
  if (size == 0) return nullptr;
  if (!GeAllocationAllowed()) return nullptr;
  return std::malloc(size);
}

void GeFree(void* block) { std::free(block); }

void GeAllocFailAt(uint64_t n) { failingAllocation = n == 0 ? 0 : allocationCount + n; }

uint64_t GeAllocCount() { return allocationCount; }
