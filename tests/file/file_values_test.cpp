// Typed reads of single values: encodings, the time reduction, strings,
// blocks and arrays, damaged lengths, and the stream over a real file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "ge_alloc.h"
#include "memory_file.h"

namespace {

std::vector<uint8_t> WithHeaderBytes(const std::vector<uint8_t>& payload) {
  C4DWriter w;
  w.Bytes({'X', 'C', '4', 'D', 'C', '4', 'D', '6'}).Bytes(payload);
  return w.Take();
}

std::vector<uint8_t> PayloadOf(C4DWriter& w) { return std::vector<uint8_t>(w.Data().begin() + 8, w.Data().end()); }

TEST(ValueEncoding, WriterStoresValuesInTheFileByteOrder) {
  C4DWriter w = WithHeader();
  w.Int32(8000);
  EXPECT_EQ(PayloadOf(w), (std::vector<uint8_t>{0x0F, 0x00, 0x00, 0x1F, 0x40}));
  w = WithHeader();
  w.Float32(1.0f);
  EXPECT_EQ(PayloadOf(w), (std::vector<uint8_t>{0x13, 0x3F, 0x80, 0x00, 0x00}));
  w = WithHeader();
  w.Vec({1, 0, 0});
  EXPECT_EQ(PayloadOf(w), (std::vector<uint8_t>{0x17, 0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  w = WithHeader();
  w.Float64(1.0);  // low-order word first
  EXPECT_EQ(PayloadOf(w), (std::vector<uint8_t>{0x14, 0, 0, 0, 0, 0x3F, 0xF0, 0, 0}));
}

TEST(ValueEncoding, ReadsHandTypedBytes) {
  MemoryFile f(WithHeaderBytes({0x0F, 0x00, 0x00, 0x1F, 0x40, 0x13, 0x3F, 0x80, 0x00, 0x00, 0x15, 0x80}));
  ASSERT_TRUE(f.opened);
  int32_t i = 0;
  float x = 0;
  int32_t b = 0;
  EXPECT_TRUE(f.file.ReadInt32(i));
  EXPECT_TRUE(f.file.ReadFloat32(x));
  EXPECT_TRUE(f.file.ReadBool(b));
  EXPECT_EQ(i, 8000);
  EXPECT_EQ(x, 1.0f);
  EXPECT_EQ(b, 1);  // any non-zero byte is true
}

TEST(ValueEncoding, EveryScalarKindReadsBackWhatWasWritten) {
  Matrix m;
  m.off = {1, 2, 3};
  m.xAxis = {0, -1, 0};
  C4DWriter w = WithHeader();
  w.UInt8(200).Int32(-5).UInt32(0xFFFFFFF0u).Float32(-0.25f).Bool(false).Vec({4, 5, 6}).Mat(m);
  MemoryFile f(w);
  uint8_t u8 = 0;
  int32_t i = 0;
  uint32_t u = 0;
  float x = 0;
  int32_t b = 7;
  Vector v;
  Matrix r;
  ASSERT_TRUE(f.file.ReadUInt8(u8) && f.file.ReadInt32(i) && f.file.ReadUInt32(u) && f.file.ReadFloat32(x) &&
              f.file.ReadBool(b) && f.file.ReadVector(v) && f.file.ReadMatrix(r));
  EXPECT_EQ(u8, 200);
  EXPECT_EQ(i, -5);
  EXPECT_EQ(u, 0xFFFFFFF0u);
  EXPECT_EQ(x, -0.25f);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(v.z, 6);
  EXPECT_EQ(r.off.y, 2);
  EXPECT_EQ(r.xAxis.y, -1);
  EXPECT_EQ(r.zAxis.z, 1);
  EXPECT_EQ(f.file.Remaining(), 0);
}

TEST(ValueEncoding, WrongTagSetsFormatErrorAndReadsOnlyTheTag) {
  C4DWriter w = WithHeader();
  w.Float32(1.0f);
  MemoryFile f(w);
  int32_t i = 42;
  EXPECT_FALSE(f.file.ReadInt32(i));
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
  EXPECT_EQ(i, 42);
  EXPECT_EQ(f.file.GetPosition(), 9);
}

TEST(ValueEncoding, EndOfFileInsideAValueSetsReadError) {
  MemoryFile f(WithHeaderBytes({0x0F, 0x00, 0x00}));
  int32_t i = 0;
  EXPECT_FALSE(f.file.ReadInt32(i));
  EXPECT_EQ(f.file.GetError(), FILEERROR_READ);
}

TEST(ValueEncoding, ErrorIsStickyAndLaterReadsDoNotMove) {
  C4DWriter w = WithHeader();
  w.Float32(1.0f).Int32(1).Str("abc").Memory({1, 2}).VectorArray({{1, 2, 3}});
  MemoryFile f(w);
  int32_t i = 0;
  ASSERT_FALSE(f.file.ReadInt32(i));
  const int64_t position = f.file.GetPosition();
  String s("kept");
  uint8_t* block = nullptr;
  int32_t count = 99;
  int32_t id = 0;
  int32_t level = 0;
  float x = 0;
  EXPECT_FALSE(f.file.ReadFloat32(x));
  EXPECT_FALSE(f.file.ReadString(s));
  EXPECT_FALSE(f.file.ReadMemory(block, count));
  EXPECT_FALSE(f.file.ReadChunkHeader(id, level));
  EXPECT_FALSE(f.file.SkipValue(TAG_INT32));
  EXPECT_FALSE(f.file.SkipChunkRest());
  EXPECT_EQ(f.file.ReadChunkList(nullptr, true, false), 0);
  EXPECT_EQ(s.To8Bit(), "kept");
  EXPECT_EQ(count, 99);  // touched nothing
  EXPECT_EQ(f.file.GetPosition(), position);
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

struct TimeCase {
  float a;
  float b;
  double numerator;
  double denominator;
};

class TimeReduction : public testing::TestWithParam<TimeCase> {};

TEST_P(TimeReduction, RoundsSignsAndReduces) {
  const TimeCase c = GetParam();
  C4DWriter w = WithHeader();
  w.Time(c.a, c.b);
  MemoryFile f(w);
  GeTime t;
  ASSERT_TRUE(f.file.ReadTime(t));
  EXPECT_EQ(t.numerator, c.numerator);
  EXPECT_EQ(t.denominator, c.denominator);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeReduction,
    testing::Values(TimeCase{1.5f, 0.0f, 0, 1},      // a zero denominator is time zero
                    TimeCase{-2.0f, 4.0f, -1, 2},    // signs differ: negative numerator
                    TimeCase{4.0f, -6.0f, -2, 3},    // the sign moves to the numerator
                    TimeCase{-4.0f, -6.0f, 2, 3},    // equal signs: positive
                    TimeCase{2.5f, 5.0f, 3, 5},      // halves round away from zero
                    TimeCase{-2.5f, 10.0f, -3, 10},  // ... on both sides
                    TimeCase{0.4f, 7.0f, 0, 1},      // rounds to zero
                    TimeCase{30.0f, 1.0f, 30, 1},
                    TimeCase{6e9f, 3e9f, 2, 1},      // beyond 32 bits: floating-point divisor
                    TimeCase{3e9f, 12.0f, 250000000, 1}));

TEST(TimeReductionLimits, NonFiniteTimesEndWithoutHanging) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  C4DWriter w = WithHeader();
  w.Time(nan, 1.0f).Time(inf, 3.0f).Time(3e38f, 7.0f);
  MemoryFile f(w);
  GeTime t;
  EXPECT_TRUE(f.file.ReadTime(t));
  EXPECT_TRUE(f.file.ReadTime(t));
  EXPECT_TRUE(f.file.ReadTime(t));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
}

TEST(StringValue, OddCountKeepsWholeUnitsAndConsumesTheLastByte) {
  C4DWriter w = WithHeader();
  w.Byte(TAG_STRING).Word32(5).Bytes({0x00, 'H', 0x00, 'i', 0x00}).Int32(77);
  MemoryFile f(w);
  String s;
  int32_t next = 0;
  ASSERT_TRUE(f.file.ReadString(s));
  EXPECT_EQ(s.GetLength(), 2);
  EXPECT_EQ(s.To8Bit(), "Hi");
  EXPECT_TRUE(f.file.ReadInt32(next));
  EXPECT_EQ(next, 77);
}

TEST(StringValue, EmptyStringEmptiesTheTarget) {
  C4DWriter w = WithHeader();
  w.Str("");
  MemoryFile f(w);
  String s("old");
  ASSERT_TRUE(f.file.ReadString(s));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetCapacity(), 0);
}

TEST(StringValue, UnitsAreKeptAndFilenamesNeedTheirOwnTag) {
  C4DWriter w = WithHeader();
  w.Str16({0x004D, 0x20AC, 0x006C}).Filename("tex.tif");
  MemoryFile f(w);
  String s;
  String name;
  ASSERT_TRUE(f.file.ReadString(s));
  EXPECT_EQ(s[1], 0x20AC);
  ASSERT_TRUE(f.file.ReadFilename(name));
  EXPECT_EQ(name.To8Bit(), "tex.tif");
}

TEST(BlockValue, MemoryAndPrivateBlocks) {
  C4DWriter w = WithHeader();
  w.Memory({}).Memory({9, 8, 7}).Private({1, 2, 3, 4}).Private({}).Int32(5);
  MemoryFile f(w);
  uint8_t* block = nullptr;
  int32_t count = -1;
  ASSERT_TRUE(f.file.ReadMemory(block, count));
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(count, 0);
  ASSERT_TRUE(f.file.ReadMemory(block, count));
  ASSERT_EQ(count, 3);
  EXPECT_EQ(block[2], 7);
  GeFree(block);
  EXPECT_TRUE(f.file.SkipPrivateBlock());
  EXPECT_TRUE(f.file.SkipPrivateBlock());
  int32_t i = 0;
  EXPECT_TRUE(f.file.ReadInt32(i));
  EXPECT_EQ(i, 5);
}

TEST(ArrayValue, VectorArraysOfZeroAndManyVectors) {
  C4DWriter w = WithHeader();
  w.VectorArray({}).VectorArray({{1, 2, 3}, {-4, 5.5f, 6}});
  MemoryFile f(w);
  Vector* array = reinterpret_cast<Vector*>(1);
  int32_t count = -1;
  ASSERT_TRUE(f.file.ReadVectorArray(array, count));
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(count, 0);
  ASSERT_TRUE(f.file.ReadVectorArray(array, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(array[1].x, -4);
  EXPECT_EQ(array[1].y, 5.5f);
  GeFree(array);
}

TEST(ArrayValue, VectorArrayRemainderIsSkippedSoTheNextValueReads) {
  C4DWriter w = WithHeader();
  w.Byte(TAG_VECTOR_ARRAY).Word32(14).Word32(0x3F800000).Word32(0).Word32(0).Bytes({0xAA, 0xBB}).Int32(3);
  MemoryFile f(w);
  Vector* array = nullptr;
  int32_t count = 0;
  int32_t next = 0;
  ASSERT_TRUE(f.file.ReadVectorArray(array, count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(array[0].x, 1.0f);
  GeFree(array);
  EXPECT_TRUE(f.file.ReadInt32(next));
  EXPECT_EQ(next, 3);
}

TEST(ArrayValue, PolygonArraysInBothIndexWidths) {
  C4DWriter w = WithHeader();
  w.PolygonArray({{0, 1, 2, 3}, {70000, 5, 6, 6}}).PolygonArray({{0xFFFF, 1, 2, 2}, {3, 4, 5, 6}}, true);
  MemoryFile f(w);
  CPolygon* polygons = nullptr;
  int32_t count = 0;
  ASSERT_TRUE(f.file.ReadPolygonArray(polygons, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(polygons[1].a, 70000);
  EXPECT_EQ(polygons[1].d, 6);
  GeFree(polygons);
  ASSERT_TRUE(f.file.ReadPolygonArray(polygons, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(polygons[0].a, 65535);  // widened with zeros, not sign-extended
  EXPECT_EQ(polygons[0].c, 2);
  EXPECT_EQ(polygons[1].a, 3);
  EXPECT_EQ(polygons[1].d, 6);
  GeFree(polygons);
}

TEST(ArrayValue, SixteenBitFormWithCountTwelveHoldsOnePolygon) {
  MemoryFile f(WithHeaderBytes({134, 0, 0, 0, 12, 0, 0, 0, 1, 0xFF, 0xFF, 0, 1, 0, 2, 0, 3}));
  CPolygon* polygons = nullptr;
  int32_t count = 0;
  ASSERT_TRUE(f.file.ReadPolygonArray(polygons, count));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(polygons[0].a, 65535);
  EXPECT_EQ(polygons[0].d, 3);
  GeFree(polygons);
  EXPECT_EQ(f.file.Remaining(), 0);
}

TEST(ArrayValue, UInt16ArrayDropsAnOddByte) {
  C4DWriter w = WithHeader();
  w.UInt16Array({1, 0xFFFF}).Byte(TAG_UINT16_ARRAY).Word32(3).Bytes({0x12, 0x34, 0x56}).Int32(9);
  MemoryFile f(w);
  uint16_t* values = nullptr;
  int32_t count = 0;
  ASSERT_TRUE(f.file.ReadUInt16Array(values, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(values[1], 0xFFFF);
  GeFree(values);
  ASSERT_TRUE(f.file.ReadUInt16Array(values, count));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(values[0], 0x1234);
  GeFree(values);
  int32_t next = 0;
  EXPECT_TRUE(f.file.ReadInt32(next));
}

// Every counted kind: a length with its top bit set, and one beyond the end
// of the file, end the read with FILEERROR_READ before anything is allocated.
class DamagedLength : public testing::TestWithParam<std::tuple<uint8_t, uint32_t>> {};

TEST_P(DamagedLength, EndsTheReadBeforeAllocating) {
  const auto [tag, length] = GetParam();
  C4DWriter w = WithHeader();
  w.Byte(tag).Word32(length).Word32(0).Bytes(std::vector<uint8_t>(64, 0));
  MemoryFile f(w);
  const uint64_t allocations = GeAllocCount();
  bool ok = true;
  uint8_t* block = nullptr;
  Vector* vectors = nullptr;
  CPolygon* polygons = nullptr;
  uint16_t* units = nullptr;
  int32_t count = 0;
  String s;
  switch (tag) {
    case TAG_MEMORY: ok = f.file.ReadMemory(block, count); break;
    case TAG_PRIVATE: ok = f.file.SkipPrivateBlock(); break;
    case TAG_STRING: ok = f.file.ReadString(s); break;
    case TAG_VECTOR_ARRAY: ok = f.file.ReadVectorArray(vectors, count); break;
    case TAG_POLYGON_ARRAY: ok = f.file.ReadPolygonArray(polygons, count); break;
    case TAG_UINT16_ARRAY: ok = f.file.ReadUInt16Array(units, count); break;
    default: {
      uint8_t t = 0;
      ok = f.file.ReadByte(t) && f.file.SkipValue(t);
    }
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(f.file.GetError(), FILEERROR_READ);
  EXPECT_EQ(GeAllocCount(), allocations);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(count, 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DamagedLength,
                         testing::Combine(testing::Values(TAG_MEMORY, TAG_PRIVATE, TAG_STRING, TAG_VECTOR_ARRAY,
                                                          TAG_POLYGON_ARRAY, TAG_UINT16_ARRAY, uint8_t{200}),
                                          testing::Values(0x80000000u, 0xFFFFFFFFu, 69u, 0x7FFFFFFFu)));

TEST(AllocationFailure, BlockStringAndArrayReadsSetMemoryError) {
  C4DWriter w = WithHeader();
  w.Memory({1}).Str("x").VectorArray({{1, 1, 1}});
  for (int which = 0; which < 3; ++which) {
    MemoryFile f(w.Data());
    uint8_t* block = nullptr;
    int32_t count = 0;
    String s;
    Vector* vectors = nullptr;
    if (which > 0) {
      ASSERT_TRUE(f.file.ReadMemory(block, count));
    }
    GeFree(block);
    if (which > 1) {
      ASSERT_TRUE(f.file.ReadString(s));
    }
    GeAllocFailAt(1);
    const bool ok = which == 0 ? f.file.ReadMemory(block, count)
                    : which == 1 ? f.file.ReadString(s)
                                 : f.file.ReadVectorArray(vectors, count);
    GeAllocFailAt(0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(f.file.GetError(), FILEERROR_MEMORY);
  }
}

// The stream over a real file: values that straddle the read buffer's
// boundary and arrays larger than the buffer read as from memory.
TEST(FileStream, LargeFileReadsTheSameAsFromMemory) {
  std::vector<Vector> points(50000);
  for (size_t i = 0; i < points.size(); ++i) points[i] = {float(i), -float(i), 0.5f};
  C4DWriter w = WithHeader();
  for (int i = 0; i < 60000; ++i) w.Int32(i);
  w.VectorArray(points).Str("tail").Private(std::vector<uint8_t>(300000, 1)).Int32(-1);
  const std::string path = (std::filesystem::temp_directory_path() / "c4d_file_stream_test.c4d").string();
  ASSERT_TRUE(w.SaveTo(path));

  GeChunkFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_EQ(file.GetLength(), static_cast<int64_t>(w.Size()));
  bool inOrder = true;
  for (int i = 0; i < 60000; ++i) {
    int32_t v = -2;
    inOrder = inOrder && file.ReadInt32(v) && v == i;
  }
  EXPECT_TRUE(inOrder);
  Vector* array = nullptr;
  int32_t count = 0;
  ASSERT_TRUE(file.ReadVectorArray(array, count));
  ASSERT_EQ(count, 50000);
  EXPECT_EQ(array[49999].y, -49999.0f);
  GeFree(array);
  String s;
  EXPECT_TRUE(file.ReadString(s));
  EXPECT_EQ(s.To8Bit(), "tail");
  uint8_t tag = 0;
  EXPECT_TRUE(file.ReadByte(tag) && file.SkipValue(tag));
  int32_t last = 0;
  EXPECT_TRUE(file.ReadInt32(last));
  EXPECT_EQ(last, -1);
  EXPECT_EQ(file.Remaining(), 0);
  EXPECT_FALSE(file.ReadInt32(last));
  EXPECT_EQ(file.GetError(), FILEERROR_READ);
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Close());
  std::filesystem::remove(path);
}

// Arrays are converted where they lie in the read buffer, so records that
// straddle the buffer's edge must come out whole, in every array kind; a
// file that ends inside an array fails the read and hands out no array.
TEST(FileStream, ArraysAcrossBufferEdgesReadEveryElement) {
  std::vector<Vector> points(70001);
  for (size_t i = 0; i < points.size(); ++i) points[i] = {float(i), -float(i), float(i % 7) * 0.125f};
  std::vector<CPolygon> polygons(40003);
  for (size_t i = 0; i < polygons.size(); ++i) {
    const auto k = static_cast<int32_t>(i);
    polygons[i] = {k, k + 70000, 0x7FFFFFF0 - k, (k * 13) & 0xFFFF};
  }
  std::vector<CPolygon> narrow(polygons);
  for (CPolygon& p : narrow) p = {p.a & 0xFFFF, p.b & 0xFFFF, p.c & 0xFFFF, p.d & 0xFFFF};
  std::vector<uint16_t> words(150001);
  for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint16_t>(i * 40503u);
  // A string of odd units in front shifts every array off the word grid.
  C4DWriter w = WithHeader();
  w.Str("abc").VectorArray(points).Bool(true).PolygonArray(polygons).PolygonArray(narrow, true).UInt16Array(words);
  const std::string path = (std::filesystem::temp_directory_path() / "c4d_file_arrays_test.c4d").string();
  ASSERT_TRUE(w.SaveTo(path));

  GeChunkFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  String s;
  int32_t flag = 0;
  Vector* readPoints = nullptr;
  CPolygon* readWide = nullptr;
  CPolygon* readNarrow = nullptr;
  uint16_t* readWords = nullptr;
  int32_t pointCount = 0, wideCount = 0, narrowCount = 0, wordCount = 0;
  ASSERT_TRUE(file.ReadString(s) && file.ReadVectorArray(readPoints, pointCount) && file.ReadBool(flag) &&
              file.ReadPolygonArray(readWide, wideCount) && file.ReadPolygonArray(readNarrow, narrowCount) &&
              file.ReadUInt16Array(readWords, wordCount));
  ASSERT_EQ(pointCount, int32_t(points.size()));
  ASSERT_EQ(wideCount, int32_t(polygons.size()));
  ASSERT_EQ(narrowCount, int32_t(narrow.size()));
  ASSERT_EQ(wordCount, int32_t(words.size()));
  size_t wrong = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    wrong += std::memcmp(&readPoints[i], &points[i], sizeof(Vector)) != 0;
  }
  for (size_t i = 0; i < polygons.size(); ++i) {
    wrong += std::memcmp(&readWide[i], &polygons[i], sizeof(CPolygon)) != 0;
    wrong += std::memcmp(&readNarrow[i], &narrow[i], sizeof(CPolygon)) != 0;
  }
  for (size_t i = 0; i < words.size(); ++i) wrong += readWords[i] != words[i];
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(file.Remaining(), 0);
  GeFree(readPoints);
  GeFree(readWide);
  GeFree(readNarrow);
  GeFree(readWords);

  // The same file cut in the middle of the point array.
  std::vector<uint8_t> cut = w.Take();
  cut.resize(400000);
  ASSERT_TRUE(C4DWriter().Bytes(cut).SaveTo(path));
  GeChunkFile shortFile;
  ASSERT_TRUE(shortFile.Open(path.c_str()));
  Vector* none = nullptr;
  int32_t noCount = 0;
  EXPECT_TRUE(shortFile.ReadString(s));
  EXPECT_FALSE(shortFile.ReadVectorArray(none, noCount));
  EXPECT_EQ(shortFile.GetError(), FILEERROR_READ);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(noCount, 0);
  std::filesystem::remove(path);
}

TEST(FileStream, MissingFileFailsToOpenWithoutError) {
  GeChunkFile file;
  EXPECT_FALSE(file.Open("/nonexistent/folder/scene.c4d"));
  EXPECT_EQ(file.GetError(), FILEERROR_NONE);
  EXPECT_FALSE(file.IsOpen());
  int32_t i = 0;
  EXPECT_FALSE(file.ReadInt32(i));
  EXPECT_EQ(file.GetError(), FILEERROR_NONE);  // no file: a failed read copies 0
}

TEST(ErrorText, EveryCodeHasASentenceAndAName) {
  for (int32_t code : {FILEERROR_NONE, FILEERROR_READ, FILEERROR_MEMORY, FILEERROR_FORMAT, FILEERROR_CHUNK_MARKER,
                       FILEERROR_CHUNK_SKIP, FILEERROR_NESTING, FILEERROR_LIMIT}) {
    EXPECT_STRNE(FileErrorName(code), FileErrorName(12345));
    EXPECT_STRNE(FileErrorSymbol(code), FileErrorSymbol(12345));
  }
}

}  // namespace
