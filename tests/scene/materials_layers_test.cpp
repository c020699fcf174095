// Materials (channel states by version, colour and transparency) and layers
// (defaults, data levels, nesting).
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

C4DMaterial* FirstMaterial(const LoadedScene& loaded) {
  return dynamic_cast<C4DMaterial*>(loaded.Materials().GetFirstMaterial());
}

MaterialSpec AllChannelsOn() {
  MaterialSpec m = MaterialSpec::Colored("All", 1, {1, 1, 1});
  m.channelStates.fill(1);
  return m;
}

int CountStates(const C4DMaterial& m) {
  int on = 0;
  for (int32_t s : m.channelStates) on += s;
  return on;
}

TEST(Material, TheFileVersionDecidesThirteenOrFourteenChannelStates) {
  struct Case {
    int32_t version;
    int32_t written;
    int expected;
  };
  for (Case c : {Case{9000, 14, 13}, Case{9000, 13, 13}, Case{9399, -1, 13}, Case{9400, -1, 14},
                 Case{kSceneVersionCurrent, -1, 14}}) {
    SceneSpec scene;
    scene.version = c.version;
    scene.materials.push_back(AllChannelsOn());
    scene.materials.back().channelsWritten = c.written;
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.loaded) << c.version;
    C4DMaterial* m = FirstMaterial(loaded);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(CountStates(*m), c.expected) << c.version;
    EXPECT_EQ(m->GetChannelState(-1), c.expected == 14 ? 1 : 0);
  }
}

TEST(Material, OldFilesCarryTwelveStatesAtLevelZeroAndThirteenAbove) {
  for (int32_t level : {0, 1, 4}) {
    SceneSpec scene;
    scene.version = kSceneVersionOld;
    scene.materials.push_back(AllChannelsOn());
    scene.materials.back().oldLevel = level;
    scene.materials.back().node.name = "Old";
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.loaded) << level << " error " << loaded.error;
    C4DMaterial* m = FirstMaterial(loaded);
    EXPECT_EQ(CountStates(*m), level >= 1 ? 13 : 12) << level;
    EXPECT_EQ(NameOf(m), "Old");  // old files name the material in its base chunk too
  }
}

TEST(Material, ColourAndTransparencyComeFromTheContainerWithDefaults) {
  SceneSpec scene;
  scene.materials.push_back(MaterialSpec::Transparent("Glass", 1, {1, 0, 0}, 0.5f));
  MaterialSpec plain;
  plain.node.name = "Plain";
  scene.materials.push_back(plain);
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  C4DMaterial* glass = FirstMaterial(loaded);
  EXPECT_EQ(glass->GetChannelState(CHANNEL_COLOR), 1);
  EXPECT_EQ(glass->GetChannelState(CHANNEL_TRANSPARENCY), 1);
  EXPECT_EQ(glass->GetChannelState(1), 0);
  EXPECT_FLOAT_EQ(glass->GetColor().x, 1.0f);
  EXPECT_FLOAT_EQ(glass->GetTransparency(), 0.5f);
  auto* other = dynamic_cast<C4DMaterial*>(glass->GetNextInList());
  ASSERT_NE(other, nullptr);
  EXPECT_FLOAT_EQ(other->GetColor().y, 0.0f);
  EXPECT_FLOAT_EQ(other->GetTransparency(), 0.0f);
  EXPECT_EQ(other->typeId, 5703);
}

TEST(Material, ChannelQueriesOutsideTheChannelsAnswerZero) {
  C4DMaterial m;
  for (int32_t& s : m.channelStates) s = 1;
  EXPECT_EQ(m.GetChannelState(12), 1);
  EXPECT_EQ(m.GetChannelState(-1), 1);
  EXPECT_EQ(m.GetChannelState(13), 0);
  EXPECT_EQ(m.GetChannelState(-2), 0);
}

