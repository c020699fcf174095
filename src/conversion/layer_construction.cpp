#include "layer_construction.h"

#include <string>

#include "host_assembly.h"

namespace {

CQEL_SmartPtr<CQEL_ResourceLayerNode> NewLayerNode(const std::string& longName) {
  CQEL_SmartPtr<CQEL_ResourceLayerNode> node = CQEL_ResourceLayerNode::CreateObj();
  node->LongName(longName);
  return node;
}

CQEL_SmartPtr<CQEL_ResourceLayerNode> FindOrAddTopNode(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  CQEL_SmartPtr<CQEL_ResourceLayerNode> top = table->GetLayerNodeByLongName(kLayerTopNodeName);
  if (!top) {
    top = NewLayerNode(kLayerTopNodeName);
    table->AddNewLayerNode(top);
  }
  return top;
}

CQEL_SmartPtr<CQEL_ResourceLayerNode> FindOrAddFileNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& top,
                                                        const std::string& fileNodeName) {
  CQEL_SmartPtr<CQEL_ResourceLayerNode> fileNode = top->GetLayerNodeByLongName(fileNodeName);
  if (!fileNode) {
    fileNode = NewLayerNode(fileNodeName);
    top->AddNewLayerNode(fileNode);
  }
  return fileNode;
}

// A short name that no leaf of the table has yet: the first characters of
// `shortName` with a tail "~1", "~2", ... in place of its last ones, keeping
// it within the short-name length.
CString UniqueShortName(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, const CString& shortName,
                        ShortNameHints* hints) {
  CString candidate = shortName;
  unsigned n = hints ? hints->FirstUntried(table, shortName.Str()) : 1;
  for (; n < 10000000u; ++n) {
    const CString tail = "~" + CString(std::to_string(n));
    candidate = shortName.Left(kLayerShortNameLength - tail.GetLength()) + tail;
    if (!table->GetLayerLeafByShortName(candidate.Str())) break;
  }
  // The name found is free now; it is taken only once its leaf is added.
  if (hints) hints->Remember(shortName.Str(), n);
  return candidate;
}

}  // namespace

unsigned ShortNameHints::FirstUntried(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table,
                                      const std::string& shortName) {
  if (m_table.Get() != table.Get()) {
    m_table = table;
    m_firstUntried.clear();
    return 1;
  }
  const auto found = m_firstUntried.find(shortName);
  return found == m_firstUntried.end() ? 1 : found->second;
}

QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationOf(bool visible, bool locked) {
  if (!visible) return QEL_LAYER_CONFIGURATION_HIDDEN;
  return locked ? QEL_LAYER_CONFIGURATION_LOCKED : QEL_LAYER_CONFIGURATION_EDITABLE;
}

void ConstructHostLayer(const HostLayerRequest& request, uint32_t& hostLayerId) {
  const CQEL_SmartPtr<CQEL_FileHandle> file = CQEL_FileHandle::CreateObj(request.filePath.Str());
  const std::string fileNodeName = CString(file->FileName()).Left(kLayerFileNodeNameLength).Str();
  const CString& longName = request.longName;
  CString shortName = longName.Left(kLayerShortNameLength);

  const CQEL_SmartPtr<CQEL_ResourceLayerTable> table =
      CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer());
  const CQEL_SmartPtr<CQEL_ResourceLayerLeaf> byLongName = table->GetLayerLeafByLongName(longName.Str());
  if (byLongName) {
    hostLayerId = byLongName->Id();
    return;
  }
  if (table->GetLayerLeafByShortName(shortName.Str())) {
    // Another layer's leaf has this short name (two names that agree in
    // their first characters, or a leaf the user made). Sharing that leaf
    // would silently put this layer's objects on another layer, so the layer
    // gets a leaf of its own under a short name made unique; a later import
    // finds it again by its long name.
    shortName = UniqueShortName(table, shortName, request.hints);
  }

  const unsigned id = CQEL_Service_LayerResources::GetNextFreeLayerLeafId(table);
  const CQEL_SmartPtr<CQEL_ResourceLayerNode> top = FindOrAddTopNode(table);
  const CQEL_SmartPtr<CQEL_ResourceLayerNode> fileNode = FindOrAddFileNode(top, fileNodeName);
  // The leaf is made whole before it goes into the table: a host error while
  // it is set up then leaves no half-made leaf there, which a later pass or
  // import would find by its name and never finish. The layer takes the id
  // only once its leaf is in the table.
  const CQEL_SmartPtr<CQEL_ResourceLayerLeaf> leaf = CQEL_ResourceLayerLeaf::CreateObj();
  leaf->Id(id);
  leaf->ShortName(shortName.Str());
  leaf->LongName(longName.Str());
  leaf->StyleDef(Made(CQEL_ResourceLineStyleLinkDef::CreateObj()));
  leaf->UserDefinedLayerDef(true);
  leaf->LayerConfigurationSetting(LayerConfigurationOf(request.visible, request.locked));
  fileNode->AddNewLayerLeaf(leaf);
  hostLayerId = id;
  CQEL_Service_LayerResources::SaveTable(CQEL_Service_TessaroResources::GetResourceBuffer(), table);
}
