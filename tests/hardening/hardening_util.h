// Shared by the hardening tests: the scenes they damage, the positions they
// damage them at, the ways they damage a byte, and the kept inputs that once
// broke the reader or the import (tests/regressions; the fuzz runs copy
// theirs there), each to be loaded and imported cleanly forever after.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "damage_scenes.h"
#include "memory_file.h"

// Every representative scene and the bundled sample.
inline std::vector<NamedScene> ScenesToDamage() {
  std::vector<NamedScene> scenes = RepresentativeScenes();
  scenes.push_back({"sample", ReadFileBytes(C4D_SAMPLE_FILE)});
  return scenes;
}

inline std::vector<NamedScene> RegressionInputs() {
  std::vector<NamedScene> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(C4D_REGRESSIONS_DIR)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    inputs.push_back({entry.path().filename().string(), ReadFileBytes(entry.path().string())});
  }
  std::sort(inputs.begin(), inputs.end(), [](const NamedScene& a, const NamedScene& b) { return a.name < b.name; });
  return inputs;
}

// The scene's name as a test name.
inline std::string SceneName(const testing::TestParamInfo<NamedScene>& info) { return CaseName(info); }

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
  const size_t head = size <= budget ? size : std::min<size_t>(64, budget / 4);
  for (size_t i = 0; i < head; ++i) positions.push_back(i);
  if (size <= budget) return positions;
  const size_t stride = (size - head) / (budget - head) + 1;
  for (size_t k = 0, at = head; at < size; ++k, at = head + k * stride + k % stride) positions.push_back(at);
  return positions;
}

// The four ways to damage one byte.
inline std::vector<uint8_t> ByteDamages(uint8_t value) {
  return {0x00, 0xFF, static_cast<uint8_t>(value + 1), static_cast<uint8_t>(value - 1)};
}
