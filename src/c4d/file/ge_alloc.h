// The one place through which the reader allocates memory for file data, so
// that a limit, a counter and failure injection for tests live together.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

// Returns a zero-filled block of `size` bytes, or null when the allocation
// fails (or a test made it fail, or the active meter refused it). A size of
// 0 returns null.
void* GeAlloc(size_t size);
// Like GeAlloc without the zero fill, for blocks that the reader overwrites
// whole before anyone else sees them (arrays read in one piece); counted,
// metered and made to fail like GeAlloc.
void* GeAllocUninitialized(size_t size);
// Frees a block from GeAlloc; null is ignored.
void GeFree(void* block);

// Asks the failure injection and the active meter whether an allocation of
// `size` bytes may go ahead; counts it either way. GeNew asks with sizeof(T).
bool GeAllocationAllowed(size_t size);
bool GeAllocationAllowed();

// Test hook: the N-th allocation from now on (1-based) fails; 0 switches
// failure injection off. Returns the number of allocations counted so far.
void GeAllocFailAt(uint64_t n);
uint64_t GeAllocCount();
// How many allocations the failure injection has made fail since the program
// started; a test sees from it whether its failing allocation was reached.
uint64_t GeAllocInjectedFailures();

// The memory that reading one file may take. While a meter is active on a
// thread, every allocation there adds its size and a fixed per-block
// overhead to `used`; an allocation that would take `used` past `limit` is
// refused, and so is every later one (`refused` stays set), so that a file
// over its limit stops at once instead of being read on in pieces.
struct GeAllocMeter {
  // What the heap keeps beside each block, charged so that many tiny blocks
  // count for what they really cost.
  static constexpr uint64_t kBlockOverhead = 16;
  uint64_t used = 0;
  uint64_t limit = UINT64_MAX;
  bool refused = false;

  // Adds `size` bytes (and the overhead); false when that passes the limit.
  bool Charge(uint64_t size);
};

// Makes `meter` the active one of this thread (null: none); returns the one
// that was active.
GeAllocMeter* GeSetAllocMeter(GeAllocMeter* meter);
GeAllocMeter* GeActiveAllocMeter();

// Keeps a meter active for a scope and restores the previous one after it.
class GeAllocMeterScope {
 public:
  explicit GeAllocMeterScope(GeAllocMeter* meter) : previous_(GeSetAllocMeter(meter)) {}
  ~GeAllocMeterScope() { GeSetAllocMeter(previous_); }
  GeAllocMeterScope(const GeAllocMeterScope&) = delete;
  GeAllocMeterScope& operator=(const GeAllocMeterScope&) = delete;

 private:
  GeAllocMeter* previous_;
};

// Like GeAlloc for objects: constructs a T with `new (std::nothrow)` after
// asking the failure injection and the meter, so node allocations can be
// made to fail and count against the file's limit too.
template <class T, class... Args>
T* GeNew(Args&&... args) {
  if (!GeAllocationAllowed(sizeof(T))) return nullptr;
  return new (std::nothrow) T(static_cast<Args&&>(args)...);
}

// A standard allocator over GeAllocUninitialized, for the few containers of
// the standard library that hold file data: their memory is counted, metered
// and can be made to fail like any other. A refusal throws std::bad_alloc,
// which the reader catches where it fills the container.
template <class T>
struct GeStdAllocator {
  using value_type = T;
  GeStdAllocator() = default;
  template <class U>
  GeStdAllocator(const GeStdAllocator<U>&) {}
  T* allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = GeAllocUninitialized(n == 0 ? 1 : n * sizeof(T));
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { GeFree(block); }
  template <class U>
  bool operator==(const GeStdAllocator<U>&) const { return true; }
};
