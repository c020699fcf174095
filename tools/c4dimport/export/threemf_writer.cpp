// 3MF: a zip package holding the model as XML. The model is in millimetres
// with Z up, which are the host's own units and axes, so points are written
// as they are. Each host mesh is a mesh object of triangles with a material
// of its own colour; each layer is an object made of its meshes as
// components, named after the layer; only the layers go to the build.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "format_writers.h"

namespace c4dexport {

namespace {

// ---- a zip package of stored (uncompressed) entries ---------------------------

uint32_t Crc32(const std::string& data) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct ZipEntry {
  std::string name;
  std::string data;
};

// False when the package would pass the 4 GiB that plain zip records can
// address, or the file cannot be written.
bool WriteZip(const std::string& path, const std::vector<ZipEntry>& entries, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = "cannot open the file for writing";
    return false;
  }
  std::string directory;
  uint64_t offset = 0;
  for (const ZipEntry& entry : entries) {
    if (offset + entry.data.size() + 30 + entry.name.size() > 0xFFFFFFFFull) {
      error = "the model is larger than a 3MF package without 64-bit records holds (4 GiB)";
      return false;
    }
    const uint32_t crc = Crc32(entry.data);
    const uint32_t size = uint32_t(entry.data.size());
    std::string header;
    Put32(header, 0x04034b50);  // local file header
    Put16(header, 20);          // version needed: 2.0
    Put16(header, 0);           // flags
    Put16(header, 0);           // stored
    Put16(header, 0);           // time
    Put16(header, 0x21);        // date: 1980-01-01
    Put32(header, crc);
    Put32(header, size);
    Put32(header, size);
    Put16(header, uint32_t(entry.name.size()));
    Put16(header, 0);
    header += entry.name;
    out.write(header.data(), std::streamsize(header.size()));
    out.write(entry.data.data(), std::streamsize(entry.data.size()));

    Put32(directory, 0x02014b50);  // central directory record
    Put16(directory, 20);          // made by
    Put16(directory, 20);          // needed
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0x21);
    Put32(directory, crc);
    Put32(directory, size);
    Put32(directory, size);
    Put16(directory, uint32_t(entry.name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, uint32_t(offset));
    directory += entry.name;
    offset += header.size() + entry.data.size();
  }
  std::string end;
  Put32(end, 0x06054b50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, uint32_t(entries.size()));
  Put16(end, uint32_t(entries.size()));
  Put32(end, uint32_t(directory.size()));
  Put32(end, uint32_t(offset));
  Put16(end, 0);
  out.write(directory.data(), std::streamsize(directory.size()));
  out.write(end.data(), std::streamsize(end.size()));
  out.close();
  if (!out) {
    error = "writing the file failed";
    return false;
  }
  return true;
}

// ---- the model ------------------------------------------------------------------

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
    }
  }
  return out;
}

void AppendNumber(std::string& out, double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  out.append(text, error == std::errc() ? end : text);
}

std::string Colour(const ExportMaterial& m) {
  char text[16];
  const int alpha = int(m.Opacity() * 255.0 + 0.5);
  std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", m.argb[1], m.argb[2], m.argb[3], alpha);
  return text;
}

const char* kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>"
    "</Types>\n";

const char* kRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
    "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/>"
    "</Relationships>\n";

std::string Model(const ExportScene& scene, ExportReport& report) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<model unit=\"millimeter\" xml:lang=\"en-US\" "
      "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
      "<metadata name=\"Application\">c4dimport</metadata>\n"
      "<metadata name=\"Title\">" +
      Escaped(scene.fileNode) + "</metadata>\n<resources>\n";
  const uint32_t materialsId = 1;
  if (!scene.materials.empty()) {
    xml += "<basematerials id=\"1\">\n";
    for (const ExportMaterial& m : scene.materials) {
      xml += "<base name=\"" + Escaped(m.name) + "\" displaycolor=\"" + Colour(m) + "\"/>\n";
    }
    xml += "</basematerials>\n";
  }
  uint32_t nextId = materialsId + 1;
  std::vector<std::vector<uint32_t>> objectsOfGroup(scene.groups.size());
  for (const ExportMesh& mesh : scene.meshes) {
    const uint32_t id = nextId++;
    objectsOfGroup[mesh.group].push_back(id);
    xml += "<object id=\"" + std::to_string(id) + "\" type=\"model\" name=\"" +
           Escaped(scene.groups[mesh.group].name + " " + std::to_string(mesh.objectNumber)) + "\" pid=\"1\" pindex=\"" +
           std::to_string(mesh.material) + "\">\n<mesh>\n<vertices>\n";
    for (const Point3& p : mesh.points) {
      xml += "<vertex x=\"";
      AppendNumber(xml, p[0]);
      xml += "\" y=\"";
      AppendNumber(xml, p[1]);
      xml += "\" z=\"";
      AppendNumber(xml, p[2]);
      xml += "\"/>\n";
    }
    xml += "</vertices>\n<triangles>\n";
    for (const std::vector<uint32_t>& polygon : mesh.polygons) {
      for (const auto& t : TriangulatePolygon(mesh.points, polygon)) {
        xml += "<triangle v1=\"" + std::to_string(polygon[t[0]]) + "\" v2=\"" + std::to_string(polygon[t[1]]) +
               "\" v3=\"" + std::to_string(polygon[t[2]]) + "\"/>\n";
        ++report.polygons;
      }
    }
    xml += "</triangles>\n</mesh>\n</object>\n";
    ++report.meshes;
  }
  std::string build = "<build>\n";
  for (size_t g = 0; g < scene.groups.size(); ++g) {
    if (objectsOfGroup[g].empty()) continue;
    const uint32_t id = nextId++;
    xml += "<object id=\"" + std::to_string(id) + "\" type=\"model\" name=\"" + Escaped(scene.groups[g].name) +
           "\">\n<components>\n";
    for (uint32_t component : objectsOfGroup[g]) {
      xml += "<component objectid=\"" + std::to_string(component) + "\"/>\n";
    }
    xml += "</components>\n</object>\n";
    build += "<item objectid=\"" + std::to_string(id) + "\"/>\n";
  }
  xml += "</resources>\n" + build + "</build>\n</model>\n";
  return xml;
}

}  // namespace

void Write3mf(const ExportScene& scene, const std::string& path, ExportReport& report) {
  for (const ExportPolyline& line : scene.polylines) {
    report.leftOut.push_back({line.objectNumber, "a polyline (3mf has no lines)"});
  }
  const std::vector<ZipEntry> entries = {
      {"[Content_Types].xml", kContentTypes},
      {"_rels/.rels", kRelationships},
      {"3D/3dmodel.model", Model(scene, report)},
  };
  WriteZip(path, entries, report.error);
}

}  // namespace c4dexport
