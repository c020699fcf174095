// Colours, transparencies and surface files of converted objects, from
// their own colour or from a texture tag's material.
#include <string>

#include "import_fixture.h"

namespace {

class ColourSurface : public ImportTest {
 protected:
  // Imports one triangle textured with `material`; returns the host object.
  CQEL_SmartPtr<CQEL_Object> TexturedTriangle(const MaterialSpec& material) {
    SceneSpec scene = SceneOf({Triangle("A").WithTexture(material.node.goalId)});
    scene.materials.push_back(material);
    HostObjects objects = Import(scene);
    if (objects.size() != 1) throw std::runtime_error("expected one object");
    return objects[0];
  }
};

constexpr uint64_t kMaterial = 10;

TEST_F(ColourSurface, OwnColourBytesAreTruncatedAndWrapAboveOne) {
  SceneSpec scene = SceneOf({Triangle("Orange").Colored({1, 0.5f, 0}), Triangle("Wrapping").Colored({1.2f, 0, 0})});
  const HostObjects objects = Import(scene);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(ArgbOf(objects[0]), (std::array<int, 4>{0, 255, 127, 0}));
  EXPECT_EQ(ArgbOf(objects[1]), (std::array<int, 4>{0, 50, 0, 0})) << "1.2 x 255 = 306 passes as 50";
}

TEST_F(ColourSurface, OwnColourWinsOverTheMaterialAndNeverGetsASurface) {
  SceneSpec scene = SceneOf({Triangle("A").Colored({0, 0, 1}).WithTexture(kMaterial)});
  scene.materials.push_back(MaterialSpec::Transparent("Glass", kMaterial, {1, 0, 0}, 0.5f));
  const HostObjects objects = Import(scene);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(ArgbOf(objects[0]), (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(SurfaceOf(objects[0]), "");
}

TEST_F(ColourSurface, TransparentMaterialNamesThePaletteSurface) {
  const auto red = TexturedTriangle(MaterialSpec::Transparent("Red glass", kMaterial, {1, 0, 0}, 0.5f));
  EXPECT_EQ(ArgbOf(red), (std::array<int, 4>{50, 255, 0, 0}));
  EXPECT_EQ(SurfaceOf(red), "Transparency\\col06_trans050.surf");

  const auto clear = TexturedTriangle(MaterialSpec::Transparent("Clear", kMaterial, {1, 1, 1}, 1.0f));
  EXPECT_EQ(ArgbOf(clear)[0], 100);
  EXPECT_EQ(SurfaceOf(clear), "Transparency\\col00_trans075.surf");
}

TEST_F(ColourSurface, PaletteAndLevelsFollowColourAndTransparency) {
  struct Case {
    Vector colour;
    float transparency;
    const char* surface;
  };
  const Case cases[] = {
      {{0, 0, 0}, 0.5f, "Transparency\\col01_trans050.surf"},
      {{0, 1, 0}, 0.5f, "Transparency\\col03_trans050.surf"},
      {{0, 0, 1}, 0.5f, "Transparency\\col07_trans050.surf"},
      {{0.5f, 0.5f, 0.5f}, 0.5f, "Transparency\\col10_trans050.surf"},
      {{1, 0, 0}, 0.13f, "Transparency\\col06_trans025.surf"},
      {{1, 0, 0}, 0.1f, ""},
  };
  for (const Case& c : cases) {
    const auto object = TexturedTriangle(MaterialSpec::Transparent("M", kMaterial, c.colour, c.transparency));
    EXPECT_EQ(SurfaceOf(object), c.surface) << c.colour.x << " " << c.colour.y << " " << c.colour.z << " "
                                            << c.transparency;
  }
}

TEST_F(ColourSurface, SwitchedOffChannelsKeepTheDefaults) {
  MaterialSpec colourOnly = MaterialSpec::Transparent("Paint", kMaterial, {0, 1, 0}, 0.5f);
  colourOnly.channelStates[2] = 0;
  const auto paint = TexturedTriangle(colourOnly);
  EXPECT_EQ(ArgbOf(paint), (std::array<int, 4>{0, 0, 255, 0}));
  EXPECT_EQ(SurfaceOf(paint), "");

  MaterialSpec nothingOn = colourOnly;
  nothingOn.channelStates[0] = 0;
  EXPECT_EQ(ArgbOf(TexturedTriangle(nothingOn)), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(ColourSurface, ObjectWithoutTextureTakesTheNearestAncestorsMaterial) {
  SceneSpec scene = SceneOf({ObjectSpec::Null("Group").WithTexture(kMaterial).Child(
      ObjectSpec::Null("Inner").Child(Triangle("Leaf")))});
  scene.materials.push_back(MaterialSpec::Colored("Blue", kMaterial, {0, 0, 1}));
  const HostObjects objects = Import(scene);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(ArgbOf(objects[0]), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST_F(ColourSurface, SplineTakesTheSameStyleButNoSurface) {
  SceneSpec scene = SceneOf({SplineWith("Edge", {{0, 0, 0}, {1, 0, 0}}, 0, false).WithTexture(kMaterial)});
  scene.materials.push_back(MaterialSpec::Transparent("Red glass", kMaterial, {1, 0, 0}, 0.5f));
  const HostObjects objects = Import(scene);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(ArgbOf(objects[0]), (std::array<int, 4>{50, 255, 0, 0}));
  EXPECT_EQ(SurfaceOf(objects[0]), "");
}

}  // namespace
