// Splines as drawn: the scene program's own point counts on a real file,
// segments and closing spans, each spline primitive's extent and points,
// and what is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "damage_scenes.h"
#include "ge_container.h"
#include "scene_loader.h"
#include "spline_input.h"
#include "spline_shapes.h"

using namespace c4dprim;

namespace {

struct KeepingFactory : C4DSceneFactory {
  bool KeepsSplineTags() const override { return true; }
};

SplineRead Evaluate(const C4DSplineInput& in, const SplineSettings& settings) {
  std::vector<SplineSegmentInfo> segments;
  for (const auto& s : in.segments) segments.push_back({s.pointCount, s.closed});
  return EvaluateSpline(in.points, in.tangents, segments, settings);
}

// The text's outline, a Bezier spline of 60 points in five closed segments,
// beside the linear spline the scene program made from it as drawn: each
// evaluated segment has as many points as the drawn one.
TEST(SplineCorpus, BezierTextGivesTheDrawnPointCounts) {
  const std::string path = std::string(C4D_CORPUS_NEWER_DIR) + "/spline-offset-path.c4d";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << C4D_CORPUS_NEWER_DIR;
  KeepingFactory factory;
  LoadedScene scene(ReadFileBytes(path), &factory);
  ASSERT_TRUE(scene.loaded);
  const C4DBaseObject* text = scene.Object(0)->GetFirstChild();
  C4DSplineInput bezier, drawn;
  ASSERT_TRUE(ReadSplineInput(text->GetFirstFallback(), bezier));
  ASSERT_TRUE(ReadSplineInput(text->GetFirstChild(), drawn));
  ASSERT_EQ(bezier.tangents.size(), 120u);
  const SplineSettings settings = ReadSplineSettings(text->GetFirstFallback()->data);
  EXPECT_EQ(settings.type, SplineType::Bezier);
  const SplineRead read = Evaluate(bezier, settings);
  ASSERT_TRUE(read.shape) << read.reason;
  std::vector<size_t> counts, expected;
  for (const SplineSegment& s : read.shape->segments) counts.push_back(s.points.size());
  for (const auto& s : drawn.segments) expected.push_back(size_t(s.pointCount));
  EXPECT_EQ(expected, (std::vector<size_t>{8, 86, 35, 17, 57}));
  EXPECT_EQ(counts, expected);
  // A linear spline of 101 points stays its points.
  LoadedScene linear(ReadFileBytes(std::string(C4D_CORPUS_NEWER_DIR) + "/spline-bezier.c4d"), &factory);
  C4DSplineInput points;
  ASSERT_TRUE(ReadSplineInput(linear.Object(0), points));
  const SplineRead line = Evaluate(points, ReadSplineSettings(linear.Object(0)->data));
  ASSERT_TRUE(line.shape);
  EXPECT_EQ(line.shape->segments.at(0).points.size(), 101u);
}

// Four points on a circle of radius 100 with the handles of a circle drawn
// in four cubics (0.5523 of the radius, reached at 4/3 of the handle).
std::vector<Vector64> Square() { return {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -100, 0}}; }
std::vector<Vector64> RoundHandles() {
  const double h = 0.5522847 * 100 * 0.75;
  std::vector<Vector64> t;
  for (const Vector64& p : Square()) t.push_back({p.y / 100 * h, -p.x / 100 * h, 0}), t.push_back({-p.y / 100 * h, p.x / 100 * h, 0});
  return t;
}
// The same with the handles into each point taken away.
std::vector<Vector64> OneSidedHandles() {
  std::vector<Vector64> t = RoundHandles();
  for (size_t i = 0; i < t.size(); i += 2) t[i] = {};
  return t;
}

struct EvaluationCase {
  const char* name;
  std::function<void(GeContainer&)> fill;
  std::vector<Vector64> handles;
  std::vector<SplineSegmentInfo> segments;
  std::vector<size_t> counts;
  std::vector<bool> closed;
  double radius = 0;  // when set, every point lies on this circle
};

class Evaluation : public ::testing::TestWithParam<EvaluationCase> {};

