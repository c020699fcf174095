// DXF (R2000) through the DXF library: its header, tables, blocks and
// objects, and its group writer for the entities. Every host layer is a
// DXF layer (objects without one go to layer "0"); meshes are polyface
// meshes, or 3D faces when a mesh has more points or faces than a polyface
// mesh can number (32767); polylines are 3D polylines. Each entity carries
// its colour as a true colour (420) beside the nearest indexed colour (62)
// and, when it is not opaque, its transparency (440). The drawing's unit is
// the millimetre ($INSUNITS 4), the host's own, or the centimetre (5) with
// the points divided by 10.
#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

#include "format_writers.h"

namespace c4dexport {

namespace {

constexpr size_t kPolyfaceLimit = 32767;  // vertex numbers of a face record are 16-bit
constexpr int kPolylineIs3d = 8;
constexpr int kPolylineClosed = 1;
constexpr int kPolylineIsPolyface = 64;
constexpr int kVertexOf3dPolyline = 32;
constexpr int kVertexOfPolyface = 128 | 64;
constexpr int kFaceRecord = 128;

// The library's writer with a buffered file of our own: the library's own
// file writes every group straight through to the system, which makes large
// drawings slow. The base's file is the null device and stays unused.
class BufferedDxfWriter : public DL_WriterA {
 public:
  explicit BufferedDxfWriter(const std::string& path)
      : DL_WriterA("/dev/null", DL_Codes::AC1015), m_file(std::fopen(path.c_str(), "wb")) {}
  ~BufferedDxfWriter() override {
    if (m_file) std::fclose(m_file);
  }

  bool Opened() const { return m_file != nullptr; }
  // False when anything failed to be written.
  bool Finish() {
    Flush();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return closed && !m_failed;
  }

  // From here on the groups are the library's objects, which name the
  // entries of each dictionary (350, 360) but not the owner of each object
  // (330), which CAD readers require: the owner is the dictionary that lists
  // the object (the library writes every dictionary before its entries), and
  // "0" for the root dictionary.
  void BeginObjects() { m_inObjects = true; }

  void dxfReal(int gc, double value) const override {
    char text[40];
    auto [end, error] = std::to_chars(text, text + sizeof text - 2, value);
    if (error != std::errc()) end = text;
    // A real always shows its point ("10.0"), as readers of the format expect.
    if (std::find_if(text, end, [](char c) { return c == '.' || c == 'e' || c == 'n' || c == 'i'; }) == end) {
      *end++ = '.';
      *end++ = '0';
    }
    Group(gc, std::string_view(text, size_t(end - text)));
  }
  void dxfInt(int gc, int value) const override {
    char text[16];
    Group(gc, std::string_view(text, size_t(std::to_chars(text, text + sizeof text, value).ptr - text)));
  }
  void dxfHex(int gc, int value) const override {
    char text[16];
    char* end = std::to_chars(text, text + sizeof text, unsigned(value), 16).ptr;
    std::transform(text, end, text, [](unsigned char c) { return char(std::toupper(c)); });
    Group(gc, std::string_view(text, size_t(end - text)));
  }
  void dxfString(int gc, const char* value) const override { Group(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Group(gc, value); }

 private:
  void Group(int gc, std::string_view value) const {
    Code(gc);
    Line(value);
    if (!m_inObjects) return;
    if (gc == 5) {
      const auto owner = m_ownerOf.find(std::string(value));
      Code(330);
      Line(owner == m_ownerOf.end() ? std::string_view("0") : std::string_view(owner->second));
      m_current = value;
    } else if (gc == 350 || gc == 360) {
      m_ownerOf[std::string(value)] = m_current;
    }
  }
  // Group codes stand right-aligned in three columns.
  void Code(int gc) const {
    char text[16] = "  ";
    char* start = text + (gc < 10 ? 2 : gc < 100 ? 1 : 0);
    Line(std::string_view(text, size_t(std::to_chars(start, text + sizeof text, gc).ptr - text)));
  }
  void Line(std::string_view text) const {
    m_buffer += text;
    m_buffer += '\n';
    if (m_buffer.size() >= kFlushSize) Flush();
  }
  void Flush() const {
    if (m_file && !m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) {
      m_failed = true;
    }
    m_buffer.clear();
  }

  static constexpr size_t kFlushSize = 1 << 20;
  std::FILE* m_file;
  mutable std::string m_buffer;
  mutable bool m_failed = false;
  bool m_inObjects = false;
  mutable std::string m_current;                                // handle of the object being written
  mutable std::unordered_map<std::string, std::string> m_ownerOf;  // handle -> its dictionary's
};

// The indexed colour (1 to 255) nearest to the colour.
int NearestIndexedColour(const ExportMaterial& m) {
  int best = 7;
  double bestDistance = 1e9;
  for (int i = 1; i < 256; ++i) {
    const double dr = dxfColors[i][0] - m.Red();
    const double dg = dxfColors[i][1] - m.Green();
    const double db = dxfColors[i][2] - m.Blue();
    const double distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

// Layer names may not hold < > / \ " : ; ? * | = ` and are compared
// without regard to case.
std::string LayerName(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    out += (std::strchr("<>/\\\":;?*|=`", c) || c < 0x20) ? '_' : char(c);
  }
  return out.empty() ? "_" : out;
}

std::string Folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return name;
}

class DxfEntities {
 public:
  DxfEntities(DL_WriterA& dw, const ExportScene& scene, const std::vector<std::string>& layerOfGroup)
      : m_dw(dw), m_scene(scene), m_layerOfGroup(layerOfGroup), m_divisor(ZUpDivisor(scene)) {
    for (const ExportMaterial& material : scene.materials) m_indexedColour.push_back(NearestIndexedColour(material));
  }

