// Tags and selections: arrays, UVW bounds, texture links, skipped tag kinds.
#include <gtest/gtest.h>

#include "scene_test_util.h"

namespace {

C4DBaseObject* LoadOne(LoadedScene& loaded) {
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  return loaded.Object(0);
}

TEST(PointTag, ReadsItsPointsAndAnEmptyArrayGivesNone) {
  ObjectSpec o = ObjectSpec::Polygon("P", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {});
  LoadedScene loaded(WriteScene(SceneOf({o})));
  auto* tag = static_cast<PrivateC4DPointTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_POINT));
  ASSERT_NE(tag, nullptr);
  ASSERT_EQ(tag->pointCount, 3);
  EXPECT_FLOAT_EQ(tag->points[2].y, 8.0f);
  EXPECT_EQ(tag->owner, loaded.Object(0));
  auto* polygons = static_cast<PrivateC4DPolygonTag*>(loaded.Object(0)->GetTag(TAG_TYPE_POLYGON));
  ASSERT_NE(polygons, nullptr);
  EXPECT_EQ(polygons->polygons, nullptr);
  EXPECT_EQ(polygons->polygonCount, 0);
}

TEST(PolygonTag, SixteenBitIndicesWidenWithoutSign) {
  ObjectSpec o = ObjectSpec::Plugin("P", 5100);
  o.tags.push_back(TagSpec::Polygons({{0, 1, 2, 2}, {65535, 3, 40000, 5}}, true));
  LoadedScene loaded(WriteScene(SceneOf({o})));
  auto* tag = static_cast<PrivateC4DPolygonTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_POLYGON));
  ASSERT_NE(tag, nullptr);
  ASSERT_EQ(tag->polygonCount, 2);
  EXPECT_EQ(tag->polygons[1].a, 65535);
  EXPECT_EQ(tag->polygons[1].c, 40000);
  EXPECT_EQ(tag->polygons[0].d, 2);
  auto* data = static_cast<C4DPolygonObjectData*>(static_cast<C4DPluginObject*>(loaded.Object(0))->objectData);
  EXPECT_EQ(data->GetPolygonCount(), 2);
  EXPECT_EQ(data->GetPolygons(), tag->polygons);
}

TEST(PointTag, ASecondPayloadReplacesTheFirst) {
  auto bytes = ObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0).StartChunk(scene_chunk::kTags, 0).StartChunk(5600, 0);
    w.StartChunk(5600, 0).VectorArray({{1, 1, 1}, {2, 2, 2}}).EndChunk();
    w.StartChunk(5600, 0).VectorArray({{3, 3, 3}}).EndChunk();
    w.EndChunk().EndChunk().EndChunk();
  });
  LoadedScene loaded(bytes);
  auto* tag = static_cast<PrivateC4DPointTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_POINT));
  ASSERT_NE(tag, nullptr);
  ASSERT_EQ(tag->pointCount, 1);
  EXPECT_FLOAT_EQ(tag->points[0].x, 3.0f);
}

TEST(UVWTag, GetUVWAnswersOnlyForPolygonsWhoseFourCornersExist) {
  std::vector<Vector> uvw;
  for (int i = 0; i < 11; ++i) uvw.push_back(Vector{float(i), 0, 0});
  ObjectSpec o = ObjectSpec::Null("U").WithTag(TagSpec::UVW(uvw));
  LoadedScene loaded(WriteScene(SceneOf({o})));
  auto* tag = static_cast<C4DUVWTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_UVW));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->uvwCount, 11);
  EXPECT_FLOAT_EQ(tag->GetUVW(0).a.x, 0.0f);
  EXPECT_FLOAT_EQ(tag->GetUVW(1).a.x, 4.0f);
  EXPECT_FLOAT_EQ(tag->GetUVW(1).d.x, 7.0f);
  // Polygon 2 would need vectors 8 to 11; only 8 to 10 exist.
  EXPECT_FLOAT_EQ(tag->GetUVW(2).a.x, 0.0f);
  EXPECT_FLOAT_EQ(tag->GetUVW(2).c.x, 0.0f);
  EXPECT_FLOAT_EQ(tag->GetUVW(-1).b.x, 0.0f);
  EXPECT_FLOAT_EQ(tag->GetUVW(0x40000000).a.x, 0.0f);  // 4 * index overflows 32 bits
}

TEST(UVWTag, LevelZeroReadsOnlyTheLegacyArray) {
  TagSpec uvw = TagSpec::UVW({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
  uvw.legacyUV = {1, 2, 3};
  uvw.uvwLevel = 0;
  LoadedScene loaded(WriteScene(SceneOf({ObjectSpec::Null("U").WithTag(uvw)})));
  auto* tag = static_cast<C4DUVWTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_UVW));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->legacyUVCount, 3);
  EXPECT_EQ(tag->legacyUV[2], 3);
  EXPECT_EQ(tag->uvwCount, 0);
}

