// Typed reads of single values: their encodings, the time reduction,
// strings, blocks and arrays, damaged lengths, failed allocations, and the
// stream over a real file. Most cases are walked with the file walk, whose
// transcript names every value it read.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <sstream>
#include <unistd.h>

#include "file_walk.h"
#include "ge_alloc.h"
#include "ge_tool_list.h"
#include "memory_file.h"

namespace {

using Body = std::function<void(C4DWriter&)>;

// The walk of chunk `id` holding what `body` writes, with `cut` bytes cut
// off the file's end: each step without its position (a failed one with its
// error), then how the walk ended; a clean end of the chunk is left out.
std::string Walk(const Body& body, int32_t id = 2, size_t cut = 0, uint64_t* allocations = nullptr) {
  C4DWriter w = WithHeader();
  body(w.StartChunk(110000, 0).StartChunk(id, 0));
  std::vector<uint8_t> bytes = w.EndChunk().EndChunk().Take();
  MemoryFile f(std::vector<uint8_t>(bytes.begin(), bytes.end() - long(cut)));
  const uint64_t before = GeAllocCount();
  std::istringstream lines(WalkFile(f.file));
  if (allocations) *allocations = GeAllocCount() - before;
  std::string out, line;
  std::getline(lines, line);  // the chunk itself
  while (std::getline(lines, line)) {
    const size_t at = line.find(" @"), e = line.find(" e", at);
    out += (out.empty() ? "" : "; ") + line.substr(0, at);
    if (lines.peek() == EOF || line.find(" failed") != std::string::npos) out += line.substr(e, line.find(' ', e + 1) - e);
  }
  const std::string clean = "end; ended e0";
  if (out.ends_with(clean)) out.resize(out.size() - std::min(out.size(), clean.size() + 2));
  return out;
}

struct WalkCase {
  const char* name;
  Body body;
  std::string expected;
  size_t cut = 0;  // bytes cut off the end of the file
};

Matrix Turned() {
  Matrix m;
  m.off = {1, 2, 3};
  m.xAxis = {0, -1, 0};
  return m;
}

const WalkCase kWalks[] = {
    {"scalars", [](C4DWriter& w) { w.Int32(8000).UInt8(200).Int32(-5).UInt32(0xFFFFFFF0u).Float32(-0.25f); },
     "tag 15 8000; tag 12 200; tag 15 -5; tag 16 4294967280; tag 19 -0.25"},
    {"any non-zero bool byte is true", [](C4DWriter& w) { w.Bool(false).BoolByte(0x80); }, "tag 21 0; tag 21 1"},
    {"vector and matrix", [](C4DWriter& w) { w.Vec({4, 5, 6}).Mat(Turned()); },
     "tag 23 4,5,6; tag 25 1,2,3 0,-1,0 0,1,0 0,0,1"},
    {"file ends inside a value", [](C4DWriter& w) { w.Int32(7); }, "tag 15 failed 0 e1; stopped e-104", 4},
    // Times: signs move to the numerator, halves round away from zero, the
    // fraction is reduced, a zero denominator is time zero.
    {"time 1.5/0", [](C4DWriter& w) { w.Time(1.5f, 0.0f); }, "tag 22 0/1"},
    {"time -2/4", [](C4DWriter& w) { w.Time(-2.0f, 4.0f); }, "tag 22 -1/2"},
    {"time 4/-6", [](C4DWriter& w) { w.Time(4.0f, -6.0f); }, "tag 22 -2/3"},
    {"time 2.5/5", [](C4DWriter& w) { w.Time(2.5f, 5.0f); }, "tag 22 3/5"},
    {"time beyond 32 bits", [](C4DWriter& w) { w.Time(6e9f, 3e9f).Time(3e9f, 12.0f); },
     "tag 22 2/1; tag 22 250000000/1"},
    {"times not finite", [](C4DWriter& w) {
       w.Time(std::numeric_limits<float>::quiet_NaN(), 1).Time(std::numeric_limits<float>::infinity(), 3).Time(3e38f, 7);
     }, "tag 22 nan/1; tag 22 inf/1; tag 22 3.00000001e+38/7"},
    {"string of an odd byte count", [](C4DWriter& w) { w.Byte(TAG_STRING).Word32(5).Bytes({0, 'H', 0, 'i', 0}).Int32(77); },
     "tag 130 Hi; tag 15 77"},
    {"strings and file names", [](C4DWriter& w) { w.Str("").Str16({0x004D, 0x20AC, 0x006C}).Filename("tex.tif"); },
     "tag 130 ; tag 130 M_l; tag 131 tex.tif"},
    {"blocks", [](C4DWriter& w) { w.Memory({}).Memory({9, 8, 7}).Private({1, 2, 3, 4}).Private({}).Int32(5); },
     "tag 128 0; tag 128 3 7; tag 129 ; tag 129 ; tag 15 5"},
    {"vector arrays", [](C4DWriter& w) { w.VectorArray({}).VectorArray({{1, 2, 3}, {-4, 5.5f, 6}}); },
     "tag 133 0; tag 133 2 1,2,3 .. -4,5.5,6"},
    {"vector array remainder is skipped",
     [](C4DWriter& w) { w.Byte(TAG_VECTOR_ARRAY).Word32(14).Word32(0x3F800000).Word32(0).Word32(0).Bytes({1, 2}).Int32(3); },
     "tag 133 1 1,0,0; tag 15 3"},
    {"polygon arrays widen 16-bit indices without sign",
     [](C4DWriter& w) { w.PolygonArray({{0, 1, 2, 3}, {70000, 5, 6, 6}}).PolygonArray({{0xFFFF, 1, 2, 2}, {3, 4, 5, 6}}, true); },
     "tag 134 2 0,1,2,3 .. 70000,5,6,6; tag 134 2 65535,1,2,2 .. 3,4,5,6"},
    {"16-bit polygons of byte count 12",
     [](C4DWriter& w) { w.Bytes({TAG_POLYGON_ARRAY, 0, 0, 0, 12, 0, 0, 0, 1, 0xFF, 0xFF, 0, 1, 0, 2, 0, 3}); },
     "tag 134 1 65535,1,2,3"},
    {"16-bit arrays drop an odd byte",
     [](C4DWriter& w) { w.UInt16Array({1, 0xFFFF}).Byte(TAG_UINT16_ARRAY).Word32(3).Bytes({0x12, 0x34, 0x56}).Int32(9); },
     "tag 135 2 1 .. 65535; tag 135 1 4660; tag 15 9"},
};

class Values : public testing::TestWithParam<WalkCase> {};
TEST_P(Values, ReadAsWritten) { EXPECT_EQ(Walk(GetParam().body, 2, GetParam().cut), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Walks, Values, testing::ValuesIn(kWalks), [](const auto& info) { return CaseName(info); });

TEST(ValueEncoding, BigEndianWithEightByteKindsLowWordFirst) {
  const std::pair<Body, std::vector<uint8_t>> cases[] = {
      {[](C4DWriter& w) { w.Int32(8000); }, {0x0F, 0x00, 0x00, 0x1F, 0x40}},
      {[](C4DWriter& w) { w.Float32(1.0f); }, {0x13, 0x3F, 0x80, 0x00, 0x00}},
      {[](C4DWriter& w) { w.Vec({1, 0, 0}); }, {0x17, 0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {[](C4DWriter& w) { w.Float64(1.0); }, {0x14, 0, 0, 0, 0, 0x3F, 0xF0, 0, 0}},
  };
  for (const auto& [write, bytes] : cases) {
    C4DWriter w;
    write(w);
    EXPECT_EQ(w.Data(), bytes);
  }
}

TEST(ValueErrors, WrongTagIsAStickyFormatErrorAndLaterReadsTouchNothing) {
  C4DWriter w = WithHeader();
  w.Float32(1.0f).Int32(1).Str("abc").Memory({1, 2}).VectorArray({{1, 2, 3}});
  MemoryFile f(w);
  int32_t i = 42, count = 99, id = 0, level = 0;
  float x = 0;
  String s("kept");
  uint8_t* block = nullptr;
  EXPECT_FALSE(f.file.ReadInt32(i));
  EXPECT_EQ(i, 42);
  EXPECT_EQ(f.file.GetPosition(), 9);  // only the tag was read
  EXPECT_FALSE(f.file.ReadFloat32(x) || f.file.ReadString(s) || f.file.ReadMemory(block, count) ||
               f.file.ReadChunkHeader(id, level) || f.file.SkipValue(TAG_INT32) || f.file.SkipChunkRest());
  EXPECT_EQ(f.file.ReadChunkList(nullptr, true, false), 0);
  EXPECT_EQ(s.To8Bit(), "kept");
  EXPECT_EQ(count, 99);
  EXPECT_EQ(f.file.GetPosition(), 9);
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

// Every counted kind: a length with its top bit set, and one just beyond the end
// of the file, end the read with FILEERROR_READ before anything is allocated.
class DamagedLength : public testing::TestWithParam<std::tuple<uint8_t, uint32_t>> {};

TEST_P(DamagedLength, EndsTheReadBeforeAllocating) {
  const auto [tag, length] = GetParam();
  uint64_t allocations = 1;
  const std::string walk =
      Walk([&](C4DWriter& w) { w.Byte(tag).Word32(length).Word32(0).Bytes(std::vector<uint8_t>(64, 0)); }, 2, 0, &allocations);
  EXPECT_EQ(allocations, 0u);
  const bool counted = tag == TAG_MEMORY || (tag >= TAG_VECTOR_ARRAY && tag <= TAG_UINT16_ARRAY);
  EXPECT_EQ(walk, "tag " + std::to_string(tag) + " failed " + (counted ? "0" : "") + " e1; stopped e-104");
}

INSTANTIATE_TEST_SUITE_P(Lengths, DamagedLength,
                         testing::Combine(testing::Values(TAG_MEMORY, TAG_PRIVATE, TAG_STRING, TAG_VECTOR_ARRAY,
                                                          TAG_POLYGON_ARRAY, TAG_UINT16_ARRAY, uint8_t{200}),
                                          testing::Values(0x80000000u, 0xFFFFFFFFu, 71u, 0x7FFFFFFFu)));

// A read that fails leaves nothing to read, wherever it stopped; a list that
// cannot grow refuses the item instead of taking it and losing it.
TEST(ValueErrors, AFailedReadLeavesNothingAndAFullListThatCannotGrowRefuses) {
  C4DWriter w = WithHeader();
  std::vector<uint8_t> bytes = w.Memory({1, 2, 3}).Take();
  bytes.resize(bytes.size() - 2);  // the block's length says more than is left
  MemoryFile f(std::move(bytes));
  ASSERT_TRUE(f.opened);
  uint8_t* block = nullptr;
  int32_t count = 0;
  EXPECT_FALSE(f.file.ReadMemory(block, count));
  EXPECT_EQ(f.file.Remaining(), 0);
  GeFree(block);

  GeToolDynArray list;
  int item = 0;
  GeAllocFailAt(1);
  EXPECT_FALSE(list.Append(&item));
  GeAllocFailAt(0);
  EXPECT_EQ(list.Get(0), nullptr);
}

// The stream over a real file: values that straddle the read buffer's edge,
// and arrays larger than the buffer, which are converted where they lie in
// it, come out whole in every array kind; a file that ends inside an array
// fails the read and hands out no array.
TEST(FileStream, ReadsEveryValueAcrossBufferEdges) {
  std::vector<Vector> points(70001);
  for (size_t i = 0; i < points.size(); ++i) points[i] = {float(i), -float(i), float(i % 7) * 0.125f};
  std::vector<CPolygon> polygons(40003), narrow(40003);
  for (size_t i = 0; i < polygons.size(); ++i) {
    const auto k = static_cast<int32_t>(i);
    polygons[i] = {k, k + 70000, 0x7FFFFFF0 - k, (k * 13) & 0xFFFF};
    narrow[i] = {k & 0xFFFF, (k + 70000) & 0xFFFF, (0x7FFFFFF0 - k) & 0xFFFF, (k * 13) & 0xFFFF};
  }
  std::vector<uint16_t> words(150001);
  for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint16_t>(i * 40503u);
  // A string of odd units in front shifts every array off the word grid.
  C4DWriter w = WithHeader();
  w.Str("abc").VectorArray(points).Bool(true).PolygonArray(polygons).PolygonArray(narrow, true).UInt16Array(words);
  for (int i = 0; i < 60000; ++i) w.Int32(i);
  w.Private(std::vector<uint8_t>(300000, 1)).Int32(-1);
  const std::string path = (std::filesystem::temp_directory_path() / ("c4d-stream-" + std::to_string(getpid()) + ".c4d")).string();
  ASSERT_TRUE(w.SaveTo(path));

  GeChunkFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_EQ(file.GetLength(), static_cast<int64_t>(w.Size()));
  String s;
  int32_t flag = 0, pointCount = 0, wideCount = 0, narrowCount = 0, wordCount = 0;
  Vector* readPoints = nullptr;
  CPolygon *readWide = nullptr, *readNarrow = nullptr;
  uint16_t* readWords = nullptr;
  ASSERT_TRUE(file.ReadString(s) && file.ReadVectorArray(readPoints, pointCount) && file.ReadBool(flag) &&
              file.ReadPolygonArray(readWide, wideCount) && file.ReadPolygonArray(readNarrow, narrowCount) &&
              file.ReadUInt16Array(readWords, wordCount));
  ASSERT_EQ(pointCount, int32_t(points.size()));
  ASSERT_EQ(wideCount, int32_t(polygons.size()));
  ASSERT_EQ(narrowCount, int32_t(narrow.size()));
  ASSERT_EQ(wordCount, int32_t(words.size()));
  EXPECT_EQ(std::memcmp(readPoints, points.data(), points.size() * sizeof(Vector)), 0);
  EXPECT_EQ(std::memcmp(readWide, polygons.data(), polygons.size() * sizeof(CPolygon)), 0);
  EXPECT_EQ(std::memcmp(readNarrow, narrow.data(), narrow.size() * sizeof(CPolygon)), 0);
  EXPECT_EQ(std::memcmp(readWords, words.data(), words.size() * sizeof(uint16_t)), 0);
  for (void* array : {(void*)readPoints, (void*)readWide, (void*)readNarrow, (void*)readWords}) GeFree(array);
  bool inOrder = true;
  for (int i = 0; i < 60000; ++i) {
    int32_t v = -2;
    inOrder = inOrder && file.ReadInt32(v) && v == i;
  }
  EXPECT_TRUE(inOrder);
  uint8_t tag = 0;
  int32_t last = 0;
  EXPECT_TRUE(file.ReadByte(tag) && file.SkipValue(tag) && file.ReadInt32(last));
  EXPECT_EQ(last, -1);
  EXPECT_EQ(file.Remaining(), 0);
  EXPECT_FALSE(file.ReadInt32(last));
  EXPECT_EQ(file.GetError(), FILEERROR_READ);
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Close());

  // The same file cut in the middle of the point array.
  std::vector<uint8_t> cut = w.Take();
  cut.resize(400000);
  ASSERT_TRUE(C4DWriter().Bytes(cut).SaveTo(path));
  GeChunkFile shortFile;
  ASSERT_TRUE(shortFile.Open(path.c_str()));
  EXPECT_TRUE(shortFile.ReadString(s));
  EXPECT_FALSE(shortFile.ReadVectorArray(readPoints, pointCount));
  EXPECT_EQ(shortFile.GetError(), FILEERROR_READ);
  EXPECT_EQ(readPoints, nullptr);
  EXPECT_EQ(pointCount, 0);
  shortFile.Close();  // Windows removes no open file
  std::filesystem::remove(path);
}

}  // namespace
