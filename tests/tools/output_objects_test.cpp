// What the converter writes beside the module's objects: splines drawn as the
// scene program draws them, spline primitives from their parameters, hidden
// objects left out; and reports that count exactly what is written.
#include <cmath>
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
  Conversion Convert(const SceneSpec& scene, bool primitives = true, bool hidden = false) {
    c4dimport::ConvertOptions options;
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

}  // namespace
