// The mesh of a polygon object as a host polyhedron: points in host
// coordinates, and the polyhedron built from points, edges and faces.
#pragma once
#include <cstdint>

#include "c4d_types.h"
#include "polygon_topology.h"
#include "qel_Objects.h"

using PointList = CQEL_GeoPolyhedron3D::PointList;

// Host points for scene points: each is placed by the global matrix `mg`,
// computed in single precision, scaled by 10, with the second and third axes
// swapped (host (X, Y, Z) = 10 * (x, z, y)); coordinates below 1e-12 in
// absolute value become exactly 0.0 (also -0.0). Every point of the array
// gives one host point, used or not, so point number k is scene point k-1.
// The caller masks floating-point exceptions around it.
void ConvertObjectPoints(const Vector* points, int32_t pointCount, const Matrix& mg, PointList& hostPoints);
// The same for the double-precision points of a newer file: placed by the
// double-precision global matrix and scaled in double, so that points keep
// their precision from the file to the host.
void ConvertObjectPoints64(const Vector64* points, int32_t pointCount, const Matrix64& mg, PointList& hostPoints);

// Builds the three-dimensional polyhedron of a mesh and hands it to the
// assembly with a surface reference. The lists are taken over: the host
// keeps copies, so each is released as soon as the host has its own.
void AppendMeshPolyhedron(const Vector& colour, PointList points, EdgeList edges, FaceList faces,
                          uint32_t layerId, float transparency);
