// The steps after an import that look into the scene with the scene library,
// for every front end of the import (the tool, the Python extension):
// primitives the scene holds without polygon caches rebuilt from their
// parameters and added to what the host received (while the progress dialog
// is still open, as the host's own work), and the counted objects the module
// did not convert, found by name with the reason.
//
//   SceneOnDemand scene(path);
//   options.whileOpen = [&](ImportResult& r) { primitives = RebuildAfterImport(scene, r); };
//   ImportResult result = ImportFile(path, options);
//   std::vector<LeftOutObject> left = FindNotConverted(scene, result, primitives);
#pragma once
#include <string>
#include <vector>

#include "c4d_document.h"
#include "import_run.h"
#include "left_out.h"
#include "rebuild_primitives.h"

namespace c4dimport {

// The scene as the scene library reads it: loaded once, on the first step
// that needs it.
class SceneOnDemand {
 public:
  explicit SceneOnDemand(const std::string& path) : m_path(path) {}
  const C4DBaseDocument* Get();

 private:
  std::string m_path;
  C4DBaseDocument m_document;  // before the file: it installs the link support
  bool m_tried = false;
  bool m_loaded = false;
};

// Rebuilds the primitives without caches of a readable scene whose import
// raised no host error and was not cancelled, appends them to
// `result.objects` with one note each in `result.rebuilt`, and returns every
// primitive found without geometry. Meshes above the module's large-object
// limit (500000 polygons) are rebuilt only with the consent to large objects:
// the answer Yes to the module's question, or `largeConsent` (the preset
// answer Yes, where the module asked nothing).
std::vector<c4drebuild::RebuiltPrimitive> RebuildAfterImport(SceneOnDemand& scene, ImportResult& result,
                                                             bool largeConsent = false);

// Messages 104 and 105 (the module's only information boxes) appeared.
bool ReportedNotConverted(const ImportResult& result);

// The counted objects the module did not convert, those rebuilt marked so
// (objects null: the scene may go). Empty unless ReportedNotConverted.
std::vector<LeftOutObject> FindNotConverted(SceneOnDemand& scene, const ImportResult& result,
                                            const std::vector<c4drebuild::RebuiltPrimitive>& primitives);

}  // namespace c4dimport
