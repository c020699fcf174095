// What the converter writes beside the module's objects: splines drawn as the
// scene program draws them, spline primitives from their parameters, hidden
// objects left out; and reports that count exactly what is written.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "convert_file.h"
#include "import_fixture.h"

namespace {

using c4dimport::Conversion;

// The host points of a written object, (x, y, z) as the host keeps them.
std::vector<std::array<double, 3>> HostPoints(const CQEL_SmartPtr<CQEL_Object>& object) {
  std::vector<std::array<double, 3>> points;
  if (const CQEL_GeoPolyhedron3D* geometry = c4dimport::ViewObject(object).geometry) {
    for (const auto& p : geometry->GetPoints()) points.push_back({p->X(), p->Y(), p->Z()});
  }
  return points;
}

class OutputObjects : public ImportTest {
 protected:
  Conversion Convert(const SceneSpec& scene, bool primitives = true, bool hidden = false,
                     uint64_t budget = c4drebuild::kDefaultRebuildBudget) {
    c4dimport::ConvertOptions options;
    options.rebuildBudget = budget;
    options.import.ui = &m_ui;
    options.primitives = primitives;
    options.keepHidden = hidden;
    return c4dimport::ConvertFile(WriteScene(scene), options);
  }
};

// A quarter circle as a Bezier span: ends on the axes, handles a third of
// the way (the file's handle is 3/4 of the cubic's inner control point).
ObjectSpec QuarterArcs(int32_t mode) {
  const float k = 0.5523f * 100 * 0.75f;
  ObjectSpec arcs = SplineWith("Arcs", {{100, 0, 0}, {0, 100, 0}, {300, 0, 0}, {200, 100, 0}}, mode, false);
  arcs.node.data.Int(1000, 4);
  arcs.WithTag(TagSpec::Tangents({{0, 0, 0}, {0, k, 0}, {k, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, k, 0}, {k, 0, 0}, {0, 0, 0}}))
      .WithTag(TagSpec::Segments({{2, false}, {2, true}}));
  return arcs;
}

TEST_F(OutputObjects, SplinesAreDrawnSegmentBySegmentAndPrimitivesFromTheirParameters) {
  ObjectSpec circle = ObjectSpec::Plugin("Ring", 5181);
  circle.node.data.Real(2012, 50);
  // Its last segment, a single point, gives no line.
  ObjectSpec chain = ObjectSpec::Spline("Chain", {{0, 0, 0}, {1, 0, 0}, {5, 0, 0}, {6, 0, 0}, {9, 0, 0}}, false);
  chain.WithTag(TagSpec::Segments({{2, false}, {2, false}, {1, false}}));
  SceneSpec scene;
  scene.objects = {QuarterArcs(3), circle.At({0, 0, 7}), chain, ObjectSpec::Spline("Plain", {{0, 0, 0}, {1, 0, 0}}, false)};
  const Conversion done = Convert(scene);
  const c4dimport::ImportResult& result = done.result;
  // The module converted the chain and the plain spline; the chain is drawn anew.
  ASSERT_EQ(result.moduleObjects, 1u);
  ASSERT_EQ(result.objects.size(), 6u);
  EXPECT_EQ(result.sources, (std::vector<std::string>{"Plain", "Chain", "Chain", "Arcs", "Arcs", "Ring"}));
  EXPECT_EQ(result.added[0], "drawn: spline \"Chain\" from its control points, segment 1 of 3");
  EXPECT_EQ(HostPoints(result.objects[2]), (std::vector<std::array<double, 3>>{{50, 0, 0}, {60, 0, 0}}));
  // The open arc bends along the circle of radius 1000 mm round the origin;
  // the closed one comes back along a straight chord of the circle round x 2000.
  const auto arc = HostPoints(result.objects[3]), closed = HostPoints(result.objects[4]);
  EXPECT_GT(arc.size(), 8u);
  for (const auto& p : arc) EXPECT_NEAR(std::hypot(p[0], p[2]), 1000, 1.5);
  EXPECT_EQ(closed.front(), closed.back());
  for (const auto& p : closed) EXPECT_LT(std::hypot(p[0] - 2000, p[2]), 1001.5);
  const auto ring = HostPoints(result.objects[5]);
  EXPECT_EQ(ring.front(), ring.back());  // closed: the first point once more
  for (const auto& p : ring) EXPECT_NEAR(std::hypot(p[0], p[2]), 500, 0.01) << p[1];
  EXPECT_TRUE(done.notConverted.empty());
  ASSERT_EQ(done.made.size(), 3u);
  EXPECT_EQ(done.made[2].kind, "circle");

  const Conversion without = Convert(scene, false);
  EXPECT_EQ(without.result.objects.size(), 5u);  // the splines still, the circle not
}

// Hidden in the editor (itself, or following a hidden parent), disabled
// (itself or through a parent): left out unless kept, each with its reason,
// whether the module converted it or the converter would have made it.
TEST_F(OutputObjects, HiddenObjectsAreLeftOutAndListedUnlessKept) {
  SceneSpec scene;
  scene.objects = {Triangle("Shown"), Triangle("Hidden").States(1, 2, 0),
                   ObjectSpec::Null("Off").States(1, 2, 0).Child(Triangle("Follows")).Child(Triangle("On").States(0, 2, 0)),
                   ObjectSpec::Null("Disabled").States(0, 0, 1).Child(Triangle("Below").States(0, 0, 0)),
                   ObjectSpec::Plugin("Ball", 5160).States(2, 2, 1)};
  const Conversion done = Convert(scene);
  EXPECT_EQ(done.result.sources, (std::vector<std::string>{"Shown", "Off / On"}));
  std::vector<std::tuple<std::string, std::string, bool>> hidden;  // and whether the module had converted it
  for (const auto& h : done.hidden) hidden.emplace_back(h.path, h.reason, h.converted);
  EXPECT_EQ(hidden, (std::vector<std::tuple<std::string, std::string, bool>>{{"Hidden", "hidden in the editor", true},
                                                                             {"Off / Follows", "hidden in the editor", true},
                                                                             {"Disabled / Below", "under a disabled object", true},
                                                                             {"Ball", "disabled", false}}));
  // Counted and left out as hidden is not "not converted"; the module's counters stay its own.
  EXPECT_TRUE(done.notConverted.empty());
  EXPECT_EQ(done.result.session.converted, 5u);
  EXPECT_EQ(done.NotConvertedCount(), 0u);

  const Conversion kept = Convert(scene, true, true);
  EXPECT_EQ(kept.result.objects.size(), 6u);
  EXPECT_TRUE(kept.hidden.empty());
}

// The first host point of each written object, by its source.
std::vector<std::pair<std::string, std::array<double, 3>>> FirstPoints(const c4dimport::ImportResult& result) {
  std::vector<std::pair<std::string, std::array<double, 3>>> firsts;
  for (size_t i = 0; i < result.objects.size(); ++i) {
    std::array<double, 3> p = HostPoints(result.objects[i])[0];
    for (double& c : p) c = std::round(c * 1000) / 1000 + 0.0;  // to the micrometre, -0 as 0
    firsts.emplace_back(result.sources[i], p);
  }
  return firsts;
}

// Generators without caches, evaluated: clones along a line and round a
// circle, a mirror image, an instance of a hidden target, a bend, and
// generators nested; an unknown one, and a cloner whose effectors would place
// its clones, refused with their inputs.
TEST_F(OutputObjects, GeneratorsAreEvaluatedAndReplaceTheirInputs) {
  ObjectSpec linear = ObjectSpec::Plugin("Line", 1018544).Child(Triangle("T").At({0, 0, 1}));
  linear.node.data.Int(2010, 1).Int(1270, 3).Vec(1273, {0, 50, 0}).Int(1021, 1);
  ObjectSpec radial = ObjectSpec::Plugin("Ring", 1018544).Child(Triangle("R"));
  radial.node.data.Int(2010, 2).Int(1240, 4).Real(1246, 100);
  ObjectSpec mirror = ObjectSpec::Plugin("Mirror", 5142).Child(Triangle("M").At({5, 0, 0}));
  ObjectSpec nested = ObjectSpec::Plugin("Both", 5142).Child(linear);
  nested.node.data.Int(1000, 2);
  ObjectSpec bend = ObjectSpec::Plugin("Bend", 5128);
  bend.node.data.Vec(1000, {10, 10, 10}).Real(1002, std::numbers::pi_v<float>);
  ObjectSpec piled = ObjectSpec::Plugin("Piled", 1018544).Child(Triangle("P"));
  piled.node.data.Int(1270, 5).Vec(1273, {0, 0, 0});
  ObjectSpec solid = ObjectSpec::Plugin("Solid", 5116).Child(ObjectSpec::Spline("Square", {{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}, true));
  solid.node.data.Vec(1002, {0, 0, 10});
  const std::vector<Vector> square{{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}};
  // The path leads along +X: the profile's X axis turns to -Z.
  ObjectSpec swept = ObjectSpec::Plugin("Swept", 5118).Child(ObjectSpec::Spline("Profile", square, true))
                         .Child(ObjectSpec::Spline("Path", {{0, 0, 0}, {10, 0, 0}}, false));
  ObjectSpec loft = ObjectSpec::Plugin("Loft", 5107).Child(ObjectSpec::Spline("Low", square, true))
                        .Child(ObjectSpec::Spline("High", square, true).At({0, 0, 4}));
  SceneSpec scene;
  scene.objects = {solid.At({0, 0, -300}), swept.At({0, 0, -600}), loft.At({0, 0, -900}), linear.At({1000, 0, 0}), radial, mirror, nested.At({0, 0, 500}),
                   Triangle("Target").Goal(77).States(1, 1, 0), ObjectSpec::Instance("Copy", 77, {}).At({0, 9, 0}),
                   ObjectSpec::Polygon("Sheet", {{0, 5, 0}, {0, -5, 0}, {1, 5, 0}}, {{0, 1, 2, 2}})
                       .Child(bend)
                       .Child(ObjectSpec::Plugin("Wave", 4243)),
                   ObjectSpec::Plugin("Script", 1023866).Child(Triangle("Input")), piled};
  const Conversion done = Convert(scene);
  using Firsts = std::vector<std::pair<std::string, std::array<double, 3>>>;
  // Host points: 10 times the scene's, y and z swapped.
  EXPECT_EQ(FirstPoints(done.result),
            (Firsts{{"Solid", {10, -3000, 0}},  // the square's first point, then the rest of the box
                    {"Swept", {0, -6010, 0}}, {"Loft", {10, -9000, 0}},
                    {"Line", {10000, 0, 0}}, {"Line", {10000, 0, 500}}, {"Line", {10000, 0, 1000}},
                    {"Ring", {0, 1000, 0}}, {"Ring", {1000, 0, 0}}, {"Ring", {0, -1000, 0}}, {"Ring", {-1000, 0, 0}},
                    {"Mirror", {50, 0, 0}}, {"Mirror", {-50, 0, 0}},
                    {"Both", {0, 5000, 0}}, {"Both", {0, 5000, 500}}, {"Both", {0, 5000, 1000}},
                    {"Both", {0, 5000, 0}}, {"Both", {0, 5000, -500}}, {"Both", {0, 5000, -1000}},
                    {"Copy", {0, 0, 90}},
                    // Bent by half a turn: its top rolled round to its bottom, 2 h/π away.
                    {"Sheet", {63.662, 0, -50}}}));
  std::vector<std::string> refused;
  for (const auto& made : done.made) {
    if (!made.rebuilt) refused.push_back(made.path + ": " + made.reason);
  }
  EXPECT_EQ(refused, (std::vector<std::string>{
                         "Script: generator of data type 1023866: not evaluated by the converter yet: its inputs are "
                         "not written",
                         "Piled: a cloner whose clones all stand in one place: effectors place them, which the "
                         "converter does not apply: its inputs are not written"}));
  EXPECT_TRUE(done.notConverted.empty());
  // An object the converter does not know below another may be a deformer: its effect is said to be lost.
  const auto sheet = std::find_if(done.made.begin(), done.made.end(), [](const auto& m) { return m.path == "Sheet"; });
  ASSERT_NE(sheet, done.made.end());
  EXPECT_NE(sheet->reason.find("\"Wave\", an object of data type 4243 the converter does not know"), std::string::npos)
      << sheet->reason;
  // Instances of instances ask for the same objects ever again: the evaluation stops and says so.
  SceneSpec tripling;
  tripling.objects = {Triangle("L0").Goal(1000)};
  for (uint64_t level = 1; level <= 14; ++level) {
    tripling.objects.push_back(ObjectSpec::Null("L" + std::to_string(level))
                                   .Goal(1000 + level)
                                   .Child(ObjectSpec::Instance("A", 999 + level, {}))
                                   .Child(ObjectSpec::Instance("B", 999 + level, {}))
                                   .Child(ObjectSpec::Instance("C", 999 + level, {})));
  }
  const Conversion tripled = Convert(tripling);
  ASSERT_FALSE(tripled.made.empty());
  EXPECT_NE(tripled.made.back().reason.find("objects evaluated in this file"), std::string::npos)
      << tripled.made.back().reason;
  // What a generator makes counts against the file's budget, as rebuilt primitives do.
  SceneSpec one;
  one.objects = {linear};
  const Conversion tight = Convert(one, true, false, 500);
  ASSERT_EQ(tight.made.size(), 1u);
  EXPECT_NE(tight.made[0].reason.find("over what this file may make"), std::string::npos) << tight.made[0].reason;
}

// The volume a written mesh encloses (divergence theorem over its faces' fans).
double Volume(const CQEL_SmartPtr<CQEL_Object>& object) {
  const CQEL_GeoPolyhedron3D* geometry = c4dimport::ViewObject(object).geometry;
  const auto points = HostPoints(object);
  double volume = 0;
  for (const auto& face : geometry->GetFaces()) {
    std::vector<std::array<double, 3>> corners;
    for (int e : face) {
      const auto& edge = geometry->GetEdges()[size_t(std::abs(e) - 1)];
      corners.push_back(points[(e > 0 ? edge.first : edge.second) - 1]);
    }
    for (size_t i = 1; i + 1 < corners.size(); ++i) {
      const auto &a = corners[0], &b = corners[i], &c = corners[i + 1];
      volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0])) / 6;
    }
  }
  return std::abs(volume) / 1000;  // in cubic scene units: the host's are ten times as long
}

