#include "scene_compare.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "json_writer.h"
#include "scene_data.h"

std::string SceneText(const C4DBaseDocument& document) {
  std::ostringstream out;
  {
    JsonWriter json(out);
    c4dimport::WriteSceneJson(json, c4dimport::DescribeScene(document), false);
  }
  return out.str();
}

namespace {

std::string Difference(const nlohmann::json& damaged, const nlohmann::json& whole, const std::string& path) {
  if (damaged.type() != whole.type() || damaged.size() != whole.size()) {
    return path + ": " + damaged.dump().substr(0, 200) + " instead of " + whole.dump().substr(0, 200);
  }
  if (damaged.is_object()) {
    for (auto it = whole.begin(); it != whole.end(); ++it) {
      if (!damaged.contains(it.key())) return path + "/" + it.key() + " missing";
      const nlohmann::json& d = damaged[it.key()];
      const bool link = it.key() == "layer" || it.key() == "material";
      if (link && d.is_null()) continue;
      const std::string difference = Difference(d, it.value(), path + "/" + it.key());
      if (!difference.empty()) return difference;
    }
    return "";
  }
  if (damaged.is_array()) {
    for (size_t i = 0; i < whole.size(); ++i) {
      const std::string difference = Difference(damaged[i], whole[i], path + "/" + std::to_string(i));
      if (!difference.empty()) return difference;
    }
    return "";
  }
  return damaged == whole ? "" : path + ": " + damaged.dump() + " instead of " + whole.dump();
}

}  // namespace

std::string DifferenceButUnboundLinks(const std::string& damaged, const std::string& whole) {
  return Difference(nlohmann::json::parse(damaged), nlohmann::json::parse(whole), "");
}
