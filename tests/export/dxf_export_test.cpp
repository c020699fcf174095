// DXF read back group by group: the layer table, polyface meshes and their
// face records, 3D faces for meshes too large for one, 3D polylines, true
// colours and transparency, and the drawing's unit.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "export_writer.h"
#include "host_scene.h"
#include "standin/host_control.h"

using namespace c4dexport;

namespace {

struct Group {
  int code;
  std::string value;
};

// An entity or table entry: its type (the value of group 0) and its groups.
struct Record {
  std::string type;
  std::vector<Group> groups;

  std::vector<std::string> All(int code) const {
    std::vector<std::string> values;
    for (const Group& g : groups) {
      if (g.code == code) values.push_back(g.value);
    }
    return values;
  }
  std::string First(int code, const std::string& otherwise = "") const {
    const auto values = All(code);
    return values.empty() ? otherwise : values.front();
  }
  int Int(int code, int otherwise = 0) const {
    const std::string value = First(code);
    return value.empty() ? otherwise : std::stoi(value);
  }
};

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \r\t");
  const size_t last = text.find_last_not_of(" \r\t");
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Every record of the file, in order.
std::vector<Record> ReadDxf(const std::string& path) {
  std::ifstream in(path);
  std::vector<Record> records;
  std::string code, value;
  while (std::getline(in, code) && std::getline(in, value)) {
    const int c = std::stoi(Trimmed(code));
    if (c == 0) {
      records.push_back({Trimmed(value), {}});
    } else if (!records.empty()) {
      records.back().groups.push_back({c, Trimmed(value)});
    }
  }
  return records;
}

// The records between "SECTION / 2 name" and its ENDSEC.
std::vector<Record> Section(const std::vector<Record>& records, const std::string& name) {
  std::vector<Record> section;
  bool inside = false;
  for (const Record& r : records) {
    if (r.type == "SECTION") {
      inside = r.First(2) == name;
      continue;
    }
    if (r.type == "ENDSEC") inside = false;
    if (inside) section.push_back(r);
  }
  return section;
}

std::vector<Record> OfType(const std::vector<Record>& records, const std::string& type) {
  std::vector<Record> found;
  for (const Record& r : records) {
    if (r.type == type) found.push_back(r);
  }
  return found;
}

class DxfExport : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::ResetHost();
    m_folder = std::filesystem::temp_directory_path() / ("c4dexport-dxf-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override {
    standin::ResetHost();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

  std::vector<Record> Write(const HostObjectList& objects, const std::vector<ExportLayer>& layers = {}) {
    const std::string path = (m_folder / "out.dxf").string();
    m_report = WriteExportFile(BuildExportScene(objects, layers, "house.c4d"), path, *FindExportFormat("dxf"));
    EXPECT_TRUE(m_report.written) << m_report.error;
    return ReadDxf(path);
  }

  std::filesystem::path m_folder;
  ExportReport m_report;
};

const std::vector<ExportLayer> kLayers = {{1, "Walls", {"Cinema4D", "house.c4d"}},
                                          {2, "Roof: east/west", {"Cinema4D", "house.c4d"}},
                                          {3, "walls", {"Cinema4D", "house.c4d"}}};

TEST_F(DxfExport, EveryLayerOfTheFileIsADxfLayerWithAValidUniqueName) {
  const auto records = Write({HostMesh(CubePoints(10), CubeQuads(), Style(2))}, kLayers);
  std::vector<std::string> names;
  for (const Record& layer : OfType(Section(records, "TABLES"), "LAYER")) names.push_back(layer.First(2));
  // Names differ without regard to case; ":" and "/" are not allowed.
  EXPECT_EQ(names, (std::vector<std::string>{"0", "Walls", "Roof_ east_west", "walls_2"}));
  const auto polylines = OfType(Section(records, "ENTITIES"), "POLYLINE");
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0].First(8), "Roof_ east_west");
}

