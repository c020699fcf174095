// Objects (both payload layouts, matrices, plugin data, the light payload,
// caches, splines), their tags, materials and layers.
#include <gtest/gtest.h>

#include "memory_file.h"
#include "scene_test_util.h"

namespace {

std::string Text(const Vector& v) {
  return std::to_string(v.x).substr(0, 5) + " " + std::to_string(v.y).substr(0, 5) + " " + std::to_string(v.z).substr(0, 5);
}

// Position, scale, colour and colour switch of the first object.
std::string Placement(const SceneSpec& scene) {
  LoadedScene loaded(WriteScene(scene));
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  const C4DBaseObject* o = loaded.Object(0);
  return o ? Text(o->position) + ", " + Text(o->scale) + ", " + Text(o->color) + " " + std::to_string(o->useColor) : "";
}

TEST(ObjectPayload, NewLayoutReadsColourFromLevelOneAndItsSwitchFromLevelTwo) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "1.000 2.000 3.000, 2.000 3.000 4.000, 1.000 1.000 1.000 0"},
      {1, "1.000 2.000 3.000, 2.000 3.000 4.000, 0.500 0.250 0.000 0"},
      {2, "1.000 2.000 3.000, 2.000 3.000 4.000, 0.500 0.250 0.000 1"},
      {5, "1.000 2.000 3.000, 2.000 3.000 4.000, 0.500 0.250 0.000 1"},
  };
  for (const auto& [level, expected] : cases) {
    ObjectSpec o = ObjectSpec::Null("N").At({1, 2, 3}).Scaled({2, 3, 4}).Colored({0.5f, 0.25f, 0});
    o.objectLevel = level;
    EXPECT_EQ(Placement(SceneOf({o})), expected) << level;
  }
  // Without an object chunk: the identity as local matrix, the default colour.
  ObjectSpec bare = ObjectSpec::Null("N");
  bare.writeObjectChunk = false;
  LoadedScene loaded(WriteScene(SceneOf({bare})));
  const Matrix m = loaded.Object(0)->GetMl();
  EXPECT_EQ(Text(m.off) + ", " + Text(m.xAxis) + ", " + Text(m.yAxis) + ", " + Text(m.zAxis),
            "0.000 0.000 0.000, 1.000 0.000 0.000, 0.000 1.000 0.000, 0.000 0.000 1.000");
  EXPECT_EQ(loaded.Object(0)->stateWord0, 2);
  EXPECT_EQ(Text(loaded.Object(0)->color), "1.000 1.000 1.000");
}

TEST(ObjectPayload, OldLayoutTakesPlacementAndNameFromTheObjectChunk) {
  ObjectSpec o = ObjectSpec::Null("Ignored").At({4, 5, 6}).Scaled({1, 2, 1});
  o.node.data.Int(900, 1);
  LoadedScene loaded(WriteScene(SceneOf({o}, kSceneVersionOld)));
  ASSERT_TRUE(loaded.loaded) << loaded.error;
  EXPECT_EQ(Text(loaded.Object(0)->position) + ", " + Text(loaded.Object(0)->scale), "4.000 5.000 6.000, 1.000 2.000 1.000");
  EXPECT_EQ(loaded.Object(0)->data.FindInt32(900, 0), 1);  // the base chunk's container stays
}

