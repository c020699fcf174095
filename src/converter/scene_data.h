// A scene file as the scene library reads it, as plain data: the document's
// version, the materials with their channels, the layer tree, and the object
// tree with placement, colour, layer, tags, children and both caches, each
// object the import leaves out marked with the reason. The scene verb prints
// it, `load_scene` in Python hands it over; neither looks into the scene
// library's classes.
//
//   SceneData scene = LoadSceneData("house.c4d");
//   if (!scene.loaded) ... scene.error, scene.errorName
//   for (const SceneObject& o : scene.objects) ... o.children
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "c4d_types.h"

class C4DBaseDocument;
class JsonWriter;

namespace c4dimport {

struct SceneMaterial {
  std::string name;
  int32_t typeId = 0;
  bool hasChannels = false;  // a material of the kind whose channels are read
  std::vector<int32_t> channelStates;
  bool colorChannel = false, transparencyChannel = false;
  Vector color{0.0f, 0.0f, 0.0f};
  float transparency = 0.0f;
  std::string bitmap;  // the colour channel's bitmap file as stored; "" for none
};

struct SceneLayer {
  std::string name;
  std::array<int32_t, 9> flags{};  // 0 visible, 3 locked; the others kept as read
  Vector color{1.0f, 1.0f, 1.0f};
  std::vector<SceneLayer> children;
};

struct SceneTag {
  int32_t typeId = 0;
  std::string typeName, name;
  // What the tag holds, where the kind says: points, polygons, UVW
  // coordinates (four a polygon), the material it names with its projection
  // and the polygon selection it is restricted to ("" for none), or the
  // number of polygons a selection tag selects.
  std::optional<int64_t> pointCount, polygonCount, uvwCount, selectedCount;
  bool namesMaterial = false;
  std::optional<std::string> material;  // null when the link leads nowhere
  std::string restriction;
  int32_t projection = 0;
};

struct SceneLight {
  int32_t kind = 0;  // C4DLightKind
  Vector color{1.0f, 1.0f, 1.0f};
  float brightness = 1.0f;
};

struct SceneObject {
  std::string name;
  int32_t typeId = 0;
  std::string typeName;
  int32_t dataTypeId = 0;     // plugin objects; 0 for others
  bool hasRecord = true;      // a plugin object's data record was read
  Vector position{}, rotation{}, scale{1.0f, 1.0f, 1.0f};
  std::array<Vector, 3> axes{};
  Vector color{1.0f, 1.0f, 1.0f};
  int32_t useColor = 0;
  std::optional<std::string> layer;
  std::optional<bool> closed;  // splines
  std::optional<SceneLight> light;  // lights
  std::string notImported;     // why the import leaves it out; "" when it does not
  std::string converter;       // what the converter makes of it instead ("rebuilt from its parameters"); ""
  std::string hidden;          // why the scene hides it ("disabled", ...); "" when it shows it
  std::vector<SceneTag> tags;
  std::vector<SceneObject> children, overrideCache, fallbackCache;
};

struct SceneData {
  std::string path;
  bool opened = false;  // the file is a scene file (its document may still be cut short)
  bool loaded = false;  // read to the document's end marker
  int32_t error = 0;    // the file's error code
  std::string errorName;
  int32_t version = 0;
  bool newerVariant = false;
  bool useMarkedCaches = false;
  std::vector<SceneMaterial> materials;
  std::vector<SceneLayer> layers;
  std::vector<SceneObject> objects;
};

// The document as data (path and file state left to the caller).
SceneData DescribeScene(const C4DBaseDocument& document);
// Loads the file and describes what was read, also when the load failed.
SceneData LoadSceneData(const std::string& path);

// {"file", "loaded", "error", "errorName"} and, for a scene file, the
// document: "version", "variant", "useMarkedCaches", "materials", "layers",
// "objects". Without `withFile`, the document alone.
void WriteSceneJson(JsonWriter& json, const SceneData& scene, bool withFile = true);

}  // namespace c4dimport