  // True when written as a polyface mesh, false when as 3D faces.
  bool Mesh(const ExportMesh& mesh, size_t& faces) {
    std::vector<std::vector<int>> records;
    for (const std::vector<uint32_t>& polygon : mesh.polygons) AddFaceRecords(mesh, polygon, records);
    faces += records.size();
    if (mesh.points.size() > kPolyfaceLimit || records.size() > kPolyfaceLimit) {
      for (const auto& record : records) Face3d(mesh, record);
      return false;
    }
    const std::string& layer = m_layerOfGroup[mesh.group];
    Head("POLYLINE", layer, &m_scene.materials[mesh.material]);
    m_dw.subClass("AcDbPolyFaceMesh");
    m_dw.dxfInt(66, 1);
    m_dw.coord(10, 0.0, 0.0, 0.0);
    m_dw.dxfInt(70, kPolylineIsPolyface);
    m_dw.dxfInt(71, int(mesh.points.size()));
    m_dw.dxfInt(72, int(records.size()));
    for (const Point3& p : mesh.points) {
      Head("VERTEX", layer, nullptr);
      m_dw.subClass("AcDbVertex");
      m_dw.subClass("AcDbPolyFaceMeshVertex");
      Coord(10, p);
      m_dw.dxfInt(70, kVertexOfPolyface);
    }
    for (const auto& record : records) {
      Head("VERTEX", layer, nullptr);
      m_dw.subClass("AcDbFaceRecord");
      m_dw.coord(10, 0.0, 0.0, 0.0);
      m_dw.dxfInt(70, kFaceRecord);
      for (size_t k = 0; k < record.size(); ++k) m_dw.dxfInt(int(71 + k), record[k]);
    }
    SeqEnd(layer);
    return true;
  }

  void Polyline(const ExportPolyline& line) {
    const std::string& layer = m_layerOfGroup[line.group];
    Head("POLYLINE", layer, &m_scene.materials[line.material]);
    m_dw.subClass("AcDb3dPolyline");
    m_dw.dxfInt(66, 1);
    m_dw.coord(10, 0.0, 0.0, 0.0);
    m_dw.dxfInt(70, kPolylineIs3d | (line.closed ? kPolylineClosed : 0));
    for (const Point3& p : line.points) {
      Head("VERTEX", layer, nullptr);
      m_dw.subClass("AcDbVertex");
      m_dw.subClass("AcDb3dPolylineVertex");
      Coord(10, p);
      m_dw.dxfInt(70, kVertexOf3dPolyline);
    }
    SeqEnd(layer);
  }

 private:
  // Face records of up to four corners: 1-based point numbers, negative
  // where the edge that starts at the corner is an inner edge of a split
  // polygon and stays invisible.
  static void AddFaceRecords(const ExportMesh& mesh, const std::vector<uint32_t>& polygon,
                             std::vector<std::vector<int>>& records) {
    if (polygon.size() <= 4) {
      std::vector<int> record;
      for (uint32_t index : polygon) record.push_back(int(index) + 1);
      records.push_back(std::move(record));
      return;
    }
    const size_t n = polygon.size();
    for (const auto& t : TriangulatePolygon(mesh.points, polygon)) {
      std::vector<int> record;
      for (int k = 0; k < 3; ++k) {
        const uint32_t from = t[k];
        const uint32_t to = t[(k + 1) % 3];
        const bool outline = to == (from + 1) % n;
        const int number = int(polygon[from]) + 1;
        record.push_back(outline ? number : -number);
      }
      records.push_back(std::move(record));
    }
  }