TEST_P(Evaluation, SegmentsPointsAndClosing) {
  const EvaluationCase& c = GetParam();
  GeContainer data;
  c.fill(data);
  const SplineRead read = EvaluateSpline(Square(), c.handles, c.segments, ReadSplineSettings(data));
  ASSERT_TRUE(read.shape) << read.reason;
  std::vector<size_t> counts;
  std::vector<bool> closed;
  for (const SplineSegment& s : read.shape->segments) {
    counts.push_back(s.points.size()), closed.push_back(s.closed);
    for (const Vector64& p : s.points) EXPECT_NEAR(c.radius ? std::hypot(p.x, p.y) : 0.0, c.radius, 0.03);
  }
  EXPECT_EQ(counts, c.counts);
  EXPECT_EQ(closed, c.closed);
}

INSTANTIATE_TEST_SUITE_P(
    Splines, Evaluation,
    ::testing::Values(
        EvaluationCase{"LinearInTwoSegments", [](GeContainer&) {}, {}, {{1, false}, {3, true}}, {1, 3}, {false, true}},
        EvaluationCase{"LinearClosedBySetting", [](GeContainer& d) { d.StoreInt32(1002, 1); }, {}, {}, {4}, {true}},
        EvaluationCase{"BezierWithoutHandles", [](GeContainer& d) { d.StoreInt32(1000, 4); d.StoreInt32(1002, 1); }, {}, {}, {4}, {true}},
        EvaluationCase{"BezierCircleUniform",
                       [](GeContainer& d) { d.StoreInt32(1000, 4); d.StoreInt32(1001, 2); d.StoreInt32(1003, 3); },
                       RoundHandles(), {{4, true}}, {16}, {true}, 100},
        EvaluationCase{"BezierHandlesOnOneSide",
                       [](GeContainer& d) { d.StoreInt32(1000, 4); d.StoreInt32(1001, 2); d.StoreInt32(1003, 3); },
                       OneSidedHandles(), {{4, true}}, {16}, {true}},
        EvaluationCase{"BezierOpenAdaptive", [](GeContainer& d) { d.StoreInt32(1000, 4); }, RoundHandles(), {}, {52}, {false}, 100},
        EvaluationCase{"BezierNone", [](GeContainer& d) { d.StoreInt32(1000, 4); d.StoreInt32(1001, 0); }, RoundHandles(), {}, {4}, {false}},
        EvaluationCase{"BezierSubdivided",
                       [](GeContainer& d) { d.StoreInt32(1000, 4); d.StoreInt32(1001, 4); d.StoreFloat32(1005, 1); },
                       RoundHandles(), {{2, false}, {2, false}}, {175, 175}, {false, false}, 100}),
    [](const ::testing::TestParamInfo<EvaluationCase>& info) { return std::string(info.param.name); });

struct PrimitiveCase {
  const char* name;
  int32_t type;
  std::function<void(GeContainer&)> fill;
  std::vector<size_t> counts;
  std::vector<bool> closed;
  Vector64 min, max;
};

class SplinePrimitive : public ::testing::TestWithParam<PrimitiveCase> {};

TEST_P(SplinePrimitive, PointsAndExtent) {
  const PrimitiveCase& c = GetParam();
  GeContainer data;
  c.fill(data);
  const SplineRead read = ReadSplinePrimitive(c.type, data);
  ASSERT_TRUE(read.shape) << read.reason;
  std::vector<size_t> counts;
  std::vector<bool> closed;
  Vector64 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
  for (const SplineSegment& s : read.shape->segments) {
    counts.push_back(s.points.size()), closed.push_back(s.closed);
    for (const Vector64& p : s.points) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
  }
  EXPECT_EQ(counts, c.counts);
  EXPECT_EQ(closed, c.closed);
  for (auto [got, want] : {std::pair{lo.x, c.min.x}, {lo.y, c.min.y}, {lo.z, c.min.z}, {hi.x, c.max.x}, {hi.y, c.max.y}, {hi.z, c.max.z}}) {
    EXPECT_NEAR(got, want, 1e-3);
  }
}

const auto kNone = [](GeContainer&) {};

