// Alias links: pairing whatever the order, duplicate ids, damaged records,
// the registry's index, and links outliving the file object.
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

C4DBaseMaterial* MaterialOfTag(const C4DBaseObject* object) {
  auto* tag = static_cast<C4DTextureTag*>(object->GetTag(TAG_TYPE_TEXTURE));
  return tag ? tag->GetMaterial() : nullptr;
}

TEST(Links, ResolveWhetherTheGoalComesBeforeOrAfterAndAfterTheFileIsGone) {
  for (bool objectsFirst : {false, true}) {
    SceneSpec scene;
    scene.objectsFirst = objectsFirst;
    scene.materials = {MaterialSpec::Colored("Red", 11, {1, 0, 0}), MaterialSpec::Colored("Blue", 12, {0, 0, 1})};
    scene.layers = {LayerSpec::Named("Layer", 21)};
    scene.objects = {ObjectSpec::Null("A").WithTexture(12).OnLayer(21), ObjectSpec::Null("B").WithTexture(12),
                     ObjectSpec::Null("C").WithTexture(404).OnLayer(404)};
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.loaded);
    loaded.CloseFile();
    EXPECT_EQ(NameOf(MaterialOfTag(loaded.Object(0))), "Blue") << objectsFirst;
    EXPECT_EQ(MaterialOfTag(loaded.Object(1)), MaterialOfTag(loaded.Object(0)));
    EXPECT_EQ(NameOf(loaded.Object(0)->GetLayer()), "Layer");
    // Links that never met their goal stay unresolved once the registry is gone.
    EXPECT_EQ(MaterialOfTag(loaded.Object(2)), nullptr);
    EXPECT_EQ(loaded.Object(2)->GetLayer(), nullptr);
  }
}

TEST(Links, OfTwoGoalsWithOneIdTheLastReadTakesTheLinks) {
  SceneSpec scene;
  scene.objectsFirst = true;  // links before, between and after the goals
  scene.materials = {MaterialSpec::Colored("First", 7, {1, 0, 0}), MaterialSpec::Colored("Second", 7, {0, 1, 0})};
  scene.objects = {ObjectSpec::Null("Early").WithTexture(7)};
  SceneSpec after = scene;
  after.objectsFirst = false;
  for (const SceneSpec& s : {scene, after}) {
    LoadedScene loaded(WriteScene(s));
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(NameOf(MaterialOfTag(loaded.Object(0))), "Second");
    EXPECT_EQ(loaded.Materials().GetFirst()->goal.GetLinkCount(), 0);
  }
}

// An object whose container links to its own goal id, then a node chunk with
// the given goal record bytes (none when empty).
std::vector<uint8_t> SelfLinkedObject(const std::vector<uint8_t>& laterGoalRecord) {
  return ObjectsDocument(kSceneVersionCurrent, [&](SceneWriter& s) {
    ObjectSpec o = ObjectSpec::Instance("Self", 5);
    o.Goal(5);
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0);
    s.BaseList(o.node);
    s.DataChunk(o);
    w.StartChunk(scene_chunk::kNode, 2).Int32(0).UInt8(laterGoalRecord.empty() ? 0 : 1);
    if (!laterGoalRecord.empty()) w.Memory(laterGoalRecord);
    w.EndChunk();
    w.EndChunk();
  });
}

PrivateChunk* SelfReference(const LoadedScene& loaded) {
  auto* object = static_cast<C4DPluginObject*>(loaded.Object(0));
  return static_cast<C4DInstanceObjectData*>(object->objectData)->GetReference();
}

std::vector<uint8_t> Record(const char* prefix, uint64_t id, size_t extra = 0) {
  std::vector<uint8_t> bytes(prefix, prefix + 6);
  for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(uint8_t(id >> shift));
  bytes.resize(bytes.size() + extra, 0xAB);
  return bytes;
}

TEST(GoalRecords, AMalformedGoalRecordRegistersNothingAndDropsTheGoalsBindings) {
  {
    LoadedScene loaded(SelfLinkedObject({}));
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(SelfReference(loaded), loaded.Object(0));
  }
  for (const auto& bad : {Record("agoal1", 5, 1), Record("agoalX", 5), Record("agoal1", 0)}) {
    LoadedScene loaded(SelfLinkedObject(bad));
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(SelfReference(loaded), nullptr);
  }
}

