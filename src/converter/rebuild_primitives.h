// Primitives that a scene holds without polygon caches, rebuilt from their
// parameters and added to what the host received from an import: a step
// after the import, for the converter and the other front ends (Python,
// Blender). The import module itself skips such objects; this step does not
// change what it made, it appends to it.
//
//   CQEL_Server_C4D::Read(path, objects);   // the host's vector
//   std::vector<LeftOutObject> leftOut = FindLeftOutObjects(document);
//   std::vector<c4drebuild::RebuiltPrimitive> rebuilt = c4drebuild::RebuildPrimitives(
//       leftOut, objects, CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()));
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

class C4DBaseObject;
namespace c4dimport {
struct LeftOutObject;
}

namespace c4drebuild {

// No limit but the primitive library's own.
constexpr uint64_t kNoPolygonLimit = UINT64_MAX;

// What the host objects of a mesh take, per polygon: its points, edges and
// faces as the host keeps them (a little below this for the module's meshes).
constexpr uint64_t kHostBytesPerPolygon = 200;
// The host objects that rebuilding may add to one file, by default: a file
// of a few kilobytes can ask for any number of huge primitives.
constexpr uint64_t kDefaultRebuildBudget = uint64_t{512} << 20;

struct RebuiltPrimitive {
  // The primitive in the document accounted for; null once the document is gone.
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

// Rebuilds every primitive among `leftOut` (the converter's account of the
// import, in its order) that the import left without geometry and that can
// be rebuilt; each is appended to `hostObjects` and marked rebuilt in
// `leftOut`. One the host fails to make (a host exception) is left out with
// the host's report as its reason. A primitive whose mesh would have more
// than `polygonLimit` polygons is left out with the reason (the module's
// large-object limit is 500000). The file's budget meters what the meshes
// take (kHostBytesPerPolygon), charged before each is built: one that would
// pass it is left out with the reason, and so is every later one.
std::vector<RebuiltPrimitive> RebuildPrimitives(std::vector<c4dimport::LeftOutObject>& leftOut,
                                                std::vector<CQEL_SmartPtr<CQEL_Object>>& hostObjects,
                                                const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable,
                                                uint64_t polygonLimit = kNoPolygonLimit,
                                                uint64_t budgetBytes = kDefaultRebuildBudget);

}  // namespace c4drebuild
