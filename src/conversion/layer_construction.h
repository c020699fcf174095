// Scene layers as leaves of the host's layer table, filed under a node for
// the imported file inside the node "Cinema4D".
#pragma once
#include <cstdint>

#include <afxstr.h>

#include "qel_LayerResources.h"

// What one scene layer brings to the table.
struct HostLayerRequest {
  CString longName;     // the layer's name, unchanged
  CString filePath;     // the session's path; its file name names the file node
  bool visible = true;  // the layer's first flag
  bool locked = false;  // the layer's fourth flag
};

// The top node of every imported file's layers.
constexpr const char* kLayerTopNodeName = "Cinema4D";
constexpr int kLayerFileNodeNameLength = 28;
constexpr int kLayerShortNameLength = 8;

// Finds the leaf of the layer's long name, or adds a new leaf and saves the
// table. `hostLayerId` gets the leaf's id: the found leaf's, or the new id as
// soon as the new leaf has it (so an exception after that leaves it set).
// Host exceptions pass out.
void ConstructHostLayer(const HostLayerRequest& request, uint32_t& hostLayerId);

// The configuration of a new leaf: hidden unless the layer shows its objects,
// then locked or editable.
QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationOf(bool visible, bool locked);
