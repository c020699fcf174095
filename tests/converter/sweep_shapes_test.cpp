// Extrude and Lathe meshes: sizes, volumes by the divergence theorem (positive
// only when every face looks out), closed surfaces, caps that keep holes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "ge_container.h"
#include "sweep_shapes.h"

using namespace c4dgen;
using c4dprim::SplineSegment;
using c4dprim::SplineShape;

namespace {

SplineSegment Polygon(int corners, double radius, double phase = 0, bool closed = true) {
  SplineSegment s{{}, closed};
  for (int i = 0; i < corners; ++i) {
    const double a = phase + 2 * M_PI * i / corners;
    s.points.push_back({radius * std::cos(a), radius * std::sin(a), 0});
  }
  return s;
}
// Side 2r / sqrt(2) squares, corners on the axes rotated by 45 degrees.
SplineSegment Square(double half) { return Polygon(4, half * std::sqrt(2.0), M_PI / 4); }
Vector64 Sub(const Vector64& a, const Vector64& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector64 Cross(const Vector64& a, const Vector64& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Volume(const GenMesh& m) {
  double six = 0;
  for (const auto& f : m.faces) {
    for (size_t i = 1; i + 1 < f.size(); ++i) {
      const Vector64 &a = m.points[f[0]], &b = m.points[f[i]], &c = m.points[f[i + 1]], n = Cross(b, c);
      six += a.x * n.x + a.y * n.y + a.z * n.z;
    }
  }
  return six / 6;
}

// Every edge run once each way: a closed surface, consistently turned.
bool Closed(const GenMesh& m) {
  std::map<std::pair<uint32_t, uint32_t>, int> runs;
  for (const auto& f : m.faces) {
    for (size_t i = 0; i < f.size(); ++i) ++runs[{f[i], f[(i + 1) % f.size()]}];
  }
  for (const auto& [edge, n] : runs) {
    if (n != 1 || runs.count({edge.second, edge.first}) == 0) return false;
  }
  return true;
}

// Area of the faces at z = 0 (the start cap), overlaps counted twice.
double StartCapArea(const GenMesh& m) {
  double area = 0;
  for (const auto& f : m.faces) {
    for (size_t i = 1; i + 1 < f.size(); ++i) {
      const Vector64 &a = m.points[f[0]], &b = m.points[f[i]], &c = m.points[f[i + 1]];
      if (a.z == 0 && b.z == 0 && c.z == 0) area += std::fabs(Cross(Sub(b, a), Sub(c, a)).z) / 2;
    }
  }
  return area;
}

double RegularArea(int corners, double radius) { return corners / 2.0 * radius * radius * std::sin(2 * M_PI / corners); }

struct SweepCase {
  const char* name;
  SplineShape profile;
  bool lathe;
  ExtrudeParams extrude;
  LatheParams lathe_;
  size_t points, faces;
  bool closed;
  double volume, startCap;  // startCap < 0: not checked
};

SplineShape Shape(std::vector<SplineSegment> s) { return {std::move(s), {}}; }
SplineSegment Reversed(SplineSegment s) {
  std::reverse(s.points.begin(), s.points.end());
  return s;
}
// A closed profile in the XY plane, x from 1 to 2, y from 0 to 1.
SplineSegment Ring() { return {{{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}, true}; }

TEST(SweepShapes, MeshesAreSolidAndFaceOut) {
  const std::vector<SweepCase> cases = {
      {"square", Shape({Square(1)}), false, {{0, 0, 3}}, {}, 8, 6, true, 12, 4},
      {"square drawn clockwise", Shape({Reversed(Square(1))}), false, {{0, 0, 3}, 3}, {}, 16, 14, true, 12, 4},
      {"square with a hole drawn the same way", Shape({Square(2), Square(1)}), false, {{0, 0, 1}}, {}, 16, 0, true,
       12, 12},
      {"letter O", Shape({Polygon(16, 2), Polygon(16, 1)}), false, {{0, 0, 1}}, {}, 64, 0, true,
       RegularArea(16, 2) - RegularArea(16, 1), RegularArea(16, 2) - RegularArea(16, 1)},
      {"open segment: walls only", Shape({Polygon(3, 1, 0, false)}), false, {{0, 0, 2}, 2}, {}, 9, 4, false, NAN, 0},
      {"lathe of a segment: a band", Shape({{{{1, 0, 0}, {1, 2, 0}}, false}}), true, {}, {}, 48, 24, false, NAN, -1},
      {"lathe of a ring", Shape({Ring()}), true, {}, {}, 96, 96, true, RegularArea(24, 2) - RegularArea(24, 1), -1},
      {"lathe of half a turn, capped", Shape({Ring()}), true, {}, {M_PI, 24}, 100, 98, true,
       (RegularArea(48, 2) - RegularArea(48, 1)) / 2, -1},
      {"lathe touching the axis: a cone", Shape({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, true}}), true, {}, {}, 26, 48,
       true, RegularArea(24, 1) / 3, -1},
  };
  for (const SweepCase& c : cases) {
    std::vector<std::string> notes;
    const GenMesh m = c.lathe ? Lathe(c.profile, c.lathe_, notes) : Extrude(c.profile, c.extrude, notes);
    EXPECT_EQ(m.points.size(), c.points) << c.name;
    EXPECT_EQ(c.faces ? m.faces.size() : 0, c.faces) << c.name;
    EXPECT_EQ(Closed(m), c.closed) << c.name;
    EXPECT_NEAR(std::isnan(c.volume) ? 0 : Volume(m), std::isnan(c.volume) ? 0 : c.volume, 1e-9) << c.name;
    EXPECT_NEAR(c.startCap < 0 ? -1 : StartCapArea(m), c.startCap, 1e-9) << c.name;
    EXPECT_TRUE(notes.empty()) << c.name << ": " << notes.front();
  }
}

TEST(SweepShapes, BandFacesLookAwayFromTheAxis) {
  std::vector<std::string> notes;
  const GenMesh m = Lathe(Shape({{{{1, 0, 0}, {1, 2, 0}}, false}}), {}, notes);
  for (const auto& f : m.faces) {
    const Vector64 &a = m.points[f[0]], n = Cross(Sub(m.points[f[1]], a), Sub(m.points[f[2]], a));
    EXPECT_GT(n.x * a.x + n.z * a.z, 0);
  }
}

TEST(SweepShapes, ParametersAreReadWithDefaultsForMissingIds) {
  std::vector<std::string> notes;
  GeContainer empty;
  const GenMesh solid = Extrude(Shape({Polygon(8, 1)}), ReadExtrudeParams(empty, notes), notes);
  EXPECT_TRUE(Closed(solid));
  EXPECT_NEAR(Volume(solid), RegularArea(8, 1) * 20, 1e-9);
  GeContainer data;
  data.StoreVector(1002, {0, 5, 0});
  data.StoreInt32(1001, 3);
  data.StoreInt32(2000, 0);
  data.StoreInt32(2002, 2);
  data.StoreFloat32(2012, 0.5f);
  const ExtrudeParams e = ReadExtrudeParams(data, notes);
  EXPECT_EQ(e.movement.y, 5);
  EXPECT_EQ(e.subdivisions, 3);
  EXPECT_FALSE(e.startCap);
  EXPECT_TRUE(e.endCap);
  EXPECT_EQ(e.phongAngle, 0.5f);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("fillet"), std::string::npos);
  GeContainer turn;
  turn.StoreFloat32(1000, float(M_PI));
  turn.StoreInt32(1001, 8);
  turn.StoreFloat32(1002, 4);
  const LatheParams l = ReadLatheParams(turn, notes);
  EXPECT_EQ(l.angle, float(M_PI));
  EXPECT_EQ(l.subdivisions, 8);
  EXPECT_EQ(l.movement, 4);
}

TEST(SweepShapes, HostileInputIsRefused) {
  SplineSegment many = Polygon(1000, 1);
  SplineSegment infinite = Square(1);
  infinite.points[2].y = INFINITY;
  const struct {
    const char* name;
    SplineShape profile;
    ExtrudeParams extrude;
    std::optional<LatheParams> lathe;
  } cases[] = {
      {"subdivisions", Shape({Square(1)}), {{0, 0, 1}, 10001}, {}},
      {"no subdivision", Shape({Square(1)}), {{0, 0, 1}, 0}, {}},
      {"movement not finite", Shape({Square(1)}), {{0, NAN, 1}}, {}},
      {"point not finite", Shape({infinite}), {}, {}},
      {"too many points", Shape({many}), {{0, 0, 1}, 5000}, {}},
      {"lathe angle not finite", Shape({Square(1)}), {}, LatheParams{NAN}},
      {"lathe subdivisions", Shape({Square(1)}), {}, LatheParams{1, 20000}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> notes;
    const GenMesh m = c.lathe ? Lathe(c.profile, *c.lathe, notes) : Extrude(c.profile, c.extrude, notes);
    EXPECT_TRUE(m.points.empty() && m.faces.empty()) << c.name;
    EXPECT_EQ(notes.size(), 1u) << c.name;
  }
}

}  // namespace
