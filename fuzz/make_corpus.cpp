// Writes the seed corpus of the fuzz targets: make_corpus DIR [SAMPLE]
// The representative scenes of the hardening tests, each also in the older
// layouts, the bundled sample, and a few files that open single doors: an
// empty document, a bare header, containers in both forms.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "c4d_writer.h"
#include "damage_scenes.h"
#include "scene_writer.h"

namespace {

bool Save(const std::filesystem::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string file;
  for (char c : name) file += (c == ' ') ? '-' : c;
  return C4DWriter().Bytes(bytes).SaveTo((dir / (file + ".c4d")).string());
}

std::vector<NamedScene> DoorOpeners() {
  std::vector<NamedScene> files;
  files.push_back({"header only", C4DWriter().Header().Take()});
  files.push_back({"empty document", C4DWriter().Header().StartChunk(110000, 0).EndChunk().Take()});
  C4DWriter values;
  values.Header().StartChunk(110000, 0).StartChunk(110015, 2);
  for (const auto& write : EveryValueKind()) write(values);
  ContainerSpec(9).Int(1, 1).Real(2, 2).Sub(3, ContainerSpec(4).Str(1, "x")).WriteChunk(values, 1);
  values.EndChunk().EndChunk();
  files.push_back({"every value", values.Take()});
  C4DWriter newer;  // the newer variant: widened values, a container and packed arrays
  newer.NewerHeader(2025100).StartChunk(110000, 0).StartChunk(110015, 2).Float32(0.5f).Time(1, 2).Vec({1, 2, 3});
  ContainerSpec(9).Real(1, 2).Time(2, 1, 4).WriteChunk(newer.Mat(Matrix()), 1);
  newer.Packed(std::vector<int32_t>{1, 2}).Packed(std::vector<double>{0.5}).EndChunk().EndChunk();
  files.push_back({"newer values", newer.Take()});
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_corpus DIR [SAMPLE]\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  std::vector<NamedScene> seeds = RepresentativeScenes();
  for (NamedScene& s : DoorOpeners()) seeds.push_back(std::move(s));
  if (argc > 2) seeds.push_back({"sample", ReadFileBytes(argv[2])});
  int written = 0;
  for (const NamedScene& seed : seeds) {
    if (seed.bytes.empty() || !Save(dir, seed.name, seed.bytes)) {
      std::fprintf(stderr, "make_corpus: cannot write %s\n", seed.name.c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%s: %d seeds\n", dir.string().c_str(), written);
  return 0;
}
