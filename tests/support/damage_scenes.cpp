#include "damage_scenes.h"

#include <fstream>
#include <iterator>

#include "scene_writer.h"

namespace {

std::vector<Vector> Square() { return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}; }

// Meshes in both index forms with materials, layers, texture, UVW and phong
// tags, own colours and a mesh with an index past its points.
SceneSpec Meshes() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Paint", 11, {0.8f, 0.1f, 0.1f}),
                     MaterialSpec::Transparent("Glass", 12, {0, 0, 1}, 0.25f)};
  scene.layers = {LayerSpec::Named("Outer", 21).Child(LayerSpec::Named("Inner", 22)), LayerSpec::Named("Side", 23)};
  ObjectSpec wide = Quad("Wide").WithTexture(11).OnLayer(22).WithTag(TagSpec::Phong());
  ObjectSpec narrow = ObjectSpec::Polygon("Narrow", Square(), {});
  narrow.tags[1] = TagSpec::Polygons({{0, 1, 2, 2}, {0, 2, 3, 3}, {65535, 1, 2, 2}}, true);
  narrow.WithTexture(12).WithTag(TagSpec::UVW({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}})).OnLayer(23);
  ObjectSpec colored = Quad("Colored").Colored({0.2f, 0.6f, 0.2f}).At({1, 2, 3}).Scaled({2, 2, 2}).RotatedZ(30);
  scene.objects = {wide, narrow, ObjectSpec::Null("Group").Child(colored).Child(Quad("Plain"))};
  return scene;
}

// Generators: a primitive with its mesh cache, instances whose reference
// comes before and after its goal, an override cache, marked caches.
SceneSpec Caches() {
  SceneSpec scene;
  scene.useMarkedCaches = true;
  ObjectSpec early = ObjectSpec::Instance("Early", 31, Quad("Early cache"));
  ObjectSpec cube = ObjectSpec::Primitive("Cube", Quad("Cube cache")).Goal(31);
  ObjectSpec late = ObjectSpec::Instance("Late", 31);
  ObjectSpec replaced = ObjectSpec::Plugin("Replaced", 5160).Override(Quad("First")).Override(Quad("Second"));
  ObjectSpec marked = ObjectSpec::Primitive("Marked", Quad("Marked cache").Bits(0x200)).Bits(0x200);
  marked.typeId = 1001091;
  scene.objects = {early, cube, late, replaced, marked};
  return scene;
}

// Splines open and closed, a line spline, a segment tag.
SceneSpec Splines() {
  SceneSpec scene;
  ObjectSpec open = ObjectSpec::Spline("Open", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, false);
  ObjectSpec closed = ObjectSpec::Spline("Closed", Square(), true).WithTag(TagSpec::Segments({{2, false}, {2, true}}));
  ObjectSpec line = ObjectSpec::Spline("Line", {{0, 0, 0}, {0, 0, 1}}, false);
  line.typeId = 5137;
  scene.objects = {open, closed, line};
  return scene;
}

// The older payload layouts: objects, a light with its five blocks,
// materials with twelve or thirteen states.
SceneSpec OldLayout() {
  SceneSpec scene;
  scene.version = kSceneVersionOld;
  MaterialSpec plain = MaterialSpec::Colored("Old", 41, {1, 1, 0});
  plain.oldLevel = 0;
  scene.materials = {plain, MaterialSpec::Transparent("Older", 42, {0, 1, 1}, 0.5f)};
  ObjectSpec light = ObjectSpec::Light("Lamp");
  light.lightGroups = 2;
  scene.objects = {Quad("Old mesh").WithTexture(41), light, ObjectSpec::Camera("View")};
  return scene;
}

// Thirteen material channels, list chunks wrapped in list chunks, objects
// before materials and layers, the plugin data kinds that are skipped.
SceneSpec Wrapped() {
  SceneSpec scene;
  scene.version = kSceneVersionThirteen;
  scene.wrapLists = true;
  scene.objectsFirst = true;
  scene.materials = {MaterialSpec::Colored("Late goal", 51, {0, 1, 0})};
  scene.layers = {LayerSpec::Named("Only", 52)};
  scene.objects = {Quad("Linked early").WithTexture(51).OnLayer(52), ObjectSpec::Plugin("Floor", 5104),
                   ObjectSpec::Plugin("Sky", 5105), ObjectSpec::Plugin("Env", 5106),
                   ObjectSpec::Plugin("Back", 5122), ObjectSpec::Plugin("Fore", 5121),
                   ObjectSpec::Plugin("Unknown data", 987654)};
  return scene;
}

