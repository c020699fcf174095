#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "float_bytes.h"
#include "polygon_topology.h"
#include "surface_palette.h"

namespace {

using Edges = EdgeList;
using Faces = FaceList;

struct Topology {
  Edges edges;
  Faces faces;
};

Topology Build(const std::vector<CPolygon>& polygons, const std::vector<Vector>& points) {
  Topology t;
  BuildPolygonTopology(polygons.data(), static_cast<int32_t>(polygons.size()), points.data(),
                       static_cast<int32_t>(points.size()), t.edges, t.faces);
  return t;
}

// Eight points: a bent quadrangle 0-3 (point 3 lifted) and a flat one 4-7.
std::vector<Vector> BentThenFlat() {
  return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f},
          {0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}};
}

TEST(PolygonTopology, BentQuadSplitsAlongDiagonalThenFlatQuadStaysWhole) {
  Topology t = Build({{0, 1, 2, 3}, {4, 5, 6, 7}}, BentThenFlat());
  Edges expectedEdges{{1, 2}, {2, 3}, {3, 1}, {3, 4}, {4, 1}, {5, 6}, {6, 7}, {7, 8}, {8, 5}};
  Faces expectedFaces{{1, 2, 3}, {-3, 4, 5}, {6, 7, 8, 9}};
  EXPECT_EQ(t.edges, expectedEdges);
  EXPECT_EQ(t.faces, expectedFaces);
}

TEST(PolygonTopology, TriangleStoredWithRepeatedLastIndexGivesThreeEdges) {
  Topology t = Build({{0, 1, 2, 2}}, BentThenFlat());
  EXPECT_EQ(t.edges, (Edges{{1, 2}, {2, 3}, {3, 1}}));
  EXPECT_EQ(t.faces, (Faces{{1, 2, 3}}));
}

TEST(PolygonTopology, DegenerateRecordsAreSkippedWhole) {
  // A quad with a repeated index is planar by the test and skipped whole;
  // degenerate triangles are skipped; numbering continues without gaps.
  Topology t = Build({{4, 4, 5, 6}, {0, 0, 1, 1}, {1, 2, 1, 1}, {4, 5, 6, 7}}, BentThenFlat());
  EXPECT_EQ(t.edges, (Edges{{5, 6}, {6, 7}, {7, 8}, {8, 5}}));
  EXPECT_EQ(t.faces, (Faces{{1, 2, 3, 4}}));
}

TEST(PolygonTopology, NeighboursCarryTheirOwnCopyOfACommonEdge) {
  std::vector<Vector> pts{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  Topology t = Build({{0, 1, 2, 2}, {0, 2, 3, 3}}, pts);
  EXPECT_EQ(t.edges.size(), 6u);
  EXPECT_EQ(t.faces, (Faces{{1, 2, 3}, {4, 5, 6}}));
}

TEST(PolygonTopology, IndicesOutsideThePointArrayAreSkipped) {
  std::vector<Vector> pts{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  Topology t = Build({{0, 1, 3, 3}, {-1, 1, 2, 2}, {0, 1, 2, 2}, {0, 1, 2, 70000}}, pts);
  EXPECT_EQ(t.faces, (Faces{{1, 2, 3}}));
}

TEST(PolygonTopology, NotANumberQuadWithDegenerateFirstTriangleNamesNoMissingEdge) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<Vector> pts{{0, 0, 0}, {1, 0, 0}, {nan, 1, 0}, {0, 1, 0}};
  // a == b: the first triangle is degenerate, the planarity is not a number.
  Topology t = Build({{0, 0, 2, 3}}, pts);
  ASSERT_EQ(t.faces.size(), 1u);
  for (int entry : t.faces[0]) {
    ASSERT_NE(entry, 0);
    EXPECT_LE(static_cast<size_t>(std::abs(entry)), t.edges.size());
  }
  EXPECT_EQ(t.edges, (Edges{{3, 4}, {4, 1}, {1, 3}}));
}

TEST(PolygonTopology, CoincidentPointsWithDistinctIndicesStillConvert) {
  std::vector<Vector> pts{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(Build({{0, 1, 2, 2}}, pts).faces.size(), 1u);
}

TEST(SurfacePalette, QuantizesTransparencyToFourLevels) {
  EXPECT_EQ(QuantizeTransparency(0), 0);
  EXPECT_EQ(QuantizeTransparency(12), 0);
  EXPECT_EQ(QuantizeTransparency(13), 25);
  EXPECT_EQ(QuantizeTransparency(37), 25);
  EXPECT_EQ(QuantizeTransparency(38), 50);
  EXPECT_EQ(QuantizeTransparency(62), 50);
  EXPECT_EQ(QuantizeTransparency(63), 75);
  EXPECT_EQ(QuantizeTransparency(100), 75);
  EXPECT_EQ(QuantizeTransparency(174), 75);
  EXPECT_EQ(QuantizeTransparency(175), 0);
  EXPECT_EQ(QuantizeTransparency(255), 0);
}

TEST(SurfacePalette, MatchesColoursToEntries) {
  EXPECT_EQ(NearestPaletteIndex(255, 255, 255), 0);
  EXPECT_EQ(NearestPaletteIndex(0, 0, 0), 1);
  EXPECT_EQ(NearestPaletteIndex(255, 0, 0), 6);
  EXPECT_EQ(NearestPaletteIndex(0, 255, 0), 3);
  EXPECT_EQ(NearestPaletteIndex(0, 0, 255), 7);
  EXPECT_EQ(NearestPaletteIndex(127, 127, 127), 10);
}

TEST(SurfacePalette, NamesSurfaceFromColourAndTransparency) {
  EXPECT_EQ(TransparencySurfaceName(1, 0, 0, 0.5f), "Transparency\\col06_trans050.surf");
  EXPECT_EQ(TransparencySurfaceName(1, 1, 1, 1.0f), "Transparency\\col00_trans075.surf");
  EXPECT_EQ(TransparencySurfaceName(0, 0, 0, 0.13f), "Transparency\\col01_trans025.surf");
  EXPECT_EQ(TransparencySurfaceName(1, 0, 0, 0.1f), "");
  EXPECT_EQ(TransparencySurfaceName(1, 0, 0, 0.0f), "");
}

TEST(FloatBytes, TruncateAndKeepTheLowEightBits) {
  EXPECT_EQ(ColourByte(1.0f), 255);
  EXPECT_EQ(ColourByte(0.5f), 127);
  EXPECT_EQ(ColourByte(1.2f), 50);  // 306 wraps
  EXPECT_EQ(ColourByte(-0.1f), static_cast<uint8_t>(-25));
  EXPECT_EQ(PercentByte(0.5f), 50);
  EXPECT_EQ(PercentByte(1.0f), 100);
  EXPECT_EQ(ColourByte(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(ColourByte(1e30f), 0);
}

}  // namespace
