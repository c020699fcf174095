// Whole scenes converted through the module's exported operations: points,
// polylines, colours and surfaces, layers, and the guarded host calls.
#include <cmath>
#include <memory>
#include <string>

#include "import_fixture.h"

namespace {

using Edges = CQEL_GeoPolyhedron3D::EdgeList;
constexpr uint64_t kMaterial = 10;

class Conversion : public ImportTest {
 protected:
  CQEL_SmartPtr<CQEL_Object> One(const SceneSpec& scene) {
    HostObjects objects = Import(scene);
    if (objects.size() != 1) throw std::runtime_error("expected one object, got " + std::to_string(objects.size()));
    return objects[0];
  }
};

TEST_F(Conversion, PointsArePlacedThroughTheParentChainScaledAndWithTheAxesSwapped) {
  // Grandparent at (1, 0, 0) scaled by 2; parent at (0, 0, 3) turned a
  // quarter about z; the mesh at (0.5, 0, 0). Scene point (1, 2, 3) lands
  // at (-3, 3, 12), which the host gets as 10 * (x, z, y).
  ObjectSpec parent = ObjectSpec::Null("Pivot").At({0, 0, 3});
  parent.axis.xAxis = {0, 1, 0};
  parent.axis.yAxis = {-1, 0, 0};
  parent.Child(ObjectSpec::Polygon("Mesh", {{1, 2, 3}, {0, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).At({0.5f, 0, 0}));
  const auto placed = One(SceneOf({ObjectSpec::Null("Root").At({1, 0, 0}).Scaled({2, 2, 2}).Child(parent)}));
  EXPECT_EQ(PointsOf(placed), (std::vector<HostPoint>{{-30, 120, 30}, {10, 60, 10}, {-10, 60, 10}}));

  const auto plain = One(SceneOf({ObjectSpec::Polygon("Mesh", {{0, 0, 0}, {1, 2, 3}, {0, 1, 0}}, {{0, 1, 2, 2}})}));
  EXPECT_EQ(PointsOf(plain)[1], (HostPoint{10, 30, 20}));

  // At (-0, -0, -0) the sums keep their sign: the host's X is -2e-12
  // (kept), its Y -5e-13 and its Z -0.0 (both made +0.0).
  const HostPoint tiny = PointsOf(One(SceneOf({ObjectSpec::Polygon(
      "Tiny", {{-2e-13f, -0.0f, -5e-14f}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}}).At({-0.0f, -0.0f, -0.0f})})))[0];
  EXPECT_EQ(tiny[0], static_cast<double>(-2e-13f * 10.0f));
  EXPECT_TRUE(tiny[1] == 0.0 && !std::signbit(tiny[1]) && tiny[2] == 0.0 && !std::signbit(tiny[2]));
}

TEST_F(Conversion, MeshReachesTheHostWithEveryPointTheSplitTopologyAndTheActiveLayer) {
  standin::SetActiveLayer(7);
  const auto mesh = One(SceneOf({ObjectSpec::Polygon(
      "Quads", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f}, {0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}, {9, 9, 9}},
      {{0, 1, 2, 3}, {4, 5, 6, 7}})}));
  const CQEL_GeoPolyhedron3D& geometry = GeometryOf(mesh);
  EXPECT_EQ(geometry.GetDimension(), QEL_DIMENSION_3D);
  EXPECT_EQ(geometry.GetOrientation(), QEL_ORIENTATION_POSITIVE);
  EXPECT_EQ(geometry.GetPoints().size(), 9u);
  EXPECT_EQ(geometry.GetEdges(), (Edges{{1, 2}, {2, 3}, {3, 1}, {3, 4}, {4, 1}, {5, 6}, {6, 7}, {7, 8}, {8, 5}}));
  EXPECT_EQ(geometry.GetFaces(), (CQEL_GeoPolyhedron3D::FaceList{{1, 2, 3}, {-3, 4, 5}, {6, 7, 8, 9}}));
  EXPECT_EQ(LayerOf(mesh), 7u) << "no layer: the host's active one";
  const CQEL_SmartPtr<CQEL_BoolRef> mode = BasisOf(mesh).GetCommonStyle()->ConstructionLineMode();
  ASSERT_TRUE(mode);
  EXPECT_FALSE(mode->Get());
}

struct SplineCase {
  const char* what;
  std::vector<Vector> points;
  bool closed;
  int32_t typeId;
  size_t hostPoints;
  Edges edges;
};

TEST_F(Conversion, SplinesBecomeChainsClosedOnTheirFirstPoint) {
  const std::vector<Vector> four = {{0, 0, 0}, {1, 0, 0}, {1, 2, 3}, {0, 1, 0}};
  const SplineCase cases[] = {
      {"open", four, false, 5101, 4, {{1, 2}, {2, 3}, {3, 4}}},
      {"closed", four, true, 5101, 5, {{1, 2}, {2, 3}, {3, 4}, {4, 5}}},
      {"one point, open", {{1, 1, 1}}, false, 5101, 1, {}},
      {"one point, closed", {{1, 1, 1}}, true, 5101, 2, {{1, 2}}},
      {"spline line object", four, false, 5137, 4, {{1, 2}, {2, 3}, {3, 4}}},
  };
  for (const SplineCase& c : cases) {
    ObjectSpec spline = SplineWith("S", c.points, 0, c.closed);
    spline.typeId = c.typeId;
    const auto object = One(SceneOf({spline}));
    const CQEL_GeoPolyhedron3D& line = GeometryOf(object);
    EXPECT_EQ(line.GetDimension(), QEL_DIMENSION_1D) << c.what;
    EXPECT_EQ(line.GetOrientation(), QEL_ORIENTATION_POSITIVE) << c.what;
    ASSERT_EQ(line.GetPoints().size(), c.hostPoints) << c.what;
    EXPECT_EQ(line.GetEdges(), c.edges) << c.what;
    EXPECT_TRUE(line.GetFaces().empty()) << c.what;
    EXPECT_EQ(c.hostPoints > 1 && line.GetPoints().back().Get() == line.GetPoints()[0].Get(), c.closed) << c.what;
    EXPECT_TRUE(c.hostPoints < 3 || PointsOf(object)[2] == (HostPoint{10, 30, 20})) << c.what;
  }
}

