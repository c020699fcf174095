// The newer file variant: its header, values widened to doubles, packed
// arrays and the container entries whose encoding changed.
#include <gtest/gtest.h>

#include "ge_container.h"
#include "memory_file.h"

namespace {

C4DWriter Newer() {
  C4DWriter w;
  w.NewerHeader(2025100);
  return w;
}

TEST(NewerVariant, HeadersSelectTheVariant) {
  struct Case {
    std::vector<uint8_t> header;
    bool opens;
    bool newer;
  };
  const std::vector<uint8_t> newer = {'Q', 'C', '4', 'D', 'C', '4', 'D', '6', 0, 0, 0x2F, 0x10, 0};
  const Case cases[] = {
      {{'X', 'C', '4', 'D', 'C', '4', 'D', '6'}, true, false},
      {{'6', 'C', '4', 'D', 'C', '4', 'D', '6'}, true, false},
      {newer, true, true},
      {{newer.begin(), newer.end() - 1}, false, true},  // the tail cut short
      {{'Q', 'C', '4', 'D', 'C', '4', 'D', '7', 0, 0, 0, 0, 0}, false, false},
      {{'Y', 'C', '4', 'D', 'C', '4', 'D', '6'}, false, false},
  };
  for (const Case& c : cases) {
    MemoryFile f(c.header);
    EXPECT_EQ(f.opened, c.opens) << c.header[0] << c.header.size();
    EXPECT_EQ(f.file.GetError(), c.opens ? FILEERROR_NONE : FILEERROR_FORMAT);
    if (!c.opens) continue;
    EXPECT_EQ(f.file.IsNewerVariant(), c.newer);
    EXPECT_EQ(f.file.GetHeaderVersion(), c.newer ? 12048 : 0);
  }
}

TEST(NewerVariant, RealsAreBigEndianDoublesAndWidenedKindsSkipWhole) {
  C4DWriter w = Newer();
  w.Bytes({19, 0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A});  // 0.1, high byte first
  w.Vec({1, 2, 3}).Mat(Matrix{{4, 5, 6}, {0, 2, 0}, {1, 0, 0}, {0, 0, 3}}).Time(3, 2);
  w.Float32(0.5f).Time(1, 4).Vec({7, 8, 9}).Mat(Matrix{}).Int32(42);
  MemoryFile f(w);
  double real = 0;
  Vector64 v;
  Matrix m;
  GeTime t;
  ASSERT_TRUE(f.file.ReadReal(real) && f.file.ReadVector64(v) && f.file.ReadMatrix(m) && f.file.ReadTime(t));
  EXPECT_EQ(real, 0.1);
  EXPECT_EQ(v.z, 3.0);
  EXPECT_EQ(m.off.y, 5.0f);
  EXPECT_EQ(m.zAxis.z, 3.0f);
  EXPECT_EQ(t.numerator, 3.0);
  for (uint8_t tag : {19, 22, 23, 25}) {
    uint8_t read = 0;
    ASSERT_TRUE(f.file.ReadByte(read) && read == tag && f.file.SkipValue(tag)) << int(tag);
  }
  int32_t last = 0;
  EXPECT_TRUE(f.file.ReadInt32(last));
  EXPECT_EQ(last, 42);
}

TEST(NewerVariant, PackedColumnsFillRecordsAndRefuseWhatDoesNotMatch) {
  struct Case {
    uint8_t kind;
    int32_t count;
    bool ok;
  };
  const Case cases[] = {{PACKED_FLOAT64, 2, true}, {PACKED_INT32, 2, false}, {PACKED_FLOAT64, 3, false}};
  for (const Case& c : cases) {
    C4DWriter w = Newer();
    w.Packed(std::vector<double>{1.5, -2.25}).Packed(std::vector<int32_t>{7, -8}).Int32(1);
    MemoryFile f(w);
    Vector64 records[3];
    EXPECT_EQ(f.file.ReadPackedColumn(c.kind, c.count, reinterpret_cast<uint8_t*>(records) + 8, 24), c.ok);
    EXPECT_EQ(f.file.GetError(), c.ok ? FILEERROR_NONE : FILEERROR_FORMAT);
    if (!c.ok) continue;
    EXPECT_EQ(records[1].y, -2.25);
    int32_t words[2] = {0, 0};
    EXPECT_TRUE(f.file.ReadPackedColumn(PACKED_INT32, 2, reinterpret_cast<uint8_t*>(words), 4));
    EXPECT_EQ(words[1], -8);
  }
  // A count beyond what is left of the file is refused before anything is allocated.
  MemoryFile f(Newer().Int32(1));
  EXPECT_FALSE(f.file.CheckCount(1000, 24));
  EXPECT_EQ(f.file.GetError(), FILEERROR_READ);
}

TEST(NewerVariant, ContainerEntriesOfTypeZeroCarryNoValueAndTimesAreDoubles) {
  C4DWriter w = Newer();
  w.StartChunk(132, 1).Int32(-1);
  w.Int32(5).Int32(0);  // empty entry
  w.Int32(6).Int32(22).Time(3, 4);
  w.Int32(7).Int32(19).Float32(0.25f);
  w.Int32(8).Int32(23).Vec({1, 2, 3});
  w.EndChunk();
  MemoryFile f(w);
  GeContainer c;
  ASSERT_TRUE(ReadContainer(f.file, c, false));
  EXPECT_EQ(f.file.GetError(), FILEERROR_NONE);
  EXPECT_EQ(c.FindValue(5).GetType(), GEVALUE_EMPTY);
  EXPECT_FLOAT_EQ(c.FindFloat32(6, 0), 0.75f);
  EXPECT_FLOAT_EQ(c.FindFloat32(7, 0), 0.25f);
  EXPECT_FLOAT_EQ(c.FindVector(8, {}).z, 3.0f);
}

}  // namespace
