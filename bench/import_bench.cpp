// The whole import of each large scene through the module's exported
// operations (StartImport, Read, EndImport), with the stand-in host and a
// scripted UI that agrees to convert large meshes.
#include <benchmark/benchmark.h>

#include <vector>

#include "QEL_Server_C4D.h"
#include "large_scenes.h"
#include "qel_host.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

namespace {

void Import(benchmark::State& state, bench::SceneKind kind) {
  const std::string path = bench::EnsureScene(kind);
  if (path.empty()) return state.SkipWithError("the scene could not be written");
  size_t converted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Every run builds its layers anew in an empty table.
    standin::ResetHost();
    standin::ScriptedUi ui;
    ui.SetDefaultAnswer(IDYES);
    standin::ScopedHostUi installed(&ui);
    std::vector<CQEL_SmartPtr<CQEL_Object>> objects;
    state.ResumeTiming();

    CQEL_Server_C4D::StartImport();
    CQEL_Server_C4D::Read(CString(path.c_str()), objects);
    CQEL_Server_C4D::EndImport();

    // The host's objects go with the host, not with the import.
    state.PauseTiming();
    converted = objects.size();
    if (!ui.BoxesOfKind(standin::BoxKind::Error).empty()) state.SkipWithError("the import reported an error");
    objects.clear();
    state.ResumeTiming();
  }
  state.counters["objects"] = double(converted);
}

}  // namespace

BENCHMARK_CAPTURE(Import, mesh_1m, bench::SceneKind::Mesh1M)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, objects_100k, bench::SceneKind::Objects100k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, objects_10k, bench::SceneKind::Objects10k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, spline_1m, bench::SceneKind::Spline1M)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
