#include "after_import.h"

#include <unordered_map>

#include "ge_chunk_file.h"
#include "qel_host.h"

namespace c4dimport {

namespace {

constexpr uint64_t kLargeObjectLimit = 500000;

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

std::vector<c4drebuild::RebuiltPrimitive> RebuildAfterImport(SceneOnDemand& scene, ImportResult& result,
                                                             bool largeConsent) {
  std::vector<c4drebuild::RebuiltPrimitive> primitives;
  // After Cancel nothing more is made, as the module makes nothing more.
  if (!result.readable || !result.hostError.empty() || result.session.cancelled) return primitives;
  if (const C4DBaseDocument* document = scene.Get()) {
    const bool large = largeConsent || result.session.convertLarge;
    primitives = c4drebuild::RebuildPrimitives(
        *document, result.objects,
        CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()),
        large ? c4drebuild::kNoPolygonLimit : kLargeObjectLimit);
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
  std::unordered_map<const C4DBaseObject*, size_t> rebuilt;
  for (const auto& primitive : primitives) {
    if (primitive.rebuilt) rebuilt.emplace(primitive.object, primitive.objectIndex);
  }
  for (LeftOutObject& object : FindLeftOutObjects(*document, options)) {
    if (!object.counted) continue;
    if (const auto found = rebuilt.find(object.object); found != rebuilt.end()) {
      object.reason += "; rebuilt from its parameters as object " + std::to_string(found->second + 1);
      object.rebuilt = true;
    }
    object.object = nullptr;
    notConverted.push_back(std::move(object));
  }
  return notConverted;
}

}  // namespace c4dimport
