// The host's layer table and the services that hand it out.
//
// The table is a tree: the table holds layer nodes, a node holds nodes and
// leaves. Nodes and leaves have a long and a short name; leaves are the
// layers that objects name by id.
#pragma once
#include <string>
#include <vector>

#include "qel_Objects.h"
#include "qel_SmartPointer.h"
#include "qel_export.h"

// How a layer shows its objects.
enum QEL_LAYER_CONFIGURATION_SETTING : int {
  QEL_LAYER_CONFIGURATION_EDITABLE = 0,
  QEL_LAYER_CONFIGURATION_LOCKED = 1,
  QEL_LAYER_CONFIGURATION_HIDDEN = 2,
};

// The host's resources, from which the services take their tables.
class QEL_HOST_API CQEL_ResourceBuffer : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
};

// The line style a layer leaf draws with.
class QEL_HOST_API CQEL_ResourceLineStyleLinkDef : public CQEL_Object {
 public:
  static CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> CreateObj();
  static const char* GetStaticClassName();
};

class QEL_HOST_API CQEL_ResourceLayerComponent : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  virtual void LongName(const std::string& name) = 0;
  virtual std::string LongName() const = 0;
  virtual void ShortName(const std::string& name) = 0;
  virtual std::string ShortName() const = 0;
};

class QEL_HOST_API CQEL_ResourceLayerLeaf : public CQEL_ResourceLayerComponent {
 public:
  static CQEL_SmartPtr<CQEL_ResourceLayerLeaf> CreateObj();
  static const char* GetStaticClassName();
  virtual void Id(unsigned id) = 0;
  virtual unsigned Id() const = 0;
  virtual void StyleDef(const CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>& style) = 0;
  // The style last given, or null.
  virtual CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> StyleDef() const = 0;
  virtual void UserDefinedLayerDef(bool userDefined) = 0;
  virtual bool UserDefinedLayerDef() const = 0;
  virtual void LayerConfigurationSetting(QEL_LAYER_CONFIGURATION_SETTING setting) = 0;
  virtual QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationSetting() const = 0;
};

class QEL_HOST_API CQEL_ResourceLayerNode : public CQEL_ResourceLayerComponent {
 public:
  static CQEL_SmartPtr<CQEL_ResourceLayerNode> CreateObj();
  static const char* GetStaticClassName();
  // The first of this node's own nodes with that long name, or null.
  virtual CQEL_SmartPtr<CQEL_ResourceLayerNode> GetLayerNodeByLongName(const std::string& name) const = 0;
  // Appends a node or a leaf that is in no table or node yet (the host throws
  // a CQEL_AppException* for one that is, and for a null pointer).
  virtual void AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) = 0;
  virtual void AddNewLayerLeaf(const CQEL_SmartPtr<CQEL_ResourceLayerLeaf>& leaf) = 0;
  // This node's own nodes and leaves, in the order they were added.
  virtual std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> GetLayerNodes() const = 0;
  virtual std::vector<CQEL_SmartPtr<CQEL_ResourceLayerLeaf>> GetLayerLeaves() const = 0;
};

class QEL_HOST_API CQEL_ResourceLayerTable : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  // A leaf anywhere in the table with that name (the earliest added when
  // several have it), or null.
  virtual CQEL_SmartPtr<CQEL_ResourceLayerLeaf> GetLayerLeafByLongName(const std::string& name) const = 0;
  virtual CQEL_SmartPtr<CQEL_ResourceLayerLeaf> GetLayerLeafByShortName(const std::string& name) const = 0;
  // The first of the table's own nodes with that long name, or null.
  virtual CQEL_SmartPtr<CQEL_ResourceLayerNode> GetLayerNodeByLongName(const std::string& name) const = 0;
  // Appends a node that is in no table or node yet (as for nodes).
  virtual void AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) = 0;
  virtual std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> GetLayerNodes() const = 0;
};

class QEL_HOST_API CQEL_Service_TessaroResources {
 public:
  static const char* GetStaticClassName();
  // The host's resources; null when they are not available.
  static CQEL_SmartPtr<CQEL_ResourceBuffer> GetResourceBuffer();
};

class QEL_HOST_API CQEL_Service_LayerResources {
 public:
  static const char* GetStaticClassName();
  // The layer table of the resources; null for a null buffer.
  static CQEL_SmartPtr<CQEL_ResourceLayerTable> GetTable(const CQEL_SmartPtr<CQEL_ResourceBuffer>& buffer);
  // An id that no leaf of the table has.
  static unsigned GetNextFreeLayerLeafId(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);
  // Keeps the table for later sessions; false when it could not be kept.
  static bool SaveTable(const CQEL_SmartPtr<CQEL_ResourceBuffer>& buffer,
                        const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table);
  // The layer that new objects go to.
  static unsigned GetActiveLayer();
};
