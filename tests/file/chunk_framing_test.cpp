// The outer frame: header checks, chunk lists, skipping of unread chunks and
// values, the ends of a file, and the nesting guard.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "memory_file.h"

namespace {

constexpr int32_t kDocumentId = 110000;

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> bytes) { return bytes; }

// Reads the chunks whose ids it knows (one int32, then the rest is skipped)
// and leaves the others to the list.
class RecordingNode : public PrivateChunk {
 public:
  explicit RecordingNode(std::set<int32_t> known = {}) : known_(std::move(known)) {}
  bool Read(GeChunkFile& file, int32_t id, int32_t) override {
    if (!known_.count(id)) {
      offered.push_back(id);
      return false;
    }
    int32_t v = 0;
    file.ReadInt32(v);
    read.push_back(id);
    values.push_back(v);
    file.SkipChunkRest();
    return true;
  }
  std::vector<int32_t> read;
  std::vector<int32_t> offered;
  std::vector<int32_t> values;

 private:
  std::set<int32_t> known_;
};

// Reads every chunk's content as a list of its own, as list nodes do.
class RecursingNode : public PrivateChunk {
 public:
  bool Read(GeChunkFile& file, int32_t, int32_t) override {
    file.ReadChunkList(this, true, false);
    return true;
  }
};

TEST(FileHeader, HeaderAloneOpensButHoldsNoDocument) {
  MemoryFile f(WithHeader());
  ASSERT_TRUE(f.opened);
  RecordingNode doc;
  EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_READ);
}

TEST(FileHeader, EighteenByteFileIsAnEmptyDocument) {
  MemoryFile f(Bytes({'X', 'C', '4', 'D', 'C', '4', 'D', '6', 1, 0, 0, 0, 7, 0xFF, 0xFF, 0xFF, 0xFF, 2}));
  ASSERT_TRUE(f.opened);
  RecordingNode doc;
  EXPECT_TRUE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
}

TEST(FileHeader, WrongShortOrEmptyHeaderFailsWithFormatError) {
  for (const std::vector<uint8_t>& bytes :
       {Bytes({'X', 'C', '4', 'D', 'C', '4', 'D', '5', 1, 0, 0, 0, 0, 0, 0, 0, 0, 2}),
        Bytes({'C', '4', 'D', '6', 'X', 'C', '4', 'D'}), Bytes({'X', 'C', '4', 'D', 'C', '4'}), Bytes({})}) {
    MemoryFile f(bytes);
    EXPECT_FALSE(f.opened);
    EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
    EXPECT_FALSE(f.file.IsOpen());
  }
}

