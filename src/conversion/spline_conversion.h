// A spline as a host polyline: its control points joined in stored order,
// closed by repeating the first point.
#pragma once
#include <cstdint>

#include "c4d_types.h"
#include "polygon_conversion.h"

// Builds the one-dimensional polyhedron (points, then edges (i, i+1), then
// dimension and orientation; no faces) and hands it to the assembly without
// a surface reference. A closed spline gets its first point once more at
// the end (the same host point).
void AppendSplinePolyline(PointList points, uint32_t layerId, const Vector& colour, float transparency,
                          bool closed);
