// The host's layer table: the tree, leaf ids, name lookups, saving, the file.
#include <filesystem>
#include <fstream>

#include "host_test_support.h"

namespace {

class LayerTableTest : public HostTest {
 protected:
  static CQEL_SmartPtr<CQEL_ResourceLayerTable> Table() {
    return CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer());
  }
  static CQEL_SmartPtr<CQEL_ResourceLayerNode> Node(const std::string& name) {
    CQEL_SmartPtr<CQEL_ResourceLayerNode> node = CQEL_ResourceLayerNode::CreateObj();
    node->LongName(name);
    return node;
  }
  static CQEL_SmartPtr<CQEL_ResourceLayerLeaf> Leaf(unsigned id, const std::string& longName,
                                                   const std::string& shortName) {
    CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf = CQEL_ResourceLayerLeaf::CreateObj();
    leaf->Id(id);
    leaf->ShortName(shortName);
    leaf->LongName(longName);
    return leaf;
  }
  std::string TempFile(const std::string& name) const {
    return (std::filesystem::temp_directory_path() /
            (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + name))
        .string();
  }
};

TEST_F(LayerTableTest, StartsEmptyWithActiveLayerZeroAndNextIdOne) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  ASSERT_FALSE(table.IsNull());
  EXPECT_TRUE(table->GetLayerNodes().empty());
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table), 1u);
  EXPECT_EQ(CQEL_Service_LayerResources::GetActiveLayer(), 0u);
  EXPECT_EQ(Table().Get(), table.Get()) << "the buffer hands out one table";
  EXPECT_TRUE(CQEL_Service_LayerResources::GetTable(nullptr).IsNull());
}

TEST_F(LayerTableTest, NextIdFollowsTheLargestLeafIdAnywhereInTheTree) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  table->AddNewLayerNode(top);
  CQEL_SmartPtr<CQEL_ResourceLayerNode> file = Node("house.c4d");
  top->AddNewLayerNode(file);
  file->AddNewLayerLeaf(Leaf(7, "Walls", "Walls"));
  file->AddNewLayerLeaf(Leaf(3, "Roof", "Roof"));
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table), 8u);
  table->GetLayerLeafByLongName("Walls")->Id(2);
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table), 4u) << "an id changed in place counts";
}

TEST_F(LayerTableTest, LeavesAreFoundByLongAndShortNameAtAnyDepth) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  CQEL_SmartPtr<CQEL_ResourceLayerNode> file = Node("house.c4d");
  top->AddNewLayerNode(file);
  file->AddNewLayerLeaf(Leaf(1, "Ground floor walls", "Ground f"));
  table->AddNewLayerNode(top);  // a subtree built first, added afterwards

  EXPECT_EQ(table->GetLayerLeafByLongName("Ground floor walls")->Id(), 1u);
  EXPECT_EQ(table->GetLayerLeafByShortName("Ground f")->Id(), 1u);
  EXPECT_TRUE(table->GetLayerLeafByLongName("Ground f").IsNull());
  EXPECT_TRUE(table->GetLayerLeafByShortName("Ground floor walls").IsNull());
  EXPECT_EQ(table->GetLayerNodeByLongName("Cinema4D").Get(), top.Get());
  EXPECT_TRUE(table->GetLayerNodeByLongName("house.c4d").IsNull()) << "only the table's own nodes";
  EXPECT_EQ(top->GetLayerNodeByLongName("house.c4d").Get(), file.Get());
}

TEST_F(LayerTableTest, RenamingALeafInTheTableMovesItInTheIndex) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  table->AddNewLayerNode(top);
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf = Leaf(1, "", "");
  top->AddNewLayerLeaf(leaf);  // named after it was added, as a module may do
  leaf->LongName("Doors");
  leaf->ShortName("Doors");
  EXPECT_EQ(table->GetLayerLeafByLongName("Doors").Get(), leaf.Get());
  EXPECT_TRUE(table->GetLayerLeafByLongName("").IsNull());
  top->LongName("Imported");
  EXPECT_EQ(table->GetLayerNodeByLongName("Imported").Get(), top.Get());
  EXPECT_TRUE(table->GetLayerNodeByLongName("Cinema4D").IsNull());
}

TEST_F(LayerTableTest, SharedNamesFindTheFirstLeafAdded) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  table->AddNewLayerNode(top);
  top->AddNewLayerLeaf(Leaf(4, "Furniture large", "Furnitur"));
  top->AddNewLayerLeaf(Leaf(5, "Furniture small", "Furnitur"));
  EXPECT_EQ(table->GetLayerLeafByShortName("Furnitur")->Id(), 4u);
}

TEST_F(LayerTableTest, AddingWhatIsAlreadyPlacedOrMissingThrowsAHostException) {
  CQEL_SmartPtr<CQEL_ResourceLayerTable> table = Table();
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  table->AddNewLayerNode(top);
  auto expectHostException = [](auto action) {
    try {
      action();
      ADD_FAILURE() << "no exception";
    } catch (CQEL_AppException* exception) {
      delete exception;
    }
  };
  expectHostException([&] { table->AddNewLayerNode(top); });
  expectHostException([&] { top->AddNewLayerNode(top); });
  expectHostException([&] { top->AddNewLayerNode(nullptr); });
  expectHostException([&] { top->AddNewLayerLeaf(nullptr); });
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf = Leaf(1, "A", "A");
  top->AddNewLayerLeaf(leaf);
  expectHostException([&] { top->AddNewLayerLeaf(leaf); });
}

