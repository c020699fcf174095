// Writes an export scene (export_model.h) to a file in a format that other
// 3D and CAD programs read, chosen by name or by the file's extension.
//
//   const ExportFormat* format = FormatOfPath("house.dxf");
//   ExportReport report = WriteExportFile(scene, "house.dxf", *format);
//   if (!report.written) std::cerr << report.error;
//
// Each format keeps what it can hold and reports what it left out (for
// example polylines in a format without lines).
#pragma once
#include <string>
#include <vector>

#include "export_model.h"

namespace c4dexport {

struct ExportFormat {
  std::string name;         // "glb"; also the extension without its dot
  std::string description;  // "glTF 2.0, binary"
  bool keepsPolygons;       // polygons stay whole (false: written as triangles)
  bool hasLines;            // polylines are written as line primitives
  bool hasColours;          // material colours (and transparency) are written
  std::string coordinates;  // "Y up, metres" and the like
};

// Every format that can be written, in the order `c4dimport formats` lists them.
const std::vector<ExportFormat>& ExportFormats();
// The format of a name ("glb", case-insensitive, a leading dot allowed); null when none.
const ExportFormat* FindExportFormat(const std::string& name);
// The format of a path's extension; null when none.
const ExportFormat* FormatOfPath(const std::string& path);

struct ExportReport {
  bool written = false;
  std::string error;  // why the file could not be written
  size_t meshes = 0;
  size_t polylines = 0;
  size_t polygons = 0;   // faces written (triangles where the format splits them)
  // Objects the format could not hold: the object's number in the host's
  // vector and the reason.
  std::vector<ExportScene::Skipped> leftOut;
  // What was approximated or left out beside whole objects (a texture of a
  // kind the format cannot hold, an area light written as a point light),
  // and the scene's own notes; one line each.
  std::vector<std::string> notes;
};

// Writes `scene` to `path`; objects the scene already skipped are reported
// as left out too.
ExportReport WriteExportFile(const ExportScene& scene, const std::string& path, const ExportFormat& format);

}  // namespace c4dexport
