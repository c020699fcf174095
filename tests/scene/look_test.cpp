// What a scene's look needs, read back: texture tag projections and their
// restriction to a polygon selection, material bitmaps, lights and cameras.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "damage_scenes.h"
#include "scene_test_util.h"

namespace {

struct KeepingSelections : C4DSceneFactory {
  bool KeepsSelectionTags() const override { return true; }
};

const C4DBaseObject* Find(const C4DRootObject* list, const std::string& name) {
  for (const C4DBaseObject* o : list ? list->Objects() : C4DNodeRange<C4DBaseObject>(nullptr)) {
    if (NameOf(o) == name) return o;
    if (const C4DBaseObject* found = Find(o->childList, name)) return found;
  }
  return nullptr;
}

const C4DMaterial* MaterialNamed(const LoadedScene& scene, const std::string& name) {
  for (const C4DBaseMaterial* m : scene.Materials().Materials()) {
    if (NameOf(m) == name) return dynamic_cast<const C4DMaterial*>(m);
  }
  return nullptr;
}

std::vector<const C4DTextureTag*> TextureTags(const C4DBaseObject& object) {
  std::vector<const C4DTextureTag*> tags;
  for (const C4DBaseTag* tag : object.tags.Tags()) {
    if (auto* texture = dynamic_cast<const C4DTextureTag*>(tag)) tags.push_back(texture);
  }
  return tags;
}

SceneSpec LookScene(int32_t version, bool newer) {
  SceneSpec scene;
  scene.version = version;
  scene.newer = newer;
  MaterialSpec logo = MaterialSpec::Transparent("Logo", 10, {0.2f, 0.4f, 0.6f}, 0.3f).WithColorBitmap("logo.png", 90);
  logo.brightness = 0.8f;
  // A layer shader: its first input holds the bitmap one level further down.
  MaterialSpec layered = MaterialSpec::Colored("Layered", 11, {1, 1, 1});
  layered.colorShaderId = 91;
  layered.shaders = {{91, "", 1011, {{0, "", 1011, {{0, "first.png", 5833, {}}}}, {0, "second.png", 5833, {}}}}};
  scene.materials = {logo, layered, MaterialSpec::Colored("Plain", 12, {1, 1, 1})};
  TagSpec restricted = TagSpec::Texture(10);
  restricted.projection = 3;
  restricted.restriction = "Border";
  restricted.offsetLength = {0.125f, 0.25f, 0.5f, 2.0f};
  restricted.tiles = false;
  ObjectSpec frame = Quad("Frame").WithTexture(11).WithTag(restricted);
  frame.WithTag(TagSpec::PolygonSelection("Other", {{0, 0}}))
      .WithTag(TagSpec::PolygonSelection("Border", {{1, 4}, {7, 7}}))
      .WithTag(TagSpec::Phong(true, 0.75f, true));
  ObjectSpec spot = ObjectSpec::Light("Spot", {LIGHT_SPOT_SQUARE, {1, 0.5f, 0.25f}, 0.58f, 0.125f, 0.75f});
  spot.lightGroups = 3;
  scene.objects = {frame, spot, ObjectSpec::Light("Default"), ObjectSpec::Camera("Cam").Lens(50, 24)};
  return scene;
}

// Each variant the writer makes, every value distinct from its default.
TEST(Look, WrittenScenesReadBackInEveryVariant) {
  const struct { int32_t version; bool newer; } variants[] = {
      {kSceneVersionOld, false}, {kSceneVersionCurrent, false}, {2025100, true}};
  for (const auto& v : variants) {
    SCOPED_TRACE(v.version);
    KeepingSelections keeping;
    LoadedScene loaded(WriteScene(LookScene(v.version, v.newer)), &keeping);
    ASSERT_TRUE(loaded.loaded) << loaded.error;
    const C4DBaseObject* frame = Find(loaded.document.objects, "Frame");
    ASSERT_NE(frame, nullptr);
    const auto textures = TextureTags(*frame);
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0]->Projection(), TEXTURE_PROJECTION_UVW);
    EXPECT_EQ(textures[0]->Restriction(), "");
    EXPECT_TRUE(textures[0]->Tiles());
    const C4DTextureTag& tag = *textures[1];
    EXPECT_EQ(tag.Projection(), 3);
    EXPECT_EQ(tag.Restriction(), "Border");
    EXPECT_EQ(std::vector<double>({tag.OffsetU(), tag.OffsetV(), tag.LengthU(), tag.LengthV()}),
              std::vector<double>({0.125, 0.25, 0.5, 2.0}));
    EXPECT_FALSE(tag.Tiles());
    const C4DPolygonSelectionTag* border = FindPolygonSelection(*frame, tag.Restriction());
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(NameOf(border), "Border");
    ASSERT_EQ(border->selection.GetRangeCount(), 2);
    EXPECT_EQ(border->selection.GetRanges()[0].first * 10 + border->selection.GetRanges()[0].last, 14);
    EXPECT_TRUE(border->selection.IsSelected(7));
    const C4DBaseTag* phong = frame->GetTag(TAG_TYPE_PHONG);
    EXPECT_EQ(phong->data.FindInt32(1001, 0) + phong->data.FindInt32(1003, 0), 2);
    EXPECT_FLOAT_EQ(phong->data.FindFloat32(1002, 0), 0.75f);

