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
}

}  // namespace