TEST_F(DxfExport, HeaderSetsMillimetres) {
  // The header's variables are groups of the section's own record.
  std::vector<Group> groups;
  for (const Record& r : Write({HostMesh(CubePoints(10), CubeQuads())})) {
    if (r.type == "SECTION" && r.First(2) == "HEADER") groups = r.groups;
  }
  bool found = false;
  for (size_t i = 0; i + 1 < groups.size(); ++i) {
    if (groups[i].code == 9 && groups[i].value == "$INSUNITS") {
      found = true;
      EXPECT_EQ(groups[i + 1].value, "4");
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(DxfExport, AMeshIsAPolyfaceMeshWithItsPointsAndFaceRecords) {
  const auto entities = Section(
      Write({HostMesh(CubePoints(10), CubeQuads(), Style(1, {0, 204, 25, 25}))}, kLayers),
      "ENTITIES");
  const auto polylines = OfType(entities, "POLYLINE");
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0].Int(70), 64);
  EXPECT_EQ(polylines[0].Int(71), 8);
  EXPECT_EQ(polylines[0].Int(72), 6);
  EXPECT_EQ(polylines[0].First(8), "Walls");
  EXPECT_EQ(polylines[0].Int(420), 0xCC1919);
  EXPECT_TRUE(polylines[0].All(440).empty());  // opaque
  size_t points = 0, faces = 0;
  for (const Record& vertex : OfType(entities, "VERTEX")) {
    if (vertex.Int(70) == 192) ++points;
    if (vertex.Int(70) == 128) {
      ++faces;
      EXPECT_EQ(vertex.All(71).size() + vertex.All(72).size() + vertex.All(73).size() + vertex.All(74).size(), 4u);
    }
  }
  EXPECT_EQ(points, 8u);
  EXPECT_EQ(faces, 6u);
  EXPECT_EQ(OfType(entities, "SEQEND").size(), 1u);
}

TEST_F(DxfExport, TransparencyIsTheOpacityAsAByte) {
  const auto entities =
      Section(Write({HostMesh(CubePoints(10), CubeQuads(), Style(0, {50, 255, 0, 0}, "x.surf")),
                     HostMesh(CubePoints(10), CubeQuads(), Style(0, {100, 0, 0, 255}))}),
              "ENTITIES");
  const auto polylines = OfType(entities, "POLYLINE");
  ASSERT_EQ(polylines.size(), 2u);
  EXPECT_EQ(polylines[0].Int(420), 0xFF0000);
  EXPECT_EQ(polylines[0].Int(440), 0x02000000 | 128);
  EXPECT_EQ(polylines[0].Int(62), 1);  // the indexed red
  EXPECT_EQ(polylines[1].Int(440), 0x02000000);
  EXPECT_EQ(polylines[1].First(8), "0");
}

TEST_F(DxfExport, APolygonOfFiveCornersIsSplitWithItsInnerEdgesHidden) {
  const auto entities = Section(
      Write({HostMesh({{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {1, 2, 0}, {-1, 1, 0}}, {{0, 1, 2, 3, 4}})}), "ENTITIES");
  size_t faces = 0, hidden = 0;
  for (const Record& vertex : OfType(entities, "VERTEX")) {
    if (vertex.Int(70) != 128) continue;
    ++faces;
    for (int code = 71; code <= 73; ++code) hidden += vertex.Int(code) < 0;
  }
  // Three triangles share two inner edges, each hidden on both sides.
  EXPECT_EQ(faces, 3u);
  EXPECT_EQ(hidden, 4u);
}

TEST_F(DxfExport, AMeshTooLargeForAPolyfaceMeshIsWrittenAs3dFaces) {
  // 182 x 182 points: more than a face record can number.
  const int side = 182;
  std::vector<Point3> points;
  std::vector<std::vector<unsigned>> quads;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) points.push_back({double(x), double(y), 0});
  }
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      const unsigned a = unsigned(y * side + x);
      quads.push_back({a, a + 1, a + side + 1, a + side});
    }
  }
  const auto entities = Section(Write({HostMesh(points, quads, Style(0, {0, 1, 2, 3}))}), "ENTITIES");
  EXPECT_TRUE(OfType(entities, "POLYLINE").empty());
  const auto faces = OfType(entities, "3DFACE");
  ASSERT_EQ(faces.size(), size_t((side - 1) * (side - 1)));
  EXPECT_EQ(faces[0].Int(420), 0x010203);
  EXPECT_EQ(m_report.polygons, faces.size());
}

TEST_F(DxfExport, PolylinesAre3dPolylinesOpenOrClosed) {
  const auto entities = Section(Write({HostPolyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 5}, {0, 10, 0}}, true),
                                       HostPolyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 5}}, false)}),
                                "ENTITIES");
  const auto polylines = OfType(entities, "POLYLINE");
  ASSERT_EQ(polylines.size(), 2u);
  EXPECT_EQ(polylines[0].Int(70), 8 | 1);
  EXPECT_EQ(polylines[1].Int(70), 8);
  const auto vertices = OfType(entities, "VERTEX");
  ASSERT_EQ(vertices.size(), 7u);
  for (const Record& vertex : vertices) EXPECT_EQ(vertex.Int(70), 32);
  EXPECT_EQ(vertices[2].First(30), "5.0");
  EXPECT_EQ(m_report.polylines, 2u);
}

}  // namespace
