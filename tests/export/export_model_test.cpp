// Host objects reshaped for export: polylines and their closing point, one material per
// colour, transparency and surface, and polygons cut into triangles.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "export_writer.h"
#include "host_scene.h"
#include "standin/host_control.h"

using namespace c4dexport;

namespace {

class ExportModel : public ::testing::Test {
 protected:
  void SetUp() override { standin::ResetHost(); }
  void TearDown() override { standin::ResetHost(); }
};

TEST_F(ExportModel, PolylinesDropTheRepeatedFirstPointOfClosedOnesAndOnePointIsSkipped) {
  const std::vector<Point3> points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  const ExportScene scene = BuildExportScene(
      {HostPolyline(points, true), HostPolyline(points, false), HostPolyline({{0, 0, 0}}, true)}, {}, "house.c4d");
  std::vector<std::array<size_t, 3>> lines;  // closed, points, segments
  for (const ExportPolyline& line : scene.polylines) lines.push_back({line.closed, line.points.size(), line.Segments().size()});
  EXPECT_EQ(lines, (std::vector<std::array<size_t, 3>>{{1, 3, 3}, {0, 3, 2}}));
  ASSERT_EQ(scene.skipped.size(), 1u);
  EXPECT_EQ(std::to_string(scene.skipped[0].objectNumber) + ": " + scene.skipped[0].reason, "3: a polyline of one point");
}

TEST_F(ExportModel, EachColourTransparencyAndSurfaceIsOneUniquelyNamedMaterial) {
  const Style red = {0, {0, 204, 25, 25}};
  const ExportScene scene = BuildExportScene(
      {HostCube(1, red), HostCube(1, {0, {50, 255, 0, 0}, "Transparency\\col06_trans050.surf"}), HostCube(1, red),
       HostCube(1, {0, {50, 250, 0, 0}, "a\\col06_trans050.surf"}),
       HostPolyline({{0, 0, 0}, {1, 0, 0}}, false, {0, {50, 204, 25, 25}}),
       HostPolyline({{0, 0, 0}, {1, 0, 0}}, false, {0, {200, 0, 0, 0}})},
      {}, "house.c4d");
  EXPECT_EQ(scene.meshes[0].material, scene.meshes[2].material);
  std::vector<std::pair<std::string, double>> materials;
  for (const ExportMaterial& m : scene.materials) materials.emplace_back(m.name, m.Opacity());
  EXPECT_EQ(materials, (std::vector<std::pair<std::string, double>>{{"Colour_CC1919", 1.0},
                                                                     {"col06_trans050", 0.5},
                                                                     {"col06_trans050_2", 0.5},
                                                                     {"Colour_CC1919_T50", 0.5},
                                                                     {"Colour_000000_T200", 0.0}}));
  EXPECT_EQ(scene.materials[1].surface, "Transparency\\col06_trans050.surf");
}

TEST_F(ExportModel, PolygonsOfNCornersGiveNMinusTwoTrianglesInsideThemselves) {
  // An upright hexagon (x-z plane), and an arrow head whose corner 3 points
  // inwards: its triangles must share the inner diagonal 1-3.
  std::vector<Point3> hexagon;
  for (int i = 0; i < 6; ++i) hexagon.push_back({std::cos(i * M_PI / 3), 0, std::sin(i * M_PI / 3)});
  EXPECT_EQ(TriangulatePolygon(hexagon, {0, 1, 2, 3, 4, 5}).size(), 4u);
  EXPECT_EQ(TriangulatePolygon(hexagon, {0, 1, 2}).size(), 1u);
  EXPECT_TRUE(TriangulatePolygon(hexagon, {0, 1}).empty());
  const auto arrow = TriangulatePolygon({{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}}, {0, 1, 2, 3});
  ASSERT_EQ(arrow.size(), 2u);
  for (const auto& t : arrow) EXPECT_EQ(std::count(t.begin(), t.end(), 1u) + std::count(t.begin(), t.end(), 3u), 2);
}

// One policy for points no format can hold, in every format: the object
// that has one is left out with the reason, and the rest is written; so is
// a mesh beyond what the one format with bounds of its own holds.
TEST_F(ExportModel, ObjectsWithPointsNoFormatHoldsAreLeftOutOfEveryFormat) {
  const ExportScene scene = BuildExportScene(
      {HostCube(1), HostCube(1, {}, INFINITY), HostPolyline({{0, 0, 0}, {NAN, 1, 0}}, false),
       HostMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1e39, 0, 0}}, {{0, 1, 2}}), HostCube(1, {}, 2e9),
       HostMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 1}})},
      {}, "house.c4d");
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("export_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  for (const ExportFormat& format : ExportFormats()) {
    const ExportReport report = WriteExportFile(scene, (dir / ("scene." + format.name)).string(), format);
    std::string got = report.written ? std::to_string(report.meshes) + " mesh; " : "not written: " + report.error;
    for (const auto& left : report.leftOut) got += std::to_string(left.objectNumber) + ": " + left.reason + "; ";
    const bool threeMf = format.name == "3mf";  // holds no point beyond 1e9 mm, nor a face that repeats one
    EXPECT_EQ(got, std::string(threeMf ? "1" : "3") + " mesh; 2: a point that is not a finite number; 3: a point that is not "
                   "a finite number; 4: a point beyond what a float holds; " +
                   (threeMf ? "5: a point more than 1e9 mm from the origin (3mf holds no more); 6: a mesh whose faces "
                              "all repeat a point (3mf holds none of them); " : ""))
        << format.name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
