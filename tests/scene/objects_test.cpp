// What the recorded scenes (tests/golden) do not show: matrix products,
// payloads read from their chunk alone, the objects' state words.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>

#include "memory_file.h"
#include "scene_test_util.h"
#include "spline_input.h"

namespace scene_read {
void ExactCosineSine(double angle, double& cosine, double& sine);  // newer_payloads.cpp
}

namespace {

TEST(Matrices, ProductsAreTakenInDoublePrecision) {
  // In float, 1e8 + 1 rounds back to 1e8, so the sum would come out 0.
  Matrix a, b;
  a.off = {1e8f, 0, 0};
  a.yAxis = {-1e8f, 1, 0};
  b.off = {1, 1, 0};
  EXPECT_FLOAT_EQ(MatrixMultiply(a, b).off.x, 1.0f);
}

#if !defined(_WIN32)  // there the C library's long double cosine is itself the x87's, which reduces inexactly
// The reduction Windows builds place objects with, held against the C
// library's long double cosine and sine, which reduce exactly here: within
// two units in the last place, up to 1e9 and at the angles nearest to
// multiples of pi/2 (where a short pi loses the most).
TEST(Matrices, AnglesAreReducedExactlyUpToABillionRadians) {
  std::vector<double> angles = {0.79, -2.5, -1e9, 0x1p30 - 1, 1647099.3291, 1.0e6 + 0.25};
  for (long double turns : {1.0L, 3.0L, 1048579.0L, 12345678.0L, 636619771.0L}) {
    angles.push_back(double(turns * 1.5707963267948966192313216916397514L));
  }
  for (double a = 0.8; a < 1e9; a *= 1.0123) angles.push_back(a);
  for (const double angle : angles) {
    double c = 0, s = 0;
    scene_read::ExactCosineSine(angle, c, s);
    const long double cosine = std::cos((long double)angle), sine = std::sin((long double)angle);
    EXPECT_TRUE(std::fabs(c - cosine) <= 4e-16L * std::fabs(cosine) && std::fabs(s - sine) <= 4e-16L * std::fabs(sine))
        << std::hexfloat << angle;
  }
}
#endif

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
// tag (a tangent chunk leaves them be); selections and n-gons of polygon
// data, where loading does not route them (anything but a chunk where a
// selection must stand is a format error; a word after the n-gons is none).
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
  ReadChunk(tag, 5617, 0, [](C4DWriter& w) { w.Int32(1).Int32(9).Bool(true); });
  for (int32_t i = 0; i < tag.segmentCount; ++i) text += " " + std::to_string(tag.segments[i].pointCount) + "ox"[tag.segments[i].closed];
  C4DPolygonObjectData data, damaged;
  const auto ranges = [](C4DWriter& w) { w.StartChunk(BaseSelect::kChunkId, 0).Int32(1).Int32(10).Int32(12).EndChunk(); };
  ReadChunk(data, 110117, 0, ranges);
  ReadChunk(data, 110132, 0, ranges);
  ReadChunk(data, 110133, 1, [](C4DWriter& w) { w.Int32(2).Int32(3).UInt32(1).UInt32(2).UInt32(3).Int32(2).UInt32(4).UInt32(5).Int32(0); });
  EXPECT_EQ(ReadChunk(damaged, 110117, 0, [](C4DWriter& w) { w.Int32(1); }), FILEERROR_FORMAT);
  text += " ";
  for (int32_t i = 9; i <= 13; ++i) text += "-sp*"[data.pointSelection.IsSelected(i) + 2 * data.phongBreaks.IsSelected(i)];
  for (int32_t o : data.ngonOffsets) text += " @" + std::to_string(o);
  for (uint32_t v : data.ngonValues) text += " " + std::to_string(v);
  EXPECT_EQ(text + std::to_string(damaged.pointSelection.GetRangeCount()), "Noise Ramp 0000123456780000 4x 3o -***- @0 @3 1 2 3 4 50");
}

