// The node framework: base chunks at every level, name rules, lists nested in
// lists, and chunks that a list does not accept.
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

// A null object whose base-list chunk has the given level and carries a
// name, bits, a container entry, a goal and a layer link.
ObjectSpec RichNull(int32_t level) {
  ObjectSpec o = ObjectSpec::Null("Named").Bits(0x240).Goal(77).OnLayer(5);
  o.node.level = level;
  o.node.data.Int(1000, 42);
  return o;
}

class BaseListLevel : public ::testing::TestWithParam<int32_t> {};

TEST_P(BaseListLevel, ReadsEveryValueItsLevelCarries) {
  const int32_t level = GetParam();
  SceneSpec scene = SceneOf({RichNull(level), ObjectSpec::Instance("Ref", 77)});
  scene.layers.push_back(LayerSpec::Named("L", 5));
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded) << loaded.error;

  C4DBaseObject* named = loaded.Object(0);
  EXPECT_EQ(NameOf(named), "Named");
  EXPECT_EQ(named->nodeBits, 0x240);
  EXPECT_EQ(named->data.FindInt32(1000, 0), 42);
  // The goal travels at every level; the layer link from level 5 on.
  auto* instance = static_cast<C4DPluginObject*>(loaded.Object(1));
  EXPECT_EQ(static_cast<C4DInstanceObjectData*>(instance->objectData)->GetReference(), named);
  if (level >= 5) {
    EXPECT_EQ(NameOf(named->GetLayer()), "L");
  } else {
    EXPECT_EQ(named->GetLayer(), nullptr);
    EXPECT_FALSE(named->layerLink.IsBound());
  }
  EXPECT_EQ(named->auxData.First(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Levels, BaseListLevel, ::testing::Values(0, 1, 2, 3, 4, 5));

TEST(BaseList, SubChunkBlockIsSkippedAndAMarkerOtherThanOneEndsTheStep) {
  auto object = [](SceneWriter& s, int32_t marker) {
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0).StartChunk(scene_chunk::kBaseList, 5).Int32(0).Int32(0);
    ContainerSpec().WriteChunk(w);
    w.UInt8(0).Str("X").Int32(1);
    ContainerSpec().Int(7, 8).WriteChunk(w);  // the second container
    w.Int32(marker);
    if (marker == 1) {
      w.Int32(2);
      w.StartChunk(1, 0).Int32(5).StartChunk(2, 0).EndChunk().EndChunk();
      w.StartChunk(3, 1).Str("ignored").EndChunk();
    }
    w.Int32(9).Int32(2).Int32(1).Int32(2);  // the level-3 word, then two words
    w.LinkRecord(5).EndChunk().EndChunk();
  };
  for (int32_t marker : {1, 2}) {
    auto bytes = DocumentWith(kSceneVersionCurrent, [&](SceneWriter& s) {
      s.Raw().StartChunk(scene_chunk::kLayers, 0);
      s.Layer(LayerSpec::Named("L", 5));
      s.Raw().EndChunk().StartChunk(scene_chunk::kObjects, 0);
      object(s, marker);
      s.Raw().EndChunk();
    });
    LoadedScene loaded(bytes);
    ASSERT_TRUE(loaded.loaded) << "marker " << marker << " error " << loaded.error;
    EXPECT_EQ(loaded.Object(0)->auxData.FindInt32(7, 0), 8);
    EXPECT_EQ(NameOf(loaded.Object(0)->GetLayer()), "L") << "marker " << marker;
  }
}

TEST(NodeChunk, KeepsTheFirstTwoWordsAndReadsItsGoalFromLevelTwo) {
  for (int32_t level : {1, 2}) {
    auto bytes = ObjectsDocument(kSceneVersionCurrent, [&](SceneWriter& s) {
      s.Raw().StartChunk(5154, 0);
      s.NodeChunk({7, 8, 9, 10, 11}, 31, level);
      s.Raw().EndChunk();
      s.Raw().StartChunk(5154, 0);
      s.NodeChunk({}, 0, level);
      s.Raw().EndChunk();
      s.Object(ObjectSpec::Instance("Ref", 31));
    });
    LoadedScene loaded(bytes);
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.Object(0)->nodeWords[0], 7);
    EXPECT_EQ(loaded.Object(0)->nodeWords[1], 8);
    EXPECT_EQ(loaded.Object(1)->nodeWords[0], 0);
    auto* instance = static_cast<C4DPluginObject*>(loaded.Object(2));
    PrivateChunk* target = static_cast<C4DInstanceObjectData*>(instance->objectData)->GetReference();
    EXPECT_EQ(target, level >= 2 ? loaded.Object(0) : nullptr) << "level " << level;
  }
}