TEST_F(LayerTableTest, SaveTableIsCountedAndWritesTheFileInUse) {
  CQEL_SmartPtr<CQEL_ResourceBuffer> buffer = CQEL_Service_TessaroResources::GetResourceBuffer();
  EXPECT_TRUE(CQEL_Service_LayerResources::SaveTable(buffer, Table()));
  EXPECT_EQ(standin::SaveTableCount(), 1u);

  const std::string path = TempFile("layers.json");
  std::filesystem::remove(path);
  ASSERT_TRUE(standin::UseLayerTableFile(path));
  EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is written before a save";
  Table()->AddNewLayerNode(Node("Cinema4D"));
  EXPECT_TRUE(CQEL_Service_LayerResources::SaveTable(buffer, Table()));
  EXPECT_EQ(standin::SaveTableCount(), 2u);
  EXPECT_TRUE(std::filesystem::exists(path + ".journal"));
  EXPECT_TRUE(standin::CloseLayerTableFile());
  EXPECT_TRUE(std::filesystem::exists(path));
  std::filesystem::remove(path);
}

TEST_F(LayerTableTest, FileKeepsTreeNamesIdsAndSettings) {
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Node("Cinema4D");
  Table()->AddNewLayerNode(top);
  CQEL_SmartPtr<CQEL_ResourceLayerNode> file = Node("house.c4d");
  top->AddNewLayerNode(file);
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> walls = Leaf(3, "Walls \"outer\"", "Walls \"o");
  walls->UserDefinedLayerDef(true);
  walls->LayerConfigurationSetting(QEL_LAYER_CONFIGURATION_HIDDEN);
  walls->StyleDef(CQEL_ResourceLineStyleLinkDef::CreateObj());
  file->AddNewLayerLeaf(walls);
  top->AddNewLayerLeaf(Leaf(9, "Loose", "Loose"));

  const std::string path = TempFile("roundtrip.json");
  ASSERT_TRUE(standin::WriteLayerTableFile(path));
  standin::ResetLayerTable();
  EXPECT_TRUE(standin::ListLayerLeaves().empty());
  std::string error;
  ASSERT_TRUE(standin::UseLayerTableFile(path, &error)) << error;

  const std::vector<standin::LayerLeafEntry> leaves = standin::ListLayerLeaves();
  ASSERT_EQ(leaves.size(), 2u);
  EXPECT_EQ(leaves[0].leaf->LongName(), "Loose") << "a node's own leaves come before its nodes";
  EXPECT_EQ(leaves[0].path, std::vector<std::string>{"Cinema4D"});
  const CQEL_SmartPtr<CQEL_ResourceLayerLeaf>& loaded = leaves[1].leaf;
  EXPECT_EQ(leaves[1].path, (std::vector<std::string>{"Cinema4D", "house.c4d"}));
  EXPECT_EQ(loaded->Id(), 3u);
  EXPECT_EQ(loaded->LongName(), "Walls \"outer\"");
  EXPECT_EQ(loaded->ShortName(), "Walls \"o");
  EXPECT_TRUE(loaded->UserDefinedLayerDef());
  EXPECT_EQ(loaded->LayerConfigurationSetting(), QEL_LAYER_CONFIGURATION_HIDDEN);
  EXPECT_FALSE(loaded->StyleDef().IsNull());
  EXPECT_TRUE(leaves[0].leaf->StyleDef().IsNull());
  EXPECT_EQ(Table()->GetLayerLeafByShortName("Walls \"o").Get(), loaded.Get()) << "loaded leaves are indexed";
  EXPECT_EQ(CQEL_Service_LayerResources::GetNextFreeLayerLeafId(Table()), 10u);
  std::filesystem::remove(path);
}

TEST_F(LayerTableTest, UnreadableFileGivesAnEmptyTableAndAReason) {
  const std::string path = TempFile("broken.json");
  for (const char* content : {"{\"nodes\": [", "[1, 2]", "{\"nodes\": [{\"leaves\": [{\"id\": -1}]}]}",
                              "{\"nodes\": [{\"leaves\": [{\"id\": 1, \"config\": 7}]}]}",
                              "{\"nodes\": [{\"long\": 5}]}"}) {
    std::ofstream(path) << content;
    Table()->AddNewLayerNode(Node("left over"));
    std::string error;
    EXPECT_FALSE(standin::UseLayerTableFile(path, &error)) << content;
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(Table()->GetLayerNodes().empty()) << content;
  }
  std::filesystem::remove(path);
}

TEST_F(LayerTableTest, DeeplyNestedFileIsRefused) {
  std::string content;
  for (int i = 0; i < 300; ++i) content += "{\"nodes\": [";
  content += "{}";
  for (int i = 0; i < 300; ++i) content += "]}";
  const std::string path = TempFile("deep.json");
  std::ofstream(path) << "{\"nodes\": [" << content << "]}";
  std::string error;
  EXPECT_FALSE(standin::UseLayerTableFile(path, &error));
  EXPECT_NE(error.find("nested"), std::string::npos) << error;
  std::filesystem::remove(path);
}

TEST_F(LayerTableTest, ResetForgetsTheTableTheFileAndTheSaves) {
  Table()->AddNewLayerNode(Node("Cinema4D"));
  CQEL_Service_LayerResources::SaveTable(CQEL_Service_TessaroResources::GetResourceBuffer(), Table());
  standin::SetActiveLayer(5);
  standin::ResetHost();
  EXPECT_TRUE(Table()->GetLayerNodes().empty());
  EXPECT_EQ(standin::SaveTableCount(), 0u);
  EXPECT_EQ(CQEL_Service_LayerResources::GetActiveLayer(), 0u);
}

}  // namespace
