// Writes whole scene documents: objects with tags, children and caches,
// materials and layers, linked by goal ids.
//
// High level: describe the scene as a tree of specs and serialise it.
//
//   SceneSpec scene;
//   scene.materials.push_back(MaterialSpec::Colored("Red", 10, {1, 0, 0}));
//   scene.layers.push_back(LayerSpec::Named("Walls", 20));
//   scene.objects.push_back(ObjectSpec::Polygon("Box", points, polygons)
//                               .OnLayer(20).WithTexture(10)
//                               .Child(ObjectSpec::Null("Pivot")));
//   std::vector<uint8_t> bytes = WriteScene(scene);
//
// Low level: SceneWriter writes single chunks and payloads onto a C4DWriter
// for layouts the specs do not cover (damaged or unusual files).
//
// Goal ids: any non-zero number; a node with goalId n is the target of every
// link written with n. Zero means "no goal" / "no link".
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "c4d_writer.h"

// File versions that select the payload layouts.
constexpr int32_t kSceneVersionOld = 7000;        // old object/light/material layouts
constexpr int32_t kSceneVersionThirteen = 9000;   // new layouts, 13 material channels
constexpr int32_t kSceneVersionCurrent = 9500;    // new layouts, 14 material channels

// Chunk ids as the scene writer uses them.
namespace scene_chunk {
constexpr int32_t kDocument = 110000;  // the outer chunk; its id is not looked at
constexpr int32_t kHeader = 110024;
constexpr int32_t kMaterials = 110308;
constexpr int32_t kObjects = 110107;
constexpr int32_t kLayers = 110134;
constexpr int32_t kList = 110100;
constexpr int32_t kNode = 110069;
constexpr int32_t kBaseList = 110050;
constexpr int32_t kObject = 110052;
constexpr int32_t kObjectData = 110064;  // also a shader's payload
constexpr int32_t kShaders = 110131;
constexpr int32_t kTags = 110108;
constexpr int32_t kTexturePayload = 110010;
constexpr int32_t kMaterialBase = 110012;
constexpr int32_t kMaterial = 5703;
constexpr int32_t kChannelBlock = 5706;  // the chunk after each channel state
constexpr int32_t kLayer = 100004801;
constexpr int32_t kLayerData = 110313;
}  // namespace scene_chunk

// What every named node writes in its base-list chunk (110050).
struct NodeSpec {
  std::string name;
  uint64_t goalId = 0;   // goal record of the node (0: none)
  uint64_t layerId = 0;  // link to a layer's goal (0: none); needs level 5
  int32_t nodeBits = 0;
  ContainerSpec data;    // the node's parameter container
  int32_t level = 5;     // level of the 110050 chunk
  int32_t nodeWords = -1;  // from 0: the goal travels behind this many words in a node chunk (110069)
  bool write = true;     // false: the node has no 110050 chunk at all
};

struct TagSpec {
  enum class Kind { Point, Polygon, Phong, Texture, UVW, Segment, Tangent, PolygonSelection };
  Kind kind = Kind::Phong;
  NodeSpec node;
  std::vector<Vector> points;        // Point
  std::vector<Vector64> points64;    // Point, newer variant: written instead of `points` when given
  std::vector<CPolygon> polygons;    // Polygon
  bool sixteenBit = false;           // Polygon: 16-bit index form
  uint64_t materialId = 0;           // Texture: link to the material's goal
  int32_t textureLevel = 6;          // Texture: level of the 110010 chunk
  // Texture: how the material is laid on; the classic payload's values, or
  // the newer variant's data entries 1000..1007.
  int32_t projection = 6;
  std::string restriction;           // the polygon selection's name (payload level 1)
  std::array<float, 4> offsetLength{0, 0, 1, 1};  // offset u, v, length u, v
  bool tiles = true;
  std::vector<std::pair<int32_t, int32_t>> ranges;  // PolygonSelection: first, last
  std::vector<Vector> uvw;           // UVW: four per polygon
  std::vector<std::pair<int32_t, bool>> segments;  // Segment: point count, closed
  std::vector<Vector> tangents;      // Tangent: left and right handle of each point

  static TagSpec Points(std::vector<Vector> points);
  static TagSpec Polygons(std::vector<CPolygon> polygons, bool sixteenBit = false);
  static TagSpec Texture(uint64_t materialId);
  static TagSpec UVW(std::vector<Vector> uvw);
  static TagSpec Phong();
  // Data 1001 (angle limit on), 1002 (the angle, radians), 1003 (edge breaks on).
  static TagSpec Phong(bool angleLimit, float angle, bool edgeBreaks);
  // A polygon selection tag (5673) of that name with its ranges.
  static TagSpec PolygonSelection(const std::string& name, std::vector<std::pair<int32_t, int32_t>> ranges);
  static TagSpec Segments(std::vector<std::pair<int32_t, bool>> segments);
  static TagSpec Tangents(std::vector<Vector> leftRight);
};

