// Primitives rebuilt from their parameters: the counts of the meshes the
// scene program makes, each type's extent from its parameters, and closed
// solids that are watertight and face outward.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <utility>

#include "ge_container.h"
#include "primitives.h"

using namespace c4dprim;

namespace {

PrimitiveMesh Mesh(int32_t type, const std::function<void(GeContainer&)>& fill) {
  GeContainer data;
  fill(data);
  const PrimitiveRead read = ReadPrimitive(type, data);
  EXPECT_TRUE(read.shape) << read.reason;
  return read.shape ? BuildPrimitiveMesh(*read.shape) : PrimitiveMesh{};
}

struct Case {
  const char* name;
  int32_t type;
  std::function<void(GeContainer&)> fill;
  Vector min, max;
  bool closed;  // a solid: every edge walked once each way, normals outward
  size_t points = 0, polygons = 0, triangles = 0;  // 0: not checked
};

class PrimitiveCase : public ::testing::TestWithParam<Case> {};

TEST_P(PrimitiveCase, CountsExtentAndClosedOutwardSurface) {
  const Case& c = GetParam();
  const PrimitiveMesh mesh = Mesh(c.type, c.fill);
  ASSERT_FALSE(mesh.polygons.empty());
  if (c.points) { EXPECT_EQ(mesh.points.size(), c.points); }
  if (c.polygons) { EXPECT_EQ(mesh.polygons.size(), c.polygons); }
  if (c.triangles) {
    EXPECT_EQ(size_t(std::count_if(mesh.polygons.begin(), mesh.polygons.end(),
                                   [](const CPolygon& p) { return p.c == p.d; })),
              c.triangles);
  }
  Vector lo = mesh.points[0], hi = mesh.points[0];
  for (const Vector& p : mesh.points) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  const float tolerance = 1e-3f;
  EXPECT_NEAR(lo.x, c.min.x, tolerance); EXPECT_NEAR(lo.y, c.min.y, tolerance); EXPECT_NEAR(lo.z, c.min.z, tolerance);
  EXPECT_NEAR(hi.x, c.max.x, tolerance); EXPECT_NEAR(hi.y, c.max.y, tolerance); EXPECT_NEAR(hi.z, c.max.z, tolerance);
  if (!c.closed) return;
  std::map<std::pair<int32_t, int32_t>, int> edges;
  for (const CPolygon& p : mesh.polygons) {
    const std::vector<int32_t> corners = p.c == p.d ? std::vector<int32_t>{p.a, p.b, p.c}
                                                    : std::vector<int32_t>{p.a, p.b, p.c, p.d};
    for (size_t k = 0; k < corners.size(); ++k) ++edges[{corners[k], corners[(k + 1) % corners.size()]}];
    // Convex solids face away from their centre; a tube's first polygon
    // is on its outer wall.
    if (c.type == PRIMITIVE_TUBE && &p != &mesh.polygons[0]) continue;
    const Vector &a = mesh.points[size_t(p.a)], &b = mesh.points[size_t(p.b)], &q = mesh.points[size_t(p.c)];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = q.x - a.x, vy = q.y - a.y, vz = q.z - a.z;
    EXPECT_GT((uy * vz - uz * vy) * (a.x + b.x + q.x) + (uz * vx - ux * vz) * (a.y + b.y + q.y) +
                  (ux * vy - uy * vx) * (a.z + b.z + q.z), 0.0);
  }
  for (const auto& [edge, uses] : edges) {
    ASSERT_EQ(uses, 1) << edge.first << "-" << edge.second;
    ASSERT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge " << edge.first << "-" << edge.second;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Types, PrimitiveCase,
    ::testing::Values(
        Case{"StandardSphere", 5160, [](GeContainer& d) { d.StoreFloat32(1110, 50); d.StoreInt32(1111, 24); },
             {-50, -50, -50}, {50, 50, 50}, true, 24 * 11 + 2, 24 * 12, 48},
        Case{"IcosahedronSphere", 5160, [](GeContainer& d) { d.StoreInt32(1111, 15); d.StoreInt32(1112, 4); },
             {-98.2247f, -100, -97.9432f}, {98.2247f, 100, 97.9432f}, true, 10 * 9 + 2, 20 * 9, 20 * 9},
        Case{"Cylinder", 5170, [](GeContainer& d) { d.StoreFloat32(5000, 30); d.StoreFloat32(5005, 80); },
             {-30, -40, -30}, {30, 40, 30}, true, 36 * 5 + 2, 36 * 4 + 72, 72},
        Case{"CylinderAlongZWithCapRings", 5170,
             [](GeContainer& d) { d.StoreInt32(5007, 3); d.StoreInt32(5008, 8); d.StoreInt32(1300, 4); },
             {-50, -50, -100}, {50, 50, 100}, true, 8 * (4 + 5) + 2, 8 * 4 + 2 * 8 * 3, 16},
        Case{"Cube", 5159, [](GeContainer& d) { d.StoreVector(1100, {10, 20, 30}); d.StoreInt32(1103, 2); },
             {-5, -10, -15}, {5, 10, 15}, true, 12, 10},
        Case{"Cone", 5162, [](GeContainer& d) { d.StoreFloat32(1130, 10); d.StoreFloat32(1132, 60); },
             {-100, -30, -100}, {100, 30, 100}, true},
        Case{"Tube", 5165, [](GeContainer& d) { d.StoreFloat32(1170, 80); d.StoreFloat32(1171, 40); },
             {-80, -50, -80}, {80, 50, 80}, true, 36 * 4, 36 * 4},
        Case{"TubeWithHeightSegments", 5165, [](GeContainer& d) { d.StoreInt32(1174, 4); d.StoreInt32(1176, 48); },
             {-100, -50, -100}, {100, 50, 100}, true, 48 * 10, 48 * 10},
        Case{"Pyramid", 5167, [](GeContainer& d) { d.StoreVector(1220, {40, 30, 20}); d.StoreInt32(1221, 3); },
             {-20, -15, -10}, {20, 15, 10}, true, 1 + 24 + 4, 45},
        Case{"PlaneFacingMinusX", 5168, [](GeContainer& d) { d.StoreFloat32(1230, 60); d.StoreInt32(1300, 1); },
             {0, -30, -200}, {0, 30, 200}, false, 21 * 21, 400},
        Case{"Disc", 5164, [](GeContainer& d) { d.StoreFloat32(1160, 20); d.StoreFloat32(1161, 70); },
             {-70, 0, -70}, {70, 0, 70}, false, 72, 36},
        Case{"TrianglePolygon", 5174, [](GeContainer& d) { d.StoreInt32(1272, 2); d.StoreInt32(1273, 1); },
             {-100, 0, -100}, {100, 0, 100}, false, 6, 4, 4}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(PrimitiveRead, RefusesWhatCannotBeBuiltAndNotesWhatIsLeftOut) {
  GeContainer huge;
  huge.StoreInt32(1232, 100000);
  huge.StoreInt32(1233, 100000);
  EXPECT_FALSE(ReadPrimitive(PRIMITIVE_PLANE, huge).shape);
  GeContainer infinite;
  infinite.StoreFloat32(1110, INFINITY);
  EXPECT_FALSE(ReadPrimitive(PRIMITIVE_SPHERE, infinite).shape);
  // Finite, but beyond any output once in millimetres and placed.
  GeContainer vast, wide;
  vast.StoreVector(1100, {1, 3e38f, 1}), wide.StoreFloat32(1110, 2e30f);
  EXPECT_EQ(ReadPrimitive(PRIMITIVE_CUBE, vast).reason, "a length of 3e+38 that no output can hold");
  EXPECT_EQ(ReadPrimitive(PRIMITIVE_SPHERE, wide).reason, "a length of 2e+30 that no output can hold");
  EXPECT_FALSE(ReadPrimitive(5163, GeContainer()).shape);
  GeContainer sliced;
  sliced.StoreInt32(1200, 1);
  sliced.StoreInt32(5002, 1);
  EXPECT_EQ(ReadPrimitive(PRIMITIVE_CYLINDER, sliced).notes.size(), 2u);
}

}  // namespace
