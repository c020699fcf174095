// The chunk walk of `c4dimport chunks`: it reaches the end of any
// well-formed file whatever its chunk ids, and stops where the loader stops.
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

struct WalkCase {
  const char* what;
  std::vector<uint8_t> bytes;
  int exitCode;
  std::vector<const char*> lines;
};

TEST(ChunksVerb, WalksWhatTheLoaderReadsAndStopsWhereItStops) {
  std::vector<uint8_t> cut = RichScene();
  cut.pop_back();
  C4DWriter deep = WithHeader();
  for (int i = 0; i < 50000; ++i) deep.StartChunk(i, 0);
  for (int i = 0; i < 50000; ++i) deep.EndChunk();
  // A parameter container stored in chunk form at level 0 is its header
  // alone, with no end marker, both as a value and as a container entry.
  C4DWriter headerOnly = WithHeader();
  headerOnly.StartChunk(110000, 0).StartChunk(5100, 0).Int32(1).Byte(1).Word32(132).Word32(0).Int32(2).EndChunk();
  headerOnly.StartChunk(132, 1).Int32(3).Int32(7).Int32(132).Byte(1).Word32(132).Word32(0).EndChunk();
  headerOnly.Int32(4).EndChunk();
  const WalkCase cases[] = {
      {"a well-formed file", RichScene(), 0,
       {"chunk 424242 level 0", "    chunk 1 level 0", "string [130], 4+28 bytes: \"name \\\"quoted\\\"\\x0A\"",
        "int32 [15], 4 bytes: 9500", "goal record 0x0000000000001234", "error 0 FILEERROR_NONE"}},
      {"a file ending before the document's end", cut, 1, {"ends before the document's end marker", "error 0 "}},
      {"a byte without its size", WithHeader().StartChunk(1, 0).Int32(1).Byte(5).EndChunk().Take(), 1,
       {"FILEERROR_FORMAT"}},
      {"deep nesting, walked without recursion", deep.Take(), 0, {"50000 chunks"}},
      {"containers of level 0", headerOnly.Take(), 0,
       {"    chunk 132 level 0  @31: an empty container, header only\n    int32 [15], 4 bytes: 2\n  end",
        "header only\n  end\n  int32 [15], 4 bytes: 4\nend\n5 chunks", "error 0 FILEERROR_NONE"}},
  };
  for (const WalkCase& c : cases) {
    std::string text;
    EXPECT_EQ(Walk(c.bytes, &text), c.exitCode) << c.what << "\n" << text.substr(0, 3000);
    for (const char* line : c.lines) EXPECT_NE(text.find(line), std::string::npos) << c.what << ": " << line << "\n" << text.substr(0, 3000);
  }
}

}  // namespace
