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