TEST(Matrices, GlobalMatrixAppliesEveryAncestorInTurnInDoublePrecision) {
  C4DPluginObject object(5154);
  object.scale = {2, 3, 4};
  object.position = {7, 8, 9};
  const Matrix ml = object.GetMl();
  EXPECT_EQ(Text(ml.off) + ", " + Text(ml.xAxis) + ", " + Text(ml.yAxis) + ", " + Text(ml.zAxis),
            "7.000 8.000 9.000, 2.000 0.000 0.000, 0.000 3.000 0.000, 0.000 0.000 4.000");
  // Grandparent turned 90 degrees about z and scaled 2; parent moved; child moved.
  ObjectSpec parent = ObjectSpec::Null("P").At({0, 5, 0}).Scaled({1, 1, 3}).Child(ObjectSpec::Null("C").At({1, 0, 0}));
  ObjectSpec grand = ObjectSpec::Null("G").At({10, 0, 0}).RotatedZ(90).Scaled({2, 2, 2}).Child(parent);
  LoadedScene loaded(WriteScene(SceneOf({grand})));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseObject* c = loaded.Object(0)->GetFirstChild()->GetFirstChild();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(NameOf(c->GetParent()), "P");
  // Child origin (1,0,0) in parent -> (1,5,0) in grandparent -> turned and
  // doubled: (-10, 2, 0) -> moved: (0, 2, 0).
  const Matrix mg = c->GetMg();
  EXPECT_EQ(Text(mg.off) + ", " + Text(mg.xAxis) + ", " + Text(mg.yAxis) + ", " + Text(mg.zAxis),
            "0.000 2.000 0.000, 0.000 2.000 0.000, -2.00 0.000 0.000, 0.000 0.000 6.000");
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a, b;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
}

TEST(PluginObject, DataTypesGiveTheirRecordsAndUnknownOnesNone) {
  LoadedScene loaded(WriteScene(SceneOf({ObjectSpec::Plugin("Cam", 5103), ObjectSpec::Plugin("Odd", 4242),
                                         ObjectSpec::Plugin("Cube", 5159), ObjectSpec::Plugin("Mesh", 5100)})));
  ASSERT_TRUE(loaded.loaded);
  auto plugin = [&](int n) { return static_cast<C4DPluginObject*>(loaded.Object(n)); };
  ASSERT_NE(DataOf<C4DCameraObjectData>(plugin(0)), nullptr);
  EXPECT_EQ(plugin(0)->objectData->owner, plugin(0));
  EXPECT_EQ(plugin(1)->objectData, nullptr);
  EXPECT_EQ(plugin(1)->dataTypeId, 4242);
  EXPECT_EQ(plugin(1)->Execute(), 0);
  ASSERT_NE(DataOf<C4DPrimitiveObjectData>(plugin(2)), nullptr);
  EXPECT_EQ(DataOf<C4DPrimitiveObjectData>(plugin(2))->dataTypeId, 5159);
  EXPECT_NE(DataOf<C4DPolygonObjectData>(plugin(3)), nullptr);
}

TEST(SplineObject, IsBornWithPointDataAndKeepsTypeAndSettings) {
  ObjectSpec line = ObjectSpec::Spline("Line", {{0, 0, 0}, {1, 0, 0}}, true);
  line.typeId = 5137;
  ObjectSpec replaced = ObjectSpec::Spline("Replaced", {}, false);
  replaced.dataTypeId = 5101;  // a data chunk replaces the point data with none
  LoadedScene loaded(WriteScene(SceneOf({ObjectSpec::Spline("S", {{1, 2, 3}}, false), line, replaced})));
  ASSERT_TRUE(loaded.loaded);
  auto* spline = dynamic_cast<C4DSplineObject*>(loaded.Object(0));
  ASSERT_NE(spline, nullptr);
  EXPECT_EQ(spline->typeId * 10000 + spline->dataTypeId, 5101 * 10000 + 5101);
  auto* points = DataOf<C4DPointObjectData>(spline);
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->owner, spline);
  ASSERT_EQ(points->GetPointCount(), 1);
  EXPECT_EQ(Text(points->GetPoints()[0]), "1.000 2.000 3.000");
  EXPECT_FALSE(spline->IsClosed());
  auto* closed = dynamic_cast<C4DSplineObject*>(loaded.Object(1));
  ASSERT_NE(closed, nullptr);
  EXPECT_TRUE(closed->IsClosed());
  EXPECT_EQ(closed->GetSplineSetting(SPLINE_SETTING_MODE), 0);
  EXPECT_EQ(static_cast<C4DPluginObject*>(loaded.Object(2))->objectData, nullptr);
}

