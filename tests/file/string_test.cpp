// The library string: growth, insertion, and the conversions to and from
// 8-bit text.
#include <gtest/gtest.h>

#include "c4d_string.h"
#include "ge_alloc.h"

namespace {

String FromUnits(std::initializer_list<uint16_t> units) {
  String s;
  s.SetFromUnits(units.begin(), static_cast<int32_t>(units.size()));
  return s;
}

// Both conversions to 8-bit text, which must agree.
std::string Text(const String& s) {
  char* text = s.ToNew8Bit();
  std::string result = text ? std::string(text) : std::string();
  GeFree(text);
  EXPECT_EQ(result, s.To8Bit());
  return result;
}

TEST(StringConversion, UnitsAbove127BecomeOneUnderscoreEachAndUnitZeroEndsTheText) {
  EXPECT_EQ(Text(FromUnits({0x004D, 0x00FC, 0x006C})), "M_l");
  EXPECT_EQ(Text(FromUnits({'a', 0x20AC, 'b'})), "a_b");
  EXPECT_EQ(Text(FromUnits({'a', 0, 'b'})), "a");
  EXPECT_EQ(FromUnits({'a', 0, 'b'}).GetLength(), 3);
  EXPECT_EQ(String().ToNew8Bit(), nullptr);  // the empty string gives no buffer
}

TEST(StringConversion, BytesFrom127OnBecomeUnderscoreUnits) {
  String s;
  s.SetFrom8Bit("K\xE4se\x7F", -1);
  ASSERT_EQ(s.GetLength(), 5);
  EXPECT_EQ(s[0], 'K');
  EXPECT_EQ(s[1], 95);
  EXPECT_EQ(s[4], 95);
  s.SetFrom8Bit("abcdef", 2);
  EXPECT_EQ(s.To8Bit(), "ab");
}

TEST(StringGrowth, FailedGrowthEmptiesOnSetLengthAndKeepsOnReserve) {
  String s("keep");
  GeAllocFailAt(1);
  EXPECT_FALSE(s.Reserve(100));
  GeAllocFailAt(0);
  EXPECT_EQ(s.To8Bit(), "keep");
  GeAllocFailAt(1);
  EXPECT_FALSE(s.SetLength(40, 'x'));
  GeAllocFailAt(0);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(s.GetCapacity(), 0);
}

TEST(StringInsert, WholeSourceRangesClampingAndItself) {
  const String source("world");
  String s("hello ");
  s.InsertRange(s.GetLength(), source, -1, -1);
  EXPECT_EQ(s.To8Bit(), "hello world");
  s.InsertRange(0, source, 1, 3);
  EXPECT_EQ(s.To8Bit(), "orhello world");
  s.InsertRange(2, source, 3, 100);  // end is cut to the source's length
  EXPECT_EQ(s.To8Bit(), "orldhello world");
  s.InsertRange(-1, source, -1, -1);
  s.InsertRange(s.GetLength() + 1, source, -1, -1);
  s.InsertRange(0, source, 4, 2);
  s.InsertRange(0, String(), -1, -1);
  EXPECT_EQ(s.To8Bit(), "orldhello world");
  String t("abcdefghijklmno");  // 15 units: the insert must grow the buffer
  t.InsertRange(1, t, -1, -1);
  EXPECT_EQ(t.To8Bit(), "aabcdefghijklmnobcdefghijklmno");
}

}  // namespace
