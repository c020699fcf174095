// Writes test scenes into a folder: the representative scenes of the damage
// tests, a few files that open single doors of the reader (a bare header, an
// empty document, every value kind, the newer variant's values), layers in
// each state, the look scene with its bitmap; with SAMPLE the bundled sample, with --large one mesh above the
// large-object limit. The fuzz targets' seed corpus and the Python tests'
// scenes come from here.
//   make_scenes DIR [SAMPLE] [--large]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "damage_scenes.h"
#include "look_scene.h"
#include "scene_writer.h"

namespace {

// Layers shown, hidden and locked, a triangle beside a quadrangle, an open spline.
SceneSpec States() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Blue", 11, {0, 0, 1})};
  LayerSpec hidden = LayerSpec::Named("Hidden", 22), locked = LayerSpec::Named("Locked", 23);
  hidden.flags[0] = 0;
  locked.flags[3] = 1;
  scene.layers = {LayerSpec::Named("Shown", 21), hidden, locked};
  scene.objects = {ObjectSpec::Polygon("Mixed", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}},
                                       {{0, 1, 2, 3}, {1, 4, 2, 2}}).OnLayer(22).WithTexture(11),
                   ObjectSpec::Spline("Path", {{0, 0, 0}, {1, 0, 0}, {1, 1, 1}}, false).OnLayer(23)};
  return scene;
}

// One mesh of 710 x 710 quadrangles.
SceneSpec Large() {
  constexpr int n = 710;
  std::vector<Vector> points;
  std::vector<CPolygon> quads;
  for (int y = 0; y <= n; ++y)
    for (int x = 0; x <= n; ++x) points.push_back({float(x), float(y), 0});
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) quads.push_back({y * (n + 1) + x, y * (n + 1) + x + 1, (y + 1) * (n + 1) + x + 1, (y + 1) * (n + 1) + x});
  return SceneOf({ObjectSpec::Polygon("Grid", std::move(points), std::move(quads))});
}

std::vector<NamedScene> DoorOpeners() {
  C4DWriter values, newer;
  values.Header().StartChunk(110000, 0).StartChunk(110015, 2);
  for (const auto& write : EveryValueKind()) write(values);
  ContainerSpec(9).Int(1, 1).Real(2, 2).Sub(3, ContainerSpec(4).Str(1, "x")).WriteChunk(values, 1);
  newer.NewerHeader(2025100).StartChunk(110000, 0).StartChunk(110015, 2).Float32(0.5f).Time(1, 2).Vec({1, 2, 3});
  ContainerSpec(9).Real(1, 2).Time(2, 1, 4).WriteChunk(newer.Mat(Matrix()), 1);
  newer.Packed(std::vector<int32_t>{1, 2}).Packed(std::vector<double>{0.5});
  return {{"header only", C4DWriter().Header().Take()},
          {"empty document", C4DWriter().Header().StartChunk(110000, 0).EndChunk().Take()},
          {"every value", values.EndChunk().EndChunk().Take()},
          {"newer values", newer.EndChunk().EndChunk().Take()},
          {"states", WriteScene(States())},
          {"look", WriteScene(LookScene())}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_scenes DIR [SAMPLE] [--large]\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  std::vector<NamedScene> scenes = RepresentativeScenes();
  for (NamedScene& s : DoorOpeners()) scenes.push_back(std::move(s));
  for (int i = 2; i < argc; ++i) {
    scenes.push_back(std::strcmp(argv[i], "--large") == 0 ? NamedScene{"large", WriteScene(Large())}
                                                         : NamedScene{"sample", ReadFileBytes(argv[i])});
  }
  for (NamedScene& scene : scenes) {
    for (char& c : scene.name) c = c == ' ' ? '_' : c;
    if (scene.bytes.empty() || !C4DWriter().Bytes(scene.bytes).SaveTo((dir / (scene.name + ".c4d")).string())) {
      std::fprintf(stderr, "make_scenes: cannot write %s\n", scene.name.c_str());
      return 1;
    }
  }
  // The look scene's bitmap beside it.
  if (!C4DWriter().Bytes(TinyPng()).SaveTo((dir / "roof.png").string())) {
    std::fprintf(stderr, "make_scenes: cannot write roof.png\n");
    return 1;
  }
  std::printf("%s: %zu scenes\n", dir.string().c_str(), scenes.size());
  return 0;
}
