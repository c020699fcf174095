// The base-list chunk at every level (lists and links are recorded with the
// scenes in tests/golden).
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

class BaseListLevel : public ::testing::TestWithParam<int32_t> {};

// A null object whose base-list chunk has the given level and carries a
// name, bits, a container entry, a goal and a layer link.
TEST_P(BaseListLevel, ReadsEveryValueItsLevelCarries) {
  const int32_t level = GetParam();
  ObjectSpec named = ObjectSpec::Null("Named").Bits(0x240).Goal(77).OnLayer(5);
  named.node.level = level;
  named.node.data.Int(1000, 42);
  SceneSpec scene = SceneOf({named, ObjectSpec::Instance("Ref", 77)});
  scene.layers.push_back(LayerSpec::Named("L", 5));
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded) << loaded.error;
  C4DBaseObject* object = loaded.Object(0);
  EXPECT_EQ(NameOf(object), "Named");
  EXPECT_EQ(object->nodeBits, 0x240);
  EXPECT_EQ(object->data.FindInt32(1000, 0), 42);
  // The goal travels at every level; the layer link from level 5 on.
  EXPECT_EQ(DataOf<C4DInstanceObjectData>(loaded.Object(1))->GetReference(), object);
  EXPECT_EQ(NameOf(object->GetLayer()), level >= 5 ? "L" : "<null>");
  EXPECT_EQ(object->layerLink.IsBound(), level >= 5);
  EXPECT_EQ(object->auxData.First(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Levels, BaseListLevel, ::testing::Values(0, 1, 2, 3, 4, 5));

}  // namespace
