// Scene layers as leaves of the host's layer table, found again by later
// imports, and host errors while a layer is built.
#include <string>

#include "import_fixture.h"

namespace {

struct Leaf {
  unsigned id;
  std::string longName;
  std::string shortName;
  std::vector<std::string> path;
  int config;
  bool operator==(const Leaf&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Leaf& leaf) {
  out << leaf.id << " " << leaf.longName << "/" << leaf.shortName << " config " << leaf.config << " in";
  for (const std::string& name : leaf.path) out << " " << name;
  return out;
}

std::vector<Leaf> Leaves() {
  std::vector<Leaf> leaves;
  for (const standin::LayerLeafEntry& entry : standin::ListLayerLeaves()) {
    leaves.push_back({entry.leaf->Id(), entry.leaf->LongName(), entry.leaf->ShortName(), entry.path,
                      int(entry.leaf->LayerConfigurationSetting())});
    EXPECT_TRUE(entry.leaf->UserDefinedLayerDef() && entry.leaf->StyleDef()) << entry.leaf->LongName();
  }
  return leaves;
}

std::vector<unsigned> Layers(const HostObjects& objects) {
  std::vector<unsigned> layers;
  for (const auto& object : objects) layers.push_back(LayerOf(object));
  return layers;
}

// Building holds Walls, which holds Windows; Site is hidden, Walls locked.
SceneSpec LayeredScene() {
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

using LayerConstruction = ImportTest;

TEST_F(LayerConstruction, LayersBecomeLeavesUnderTheFileNodeAndASecondImportReusesThem) {
  standin::SetActiveLayer(9);
  const std::string path = WriteScene(LayeredScene(), "house.c4d");
  const std::vector<std::string> node = {"Cinema4D", "house.c4d"};
  const std::vector<Leaf> expected = {{1, "Building", "Building", node, 0},
                                      {2, "Walls", "Walls", node, 1},
                                      {3, "Windows", "Windows", node, 0},
                                      {4, "Site", "Site", node, 2}};
  EXPECT_EQ(Layers(Import(path)), (std::vector<unsigned>{2, 4, 9, 3}));
  EXPECT_EQ(Leaves(), expected);
  EXPECT_EQ(standin::SaveTableCount(), 4u) << "saved once per new leaf";
  EXPECT_EQ(Layers(Import(path)), (std::vector<unsigned>{2, 4, 9, 3}));
  EXPECT_EQ(Leaves(), expected);
  EXPECT_EQ(standin::SaveTableCount(), 4u) << "nothing new: nothing saved";
}

TEST_F(LayerConstruction, HostErrorsAreReportedAndTheImportGoesOn) {
  standin::FailCreateObj("CQEL_ResourceLayerLeaf", 2);  // Walls, in the counting pass only
  const HostObjects objects = Import(WriteScene(LayeredScene(), "house.c4d"));
  std::vector<standin::BoxRecord> reports = m_ui.BoxesOfKind(standin::BoxKind::Report);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].caption, "Tessaro");
  EXPECT_EQ(reports[0].title, "An error occured during layer construction");
  for (const char* part : {"CQEL_NullReferenceException", "CQEL_ResourceLayerLeaf", "189"}) {
    EXPECT_NE(reports[0].text.find(part), std::string::npos) << reports[0].text;
  }
  EXPECT_EQ(reports[0].resourceModule, "Orbek_KVT_Controls");
  EXPECT_EQ(Leaves().size(), 4u) << "the converting pass built the leaf";
  EXPECT_EQ(Layers(objects), (std::vector<unsigned>{4, 3, 0, 2})) << "Walls got its leaf last";

}

}  // namespace
