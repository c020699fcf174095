// Whole results against recorded ones: each scene of the table loaded into
// the scene model (as `c4dimport scene --json` prints it) and imported
// through the module with the tool's steps after it (as `import --json`
// prints it) must give exactly what
// tests/golden holds for it. The recordings were checked by hand when they
// were made; a change to them shows as a diff in review. To record them
// anew after an intended change: C4D_RECORD_GOLDEN=1 tool_tests --gtest_filter='Scenes/Golden*'
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

#include "../hardening/hardening_util.h"
#include "import_fixture.h"
#include "convert_file.h"
#include "../hardening/scene_compare.h"

namespace {

using nlohmann::json;

// A recording as text: arrays of plain values (a point, a face, flags) on
// one line, the rest one member a line, so that a diff shows whole points.
std::string Recorded(const json& j, const std::string& pad = "\n") {
  const auto plain = [](const json& e) { return !e.is_structured(); };
  if (j.empty() || !j.is_structured() || (j.is_array() && std::all_of(j.begin(), j.end(), plain))) return j.dump();
  std::string out(1, j.is_array() ? '[' : '{');
  for (auto it = j.begin(); it != j.end(); ++it) {
    out.append(it == j.begin() ? "" : ",").append(pad).append(" ");
    if (j.is_object()) out.append(json(it.key()).dump()).append(": ");
    out.append(Recorded(*it, pad + " "));
  }
  return out.append(pad).append(1, j.is_array() ? ']' : '}');
}

// A triangle placed by its name, so that the import shows which it is.
ObjectSpec Mesh(const std::string& name) {
  int x = 0;
  for (char c : name) x = (x * 31 + c) % 1000;
  return Triangle(name).At({float(x), 0, 0});
}

// A mesh under a grandparent moved and scaled, a parent moved and turned a
// quarter about z; a mesh under one turned 90 degrees; coordinates of -0.
SceneSpec Placements() {
  ObjectSpec pivot = ObjectSpec::Null("Pivot").At({0, 0, 3});
  pivot.axis.xAxis = {0, 1, 0};
  pivot.axis.yAxis = {-1, 0, 0};
  pivot.Child(ObjectSpec::Polygon("Mesh", {{1, 2, 3}, {0, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).At({0.5f, 0, 0}));
  ObjectSpec parent = ObjectSpec::Null("P").At({0, 5, 0}).Scaled({1, 1, 3}).Child(Mesh("C").At({1, 0, 0}));
  return SceneOf({ObjectSpec::Null("Root").At({1, 0, 0}).Scaled({2, 2, 2}).Child(pivot),
                  ObjectSpec::Null("G").At({10, 0, 0}).RotatedZ(90).Scaled({2, 2, 2}).Child(parent),
                  ObjectSpec::Polygon("Tiny", {{-2e-13f, -0.0f, -5e-14f}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}})
                      .At({-0.0f, -0.0f, -0.0f})});
}

// The object chunk at levels 0, 1, 2 and 5 (colour from 1, its switch from
// 2), and an object without one; a bent and a flat quadrangle and a point
// no polygon uses.
SceneSpec ObjectLevels() {
  SceneSpec scene;
  for (int32_t level : {0, 1, 2, 5}) {
    ObjectSpec o = Mesh("Level " + std::to_string(level)).At({1, 2, 3}).Scaled({2, 3, 4}).Colored({0.5f, 0.25f, 0});
    o.objectLevel = level;
    scene.objects.push_back(o);
  }
  ObjectSpec bare = ObjectSpec::Polygon("Bare", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f}, {0, 0, 2}, {1, 0, 2},
                                                 {1, 1, 2}, {0, 1, 2}, {9, 9, 9}}, {{0, 1, 2, 3}, {4, 5, 6, 7}});
  bare.writeObjectChunk = false;
  scene.objects.push_back(bare);
  return scene;
}

