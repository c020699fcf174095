// Host objects reshaped for export: faces walked back to their corners,
// polylines and their closing point, layers as groups, one material per
// colour, transparency and surface, and polygons cut into triangles.
#include <gtest/gtest.h>

#include <cmath>

#include "export_model.h"
#include "host_scene.h"
#include "standin/host_control.h"

using namespace c4dexport;

namespace {

class ExportModel : public ::testing::Test {
 protected:
  void SetUp() override { standin::ResetHost(); }
  void TearDown() override { standin::ResetHost(); }
};

const std::vector<ExportLayer> kLayers = {
    {1, "Walls", {"Cinema4D", "house.c4d"}},
    {2, "Roof", {"Cinema4D", "house.c4d"}},
    {3, "Elsewhere", {"Cinema4D", "other.c4d"}},
};

TEST_F(ExportModel, FacesWalkTheirSignedEdgesBackToCorners) {
  // A bent quadrangle split along the diagonal from c to a: the second
  // triangle walks the diagonal backwards.
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetDimension(QEL_DIMENSION_3D);
  geometry->SetPoints(HostPoints({{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5}, {0, 1, 0}}));
  geometry->SetEdges({{1, 2}, {2, 3}, {3, 1}, {3, 4}, {4, 1}});
  geometry->SetFaces({{1, 2, 3}, {-3, 4, 5}});
  const ExportScene scene = BuildExportScene({Styled(geometry, {})}, {}, "house.c4d");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].polygons, (std::vector<std::vector<uint32_t>>{{0, 1, 2}, {0, 2, 3}}));
  EXPECT_EQ(scene.brokenFaces, 0u);
}

TEST_F(ExportModel, FacesWhoseEdgesDoNotJoinAreLeftOutAndCounted) {
  CQEL_SmartPtr<CQEL_GeoPolyhedron3D> geometry = CQEL_GeoPolyhedron3D::CreateObj();
  geometry->SetDimension(QEL_DIMENSION_3D);
  geometry->SetPoints(HostPoints({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
  geometry->SetEdges({{1, 2}, {2, 3}, {3, 1}, {1, 3}});
  geometry->SetFaces({{1, 2, 3}, {1, 4, 2}, {1, 2, 9}, {0, 1, 2}});
  const ExportScene scene = BuildExportScene({Styled(geometry, {})}, {}, "house.c4d");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].polygons.size(), 1u);
  EXPECT_EQ(scene.brokenFaces, 3u);
}

TEST_F(ExportModel, PointsStayInOrderWithUnusedOnes) {
  const ExportScene scene =
      BuildExportScene({HostMesh({{0, 0, 0}, {9, 9, 9}, {1, 0, 0}, {0, 1, 0}}, {{0, 2, 3}})}, {}, "house.c4d");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].points.size(), 4u);
  EXPECT_EQ(scene.meshes[0].points[1], (Point3{9, 9, 9}));
}

TEST_F(ExportModel, AClosedPolylineDropsItsRepeatedFirstPoint) {
  const ExportScene scene = BuildExportScene(
      {HostPolyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, true), HostPolyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, false)},
      {}, "house.c4d");
  ASSERT_EQ(scene.polylines.size(), 2u);
  EXPECT_TRUE(scene.polylines[0].closed);
  EXPECT_EQ(scene.polylines[0].points.size(), 3u);
  EXPECT_EQ(scene.polylines[0].Segments().size(), 3u);
  EXPECT_FALSE(scene.polylines[1].closed);
  EXPECT_EQ(scene.polylines[1].Segments().size(), 2u);
}

TEST_F(ExportModel, APolylineOfOnePointIsSkippedWithItsReason) {
  const ExportScene scene = BuildExportScene({HostPolyline({{0, 0, 0}}, true)}, {}, "house.c4d");
  EXPECT_TRUE(scene.polylines.empty());
  ASSERT_EQ(scene.skipped.size(), 1u);
  EXPECT_EQ(scene.skipped[0].objectNumber, 1u);
  EXPECT_EQ(scene.skipped[0].reason, "a polyline of one point");
}

TEST_F(ExportModel, LayersOfTheFileBecomeGroupsAndUnknownLayersFallToTheFileNode) {
  const ExportScene scene = BuildExportScene(
      {HostMesh(CubePoints(1), CubeQuads(), Style(2)), HostMesh(CubePoints(1), CubeQuads(), Style(77)),
       HostPolyline({{0, 0, 0}, {1, 0, 0}}, false, Style(3))},
      kLayers, "house.c4d");
  // Group 0 is the file node; the file's own layers come next in table
  // order (also "Walls", which holds nothing), then layers used elsewhere.
  ASSERT_EQ(scene.groups.size(), 4u);
  EXPECT_EQ(scene.groups[0].name, "house.c4d");
  EXPECT_EQ(scene.groups[0].path, std::vector<std::string>{"Cinema4D"});
  EXPECT_EQ(scene.groups[1].name, "Walls");
  EXPECT_EQ(scene.groups[2].name, "Roof");
  EXPECT_EQ(scene.groups[3].name, "Elsewhere");
  EXPECT_EQ(scene.groups[3].path, (std::vector<std::string>{"Cinema4D", "other.c4d"}));
  EXPECT_EQ(scene.meshes[0].group, 2u);
  EXPECT_EQ(scene.meshes[1].group, 0u);
  EXPECT_EQ(scene.polylines[0].group, 3u);
}

