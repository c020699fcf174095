// The chunk walk of `c4dimport chunks`: it reaches the end of any
// well-formed file whatever its chunk ids, and ends cleanly on damaged input.
#include <gtest/gtest.h>

#include <sstream>

#include "chunks_verb.h"
#include "memory_file.h"

namespace {

// A document with unknown chunk ids, nested chunks and every value kind.
std::vector<uint8_t> RichScene() {
  const double matrix64[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  C4DWriter w = WithHeader();
  w.StartChunk(424242, 0);
  w.StartChunk(110024, 1).Int32(9500).Bool(true).EndChunk();
  w.StartChunk(-7, 99).Int8(-1).UInt8(2).Int16(-3).UInt16(4).Int32(5).UInt32(6).Int64(-7).UInt64(8);
  w.Float32(9).Float64(10).BoolByte(0x80).Time(-2, 4).Vec({1, 2, 3}).Vec64(1, 2, 3).Mat(Matrix{}).Mat64(matrix64);
  w.StartChunk(1, 0).Memory({1, 2, 3}).GoalRecord(0x1234).LinkRecord(0x1234).Private({5, 5}).EndChunk();
  w.Str("name \"quoted\"\n").Filename("f.tif").VectorArray({{1, 1, 1}, {2, 2, 2}}).PolygonArray({{0, 1, 2, 2}});
  w.PolygonArray({{0, 1, 2, 3}}, true).UInt16Array({1, 2, 3}).Byte(200).Word32(3).Bytes({1, 2, 3});
  ContainerSpec(1).Int(1, 1).Sub(2, ContainerSpec().Str(1, "s")).Link(3, 9).WriteOlder(w);
  ContainerSpec(2).Real(1, 0.5f).UnknownChunk(2, 300, 77).Time(3, 1, 2).WriteChunk(w);
  w.EndChunk();
  w.StartChunk(110107, 0).StartChunk(5100, 3).StartChunk(110050, 5).Str("Cube").EndChunk().EndChunk().EndChunk();
  w.EndChunk();
  return w.Take();
}

int Walk(const std::vector<uint8_t>& bytes, std::string* text = nullptr) {
  MemoryFile f(bytes);
  std::ostringstream out;
  const int rc = f.opened ? WalkChunks(f.file, out) : 1;
  if (text) *text = out.str();
  return rc;
}

TEST(ChunksVerb, WalksAWellFormedFileToItsEnd) {
  std::string text;
  EXPECT_EQ(Walk(RichScene(), &text), 0);
  EXPECT_NE(text.find("chunk 424242 level 0"), std::string::npos);
  EXPECT_NE(text.find("    chunk 1 level 0"), std::string::npos);  // indented by depth
  EXPECT_NE(text.find("string [130], 4+28 bytes: \"name \\\"quoted\\\"\\x0A\""), std::string::npos);
  EXPECT_NE(text.find("int32 [15], 4 bytes: 9500"), std::string::npos);
  EXPECT_NE(text.find("goal record 0x0000000000001234"), std::string::npos);
  EXPECT_NE(text.find("error 0 FILEERROR_NONE"), std::string::npos);
}

TEST(ChunksVerb, FileEndingBeforeTheDocumentEndFails) {
  std::vector<uint8_t> bytes = RichScene();
  bytes.pop_back();
  std::string text;
  EXPECT_EQ(Walk(bytes, &text), 1);
  EXPECT_NE(text.find("ends before the document's end marker"), std::string::npos);
  EXPECT_NE(text.find("error 0 "), std::string::npos);
}

TEST(ChunksVerb, ByteWithoutSizeStopsWithItsErrorNamed) {
  C4DWriter w = WithHeader();
  w.StartChunk(1, 0).Int32(1).Byte(5).EndChunk();
  std::string text;
  EXPECT_EQ(Walk(w.Take(), &text), 1);
  EXPECT_NE(text.find("FILEERROR_FORMAT"), std::string::npos);
}

TEST(ChunksVerb, DeepNestingIsWalkedWithoutRecursion) {
  C4DWriter w = WithHeader();
  for (int i = 0; i < 50000; ++i) w.StartChunk(i, 0);
  for (int i = 0; i < 50000; ++i) w.EndChunk();
  EXPECT_EQ(Walk(w.Take()), 0);
}

// Every cut of the file and every byte changed to 0, 0xFF, +1 and -1 must
// end the walk cleanly; only the whole, unchanged file reaches the end.
TEST(ChunksVerb, DamagedCopiesOfAFileEndCleanly) {
  const std::vector<uint8_t> scene = RichScene();
  for (size_t length = 0; length < scene.size(); ++length) {
    EXPECT_EQ(Walk(std::vector<uint8_t>(scene.begin(), scene.begin() + length)), 1) << length;
  }
  for (size_t i = 0; i < scene.size(); ++i) {
    for (int change : {0, 1, 2, 3}) {
      std::vector<uint8_t> damaged = scene;
      damaged[i] = change == 0 ? 0 : change == 1 ? 0xFF : static_cast<uint8_t>(damaged[i] + (change == 2 ? 1 : -1));
      const int rc = Walk(damaged);
      EXPECT_TRUE(rc == 0 || rc == 1) << i;
    }
  }
}

}  // namespace
