// What the recorded scenes (tests/golden) do not show: matrix products, the
// light's payload, tag arrays and UVW lookups, channel states by version.
#include <gtest/gtest.h>

#include "memory_file.h"
#include "scene_test_util.h"

namespace {

TEST(Matrices, ProductsAreTakenInDoublePrecision) {
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a, b;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
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

}  // namespace