TEST(LinkRecords, AMalformedLinkRecordLeavesTheLinkAsItWas) {
  struct Case {
    std::vector<uint8_t> record;
    const char* expected;  // the material the second payload leaves the tag on
  };
  std::vector<uint8_t> shortRecord = Record("alias2", 4);
  shortRecord.pop_back();
  for (const Case& c : {Case{Record("alias2", 4, 9), "Four"}, Case{shortRecord, "Three"},
                        Case{Record("aliasX", 4), "Three"}}) {
    auto bytes = DocumentWith(kSceneVersionCurrent, [&](SceneWriter& s) {
      s.Raw().StartChunk(scene_chunk::kMaterials, 0);
      s.Material(MaterialSpec::Colored("Three", 3, {1, 1, 1}));
      s.Material(MaterialSpec::Colored("Four", 4, {1, 1, 1}));
      s.Raw().EndChunk().StartChunk(scene_chunk::kObjects, 0);
      // A tag whose payload first links to 3, then carries the record under test.
      C4DWriter& w = s.Raw();
      w.StartChunk(5154, 0).StartChunk(scene_chunk::kTags, 0).StartChunk(5616, 0);
      for (int pass = 0; pass < 2; ++pass) {
        w.StartChunk(110010, 3).Vec({}).Vec({}).Vec({}).Mat(Matrix{}).Mat(Matrix{});
        w.Float32(0).Float32(0).Float32(1).Float32(1).Bool(true).Bool(false).Bool(false);
        w.Int32(6).Int32(0).Int32(0).Int32(0).Str("").Bool(false);
        if (pass == 0) {
          w.LinkRecord(3);
        } else {
          w.Memory(c.record);
        }
        w.EndChunk();
      }
      w.EndChunk().EndChunk().EndChunk().EndChunk();
    });
    LoadedScene loaded(bytes);
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(NameOf(MaterialOfTag(loaded.Object(0))), c.expected);
  }
}

TEST(Links, DestroyingTheTargetUnbindsItsLinks) {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Gone", 1, {1, 0, 0})};
  scene.objects = {ObjectSpec::Null("A").WithTexture(1)};
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  ASSERT_NE(MaterialOfTag(loaded.Object(0)), nullptr);
  delete loaded.Materials().GetFirst();  // unlinks itself from the list
  EXPECT_EQ(MaterialOfTag(loaded.Object(0)), nullptr);
  EXPECT_TRUE(loaded.Materials().IsEmpty());
}

TEST(Registry, FindsEachIdsFirstEntryAndKeepsCreationOrder) {
  AliasRegistry registry;
  for (AliasId id = 1; id <= 1000; ++id) ASSERT_NE(registry.FindOrCreate(id * 7919), nullptr);
  EXPECT_EQ(registry.GetCount(), 1000);
  EXPECT_EQ(registry.FindOrCreate(7919), registry.entries.Get(0));
  EXPECT_EQ(registry.Find(7919 * 1000), registry.entries.Get(999));
  EXPECT_EQ(registry.Find(3), nullptr);
  EXPECT_EQ(registry.GetCount(), 1000);

  // A link waiting on a placeholder resolves to nothing until its goal comes.
  C4DPluginObject target(5154);
  GeAliasLink link;
  registry.RegisterLink(7919, link);
  EXPECT_TRUE(link.IsBound());
  EXPECT_EQ(ResolveLink(link), nullptr);
  registry.RegisterGoal(7919, target.goal);
  EXPECT_EQ(ResolveLink(link), &target);
  // Copies bind to the same goal.
  std::unique_ptr<GeLinkValue> copy(link.CloneLink());
  EXPECT_EQ(copy->ResolveTarget(), &target);
  registry.Empty();
  EXPECT_EQ(registry.GetCount(), 0);
  EXPECT_EQ(ResolveLink(link), &target);  // bindings outlive the registry
}

TEST(Registry, AnInvalidGoalResolvesToNothing) {
  C4DPluginObject target(5154);
  GeAliasLink link;
  link.BindTo(target.goal);
  EXPECT_EQ(ResolveLink(link), &target);
  target.goal.valid = 0;
  EXPECT_EQ(ResolveLink(link), nullptr);
  link.Unbind();
  EXPECT_EQ(target.goal.GetLinkCount(), 0);
}

}  // namespace
