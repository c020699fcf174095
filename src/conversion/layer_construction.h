// Scene layers as leaves of the host's layer table, filed under a node for
// the imported file inside the node "Cinema4D".
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include <afxstr.h>

#include "qel_LayerResources.h"

// Where the search for a free short name may start, per short name, for one
// table. Every suffix below a remembered one was taken when it was set, and
// an import only ever adds leaves, so a later search need not try them again:
// without this, layers whose names agree in their first characters would
// each try every suffix of the ones before.
class ShortNameHints {
 public:
  // The first suffix worth trying for `shortName` in `table`; 1 for a table
  // these hints have not seen (they then forget another table's).
  unsigned FirstUntried(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, const std::string& shortName);
  void Remember(const std::string& shortName, unsigned firstUntried) { m_firstUntried[shortName] = firstUntried; }

 private:
  CQEL_SmartPtr<CQEL_ResourceLayerTable> m_table;  // held, so that its address names no other table
  std::unordered_map<std::string, unsigned> m_firstUntried;
};

// What one scene layer brings to the table.
struct HostLayerRequest {
  CString longName;     // the layer's name, unchanged
  CString filePath;     // the session's path; its file name names the file node
  bool visible = true;  // the layer's first flag
  bool locked = false;  // the layer's fourth flag
  ShortNameHints* hints = nullptr;  // the import run's, if any; not owned
};

// The top node of every imported file's layers.
constexpr const char* kLayerTopNodeName = "Cinema4D";
constexpr int kLayerFileNodeNameLength = 28;
constexpr int kLayerShortNameLength = 8;

// Finds the leaf of the layer's long name, or adds a new leaf and saves the
// table. `hostLayerId` gets the leaf's id: the found leaf's, or the new id as
// soon as the new leaf is in the table (so an exception while saving leaves
// it set, and one before leaves it as it was). Host exceptions pass out.
void ConstructHostLayer(const HostLayerRequest& request, uint32_t& hostLayerId);

// The configuration of a new leaf: hidden unless the layer shows its objects,
// then locked or editable.
QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationOf(bool visible, bool locked);