// Tangents at either precision: a classic file's floats, a newer file's
// doubles (0.1 is no float); a damaged count reads nothing.
TEST(Payloads, TangentsAreReadAtTheFilesPrecision) {
  std::string text;
  for (const bool newer : {false, true}) {
    C4DWriter w;
    newer ? w.NewerHeader(2024501) : w.Header();
    w.StartChunk(5617, 0).Int32(2);
    const auto real = [&](double v) { w.Word32(uint32_t(std::bit_cast<uint64_t>(v) >> 32)).Word32(uint32_t(std::bit_cast<uint64_t>(v))); };
    for (int i = 0; i < 4; ++i) {
      if (!newer) w.Vec(Vector{0.5f * i, -1, 2});
      else w.Byte(23), real(0.1 * i), real(-1), real(2);
    }
    MemoryFile f(w.EndChunk());
    int32_t id = 0, level = 0;
    C4DTangentTag tag;
    ASSERT_TRUE(f.file.ExpectTag(TAG_CHUNK_START) && f.file.ReadChunkHeader(id, level) && tag.Read(f.file, id, level));
    ASSERT_EQ(tag.pointCount, 2);
    EXPECT_EQ(tag.tangents[3].x, newer ? 0.1 * 3 : 1.5);
    EXPECT_EQ(tag.tangents[3].y + tag.tangents[0].z, 1.0);
  }
  C4DTangentTag damaged;
  EXPECT_EQ(ReadChunk(damaged, 5617, 0, [](C4DWriter& w) { w.Int32(1 << 30).Vec(Vector{}); }), FILEERROR_READ);
  EXPECT_EQ(damaged.pointCount, 0);
}

// The tag list keeps a spline's segment tag only for a factory that asks for
// it, and the spline's input then carries its segments.
TEST(Tags, SplineTagsAreKeptOnlyWhenTheFactoryAsks) {
  struct Keeping : C4DSceneFactory {
    bool KeepsSplineTags() const override { return true; }
  } keeping;
  const std::vector<Vector> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const SceneSpec scene = SceneOf({ObjectSpec::Spline("S", square, false).WithTag(TagSpec::Segments({{1, false}, {3, true}}))});
  LoadedScene plain(WriteScene(scene)), kept(WriteScene(scene), &keeping);
  C4DSplineInput input;
  EXPECT_EQ(plain.Object(0)->GetTag(TAG_TYPE_SEGMENT), nullptr);
  ASSERT_TRUE(ReadSplineInput(kept.Object(0), input));
  ASSERT_EQ(input.segments.size(), 2u);
  EXPECT_EQ(input.points.size(), 4u);
  EXPECT_EQ(input.segments[1].pointCount * 10 + input.segments[1].closed, 31);
}

// The three state words in each layout, resolved through parents and a
// cache's owner: H hidden in the editor, D disabled here or above. In a '6'
// file every object stands under its own type's chunk id and is read whole
// by the library's factory, the polygon objects with their records (p).
TEST(Objects, StateWordsResolveThroughParentsAndCaches) {
  struct Case { int32_t version; bool newer; char header; bool ownType; const char* text; };
  const Case cases[] = {
      {kSceneVersionOld, false, 'X', false, "H5154:10H h5154:21Hp s5154:02p D5154:22D d5154:22Dp"},
      {kSceneVersionCurrent, false, '6', true, "H5140:10H h5100:21Hp c5100:22Hp s5100:02p D5140:22D d5100:22Dp"},
      {2025100, true, 'Q', false, "H5154:10H h5154:21Hp c5154:22Hp s5154:02p D5154:22D d5154:22Dp"},
  };
  for (const Case& c : cases) {
    const auto own = [&](ObjectSpec o) { return c.ownType ? o.OwnType() : o; };
    SceneSpec scene = SceneOf({own(ObjectSpec::Null("H").States(1, 0, 0))
                                   .Child(own(Quad("h").States(2, 1, 0).Fallback(own(Quad("c")))))
                                   .Child(own(Quad("s").States(0, 2, 0))),
                               own(ObjectSpec::Null("D").States(2, 2, 1)).Child(own(Quad("d")))},
                              c.version);
    scene.newer = c.newer;
    scene.headerFirst = c.header;
    LoadedScene loaded(WriteScene(scene));
    std::string text;
    std::function<void(const C4DRootObject*)> walk = [&](const C4DRootObject* list) {
      for (const C4DBaseObject* o : list ? list->Objects() : C4DNodeRange<C4DBaseObject>(nullptr)) {
        text += " " + NameOf(o) + std::to_string(o->typeId) + ":" + std::to_string(o->editorVisibility) +
                std::to_string(o->renderVisibility) + (o->IsHiddenInEditor() ? "H" : "") +
                (o->IsDisabledInTree() ? "D" : "") + (DataOf<C4DPolygonObjectData>(o) ? "p" : "");
        walk(o->fallbackCache), walk(o->childList);
      }
    };
    walk(loaded.document.objects);
    EXPECT_EQ(text.substr(1), c.text) << c.version;
  }
}

}  // namespace
