// Writes the scenes the Python tests import: make_test_scenes FOLDER.
#include <cstdio>
#include <fstream>
#include <string>

#include "damage_scenes.h"
#include "scene_writer.h"

namespace {

// Layers in each state, a triangle beside a quadrangle, an open spline.
SceneSpec States() {
  SceneSpec scene;
  scene.materials = {MaterialSpec::Colored("Blue", 11, {0, 0, 1})};
  LayerSpec hidden = LayerSpec::Named("Hidden", 22), locked = LayerSpec::Named("Locked", 23);
  hidden.flags[0] = 0;
  locked.flags[3] = 1;
  scene.layers = {LayerSpec::Named("Shown", 21), hidden, locked};
  scene.objects = {ObjectSpec::Polygon("Mixed", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}},
                                       {{0, 1, 2, 3}, {1, 4, 2, 2}})
                       .OnLayer(22).WithTexture(11),
                   ObjectSpec::Spline("Path", {{0, 0, 0}, {1, 0, 0}, {1, 1, 1}}, false).OnLayer(23)};
  return scene;
}

// One mesh of 710 x 710 quadrangles: above the large-object limit.
SceneSpec Large() {
  constexpr int n = 710;
  std::vector<Vector> points;
  std::vector<CPolygon> quads;
  for (int y = 0; y <= n; ++y)
    for (int x = 0; x <= n; ++x) points.push_back({float(x), float(y), 0});
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) quads.push_back({y * (n + 1) + x, y * (n + 1) + x + 1, (y + 1) * (n + 1) + x + 1, (y + 1) * (n + 1) + x});
  SceneSpec scene;
  scene.objects = {ObjectSpec::Polygon("Grid", std::move(points), std::move(quads))};
  return scene;
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string folder = std::string(argv[1]) + "/";
  bool ok = Save(folder + "states.c4d", WriteScene(States())) && Save(folder + "large.c4d", WriteScene(Large()));
  for (const NamedScene& scene : RepresentativeScenes()) {
    std::string name = scene.name;
    for (char& c : name) c = c == ' ' ? '_' : c;
    ok = ok && Save(folder + name + ".c4d", scene.bytes);
  }
  return ok ? 0 : 1;
}