TEST(Layer, WithoutDataItKeepsItsDefaults) {
  SceneSpec scene;
  scene.layers.push_back(LayerSpec::Named("Plain", 1));
  scene.layers.back().writeData = false;
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseLayer* l = loaded.Layers().GetFirstLayer();
  ASSERT_NE(l, nullptr);
  const int32_t flags[] = {l->layerFlag0, l->layerFlag1, l->layerFlag2, l->layerFlag3, l->layerFlag4,
                           l->layerFlag5, l->layerFlag6, l->layerFlag7, l->layerFlag8};
  const int32_t expected[] = {1, 1, 1, 0, 1, 1, 1, 1, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(flags[i], expected[i]) << "flag " << i;
  EXPECT_FLOAT_EQ(l->layerColor.z, 1.0f);
  EXPECT_EQ(l->typeId, LAYER_TYPE);
  EXPECT_EQ(l->Execute(), 1);
}

TEST(Layer, DataLevelZeroReadsEightFlagsAndTheColourButNotTheNinth) {
  for (int32_t level : {0, 1}) {
    SceneSpec scene;
    LayerSpec layer = LayerSpec::Named("L", 1);
    layer.flags = {0, 1, 0, 1, 0, 1, 0, 1};
    layer.flag8 = 1;
    layer.color = {0.1f, 0.2f, 0.3f};
    layer.dataLevel = level;
    scene.layers.push_back(layer);
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.loaded);
    C4DBaseLayer* l = loaded.Layers().GetFirstLayer();
    EXPECT_EQ(l->layerFlag0, 0);
    EXPECT_EQ(l->layerFlag3, 1);
    EXPECT_EQ(l->layerFlag7, 1);
    EXPECT_FLOAT_EQ(l->layerColor.y, 0.2f);
    EXPECT_EQ(l->layerFlag8, level >= 1 ? 1 : 0);
  }
}

TEST(Layer, ChildLayersHangBelowTheirParentAndObjectsFindTheirLayer) {
  SceneSpec scene;
  scene.layers.push_back(LayerSpec::Named("Building", 1)
                             .Child(LayerSpec::Named("Walls", 2).Child(LayerSpec::Named("Brick", 3)))
                             .Child(LayerSpec::Named("Roof", 4)));
  scene.layers.push_back(LayerSpec::Named("Site", 5));
  scene.objects = {ObjectSpec::Null("Wall").OnLayer(3), ObjectSpec::Null("Free")};
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  ASSERT_EQ(loaded.Layers().GetCount(), 2);
  C4DBaseLayer* building = loaded.Layers().GetFirstLayer();
  EXPECT_EQ(building->GetParentLayer(), nullptr);
  ASSERT_NE(building->childLayers, nullptr);
  ASSERT_EQ(building->childLayers->GetCount(), 2);
  C4DBaseLayer* walls = building->childLayers->GetFirstLayer();
  EXPECT_EQ(walls->GetParentLayer(), building);
  C4DBaseLayer* brick = walls->childLayers->GetFirstLayer();
  EXPECT_EQ(NameOf(brick), "Brick");
  EXPECT_EQ(brick->GetParentLayer(), walls);
  EXPECT_EQ(loaded.Object(0)->GetLayer(), brick);
  EXPECT_EQ(loaded.Object(1)->GetLayer(), nullptr);
}

TEST(Layer, ChunksOtherThanLayersInALayerListAreSkipped) {
  auto bytes = DocumentWith(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    w.StartChunk(scene_chunk::kLayers, 0).StartChunk(scene_chunk::kList, 0);
    w.StartChunk(100004802, 0).StartChunk(scene_chunk::kBaseList, 0).EndChunk().EndChunk();
    s.Layer(LayerSpec::Named("Kept", 1));
    w.EndChunk().EndChunk();
  });
  LoadedScene loaded(bytes);
  ASSERT_TRUE(loaded.loaded);
  ASSERT_EQ(loaded.Layers().GetCount(), 1);
  EXPECT_EQ(NameOf(loaded.Layers().GetFirstLayer()), "Kept");
}

}  // namespace