// Splines open and closed, of one point, a line object, another mode, one
// whose data chunk leaves it without points; data types known and unknown.
SceneSpec Kinds() {
  const std::vector<Vector> four = {{0, 0, 0}, {1, 0, 0}, {1, 2, 3}, {0, 1, 0}};
  ObjectSpec line = SplineWith("Line", four, 0, false), replaced = ObjectSpec::Spline("Replaced", four, false);
  line.typeId = 5137;
  replaced.dataTypeId = 5101;
  return SceneOf({SplineWith("Open", four, 0, false), SplineWith("Closed", four, 0, true),
                  SplineWith("One", {{1, 1, 1}}, 0, false), SplineWith("One closed", {{1, 1, 1}}, 0, true), line,
                  SplineWith("Bezier", four, 2, false), replaced, ObjectSpec::Plugin("Cam", 5103),
                  ObjectSpec::Plugin("Odd", 4242).Fallback(Mesh("Odd's cache")), ObjectSpec::Plugin("Cube", 5159)});
}

// Colour and surface of each object: its own colour, or its nearest
// material's colour, transparency and channels.
SceneSpec Styles() {
  MaterialSpec transparencyOff = MaterialSpec::Transparent("", 0, {0, 1, 0}, 0.5f), noChannel = transparencyOff;
  transparencyOff.channelStates[2] = 0;
  noChannel.channelStates = {};
  const std::pair<ObjectSpec, std::optional<MaterialSpec>> cases[] = {
      {Mesh("Own").Colored({1, 0.5f, 0}), {}},
      {Mesh("Own above one").Colored({1.2f, 0, 0}), {}},
      {Mesh("Own wins").Colored({0, 0, 1}), MaterialSpec::Transparent("", 0, {1, 0, 0}, 0.5f)},
      {Mesh("Red glass"), MaterialSpec::Transparent("", 0, {1, 0, 0}, 0.5f)},
      {Mesh("Clear"), MaterialSpec::Transparent("", 0, {1, 1, 1}, 1)},
      {Mesh("Black"), MaterialSpec::Transparent("", 0, {0, 0, 0}, 0.5f)},
      {Mesh("Green"), MaterialSpec::Transparent("", 0, {0, 1, 0}, 0.5f)},
      {Mesh("Blue"), MaterialSpec::Transparent("", 0, {0, 0, 1}, 0.5f)},
      {Mesh("Grey"), MaterialSpec::Transparent("", 0, {0.5f, 0.5f, 0.5f}, 0.5f)},
      {Mesh("Faint"), MaterialSpec::Transparent("", 0, {1, 0, 0}, 0.13f)},
      {Mesh("Too faint"), MaterialSpec::Transparent("", 0, {1, 0, 0}, 0.1f)},
      {Mesh("Transparency off"), transparencyOff},
      {Mesh("No channel"), noChannel},
      {ObjectSpec::Null("Group").Child(ObjectSpec::Null("Inner").Child(Mesh("Leaf"))), MaterialSpec::Colored("", 0, {0, 0, 1})},
      {SplineWith("Edge", {{0, 0, 0}, {1, 0, 0}}, 0, false), MaterialSpec::Transparent("", 0, {1, 0, 0}, 0.5f)},
  };
  SceneSpec scene;
  for (auto [object, material] : cases) {
    if (material) {
      material->node.name = object.node.name + " paint";
      material->node.goalId = 100 + scene.materials.size();
      object.WithTexture(material->node.goalId);
      scene.materials.push_back(*material);
    }
    scene.objects.push_back(object);
  }
  return scene;
}

// Texture tags of levels 2, 3 and 6 and several on one object; layers with
// and without data, of data levels 0 and 1; empty names.
SceneSpec TagsAndLayers() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Red", 40, {1, 0, 0}), MaterialSpec::Colored("", 50, {0, 1, 0})};
  for (int32_t level : {2, 3, 6}) {
    TagSpec texture = TagSpec::Texture(40);
    texture.textureLevel = level;
    scene.objects.push_back(Mesh("Texture " + std::to_string(level)).WithTag(texture));
  }
  ObjectSpec several = Mesh("Several");
  several.tags.insert(several.tags.end(), {TagSpec::Segments({{4, true}}), TagSpec::Texture(40), TagSpec::Phong(),
                                           TagSpec::Texture(50), TagSpec::Phong()});
  scene.layers = {LayerSpec::Named("Plain", 1), LayerSpec::Named("Zero", 2), LayerSpec::Named("One", 3)};
  scene.layers[0].writeData = false;
  for (int32_t level : {0, 1}) {
    LayerSpec& layer = scene.layers[size_t(level) + 1];
    layer.flags = {0, 1, 0, 1, 0, 1, 0, 1};
    layer.flag8 = 1;
    layer.color = {0.1f, 0.2f, 0.3f};
    layer.dataLevel = level;
  }
  ObjectSpec unnamed = ObjectSpec::Spline("", {{0, 0, 0}, {1, 0, 0}}, false).WithTag(TagSpec::UVW({})).WithTexture(0);
  ObjectSpec nameless = ObjectSpec::Spline("", {{0, 0, 0}, {1, 0, 0}}, false);
  nameless.node.write = false;
  scene.objects.insert(scene.objects.end(), {several.OnLayer(1), Mesh("Zero").OnLayer(2), Mesh("One").OnLayer(3),
                                             unnamed, nameless, Mesh("")});
  return scene;
}