// A cube of 2 pierced by a tall box of 1 by 1 through its middle, by each
// mode; an open input is refused with its inputs. A build without CGAL
// (32-bit, Windows) refuses them all.
TEST_F(OutputObjects, BooleCombinesTwoSolids) {
  const std::vector<std::pair<int32_t, double>> modes = {{1, 6}, {0, 10}, {2, 2}, {3, 6}};
  for (const auto& [mode, volume] : modes) {
    ObjectSpec boole = ObjectSpec::Plugin("Boole", 1010865)
                           .Child(Box("Cube", 2, 2, 2).At({-1, -1, -1}))
                           .Child(Box("Pin", 1, 4, 1).At({-0.5f, -2, -0.5f}));
    boole.node.data.Int(1000, mode);
    const Conversion done = Convert(SceneOf({boole}));
    if (!done.made.empty() && done.made[0].reason.find("not available in this build") != std::string::npos) {
      EXPECT_TRUE(done.result.objects.empty());
      return;
    }
    ASSERT_EQ(done.result.objects.size(), 1u) << mode;
    EXPECT_EQ(done.result.sources[0], "Boole");
    EXPECT_NEAR(Volume(done.result.objects[0]), volume, 1e-6) << mode;
  }
  ObjectSpec open = ObjectSpec::Plugin("Boole", 1010865).Child(Box("Cube", 2, 2, 2)).Child(Quad("Sheet"));
  const Conversion refused = Convert(SceneOf({open}));
  EXPECT_TRUE(refused.result.objects.empty());
  ASSERT_EQ(refused.made.size(), 1u);
  EXPECT_EQ(refused.made[0].reason,
            "boole: the second input is not a closed solid (it has open edges): its inputs are not written");
}

}  // namespace
