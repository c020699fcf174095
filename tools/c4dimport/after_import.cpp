#include "after_import.h"

#include "ge_chunk_file.h"
#include "qel_host.h"

namespace c4dimport {

namespace {

std::string RebuiltNote(const c4drebuild::RebuiltPrimitive& primitive) {
  return primitive.kind + " \"" + primitive.path + "\" from its parameters" +
         (primitive.reason.empty() ? "" : " (" + primitive.reason + ")");
}

}  // namespace

const C4DBaseDocument* SceneOnDemand::Get() {
  if (m_tried) return m_loaded ? &m_document : nullptr;
  m_tried = true;
  GeChunkFile file;
  m_loaded = file.Open(m_path.c_str()) && m_document.Load(file);
  return m_loaded ? &m_document : nullptr;
}

std::vector<c4drebuild::RebuiltPrimitive> RebuildAfterImport(SceneOnDemand& scene, ImportResult& result) {
  std::vector<c4drebuild::RebuiltPrimitive> primitives;
  if (!result.readable || !result.hostError.empty()) return primitives;
  if (const C4DBaseDocument* document = scene.Get()) {
    primitives = c4drebuild::RebuildPrimitives(
        *document, result.objects,
        CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()));
    for (const auto& primitive : primitives) {
      if (primitive.rebuilt) result.rebuilt.push_back(RebuiltNote(primitive));
    }
  }
  return primitives;
}

bool ReportedNotConverted(const ImportResult& result) {
  for (const standin::BoxRecord& box : result.messages) {
    if (box.kind == standin::BoxKind::Error && box.type == QEL_MSGBOX_INFORMATION) return true;
  }
  return false;
}

std::vector<LeftOutObject> FindNotConverted(SceneOnDemand& scene, const ImportResult& result,
                                            const std::vector<c4drebuild::RebuiltPrimitive>& primitives) {
  std::vector<LeftOutObject> notConverted;
  const C4DBaseDocument* document = ReportedNotConverted(result) ? scene.Get() : nullptr;
  if (!document) return notConverted;
  LeftOutOptions options;
  options.convertLarge = result.session.convertLarge;
  for (LeftOutObject& object : FindLeftOutObjects(*document, options)) {
    if (!object.counted) continue;
    for (const auto& primitive : primitives) {
      if (primitive.object == object.object && primitive.rebuilt) {
        object.reason += "; rebuilt from its parameters as object " + std::to_string(primitive.objectIndex + 1);
        object.rebuilt = true;
      }
    }
    object.object = nullptr;
    notConverted.push_back(std::move(object));
  }
  return notConverted;
}

}  // namespace c4dimport