// What a light's payload says of its look, at the places the reader finds it.
struct LightSpec {
  int32_t kind = 0;
  Vector colour{1, 1, 1};
  float brightness = 1;
  float innerAngle = 0, outerAngle = 0.5235988f;  // radians
};

struct ObjectSpec {
  int32_t typeId = 5154;      // object chunk id: 5154, 1001091, 5101, 5137 (others are skipped but in '6' files)
  int32_t dataTypeId = 5140;  // data type of the 110064 chunk; 0 writes no 110064 chunk
  int32_t dataLevel = 0;      // level of the 110064 chunk
  int32_t lightGroups = 1;    // light payload (data type 5102): the repeated group count
  std::optional<LightSpec> light;  // its look; dummy values where not given
  NodeSpec node;
  bool writeObjectChunk = true;  // the 110052 chunk
  int32_t objectLevel = 5;       // its level (new layout; the old layout writes level 1)
  Vector position{0, 0, 0};
  Vector rotation{0, 0, 0};
  Vector scale{1, 1, 1};
  Matrix axis;                   // the orientation (identity by default)
  Vector color{1, 1, 1};
  bool useColor = false;
  std::array<int32_t, 3> states{2, 2, 0};  // editor and render visibility, disabled
  std::vector<TagSpec> tags;
  std::vector<ObjectSpec> children;
  std::vector<ObjectSpec> overrideCache;
  std::vector<ObjectSpec> fallbackCache;

  // A polygon object: a plugin object (5154) with data type 5100 and point
  // and polygon tags.
  static ObjectSpec Polygon(const std::string& name, std::vector<Vector> points, std::vector<CPolygon> polygons);
  // A spline (chunk 5101) with a point tag; setting 1002 = 1 when closed.
  static ObjectSpec Spline(const std::string& name, std::vector<Vector> points, bool closed);
  static ObjectSpec Null(const std::string& name);
  static ObjectSpec Light(const std::string& name);
  static ObjectSpec Light(const std::string& name, const LightSpec& look);
  static ObjectSpec Camera(const std::string& name);
  // A primitive (data type 5159 by default) whose geometry is `cache`,
  // written as its fallback cache.
  static ObjectSpec Primitive(const std::string& name, ObjectSpec cache, int32_t dataTypeId = 5159);
  // An instance (data type 5126) referring to the goal `referenceId`, with
  // its geometry in the fallback cache when given.
  static ObjectSpec Instance(const std::string& name, uint64_t referenceId,
                             std::optional<ObjectSpec> cache = std::nullopt);
  // A plugin object of any data type, without tags.
  static ObjectSpec Plugin(const std::string& name, int32_t dataTypeId);

  ObjectSpec& At(const Vector& p);
  ObjectSpec& Scaled(const Vector& s);
  // Turns the object by `degrees` about its z axis (sets `axis`, and the
  // angle in radians as the z of `rotation`).
  ObjectSpec& RotatedZ(float degrees);
  ObjectSpec& Colored(const Vector& rgb);  // also sets useColor
  // A camera's focal length (data 500) and film width (1006), millimetres.
  ObjectSpec& Lens(float focalLength, float filmWidth);
  ObjectSpec& OnLayer(uint64_t layerId);
  ObjectSpec& Goal(uint64_t goalId);
  ObjectSpec& WithTag(TagSpec tag);
  ObjectSpec& WithTexture(uint64_t materialId);
  ObjectSpec& Child(ObjectSpec child);
  ObjectSpec& Fallback(ObjectSpec cache);
  ObjectSpec& Override(ObjectSpec cache);
  ObjectSpec& Bits(int32_t nodeBits);
  ObjectSpec& States(int32_t editor, int32_t render, int32_t disabled);
  // Stored under its data type as chunk id, without a data chunk ('6' files).
  ObjectSpec& OwnType();
};

// A shader of a material's shader list; `inputs` are written as its own list.
struct ShaderSpec {
  uint64_t goalId = 0;
  std::string file;      // data 1000, when not empty
  int32_t kind = 5833;   // the payload's kind (a bitmap)
  std::vector<ShaderSpec> inputs;
};

struct MaterialSpec {
  NodeSpec node;
  std::array<int32_t, 14> channelStates{};  // index 0 colour, 2 transparency
  int32_t channelsWritten = -1;  // new layout: -1 writes as many as the version reads
  int32_t oldLevel = 1;          // old layout: level of the 5703 chunk
  std::optional<Vector> color;         // parameter 2100
  std::optional<float> transparency;   // parameter 2401
  std::optional<float> brightness;     // parameter 2101
  uint64_t colorShaderId = 0;          // parameter 8000: link to a shader's goal (0: none)
  std::vector<ShaderSpec> shaders;

