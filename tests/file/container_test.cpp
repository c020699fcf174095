// Parameter containers: the store and lookup rules, both on-disk forms,
// stand-alone values, and link values through an installed link support.
#include <gtest/gtest.h>

#include <functional>

#include "ge_alloc.h"
#include "ge_container.h"
#include "memory_file.h"

namespace {

GeValue Value(int32_t type, int32_t i, float f = 0) {
  GeValue value;
  value.SetType(type);
  type == GEVALUE_INT32 ? value.SetInt32(i) : value.SetFloat32(f);
  return value;
}

TEST(ContainerStore, NumericDefaultsKeepTheirTypeAndOtherTypesAreReplaced) {
  GeContainer c;
  c.StoreFloat32(1000, 0.5f);
  c.StoreValue(1000, Value(GEVALUE_INT32, 3));
  EXPECT_EQ(c.FindValue(1000).GetType(), GEVALUE_FLOAT32);
  EXPECT_EQ(c.FindFloat32(1000, 0), 3.0f);
  EXPECT_EQ(c.FindInt32(1000, 7), 3);
  c.StoreInt32(1, 10);
  c.StoreValue(1, Value(GEVALUE_FLOAT32, 0, -2.7f));  // truncated toward zero
  EXPECT_EQ(c.FindValue(1).GetType(), GEVALUE_INT32);
  EXPECT_EQ(c.FindInt32(1, 0), -2);
  c.StoreValue(1, Value(GEVALUE_FLOAT32, 0, 1e20f));  // saturates instead of overflowing
  EXPECT_EQ(c.FindInt32(1, 0), INT32_MAX);
  c.StoreVector(1, {1, 2, 3});
  EXPECT_EQ(c.FindValue(1).GetType(), GEVALUE_VECTOR);
  EXPECT_EQ(c.FindVector(1, {}).z, 3);
  c.StoreBool(1, true);
  EXPECT_EQ(c.FindValue(1).GetType(), GEVALUE_INT32);
  EXPECT_TRUE(c.FindBool(1, false));
  EXPECT_TRUE(c.CopyInto(c) && c.FindBool(1, false));  // a copy into itself changes nothing
}

TEST(ContainerRead, AChunkOfLevelZeroLeavesTheContainerAsItWas) {
  C4DWriter w = WithHeader();
  ContainerSpec(5).Int(1, 9).WriteChunk(w, 0);
  MemoryFile f(w);
  GeContainer c;
  c.StoreInt32(1, 2);
  EXPECT_TRUE(ReadContainer(f.file, c, false) && c.FindInt32(1, 0) == 2 && f.file.GetError() == FILEERROR_NONE);
}

TEST(ContainerLookup, FallBacksForMissingIdsAndForeignTypes) {
  GeContainer c;
  c.StoreInt32(1, 4);
  c.StoreFloat32(2, -2.7f);
  EXPECT_EQ(c.FindInt32(2, 0), -2);
  EXPECT_EQ(c.FindInt32(9, 7), 7);
  EXPECT_EQ(c.FindFloat32(9, 1.5f), 1.5f);
  EXPECT_TRUE(c.FindBool(9, true));
  const Vector v = c.FindVector(1, {5, 5, 5});  // a foreign type gives zero, not the default
  EXPECT_EQ(v.x + v.y, 0);
  EXPECT_EQ(c.FindVector(9, {5, 5, 5}).x, 5);
  EXPECT_EQ(c.FindSubContainer(1), nullptr);
  // Negative ids are all one id.
  c.StoreInt32(-5, 1);
  c.StoreInt32(-9, 2);
  EXPECT_EQ(c.GetCount(), 3);
  EXPECT_EQ(c.FindInt32(-1, 0), 2);
}

TEST(ContainerLookup, FirstOfTwoEntriesWinsInSmallAndLargeContainers) {
  for (int32_t size : {4, 5000}) {
    GeContainer c;
    for (int32_t i = 0; i < 2 * size; ++i) c.AppendValue(i % size, Value(GEVALUE_INT32, i < size ? i : -i));
    EXPECT_EQ(c.GetCount(), 2 * size);
    bool firstWins = true;
    for (int32_t i = 0; i < size; ++i) firstWins = firstWins && c.FindInt32(i, -1) == i;
    EXPECT_TRUE(firstWins) << size;
    c.StoreInt32(size - 1, 77);  // replaces the first, leaves the second
    EXPECT_EQ(c.FindInt32(size - 1, 0), 77);
    EXPECT_EQ(c.FindInt32(size, 123), 123);
  }
}

// Both on-disk forms carry the same entries and must read alike.
ContainerSpec EveryEntryKind() {
  Matrix m;
  m.off = {7, 8, 9};
  return ContainerSpec(42)
      .Int(1, 5)
      .Real(2, 0.25f)
      .Vec(3, {1, 2, 3})
      .Mat(4, m)
      .Str(5, "name")
      .Filename(6, "tex.tif")
      .Sub(7, ContainerSpec(8).Int(1, 11).Sub(2, ContainerSpec().Str(1, "deep")))
      .Time(8, 3, 2)
      .UnknownChunk(9, 200, 5000)
      .Link(10, 0x0102030405060708ull)
      .Int(11, 6);
}

class ContainerForms : public testing::TestWithParam<bool> {
 protected:
  // Reads `spec`, written in the form under test, into `c`.
  bool Read(const ContainerSpec& spec, GeContainer& c, bool append = false) {
    C4DWriter w = WithHeader();
    GetParam() ? spec.WriteChunk(w) : spec.WriteOlder(w);
    file = std::make_unique<MemoryFile>(w.Int32(-3));
    return ReadContainer(file->file, c, append);
  }
  std::unique_ptr<MemoryFile> file;
};

TEST_P(ContainerForms, ReadsEveryEntryKind) {
  GeContainer c;
  ASSERT_TRUE(Read(EveryEntryKind(), c));
  EXPECT_EQ(file->file.GetError(), FILEERROR_NONE);
  EXPECT_EQ(c.GetId(), 42);
  EXPECT_EQ(c.FindInt32(1, 0), 5);
  EXPECT_EQ(c.FindFloat32(2, 0), 0.25f);
  EXPECT_EQ(c.FindVector(3, {}).y, 2);
  ASSERT_NE(c.FindValue(4).AsMatrix(), nullptr);
  EXPECT_EQ(c.FindValue(4).AsMatrix()->off.z, 9);
  EXPECT_EQ(c.FindValue(5).AsString().To8Bit(), "name");
  GeContainer* sub = c.FindSubContainer(7);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetId(), 8);
  EXPECT_EQ(sub->FindInt32(1, 0), 11);
  ASSERT_NE(sub->FindSubContainer(2), nullptr);
  EXPECT_EQ(sub->FindSubContainer(2)->FindValue(1).AsString().To8Bit(), "deep");
  EXPECT_EQ(c.FindInt32(11, 0), 6);  // read after the unknown chunk and the link
  // Only the chunk form keeps file names, as strings, and times, as seconds.
  EXPECT_EQ(c.FindValue(6).GetType(), GetParam() ? GEVALUE_STRING : GEVALUE_EMPTY);
  EXPECT_EQ(c.FindValue(6).AsString().To8Bit(), GetParam() ? "tex.tif" : "");
  EXPECT_EQ(c.FindFloat32(8, 0), GetParam() ? 1.5f : 0.0f);
  EXPECT_EQ(c.FindValue(9).GetType(), GEVALUE_EMPTY);
  EXPECT_EQ(c.FindValue(10).GetType(), GEVALUE_EMPTY);  // no link support: dropped
  int32_t after = 0;
  EXPECT_TRUE(file->file.ReadInt32(after));
  EXPECT_EQ(after, -3);
}

