// Primitives without caches rebuilt after the import: a rebuilt cube agrees
// with the module's conversion of a stored copy of the same mesh (placement,
// layer, colour); primitives the module converted through their caches stay
// as they are; what cannot be rebuilt says why.
#include <algorithm>

#include "import_fixture.h"
#include "rebuild_primitives.h"

namespace {

class RebuildStep : public ImportTest {};

TEST_F(RebuildStep, RebuiltCubeAgreesWithTheModulesStoredCopy) {
  // A cube of edges 2, 4 and 6 as a polygon object, outward quadrangles.
  const std::vector<Vector> corners = {{-1, -2, -3}, {1, -2, -3}, {1, 2, -3}, {-1, 2, -3},
                                       {-1, -2, 3},  {1, -2, 3},  {1, 2, 3},  {-1, 2, 3}};
  const std::vector<CPolygon> sides = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                       {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
  auto placed = [](ObjectSpec o) { return o.At({5, 1, -2}).RotatedZ(30).Colored({0.2f, 0.4f, 0.6f}).OnLayer(20); };
  ObjectSpec cube = ObjectSpec::Plugin("Box", 5159);
  cube.node.data = ContainerSpec().Vec(1100, {2, 4, 6});
  ObjectSpec disc = ObjectSpec::Plugin("Disc", 5164);
  disc.node.data = ContainerSpec().Real(1161, 3);
  ObjectSpec plane = ObjectSpec::Plugin("Dense", 5168);
  plane.node.data = ContainerSpec().Int(1232, 100000).Int(1233, 100000);
  SceneSpec scene = SceneOf({placed(ObjectSpec::Polygon("Copy", corners, sides)), placed(cube),
                             ObjectSpec::Primitive("Cached", Triangle("Cache"), 5160),
                             ObjectSpec::Null("Group").Child(disc).Child(plane)});
  scene.layers.push_back(LayerSpec::Named("Site", 20));
  const std::string path = WriteScene(scene);

  HostObjects objects = Import(path);
  ASSERT_EQ(objects.size(), 2u);  // the stored copy and the sphere's cache
  const auto table = CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer());
  const std::vector<c4drebuild::RebuiltPrimitive> found = c4drebuild::RebuildPrimitives(path, objects, table);

  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].path + ", " + found[1].path + ", " + found[2].path, "Box, Group / Disc, Group / Dense");
  EXPECT_TRUE(found[0].rebuilt && found[1].rebuilt && !found[2].rebuilt);
  EXPECT_NE(found[2].reason.find("polygons"), std::string::npos);
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(found[1].objectIndex, 3u);
  EXPECT_EQ(GeometryOf(objects[3]).GetFaces().size(), 36u);
  HostObjects limited;  // under a limit of 20 polygons the cube is rebuilt, the disc (36) is not
  EXPECT_EQ(c4drebuild::RebuildPrimitives(path, limited, table, 20).size() + limited.size(), 4u);

  const auto& copy = objects[0];
  const auto& rebuilt = objects[found[0].objectIndex];
  std::vector<HostPoint> expected = PointsOf(copy), actual = PointsOf(rebuilt);
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(GeometryOf(rebuilt).GetFaces().size(), 6u);
  EXPECT_EQ(LayerOf(rebuilt), LayerOf(copy));
  EXPECT_NE(LayerOf(rebuilt), CQEL_Service_LayerResources::GetActiveLayer());
  EXPECT_EQ(ArgbOf(rebuilt), ArgbOf(copy));
}

}  // namespace
