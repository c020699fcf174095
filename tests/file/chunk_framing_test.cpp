// The outer frame: header checks, chunk lists, skipping of unread chunks and
// values, and the ends of a file (deep nesting is the hardening tests' part).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "damage_scenes.h"
#include "memory_file.h"

namespace {

constexpr int32_t kDocumentId = 110000;

// Reads the chunks whose ids it knows (one int32, then the rest is skipped)
// and leaves the others to the list. The log names each: "10=1" read, "?99" offered.
class RecordingNode : public PrivateChunk {
 public:
  explicit RecordingNode(std::set<int32_t> known = {}) : known_(std::move(known)) {}
  bool Read(GeChunkFile& file, int32_t id, int32_t) override {
    if (!known_.count(id)) {
      log += " ?" + std::to_string(id);
      return false;
    }
    int32_t v = 0;
    file.ReadInt32(v);
    log.append(" ").append(std::to_string(id)).append("=").append(std::to_string(v));
    file.SkipChunkRest();
    return true;
  }
  std::string log;

 private:
  std::set<int32_t> known_;
};

C4DWriter Document() {
  C4DWriter w = WithHeader();
  w.StartChunk(kDocumentId, 0);
  return w;
}

struct FrameCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool ended;
  int32_t error;
  std::string log;  // "closed" when the file did not open
};

std::vector<FrameCase> FrameCases() {
  const std::vector<uint8_t> header = {'X', 'C', '4', 'D', 'C', '4', 'D', '6'};
  C4DWriter skipped = Document();
  skipped.StartChunk(10, 0).Int32(1).EndChunk();
  skipped.StartChunk(99, 4).Str("skip me").StartChunk(98, 1).Vec({1, 2, 3}).StartChunk(97, 0).Memory({2, 1, 2});
  skipped.EndChunk().Int32(5).EndChunk().PolygonArray({{1, 2, 3, 4}}, true).EndChunk();
  skipped.StartChunk(11, 0).Int32(2).Float32(3).EndChunk();
  std::vector<uint8_t> unended = skipped.Data();
  return {
      {"header alone holds no document", header, false, FILEERROR_READ, ""},
      {"eighteen bytes are an empty document",
       C4DWriter().Bytes(header).Bytes({1, 0, 0, 0, 7, 255, 255, 255, 255, 2}).Take(), true, FILEERROR_NONE, ""},
      {"wrong version", C4DWriter().Bytes({'X', 'C', '4', 'D', 'C', '4', 'D', '5', 1, 0, 0, 0, 0, 0, 0, 0, 0, 2}).Take(),
       false, FILEERROR_FORMAT, "closed"},
      {"short header", C4DWriter().Bytes({'X', 'C', '4', 'D', 'C', '4'}).Take(), false, FILEERROR_FORMAT, "closed"},
      {"empty file", {}, false, FILEERROR_FORMAT, "closed"},
      {"no chunk marker", WithHeader().Int32(1).Take(), false, FILEERROR_FORMAT, ""},
      // Nested chunks of a skipped chunk are never offered.
      {"unread chunk is skipped whole", skipped.EndChunk().Take(), true, FILEERROR_NONE, " 10=1 ?99 11=2"},
      {"no end marker: what was read stays", unended, false, FILEERROR_NONE, " 10=1 ?99 11=2"},
      {"stray byte where a chunk must start", Document().StartChunk(10, 0).Int32(1).EndChunk().Int32(3).EndChunk().Take(),
       false, FILEERROR_CHUNK_MARKER, " 10=1"},
      {"unread chunk with a byte that is no tag", Document().StartChunk(99, 0).Byte(5).EndChunk().EndChunk().Take(), false,
       FILEERROR_CHUNK_SKIP, " ?99"},
      {"unread chunk ending inside a value", Document().StartChunk(99, 0).Bytes({TAG_INT32, 0, 0}).Take(), false,
       FILEERROR_CHUNK_SKIP, " ?99"},
      {"a node that sets an error ends the list",
       Document().StartChunk(10, 0).Float32(1).EndChunk().StartChunk(10, 0).Int32(1).EndChunk().EndChunk().Take(), false,
       FILEERROR_FORMAT, " 10=0"},
  };
}

