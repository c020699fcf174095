// What the recorded scenes (tests/golden) do not show: matrix products and
// selections.
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

// ---- tags ---------------------------------------------------------------------------

// Selections are read and kept, though the conversion does not use them;
// anything but a chunk where one must stand is a format error.
TEST(Selections, AreReadFromTheirChunk) {
  for (const bool damaged : {false, true}) {
    C4DWriter w = WithHeader();
    w.StartChunk(110117, 0);
    damaged ? w.Int32(2) : w.StartChunk(BaseSelect::kChunkId, 0).Int32(2).Int32(0).Int32(3).Int32(10).Int32(12).EndChunk();
    MemoryFile f(w.EndChunk());
    C4DPointObjectData data;
    int32_t id = 0, level = 0;
    ASSERT_TRUE(f.file.ExpectTag(TAG_CHUNK_START) && f.file.ReadChunkHeader(id, level));
    data.Read(f.file, id, level);
    EXPECT_EQ(f.file.GetError(), damaged ? FILEERROR_FORMAT : FILEERROR_NONE);
    EXPECT_EQ(data.pointSelection.IsSelected(11), !damaged);
  }
}

}  // namespace
