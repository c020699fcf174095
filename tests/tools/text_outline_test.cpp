// Text objects without a cache, set through FreeType: glyph contours as
// closed polylines, the em at the Text's height, lines and alignment, and a
// font the machine lacks replaced by the bundled one, which the report names.
#include <algorithm>

#include "convert_file.h"
#include "ge_container.h"
#include "import_fixture.h"
#include "text_outline.h"

namespace {

void StoreText(GeContainer& data, const std::string& text) {
  GeValue value;
  value.SetType(GEVALUE_STRING);
  value.StringPayload()->SetFrom8Bit(text.c_str(), -1);
  data.StoreValue(c4dgen::TEXT_STRING, value);
}

#ifdef C4D_TEXT_OUTLINES
struct TextCase {
  const char* text;
  int32_t alignment;
  size_t contours;
  double x0, x1, y0, y1;  // the extent, the em 100
};

class TextOutlines : public ::testing::TestWithParam<TextCase> {};

// DejaVu Sans: capitals 72.9 high on the baseline, lines 116.4 apart; A's
// advance 68.4, its outline from 0.8 to 67.6.
TEST_P(TextOutlines, GlyphContoursAreClosedAndLaidOutFromTheOrigin) {
  const TextCase& c = GetParam();
  GeContainer data;
  StoreText(data, c.text);
  data.StoreFloat32(c4dgen::TEXT_HEIGHT, 100);
  data.StoreInt32(c4dgen::TEXT_ALIGNMENT, c.alignment);
  const c4dprim::SplineRead read = c4dgen::TextOutline(data);
  ASSERT_TRUE(read.shape) << read.reason;
  EXPECT_EQ(read.shape->notes, std::vector<std::string>{"no font given: DejaVu Sans stood in"});
  ASSERT_EQ(read.shape->segments.size(), c.contours);
  double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
  for (const c4dprim::SplineSegment& segment : read.shape->segments) {
    EXPECT_TRUE(segment.closed);
    EXPECT_GE(segment.points.size(), 3u);
    for (const Vector64& p : segment.points) {
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
      EXPECT_EQ(p.z, 0);
    }
  }
  EXPECT_NEAR(x0, c.x0, 0.5);
  EXPECT_NEAR(x1, c.x1, 0.5);
  EXPECT_NEAR(y0, c.y0, 0.5);
  EXPECT_NEAR(y1, c.y1, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextOutlines, ::testing::Values(
    TextCase{"AB", 0, 5, 0.8, 129.9, 0, 72.9},       // B's advance ends at 137
    TextCase{"AB", 2, 5, -136.2, -7.1, 0, 72.9},
    TextCase{"A\rA", 1, 4, -33.4, 33.4, -116.4, 72.9}));

// The family found by name, its face nearest the weight: a wider A at 700.
TEST(TextOutline, TakesTheFacesOfTheFamilyNamed) {
  std::vector<double> right;
  for (const int32_t weight : {400, 700}) {
    GeContainer data, font;
    StoreText(data, "A");
    font.StoreInt32(c4dgen::FONT_WEIGHT, weight);
    StoreText(font, "DejaVu Sans");
    font.StoreValue(c4dgen::FONT_FAMILY, font.FindValue(c4dgen::TEXT_STRING));
    data.AppendSubContainer(c4dgen::TEXT_FONT, font);
    const c4dprim::SplineRead read = c4dgen::TextOutline(data);
    ASSERT_TRUE(read.shape && read.shape->notes.empty());
    right.push_back(0);
    for (const auto& segment : read.shape->segments) {
      for (const Vector64& p : segment.points) right.back() = std::max(right.back(), p.x);
    }
  }
  EXPECT_NEAR(right[0], 135.2, 0.5);  // the em 200 when no height is given
  EXPECT_NEAR(right[1], 138.5, 0.5);  // the bold face, not the extra light or the regular one
}

TEST(TextOutline, RefusesTextsOverTheLimit) {
  GeContainer data;
  StoreText(data, std::string(c4dgen::kMaxTextCharacters + 1, 'x'));
  EXPECT_EQ(c4dgen::TextOutline(data).reason, "a text of 10001 characters (more than 10000)");
}
#endif

// Through the file: the font data names a family the machine lacks.
TEST_F(ImportTest, TextWithoutCacheIsDrawnAsItsOutline) {
  ObjectSpec text = ObjectSpec::Plugin("Text", c4dgen::TEXT_SPLINE);
  text.node.data.Str(c4dgen::TEXT_STRING, "AB").FontData(
      c4dgen::TEXT_FONT, ContainerSpec().Str(c4dgen::FONT_FAMILY, "No Such Font").Int(c4dgen::FONT_WEIGHT, 700));
  SceneSpec scene;
  scene.objects = {text};
  c4dimport::ConvertOptions options;
  options.import.ui = &m_ui;
  const c4dimport::Conversion done = c4dimport::ConvertFile(WriteScene(scene), options);
  ASSERT_EQ(done.made.size(), 1u);
  EXPECT_EQ(done.made[0].kind, "text");
#ifdef C4D_TEXT_OUTLINES
  EXPECT_EQ(done.result.objects.size(), 5u);
  EXPECT_EQ(done.made[0].reason, "font No Such Font not found: DejaVu Sans stood in");
#else
  EXPECT_EQ(done.made[0].reason, "text outlines are not available in this build");
#endif
}

}  // namespace