TEST_F(ExportModel, EachColourTransparencyAndSurfaceIsOneMaterial) {
  const HostStyle red = Style(0, {0, 204, 25, 25});
  const HostStyle glass = Style(0, {50, 255, 0, 0}, "Transparency\\col06_trans050.surf");
  const HostStyle glassOtherSurface = Style(0, {50, 255, 0, 0}, "Transparency\\col07_trans050.surf");
  const HostStyle halfRed = Style(0, {50, 204, 25, 25});
  const ExportScene scene = BuildExportScene(
      {HostMesh(CubePoints(1), CubeQuads(), red), HostMesh(CubePoints(1), CubeQuads(), glass),
       HostMesh(CubePoints(1), CubeQuads(), red), HostMesh(CubePoints(1), CubeQuads(), glassOtherSurface),
       HostPolyline({{0, 0, 0}, {1, 0, 0}}, false, halfRed)},
      {}, "house.c4d");
  ASSERT_EQ(scene.materials.size(), 4u);
  EXPECT_EQ(scene.meshes[0].material, scene.meshes[2].material);
  EXPECT_EQ(scene.materials[0].name, "Colour_CC1919");
  EXPECT_DOUBLE_EQ(scene.materials[0].Opacity(), 1.0);
  EXPECT_EQ(scene.materials[1].name, "col06_trans050");
  EXPECT_EQ(scene.materials[1].surface, "Transparency\\col06_trans050.surf");
  EXPECT_DOUBLE_EQ(scene.materials[1].Opacity(), 0.5);
  EXPECT_EQ(scene.materials[2].name, "col07_trans050");
  EXPECT_EQ(scene.materials[3].name, "Colour_CC1919_T50");
}

TEST_F(ExportModel, MaterialNamesStayUniqueWhenSurfacesShareAName) {
  const ExportScene scene = BuildExportScene(
      {HostMesh(CubePoints(1), CubeQuads(), Style(0, {50, 255, 0, 0}, "a\\col06_trans050.surf")),
       HostMesh(CubePoints(1), CubeQuads(), Style(0, {50, 250, 0, 0}, "a\\col06_trans050.surf"))},
      {}, "house.c4d");
  ASSERT_EQ(scene.materials.size(), 2u);
  EXPECT_EQ(scene.materials[1].name, "col06_trans050_2");
}

TEST_F(ExportModel, TransparencyAboveOneHundredIsFullyClear) {
  ExportMaterial material;
  material.argb[0] = 200;
  EXPECT_DOUBLE_EQ(material.Opacity(), 0.0);
}

TEST_F(ExportModel, FileNodeNameIsTheFileNameCutToTwentyEightCharacters) {
  EXPECT_EQ(FileNodeName("/a/b/house.c4d"), "house.c4d");
  EXPECT_EQ(FileNodeName("C:\\scenes\\house.c4d"), "house.c4d");
  EXPECT_EQ(FileNodeName("a_very_long_scene_file_name_indeed.c4d"), "a_very_long_scene_file_name_");
}

TEST_F(ExportModel, AConcaveQuadrangleIsSplitAlongItsInnerDiagonal) {
  // An arrow head whose corner 3 points inwards: the diagonal 1-3 lies
  // inside, 0-2 outside.
  const std::vector<Point3> points = {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}};
  const auto triangles = TriangulatePolygon(points, {0, 1, 2, 3});
  ASSERT_EQ(triangles.size(), 2u);
  for (const auto& t : triangles) {
    const bool usesInnerDiagonal = (t[0] == 1 || t[1] == 1 || t[2] == 1) && (t[0] == 3 || t[1] == 3 || t[2] == 3);
    EXPECT_TRUE(usesInnerDiagonal) << t[0] << " " << t[1] << " " << t[2];
  }
}

TEST_F(ExportModel, APolygonOfNCornersGivesNMinusTwoTrianglesInAnyPlane) {
  // A regular hexagon standing upright (in the x-z plane).
  std::vector<Point3> points;
  for (int i = 0; i < 6; ++i) points.push_back({std::cos(i * M_PI / 3), 0, std::sin(i * M_PI / 3)});
  EXPECT_EQ(TriangulatePolygon(points, {0, 1, 2, 3, 4, 5}).size(), 4u);
  EXPECT_EQ(TriangulatePolygon(points, {0, 1, 2}).size(), 1u);
  EXPECT_TRUE(TriangulatePolygon(points, {0, 1}).empty());
}

}  // namespace