// Materials, then layers depth first, then objects with their caches: an
// override cache stands for its object, an object not dealt with gives its
// fallback cache; with marked caches only chains of marks are skipped.
SceneSpec Traversal(bool marked) {
  SceneSpec scene;
  scene.useMarkedCaches = marked;
  scene.objectsFirst = true;
  scene.objects = {Mesh("A").Child(Mesh("A1").Child(Mesh("A11"))).Child(Mesh("A2")),
                   Mesh("Deformed").Override(Mesh("Cache1")).Override(Mesh("Cache2")).Child(Mesh("Kid")),
                   ObjectSpec::Primitive("Cube", Mesh("CubeMesh")).Fallback(Mesh("Second")).Child(Mesh("Kid")),
                   ObjectSpec::Light("Lamp").Fallback(Mesh("NotVisited")),
                   ObjectSpec::Primitive("Plain", Mesh("PlainMesh").Bits(0x200)).Bits(0x200).Child(Mesh("Kid")),
                   ObjectSpec::Primitive("Over", Mesh("OverMesh").Bits(0x200).Override(Mesh("OverCache"))).Bits(0x200),
                   ObjectSpec::Primitive("Chain", Mesh("ChainMesh")).Bits(0x200)};
  scene.layers = {LayerSpec::Named("L1", 1).Child(LayerSpec::Named("L11", 2)), LayerSpec::Named("L2", 3)};
  scene.materials = {MaterialSpec::Colored("M1", 4, {}), MaterialSpec::Colored("M2", 5, {})};
  return scene;
}

// Links whose goals come before or after them, shared, missing, and a goal
// id taken twice; an id in all eight bytes, a goal behind the words of a
// node chunk; a document without a header.
SceneSpec Links(bool objectsFirst) {
  constexpr uint64_t kBlue = 0xB1000000000000B2;
  SceneSpec scene;
  scene.objectsFirst = objectsFirst;
  scene.materials = {MaterialSpec::Colored("Red", 11, {1, 0, 0}), MaterialSpec::Colored("Blue", kBlue, {0, 0, 1}),
                     MaterialSpec::Colored("First", 7, {1, 0, 0}), MaterialSpec::Colored("Second", 7, {0, 1, 0})};
  scene.layers = {LayerSpec::Named("Layer", 21)};
  scene.layers[0].node.nodeWords = 3;
  scene.objects = {Mesh("A").WithTexture(kBlue).OnLayer(21), Mesh("B").WithTexture(kBlue),
                   Mesh("C").WithTexture(404).OnLayer(404), Mesh("Twice").WithTexture(7)};
  return scene;
}

