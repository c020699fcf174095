// What the recorded scenes (tests/golden) do not show: matrix products and
// payloads read from their chunk alone.
#include <gtest/gtest.h>

#include "memory_file.h"
#include "scene_test_util.h"

namespace {

TEST(Matrices, ProductsAreTakenInDoublePrecision) {
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a, b;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
}

// ---- payloads the recorded scenes do not show ----------------------------------------

// Reads the chunk that `payload` writes into `node`; the file's error after it.
template <class Node>
int32_t ReadChunk(Node& node, int32_t id, int32_t level, const std::function<void(C4DWriter&)>& payload) {
  C4DWriter w = WithHeader();
  payload(w.StartChunk(id, level));
  MemoryFile f(w.EndChunk());
  if (f.file.ExpectTag(TAG_CHUNK_START) && f.file.ReadChunkHeader(id, level)) node.Read(f.file, id, level);
  return f.file.GetError();
}

// A node's shaders, one in a list chunk; the corners of UVW polygons, whole,
// partial and outside the tag; segments, for which the tag list makes no
// tag; selections and n-gons of polygon data, where loading does not route
// them (anything but a chunk where a selection must stand is a format error).
TEST(Payloads, AreReadFromTheirChunkAlone) {
  const auto shader = [](C4DWriter& w, const char* name) -> C4DWriter& {
    NodeSpec node;
    node.name = name;
    SceneWriter(w.StartChunk(5707, 0), kSceneVersionCurrent).BaseList(node);
    return w.StartChunk(110064, 0).Int32(1011100).Int32(0).Str("").EndChunk().EndChunk();
  };
  C4DBaseList2D node;
  ReadChunk(node, 110131, 0, [&](C4DWriter& w) { shader(shader(w, "Noise").StartChunk(110100, 0), "Ramp").EndChunk(); });
  std::string text;
  for (C4DBaseList2D* s : node.shaders.Nodes()) text += NameOf(s) + " ";
  C4DUVWTag uvw;
  std::vector<Vector> corners(11);
  for (size_t i = 0; i < corners.size(); ++i) corners[i].x = float(i + 1);
  ReadChunk(uvw, 5671, 2, [&](C4DWriter& w) { w.UInt16Array({}).VectorArray(corners).Bool(false); });
  for (int32_t i : {-1, 0, 1, 2}) {
    const C4DUVWTag::UVWStruct c = uvw.GetUVW(i);
    for (float u : {c.a.x, c.b.x, c.c.x, c.d.x}) text += std::to_string(int(u));
  }
  PrivateC4DSegmentTag tag;
  ReadChunk(tag, 5672, 0, [](C4DWriter& w) { w.Int32(2).Int32(4).Bool(true).Int32(3).Bool(false); });
  for (int32_t i = 0; i < tag.segmentCount; ++i) text += " " + std::to_string(tag.segments[i].pointCount) + "ox"[tag.segments[i].closed];
  C4DPolygonObjectData data, damaged;
  const auto ranges = [](C4DWriter& w) { w.StartChunk(BaseSelect::kChunkId, 0).Int32(1).Int32(10).Int32(12).EndChunk(); };
  ReadChunk(data, 110117, 0, ranges);
  ReadChunk(data, 110132, 0, ranges);
  ReadChunk(data, 110133, 1, [](C4DWriter& w) { w.Int32(2).Int32(3).UInt32(1).UInt32(2).UInt32(3).Int32(2).UInt32(4).UInt32(5); });
  EXPECT_EQ(ReadChunk(damaged, 110117, 0, [](C4DWriter& w) { w.Int32(1); }), FILEERROR_FORMAT);
  text += " ";
  for (int32_t i = 9; i <= 13; ++i) text += "-sp*"[data.pointSelection.IsSelected(i) + 2 * data.phongBreaks.IsSelected(i)];
  for (int32_t o : data.ngonOffsets) text += " @" + std::to_string(o);
  for (uint32_t v : data.ngonValues) text += " " + std::to_string(v);
  EXPECT_EQ(text + std::to_string(damaged.pointSelection.GetRangeCount()), "Noise Ramp 0000123456780000 4x 3o -***- @0 @3 1 2 3 4 50");
}

}  // namespace