class Frames : public testing::TestWithParam<FrameCase> {};

TEST_P(Frames, EndAsExpected) {
  const FrameCase& c = GetParam();
  MemoryFile f(c.bytes);
  RecordingNode doc({10, 11});
  const bool ended = f.opened && f.file.ReadNodeChunks(&doc, true);
  EXPECT_EQ(ended, c.ended);
  EXPECT_EQ(f.file.GetError(), c.error);
  EXPECT_EQ(f.opened ? doc.log : "closed", c.log);
  EXPECT_EQ(f.file.IsOpen(), c.log != "closed");
}

INSTANTIATE_TEST_SUITE_P(Files, Frames, testing::ValuesIn(FrameCases()), [](const auto& info) { return CaseName(info); });

// A file of 5 GiB (a document, then a sparse run of zeros) tells its whole
// length, also where `long` has 32 bits (Windows, 32-bit Linux).
TEST(LargeFile, TellsItsWholeLengthAndReads) {
  const std::string path = testing::TempDir() + "five_gib.c4d";
  const std::vector<uint8_t> bytes = Document().StartChunk(10, 0).Int32(1).EndChunk().EndChunk().Take();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  std::filesystem::resize_file(path, uintmax_t{5} << 30);
  GeChunkFile file;
  RecordingNode doc({10});
  EXPECT_TRUE(file.Open(path.c_str()) && file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(file.GetLength(), int64_t{5} << 30);
  EXPECT_EQ(doc.log, " 10=1");
  file.Close();
  std::filesystem::remove(path);
}

// Each value kind, and a chunk's start and end marker, followed by a marker
// value that must read correctly after the skip.
TEST(SkipValue, SkipsEveryValueKindByItsSize) {
  std::vector<std::function<void(C4DWriter&)>> kinds = EveryValueKind();
  kinds.push_back([](C4DWriter& w) { w.Byte(250).Word32(2).Bytes({7, 7}); });  // any counted tag
  kinds.push_back([](C4DWriter& w) { w.StartChunk(5, 1); });                    // only the header
  kinds.push_back([](C4DWriter& w) { w.EndChunk(); });
  kinds.push_back([](C4DWriter& w) { w.Str(""); });
  for (size_t i = 0; i < kinds.size(); ++i) {
    C4DWriter w = WithHeader();
    kinds[i](w);
    const size_t size = w.Size() - 8;
    MemoryFile f(w.Int32(1234));
    uint8_t tag = 0;
    int32_t marker = 0;
    ASSERT_TRUE(f.file.ReadByte(tag));
    EXPECT_TRUE(f.file.SkipValue(tag) && f.file.ReadInt32(marker)) << "kind " << i;
    EXPECT_EQ(marker, 1234) << "kind " << i;
    EXPECT_EQ(f.file.GetPosition(), int64_t(8 + size + 5));
  }
}

TEST(SkipChunkRest, ConsumesNestedChunksUpToTheOwnEndMarkerWithoutRecursion) {
  // The end of the file at a value boundary fails without an error.
  MemoryFile cut(WithHeader().Int32(1).StartChunk(2, 0).EndChunk());
  EXPECT_FALSE(cut.file.SkipChunkRest());
  EXPECT_EQ(cut.file.GetError(), FILEERROR_NONE);
  C4DWriter deep = WithHeader();
  for (int i = 0; i < 100000; ++i) deep.StartChunk(i, 0);
  for (int i = 0; i <= 100000; ++i) deep.EndChunk();
  MemoryFile d(deep);
  EXPECT_TRUE(d.file.SkipChunkRest());
  EXPECT_EQ(d.file.Remaining(), 0);
}

}  // namespace
