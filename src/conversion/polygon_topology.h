// Turns the polygon records of a mesh into the host's edge and face lists.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "c4d_types.h"

// Edges are (from, to) pairs of 1-based point numbers; a face lists edge
// numbers (1-based), negative when the edge is walked against its direction.
using EdgeList = std::vector<std::pair<unsigned, unsigned>>;
using FaceList = std::vector<std::vector<int>>;

// Quadrangles whose corners lie exactly in one plane stay one face; others
// are split along the diagonal from c to a into two triangles that share it.
// Records with repeated indices are degenerate and skipped. Every edge belongs
// to one polygon only; neighbours carry their own copies of a common edge.
void BuildPolygonTopology(const CPolygon* polygons, int32_t polygonCount,
                          const Vector* points, int32_t pointCount,
                          EdgeList& edges, FaceList& faces);