TEST(TextureTag, TheMaterialLinkIsReadFromLevelThree) {
  for (int32_t level : {2, 3, 6}) {
    SceneSpec scene;
    TagSpec texture = TagSpec::Texture(40);
    texture.textureLevel = level;
    scene.objects = {ObjectSpec::Null("T").WithTag(texture)};
    scene.materials.push_back(MaterialSpec::Colored("Red", 40, {1, 0, 0}));
    LoadedScene loaded(WriteScene(scene));
    auto* tag = static_cast<C4DTextureTag*>(LoadOne(loaded)->GetTag(TAG_TYPE_TEXTURE));
    ASSERT_NE(tag, nullptr);
    if (level >= 3) {
      EXPECT_EQ(NameOf(tag->GetMaterial()), "Red") << level;
    } else {
      EXPECT_EQ(tag->GetMaterial(), nullptr) << level;
    }
    EXPECT_EQ(tag->texModes[0], 6);
  }
}

TEST(TagList, GetTagFindsTheFirstOfItsTypeAndSkipsKindsItDoesNotMake) {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("First", 1, {1, 0, 0}), MaterialSpec::Colored("Second", 2, {0, 1, 0})};
  ObjectSpec o = ObjectSpec::Null("T");
  o.tags = {TagSpec::Segments({{4, true}}), TagSpec::Texture(1), TagSpec::Phong(), TagSpec::Texture(2)};
  o.tags.push_back(TagSpec::Phong());
  o.tags.back().node.name = "Odd";
  scene.objects = {o};
  LoadedScene loaded(WriteScene(scene));
  C4DBaseObject* object = LoadOne(loaded);
  EXPECT_EQ(object->tags.GetCount(), 4);  // the segment tag is not kept
  EXPECT_EQ(object->GetTag(TAG_TYPE_SEGMENT), nullptr);
  EXPECT_EQ(NameOf(static_cast<C4DTextureTag*>(object->GetTag(TAG_TYPE_TEXTURE))->GetMaterial()), "First");
  EXPECT_NE(object->GetTag(TAG_TYPE_PHONG), nullptr);
}

TEST(TagList, ATagIdInsideTheRangeWithoutAClassIsSkipped) {
  auto bytes = ObjectsDocument(kSceneVersionCurrent, [](SceneWriter& s) {
    C4DWriter& w = s.Raw();
    w.StartChunk(5154, 0).StartChunk(scene_chunk::kTags, 0);
    w.StartChunk(5601, 0).StartChunk(5601, 0).Int32(1).EndChunk().EndChunk();
    s.Tag(TagSpec::Phong());
    w.EndChunk().EndChunk();
  });
  LoadedScene loaded(bytes);
  C4DBaseObject* object = LoadOne(loaded);
  ASSERT_EQ(object->tags.GetCount(), 1);
  EXPECT_EQ(object->tags.GetFirstTag()->typeId, TAG_TYPE_PHONG);
}

TEST(SegmentTag, ReadsItsSegmentsWhenHandedItsChunk) {
  C4DWriter w;
  w.Header().StartChunk(5672, 0).StartChunk(5672, 0).Int32(2).Int32(4).Bool(true).Int32(7).Bool(false);
  w.EndChunk().EndChunk();
  InstallSceneLinkSupport();
  auto bytes = w.Take();
  GeChunkFile file;
  ASSERT_TRUE(file.OpenMemory(bytes.data(), bytes.size()));
  PrivateC4DSegmentTag tag;
  ASSERT_TRUE(file.ReadNodeChunks(&tag, true));
  ASSERT_EQ(tag.segmentCount, 2);
  EXPECT_EQ(tag.segments[0].pointCount, 4);
  EXPECT_EQ(tag.segments[0].closed, 1);
  EXPECT_EQ(tag.segments[1].closed, 0);
}

TEST(BaseSelect, ReadsRangesAndAnEmbeddedEndLeavesItUnchanged) {
  C4DWriter w;
  w.Header().StartChunk(110117, 0);
  w.StartChunk(BaseSelect::kChunkId, 0).Int32(2).Int32(0).Int32(3).Int32(10).Int32(12).EndChunk();
  w.EndChunk();
  w.StartChunk(110118, 0).EndChunk();
  auto bytes = w.Take();
  GeChunkFile file;
  ASSERT_TRUE(file.OpenMemory(bytes.data(), bytes.size()));
  C4DPointObjectData data;
  int32_t id = 0, level = 0;
  ASSERT_TRUE(file.ExpectTag(TAG_CHUNK_START) && file.ReadChunkHeader(id, level));
  ASSERT_TRUE(data.Read(file, id, level));
  ASSERT_TRUE(file.ExpectTag(TAG_CHUNK_START) && file.ReadChunkHeader(id, level));
  ASSERT_TRUE(data.Read(file, id, level));
  EXPECT_EQ(file.GetError(), FILEERROR_NONE);
  EXPECT_EQ(data.pointSelection.GetRangeCount(), 2);
  EXPECT_TRUE(data.pointSelection.IsSelected(11));
  EXPECT_FALSE(data.pointSelection.IsSelected(5));
  EXPECT_EQ(data.hiddenPoints.GetRangeCount(), 0);
}

}  // namespace
