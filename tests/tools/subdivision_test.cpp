// Subdivision surfaces: the cage refined by Catmull-Clark with smooth
// boundaries and sharp corners, at the editor's level or the render's; a
// build without the subdivision library keeps the cage and says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "generate/subdivision.h"
#include "generators.h"
#include "scene_loader.h"
#include "scene_writer.h"

namespace {

const std::vector<Vector64> kCube = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                     {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
const std::vector<CPolygon> kQuads = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
const std::string kAbsent = "subdivision is not available in this build: the cage as it is";

struct Case {
  const char* name;
  std::vector<Vector64> points;
  std::vector<CPolygon> polygons;
  int level;
  size_t pointCount, quadCount;  // 0 quads: refused with `reason`
  double extent;                 // the largest coordinate of the result, or 0
  std::string reason;
};

class Subdivision : public ::testing::TestWithParam<Case> {};

// Level 1 leaves the face points on the cube's faces, level 2 pulls them in
// to 253/288; an open triangle keeps its corners; level 9 is refined as 6.
INSTANTIATE_TEST_SUITE_P(Cages, Subdivision, ::testing::Values(
    Case{"CubeOnce", kCube, kQuads, 1, 26, 24, 1.0, ""},
    Case{"CubeTwice", kCube, kQuads, 2, 98, 96, 253.0 / 288, ""},
    Case{"CubeAtMost6", kCube, kQuads, 9, 24578, 24576, 0, ""},
    Case{"OpenTriangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}, 1, 7, 3, 1.0, ""},
    Case{"BadIndex", kCube, {{0, 1, 2, 8}}, 1, 8, 0, 0, "polygon 0 refers to point 8 of 8"},
    Case{"TooMany", kCube, std::vector<CPolygon>(1250, CPolygon{0, 1, 2, 3}), 6, 8, 0, 0,
         "subdivided to level 6 it would have 5120000 quads (at most 5000000)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(Subdivision, RefinesTheCageToQuadsOrLeavesItAsItIs) {
  Case c = GetParam();
  std::string reason;
  const bool done = c4dgen::Subdivide(c.points, c.polygons, c.level, reason);
#if !C4D_SUBDIVISION
  c.quadCount = 0, c.pointCount = GetParam().points.size(), c.reason = kAbsent;
#endif
  EXPECT_EQ(done, c.quadCount > 0);
  EXPECT_EQ(reason, c.reason);
  EXPECT_EQ(c.points.size(), c.pointCount);
  EXPECT_EQ(c.polygons.size(), c.quadCount ? c.quadCount : GetParam().polygons.size());
  EXPECT_TRUE(!done || std::none_of(c.polygons.begin(), c.polygons.end(), [](const CPolygon& p) { return p.c == p.d; }));
  double extent = 0;
  for (const Vector64& p : c.points) extent = std::max({extent, std::abs(p.x), std::abs(p.y), std::abs(p.z)});
  if (done && c.extent > 0) {
    EXPECT_NEAR(extent, c.extent, 1e-12);
  }
}

// The generator subdivides its meshes at entry 1000 (editor) or 1001
// (render) and passes its polylines through.
TEST(SubdivisionGenerator, SubdividesMeshesAtTheLevelAskedFor) {
  std::vector<Vector> cube;
  for (const Vector64& p : kCube) cube.push_back(Narrow(p));
  ObjectSpec smooth = ObjectSpec::Plugin("Smooth", c4dgen::GENERATOR_SUBDIVISION)
                          .Child(ObjectSpec::Polygon("Cage", cube, kQuads))
                          .Child(ObjectSpec::Spline("Rim", {{0, 0, 0}, {1, 0, 0}}, false));
  smooth.node.data.Int(1000, 1).Int(1001, 2);
  SceneSpec scene;
  scene.objects = {smooth};
  const LoadedScene loaded(WriteScene(scene));
  for (const bool render : {false, true}) {
    c4dgen::Evaluator evaluator;
    evaluator.renderLevel = render;
    const c4dgen::Evaluation done = evaluator.Evaluate(*loaded.Object(0));
    ASSERT_EQ(done.pieces.size(), 2u) << done.reason;
    EXPECT_EQ(done.pieces[1].points.size(), 2u);
#if C4D_SUBDIVISION
    EXPECT_EQ(done.pieces[0].polygons.size(), render ? 96u : 24u);
    EXPECT_TRUE(done.notes.empty());
#else
    EXPECT_EQ(done.pieces[0].points.size(), 8u);
    EXPECT_EQ(done.notes, std::vector<std::string>{"not subdivided (level " + std::to_string(render + 1) + "): " + kAbsent});
#endif
  }
}

}  // namespace