// What the summary counts: meshes without a face, points without polygons,
// splines of another mode, empty objects that are not counted, primitives and
// instances that count once and convert their caches, objects left out.
std::vector<std::pair<std::string, SceneSpec>> Summaries() {
  const std::vector<Vector> two = {{0, 0, 0}, {1, 0, 0}};
  ObjectSpec withoutData = SplineWith("Data replaced", two, 0, false);
  withoutData.dataTypeId = 5101;  // a data chunk of the spline's own type leaves it without data
  return {
      {"summary flat", SceneOf({ObjectSpec::Polygon("Flat", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                                    {{0, 0, 1, 1}, {4, 4, 5, 6}, {0, 1, 7, 7}})})},
      {"summary cloud and bezier", SceneOf({ObjectSpec::Polygon("Cloud", {{0, 0, 0}, {1, 1, 1}}, {}), SplineWith("Bezier", two, 2, false)})},
      {"summary empty", SceneOf({ObjectSpec::Polygon("Empty", {}, {}).Fallback(Mesh("Not visited")), Mesh("A")})},
      {"summary no points", SceneOf({SplineWith("No points", {}, 0, true), withoutData})},
      {"summary lights", SceneOf({ObjectSpec::Null("Group").Child(ObjectSpec::Light("Sun")).Child(ObjectSpec::Camera("Eye")),
                                  ObjectSpec::Light("Lamp").Fallback(Mesh("Not visited"))})},
      {"summary caches", SceneOf({ObjectSpec::Primitive("Cube", Mesh("Cache").Child(Mesh("Cache child"))),
                                  ObjectSpec::Instance("Copy", 0, Mesh("Instance cache")),
                                  ObjectSpec::Plugin("Unknown kind", 4711).Fallback(Mesh("Unknown's cache")),
                                  ObjectSpec::Plugin("Empty sphere", 5160), ObjectSpec::Plugin("Empty cone", 5162)})},
      {"summary left out", SceneOf({Mesh("Good"), ObjectSpec::Plugin("Sphere", 5160), SplineWith("Curve", two, 2, false),
                                    ObjectSpec::Polygon("Flat", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1, 1}, {2, 2, 2, 2}}),
                                    ObjectSpec::Light("Sun")})},
  };
}

// Primitives without caches rebuilt where the module placed and coloured a
// stored copy of the same cube; one with a cache; one too dense to rebuild.
SceneSpec Primitives() {
  auto placed = [](ObjectSpec o) { return o.At({5, 1, -2}).RotatedZ(30).Colored({0.2f, 0.4f, 0.6f}).OnLayer(20); };
  ObjectSpec copy = ObjectSpec::Polygon("Copy", {{-1, -2, -3}, {1, -2, -3}, {1, 2, -3}, {-1, 2, -3}, {-1, -2, 3}, {1, -2, 3}, {1, 2, 3}, {-1, 2, 3}},
                                        {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}});
  ObjectSpec cube = ObjectSpec::Plugin("Box", 5159), disc = ObjectSpec::Plugin("Disc", 5164), plane = ObjectSpec::Plugin("Dense", 5168);
  cube.node.data = ContainerSpec().Vec(1100, {2, 4, 6});
  disc.node.data = ContainerSpec().Real(1161, 3);
  plane.node.data = ContainerSpec().Int(1232, 100000).Int(1233, 100000);
  SceneSpec scene = SceneOf({placed(copy), placed(cube), ObjectSpec::Primitive("Cached", Mesh("Cache"), 5160),
                             ObjectSpec::Null("Group").Child(disc).Child(plane)});
  scene.layers.push_back(LayerSpec::Named("Site", 20));
  return scene;
}

// Material channel states: 13 below version 9400 however many are written,
// 14 from it on; the old layout's material chunk at level 4.
std::vector<std::pair<std::string, SceneSpec>> Channels() {
  std::vector<std::pair<std::string, SceneSpec>> scenes;
  for (const auto& [version, written, level] : {std::tuple{9000, 14, 1}, {9399, -1, 1}, {9400, -1, 1}, {7000, -1, 4}}) {
    SceneSpec scene = SceneOf({}, version);
    scene.materials = {MaterialSpec::Colored("All", 1, {1, 1, 1})};
    scene.materials[0].channelStates.fill(1);
    scene.materials[0].channelsWritten = written;
    scene.materials[0].oldLevel = level;
    scenes.push_back({"channels " + std::to_string(version) + " level " + std::to_string(level), scene});
  }
  return scenes;
}

// List chunks nested in an object list, and a wrapper (110063) that
// continues it: one flat list in file order.
NamedScene NestedLists() {
  return {"nested lists", WriteObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
            s.Object(ObjectSpec::Null("A"));
            s.Raw().StartChunk(scene_chunk::kList, 0);
            s.Object(ObjectSpec::Null("B"));
            s.Raw().StartChunk(scene_chunk::kList, 0);
            s.Object(ObjectSpec::Null("C"));
            s.Raw().EndChunk().StartChunk(110063, 0);
            s.Object(ObjectSpec::Null("D"));
            s.Raw().EndChunk().EndChunk();
            s.Object(ObjectSpec::Null("E"));
          })};
}

