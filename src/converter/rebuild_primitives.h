// A primitive that a scene holds without a polygon cache, rebuilt from its
// parameters and added to what the host received from an import: a step
// after the import, for the converter and the other front ends (Python,
// Blender). The import module itself skips such objects; this step does not
// change what it made, it appends to it (see output_objects.h), placed and
// coloured as the module places and colours a mesh (host_objects.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qel_LayerResources.h"
#include "qel_Objects.h"

class C4DBaseObject;
class C4DPluginObject;
struct GeAllocMeter;

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

// Rebuilds `object` and appends it to `hostObjects`. One the host fails to
// make (a host exception) is left out with the host's report as its reason.
// A primitive whose mesh would have more than `polygonLimit` polygons is
// left out with the reason (the module's large-object limit is 500000). The
// file's budget meters what the meshes take (kHostBytesPerPolygon), charged
// before each is built: one that would pass it is left out with the reason.
RebuiltPrimitive RebuildPrimitive(const C4DPluginObject& object, const std::string& path,
                                  std::vector<CQEL_SmartPtr<CQEL_Object>>& hostObjects,
                                  const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable, uint64_t polygonLimit,
                                  GeAllocMeter& budget);

}  // namespace c4drebuild