INSTANTIATE_TEST_SUITE_P(
    Kinds, SplinePrimitive,
    ::testing::Values(
        PrimitiveCase{"CircleDefaults", 5181, kNone, {72}, {true}, {-200, -200, 0}, {200, 200, 0}},
        PrimitiveCase{"EllipseRingInXZ", 5181,
                      [](GeContainer& d) { d.StoreFloat32(2012, 100); d.StoreInt32(2010, 1); d.StoreFloat32(2013, 50);
                                           d.StoreInt32(2011, 1); d.StoreInt32(2300, 2); },
                      {72, 72}, {true, true}, {-100, 0, -50}, {100, 0, 50}},
        PrimitiveCase{"RoundedRectangle", 5186,
                      [](GeContainer& d) { d.StoreFloat32(2060, 300); d.StoreFloat32(2061, 100); d.StoreInt32(2062, 1); },
                      {76}, {true}, {-150, -50, 0}, {150, 50, 0}},
        PrimitiveCase{"NSideDefaults", 5179, kNone, {6}, {true}, {-173.2051, -200, 0}, {173.2051, 200, 0}},
        PrimitiveCase{"StarDefaults", 5187, kNone, {16}, {true}, {-200, -200, 0}, {200, 200, 0}},
        PrimitiveCase{"FourSideDiamond", 5180, [](GeContainer& d) { d.StoreFloat32(2121, 30); }, {4}, {true}, {-30, -100, 0}, {30, 100, 0}},
        PrimitiveCase{"ArcSector", 5182, [](GeContainer& d) { d.StoreInt32(2000, 1); }, {20}, {true}, {0, 0, 0}, {200, 200, 0}},
        PrimitiveCase{"ArcDefaults", 5182, kNone, {19}, {false}, {0, 0, 0}, {200, 200, 0}},
        PrimitiveCase{"FlowerDefaults", 5176, kNone, {144}, {true}, {-176.6293, -200, 0}, {176.6293, 200, 0}},
        PrimitiveCase{"CogwheelDefaults", 5188, kNone, {84, 72}, {true, true}, {-200, -200, 0}, {200, 200, 0}}),
    [](const ::testing::TestParamInfo<PrimitiveCase>& info) { return std::string(info.param.name); });

TEST(SplineRefusal, HostileValuesAreRefusedAndBadSettingsTakeDefaults) {
  GeContainer none, bad;
  const SplineSettings defaults = ReadSplineSettings(none);
  bad.StoreFloat32(1004, -1), bad.StoreFloat32(1005, NAN), bad.StoreInt32(1000, 9);
  const SplineSettings fixed = ReadSplineSettings(bad);
  EXPECT_EQ(defaults.type, SplineType::Linear);
  EXPECT_EQ(defaults.intermediate, Intermediate::Adaptive);
  EXPECT_EQ(fixed.type, SplineType::Linear);
  EXPECT_DOUBLE_EQ(fixed.angle, defaults.angle);
  EXPECT_DOUBLE_EQ(fixed.maxLength, 5.0);
  SplineSettings bezier;
  bezier.type = SplineType::Bezier;
  SplineSettings many = bezier, fine = bezier;
  many.intermediate = Intermediate::Uniform, many.number = INT32_MAX;
  fine.intermediate = Intermediate::Subdivided, fine.maxLength = 1e-300;
  std::vector<Vector64> nan = Square();
  nan[2].y = NAN;
  EXPECT_FALSE(EvaluateSpline(nan, {}, {}, bezier).shape);
  EXPECT_FALSE(EvaluateSpline(Square(), RoundHandles(), {}, many).shape);
  EXPECT_FALSE(EvaluateSpline(Square(), RoundHandles(), {}, fine).shape);
  EXPECT_FALSE(EvaluateSpline(Square(), RoundHandles(), {{3, false}, {2, false}}, bezier).shape);
  EXPECT_FALSE(EvaluateSpline(Square(), {{1, 0, 0}}, {}, bezier).shape);
  EXPECT_FALSE(EvaluateSpline(std::vector<Vector64>(kMaxSplinePoints + 1), {}, {}, {}).shape);
  GeContainer radius, sides, tiny;
  radius.StoreFloat32(2012, NAN), sides.StoreInt32(2131, 1 << 30);
  tiny.StoreInt32(1001, 4), tiny.StoreFloat32(1005, 1e-30f);
  EXPECT_FALSE(ReadSplinePrimitive(SPLINE_CIRCLE, radius).shape);
  EXPECT_FALSE(ReadSplinePrimitive(SPLINE_NSIDE, sides).shape);
  EXPECT_FALSE(ReadSplinePrimitive(SPLINE_CIRCLE, tiny).shape);
  EXPECT_FALSE(ReadSplinePrimitive(5175, none).shape);
  GeContainer plane;
  plane.StoreInt32(2300, 7);
  EXPECT_EQ(ReadSplinePrimitive(SPLINE_CIRCLE, plane).shape.value().notes, std::vector<std::string>{"plane 7 unknown: laid into XY"});
}

}  // namespace
