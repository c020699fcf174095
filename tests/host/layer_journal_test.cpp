// The layer table file under a host that dies: what a save reported as saved
// is there when the file is next used, and nothing is there twice.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "qel_host.h"
#include "standin/host_control.h"

namespace {

CQEL_SmartPtr<CQEL_ResourceBuffer> Buffer() { return CQEL_Service_TessaroResources::GetResourceBuffer(); }
CQEL_SmartPtr<CQEL_ResourceLayerTable> Table() { return CQEL_Service_LayerResources::GetTable(Buffer()); }

// The host's work between two saves as the import does it: a leaf under
// "Cinema4D" / "scene.c4d", made on the first call, renamed on later ones.
void AddLeafAndSave(unsigned id) {
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = Table()->GetLayerNodeByLongName("Cinema4D");
  if (!top) {
    top = CQEL_ResourceLayerNode::CreateObj();
    top->LongName("Cinema4D");
    Table()->AddNewLayerNode(top);
    CQEL_SmartPtr<CQEL_ResourceLayerNode> file = CQEL_ResourceLayerNode::CreateObj();
    file->LongName("scene.c4d");
    top->AddNewLayerNode(file);
  }
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf = CQEL_ResourceLayerLeaf::CreateObj();
  leaf->Id(id);
  leaf->LongName(std::string("Layer ").append(std::to_string(id)));
  top->GetLayerNodeByLongName("scene.c4d")->AddNewLayerLeaf(leaf);
  leaf->ShortName(std::string("L").append(std::to_string(id)));  // a change after it joined the table
  ASSERT_TRUE(CQEL_Service_LayerResources::SaveTable(Buffer(), Table()));
}

std::vector<std::string> LeafNames() {
  std::vector<std::string> names;
  for (const standin::LayerLeafEntry& entry : standin::ListLayerLeaves()) {
    names.push_back(entry.leaf->LongName() + "/" + entry.leaf->ShortName() + "@" + entry.path.back());
  }
  return names;
}

class LayerJournalTest : public ::testing::Test {
 protected:
  std::string path = (std::filesystem::temp_directory_path() / ("layer-journal-" + std::to_string(getpid()))).string();
  void SetUp() override { standin::ResetHost(); }
  void TearDown() override {
    standin::ResetHost();
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".journal");
  }
  // Saves leaves `from` to `to` in a process of its own that is killed right after the last save.
  void SaveAndDie(unsigned from, unsigned to) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!standin::UseLayerTableFile(path)) _exit(2);
      for (unsigned id = from; id <= to; ++id) AddLeafAndSave(id);
      raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the host process ended on its own: " << status;
  }
};

TEST_F(LayerJournalTest, EverySaveSurvivesAKillAndIsFoldedOnce) {
  SaveAndDie(1, 3);
  EXPECT_TRUE(std::filesystem::exists(path + ".journal"));
  SaveAndDie(4, 5);  // replays the first journal, then journals on top of the folded table
  std::string error;
  ASSERT_TRUE(standin::UseLayerTableFile(path, &error)) << error;
  const std::vector<std::string> expected = {"Layer 1/L1@scene.c4d", "Layer 2/L2@scene.c4d", "Layer 3/L3@scene.c4d",
                                             "Layer 4/L4@scene.c4d", "Layer 5/L5@scene.c4d"};
  EXPECT_EQ(LeafNames(), expected);
  EXPECT_FALSE(std::filesystem::exists(path + ".journal")) << "folded when the file is used again";

  // A session that ends folds its journal; a stale journal (of an older
  // generation, left by a process that died while folding) is not replayed twice.
  AddLeafAndSave(6);
  std::filesystem::copy_file(path + ".journal", path + ".stale");
  ASSERT_TRUE(standin::CloseLayerTableFile(&error)) << error;
  std::filesystem::rename(path + ".stale", path + ".journal");
  ASSERT_TRUE(standin::UseLayerTableFile(path, &error)) << error;
  EXPECT_EQ(LeafNames().size(), 6u);
}

}  // namespace