TEST_P(ContainerForms, AppendKeepsRepeatedIdsAndStoreConvertsIntoDefaults) {
  for (bool append : {true, false}) {
    GeContainer c;
    c.StoreFloat32(1000, 0.5f);
    c.StoreInt32(1001, 1);
    ASSERT_TRUE(Read(ContainerSpec().Int(1000, 3).Real(1001, 2.9f).Int(1000, 4), c, append));
    EXPECT_EQ(c.GetCount(), append ? 5 : 2);
    EXPECT_EQ(c.FindValue(1000).GetType(), GEVALUE_FLOAT32);
    EXPECT_EQ(c.FindFloat32(1000, 0), append ? 0.5f : 4.0f);  // appended, the default is the first entry
    EXPECT_EQ(c.FindInt32(1001, 0), append ? 1 : 2);
  }
}

// A failed allocation anywhere in a read ends it cleanly with FILEERROR_MEMORY.
TEST_P(ContainerForms, EveryAllocationFailureEndsCleanly) {
  uint64_t n = 1;
  for (;; ++n) {
    GeContainer c;
    c.StoreInt32(1, 0);
    GeAllocFailAt(n);
    const uint64_t before = GeAllocCount();
    const bool ok = Read(EveryEntryKind(), c);
    const bool failureHit = GeAllocCount() - before >= n;
    GeAllocFailAt(0);
    if (!failureHit) {
      EXPECT_TRUE(ok);
      break;
    }
    // A failing lookup index is not an error; every other allocation is.
    EXPECT_EQ(file->file.GetError(), ok ? FILEERROR_NONE : FILEERROR_MEMORY) << n;
    ASSERT_LT(n, 1000u);
  }
  EXPECT_GT(n, 20u);  // the walk went through the allocations of every entry kind
}

INSTANTIATE_TEST_SUITE_P(Forms, ContainerForms, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Chunk" : "Older"; });

TEST(StandAloneValue, EachTypeReadsItsPayload) {
  C4DWriter w = WithHeader();
  w.Int32(15).Int32(-8).Int32(19).Float32(2.5f).Int32(130).Str("txt").Int32(132);
  ContainerSpec(3).Int(1, 1).Int(1, 2).WriteOlder(w);
  w.Int32(22).Time(1, 2).Int32(133).LinkRecord(5).Int32(14).Int32(131).Int32(128).Int32(0).Int32(1000000);
  w.Int32(23).Float32(1);
  MemoryFile f(w);
  // Times are read and dropped, links too without a link support.
  const std::vector<std::string> expected = {"15 -8", "19 2.500000", "130 txt", "132 2", "0", "0", "14", "131", "0", "0", "0"};
  for (const std::string& e : expected) {
    GeValue v;
    ASSERT_TRUE(ReadValue(f.file, v)) << e;
    std::string text = std::to_string(v.GetType());
    if (v.GetType() == GEVALUE_INT32) text.append(" ").append(std::to_string(v.AsInt32()));
    if (v.GetType() == GEVALUE_FLOAT32) text.append(" ").append(std::to_string(v.AsFloat32()));
    if (v.GetType() == GEVALUE_STRING) text.append(" ").append(v.AsString().To8Bit());
    if (v.AsContainer()) text.append(" ").append(std::to_string(v.AsContainer()->GetCount()));  // read with append
    EXPECT_EQ(text, e);
  }
  // A failed payload clears the value.
  GeValue v = Value(GEVALUE_INT32, 4);
  EXPECT_FALSE(ReadValue(f.file, v));
  EXPECT_EQ(v.GetType(), GEVALUE_EMPTY);
  EXPECT_EQ(f.file.GetError(), FILEERROR_FORMAT);
}

}  // namespace
