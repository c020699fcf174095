// Writes the large benchmark scenes into a folder of the build tree.
//
//   make_large_scenes [--force] [FOLDER]
//
// FOLDER defaults to $C4D_BENCH_SCENES, else the build tree's bench-scenes.
// Files already there are kept unless --force is given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "large_scenes.h"

int main(int argc, char** argv) {
  bool force = false;
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--force") == 0) {
      force = true;
    } else if (argv[k][0] == '-') {
      std::fprintf(stderr, "usage: make_large_scenes [--force] [FOLDER]\n");
      return 2;
    } else {
      setenv("C4D_BENCH_SCENES", argv[k], 1);
    }
  }
  const bench::SceneKind kinds[] = {bench::SceneKind::Mesh1M, bench::SceneKind::MeshPly,
                                    bench::SceneKind::Objects100k, bench::SceneKind::Objects10k,
                                    bench::SceneKind::Spline1M, bench::SceneKind::Layers10k,
                                    bench::SceneKind::Layers20k};
  for (bench::SceneKind kind : kinds) {
    const std::filesystem::path path = std::filesystem::path(bench::BenchSceneFolder()) / bench::SceneFileName(kind);
    std::error_code ignored;
    if (force) std::filesystem::remove(path, ignored);
    const std::string written = bench::EnsureScene(kind);
    if (written.empty()) {
      std::fprintf(stderr, "make_large_scenes: cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%s  %ju bytes\n", written.c_str(), std::uintmax_t(std::filesystem::file_size(written, ignored)));
  }
  return 0;
}