struct StyleCase {
  const char* what;
  ObjectSpec object;
  std::optional<MaterialSpec> material;
  std::array<int, 4> argb;
  const char* surface;
};

MaterialSpec Glass(const Vector& rgb, float transparency) {
  return MaterialSpec::Transparent("Glass", kMaterial, rgb, transparency);
}
MaterialSpec WithChannels(MaterialSpec material, int32_t colour, int32_t transparency) {
  material.channelStates[0] = colour;
  material.channelStates[2] = transparency;
  return material;
}

TEST_F(Conversion, ColourAndSurfaceComeFromTheObjectOrTheNearestMaterial) {
  const ObjectSpec textured = Triangle("T").WithTexture(kMaterial);
  const ObjectSpec nested = ObjectSpec::Null("Group").WithTexture(kMaterial).Child(
      ObjectSpec::Null("Inner").Child(Triangle("Leaf")));
  const StyleCase cases[] = {
      {"own colour, truncated", Triangle("A").Colored({1, 0.5f, 0}), {}, {0, 255, 127, 0}, ""},
      {"own colour above one wraps", Triangle("A").Colored({1.2f, 0, 0}), {}, {0, 50, 0, 0}, ""},
      {"own colour wins over the material", Triangle("A").Colored({0, 0, 1}).WithTexture(kMaterial),
       Glass({1, 0, 0}, 0.5f), {0, 0, 0, 255}, ""},
      {"transparent material", textured, Glass({1, 0, 0}, 0.5f), {50, 255, 0, 0}, "Transparency\\col06_trans050.surf"},
      {"clear material", textured, Glass({1, 1, 1}, 1.0f), {100, 255, 255, 255}, "Transparency\\col00_trans075.surf"},
      {"black", textured, Glass({0, 0, 0}, 0.5f), {50, 0, 0, 0}, "Transparency\\col01_trans050.surf"},
      {"green", textured, Glass({0, 1, 0}, 0.5f), {50, 0, 255, 0}, "Transparency\\col03_trans050.surf"},
      {"blue", textured, Glass({0, 0, 1}, 0.5f), {50, 0, 0, 255}, "Transparency\\col07_trans050.surf"},
      {"grey", textured, Glass({0.5f, 0.5f, 0.5f}, 0.5f), {50, 127, 127, 127}, "Transparency\\col10_trans050.surf"},
      {"faint", textured, Glass({1, 0, 0}, 0.13f), {13, 255, 0, 0}, "Transparency\\col06_trans025.surf"},
      {"too faint for a surface", textured, Glass({1, 0, 0}, 0.1f), {10, 255, 0, 0}, ""},
      {"transparency switched off", textured, WithChannels(Glass({0, 1, 0}, 0.5f), 1, 0), {0, 0, 255, 0}, ""},
      {"no channel on", textured, WithChannels(Glass({0, 1, 0}, 0.5f), 0, 0), {0, 0, 0, 0}, ""},
      {"material of the nearest ancestor", nested, MaterialSpec::Colored("Blue", kMaterial, {0, 0, 1}),
       {0, 0, 0, 255}, ""},
      {"spline: the same style, no surface", SplineWith("Edge", {{0, 0, 0}, {1, 0, 0}}, 0, false).WithTexture(kMaterial),
       Glass({1, 0, 0}, 0.5f), {50, 255, 0, 0}, ""},
  };
  for (const StyleCase& c : cases) {
    SceneSpec scene = SceneOf({c.object});
    if (c.material) scene.materials.push_back(*c.material);
    const auto object = One(scene);
    EXPECT_EQ(ArgbOf(object), c.argb) << c.what;
    EXPECT_EQ(SurfaceOf(object), c.surface) << c.what;
  }
}

// Which host object was missing, and which guarded call found it.
class MissingHostObject : public Conversion, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingHostObject, ThrowsANullReferenceNamingItsClassAndAppendsNothing) {
  const std::string path = WriteScene(SceneOf({Triangle("A")}));
  standin::FailCreateObj(GetParam());
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
  EXPECT_EQ(caught->ReferencedClassName(), GetParam());
  EXPECT_EQ(caught->Source(), QEL_SMARTPOINTER_SOURCE);
  EXPECT_EQ(caught->SourceLine(), "189");
  EXPECT_TRUE(objects.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryGuardedCall, MissingHostObject,
                         ::testing::Values("CQEL_GeoPoint3D", "CQEL_GeoPolyhedron3D", "CQEL_BasisPolyhedron3D",
                                           "CQEL_CommonStyle", "CQEL_UnsignedIntRef", "CQEL_ColorARGB"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
