// A mesh's polygons as the vertices that formats with per-vertex normals and
// texture coordinates need: corners of one point share a vertex only when
// their normals and texture coordinates agree as well.
//
//   for (uint32_t material : MaterialsInOrder(mesh)) {
//     const CornerMesh part = SplitCorners(mesh, LocalPoints(scene, mesh), LocalNormals(scene, mesh), material);
//     ...
//   }
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "export_model.h"

namespace c4dexport {

struct CornerMesh {
  std::vector<Point3> points;
  std::vector<Point3> normals;                // empty when the mesh has none
  std::vector<std::array<double, 2>> uvs;     // the scene's convention (v down); empty when none
  std::vector<std::vector<uint32_t>> faces;   // indices into the vectors above
};

// The materials a mesh's polygons use, in the order of first use; its one
// material when it has none per polygon.
std::vector<uint32_t> MaterialsInOrder(const ExportMesh& mesh);

// The polygons of `mesh` with `material` (all of them when the mesh has no
// materials per polygon), `points` and `cornerNormals` standing in for the
// mesh's own (in another frame). Corner normals or UVs in a number that does
// not match the corners are left out.
CornerMesh SplitCorners(const ExportMesh& mesh, const std::vector<Point3>& points,
                        const std::vector<Point3>& cornerNormals, uint32_t material);

}  // namespace c4dexport
