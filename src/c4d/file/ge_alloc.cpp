#include "ge_alloc.h"

#include <cstdlib>

namespace {
// Allocations counted since the program started, the absolute number of the
// one allocation that is to fail (0: none), and how many were made to fail.
// Tests drive them from one thread.
uint64_t allocationCount = 0;
uint64_t failingAllocation = 0;
uint64_t injectedFailures = 0;
// The meter of the file that this thread is reading, if any.
thread_local GeAllocMeter* activeMeter = nullptr;
}  // namespace

bool GeAllocMeter::Charge(uint64_t size) {
  if (refused) return false;
  const uint64_t cost = size + kBlockOverhead;
  if (cost > limit || used > limit - cost) {
    refused = true;
    return false;
  }
  used += cost;
  return true;
}

GeAllocMeter* GeSetAllocMeter(GeAllocMeter* meter) {
  GeAllocMeter* previous = activeMeter;
  activeMeter = meter;
  return previous;
}

GeAllocMeter* GeActiveAllocMeter() { return activeMeter; }

bool GeAllocationAllowed(size_t size) {
  ++allocationCount;
  if (failingAllocation != 0 && allocationCount == failingAllocation) {
    ++injectedFailures;
    return false;
  }
  return !activeMeter || activeMeter->Charge(size);
}

bool GeAllocationAllowed() { return GeAllocationAllowed(0); }

void* GeAlloc(size_t size) {
  if (size == 0) return nullptr;
  if (!GeAllocationAllowed(size)) return nullptr;
  return std::calloc(1, size);
}

void* GeAllocUninitialized(size_t size) {
  if (size == 0) return nullptr;
  if (!GeAllocationAllowed(size)) return nullptr;
  return std::malloc(size);
}

void GeFree(void* block) { std::free(block); }

void GeAllocFailAt(uint64_t n) { failingAllocation = n == 0 ? 0 : allocationCount + n; }

uint64_t GeAllocCount() { return allocationCount; }

uint64_t GeAllocInjectedFailures() { return injectedFailures; }
