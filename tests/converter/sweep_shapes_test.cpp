// Extrude, Lathe, Sweep and Loft meshes: sizes, volumes by the divergence theorem (positive
// only when every face looks out), closed surfaces, caps that keep holes.
#include "sweep_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "ge_container.h"

using namespace c4dgen;
using c4dprim::SplineSegment;
using c4dprim::SplineShape;

namespace {

SplineSegment Polygon(int corners, double radius, double phase = 0, bool closed = true) {
  SplineSegment s{{}, closed};
  for (int i = 0; i < corners; ++i) {
    const double a = phase + 2 * std::numbers::pi * i / corners;
    s.points.push_back({radius * std::cos(a), radius * std::sin(a), 0});
  }
  return s;
}
// Side 2r / sqrt(2) squares, corners on the axes rotated by 45 degrees.
SplineSegment Square(double half) { return Polygon(4, half * std::sqrt(2.0), std::numbers::pi / 4); }
Vector64 Cross(const Vector64& a, const Vector64& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector64 operator-(const Vector64& a, const Vector64& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vector64& a, const Vector64& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

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

// Size; a closed mesh's volume by the divergence theorem (positive when its
// faces look out), an open one's faces looking away from its centre or not;
// the area of the faces at z = 0 (overlaps counted twice); the notes.
std::string Summary(const GenMesh& m, const std::vector<std::string>& notes) {
  Vector64 centre{0, 0, 0};
  for (const Vector64& p : m.points) centre = {centre.x + p.x, centre.y + p.y, centre.z + p.z};
  centre = {centre.x / m.points.size(), centre.y / m.points.size(), centre.z / m.points.size()};
  double volume = 0, cap = 0;
  bool out = true;
  for (const auto& f : m.faces) {
    for (size_t i = 1; i + 1 < f.size(); ++i) {
      const Vector64 &a = m.points[f[0]], &b = m.points[f[i]], &c = m.points[f[i + 1]], n = Cross(b - a, c - a);
      volume += Dot(a, Cross(b, c)) / 6;
      out = out && Dot(n, a - centre) > 0;
      if (a.z == 0 && b.z == 0 && c.z == 0) cap += std::fabs(n.z) / 2;
    }
  }
  char text[200];
  std::snprintf(text, sizeof text, "%zu points, %zu faces, %s, cap %.6g, %zu notes", m.points.size(), m.faces.size(),
                Closed(m) ? ("volume " + std::to_string(volume)).c_str()
                : out     ? "open, facing out"
                          : "open",
                cap, notes.size());
  return text;
}

struct SweepCase {
  const char* name;
  SplineShape profile;
  ExtrudeParams extrude;
  std::optional<LatheParams> lathe;
  const char* expected;
  std::optional<SweepParams> along = {};  // the profile along `path`
  SplineShape path = {};
  std::vector<SplineShape> loft = {};     // when not empty, lofted instead
};

std::string Sweep(const SweepCase& c) {
  std::vector<std::string> notes;
  const GenMesh m = !c.loft.empty() ? Loft(c.loft, notes)
                    : c.along      ? SweepAlong(c.profile, c.path, *c.along, notes)
                    : c.lathe      ? Lathe(c.profile, *c.lathe, notes)
                                   : Extrude(c.profile, c.extrude, notes);
  return Summary(m, notes);
}

SplineShape Shape(std::vector<SplineSegment> s) { return {std::move(s), {}}; }
SplineSegment Reversed(SplineSegment s) {
  std::reverse(s.points.begin(), s.points.end());
  return s;
}
// A closed profile in the XY plane, x from 1 to 2, y from 0 to 1.
const SplineSegment kRing{{{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}, true};
const SplineSegment kLetterA{
    {{0, 0, 0}, {1, 0, 0}, {1.5, 1, 0}, {2.5, 1, 0}, {3, 0, 0}, {4, 0, 0}, {2.5, 4, 0}, {1.5, 4, 0}}, true};
const SplineSegment kHoleOfA{{{1.75, 1.5, 0}, {2.25, 1.5, 0}, {2, 2.5, 0}}, true};
SplineSegment Lifted(SplineSegment s, double z) {
  for (Vector64& p : s.points) p.z = z;
  return s;
}
// A quarter circle of radius 5 in the XZ plane, from the origin leaving along +Z.
SplineShape QuarterTurn() {
  SplineSegment s{{}, false};
  for (int i = 0; i <= 8; ++i) s.points.push_back({5 - 5 * std::cos(std::numbers::pi / 16 * i), 0, 5 * std::sin(std::numbers::pi / 16 * i)});
  return Shape({s});
}

// Volumes: a regular n-gon of radius r has the area n/2 r^2 sin(2 pi / n).
TEST(SweepShapes, MeshesAreSolidAndFaceOut) {
  const SweepCase cases[] = {
      {"square", Shape({Square(1)}), {{0, 0, 3}}, {}, "8 points, 6 faces, volume 12.000000, cap 4, 0 notes"},
      {"square drawn clockwise",
       Shape({Reversed(Square(1))}),
       {{0, 0, 3}, 3},
       {},
       "16 points, 14 faces, volume 12.000000, cap 4, 0 notes"},
      {"square with a hole drawn the same way",
       Shape({Square(2), Square(1)}),
       {{0, 0, 1}},
       {},
       "16 points, 24 faces, volume 12.000000, cap 12, 0 notes"},
      {"letter O",
       Shape({Polygon(16, 2), Polygon(16, 1)}),
       {{0, 0, 1}},
       {},
       "64 points, 96 faces, volume 9.184402, cap 9.1844, 0 notes"},
      {"letter A",
       Shape({kLetterA, kHoleOfA}),
       {{0, 0, 2}},
       {},
       "22 points, 33 faces, volume 16.500000, cap 8.25, 0 notes"},
      {"open segment: walls only",
       Shape({Polygon(3, 1, 0, false)}),
       {{0, 0, 2}, 2},
       {},
       "9 points, 4 faces, open, facing out, cap 0, 0 notes"},
      {"defaults: capped, 20 along z",
       Shape({Polygon(8, 1)}),
       {},
       {},
       "16 points, 20 faces, volume 56.568542, cap 2.82843, 0 notes"},
      {"lathe of a segment: a band",
       Shape({{{{1, 0, 0}, {1, 2, 0}}, false}}),
       {},
       LatheParams{},
       "48 points, 24 faces, open, facing out, cap 0, 0 notes"},
      {"lathe of a ring", Shape({kRing}), {}, LatheParams{}, "96 points, 96 faces, volume 9.317486, cap 0, 0 notes"},
      {"lathe of half a turn, capped",
       Shape({kRing}),
       {},
       LatheParams{std::numbers::pi},
       "100 points, 98 faces, volume 4.698943, cap 1, 0 notes"},
      {"lathe touching the axis: a cone",
       Shape({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, true}}),
       {},
       LatheParams{},
       "26 points, 48 faces, volume 1.035276, cap 0, 0 notes"},
      // Sweeps and lofts: volumes area x length, a frustum's (a1 + a2 + sqrt(a1 a2)) h / 3.
      {"swept along a straight path", Shape({Square(1)}), {}, {}, "8 points, 6 faces, volume 12.000000, cap 0, 0 notes",
       SweepParams{}, Shape({{{{0, 0, 0}, {3, 0, 0}}, false}})},
      {"swept round a quarter circle", Shape({Square(1)}), {}, {},
       "36 points, 34 faces, volume 31.233331, cap 0, 0 notes", SweepParams{}, QuarterTurn()},
      {"swept, shrinking to half", Shape({Square(1)}), {}, {}, "8 points, 6 faces, volume 7.000000, cap 4, 0 notes",
       SweepParams{0.5}, Shape({{{{0, 0, 0}, {0, 0, 3}}, false}})},
      {"loft of squares of sides 1 and 2", {}, {}, {}, "8 points, 6 faces, volume 2.333333, cap 1, 0 notes", {}, {},
       {Shape({Square(0.5)}), Shape({Lifted(Square(1), 1)})}},
  };
  for (const SweepCase& c : cases) EXPECT_EQ(Sweep(c), c.expected) << c.name;
}

TEST(SweepShapes, HostileInputIsRefused) {
  SplineSegment infinite = Square(1);
  infinite.points[2].y = INFINITY;
  const SweepCase cases[] = {
      {"subdivisions", Shape({Square(1)}), {{0, 0, 1}, 10001}, {}, ""},
      {"no subdivision", Shape({Square(1)}), {{0, 0, 1}, 0}, {}, ""},
      {"movement not finite", Shape({Square(1)}), {{0, NAN, 1}}, {}, ""},
      {"point not finite", Shape({infinite}), {}, {}, ""},
      {"too many points", Shape({Polygon(1000, 1)}), {{0, 0, 1}, 5000}, {}, ""},
      {"lathe angle not finite", Shape({Square(1)}), {}, LatheParams{NAN}, ""},
      {"lathe subdivisions", Shape({Square(1)}), {}, LatheParams{1, 20000}, ""},
      {"sweep path not finite", Shape({Square(1)}), {}, {}, "", SweepParams{}, Shape({infinite})},
      {"sweep end scale negative", Shape({Square(1)}), {}, {}, "", SweepParams{-1}, Shape({Square(1)})},
      {"loft of one spline", {}, {}, {}, "", {}, {}, {Shape({Square(1)}), Shape({{{{0, 0, 0}}, false}})}},
  };
  for (const SweepCase& c : cases) EXPECT_EQ(Sweep(c), "0 points, 0 faces, volume 0.000000, cap 0, 1 notes") << c.name;
}

TEST(SweepShapes, ParametersAreReadByTheirIds) {
  std::vector<std::string> notes;
  GeContainer data, turn;
  data.StoreVector(1002, {0, 5, 0});
  data.StoreInt32(1001, 3);
  data.StoreInt32(2000, 0);
  data.StoreInt32(2002, 2);
  data.StoreFloat32(2012, 0.5f);
  const ExtrudeParams e = ReadExtrudeParams(data, notes);
  EXPECT_TRUE(e.movement.y == 5 && e.subdivisions == 3 && !e.startCap && e.endCap && e.phongAngle == 0.5);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0], "end fillet cap left out: built as a plain cap");
  turn.StoreFloat32(1000, 2.0f);
  turn.StoreInt32(1001, 8);
  turn.StoreFloat32(1002, 4);
  const LatheParams l = ReadLatheParams(turn, notes);
  EXPECT_TRUE(l.angle == 2 && l.subdivisions == 8 && l.movement == 4);
  turn.StoreFloat32(1013, 1.5f);
  turn.StoreFloat32(1003, 0.5f);
  turn.StoreInt32(2000, 0);
  const SweepParams w = ReadSweepParams(turn, notes);
  EXPECT_TRUE(w.endScale == 4 && w.endRotation == 1.5 && !w.startCap && w.endCap);
  EXPECT_EQ(notes.back(), "sweep growth left out: the whole path swept");
}

}  // namespace
