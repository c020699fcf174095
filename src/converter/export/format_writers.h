// The writers behind WriteExportFile, one per family of formats. Each fills
// the report's counts and left-out list, or sets its error.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "export_writer.h"

namespace c4dexport {

// glb, gltf, obj, ply, stl, dae through the asset library's exporters.
void WriteThroughAssimp(const ExportScene& scene, const std::string& path, const ExportFormat& format,
                        ExportReport& report);
// glb (`binary`) and gltf of a scene with its tree (ExportScene::nodes), through tinygltf.
void WriteGltfTree(const ExportScene& scene, const std::string& path, bool binary, ExportReport& report);
// 3mf: meshes, base materials and a components object per layer, through
// the 3MF library.
void Write3mf(const ExportScene& scene, const std::string& path, ExportReport& report);
// dxf: layers, polyface meshes (3D faces for meshes too large for one) and
// 3D polylines, with true colours and transparency.
void WriteDxf(const ExportScene& scene, const std::string& path, ExportReport& report);

// Host millimetres per unit of a format in millimetres: 1, or 10 when the
// scene is written in centimetres.
double ZUpDivisor(const ExportScene& scene);
// The material's colour as bytes (a host colour's own).
std::array<uint8_t, 3> Rgb8(const ExportMaterial& material);

// A name for a file format's identifiers: no whitespace or control characters.
std::string PlainName(const std::string& name);

}  // namespace c4dexport