// Long names cut, short names that take the smallest free suffix.
SceneSpec LayerNames() {
  SceneSpec scene;
  for (const char* name : {"Seventeen chars!!", "Roof", "Building A", "Building B", "Building C"}) {
    scene.layers.push_back(LayerSpec::Named(name, 1 + scene.layers.size()));
  }
  scene.objects = {Mesh("A").OnLayer(3), Mesh("B").OnLayer(4)};
  return scene;
}

// An object chunk a list does not accept is skipped with its subtree;
// inside a list chunk 110100 the list goes on after it, directly in the
// object list it ends the document (before the materials and layers, when
// they come later).
std::vector<std::pair<std::string, SceneSpec>> Strangers() {
  ObjectSpec stranger = ObjectSpec::Null("Stranger").Child(Mesh("Inner"));
  stranger.typeId = 5140;
  SceneSpec wrapped = SceneOf({Mesh("Before").Child(stranger), stranger, Mesh("After")});
  wrapped.wrapLists = true;
  stranger.typeId = 5102;
  SceneSpec ended = SceneOf({Mesh("A"), stranger, Mesh("B")});
  ended.materials.push_back(MaterialSpec::Colored("M", 1, {1, 1, 1}));
  ended.layers.push_back(LayerSpec::Named("L", 2));
  SceneSpec endedFirst = ended;
  endedFirst.objectsFirst = true;
  return {{"stranger wrapped", wrapped}, {"stranger ends", ended}, {"stranger ends first", endedFirst}};
}

std::vector<NamedScene> GoldenScenes() {
  std::vector<NamedScene> scenes = ScenesToDamage();
  scenes.push_back(NestedLists());
  std::vector<std::pair<std::string, SceneSpec>> specs = Summaries();
  for (auto& named : Strangers()) specs.push_back(std::move(named));
  for (auto& named : Channels()) specs.push_back(std::move(named));
  SceneSpec headless = SceneOf({Mesh("N").At({1, 2, 3})}, kSceneVersionOld);
  headless.writeHeader = false;
  headless.useMarkedCaches = true;
  specs.insert(specs.end(), {{"placements", Placements()}, {"object levels", ObjectLevels()}, {"kinds", Kinds()},
                             {"styles", Styles()}, {"tags and layers", TagsAndLayers()}, {"traversal", Traversal(false)},
                             {"traversal marked", Traversal(true)},
                             {"links", Links(false)}, {"links objects first", Links(true)}, {"no header", headless},
                             {"primitives", Primitives()}, {"a scene file whose name is longer", LayerNames()}});
  for (const auto& [name, scene] : specs) scenes.push_back({name, WriteScene(scene)});
  return scenes;
}

class Golden : public ImportTest, public testing::WithParamInterface<NamedScene> {
 protected:
  // `got` against the recording `name` (recorded instead when asked to).
  void Expect(const std::string& name, const json& got) {
    const std::string path = std::string(C4D_GOLDEN_DIR) + "/" + name;
    if (std::getenv("C4D_RECORD_GOLDEN")) {
      std::ofstream(path) << Recorded(got) << "\n";
      return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "no recording " << path;
    json recorded = json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(got, recorded) << name << " differs: " << json::diff(recorded, got).dump().substr(0, 2000);
  }
};

TEST_P(Golden, SceneAndImportAsRecorded) {
  const std::string name = SceneName(testing::TestParamInfo<NamedScene>(GetParam(), 0));
  const std::string path = WriteFile(GetParam().bytes, name + ".c4d");
  LoadedScene loaded(GetParam().bytes);
  Expect(name + ".scene.json", json::parse(SceneText(loaded.document)));
  c4dimport::ConvertOptions options;  // as `c4dimport import --json` runs it
  options.import.ui = &m_ui;
  options.countingFigures = true;
  std::ostringstream out;
  c4dimport::WriteConversionJson(out, c4dimport::ConvertFile(path, options));
  json imported = json::parse(out.str());
  imported["file"] = name + ".c4d";  // not the test's folder
  if (name.starts_with("summary")) {
    // These check counts and reasons: the geometry of their meshes is another scene's business.
    for (json& object : imported["objects"]) object.erase("points"), object.erase("edges"), object.erase("faces");
  }
  Expect(name + ".import.json", imported);
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden, testing::ValuesIn(GoldenScenes()), SceneName);

}  // namespace
