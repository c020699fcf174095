// Loading each large scene into a document with the scene model's own
// classes, beside plain reading of the same file as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "c4d_document.h"
#include "ge_chunk_file.h"
#include "large_scenes.h"

namespace {

int64_t FileSize(const std::string& path) {
  std::error_code ignored;
  return static_cast<int64_t>(std::filesystem::file_size(path, ignored));
}

// The whole file into memory in large blocks: what any reader pays at least.
void ReadFile(benchmark::State& state, bench::SceneKind kind) {
  const std::string path = bench::EnsureScene(kind);
  if (path.empty()) return state.SkipWithError("the scene could not be written");
  std::vector<char> block(1 << 20);
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return state.SkipWithError("the scene could not be opened");
    while (std::fread(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * FileSize(path));
}

void LoadScene(benchmark::State& state, bench::SceneKind kind) {
  const std::string path = bench::EnsureScene(kind);
  if (path.empty()) return state.SkipWithError("the scene could not be written");
  for (auto _ : state) {
    auto document = std::make_unique<C4DBaseDocument>();
    GeChunkFile file;
    if (!file.Open(path.c_str()) || !document->Load(file)) state.SkipWithError("the scene was not loaded");
    file.Close();
    // Taking the scene down again is not part of loading it.
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * FileSize(path));
}

}  // namespace

#define SCENE_BENCHMARKS(name, kind)                                                          \
  BENCHMARK_CAPTURE(ReadFile, name, kind)->Unit(benchmark::kMillisecond)->UseRealTime();    \
  BENCHMARK_CAPTURE(LoadScene, name, kind)->Unit(benchmark::kMillisecond)->UseRealTime()

SCENE_BENCHMARKS(mesh_1m, bench::SceneKind::Mesh1M);
SCENE_BENCHMARKS(objects_100k, bench::SceneKind::Objects100k);
SCENE_BENCHMARKS(objects_10k, bench::SceneKind::Objects10k);
SCENE_BENCHMARKS(spline_1m, bench::SceneKind::Spline1M);

BENCHMARK_MAIN();
