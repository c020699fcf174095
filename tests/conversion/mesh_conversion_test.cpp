// Polygon objects reaching the host: the point transform, the topology as
// the host receives it, the cases that make nothing, and the guarded host
// calls.
#include <cmath>
#include <memory>
#include <string>

#include "import_fixture.h"

namespace {

class MeshConversion : public ImportTest {};

TEST_F(MeshConversion, PointsArePlacedThroughTheParentChainScaledAndWithTheAxesSwapped) {
  // Grandparent: at (1, 0, 0), scaled by 2. Parent: at (0, 0, 3), turned a
  // quarter about z. The mesh: at (0.5, 0, 0). Scene point (1, 2, 3) lands at
  // (-3, 3, 12), which the host gets as 10 * (x, z, y).
  ObjectSpec parent = ObjectSpec::Null("Pivot").At({0, 0, 3});
  parent.axis.xAxis = {0, 1, 0};
  parent.axis.yAxis = {-1, 0, 0};
  parent.Child(ObjectSpec::Polygon("Mesh", {{1, 2, 3}, {0, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).At({0.5f, 0, 0}));
  const HostObjects objects =
      Import(SceneOf({ObjectSpec::Null("Root").At({1, 0, 0}).Scaled({2, 2, 2}).Child(parent)}));
  ASSERT_EQ(objects.size(), 1u);
  const std::vector<HostPoint> points = PointsOf(objects[0]);
  EXPECT_EQ(points[0], (HostPoint{-30, 120, 30}));
  EXPECT_EQ(points[1], (HostPoint{10, 60, 10}));
  EXPECT_EQ(points[2], (HostPoint{-10, 60, 10}));
}

TEST_F(MeshConversion, SceneOriginAndAPlainPointMapAsTheHostExpects) {
  const HostObjects objects =
      Import(SceneOf({ObjectSpec::Polygon("Mesh", {{0, 0, 0}, {1, 2, 3}, {0, 1, 0}}, {{0, 1, 2, 2}})}));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(PointsOf(objects[0])[0], (HostPoint{0, 0, 0}));
  EXPECT_EQ(PointsOf(objects[0])[1], (HostPoint{10, 30, 20}));
}

TEST_F(MeshConversion, CoordinatesBelowTheThresholdBecomePositiveZero) {
  // Placed at (-0, -0, -0) so that the sums keep their sign: the host's X is
  // -2e-12 (kept), its Y -5e-13 and its Z -0.0 (both made 0.0).
  const HostObjects objects = Import(SceneOf({ObjectSpec::Polygon(
      "Tiny", {{-2e-13f, -0.0f, -5e-14f}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).At({-0.0f, -0.0f, -0.0f})}));
  ASSERT_EQ(objects.size(), 1u);
  const HostPoint p = PointsOf(objects[0])[0];
  EXPECT_EQ(p[0], static_cast<double>(-2e-13f * 10.0f));
  EXPECT_EQ(p[1], 0.0);
  EXPECT_FALSE(std::signbit(p[1]));
  EXPECT_EQ(p[2], 0.0);
  EXPECT_FALSE(std::signbit(p[2]));
}

TEST_F(MeshConversion, HostGetsEveryPointAndTheSplitTopology) {
  // A bent quadrangle, an unused point, then a flat quadrangle.
  const HostObjects objects = Import(SceneOf({ObjectSpec::Polygon(
      "Quads",
      {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f}, {0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}, {9, 9, 9}},
      {{0, 1, 2, 3}, {4, 5, 6, 7}})}));
  ASSERT_EQ(objects.size(), 1u);
  const CQEL_GeoPolyhedron3D& mesh = GeometryOf(objects[0]);
  EXPECT_EQ(mesh.GetDimension(), QEL_DIMENSION_3D);
  EXPECT_EQ(mesh.GetOrientation(), QEL_ORIENTATION_POSITIVE);
  EXPECT_EQ(mesh.GetPoints().size(), 9u);
  EXPECT_EQ(mesh.GetEdges(), (CQEL_GeoPolyhedron3D::EdgeList{
                                 {1, 2}, {2, 3}, {3, 1}, {3, 4}, {4, 1}, {5, 6}, {6, 7}, {7, 8}, {8, 5}}));
  EXPECT_EQ(mesh.GetFaces(), (CQEL_GeoPolyhedron3D::FaceList{{1, 2, 3}, {-3, 4, 5}, {6, 7, 8, 9}}));
}

TEST_F(MeshConversion, MeshWithoutAnyFaceMakesNothingAndIsNotCountedAsConverted) {
  const HostObjects objects = Import(SceneOf({ObjectSpec::Polygon(
      "Degenerate", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1, 1}, {4, 4, 5, 6}, {0, 1, 7, 7}})}));
  EXPECT_TRUE(objects.empty());
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"1 of 1 objects could not be converted.",
                                                    "No object of the scene could be converted."}));
}

TEST_F(MeshConversion, ObjectWithNeitherPointsNorPolygonsIsNotCounted) {
  EXPECT_TRUE(Import(SceneOf({ObjectSpec::Polygon("Empty", {}, {}), Triangle("A")})).size() == 1u);
  EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(MeshConversion, ObjectOnNoLayerGoesToTheActiveLayer) {
  standin::SetActiveLayer(7);
  const HostObjects objects = Import(SceneOf({Triangle("A")}));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(LayerOf(objects[0]), 7u);
  const CQEL_SmartPtr<CQEL_BoolRef> mode = BasisOf(objects[0]).GetCommonStyle()->ConstructionLineMode();
  ASSERT_TRUE(mode);
  EXPECT_FALSE(mode->Get());
}

// Which host object was missing, and which guarded call found it.
struct MissingObject {
  const char* failingClass;
  const char* namedClass;
};

class MissingHostObject : public MeshConversion, public ::testing::WithParamInterface<MissingObject> {};

TEST_P(MissingHostObject, ThrowsANullReferenceNamingItsClassAndAppendsNothing) {
  const std::string path = WriteScene(SceneOf({Triangle("A")}));
  standin::FailCreateObj(GetParam().failingClass);
  HostObjects objects;
  std::unique_ptr<CQEL_NullReferenceException> caught;
  CQEL_Server_C4D::StartImport();
  try {
    CQEL_Server_C4D::Read(CString(path), objects);
  } catch (CQEL_NullReferenceException* exception) {
    caught.reset(exception);
  }
  CQEL_Server_C4D::EndImport();
  ASSERT_TRUE(caught);
  EXPECT_EQ(caught->ReferencedClassName(), GetParam().namedClass);
  EXPECT_EQ(caught->Source(), QEL_SMARTPOINTER_SOURCE);
  EXPECT_EQ(caught->SourceLine(), "189");
  EXPECT_TRUE(objects.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryGuardedCall, MissingHostObject,
    ::testing::Values(MissingObject{"CQEL_GeoPoint3D", "CQEL_GeoPoint3D"},
                      MissingObject{"CQEL_GeoPolyhedron3D", "CQEL_GeoPolyhedron3D"},
                      MissingObject{"CQEL_BasisPolyhedron3D", "CQEL_BasisPolyhedron3D"},
                      MissingObject{"CQEL_CommonStyle", "CQEL_CommonStyle"},
                      MissingObject{"CQEL_UnsignedIntRef", "CQEL_UnsignedIntRef"},
                      MissingObject{"CQEL_ColorARGB", "CQEL_ColorARGB"}),
    [](const ::testing::TestParamInfo<MissingObject>& info) { return std::string(info.param.failingClass); });

}  // namespace
