// The conversion's own pieces: polygon records split into the host's signed
// edge topology, the surface palette, colour bytes, and the assembly's
// guarded host calls that a whole import never reaches with a null pointer.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "float_bytes.h"
#include "host_assembly.h"
#include "polygon_topology.h"
#include "standin/host_control.h"
#include "surface_palette.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct TopologyCase {
  const char* what;
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
  EdgeList edges;
  FaceList faces;
};

// A bent quadrangle 0-3 (point 3 lifted) and a flat one 4-7.
const std::vector<Vector> kBentThenFlat = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f},
                                           {0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}};
const std::vector<Vector> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

TEST(PolygonTopology, RecordsBecomeSignedEdgeFaces) {
  const TopologyCase cases[] = {
      {"bent quad split along its diagonal, flat quad whole", kBentThenFlat, {{0, 1, 2, 3}, {4, 5, 6, 7}},
       {{1, 2}, {2, 3}, {3, 1}, {3, 4}, {4, 1}, {5, 6}, {6, 7}, {7, 8}, {8, 5}},
       {{1, 2, 3}, {-3, 4, 5}, {6, 7, 8, 9}}},
      {"triangle with repeated last index", kBentThenFlat, {{0, 1, 2, 2}}, {{1, 2}, {2, 3}, {3, 1}}, {{1, 2, 3}}},
      {"degenerate records skipped whole, numbering without gaps", kBentThenFlat,
       {{4, 4, 5, 6}, {0, 0, 1, 1}, {1, 2, 1, 1}, {4, 5, 6, 7}}, {{5, 6}, {6, 7}, {7, 8}, {8, 5}}, {{1, 2, 3, 4}}},
      {"neighbours keep their own copy of a common edge", kSquare, {{0, 1, 2, 2}, {0, 2, 3, 3}},
       {{1, 2}, {2, 3}, {3, 1}, {1, 3}, {3, 4}, {4, 1}}, {{1, 2, 3}, {4, 5, 6}}},
      {"indices outside the points skipped", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}},
       {{0, 1, 3, 3}, {-1, 1, 2, 2}, {0, 1, 2, 2}, {0, 1, 2, 70000}}, {{1, 2}, {2, 3}, {3, 1}}, {{1, 2, 3}}},
      {"not-a-number quad with a degenerate first triangle", {{0, 0, 0}, {1, 0, 0}, {kNaN, 1, 0}, {0, 1, 0}},
       {{0, 0, 2, 3}}, {{3, 4}, {4, 1}, {1, 3}}, {{1, 2, 3}}},
      {"coincident points of distinct indices", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 1, 2, 2}},
       {{1, 2}, {2, 3}, {3, 1}}, {{1, 2, 3}}},
  };
  for (const TopologyCase& c : cases) {
    EdgeList edges;
    FaceList faces;
    BuildPolygonTopology(c.polygons.data(), int32_t(c.polygons.size()), c.points.data(), int32_t(c.points.size()),
                         edges, faces);
    EXPECT_EQ(edges, c.edges) << c.what;
    EXPECT_EQ(faces, c.faces) << c.what;
  }
}

TEST(SurfacePalette, QuantisesAndMatches) {
  const std::pair<int, int> levels[] = {{0, 0},   {12, 0},  {13, 25},  {37, 25},  {38, 50}, {62, 50},
                                        {63, 75}, {100, 75}, {174, 75}, {175, 0}, {255, 0}};
  for (const auto& [percent, level] : levels) EXPECT_EQ(QuantizeTransparency(percent), level) << percent;

  const std::array<int, 4> entries[] = {{255, 255, 255, 0}, {0, 0, 0, 1},   {255, 0, 0, 6},
                                        {0, 255, 0, 3},     {0, 0, 255, 7}, {127, 127, 127, 10}};
  for (const auto& e : entries) EXPECT_EQ(NearestPaletteIndex(e[0], e[1], e[2]), e[3]) << e[0] << e[1] << e[2];
}

TEST(FloatBytes, TruncateAndKeepTheLowEightBits) {
  const std::pair<float, int> colours[] = {{1.0f, 255}, {0.5f, 127}, {1.2f, 50},      {-0.1f, uint8_t(-25)},
                                           {kNaN, 0},   {1e30f, 0},  {0.999f, 254}};
  for (const auto& [value, byte] : colours) EXPECT_EQ(ColourByte(value), byte) << value;
  EXPECT_EQ(PercentByte(0.5f), 50);
  EXPECT_EQ(PercentByte(1.0f), 100);
}

template <class Action>
std::unique_ptr<CQEL_NullReferenceException> NullReferenceFrom(Action action) {
  try {
    action();
  } catch (CQEL_NullReferenceException* exception) {
    return std::unique_ptr<CQEL_NullReferenceException>(exception);
  }
  return nullptr;
}

TEST(AssemblyGuard, MissingObjectsAreNamedByTheGuardedCallThatFoundThem) {
  standin::ResetHost();
  const long liveBefore = standin::LiveObjectCount();
  auto style = NullReferenceFrom(
      [] { ApplyCommonStyle(CQEL_SmartPtr<CQEL_BasisPolyhedron3D>(), 1, Vector{1, 1, 1}, 0.0f); });
  ASSERT_TRUE(style);
  EXPECT_EQ(style->ReferencedClassName() + style->SourceLine(), "CQEL_DBObject206");
  auto base = NullReferenceFrom([] {
    AssembleBasisPolyhedron(CQEL_SmartPtr<CQEL_GeoPolyhedron3D>(), Vector{1, 1, 1}, 0.0f, 1, true);
  });
  ASSERT_TRUE(base);
  EXPECT_EQ(base->ReferencedClassName() + base->SourceLine(), "CQEL_GeoPolyhedron3D223");
  EXPECT_EQ(standin::LiveObjectCount(), liveBefore) << "the half-made object is dropped";
}

}  // namespace
