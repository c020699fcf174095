// The outline of a Text object (data type 5178) without a cache: its string
// set in its font through FreeType, each glyph contour one closed polyline.
//
//   c4dprim::SplineRead read = c4dgen::TextOutline(text.data);
//   if (read.shape) ... segments in the object's XY plane, notes name a stand-in font
//
// The font is looked up by its family name in the usual font folders; one
// that is not there is replaced by the font the build bundles (DejaVu Sans),
// and the shape's notes say so. A build without FreeType refuses.
#pragma once
#include <cstddef>
#include <cstdint>

#include "spline_shapes.h"

class GeContainer;

namespace c4dgen {

enum : int32_t {
  TEXT_SPLINE = 5178,
  TEXT_STRING = 2111,     // lines separated by "\r"
  TEXT_ALIGNMENT = 2112,  // 0 left, 1 centre, 2 right
  TEXT_HEIGHT = 2115,     // the em size
  TEXT_FONT = 2117,       // font data: a container of the entries below
  FONT_FAMILY = 500,
  FONT_WEIGHT = 502,      // 400 regular, 700 bold
  FONT_ITALIC = 503,
};

// Longer texts are refused.
constexpr size_t kMaxTextCharacters = 10000;

c4dprim::SplineRead TextOutline(const GeContainer& data);

}  // namespace c4dgen
