// Reading the two big arrays of a mesh: points (vector arrays) and polygons
// (polygon arrays, 32-bit and 16-bit indices), from memory and from a file.
// Reported as bytes of the file read per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "c4d_writer.h"
#include "ge_alloc.h"
#include "ge_chunk_file.h"
#include "large_scenes.h"

namespace {

const std::vector<uint8_t>& PointFile() {
  static const std::vector<uint8_t> bytes = C4DWriter().Header().VectorArray(bench::GridPoints()).Take();
  return bytes;
}

// Polygons of a grid small enough for 16-bit indices keep the same count.
std::vector<CPolygon> SmallIndexPolygons() {
  std::vector<CPolygon> polygons = bench::GridPolygons();
  for (CPolygon& p : polygons) p = CPolygon{p.a & 0xFFFF, p.b & 0xFFFF, p.c & 0xFFFF, p.d & 0xFFFF};
  return polygons;
}

const std::vector<uint8_t>& PolygonFile(bool sixteenBit) {
  static const std::vector<uint8_t> wide = C4DWriter().Header().PolygonArray(bench::GridPolygons(), false).Take();
  static const std::vector<uint8_t> narrow = C4DWriter().Header().PolygonArray(SmallIndexPolygons(), true).Take();
  return sixteenBit ? narrow : wide;
}

// The bytes saved once as a file of the scene folder.
std::string AsFile(const std::vector<uint8_t>& bytes, const char* name) {
  const std::string path = (std::filesystem::path(bench::BenchSceneFolder()) / name).string();
  std::error_code ignored;
  std::filesystem::create_directories(bench::BenchSceneFolder(), ignored);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

bool OpenSource(GeChunkFile& file, const std::vector<uint8_t>& bytes, const std::string& path) {
  return path.empty() ? file.OpenMemory(bytes.data(), bytes.size()) : file.Open(path.c_str());
}

void ReadPoints(benchmark::State& state, bool fromFile) {
  const std::vector<uint8_t>& bytes = PointFile();
  const std::string path = fromFile ? AsFile(bytes, "points_1m.bin") : "";
  for (auto _ : state) {
    GeChunkFile file;
    Vector* points = nullptr;
    int32_t count = 0;
    if (!OpenSource(file, bytes, path) || !file.ReadVectorArray(points, count) || count != bench::kGridPoints) {
      state.SkipWithError("the point array was not read");
    }
    benchmark::DoNotOptimize(points);
    GeFree(points);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void ReadPolygons(benchmark::State& state, bool fromFile, bool sixteenBit) {
  const std::vector<uint8_t>& bytes = PolygonFile(sixteenBit);
  const std::string path = fromFile ? AsFile(bytes, sixteenBit ? "polygons16_1m.bin" : "polygons_1m.bin") : "";
  for (auto _ : state) {
    GeChunkFile file;
    CPolygon* polygons = nullptr;
    int32_t count = 0;
    if (!OpenSource(file, bytes, path) || !file.ReadPolygonArray(polygons, count) || count != bench::kGridPolygons) {
      state.SkipWithError("the polygon array was not read");
    }
    benchmark::DoNotOptimize(polygons);
    GeFree(polygons);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// The newer variant's points: three packed arrays of doubles (all x, all
// y, all z) read as the columns of one array of double-precision points.
const std::vector<uint8_t>& NewerPointFile() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<double> xyz[3];
    for (const Vector& p : bench::GridPoints()) xyz[0].push_back(p.x), xyz[1].push_back(p.y), xyz[2].push_back(p.z);
    return C4DWriter().NewerHeader(2025100).Packed(xyz[0]).Packed(xyz[1]).Packed(xyz[2]).Take();
  }();
  return bytes;
}

void ReadNewerPoints(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = NewerPointFile();
  std::vector<Vector64> points(static_cast<size_t>(bench::kGridPoints));
  for (auto _ : state) {
    GeChunkFile file;
    bool read = file.OpenMemory(bytes.data(), bytes.size());
    for (size_t column = 0; column < 3; ++column) {
      auto* target = reinterpret_cast<uint8_t*>(points.data()) + 8 * column;
      read = read && file.ReadPackedColumn(PACKED_FLOAT64, int32_t(bench::kGridPoints), target, sizeof(Vector64));
    }
    if (!read) state.SkipWithError("the packed points were not read");
    benchmark::DoNotOptimize(points.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

}  // namespace

BENCHMARK(ReadNewerPoints)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReadPoints, memory, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReadPoints, file, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReadPolygons, memory, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReadPolygons, file, true, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReadPolygons, memory_16bit, false, true)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
