#include "point_pool.h"

#include <atomic>
#include <mutex>
#include <new>
#include <thread>

namespace standin_internal {
namespace {

constexpr std::size_t kBlockBytes = 1024 * 1024;

struct Block {
  Block* next;
};

constexpr std::size_t kFirstSlot = (sizeof(Block) + 15) / 16 * 16;
constexpr std::size_t kSlotsPerBlock = (kBlockBytes - kFirstSlot) / kPointSlotBytes;

// Points are made and released a million at a time by one thread, seldom by
// two at once: a flag taken with one exchange costs less per point than a
// mutex, and a second thread yields until it is free.
class SpinLock {
 public:
  void lock() {
    while (taken_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  void unlock() { taken_.clear(std::memory_order_release); }

 private:
  std::atomic_flag taken_;
};

// Trivially destructible: a point released during static destruction still
// finds its pool.
struct Pool {
  SpinLock lock;
  Block* blocks = nullptr;
  void* freed = nullptr;  // released slots, linked through their first word
  std::size_t fresh = kSlotsPerBlock;  // the newest block's slots from here on were never handed out
  std::size_t live = 0;
};
Pool g_pool;

}  // namespace

void* AllocatePointSlot() {
  std::lock_guard<SpinLock> guard(g_pool.lock);
  void* slot = g_pool.freed;
  if (slot) {
    g_pool.freed = *static_cast<void**>(slot);
  } else {
    if (g_pool.fresh == kSlotsPerBlock) {
      auto* block = static_cast<Block*>(::operator new(kBlockBytes));
      block->next = g_pool.blocks;
      g_pool.blocks = block;
      g_pool.fresh = 0;
    }
    slot = reinterpret_cast<char*>(g_pool.blocks) + kFirstSlot + g_pool.fresh * kPointSlotBytes;
    ++g_pool.fresh;
  }
  ++g_pool.live;
  return slot;
}

void ReleasePointSlot(void* slot) noexcept {
  if (!slot) return;
  std::lock_guard<SpinLock> guard(g_pool.lock);
  *static_cast<void**>(slot) = g_pool.freed;
  g_pool.freed = slot;
  if (--g_pool.live > 0) return;
  // The last point is gone: every block with it.
  while (Block* block = g_pool.blocks) {
    g_pool.blocks = block->next;
    ::operator delete(block);
  }
  g_pool.freed = nullptr;
  g_pool.fresh = kSlotsPerBlock;
}

}  // namespace standin_internal
