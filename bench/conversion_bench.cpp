// The steps of converting the 1,000,000-quadrangle mesh, one by one, to see
// where the time of an import goes: host points, edges and faces, handing
// the lists to a host polyhedron (which copies them), and taking it all down.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "large_scenes.h"
#include "polygon_conversion.h"
#include "polygon_topology.h"
#include "qel_host.h"

namespace {

struct Grid {
  std::vector<Vector> points = bench::GridPoints();
  std::vector<CPolygon> polygons = bench::GridPolygons();
  int32_t PointCount() const { return static_cast<int32_t>(points.size()); }
  int32_t PolygonCount() const { return static_cast<int32_t>(polygons.size()); }
};

const Grid& TheGrid() {
  static const Grid grid;
  return grid;
}

void HostPoints(benchmark::State& state) {
  const Grid& grid = TheGrid();
  for (auto _ : state) {
    auto points = std::make_unique<PointList>();
    ConvertObjectPoints(grid.points.data(), grid.PointCount(), Matrix(), *points);
    state.PauseTiming();
    points.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * grid.PointCount());
}

void Topology(benchmark::State& state) {
  const Grid& grid = TheGrid();
  for (auto _ : state) {
    auto edges = std::make_unique<EdgeList>();
    auto faces = std::make_unique<FaceList>();
    BuildPolygonTopology(grid.polygons.data(), grid.PolygonCount(), grid.points.data(), grid.PointCount(), *edges,
                         *faces);
    state.PauseTiming();
    edges.reset();
    faces.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * grid.PolygonCount());
}

// The hand-over of the three lists to the host: moved, as the module does.
void HandOver(benchmark::State& state) {
  const Grid& grid = TheGrid();
  for (auto _ : state) {
    state.PauseTiming();
    PointList points;
    EdgeList edges;
    FaceList faces;
    ConvertObjectPoints(grid.points.data(), grid.PointCount(), Matrix(), points);
    BuildPolygonTopology(grid.polygons.data(), grid.PolygonCount(), grid.points.data(), grid.PointCount(), edges,
                         faces);
    state.ResumeTiming();
    CQEL_SmartPtr<CQEL_GeoPolyhedron3D> mesh = CQEL_GeoPolyhedron3D::CreateObj();
    mesh->SetPoints(std::move(points));
    mesh->SetEdges(std::move(edges));
    mesh->SetFaces(std::move(faces));
    state.PauseTiming();
    mesh.Reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * grid.PolygonCount());
}

void Release(benchmark::State& state) {
  const Grid& grid = TheGrid();
  for (auto _ : state) {
    state.PauseTiming();
    auto points = std::make_unique<PointList>();
    auto edges = std::make_unique<EdgeList>();
    auto faces = std::make_unique<FaceList>();
    ConvertObjectPoints(grid.points.data(), grid.PointCount(), Matrix(), *points);
    BuildPolygonTopology(grid.polygons.data(), grid.PolygonCount(), grid.points.data(), grid.PointCount(), *edges,
                         *faces);
    state.ResumeTiming();
    points.reset();
    edges.reset();
    faces.reset();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * grid.PolygonCount());
}

}  // namespace

BENCHMARK(HostPoints)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Topology)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HandOver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Release)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
