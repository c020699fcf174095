// Loaded scenes as text, and how a scene loaded under damage compares with
// the whole one. For tests that link the scene library and the tool's verbs.
#pragma once
#include <string>

#include <nlohmann/json.hpp>

#include "scene_loader.h"
#include "scene_verb.h"

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

