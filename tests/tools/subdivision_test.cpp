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

using Points = std::vector<Vector64>;
using Polygons = std::vector<CPolygon>;

const Points kCube = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
const Polygons kCubeQuads = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
const char* const kAbsent = "subdivision is not available in this build: the cage as it is";

double Extent(const Points& points) {
  double extent = 0;
  for (const Vector64& p : points) extent = std::max({extent, std::abs(p.x), std::abs(p.y), std::abs(p.z)});
  return extent;
}

struct Case {
  const char* name;
  Points points;
  Polygons polygons;
  int level;
  size_t pointCount, quadCount;
  double extent;  // of the result
};

class Subdivision : public ::testing::TestWithParam<Case> {};

// Level 1 leaves the face points on the cube's faces and draws its corners in
// to 5/9; level 2 pulls the face centres in too (to 253/288). An open
// triangle keeps its corners (extent 1). Level 9 is refined as 6.
INSTANTIATE_TEST_SUITE_P(Cages, Subdivision, ::testing::Values(
    Case{"CubeOnce", kCube, kCubeQuads, 1, 26, 24, 1.0},
    Case{"CubeTwice", kCube, kCubeQuads, 2, 98, 96, 253.0 / 288},
    Case{"CubeAtMost6", kCube, kCubeQuads, 9, 24578, 24576, -1},
    Case{"OpenTriangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}, 1, 7, 3, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(Subdivision, RefinesTheCageToQuads) {
  const Case& c = GetParam();
  Points points = c.points;
  Polygons polygons = c.polygons;
  std::string reason;
  const bool done = c4dgen::Subdivide(points, polygons, c.level, reason);
#if C4D_SUBDIVISION
  ASSERT_TRUE(done) << reason;
  EXPECT_EQ(points.size(), c.pointCount);
  EXPECT_EQ(polygons.size(), c.quadCount);
  EXPECT_TRUE(std::none_of(polygons.begin(), polygons.end(), [](const CPolygon& p) { return p.c == p.d; }));
  if (c.extent > 0) {
    EXPECT_NEAR(Extent(points), c.extent, 1e-12);
  }
  if (c.level == 1 && c.points.size() == 8) {  // the corner (1, 1, 1) drawn in
    const auto along = [](const Vector64& p) { return p.x + p.y + p.z; };
    EXPECT_NEAR(along(*std::max_element(points.begin(), points.end(), [&](auto& a, auto& b) { return along(a) < along(b); })),
                3 * 5.0 / 9, 1e-12);
  }
#else
  EXPECT_FALSE(done);
  EXPECT_EQ(reason, kAbsent);
  EXPECT_EQ(points.size(), c.points.size());
#endif
}

#if C4D_SUBDIVISION
TEST(SubdivisionRefused, BadIndicesAndTooManyQuadsLeaveTheMeshAsItIs) {
  Points points = kCube;
  Polygons bad = {{0, 1, 2, 8}}, many(1250, CPolygon{0, 1, 2, 3});
  std::string reason;
  EXPECT_FALSE(c4dgen::Subdivide(points, bad, 1, reason));
  EXPECT_EQ(reason, "polygon 0 refers to point 8 of 8");
  EXPECT_FALSE(c4dgen::Subdivide(points, many, 6, reason));
  EXPECT_EQ(reason, "subdivided to level 6 it would have 5120000 quads (at most 5000000)");
  EXPECT_EQ(points.size(), 8u);
  EXPECT_EQ(many.size(), 1250u);
}
#endif

// The generator subdivides its meshes at entry 1000 (editor) or 1001
// (render) and passes its polylines through.
TEST(SubdivisionGenerator, SubdividesMeshesAtTheLevelAskedFor) {
  std::vector<Vector> cube;
  for (const Vector64& p : kCube) cube.push_back({float(p.x), float(p.y), float(p.z)});
  ObjectSpec smooth = ObjectSpec::Plugin("Smooth", c4dgen::GENERATOR_SUBDIVISION)
                          .Child(ObjectSpec::Polygon("Cage", cube, kCubeQuads))
                          .Child(ObjectSpec::Spline("Rim", {{0, 0, 0}, {1, 0, 0}}, false));
  smooth.node.data.Int(1000, 1).Int(1001, 2);
  SceneSpec scene;
  scene.objects = {smooth};
  const LoadedScene loaded(WriteScene(scene));
  ASSERT_TRUE(loaded.loaded);
  for (const bool render : {false, true}) {
    c4dgen::Evaluator evaluator;
    evaluator.renderLevel = render;
    const c4dgen::Evaluation done = evaluator.Evaluate(*loaded.Object(0));
    ASSERT_TRUE(done.evaluated) << done.reason;
    ASSERT_EQ(done.pieces.size(), 2u);
    EXPECT_EQ(done.pieces[1].points.size(), 2u);
#if C4D_SUBDIVISION
    EXPECT_EQ(done.pieces[0].polygons.size(), render ? 96u : 24u);
    EXPECT_TRUE(done.notes.empty());
#else
    EXPECT_EQ(done.pieces[0].points.size(), 8u);
    EXPECT_EQ(done.notes, std::vector<std::string>{"not subdivided (level " + std::to_string(render ? 2 : 1) + "): " + kAbsent});
#endif
  }
}

}  // namespace
