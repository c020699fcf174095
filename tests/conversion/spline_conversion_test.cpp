// Splines reaching the host as polylines.
#include <string>

#include "import_fixture.h"

namespace {

class SplineConversion : public ImportTest {
 protected:
  CQEL_SmartPtr<CQEL_Object> OneSpline(std::vector<Vector> points, bool closed) {
    HostObjects objects = Import(SceneOf({SplineWith("S", std::move(points), 0, closed)}));
    if (objects.size() != 1) throw std::runtime_error("expected one object");
    return objects[0];
  }
};

using Edges = CQEL_GeoPolyhedron3D::EdgeList;

const std::vector<Vector> kFourPoints = {{0, 0, 0}, {1, 0, 0}, {1, 2, 3}, {0, 1, 0}};

TEST_F(SplineConversion, OpenSplineIsAChainThroughItsPoints) {
  const auto object = OneSpline(kFourPoints, false);
  const CQEL_GeoPolyhedron3D& line = GeometryOf(object);
  EXPECT_EQ(line.GetDimension(), QEL_DIMENSION_1D);
  EXPECT_EQ(line.GetOrientation(), QEL_ORIENTATION_POSITIVE);
  EXPECT_EQ(line.GetPoints().size(), 4u);
  EXPECT_EQ(PointsOf(object)[2], (HostPoint{10, 30, 20}));
  EXPECT_EQ(line.GetEdges(), (Edges{{1, 2}, {2, 3}, {3, 4}}));
  EXPECT_TRUE(line.GetFaces().empty());
}

TEST_F(SplineConversion, ClosedSplineEndsOnItsFirstPoint) {
  const auto object = OneSpline(kFourPoints, true);
  const CQEL_GeoPolyhedron3D& line = GeometryOf(object);
  ASSERT_EQ(line.GetPoints().size(), 5u);
  EXPECT_EQ(line.GetPoints()[4].Get(), line.GetPoints()[0].Get()) << "the same host point";
  EXPECT_EQ(line.GetEdges(), (Edges{{1, 2}, {2, 3}, {3, 4}, {4, 5}}));
}

TEST_F(SplineConversion, OnePointSplineHasNoEdgeUnlessClosed) {
  const auto open = OneSpline({{1, 1, 1}}, false);
  EXPECT_EQ(GeometryOf(open).GetPoints().size(), 1u);
  EXPECT_TRUE(GeometryOf(open).GetEdges().empty());
  const auto closed = OneSpline({{1, 1, 1}}, true);
  EXPECT_EQ(GeometryOf(closed).GetPoints().size(), 2u);
  EXPECT_EQ(GeometryOf(closed).GetEdges(), (Edges{{1, 2}}));
}

TEST_F(SplineConversion, SplineOfAnotherModeIsCountedButNotConverted) {
  EXPECT_TRUE(Import(SceneOf({SplineWith("Bezier", kFourPoints, 2, false)})).empty());
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"1 of 1 objects could not be converted.",
                                                    "No object of the scene could be converted."}));
}

TEST_F(SplineConversion, SplineWithoutPointsOrObjectDataConvertsToNothingUncounted) {
  ObjectSpec withoutData = SplineWith("Data replaced", kFourPoints, 0, false);
  withoutData.dataTypeId = 5101;  // a data chunk of the spline's own type leaves it without data
  EXPECT_TRUE(Import(SceneOf({SplineWith("No points", {}, 0, true), withoutData})).empty());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"No object of the scene could be converted."});
}

TEST_F(SplineConversion, SplineLineObjectsConvertLikeSplines) {
  ObjectSpec line = SplineWith("Line", kFourPoints, 0, false);
  line.typeId = 5137;
  const HostObjects objects = Import(SceneOf({line}));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(GeometryOf(objects[0]).GetEdges().size(), 3u);
}

}  // namespace