TEST(Light, BothLayoutsReadEveryValue) {
  for (int32_t version : {7499, 7500, kSceneVersionCurrent}) {
    for (int32_t groups : {0, 1, 3}) {
      LightValueCounts expected;
      LoadedScene loaded(WriteObjectsDocument(version, [&](SceneWriter& s) {
        s.Raw().StartChunk(5154, 0).StartChunk(scene_chunk::kObjectData, 0).Int32(5102).Int32(0).Str("Lamp");
        expected = s.LightPayload(groups);
        s.Raw().EndChunk().EndChunk();
      }));
      ASSERT_TRUE(loaded.loaded) << version << "/" << groups << " error " << loaded.error;
      auto* light = DataOf<C4DLightObjectData>(loaded.Object(0));
      ASSERT_NE(light, nullptr);
      EXPECT_EQ(light->groupCount, groups);
      EXPECT_EQ(std::vector<size_t>({light->floats.size(), light->ints.size(), light->bools.size(), light->vectors.size()}),
                std::vector<size_t>({size_t(expected.floats), size_t(expected.ints), size_t(expected.bools),
                                     size_t(expected.vectors)}))
          << version;
      EXPECT_EQ(NameOf(loaded.Object(0)), "Lamp");
    }
  }
}

TEST(Caches, CacheObjectsBelongToTheirObjectAndInheritItsPlacement) {
  ObjectSpec cube = ObjectSpec::Primitive("Cube", ObjectSpec::Polygon("Generated", {{1, 0, 0}}, {})).At({0, 0, 10});
  LoadedScene loaded(WriteScene(SceneOf({cube.Override(ObjectSpec::Null("Deformed"))})));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseObject* object = loaded.Object(0);
  C4DBaseObject* generated = object->GetFirstFallback();
  ASSERT_NE(generated, nullptr);
  EXPECT_EQ(NameOf(generated), "Generated");
  EXPECT_EQ(generated->GetParent(), object);
  EXPECT_FLOAT_EQ(generated->GetMg().off.z, 10.0f);
  EXPECT_EQ(NameOf(object->GetFirstOverride()), "Deformed");
  EXPECT_EQ(object->childList, nullptr);
}

// ---- tags ---------------------------------------------------------------------------

TEST(PointAndPolygonTags, ReadTheirArraysAndAnEmptyArrayGivesNone) {
  ObjectSpec o = ObjectSpec::Polygon("P", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {});
  ObjectSpec narrow = ObjectSpec::Plugin("P", 5100).WithTag(TagSpec::Polygons({{0, 1, 2, 2}, {65535, 3, 40000, 5}}, true));
  LoadedScene loaded(WriteScene(SceneOf({o, narrow})));
  ASSERT_TRUE(loaded.loaded);
  auto* points = TagOf<PrivateC4DPointTag>(loaded.Object(0), TAG_TYPE_POINT);
  ASSERT_NE(points, nullptr);
  ASSERT_EQ(points->pointCount, 3);
  EXPECT_FLOAT_EQ(points->points[2].y, 8.0f);
  EXPECT_EQ(points->owner, loaded.Object(0));
  auto* empty = TagOf<PrivateC4DPolygonTag>(loaded.Object(0), TAG_TYPE_POLYGON);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->polygons, nullptr);
  EXPECT_EQ(empty->polygonCount, 0);
  // 16-bit indices widen without sign.
  auto* polygons = TagOf<PrivateC4DPolygonTag>(loaded.Object(1), TAG_TYPE_POLYGON);
  ASSERT_NE(polygons, nullptr);
  ASSERT_EQ(polygons->polygonCount, 2);
  EXPECT_EQ(polygons->polygons[1].a, 65535);
  EXPECT_EQ(polygons->polygons[1].c, 40000);
  EXPECT_EQ(polygons->polygons[0].d, 2);
  auto* data = DataOf<C4DPolygonObjectData>(loaded.Object(1));
  EXPECT_EQ(data->GetPolygonCount(), 2);
  EXPECT_EQ(data->GetPolygons(), polygons->polygons);
}

