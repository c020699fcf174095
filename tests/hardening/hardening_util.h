// Shared by the hardening tests: the scenes they damage, the positions they
// damage them at, and the ways they damage a byte.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "damage_scenes.h"

// Every representative scene and the bundled sample.
inline std::vector<NamedScene> ScenesToDamage() {
  std::vector<NamedScene> scenes = RepresentativeScenes();
  scenes.push_back({"sample", ReadFileBytes(C4D_SAMPLE_FILE)});
  return scenes;
}

// Sanitizers make every load several times slower; their runs sample more
// thinly so that a test run stays at seconds.
#if defined(C4D_SANITIZED_BUILD)
constexpr size_t kSanitizerSlowdown = 4;
#else
constexpr size_t kSanitizerSlowdown = 1;
#endif

// Positions 0 to size - 1: all of them when there are no more than
// `budget`, otherwise about `budget` of them: the first bytes (header,
// document and its first chunk) up to a quarter of the budget, the rest
// spread evenly, each step shifted by one more byte so that the sample meets
// every offset within a value.
inline std::vector<size_t> Positions(size_t size, size_t budget) {
  std::vector<size_t> positions;
  budget = std::max<size_t>(budget, 2);
  if (size <= budget) {
    for (size_t i = 0; i < size; ++i) positions.push_back(i);
    return positions;
  }
  const size_t head = std::min<size_t>(64, budget / 4);
  for (size_t i = 0; i < head; ++i) positions.push_back(i);
  const size_t stride = (size - head) / (budget - head) + 1;
  for (size_t k = 0;; ++k) {
    const size_t at = head + k * stride + k % stride;
    if (at >= size) break;
    positions.push_back(at);
  }
  return positions;
}

// The four ways to damage one byte.
inline std::vector<uint8_t> ByteDamages(uint8_t value) {
  return {0x00, 0xFF, static_cast<uint8_t>(value + 1), static_cast<uint8_t>(value - 1)};
}
