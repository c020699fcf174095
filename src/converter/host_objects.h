// Host objects that the converter makes itself, for objects the module left
// out: placed and coloured as the module places and colours its own (points
// by the object's global matrix, times 10 with y and z swapped; the object's
// colour or material; the host layer of the object's layer, found in the
// table by the layer's name as the module finds it, else the active layer).
#pragma once
#include <cstdint>
#include <vector>

#include "c4d_types.h"
#include "primitives.h"
#include "qel_LayerResources.h"
#include "qel_Objects.h"

class C4DBaseObject;

namespace c4dhost {

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

// The module's layer id for an object: the leaf of its layer's name, else
// the host's active layer.
uint32_t LayerIdOf(const C4DBaseObject& object, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);

// Appends the mesh (points in the object's own frame) as the module builds
// one of a polygon object; false, and nothing appended, when no face results.
bool AppendMesh(const C4DBaseObject& object, const c4dprim::PrimitiveMesh& mesh, HostObjects& hostObjects,
                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);

// Appends a polyline through `points` (in the object's own frame) as the
// module builds one of a spline: edges from each point to the next, a closed
// one back to its first point; false, and nothing appended, below two points.
bool AppendPolyline(const C4DBaseObject& object, const std::vector<Vector64>& points, bool closed,
                    HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);

// The same for geometry that another object makes (a generator): its points
// placed by `mg`, coloured and layered as `look`.
bool AppendMesh(const C4DBaseObject& look, const Matrix64& mg, const std::vector<Vector64>& points,
                const std::vector<CPolygon>& polygons, HostObjects& hostObjects,
                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);
bool AppendPolyline(const C4DBaseObject& look, const Matrix64& mg, const std::vector<Vector64>& points, bool closed,
                    HostObjects& hostObjects, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);

}  // namespace c4dhost