  // A bitmap shader of `file` with goal `shaderId`, linked as the colour channel's.
  MaterialSpec& WithColorBitmap(const std::string& file, uint64_t shaderId);

  static MaterialSpec Colored(const std::string& name, uint64_t goalId, const Vector& rgb);
  // Colour and transparency channels on, colour `rgb`, parameter 2401 = amount.
  static MaterialSpec Transparent(const std::string& name, uint64_t goalId, const Vector& rgb, float amount);
};

struct LayerSpec {
  NodeSpec node;
  bool writeData = true;  // the 110313 chunk
  int32_t dataLevel = 1;
  std::array<int32_t, 8> flags{1, 1, 1, 0, 1, 1, 1, 1};  // visible, two more, locked, four more
  int32_t flag8 = 0;
  Vector color{1, 1, 1};
  std::vector<LayerSpec> children;

  static LayerSpec Named(const std::string& name, uint64_t goalId);
  LayerSpec& Child(LayerSpec child);
};

struct SceneSpec {
  int32_t version = kSceneVersionCurrent;
  bool newer = false;  // the newer file variant: its header, doubles and layouts
  char headerFirst = 'X';  // a classic header's first letter: 'X' or '6'
  bool writeHeader = true;
  int32_t headerLevel = 1;
  bool useMarkedCaches = false;
  // Node chunks of a list stand inside a 110100 chunk of the list chunk
  // instead of directly in it.
  bool wrapLists = false;
  // Order of the three list chunks in the document; objects last by
  // default, so that goals of materials and layers come before the links.
  bool objectsFirst = false;
  std::vector<MaterialSpec> materials;
  std::vector<LayerSpec> layers;
  std::vector<ObjectSpec> objects;
};

// The whole file: header, document chunk and everything in it.
std::vector<uint8_t> WriteScene(const SceneSpec& scene);

class SceneWriter;
// The three list chunks of a document (materials, layers, objects, in the
// scene's order), for documents assembled by hand around them.
void WriteSceneLists(SceneWriter& s, const SceneSpec& scene);
// A document assembled by hand: the file header, the document chunk with a
// header chunk of `version` (marked caches off), and what `body` writes.
std::vector<uint8_t> WriteDocument(int32_t version, const std::function<void(SceneWriter&)>& body);
// A document whose object list chunk holds what `objects` writes.
std::vector<uint8_t> WriteObjectsDocument(int32_t version, const std::function<void(SceneWriter&)>& objects);

// Chunk 110011 of a selection: a range count, then first and last of each.
void SelectionChunk(C4DWriter& w, const std::vector<std::pair<int32_t, int32_t>>& ranges);

// Pieces that many scenes share.
SceneSpec SceneOf(std::vector<ObjectSpec> objects, int32_t version = kSceneVersionCurrent);
// A box of six planar quads, x by y by z, with a corner at the origin.
ObjectSpec Box(const std::string& name, float x = 1, float y = 1, float z = 1);
// The unit square as one quad in the plane z = 0.
ObjectSpec Quad(const std::string& name);

// Chunk by chunk. Every function writes one complete chunk (start marker to
// end marker) unless its name says payload.
class SceneWriter {
 public:
  SceneWriter(C4DWriter& w, int32_t version) : w_(w), version_(version) {}
  C4DWriter& Raw() { return w_; }
  int32_t Version() const { return version_; }

  // 110024: version, and at level 1 the marked-cache switch.
  void DocumentHeader(int32_t version, bool useMarkedCaches, int32_t level = 1);
  // 110050 with everything the node spec holds.
  void BaseList(const NodeSpec& node);

  void Object(const ObjectSpec& object);
  // 110052 in the layout of the writer's version.
  void ObjectChunk(const ObjectSpec& object);
  // 110064 with data type, name, and the light payload for 5102.
  void DataChunk(const ObjectSpec& object);
  // The light's values in the layout of the writer's version.
  void LightPayload(int32_t groups, const std::optional<LightSpec>& look = std::nullopt);
  // A list chunk of any id holding the objects.
  void ObjectList(int32_t chunkId, const std::vector<ObjectSpec>& objects);

  void Tag(const TagSpec& tag);
  void Material(const MaterialSpec& material);
  void Shader(const ShaderSpec& shader);
  // 110131 holding a list chunk of the shaders.
  void ShaderList(const std::vector<ShaderSpec>& shaders);
  void Layer(const LayerSpec& layer);

 private:
  void Values(const char* sequence);  // "3F 2B V": dummy values of each kind
  // The newer variant's layouts (newer_scene_writer.cpp).
  void NewerBaseList(const NodeSpec& node);
  void NewerObjectChunk(const ObjectSpec& object);
  void NewerTag(const TagSpec& tag, int32_t id);
  C4DWriter& w_;
  int32_t version_;
};
