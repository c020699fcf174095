// Writes the bundled sample scene: make_sample [OUTPUT], by default
// examples/sample.c4d in the source tree.
//
// The document holds a header chunk (file version 9500), a chunk of settings
// with values of several kinds and a parameter container in each on-disk
// form, and the three top-level lists with a small house:
// - materials: an opaque red paint and a half transparent red glass;
// - layers: "Building" with "Walls" (holding "Windows") and "Roof", and "Site";
// - objects: a scaled and turned "House" null whose children are the walls
//   (a box of planar quads, painted), a roof under a scaled and turned pivot
//   (one planar and one bent quad, in its own green), and a glass window;
//   a cube primitive whose mesh lies in its fallback cache, an instance of
//   it, a closed outline spline, a light and a camera.
#include <cstdio>
#include <string>
#include <vector>

#include "c4d_writer.h"
#include "scene_writer.h"

namespace {

constexpr int32_t kDocumentSettings = 110015;

// Goal ids that links name.
constexpr uint64_t kPaint = 101;
constexpr uint64_t kGlass = 102;
constexpr uint64_t kBuildingLayer = 201;
constexpr uint64_t kWallsLayer = 202;
constexpr uint64_t kWindowsLayer = 203;
constexpr uint64_t kRoofLayer = 204;
constexpr uint64_t kSiteLayer = 205;
constexpr uint64_t kCube = 301;

void WriteSettings(C4DWriter& w) {
  Matrix placement;
  placement.off = {0.0f, 100.0f, -250.0f};
  w.StartChunk(kDocumentSettings, 2);
  w.Str("Tessaro sample scene").Int32(30).Float32(1.5f).Time(90, 30).Vec({1.0f, 0.5f, 0.25f}).Mat(placement);
  ContainerSpec(5000)
      .Int(1000, 1)
      .Real(1001, 0.75f)
      .Vec(1002, {0.2f, 0.4f, 0.6f})
      .Str(1003, "render settings")
      .Filename(1004, "textures/grid.tif")
      .Sub(1005, ContainerSpec(5001).Int(1, 2).Real(2, 0.5f))
      .WriteChunk(w, 1);
  ContainerSpec(5002).Int(1, 7).Str(2, "older form").WriteOlder(w);
  w.EndChunk();
}

SceneSpec House() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Red Paint", kPaint, {0.8f, 0.1f, 0.1f}),
                     MaterialSpec::Transparent("Red Glass", kGlass, {1.0f, 0.0f, 0.0f}, 0.5f)};
  scene.layers = {LayerSpec::Named("Building", kBuildingLayer)
                      .Child(LayerSpec::Named("Walls", kWallsLayer).Child(LayerSpec::Named("Windows", kWindowsLayer)))
                      .Child(LayerSpec::Named("Roof", kRoofLayer)),
                  LayerSpec::Named("Site", kSiteLayer)};
  scene.layers[0].children[1].color = {0.6f, 0.3f, 0.1f};

  ObjectSpec walls = Box("Walls", 4, 3, 2.5f).OnLayer(kWallsLayer).WithTexture(kPaint);
  // The second quad's last corner is lifted out of its plane.
  ObjectSpec roof = ObjectSpec::Polygon("Roof", {{0, 0, 0}, {4, 0, 0}, {4, 1.5f, 1}, {0, 1.5f, 1}, {4, 3, 0}, {0, 3, 0.2f}},
                                        {{0, 1, 2, 3}, {3, 2, 4, 5}})
                        .OnLayer(kRoofLayer)
                        .Colored({0.2f, 0.6f, 0.2f});
  ObjectSpec pivot = ObjectSpec::Null("Roof Pivot").At({0, 0, 2.5f}).Scaled({1, 1, 0.8f}).RotatedZ(-90).Child(roof);
  ObjectSpec window = ObjectSpec::Polygon("Window", {{1, 0, 1}, {2, 0, 1}, {2, 0, 2}, {1, 0, 2}}, {{0, 1, 2, 3}})
                          .OnLayer(kWindowsLayer)
                          .WithTexture(kGlass)
                          .WithTag(TagSpec::UVW({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
  ObjectSpec house = ObjectSpec::Null("House")
                         .At({10, 5, 0})
                         .RotatedZ(90)
                         .Scaled({2, 2, 2})
                         .OnLayer(kBuildingLayer)
                         .Child(walls)
                         .Child(pivot)
                         .Child(window);
  ObjectSpec cube = ObjectSpec::Primitive("Cube", Box("Cube", 1, 1, 1).At({-0.5f, -0.5f, -0.5f}))
                        .At({-5, 0, 0.5f})
                        .OnLayer(kSiteLayer)
                        .Goal(kCube);
  ObjectSpec copy = ObjectSpec::Instance("Cube Copy", kCube, Box("Cube", 1, 1, 1).At({-0.5f, -0.5f, -0.5f}))
                        .At({-7, 0, 0.5f})
                        .OnLayer(kSiteLayer);
  ObjectSpec outline =
      ObjectSpec::Spline("Outline", {{-10, -10, 0}, {20, -10, 0}, {20, 15, 0}, {-10, 15, 0}}, true).OnLayer(kSiteLayer);
  scene.objects = {house, cube, copy, outline, ObjectSpec::Light("Sun").At({0, -20, 30}),
                   ObjectSpec::Camera("Camera").At({30, -30, 10})};
  return scene;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : C4D_SAMPLE_PATH;
  const std::vector<uint8_t> bytes = WriteDocument(9500, [](SceneWriter& scene) {
    WriteSettings(scene.Raw());
    WriteSceneLists(scene, House());
  });
  if (!C4DWriter().Bytes(bytes).SaveTo(path)) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
  return 0;
}
