// The newer file variant: its header, values widened to doubles, packed
// arrays and the container entries whose encoding changed.
#include <gtest/gtest.h>

#include "ge_container.h"
#include "memory_file.h"

namespace {

C4DWriter Newer() { return std::move(C4DWriter().NewerHeader(2025100)); }

TEST(NewerVariant, HeadersSelectTheVariant) {
  struct Case { std::vector<uint8_t> header; bool opens, newer; };
  const std::vector<uint8_t> newer = {'Q', 'C', '4', 'D', 'C', '4', 'D', '6', 0, 0, 0x2F, 0x10, 0};
  const Case cases[] = {
      {{'X', 'C', '4', 'D', 'C', '4', 'D', '6'}, true, false}, {{'6', 'C', '4', 'D', 'C', '4', 'D', '6'}, true, false},
      {newer, true, true}, {{newer.begin(), newer.end() - 1}, false, true},  // the tail cut short
      {{'Q', 'C', '4', 'D', 'C', '4', 'D', '7', 0, 0, 0, 0, 0}, false, false},
  };
  for (const Case& c : cases) {
    MemoryFile f(c.header);
    EXPECT_EQ(f.opened, c.opens) << c.header[0] << c.header.size();
    EXPECT_EQ(f.file.GetError(), c.opens ? FILEERROR_NONE : FILEERROR_FORMAT);
    EXPECT_EQ(f.file.GetHeaderVersion(), c.opens && c.newer ? 12048 : 0);
    EXPECT_EQ(f.file.IsNewerVariant(), c.newer && c.opens);
  }
}

TEST(NewerVariant, PackedColumnsFillRecordsAndRefuseWhatDoesNotMatch) {
  // Kind and count must match; a count beyond what is left of the file is refused before allocating.
  for (auto [kind, count, ok] : {std::tuple{PACKED_FLOAT64, 2, true}, {PACKED_INT32, 2, false}, {PACKED_FLOAT64, 3, false}}) {
    MemoryFile f(Newer().Packed(std::vector<double>{1.5, -2.25}).Int32(1));
    Vector64 records[3];
    EXPECT_EQ(f.file.ReadPackedColumn(kind, count, reinterpret_cast<uint8_t*>(records) + 8, kind == PACKED_INT32 ? 16 : 24), ok);
    EXPECT_EQ(f.file.GetError(), ok ? FILEERROR_NONE : FILEERROR_FORMAT);
    EXPECT_EQ(records[1].y, ok ? -2.25 : 0.0);
    EXPECT_EQ(f.file.CheckCount(1000, 24), false);
  }
}

TEST(NewerVariant, ContainerEntriesOfTypeZeroCarryNoValueAndTimesAreDoubles) {
  C4DWriter w = Newer();
  w.StartChunk(132, 1).Int32(-1).Int32(5).Int32(0);  // an empty entry
  w.Int32(6).Int32(22).Time(3, 4).Int32(7).Int32(19).Float32(0.25f).Int32(8).Int32(23).Vec({1, 2, 3}).EndChunk();
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
