// The Boole generator's solid operations on meshes, through CGAL's
// corefinement in a build with the export libraries; a build without them
// (32-bit, Windows) refuses with the reason. The header stays free of CGAL:
// its one translation unit is heavy to compile.
#pragma once
#include <string>
#include <vector>

#include "generators.h"

namespace c4dgen {

// Modes of the Boole generator (its data entry 1000).
enum BooleMode : int {
  BOOLE_UNION = 0,
  BOOLE_SUBTRACT = 1,   // the first child minus the second
  BOOLE_INTERSECT = 2,
  BOOLE_WITHOUT = 3,    // taken as the subtraction (a guess)
};

// Triangles the two inputs may have together.
constexpr size_t kMaxBooleTriangles = 2000000;

// `a` and `b` (the mesh pieces of the first and second child, each merged
// into one solid) combined by `mode` into `result`: its points and triangles,
// its look the first piece of `a`'s. Polylines among the pieces are ignored.
// False, with `reason`, when an input is not a closed solid without
// self-intersections, is too large, or the operation fails.
bool BooleMeshes(int mode, const std::vector<Piece>& a, const std::vector<Piece>& b, Piece& result, std::string& reason);

}  // namespace c4dgen
