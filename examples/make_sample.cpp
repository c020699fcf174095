// Writes the bundled sample scene: make_sample [OUTPUT], by default
// examples/sample.c4d in the source tree.
//
// The document holds a header chunk (file version 9500), a chunk of settings
// with values of several kinds and a parameter container in each on-disk
// form, and the three top-level lists (materials, objects, layers), empty.
#include <cstdio>
#include <string>

#include "c4d_writer.h"

namespace {

constexpr int32_t kDocumentChunk = 110000;  // the document chunk's id is not checked
constexpr int32_t kDocumentHeader = 110024;
constexpr int32_t kDocumentSettings = 110015;
constexpr int32_t kMaterialList = 110308;
constexpr int32_t kObjectList = 110107;
constexpr int32_t kLayerList = 110134;

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

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : C4D_SAMPLE_PATH;
  C4DWriter w;
  w.Header();
  w.StartChunk(kDocumentChunk, 0);
  w.StartChunk(kDocumentHeader, 1).Int32(9500).Bool(false).EndChunk();
  WriteSettings(w);
  w.StartChunk(kMaterialList, 0).EndChunk();
  w.StartChunk(kObjectList, 0).EndChunk();
  w.StartChunk(kLayerList, 0).EndChunk();
  w.EndChunk();
  if (!w.SaveTo(path)) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", path.c_str(), w.Size());
  return 0;
}
