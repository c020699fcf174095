#include "gltf_edits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

namespace c4dexport {

namespace {

// Takes the member "buffers" out of a glTF document's text, with the comma
// that joins it to the next member (or to the one before, when it is last).
// Its objects hold no arrays, so the first "]" closes it.
bool EraseBuffers(std::string& json) {
  const size_t key = json.find("\"buffers\"");
  const size_t close = key == std::string::npos ? key : json.find(']', key);
  if (close == std::string::npos) return false;
  size_t end = json.find_first_not_of(" \t\r\n", close + 1);
  size_t begin = key;
  if (end != std::string::npos && json[end] == ',') {
    ++end;
  } else {
    begin = json.find_last_not_of(" \t\r\n", key - 1);
    if (begin == std::string::npos || json[begin] != ',') return false;
    end = close + 1;
  }
  json.erase(begin, end - begin);
  return true;
}

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | uint8_t(bytes[at + size_t(k)]);
  return v;
}
void PutLe32(std::string& bytes, size_t at, uint32_t v) {
  for (size_t k = 0; k < 4; ++k) bytes[at + k] = char((v >> (8 * k)) & 0xFF);
}

// glTF takes the vertical angle.
double VerticalFov(double horizontalFov, double aspect) { return 2 * std::atan(std::tan(horizontalFov / 2) / aspect); }

// Candela for a point or spot light, lux for a directional one: the scene
// program's 100 % as a 1000 W lamp (683 lm/W spread over the sphere), and as
// 3 lx of sunlight.
double Intensity(const ExportLight& light) {
  if (light.kind == ExportLight::Kind::Infinite) return light.brightness * 3;
  return light.brightness * 1000 * 683 / (4 * std::numbers::pi);
}

}  // namespace

nlohmann::json PerspectiveCamera(const std::string& name, double horizontalFov, double aspect) {
  return {{"name", name},
          {"type", "perspective"},
          {"perspective", {{"yfov", VerticalFov(horizontalFov, aspect)}, {"aspectRatio", aspect}, {"znear", 0.001}}}};
}

void EditGltfJson(const std::string& path, bool binary, bool keepBinary, std::string& error,
                  const std::function<bool(std::string&)>& edit) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string json = bytes;
  if (binary) {
    if (bytes.size() < 20 || bytes.compare(0, 4, "glTF") != 0 || Le32(bytes, 12) > bytes.size() - 20) {
      error = "the exporter wrote no glb container";
      return;
    }
    json = bytes.substr(20, Le32(bytes, 12));
  }
  if (!edit(json)) return;
  if (binary) {
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::string rest = keepBinary ? bytes.substr(20 + Le32(bytes, 12)) : std::string();
    bytes.resize(20);
    PutLe32(bytes, 8, uint32_t(20 + json.size() + rest.size()));
    PutLe32(bytes, 12, uint32_t(json.size()));
    json.insert(0, bytes);
    json += rest;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(json.data(), std::streamsize(json.size()));
  if (!out.flush()) error = "writing the file failed";
}

void DropEmptyBuffer(const std::string& path, bool binary, std::string& error) {
  EditGltfJson(path, binary, false, error, [&](std::string& json) {
    if (!EraseBuffers(json)) return false;  // the exporter declared no buffer
    if (!binary) {
      std::error_code ignored;
      std::filesystem::remove(std::filesystem::path(path).replace_extension(".bin"), ignored);
    }
    return true;
  });
}

void AddGltfCamera(const std::string& path, bool binary, const ExportCamera& view, std::string& error) {
  EditGltfJson(path, binary, true, error, [&](std::string& text) {
    nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.contains("nodes")) return false;
    nlohmann::json& nodes = json["nodes"];
    for (nlohmann::json& node : nodes) {
      if (node.value("name", "") != "View" || node.contains("mesh") || node.contains("children")) continue;
      json["cameras"] = nlohmann::json::array({PerspectiveCamera("View", view.horizontalFov, view.aspect)});
      node["camera"] = 0;
      text = json.dump();
      return true;
    }
    return false;
  });
}

nlohmann::json GltfLight(const ExportLight& light) {
  nlohmann::json out = {{"name", light.name},
                        {"color", {light.colour[0], light.colour[1], light.colour[2]}},
                        {"intensity", Intensity(light)}};
  switch (light.kind) {
    case ExportLight::Kind::Infinite: out["type"] = "directional"; break;
    case ExportLight::Kind::Spot: {
      const double outer = std::clamp(light.outerAngle / 2, 1e-3, std::numbers::pi / 2);
      const double inner = std::clamp(light.innerAngle / 2, 0.0, outer * 0.999);
      out["type"] = "spot";
      out["spot"] = {{"innerConeAngle", inner}, {"outerConeAngle", outer}};
      break;
    }
    default: out["type"] = "point"; break;
  }
  return out;
}

}  // namespace c4dexport