TEST(UVWTag, GetUVWAnswersOnlyForPolygonsWhoseFourCornersExist) {
  std::vector<Vector> uvw;
  for (int i = 0; i < 11; ++i) uvw.push_back(Vector{float(i), 0, 0});
  TagSpec legacy = TagSpec::UVW({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
  legacy.legacyUV = {1, 2, 3};
  legacy.uvwLevel = 0;  // only the legacy array
  LoadedScene loaded(WriteScene(SceneOf({ObjectSpec::Null("U").WithTag(TagSpec::UVW(uvw)), ObjectSpec::Null("L").WithTag(legacy)})));
  auto* tag = TagOf<C4DUVWTag>(loaded.Object(0), TAG_TYPE_UVW);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->uvwCount, 11);
  // Polygon 2 would need vectors 8 to 11; only 8 to 10 exist; 4 * 0x40000000 overflows 32 bits.
  const std::vector<float> firsts = {tag->GetUVW(0).a.x, tag->GetUVW(1).a.x, tag->GetUVW(1).d.x, tag->GetUVW(2).a.x,
                                     tag->GetUVW(2).c.x, tag->GetUVW(-1).b.x, tag->GetUVW(0x40000000).a.x};
  EXPECT_EQ(firsts, std::vector<float>({0, 4, 7, 0, 0, 0, 0}));
  auto* old = TagOf<C4DUVWTag>(loaded.Object(1), TAG_TYPE_UVW);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->legacyUVCount, 3);
  EXPECT_EQ(old->legacyUV[2], 3);
  EXPECT_EQ(old->uvwCount, 0);
}

TEST(TextureTag, TheMaterialLinkIsReadFromLevelThreeAndGetTagFindsTheFirst) {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Red", 40, {1, 0, 0}), MaterialSpec::Colored("Second", 2, {0, 1, 0})};
  for (int32_t level : {2, 3, 6}) {
    TagSpec texture = TagSpec::Texture(40);
    texture.textureLevel = level;
    scene.objects.push_back(ObjectSpec::Null("T").WithTag(texture));
  }
  ObjectSpec several = ObjectSpec::Null("T");
  several.tags = {TagSpec::Segments({{4, true}}), TagSpec::Texture(40), TagSpec::Phong(), TagSpec::Texture(2), TagSpec::Phong()};
  scene.objects.push_back(several);
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(NameOf(MaterialOfTag(loaded.Object(0))) + " " + NameOf(MaterialOfTag(loaded.Object(1))) + " " +
                NameOf(MaterialOfTag(loaded.Object(2))) + " " + NameOf(MaterialOfTag(loaded.Object(3))),
            "<null> Red Red Red");
  EXPECT_EQ(TagOf<C4DTextureTag>(loaded.Object(2), TAG_TYPE_TEXTURE)->texModes[0], 6);
  EXPECT_EQ(loaded.Object(3)->tags.GetCount(), 4);  // the segment tag is not kept
  EXPECT_EQ(loaded.Object(3)->GetTag(TAG_TYPE_SEGMENT), nullptr);
  EXPECT_NE(loaded.Object(3)->GetTag(TAG_TYPE_PHONG), nullptr);
}

// ---- materials and layers -----------------------------------------------------------

// The channel states of the first material as digits.
std::string States(const SceneSpec& scene) {
  LoadedScene loaded(WriteScene(scene));
  EXPECT_TRUE(loaded.loaded) << loaded.error;
  auto* m = dynamic_cast<C4DMaterial*>(loaded.Materials().GetFirstMaterial());
  if (!m) return "none";
  std::string states;
  for (int32_t s : m->channelStates) states += char('0' + s);
  return states + " " + std::to_string(m->GetChannelState(-1)) + " " + NameOf(m);
}