TEST(NameRules, EmptyNamesBecomeTheKindsDefaultOnlyAfterABaseListChunk) {
  SceneSpec scene;
  ObjectSpec spline = ObjectSpec::Spline("", {{0, 0, 0}}, false);
  spline.tags.push_back(TagSpec::UVW({}));
  spline.tags.push_back(TagSpec::Texture(0));
  ObjectSpec bare = ObjectSpec::Spline("", {}, false);
  bare.node.write = false;
  ObjectSpec plugin = ObjectSpec::Null("");
  scene.objects = {spline, bare, plugin};
  scene.materials.push_back(MaterialSpec::Colored("", 1, {1, 0, 0}));
  MaterialSpec named = MaterialSpec::Colored("Steel", 2, {1, 1, 1});
  scene.materials.push_back(named);
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);

  C4DBaseObject* first = loaded.Object(0);
  EXPECT_EQ(NameOf(first), "Spline");
  EXPECT_EQ(NameOf(first->GetTag(TAG_TYPE_UVW)), "UVW");
  EXPECT_EQ(NameOf(first->GetTag(TAG_TYPE_TEXTURE)), "Texture");
  EXPECT_EQ(NameOf(first->GetTag(TAG_TYPE_POINT)), "");
  EXPECT_EQ(NameOf(loaded.Object(1)), "");
  EXPECT_EQ(NameOf(loaded.Object(2)), "");
  EXPECT_EQ(NameOf(loaded.Materials().GetFirstMaterial()), "Mat");
  EXPECT_EQ(NameOf(loaded.Materials().GetFirstMaterial()->GetNextInList()), "Steel");
}

TEST(Lists, NodesInNestedListChunksEndUpInOneFlatListInFileOrder) {
  auto bytes = ObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    s.Object(ObjectSpec::Null("A"));
    w.StartChunk(scene_chunk::kList, 0);
    s.Object(ObjectSpec::Null("B"));
    w.StartChunk(scene_chunk::kList, 0);
    s.Object(ObjectSpec::Null("C"));
    w.EndChunk();
    w.StartChunk(110063, 0);  // a wrapper that continues the list as well
    s.Object(ObjectSpec::Null("D"));
    w.EndChunk();
    w.EndChunk();
    s.Object(ObjectSpec::Null("E"));
  });
  LoadedScene loaded(bytes);
  ASSERT_TRUE(loaded.loaded);
  std::string names;
  for (C4DBaseObject* o : loaded.Objects().Objects()) names += NameOf(o);
  EXPECT_EQ(names, "ABCDE");
}

TEST(Lists, AnUnacceptedObjectChunkIsSkippedWithItsWholeSubtree) {
  SceneSpec scene;
  scene.wrapLists = true;  // inside 110100 the list goes on after a skipped chunk
  ObjectSpec stranger = ObjectSpec::Null("Stranger").Child(ObjectSpec::Null("Inner"));
  stranger.typeId = 5140;
  scene.objects = {ObjectSpec::Null("Before").Child(stranger), stranger, ObjectSpec::Null("After")};
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(NameOf(loaded.Object(0)), "Before");
  EXPECT_EQ(loaded.Object(0)->childList->GetCount(), 0);
  EXPECT_EQ(NameOf(loaded.Object(1)), "After");
  EXPECT_EQ(loaded.Object(2), nullptr);
}

TEST(Lists, AChunkTheObjectListDoesNotAcceptEndsTheListsAndTheLoadStillSucceeds) {
  SceneSpec scene;
  ObjectSpec stranger = ObjectSpec::Null("Stranger");
  stranger.typeId = 5102;
  scene.objects = {ObjectSpec::Null("A"), stranger, ObjectSpec::Null("B")};
  scene.objectsFirst = true;  // the material and layer lists come after
  scene.materials.push_back(MaterialSpec::Colored("M", 1, {1, 1, 1}));
  scene.layers.push_back(LayerSpec::Named("L", 2));
  LoadedScene loaded(WriteScene(scene));
  EXPECT_TRUE(loaded.loaded);
  EXPECT_EQ(loaded.error, FILEERROR_NONE);
  EXPECT_EQ(loaded.Objects().GetCount(), 1);
  EXPECT_EQ(NameOf(loaded.Object(0)), "A");
  // B went to the document, which skipped it; the end of the object list
  // chunk then ended the document, before the other lists.
  EXPECT_TRUE(loaded.Materials().IsEmpty());
  EXPECT_TRUE(loaded.Layers().IsEmpty());
}

TEST(Lists, AnEmptyListChunkYieldsAnEmptyList) {
  LoadedScene loaded(WriteScene(SceneSpec{}));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(loaded.Objects().GetFirst(), nullptr);
  EXPECT_EQ(loaded.Materials().GetFirst(), nullptr);
  EXPECT_EQ(loaded.Layers().GetFirst(), nullptr);
}

TEST(Shaders, ShaderChunksOfANodeLandInItsShaderList) {
  auto bytes = ObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0).StartChunk(110131, 0);
    w.StartChunk(5707, 0).StartChunk(110064, 0).Int32(1011).Int32(0).Str("noise").EndChunk().EndChunk();
    w.StartChunk(scene_chunk::kList, 0).StartChunk(5707, 0).EndChunk().EndChunk();
    w.StartChunk(5708, 0).EndChunk();  // not a shader
    w.EndChunk().EndChunk();
  });
  LoadedScene loaded(bytes);
  ASSERT_TRUE(loaded.loaded);
  const C4DRootShader& shaders = loaded.Object(0)->shaders;
  ASSERT_EQ(shaders.GetCount(), 2);
  EXPECT_EQ(static_cast<C4DXBaseShader*>(shaders.GetFirst())->shaderKind, 1011);
  EXPECT_EQ(shaders.GetFirst()->typeId, 5707);
}

}  // namespace
