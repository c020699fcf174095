#include "scene_structure.h"

namespace c4dimport {

void AddSceneStructure(c4dexport::ExportScene& scene, const C4DBaseDocument& document,
                       const std::vector<const C4DBaseObject*>& sources, const StructureOptions& options) {
  (void)scene;
  (void)document;
  (void)sources;
  (void)options;
}

}  // namespace c4dimport