TEST(FileHeader, DocumentMustStartWithAChunkMarker) {
  C4DWriter w = WithHeader();
  w.Int32(1);
  MemoryFile f(w);
  RecordingNode doc;
  EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

TEST(ChunkList, UnreadChunkIsSkippedWholeAndTheListGoesOn) {
  C4DWriter w = WithHeader();
  w.StartChunk(kDocumentId, 0);
  w.StartChunk(10, 0).Int32(1).EndChunk();
  w.StartChunk(99, 4).Str("skip me").StartChunk(98, 1).Vec({1, 2, 3}).StartChunk(97, 0).Memory({2, 1, 2});
  w.EndChunk().Int32(5).EndChunk().PolygonArray({{1, 2, 3, 4}}, true).EndChunk();
  w.StartChunk(11, 0).Int32(2).Float32(3).EndChunk();
  w.EndChunk();
  MemoryFile f(w);
  RecordingNode doc({10, 11});
  EXPECT_TRUE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(doc.read, (std::vector<int32_t>{10, 11}));
  EXPECT_EQ(doc.values, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(doc.offered, (std::vector<int32_t>{99}));  // nested chunks are never offered
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
}

TEST(ChunkList, WithoutContinuingTheListEndsAfterTheFirstUnreadChunk) {
  C4DWriter w = WithHeader();
  w.StartChunk(99, 0).StartChunk(5, 0).EndChunk().EndChunk().StartChunk(10, 0).Int32(1).EndChunk().EndChunk();
  MemoryFile f(w);
  RecordingNode list({10});
  EXPECT_EQ(f.file.ReadChunkList(&list, false, false), 1);
  EXPECT_TRUE(list.read.empty());
  uint8_t next = 0;
  EXPECT_TRUE(f.file.ReadByte(next));
  EXPECT_EQ(next, TAG_CHUNK_START);  // the following chunk is left for the caller
}

TEST(ChunkList, StartMarkerAlreadyReadIsNotReadAgain) {
  C4DWriter w = WithHeader();
  w.StartChunk(10, 0).Int32(4).EndChunk().EndChunk();
  MemoryFile f(w);
  uint8_t marker = 0;
  ASSERT_TRUE(f.file.ReadByte(marker));
  RecordingNode list({10});
  EXPECT_EQ(f.file.ReadChunkList(&list, false, true), 1);
  EXPECT_EQ(list.values, (std::vector<int32_t>{4}));
}

TEST(ChunkList, DocumentEndingWithoutItsEndMarkerFailsWithoutError) {
  C4DWriter w = WithHeader();
  w.StartChunk(kDocumentId, 0).StartChunk(10, 0).Int32(1).EndChunk().StartChunk(99, 0).EndChunk();
  MemoryFile f(w);
  RecordingNode doc({10});
  EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  EXPECT_EQ(doc.read, (std::vector<int32_t>{10}));  // what was read stays
}

TEST(ChunkList, StrayByteWhereAChunkMustStartIsAMarkerError) {
  C4DWriter w = WithHeader();
  w.StartChunk(kDocumentId, 0).StartChunk(10, 0).Int32(1).EndChunk().Int32(3).EndChunk();
  MemoryFile f(w);
  RecordingNode doc({10});
  EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_CHUNK_MARKER);
}

TEST(ChunkList, FailedSkipOfAnUnreadChunkBecomesASkipError) {
  // One chunk holds a byte that is no value tag, the other ends inside a value.
  C4DWriter undefinedTag = WithHeader();
  undefinedTag.StartChunk(kDocumentId, 0).StartChunk(99, 0).Byte(5).EndChunk().EndChunk();
  C4DWriter cutValue = WithHeader();
  cutValue.StartChunk(kDocumentId, 0).StartChunk(99, 0).Byte(TAG_INT32).Bytes({0, 0});
  for (C4DWriter* w : {&undefinedTag, &cutValue}) {
    MemoryFile f(w->Data());
    RecordingNode doc;
    EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
    EXPECT_EQ(f.file.GetError(), FILEERROR_CHUNK_SKIP);
  }
}

TEST(ChunkList, NodeThatSetsAnErrorEndsTheList) {
  C4DWriter w = WithHeader();
  w.StartChunk(kDocumentId, 0).StartChunk(10, 0).Float32(1).EndChunk().StartChunk(10, 0).Int32(1).EndChunk();
  w.EndChunk();
  MemoryFile f(w);
  RecordingNode doc({10});
  EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
  EXPECT_EQ(doc.read.size(), 1u);
}

// Each value kind, written by the writer, followed by a marker value that
// must read correctly after the skip.
TEST(SkipValue, SkipsEveryValueKindByItsSize) {
  const double matrix64[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7};
  const std::vector<std::function<void(C4DWriter&)>> kinds = {
      [](C4DWriter& w) { w.Int8(-1); },
      [](C4DWriter& w) { w.UInt8(1); },
      [](C4DWriter& w) { w.Int16(-2); },
      [](C4DWriter& w) { w.UInt16(2); },
      [](C4DWriter& w) { w.Int32(3); },
      [](C4DWriter& w) { w.UInt32(3); },
      [](C4DWriter& w) { w.Int64(-4); },
      [](C4DWriter& w) { w.UInt64(4); },
      [](C4DWriter& w) { w.Float32(5); },
      [](C4DWriter& w) { w.Float64(5); },
      [](C4DWriter& w) { w.Bool(true); },
      [](C4DWriter& w) { w.Time(1, 25); },
      [](C4DWriter& w) { w.Vec({1, 2, 3}); },
      [](C4DWriter& w) { w.Vec64(1, 2, 3); },
      [](C4DWriter& w) { w.Mat(Matrix{}); },
      [&](C4DWriter& w) { w.Mat64(matrix64); },
      [](C4DWriter& w) { w.Memory({1, 2, 3}); },
      [](C4DWriter& w) { w.Private({1}); },
      [](C4DWriter& w) { w.Str("text"); },
      [](C4DWriter& w) { w.Filename("a.tif"); },
      [](C4DWriter& w) { ContainerSpec(3).Int(1, 2).Str(2, "s").WriteOlder(w); },
      [](C4DWriter& w) { w.VectorArray({{1, 2, 3}}); },
      [](C4DWriter& w) { w.PolygonArray({{1, 2, 3, 4}}); },
      [](C4DWriter& w) { w.UInt16Array({1, 2, 3}); },
      [](C4DWriter& w) { w.Byte(250).Word32(2).Bytes({7, 7}); },  // any counted tag
      [](C4DWriter& w) { w.StartChunk(5, 1); },                    // only the header
      [](C4DWriter& w) { w.EndChunk(); },
  };
  for (size_t i = 0; i < kinds.size(); ++i) {
    C4DWriter w = WithHeader();
    kinds[i](w);
    w.Int32(1234);
    MemoryFile f(w);
    uint8_t tag = 0;
    int32_t marker = 0;
    ASSERT_TRUE(f.file.ReadByte(tag));
    EXPECT_TRUE(f.file.SkipValue(tag)) << "kind " << i;
    EXPECT_TRUE(f.file.ReadInt32(marker)) << "kind " << i;
    EXPECT_EQ(marker, 1234) << "kind " << i;
  }
}

TEST(SkipValue, EmptyStringIsFiveBytesInAll) {
  C4DWriter w = WithHeader();
  w.Str("");
  MemoryFile f(w);
  uint8_t tag = 0;
  ASSERT_TRUE(f.file.ReadByte(tag));
  EXPECT_TRUE(f.file.SkipValue(tag));
  EXPECT_EQ(f.file.GetPosition(), 8 + 5);
}

TEST(SkipValue, TagWithoutDefinedSizeStopsWithFormatError) {
  for (uint8_t tag : {0, 3, 10, 27, 100, 127}) {
    C4DWriter w = WithHeader();
    w.Bytes(std::vector<uint8_t>(16, 0));
    MemoryFile f(w);
    EXPECT_FALSE(f.file.SkipValue(tag));
    EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT) << int(tag);
  }
}

