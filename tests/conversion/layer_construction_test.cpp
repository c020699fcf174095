// Scene layers as leaves of the host's layer table, found again by later
// imports, and host errors while a layer is built.
#include <string>

#include "import_fixture.h"

namespace {

class LayerConstruction : public ImportTest {
 protected:
  struct Leaf {
    unsigned id;
    std::string longName;
    std::string shortName;
    std::vector<std::string> path;
    int config;
    bool operator==(const Leaf&) const = default;
  };
  friend std::ostream& operator<<(std::ostream& out, const Leaf& leaf) {
    out << leaf.id << " " << leaf.longName << "/" << leaf.shortName << " config " << leaf.config << " in";
    for (const std::string& name : leaf.path) out << " " << name;
    return out;
  }

  static std::vector<Leaf> Leaves() {
    std::vector<Leaf> leaves;
    for (const standin::LayerLeafEntry& entry : standin::ListLayerLeaves()) {
      leaves.push_back({entry.leaf->Id(), entry.leaf->LongName(), entry.leaf->ShortName(), entry.path,
                        int(entry.leaf->LayerConfigurationSetting())});
    }
    return leaves;
  }

  // Building holds Walls, which holds Windows; Site is hidden, Walls locked.
  static SceneSpec LayeredScene() {
    SceneSpec scene;
    LayerSpec walls = LayerSpec::Named("Walls", 2).Child(LayerSpec::Named("Windows", 3));
    walls.flags[3] = 1;
    LayerSpec site = LayerSpec::Named("Site", 4);
    site.flags[0] = 0;
    site.flags[3] = 1;
    scene.layers = {LayerSpec::Named("Building", 1).Child(walls), site};
    scene.objects = {Triangle("Wall").OnLayer(2), SplineWith("Fence", {{0, 0, 0}, {1, 0, 0}}, 0, false).OnLayer(4),
                     Triangle("Loose"), Triangle("Pane").OnLayer(3)};
    return scene;
  }
};

TEST_F(LayerConstruction, LayersBecomeLeavesUnderTheFileNodeAndObjectsCarryTheirIds) {
  standin::SetActiveLayer(9);
  const HostObjects objects = Import(WriteScene(LayeredScene(), "house.c4d"));
  const std::vector<std::string> path = {"Cinema4D", "house.c4d"};
  EXPECT_EQ(Leaves(), (std::vector<Leaf>{{1, "Building", "Building", path, 0},
                                         {2, "Walls", "Walls", path, 1},
                                         {3, "Windows", "Windows", path, 0},
                                         {4, "Site", "Site", path, 2}}));
  EXPECT_EQ(standin::SaveTableCount(), 4u) << "saved once per new leaf";
  for (const standin::LayerLeafEntry& entry : standin::ListLayerLeaves()) {
    EXPECT_TRUE(entry.leaf->UserDefinedLayerDef());
    EXPECT_TRUE(entry.leaf->StyleDef());
  }
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(LayerOf(objects[0]), 2u);
  EXPECT_EQ(LayerOf(objects[1]), 4u);
  EXPECT_EQ(LayerOf(objects[2]), 9u) << "no layer: the host's active one";
  EXPECT_EQ(LayerOf(objects[3]), 3u);
}

TEST_F(LayerConstruction, SecondImportOfTheSameFileReusesEveryLeafAndSavesNothing) {
  const std::string path = WriteScene(LayeredScene(), "house.c4d");
  Import(path);
  const std::vector<Leaf> afterFirst = Leaves();
  const unsigned saves = standin::SaveTableCount();
  const HostObjects objects = Import(path);
  EXPECT_EQ(Leaves(), afterFirst);
  EXPECT_EQ(standin::SaveTableCount(), saves);
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(LayerOf(objects[0]), 2u);
  EXPECT_EQ(LayerOf(objects[3]), 3u);
}

TEST_F(LayerConstruction, NamesAreCutToTheirLengths) {
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Seventeen chars!!", 1), LayerSpec::Named("Roof", 2)};
  Import(WriteScene(scene, "a_scene_file_whose_name_is_longer.c4d"));
  const std::vector<std::string> path = {"Cinema4D", "a_scene_file_whose_name_is_l"};
  EXPECT_EQ(Leaves(), (std::vector<Leaf>{{1, "Seventeen chars!!", "Seventee", path, 0}, {2, "Roof", "Roof", path, 0}}));
}

TEST_F(LayerConstruction, LayerFoundOnlyByItsShortNameGetsALeafOfItsOwn) {
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Building A", 1), LayerSpec::Named("Building B", 2),
                  LayerSpec::Named("Building C", 3)};
  scene.objects = {Triangle("A").OnLayer(1), Triangle("B").OnLayer(2)};
  const std::string path = WriteScene(scene);
  const HostObjects objects = Import(path);
  const std::vector<std::string> node = {"Cinema4D", "scene.c4d"};
  const std::vector<Leaf> expected = {{1, "Building A", "Building", node, 0},
                                      {2, "Building B", "Buildi~1", node, 0},
                                      {3, "Building C", "Buildi~2", node, 0}};
  EXPECT_EQ(Leaves(), expected);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(LayerOf(objects[1]), 2u);
  Import(path);
  EXPECT_EQ(Leaves(), expected) << "found again by their long names";
}