  void Face3d(const ExportMesh& mesh, const std::vector<int>& record) {
    Head("3DFACE", m_layerOfGroup[mesh.group], &m_scene.materials[mesh.material]);
    m_dw.subClass("AcDbFace");
    int hidden = 0;
    for (int k = 0; k < 4; ++k) {
      // A triangle repeats its third corner as the fourth.
      const int entry = record[std::min<size_t>(size_t(k), record.size() - 1)];
      const Point3& p = mesh.points[size_t(std::abs(entry) - 1)];
      Coord(10 + k, p);
      if (entry < 0 && size_t(k) < record.size()) hidden |= 1 << k;
    }
    if (hidden) m_dw.dxfInt(70, hidden);
  }

  void Coord(int gc, const Point3& p) {
    if (m_divisor == 1) return m_dw.coord(gc, p[0], p[1], p[2]);
    m_dw.coord(gc, p[0] / m_divisor, p[1] / m_divisor, p[2] / m_divisor);
  }

  void Head(const char* type, const std::string& layer, const ExportMaterial* material) {
    m_dw.entity(type);
    m_dw.subClass("AcDbEntity");
    m_dw.dxfString(8, layer);
    if (!material) return;
    m_dw.dxfInt(62, m_indexedColour[size_t(material - m_scene.materials.data())]);
    const auto rgb = Rgb8(*material);
    m_dw.dxfInt(420, (rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
    if (material->Opacity() < 1) {
      // 440: the opacity as a byte 0 (clear) to 255, flagged as a value of its own.
      const int alpha = int(material->Opacity() * 255.0 + 0.5);
      m_dw.dxfInt(440, 0x02000000 | alpha);
    }
  }

  void SeqEnd(const std::string& layer) { Head("SEQEND", layer, nullptr); }

  DL_WriterA& m_dw;
  const ExportScene& m_scene;
  const std::vector<std::string>& m_layerOfGroup;
  std::vector<int> m_indexedColour;  // of each material
  const double m_divisor;            // host millimetres per drawing unit
};

void WriteTables(DL_Dxf& dxf, DL_WriterA& dw, const std::vector<std::string>& layers) {
  dw.sectionTables();
  dxf.writeVPort(dw);
  dw.tableLinetypes(3);
  dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
  dw.tableEnd();
  dw.tableLayers(int(layers.size()));
  for (const std::string& layer : layers) {
    dxf.writeLayer(dw, DL_LayerData(layer, 0), DL_Attributes("", 7, -3, "CONTINUOUS", 1.0));
  }
  dw.tableEnd();
  dw.tableStyle(1);
  dxf.writeStyle(dw, DL_StyleData("standard", 0, 2.5, 1.0, 0.0, 0, 2.5, "txt", ""));
  dw.tableEnd();
  dxf.writeView(dw);
  dxf.writeUcs(dw);
  dw.tableAppid(1);
  dxf.writeAppid(dw, "ACAD");
  dw.tableEnd();
  dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
  dxf.writeBlockRecord(dw);
  dw.tableEnd();
  dw.sectionEnd();
}

void WriteBlocks(DL_Dxf& dxf, DL_WriterA& dw) {
  dw.sectionBlocks();
  for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(dw, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, block);
  }
  dw.sectionEnd();
}

}  // namespace

void WriteDxf(const ExportScene& scene, const std::string& path, ExportReport& report) {
  // Layer "0" for the file's node; a distinct name for every other group.
  std::vector<std::string> layerOfGroup(scene.groups.size(), "0");
  std::vector<std::string> layers = {"0"};
  std::set<std::string> taken = {"0"};
  for (size_t g = 1; g < scene.groups.size(); ++g) {
    const std::string base = LayerName(scene.groups[g].name);
    std::string name = base;
    for (int n = 2; !taken.insert(Folded(name)).second; ++n) name = base + "_" + std::to_string(n);
    layerOfGroup[g] = name;
    layers.push_back(name);
  }

  DL_Dxf dxf;
  auto dw = std::make_unique<BufferedDxfWriter>(path);
  if (!dw->Opened()) {
    report.error = "cannot open the file for writing";
    return;
  }
  dxf.writeHeader(*dw);
  dw->dxfString(9, "$INSUNITS");
  dw->dxfInt(70, scene.units == ExportScene::Units::Centimetres ? 5 : 4);  // centimetres or millimetres
  dw->sectionEnd();
  WriteTables(dxf, *dw, layers);
  WriteBlocks(dxf, *dw);

  dw->sectionEntities();
  DxfEntities entities(*dw, scene, layerOfGroup);
  for (const ExportMesh& mesh : scene.meshes) {
    entities.Mesh(mesh, report.polygons);
    ++report.meshes;
  }
  for (const ExportPolyline& line : scene.polylines) {
    entities.Polyline(line);
    ++report.polylines;
  }
  dw->sectionEnd();
  dw->BeginObjects();
  dxf.writeObjects(*dw);
  dxf.writeObjectsEnd(*dw);
  dw->dxfEOF();
  if (!dw->Finish()) report.error = "writing the file failed";
}

}  // namespace c4dexport
