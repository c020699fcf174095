#include "export_writer.h"

#include <algorithm>
#include <cctype>

#include "format_writers.h"

namespace c4dexport {

const std::vector<ExportFormat>& ExportFormats() {
  static const std::vector<ExportFormat> formats = {
      {"glb", "glTF 2.0, binary", false, true, true, "Y up, metres"},
      {"gltf", "glTF 2.0, JSON with a .bin buffer", false, true, true, "Y up, metres"},
      {"obj", "Wavefront OBJ with its .mtl", true, true, true, "Z up, millimetres"},
      {"ply", "Stanford PLY, colours per point", true, false, true, "Z up, millimetres"},
      {"stl", "STL, binary", false, false, false, "Z up, millimetres"},
      {"dae", "COLLADA", true, true, true, "Z up, millimetres (declared)"},
      {"3mf", "3D Manufacturing Format", false, false, true, "Z up, millimetres (declared)"},
      {"dxf", "AutoCAD DXF (R2000) with layers", true, true, true, "Z up, millimetres (declared)"},
  };
  return formats;
}

const ExportFormat* FindExportFormat(const std::string& name) {
  std::string key = name;
  if (!key.empty() && key.front() == '.') key.erase(0, 1);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const ExportFormat& format : ExportFormats()) {
    if (format.name == key) return &format;
  }
  return nullptr;
}

const ExportFormat* FormatOfPath(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
  return FindExportFormat(path.substr(dot + 1));
}

double ZUpDivisor(const ExportScene& scene) { return scene.units == ExportScene::Units::Centimetres ? 10 : 1; }

std::array<uint8_t, 3> Rgb8(const ExportMaterial& material) {
  if (!material.fromScene) return {material.argb[1], material.argb[2], material.argb[3]};
  auto byte = [](double v) { return uint8_t(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
  return {byte(material.Red()), byte(material.Green()), byte(material.Blue())};
}

std::string PlainName(const std::string& name) {
  std::string plain;
  for (unsigned char c : name) plain += (std::isspace(c) || std::iscntrl(c)) ? '_' : char(c);
  return plain.empty() ? "_" : plain;
}

ExportReport WriteExportFile(const ExportScene& scene, const std::string& path, const ExportFormat& format) {
  ExportReport report;
  report.leftOut = scene.skipped;
  report.notes = scene.notes;
  if (format.name == "3mf") {
    Write3mf(scene, path, report);
  } else if (format.name == "dxf") {
    WriteDxf(scene, path, report);
  } else {
    WriteThroughAssimp(scene, path, format, report);
  }
  report.written = report.error.empty();
  std::sort(report.leftOut.begin(), report.leftOut.end(),
            [](const auto& a, const auto& b) { return a.objectNumber < b.objectNumber; });
  return report;
}

}  // namespace c4dexport
