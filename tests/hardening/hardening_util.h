// Shared by the hardening tests: the scenes they damage, the positions they
// damage them at, and one load of scene bytes with what came of it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "damage_scenes.h"
#include "scene_loader.h"
#include "scene_verb.h"

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

// The scene as text and JSON: everything the model read, for comparisons.
inline std::string SceneText(const C4DBaseDocument& document) { return SceneJson(document, -1); }

// Where `damaged` differs from `whole` other than in links that were left
// unbound (a layer or material reference that became null), or "" when it
// does not: what a failed allocation of the link registry may cost without
// an error, as links are specified.
inline std::string DifferenceButUnboundLinks(const nlohmann::json& damaged, const nlohmann::json& whole,
                                             const std::string& path = "") {
  if (damaged.type() != whole.type() || damaged.size() != whole.size()) {
    return path + ": " + damaged.dump().substr(0, 200) + " instead of " + whole.dump().substr(0, 200);
  }
  if (damaged.is_object()) {
    for (auto it = whole.begin(); it != whole.end(); ++it) {
      if (!damaged.contains(it.key())) return path + "/" + it.key() + " missing";
      const nlohmann::json& d = damaged[it.key()];
      const bool link = it.key() == "layer" || it.key() == "material";
      if (link && d.is_null()) continue;
      const std::string difference = DifferenceButUnboundLinks(d, it.value(), path + "/" + it.key());
      if (!difference.empty()) return difference;
    }
    return "";
  }
  if (damaged.is_array()) {
    for (size_t i = 0; i < whole.size(); ++i) {
      const std::string difference = DifferenceButUnboundLinks(damaged[i], whole[i], path + "/" + std::to_string(i));
      if (!difference.empty()) return difference;
    }
    return "";
  }
  return damaged == whole ? "" : path + ": " + damaged.dump() + " instead of " + whole.dump();
}

inline std::string DifferenceButUnboundLinks(const std::string& damaged, const std::string& whole) {
  return DifferenceButUnboundLinks(nlohmann::json::parse(damaged), nlohmann::json::parse(whole));
}

// The four ways to damage one byte.
inline std::vector<uint8_t> ByteDamages(uint8_t value) {
  return {0x00, 0xFF, static_cast<uint8_t>(value + 1), static_cast<uint8_t>(value - 1)};
}
