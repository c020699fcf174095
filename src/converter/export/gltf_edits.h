// What the glTF writers leave out or write otherwise, set right in their
// file afterwards: the JSON of a .gltf, or of a .glb's JSON chunk, edited in
// place (a .glb keeps its binary chunk); and the cameras and lights as glTF
// describes them.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "export_model.h"

namespace c4dexport {

// Rewrites the document's JSON with `edit`, which returns false to leave the
// file as it is. A .glb keeps the chunks after its JSON when `keepBinary`.
void EditGltfJson(const std::string& path, bool binary, bool keepBinary, std::string& error,
                  const std::function<bool(std::string&)>& edit);

// Without meshes the exporter still declares a buffer of no bytes (and an
// empty .bin beside a .gltf), which glTF forbids: both are taken out again.
void DropEmptyBuffer(const std::string& path, bool binary, std::string& error);

// The view's node, "View", gets its camera.
void AddGltfCamera(const std::string& path, bool binary, const ExportCamera& view, std::string& error);

// A light as KHR_lights_punctual describes it: an area light is a point
// light; the angles of a spot are halved (glTF takes the cone's half
// angles), inside each other and at most a right angle.
nlohmann::json GltfLight(const ExportLight& light);

// A perspective camera of the horizontal angle (the whole angle, radians) and
// aspect, without a far plane.
nlohmann::json PerspectiveCamera(const std::string& name, double horizontalFov, double aspect);

}  // namespace c4dexport