    const C4DMaterial* logo = MaterialNamed(loaded, "Logo");
    EXPECT_EQ(logo->ColorBitmap(), "logo.png");
    EXPECT_FLOAT_EQ(logo->GetColorBrightness(), 0.8f);
    EXPECT_FLOAT_EQ(logo->GetTransparency(), 0.3f);
    EXPECT_NE(logo->GetChannelState(CHANNEL_TRANSPARENCY), 0);
    EXPECT_EQ(MaterialNamed(loaded, "Layered")->ColorBitmap(), "first.png");
    EXPECT_EQ(MaterialNamed(loaded, "Plain")->ColorBitmap(), "");
    EXPECT_FLOAT_EQ(MaterialNamed(loaded, "Plain")->GetColorBrightness(), 1.0f);
    EXPECT_EQ(dynamic_cast<const C4DXBaseShader*>(logo->shaders.GetFirst())->kind, C4DXBaseShader::kBitmapKind);

    const auto* spot = DataOf<C4DLightObjectData>(Find(loaded.document.objects, "Spot"));
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->Kind(), LIGHT_SPOT_SQUARE);
    const Vector colour = spot->Colour();
    EXPECT_EQ(std::vector<float>({colour.x, colour.y, colour.z}), std::vector<float>({1, 0.5f, 0.25f}));
    EXPECT_FLOAT_EQ(spot->Brightness(), 0.58f);
    EXPECT_FLOAT_EQ(spot->InnerAngle(), 0.125f);
    EXPECT_FLOAT_EQ(spot->OuterAngle(), 0.75f);
    const C4DBaseObject* camera = Find(loaded.document.objects, "Cam");
    EXPECT_FLOAT_EQ(camera->data.FindFloat32(500, 0), 50.0f);
    EXPECT_FLOAT_EQ(camera->data.FindFloat32(1006, 0), 24.0f);

    // Without the factory's word the selection tags stay out of the tag list.
    LoadedScene plain(loaded.bytes);
    EXPECT_EQ(FindPolygonSelection(*Find(plain.document.objects, "Frame"), "Border"), nullptr);
  }
}

// A light whose payload is missing keeps the defaults.
TEST(Look, LightWithoutPayloadHasTheDefaults) {
  C4DLightObjectData light;
  const Vector colour = light.Colour();
  EXPECT_EQ(colour.x + colour.y + colour.z, 3.0f);
  EXPECT_EQ(light.Brightness() + float(light.Kind()) + light.InnerAngle(), 1.0f);
  EXPECT_NEAR(light.OuterAngle(), 0.5235988, 1e-7);
}

// Facts read off the bytes of real files.
TEST(Look, CorpusFilesShowTheirLook) {
  const std::string dir = C4D_CORPUS_NEWER_DIR;
  if (!std::filesystem::exists(dir)) {
    if (std::getenv("C4D_REQUIRE_CORPUS")) FAIL() << "no corpus at " << dir;
    GTEST_SKIP() << "no corpus at " << dir;
  }
  KeepingSelections keeping;
  LoadedScene render(ReadFileBytes(dir + "/header6-export-render.c4d"), &keeping);
  const C4DBaseObject* frame = Find(render.document.objects, "Frame");
  ASSERT_NE(frame, nullptr);
  const auto textures = TextureTags(*frame);
  ASSERT_EQ(textures.size(), 2u);
  EXPECT_EQ(textures[0]->Restriction() + "|" + textures[1]->Restriction(), "|Border");
  EXPECT_EQ(textures[1]->Projection(), TEXTURE_PROJECTION_UVW);
  const C4DPolygonSelectionTag* border = FindPolygonSelection(*frame, "Border");
  ASSERT_NE(border, nullptr);
  ASSERT_EQ(border->selection.GetRangeCount(), 1);
  EXPECT_EQ(border->selection.GetRanges()[0].first * 10 + border->selection.GetRanges()[0].last, 14);

  // Parameter 8000 links to the third of its shaders (goal 0x24195D0E), which
  // names "logo.png"; the two naming "lux_logo.png" are linked by 8002 and 8007.
  LoadedScene exported(ReadFileBytes(dir + "/header6-export.c4d"));
  EXPECT_EQ(MaterialNamed(exported, "LuxLogo")->ColorBitmap(), "logo.png");

  LoadedScene icon(ReadFileBytes(dir + "/mesh-icon.c4d"));
  std::vector<float> brightness;
  for (const char* name : {"Light.1", "Light"}) {
    const auto* light = DataOf<C4DLightObjectData>(Find(icon.document.objects, name));
    ASSERT_NE(light, nullptr) << name;
    brightness.push_back(light->Brightness());
    EXPECT_NEAR(light->OuterAngle(), 0.5235988, 1e-6) << name;
  }
  EXPECT_EQ(brightness, std::vector<float>({1.0f, 0.58f}));
}

}  // namespace
