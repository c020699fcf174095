// Whole results against recorded ones: each scene of the table loaded into
// the scene model (as `c4dimport scene --json` prints it) and imported
// through the module (as `import --json` prints it) must give exactly what
// tests/golden holds for it. The recordings were checked by hand when they
// were made; a change to them shows as a diff in review. To record them
// anew after an intended change: C4D_RECORD_GOLDEN=1 tool_tests --gtest_filter='Golden*'
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "../hardening/hardening_util.h"
#include "import_fixture.h"
#include "import_run.h"
#include "../hardening/scene_compare.h"

namespace {

using nlohmann::json;

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
// id taken twice; a document without a header.
SceneSpec Links(bool objectsFirst) {
  SceneSpec scene;
  scene.objectsFirst = objectsFirst;
  scene.materials = {MaterialSpec::Colored("Red", 11, {1, 0, 0}), MaterialSpec::Colored("Blue", 12, {0, 0, 1}),
                     MaterialSpec::Colored("First", 7, {1, 0, 0}), MaterialSpec::Colored("Second", 7, {0, 1, 0})};
  scene.layers = {LayerSpec::Named("Layer", 21)};
  scene.objects = {Mesh("A").WithTexture(12).OnLayer(21), Mesh("B").WithTexture(12), Mesh("C").WithTexture(404).OnLayer(404),
                   Mesh("Twice").WithTexture(7)};
  return scene;
}

std::vector<NamedScene> GoldenScenes() {
  std::vector<NamedScene> scenes = ScenesToDamage();
  SceneSpec headless = SceneOf({Mesh("N").At({1, 2, 3})}, kSceneVersionOld);
  headless.writeHeader = false;
  headless.useMarkedCaches = true;
  SceneSpec unmarkedHeader = Traversal(true);
  unmarkedHeader.headerLevel = 0;
  for (auto& [name, scene] : {std::pair{"placements", Placements()}, {"object levels", ObjectLevels()},
                              {"kinds", Kinds()}, {"styles", Styles()}, {"tags and layers", TagsAndLayers()},
                              {"traversal", Traversal(false)}, {"traversal marked", Traversal(true)},
                              {"traversal header level 0", unmarkedHeader}, {"links", Links(false)},
                              {"links objects first", Links(true)}, {"no header", headless}}) {
    scenes.push_back({name, WriteScene(scene)});
  }
  return scenes;
}

class Golden : public ImportTest, public testing::WithParamInterface<NamedScene> {
 protected:
  // `text` against the recording `name` (recorded instead when asked to).
  void Expect(const std::string& name, const json& got) {
    const std::string path = std::string(C4D_GOLDEN_DIR) + "/" + name;
    if (std::getenv("C4D_RECORD_GOLDEN")) {
      std::ofstream(path) << got.dump(1) << "\n";
      return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "no recording " << path;
    const json recorded = json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(got, recorded) << name << " differs: " << json::diff(recorded, got).dump().substr(0, 2000);
  }
};

TEST_P(Golden, SceneAndImportAsRecorded) {
  const std::string name = SceneName(testing::TestParamInfo<NamedScene>(GetParam(), 0));
  const std::string path = WriteFile(GetParam().bytes, name + ".c4d");
  LoadedScene loaded(GetParam().bytes);
  Expect(name + ".scene.json", json::parse(SceneText(loaded.document)));
  c4dimport::ImportOptions options;
  options.ui = &m_ui;
  json imported = json::parse(c4dimport::ResultJson(c4dimport::ImportFile(path, options)));
  imported["file"] = name + ".c4d";  // not the test's folder
  Expect(name + ".import.json", imported);
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden, testing::ValuesIn(GoldenScenes()), SceneName);

}  // namespace
