// What evaluating a generator costs, against its peer: the module's import of
// a file that stores the same geometry. Each scene goes through the whole
// conversion (ConvertFile, no output file), as `c4dimport import` runs it.
//
//   bench_generators --benchmark_filter=Cloner
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "convert_file.h"
#include "large_scenes.h"
#include "scene_writer.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

namespace {

constexpr int kGrid = 20;  // clones per axis: 8,000 boxes

ObjectSpec Box(const std::string& name) {
  std::vector<Vector> points;
  for (int i = 0; i < 8; ++i) points.push_back({float(i & 1), float(i >> 1 & 1), float(i >> 2 & 1)});
  return ObjectSpec::Polygon(name, points,
                             {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
}

ObjectSpec Grid() {
  ObjectSpec grid = ObjectSpec::Polygon("Sheet", bench::GridPoints(), bench::GridPolygons());
  return grid;
}

// A flat n x n grid of quadrangles.
ObjectSpec SmallGrid(const std::string& name, int n) {
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
  for (int y = 0; y <= n; ++y) {
    for (int x = 0; x <= n; ++x) points.push_back({float(x), float(y), 0});
  }
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int a = y * (n + 1) + x;
      polygons.push_back({a, a + 1, a + n + 2, a + n + 1});
    }
  }
  return ObjectSpec::Polygon(name, points, polygons);
}

std::string Written(const std::string& name, const SceneSpec& scene) {
  const std::string path = bench::BenchSceneFolder() + "/" + name;
  const std::vector<uint8_t> bytes = WriteScene(scene);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

// The cloner of kGrid^3 boxes, and the same boxes stored one by one.
std::string ClonerScene() {
  SceneSpec scene;
  ObjectSpec cloner = ObjectSpec::Plugin("Cloner", 1018544).Child(Box("Box"));
  cloner.node.data.Int(2010, 3).Vec(1200, {kGrid, kGrid, kGrid}).Vec(1201, {100, 100, 100});
  scene.objects = {cloner};
  return Written("cloner_8k.c4d", scene);
}

std::string StoredBoxesScene() {
  SceneSpec scene;
  for (int i = 0; i < kGrid * kGrid * kGrid; ++i) {
    scene.objects.push_back(Box("Box").At({float(i % kGrid * 5), float(i / kGrid % kGrid * 5), float(i / kGrid / kGrid * 5)}));
  }
  return Written("boxes_8k.c4d", scene);
}

// The 1,000,000-quadrangle sheet bent by a deformer, mirrored by a
// Symmetry, and stored as it is.
std::string BentScene() {
  ObjectSpec bend = ObjectSpec::Plugin("Bend", 5128);
  bend.node.data.Vec(1000, {1000, 1000, 1000}).Real(1002, 1.5f);
  SceneSpec scene;
  scene.objects = {Grid().Child(bend)};
  return Written("bent_1m.c4d", scene);
}

std::string MirroredScene() {
  SceneSpec scene;
  scene.objects = {ObjectSpec::Plugin("Symmetry", 5142).Child(Grid())};
  return Written("mirrored_1m.c4d", scene);
}

std::string SheetScene() {
  SceneSpec scene;
  scene.objects = {Grid()};
  return Written("sheet_1m.c4d", scene);
}

// A cage of 10,000 quadrangles subdivided twice (160,000), and 160,000 stored.
std::string SubdividedScene() {
  ObjectSpec subdivision = ObjectSpec::Plugin("Subdivision", 1007455).Child(SmallGrid("Cage", 100));
  subdivision.node.data.Int(1000, 2);
  SceneSpec scene;
  scene.objects = {subdivision};
  return Written("subdivided_160k.c4d", scene);
}

std::string StoredFineScene() {
  SceneSpec scene;
  scene.objects = {SmallGrid("Fine", 400)};
  return Written("stored_160k.c4d", scene);
}

// Two spheres of 5,000 polygons each (100 segments): one minus the other, and both rebuilt as they are.
ObjectSpec Sphere(const std::string& name, float x) {
  ObjectSpec sphere = ObjectSpec::Plugin(name, 5160).At({x, 0, 0});
  sphere.node.data.Real(1110, 100).Int(1111, 100);
  return sphere;
}

std::string BooleScene() {
  SceneSpec scene;
  scene.objects = {ObjectSpec::Plugin("Boole", 1010865).Child(Sphere("A", 0)).Child(Sphere("B", 50))};
  return Written("boole_spheres.c4d", scene);
}

std::string TwoSpheresScene() {
  SceneSpec scene;
  scene.objects = {Sphere("A", 0), Sphere("B", 50)};
  return Written("spheres.c4d", scene);
}

// An extrude, a lathe and a sweep of a ring profile (a circle of 1,000
// points with a hole of 1,000), and the text of 1,000 letters extruded;
// against them, a stored mesh of the same size as the extrusion.
ObjectSpec Ring() {
  std::vector<Vector> points;
  for (float radius : {100.0f, 50.0f}) {
    for (int i = 0; i < 1000; ++i) {
      const float a = 6.2831853f * float(i) / 1000;
      points.push_back({radius * std::cos(a), radius * std::sin(a), 0});
    }
  }
  return ObjectSpec::Spline("Ring", points, true).WithTag(TagSpec::Segments({{1000, true}, {1000, true}}));
}

std::string ExtrudedScene() {
  ObjectSpec extrude = ObjectSpec::Plugin("Extrude", 5116).Child(Ring());
  extrude.node.data.Vec(1002, {0, 0, 100}).Int(1001, 10);
  SceneSpec scene;
  scene.objects = {extrude};
  return Written("extruded_ring.c4d", scene);
}

std::string LathedScene() {
  ObjectSpec lathe = ObjectSpec::Plugin("Lathe", 5117).Child(Ring().At({300, 0, 0}));
  lathe.node.data.Int(1001, 24);
  SceneSpec scene;
  scene.objects = {lathe};
  return Written("lathed_ring.c4d", scene);
}

std::string SweptScene() {
  std::vector<Vector> path;
  for (int i = 0; i <= 50; ++i) path.push_back({float(i) * 20, 100 * std::sin(float(i) / 5), 0});
  SceneSpec scene;
  scene.objects = {ObjectSpec::Plugin("Sweep", 5118).Child(Ring()).Child(ObjectSpec::Spline("Path", path, false))};
  return Written("swept_ring.c4d", scene);
}

std::string TextScene() {
  ObjectSpec text = ObjectSpec::Plugin("Text", 5178);
  std::string letters;
  for (int i = 0; i < 1000; ++i) letters += char('A' + i % 26);
  text.node.data.Str(2111, letters).Real(2115, 100);
  SceneSpec scene;
  scene.objects = {ObjectSpec::Plugin("Extrude", 5116).Child(text)};
  return Written("text_1000.c4d", scene);
}

std::string StoredRingScene() {
  SceneSpec scene;
  scene.objects = {SmallGrid("Stored", 141)};  // about 20,000 quadrangles, as the extruded ring's walls
  return Written("stored_20k.c4d", scene);
}

void Convert(benchmark::State& state, std::string (*scene)()) {
  const std::string path = scene();
  size_t objects = 0;
  for (auto _ : state) {
    state.PauseTiming();
    standin::ResetHost();
    standin::ScriptedUi ui;
    ui.SetDefaultAnswer(IDYES);
    state.ResumeTiming();
    c4dimport::ConvertOptions options;
    options.import.ui = &ui;
    options.import.large = c4dimport::LargeAnswer::Yes;
    const c4dimport::Conversion done = c4dimport::ConvertFile(path, options);
    state.PauseTiming();
    objects = done.result.objects.size();
    state.ResumeTiming();
  }
  state.counters["objects"] = double(objects);
}

BENCHMARK_CAPTURE(Convert, ClonerGrid8k, ClonerScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, StoredBoxes8k, StoredBoxesScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Bend1M, BentScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Convert, Symmetry1M, MirroredScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Convert, StoredSheet1M, SheetScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Convert, Subdivision160k, SubdividedScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, StoredGrid160k, StoredFineScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, BooleSpheres, BooleScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, ExtrudedRing, ExtrudedScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, LathedRing, LathedScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, SweptRing, SweptScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Text1000, TextScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, StoredMesh20k, StoredRingScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, RebuiltSpheres, TwoSpheresScene)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
