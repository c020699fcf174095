// The node framework: base chunks at every level, name rules, lists nested in
// lists, chunks that a list does not accept, and the alias links between
// nodes: pairing whatever the order, duplicate ids, damaged records, the
// registry's index, and links outliving the file object.
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

// What a document's lists hold: the object tree, then the counts of
// materials and layers.
std::string Lists(const std::vector<uint8_t>& bytes) {
  LoadedScene loaded(bytes);
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  return Tree(&loaded.Objects()) + " | " + std::to_string(loaded.Materials().GetCount()) + " " +
         std::to_string(loaded.Layers().GetCount());
}

TEST(Lists, NestedListChunksMakeOneFlatListInFileOrder) {
  EXPECT_EQ(Lists(WriteObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
              C4DWriter& w = s.Raw();
              s.Object(ObjectSpec::Null("A"));
              w.StartChunk(scene_chunk::kList, 0);
              s.Object(ObjectSpec::Null("B"));
              w.StartChunk(scene_chunk::kList, 0);
              s.Object(ObjectSpec::Null("C"));
              w.EndChunk().StartChunk(110063, 0);  // a wrapper that continues the list as well
              s.Object(ObjectSpec::Null("D"));
              w.EndChunk().EndChunk();
              s.Object(ObjectSpec::Null("E"));
            })),
            "A B C D E | 0 0");
}

}  // namespace
