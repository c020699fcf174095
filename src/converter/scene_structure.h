// The scene's structure and look laid over an export scene built from the
// host's objects: the object tree with names and placements, the scene's
// materials (with the colour channel's bitmap, found as the scene program
// finds it), several materials per mesh by texture tags restricted to
// polygon selections, texture coordinates from UVW tags, normals smoothed by
// the phong tag, and the cameras and lights.
//
//   ExportScene scene = BuildExportScene(result.objects, layers, FileNodeName(path));
//   AddSceneStructure(scene, document, account.sourceObjects, {.scenePath = path});
//
// The host's objects stay as the module made them: everything here is read
// from the scene beside them, for the formats and front ends that keep more
// than the host does.
#pragma once
#include <string>
#include <vector>

#include "export_model.h"

class C4DBaseDocument;
class C4DBaseObject;

namespace c4dimport {

struct StructureOptions {
  std::string scenePath;    // where bitmaps are looked for: beside it and in its "tex" folder
  bool keepHidden = false;  // hidden objects are in the tree (their geometry was kept)
};

// `sources` gives, per host object (ExportMesh::objectNumber - 1), the scene
// object it comes from, or null. Meshes and polylines get their node;
// meshes of a polygon object also their polygons' materials, texture
// coordinates and normals.
void AddSceneStructure(c4dexport::ExportScene& scene, const C4DBaseDocument& document,
                       const std::vector<const C4DBaseObject*>& sources, const StructureOptions& options);

}  // namespace c4dimport