TEST(Material, TheFileVersionDecidesHowManyChannelStatesThereAre) {
  struct Case {
    int32_t version, written, oldLevel;
    const char* states;
  };
  const Case cases[] = {{9000, 14, 1, "11111111111110 0 All"},  {9000, 13, 1, "11111111111110 0 All"},
                        {9399, -1, 1, "11111111111110 0 All"},  {9400, -1, 1, "11111111111111 1 All"},
                        {9500, -1, 1, "11111111111111 1 All"},  {kSceneVersionOld, -1, 0, "11111111111100 0 All"},
                        {kSceneVersionOld, -1, 1, "11111111111110 0 All"}, {kSceneVersionOld, -1, 4, "11111111111110 0 All"}};
  for (const Case& c : cases) {
    SceneSpec scene;
    scene.version = c.version;
    scene.materials.push_back(MaterialSpec::Colored("All", 1, {1, 1, 1}));
    scene.materials.back().channelStates.fill(1);
    scene.materials.back().channelsWritten = c.written;
    scene.materials.back().oldLevel = c.oldLevel;
    EXPECT_EQ(States(scene), c.states) << c.version << " " << c.oldLevel;
  }
}

TEST(Material, ColourAndTransparencyComeFromTheContainerWithDefaults) {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Transparent("Glass", 1, {1, 0, 0}, 0.5f), MaterialSpec()};
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  auto* glass = dynamic_cast<C4DMaterial*>(loaded.Materials().GetFirstMaterial());
  EXPECT_EQ(std::to_string(glass->GetChannelState(CHANNEL_COLOR)) + std::to_string(glass->GetChannelState(1)) +
                std::to_string(glass->GetChannelState(CHANNEL_TRANSPARENCY)),
            "101");
  EXPECT_EQ(Text(glass->GetColor()) + " " + std::to_string(glass->GetTransparency()), "1.000 0.000 0.000 0.500000");
  auto* other = dynamic_cast<C4DMaterial*>(glass->GetNextInList());
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Text(other->GetColor()) + " " + std::to_string(other->GetTransparency()), "0.000 0.000 0.000 0.000000");
  EXPECT_EQ(other->typeId, 5703);
}

// The flags and colour of the first layer.
std::string LayerText(const C4DBaseLayer* l) {
  std::string text;
  for (int32_t f : {l->layerFlag0, l->layerFlag1, l->layerFlag2, l->layerFlag3, l->layerFlag4, l->layerFlag5, l->layerFlag6,
                    l->layerFlag7, l->layerFlag8}) {
    text += char('0' + f);
  }
  return text + " " + Text(l->layerColor);
}

TEST(Layer, DataLevelsAndDefaults) {
  SceneSpec scene;
  scene.layers = {LayerSpec::Named("Plain", 1), LayerSpec::Named("Zero", 2), LayerSpec::Named("One", 3)};
  scene.layers[0].writeData = false;
  for (int32_t level : {0, 1}) {
    LayerSpec& layer = scene.layers[size_t(level) + 1];
    layer.flags = {0, 1, 0, 1, 0, 1, 0, 1};
    layer.flag8 = 1;
    layer.color = {0.1f, 0.2f, 0.3f};
    layer.dataLevel = level;  // level zero reads eight flags and the colour, not the ninth
  }
  LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  C4DBaseLayer* l = loaded.Layers().GetFirstLayer();
  EXPECT_EQ(LayerText(l), "111011110 1.000 1.000 1.000");
  EXPECT_EQ(l->typeId, LAYER_TYPE);
  EXPECT_EQ(l->Execute(), 1);
  EXPECT_EQ(LayerText(static_cast<C4DBaseLayer*>(l->GetNextInList())), "010101010 0.100 0.200 0.300");
  EXPECT_EQ(LayerText(static_cast<C4DBaseLayer*>(l->GetNextInList()->GetNextInList())), "010101011 0.100 0.200 0.300");
}

TEST(Layer, ChildLayersHangBelowTheirParentAndObjectsFindTheirLayer) {
  SceneSpec scene = SceneOf({ObjectSpec::Null("Wall").OnLayer(3), ObjectSpec::Null("Free")});
  scene.layers = {LayerSpec::Named("Building", 1)
                      .Child(LayerSpec::Named("Walls", 2).Child(LayerSpec::Named("Brick", 3)))
                      .Child(LayerSpec::Named("Roof", 4)),
                  LayerSpec::Named("Site", 5)};
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

}  // namespace