// Parameter containers with every entry kind, in both forms and nested.
SceneSpec Containers() {
  SceneSpec scene;
  Matrix m;
  m.off = {1, 2, 3};
  ContainerSpec inner(7);
  inner.Int(1, 2).Real(2, 0.5f).Str(3, "inner");
  ContainerSpec data(5);
  data.Int(1000, 0)
      .Real(1001, 0.75f)
      .Vec(1002, {0.1f, 0.2f, 0.3f})
      .Mat(1003, m)
      .Str(1004, "text")
      .Filename(1005, "tex/a.tif")
      .Link(1006, 61)
      .Sub(1007, inner)
      .SubOlder(1008, inner)
      .Time(1009, 3, 2)
      .UnknownChunk(1010, 200, 4711);
  ObjectSpec target = Quad("Target").Goal(61);
  target.node.data = data;
  ObjectSpec spline = ObjectSpec::Spline("Settings", {{0, 0, 0}, {2, 0, 0}}, false);
  spline.node.data = ContainerSpec().Int(1000, 0).Int(1001, 0).Int(1002, 0).Sub(1003, inner);
  scene.objects = {target, spline};
  return scene;
}

// A '6' file: a polygon object, a light and a camera under their own type's
// chunk id, a plugin object under the camera, in a wrapped list.
SceneSpec OwnTypes() {
  SceneSpec scene = SceneOf({Quad("Own").OwnType(), ObjectSpec::Light("Lamp").OwnType().States(1, 2, 0),
                             ObjectSpec::Camera("Camera").OwnType().Child(Quad("Under").States(2, 2, 1))});
  scene.headerFirst = '6';
  scene.wrapLists = true;
  return scene;
}

}  // namespace

SceneSpec NewerVariantScene() {
  SceneSpec scene;
  scene.newer = true;
  scene.version = 2025100;
  scene.materials = {MaterialSpec::Colored("Paint", 11, {0.8f, 0.1f, 0.1f})};
  scene.layers = {LayerSpec::Named("Walls", 21)};
  ObjectSpec mesh = ObjectSpec::Polygon("Mesh", {}, {{0, 1, 2, 3}, {0, 2, 4, 4}});
  mesh.typeId = 1001091;
  mesh.tags[0].points64 = {{1e6 + 0.125, 0.5, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 2, 0}};
  mesh.WithTexture(11).OnLayer(21).WithTag(TagSpec::UVW(std::vector<Vector>(8, Vector{0.5f, 0.25f, 0})));
  ObjectSpec group = ObjectSpec::Null("Group").At({10, 0, 0}).Scaled({2, 2, 2}).Child(mesh);
  group.objectLevel = 1;  // its colour, and nothing after it
  group.color = {0.25f, 0.5f, 1};
  ObjectSpec path = ObjectSpec::Spline("Path", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 2}}, true);
  path.rotation = {1.5707963f, 0, 0};
  scene.objects = {group, path, ObjectSpec::Plugin("Cube", 5159)};
  return scene;
}

std::vector<NamedScene> RepresentativeScenes() {
  return {{"meshes", WriteScene(Meshes())},       {"caches", WriteScene(Caches())},
          {"splines", WriteScene(Splines())},     {"old layout", WriteScene(OldLayout())},
          {"wrapped lists", WriteScene(Wrapped())}, {"containers", WriteScene(Containers())},
          {"newer variant", WriteScene(NewerVariantScene())}, {"own types", WriteScene(OwnTypes())}};
}

std::vector<std::function<void(C4DWriter&)>> EveryValueKind() {
  static const double matrix64[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7};
  return {
      [](C4DWriter& w) { w.Int8(-1); },
      [](C4DWriter& w) { w.UInt8(2); },
      [](C4DWriter& w) { w.Int16(-3); },
      [](C4DWriter& w) { w.UInt16(4); },
      [](C4DWriter& w) { w.Int32(5); },
      [](C4DWriter& w) { w.UInt32(6); },
      [](C4DWriter& w) { w.Int64(-7); },
      [](C4DWriter& w) { w.UInt64(8); },
      [](C4DWriter& w) { w.Float32(0.5f); },
      [](C4DWriter& w) { w.Float64(0.25); },
      [](C4DWriter& w) { w.Bool(true); },
      [](C4DWriter& w) { w.Time(3, 6); },
      [](C4DWriter& w) { w.Vec({1, 2, 3}); },
      [](C4DWriter& w) { w.Vec64(1, 2, 3); },
      [](C4DWriter& w) { w.Mat(Matrix()); },
      [](C4DWriter& w) { w.Mat64(matrix64); },
      [](C4DWriter& w) { w.Memory({1, 2, 3}); },
      [](C4DWriter& w) { w.Private({4, 5}); },
      [](C4DWriter& w) { w.Str("name"); },
      [](C4DWriter& w) { w.Filename("file"); },
      [](C4DWriter& w) { ContainerSpec(9).Int(1, 1).Vec(2, {1, 1, 1}).Sub(3, ContainerSpec(4).Str(1, "x")).WriteOlder(w); },
      [](C4DWriter& w) { w.VectorArray({{1, 2, 3}}); },
      [](C4DWriter& w) { w.PolygonArray({{0, 1, 2, 3}}); },
      [](C4DWriter& w) { w.PolygonArray({{0, 1, 2, 2}}, true); },
      [](C4DWriter& w) { w.UInt16Array({1, 2, 3}); },
      [](C4DWriter& w) { w.GoalRecord(1); },
      [](C4DWriter& w) { w.LinkRecord(1); },
  };
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