TEST(SkipValue, RunningPastTheEndSetsOnlyTheReadFlagUntilTheNextRead) {
  C4DWriter w = WithHeader();
  w.Bytes({TAG_VECTOR, 0, 0});
  MemoryFile f(w);
  uint8_t tag = 0;
  ASSERT_TRUE(f.file.ReadByte(tag));
  EXPECT_TRUE(f.file.SkipValue(tag));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  EXPECT_TRUE(f.file.ReadFailed());
  EXPECT_FALSE(f.file.ReadByte(tag));
  EXPECT_EQ(f.file.GetError(), FILEERROR_READ);
}

TEST(SkipChunkRest, ConsumesNestedChunksUpToTheOwnEndMarker) {
  C4DWriter w = WithHeader();
  w.Int32(1).StartChunk(2, 0).StartChunk(3, 0).Str("x").EndChunk().EndChunk().Float32(1).EndChunk().Int32(9);
  MemoryFile f(w);
  EXPECT_TRUE(f.file.SkipChunkRest());
  int32_t after = 0;
  EXPECT_TRUE(f.file.ReadInt32(after));
  EXPECT_EQ(after, 9);
}

TEST(SkipChunkRest, EndOfFileAtAValueBoundaryFailsWithoutError) {
  C4DWriter w = WithHeader();
  w.Int32(1).StartChunk(2, 0).EndChunk();
  MemoryFile f(w);
  EXPECT_FALSE(f.file.SkipChunkRest());
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
}

TEST(SkipChunkRest, DeeplyNestedChunksAreSkippedWithoutRecursion) {
  constexpr int kDepth = 100000;
  C4DWriter w = WithHeader();
  for (int i = 0; i < kDepth; ++i) w.StartChunk(i, 0);
  for (int i = 0; i <= kDepth; ++i) w.EndChunk();
  MemoryFile f(w);
  EXPECT_TRUE(f.file.SkipChunkRest());
  EXPECT_EQ(f.file.Remaining(), 0);
}

TEST(Nesting, ListsWithinListsStopAtTheDepthLimit) {
  auto nested = [](int depth) {
    C4DWriter w = WithHeader();
    w.StartChunk(kDocumentId, 0);
    for (int i = 0; i < depth; ++i) w.StartChunk(i, 0);
    for (int i = 0; i <= depth; ++i) w.EndChunk();
    return w.Take();
  };
  {
    MemoryFile f(nested(kMaxNestingDepth - 1));
    RecursingNode doc;
    EXPECT_TRUE(f.file.ReadNodeChunks(&doc, true));
    EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  }
  {
    MemoryFile f(nested(kMaxNestingDepth + 10));
    RecursingNode doc;
    EXPECT_FALSE(f.file.ReadNodeChunks(&doc, true));
    EXPECT_EQ(f.file.GetError(), FILEERROR_NESTING);
    EXPECT_EQ(f.file.GetNestingDepth(), 0);  // every level left again
  }
}

}  // namespace
