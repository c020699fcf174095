// Catmull-Clark subdivision of a mesh piece, as the Subdivision Surface
// generator shows its cage: uniform refinement, boundary edges kept smooth
// and corners sharp. Builds without the subdivision library (32-bit,
// Windows) keep the cage and say why.
#pragma once
#include <string>
#include <vector>

#include "c4d_types.h"

namespace c4dgen {

constexpr int kMaxSubdivisionLevel = 6;
constexpr size_t kMaxSubdividedQuads = 5000000;

// Replaces the mesh by its subdivision at `level` (clamped to 0..6); at level
// 1 and above every polygon is a quad. False with the reason, the mesh
// untouched, for bad point indices, a result of more than 5,000,000 quads, or
// a build that cannot subdivide.
bool Subdivide(std::vector<Vector64>& points, std::vector<CPolygon>& polygons, int level, std::string& reason);

}  // namespace c4dgen
