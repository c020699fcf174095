// Primitives that a scene holds without polygon caches, rebuilt from their
// parameters and added to what the host received from an import: a step
// after the import, for the converter and the other front ends (Python,
// Blender). The import module itself skips such objects; this step does not
// change what it made, it appends to it.
//
//   std::vector<CQEL_SmartPtr<CQEL_Object>> objects;   // after Read
//   CQEL_Server_C4D::Read(path, objects);
//   std::vector<c4drebuild::RebuiltPrimitive> rebuilt = c4drebuild::RebuildPrimitives(
//       path, objects, CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()));
//   for (const auto& r : rebuilt) if (r.rebuilt) ... objects[r.objectIndex] is the mesh
//
// A rebuilt mesh is placed and coloured as the module places and colours a
// mesh: points by the object's global matrix, times 10 with y and z swapped;
// faces from the polygons by the module's own rules; the object's colour or
// material; the host layer of the object's layer (found in the table by the
// layer's name, as the module finds it), else the active layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qel_LayerResources.h"
#include "qel_Objects.h"

class C4DBaseDocument;
class C4DBaseObject;

namespace c4drebuild {

// No limit but the primitive library's own.
constexpr uint64_t kNoPolygonLimit = UINT64_MAX;

struct RebuiltPrimitive {
  // The primitive in the document that was given; null after the form that
  // loads the file itself (the document is gone by then).
  const C4DBaseObject* object = nullptr;
  std::string path;          // names from the top: "House / Sphere"
  int32_t dataType = 0;      // 5159 cube, 5160 sphere, ...
  std::string kind;          // "cube", "sphere", ...
  bool rebuilt = false;      // appended to the host objects
  size_t objectIndex = 0;    // when rebuilt: its place in the host objects
  // Rebuilt: what the mesh leaves out or approximates ("" when nothing);
  // not rebuilt: why.
  std::string reason;
};

// Every primitive the import leaves without geometry (the walk follows the
// import's: an override cache stands for its object, a fallback cache for an
// object not dealt with), in traversal order. Each one that can be rebuilt
// is appended to `hostObjects`; one the host fails to make (a host
// exception) is left out with the host's report as its reason.
// A primitive whose mesh would have more than `polygonLimit` polygons is
// left out with the reason (the module's large-object limit is 500000).
std::vector<RebuiltPrimitive> RebuildPrimitives(const C4DBaseDocument& document,
                                                std::vector<CQEL_SmartPtr<CQEL_Object>>& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit = kNoPolygonLimit);

// The same for a scene file, loaded with the scene library; nothing when it
// cannot be loaded.
std::vector<RebuiltPrimitive> RebuildPrimitives(const std::string& path,
                                                std::vector<CQEL_SmartPtr<CQEL_Object>>& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit = kNoPolygonLimit);

}  // namespace c4drebuild