// Many layers agreeing in their first characters: each still gets the
// smallest suffix that is free at its turn, around a leaf the user made and
// a leaf whose creation failed (its suffix goes to the next layer).
TEST_F(LayerConstruction, SuffixedShortNamesAreTheSmallestFreeOnes) {
  const CQEL_SmartPtr<CQEL_ResourceLayerTable> table =
      CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer());
  const CQEL_SmartPtr<CQEL_ResourceLayerNode> mine = CQEL_ResourceLayerNode::CreateObj();
  mine->LongName("Mine");
  table->AddNewLayerNode(mine);
  const CQEL_SmartPtr<CQEL_ResourceLayerLeaf> user = CQEL_ResourceLayerLeaf::CreateObj();
  user->Id(7);
  user->ShortName("Buildi~2");
  user->LongName("Users own");
  mine->AddNewLayerLeaf(user);
  standin::FailCreateObj("CQEL_ResourceLayerLeaf", 2);  // B's leaf, in the counting pass

  SceneSpec scene;
  for (const char* name : {"Building A", "Building B", "Building C", "Building D"}) {
    scene.layers.push_back(LayerSpec::Named(name, 1 + scene.layers.size()));
  }
  Import(WriteScene(scene));
  std::vector<std::pair<std::string, std::string>> names;
  for (const Leaf& leaf : Leaves()) names.emplace_back(leaf.longName, leaf.shortName);
  EXPECT_EQ(names, (std::vector<std::pair<std::string, std::string>>{{"Users own", "Buildi~2"},
                                                                     {"Building A", "Building"},
                                                                     {"Building C", "Buildi~1"},
                                                                     {"Building D", "Buildi~3"},
                                                                     {"Building B", "Buildi~4"}}));
  EXPECT_EQ(m_ui.BoxesOfKind(standin::BoxKind::Report).size(), 1u);
}

TEST_F(LayerConstruction, HostErrorIsReportedAndTheImportGoesOn) {
  SceneSpec scene = LayeredScene();
  standin::FailCreateObj("CQEL_ResourceLayerLeaf", 2);  // Walls, in the counting pass only
  const HostObjects objects = Import(WriteScene(scene, "house.c4d"));
  const std::vector<standin::BoxRecord> reports = m_ui.BoxesOfKind(standin::BoxKind::Report);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].caption, "Tessaro");
  EXPECT_EQ(reports[0].title, "An error occured during layer construction");
  EXPECT_NE(reports[0].text.find("CQEL_NullReferenceException"), std::string::npos) << reports[0].text;
  EXPECT_NE(reports[0].text.find("CQEL_ResourceLayerLeaf"), std::string::npos) << reports[0].text;
  EXPECT_NE(reports[0].text.find("189"), std::string::npos) << reports[0].text;
  EXPECT_EQ(reports[0].resourceModule, "Orbek_KVT_Controls");
  EXPECT_EQ(objects.size(), 4u);
  EXPECT_EQ(Leaves().size(), 4u) << "the converting pass built the leaf";
  EXPECT_EQ(LayerOf(objects[0]), 4u) << "Walls got its leaf in the converting pass, after the others";
}

TEST_F(LayerConstruction, LayerFailingInBothPassesIsReportedTwiceAndItsObjectsGetLayerZero) {
  standin::SetActiveLayer(9);
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Broken", 1)};
  scene.objects = {Triangle("On broken").OnLayer(1)};
  standin::FailCreateObjAlways("CQEL_FileHandle");
  const HostObjects objects = Import(scene);
  const std::vector<standin::BoxRecord> reports = m_ui.BoxesOfKind(standin::BoxKind::Report);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].text.find("CQEL_FileHandle"), std::string::npos) << reports[0].text;
  EXPECT_TRUE(Leaves().empty());
  EXPECT_EQ(standin::SaveTableCount(), 0u);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(LayerOf(objects[0]), 0u) << "the layer kept the id it had: none";
}

}  // namespace
