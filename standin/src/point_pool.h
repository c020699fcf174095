// Memory for the host's point objects: a mesh brings a million of them, all
// made at once and released together with the import's objects. They come
// from blocks of 1 MiB (26,214 points each) instead of one heap block each:
// no allocator header or size-class rounding per point. A released point's
// slot is handed out again; the blocks go back to the heap when the last
// point is released.
#pragma once
#include <cstddef>

// Under the address sanitizer every point stays a heap block of its own,
// which the sanitizer watches.
#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_POOLED_POINTS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_POOLED_POINTS 0
#endif
#endif
#ifndef STANDIN_POOLED_POINTS
#define STANDIN_POOLED_POINTS 1
#endif

namespace standin_internal {

constexpr std::size_t kPointSlotBytes = 40;

// A slot of kPointSlotBytes bytes, 8-aligned; throws std::bad_alloc when no
// block could be had.
void* AllocatePointSlot();
void ReleasePointSlot(void* slot) noexcept;

}  // namespace standin_internal
