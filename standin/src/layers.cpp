// The host's layer table: a tree of nodes and leaves with name indexes, the
// services that hand it out, and its JSON file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "standin_internal.h"

using standin_internal::HostCall;
using standin_internal::Make;
using standin_internal::Named;
using Json = nlohmann::json;

namespace {

class LayerTable;
class LayerNode;

// Items by name; several items may share one, the first indexed is found.
template <class T>
class NameIndex {
 public:
  void Add(const std::string& name, T* item) { m_index[name].push_back(item); }
  void Remove(const std::string& name, T* item) {
    auto it = m_index.find(name);
    if (it == m_index.end()) return;
    auto& items = it->second;
    auto found = std::find(items.begin(), items.end(), item);
    if (found != items.end()) items.erase(found);
    if (items.empty()) m_index.erase(it);
  }
  T* First(const std::string& name) const {
    auto it = m_index.find(name);
    return it == m_index.end() ? nullptr : it->second.front();
  }

 private:
  std::unordered_map<std::string, std::vector<T*>> m_index;
};

template <class Interface, class Impl>
CQEL_SmartPtr<Interface> Share(Impl* object) {
  return CQEL_SmartPtr<Interface>(object);
}

class LayerLineStyleLinkDef final : public Named<CQEL_ResourceLineStyleLinkDef> {};

class LayerLeaf final : public Named<CQEL_ResourceLayerLeaf> {
 public:
  void LongName(const std::string& name) override;
  std::string LongName() const override { return m_longName; }
  void ShortName(const std::string& name) override;
  std::string ShortName() const override { return m_shortName; }
  void Id(unsigned id) override;
  unsigned Id() const override { return HostCall("CQEL_ResourceLayerLeaf::Id"), m_id; }
  // The id for the host's own bookkeeping, which is no call of a module's.
  unsigned OwnId() const { return m_id; }
  void StyleDef(const CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>& style) override {
    HostCall("CQEL_ResourceLayerLeaf::StyleDef");
    m_style = style;
  }
  CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> StyleDef() const override { return m_style; }
  void UserDefinedLayerDef(bool userDefined) override {
    HostCall("CQEL_ResourceLayerLeaf::UserDefinedLayerDef");
    m_userDefined = userDefined;
  }
  bool UserDefinedLayerDef() const override { return m_userDefined; }
  void LayerConfigurationSetting(QEL_LAYER_CONFIGURATION_SETTING setting) override {
    HostCall("CQEL_ResourceLayerLeaf::LayerConfigurationSetting");
    m_setting = setting;
  }
  QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationSetting() const override { return m_setting; }

  LayerTable* table = nullptr;  // the table it is in, through its node
  LayerNode* parent = nullptr;

 private:
  std::string m_longName;
  std::string m_shortName;
  unsigned m_id = 0;
  CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> m_style;
  bool m_userDefined = false;
  QEL_LAYER_CONFIGURATION_SETTING m_setting = QEL_LAYER_CONFIGURATION_EDITABLE;
};

class LayerNode final : public Named<CQEL_ResourceLayerNode> {
 public:
  ~LayerNode() override;
  void LongName(const std::string& name) override;
  std::string LongName() const override { return m_longName; }
  void ShortName(const std::string& name) override { m_shortName = name; }
  std::string ShortName() const override { return m_shortName; }
  CQEL_SmartPtr<CQEL_ResourceLayerNode> GetLayerNodeByLongName(const std::string& name) const override {
    HostCall("CQEL_ResourceLayerNode::GetLayerNodeByLongName");
    return Share<CQEL_ResourceLayerNode>(m_nodeIndex.First(name));
  }
  void AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) override;
  void AddNewLayerLeaf(const CQEL_SmartPtr<CQEL_ResourceLayerLeaf>& leaf) override;
  std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> GetLayerNodes() const override {
    std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> nodes;
    for (const auto& node : m_nodes) nodes.push_back(Share<CQEL_ResourceLayerNode>(node.Get()));
    return nodes;
  }
  std::vector<CQEL_SmartPtr<CQEL_ResourceLayerLeaf>> GetLayerLeaves() const override {
    std::vector<CQEL_SmartPtr<CQEL_ResourceLayerLeaf>> leaves;
    for (const auto& leaf : m_leaves) leaves.push_back(Share<CQEL_ResourceLayerLeaf>(leaf.Get()));
    return leaves;
  }

  void ChildRenamed(LayerNode* child, const std::string& before, const std::string& after) {
    m_nodeIndex.Remove(before, child);
    m_nodeIndex.Add(after, child);
  }
  const std::vector<CQEL_SmartPtr<LayerNode>>& Nodes() const { return m_nodes; }
  const std::vector<CQEL_SmartPtr<LayerLeaf>>& Leaves() const { return m_leaves; }

  LayerTable* table = nullptr;  // the table it is in
  LayerNode* parent = nullptr;

 private:
  std::string m_longName;
  std::string m_shortName;
  std::vector<CQEL_SmartPtr<LayerNode>> m_nodes;
  std::vector<CQEL_SmartPtr<LayerLeaf>> m_leaves;
  NameIndex<LayerNode> m_nodeIndex;
};

class LayerTable final : public Named<CQEL_ResourceLayerTable> {
 public:
  ~LayerTable() override {
    for (const auto& node : m_nodes) Detach(node.Get());
  }
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> GetLayerLeafByLongName(const std::string& name) const override {
    HostCall("CQEL_ResourceLayerTable::GetLayerLeafByLongName");
    return Share<CQEL_ResourceLayerLeaf>(m_leavesByLongName.First(name));
  }
  CQEL_SmartPtr<CQEL_ResourceLayerLeaf> GetLayerLeafByShortName(const std::string& name) const override {
    HostCall("CQEL_ResourceLayerTable::GetLayerLeafByShortName");
    return Share<CQEL_ResourceLayerLeaf>(m_leavesByShortName.First(name));
  }
  CQEL_SmartPtr<CQEL_ResourceLayerNode> GetLayerNodeByLongName(const std::string& name) const override {
    HostCall("CQEL_ResourceLayerTable::GetLayerNodeByLongName");
    return Share<CQEL_ResourceLayerNode>(m_nodeIndex.First(name));
  }
  void AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) override;
  std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> GetLayerNodes() const override {
    std::vector<CQEL_SmartPtr<CQEL_ResourceLayerNode>> nodes;
    for (const auto& node : m_nodes) nodes.push_back(Share<CQEL_ResourceLayerNode>(node.Get()));
    return nodes;
  }

  unsigned NextFreeLeafId() const { return m_leafIds.empty() ? 1 : *m_leafIds.rbegin() + 1; }
  const std::vector<CQEL_SmartPtr<LayerNode>>& Nodes() const { return m_nodes; }

  // Takes a subtree that was added below one of the table's nodes.
  void Attach(LayerNode* node) {
    node->table = this;
    for (const auto& leaf : node->Leaves()) AttachLeaf(leaf.Get());
    for (const auto& child : node->Nodes()) Attach(child.Get());
  }
  void AttachLeaf(LayerLeaf* leaf) {
    leaf->table = this;
    m_leavesByLongName.Add(leaf->LongName(), leaf);
    m_leavesByShortName.Add(leaf->ShortName(), leaf);
    m_leafIds.insert(leaf->OwnId());
  }
  void LeafRenamed(LayerLeaf* leaf, bool longName, const std::string& before, const std::string& after) {
    NameIndex<LayerLeaf>& index = longName ? m_leavesByLongName : m_leavesByShortName;
    index.Remove(before, leaf);
    index.Add(after, leaf);
  }
  void LeafIdChanged(unsigned before, unsigned after) {
    auto it = m_leafIds.find(before);
    if (it != m_leafIds.end()) m_leafIds.erase(it);
    m_leafIds.insert(after);
  }
  void TopNodeRenamed(LayerNode* node, const std::string& before, const std::string& after) {
    m_nodeIndex.Remove(before, node);
    m_nodeIndex.Add(after, node);
  }

 private:
  static void Detach(LayerNode* node) {
    node->table = nullptr;
    for (const auto& leaf : node->Leaves()) leaf->table = nullptr;
    for (const auto& child : node->Nodes()) Detach(child.Get());
  }

  std::vector<CQEL_SmartPtr<LayerNode>> m_nodes;
  NameIndex<LayerNode> m_nodeIndex;
  NameIndex<LayerLeaf> m_leavesByLongName;
  NameIndex<LayerLeaf> m_leavesByShortName;
  std::multiset<unsigned> m_leafIds;
};

void LayerLeaf::LongName(const std::string& name) {
  HostCall("CQEL_ResourceLayerLeaf::LongName");
  if (table) table->LeafRenamed(this, true, m_longName, name);
  m_longName = name;
}

void LayerLeaf::ShortName(const std::string& name) {
  HostCall("CQEL_ResourceLayerLeaf::ShortName");
  if (table) table->LeafRenamed(this, false, m_shortName, name);
  m_shortName = name;
}

void LayerLeaf::Id(unsigned id) {
  HostCall("CQEL_ResourceLayerLeaf::Id");
  if (table) table->LeafIdChanged(m_id, id);
  m_id = id;
}

LayerNode::~LayerNode() {
  for (const auto& node : m_nodes) node->parent = nullptr;
  for (const auto& leaf : m_leaves) leaf->parent = nullptr;
}

void LayerNode::LongName(const std::string& name) {
  HostCall("CQEL_ResourceLayerNode::LongName");
  if (parent) {
    parent->ChildRenamed(this, m_longName, name);
  } else if (table) {
    table->TopNodeRenamed(this, m_longName, name);
  }
  m_longName = name;
}

// The stand-in's own node behind an interface pointer that may be added to a
// tree; throws for a null pointer, a foreign object or one already placed.
LayerNode* PlaceableNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) {
  if (!node) standin_internal::ThrowAppException("A missing layer node cannot be added");
  auto* own = dynamic_cast<LayerNode*>(node.Get());
  if (!own) standin_internal::ThrowAppException("The layer node is not one of the host's");
  if (own->parent || own->table) standin_internal::ThrowAppException("The layer node is already in a layer table");
  return own;
}

void LayerNode::AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) {
  HostCall("CQEL_ResourceLayerNode::AddNewLayerNode");
  LayerNode* child = PlaceableNode(node);
  if (child == this) standin_internal::ThrowAppException("A layer node cannot hold itself");
  for (LayerNode* above = parent; above; above = above->parent) {
    if (above == child) standin_internal::ThrowAppException("A layer node cannot hold a node above it");
  }
  child->parent = this;
  m_nodes.emplace_back(child);
  m_nodeIndex.Add(child->LongName(), child);
  if (table) table->Attach(child);
}

void LayerNode::AddNewLayerLeaf(const CQEL_SmartPtr<CQEL_ResourceLayerLeaf>& leaf) {
  HostCall("CQEL_ResourceLayerNode::AddNewLayerLeaf");
  if (!leaf) standin_internal::ThrowAppException("A missing layer leaf cannot be added");
  auto* own = dynamic_cast<LayerLeaf*>(leaf.Get());
  if (!own) standin_internal::ThrowAppException("The layer leaf is not one of the host's");
  if (own->parent) standin_internal::ThrowAppException("The layer leaf is already in a layer node");
  own->parent = this;
  m_leaves.emplace_back(own);
  if (table) table->AttachLeaf(own);
}

void LayerTable::AddNewLayerNode(const CQEL_SmartPtr<CQEL_ResourceLayerNode>& node) {
  HostCall("CQEL_ResourceLayerTable::AddNewLayerNode");
  LayerNode* top = PlaceableNode(node);
  m_nodes.emplace_back(top);
  m_nodeIndex.Add(top->LongName(), top);
  Attach(top);
}

class ResourceBuffer final : public Named<CQEL_ResourceBuffer> {
 public:
  CQEL_SmartPtr<LayerTable> table{new LayerTable};
};

struct HostResources {
  CQEL_SmartPtr<ResourceBuffer> buffer{new ResourceBuffer};
  std::string file;  // "" when the table lives in memory only
  unsigned saves = 0;
  unsigned activeLayer = 0;
};

HostResources& Resources() {
  static HostResources resources;
  return resources;
}

// ---- JSON file ------------------------------------------------------------

constexpr int kMaxNodeDepth = 256;

Json NodeToJson(const LayerNode& node) {
  Json leaves = Json::array();
  for (const auto& leaf : node.Leaves()) {
    leaves.push_back({{"id", leaf->OwnId()},
                      {"long", leaf->LongName()},
                      {"short", leaf->ShortName()},
                      {"userDefined", leaf->UserDefinedLayerDef()},
                      {"config", static_cast<int>(leaf->LayerConfigurationSetting())},
                      {"styleDef", !leaf->StyleDef().IsNull()}});
  }
  Json nodes = Json::array();
  for (const auto& child : node.Nodes()) nodes.push_back(NodeToJson(*child));
  return {{"long", node.LongName()}, {"short", node.ShortName()}, {"nodes", nodes}, {"leaves", leaves}};
}

Json TableToJson(const LayerTable& table) {
  Json nodes = Json::array();
  for (const auto& node : table.Nodes()) nodes.push_back(NodeToJson(*node));
  return {{"layerTable", 1}, {"nodes", nodes}};
}

std::string TextField(const Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end()) return "";
  if (!it->is_string()) throw std::runtime_error(std::string("\"") + key + "\" is not a text");
  return it->get<std::string>();
}

const Json& ArrayField(const Json& object, const char* key) {
  static const Json empty = Json::array();
  auto it = object.find(key);
  if (it == object.end()) return empty;
  if (!it->is_array()) throw std::runtime_error(std::string("\"") + key + "\" is not a list");
  return *it;
}

CQEL_SmartPtr<LayerNode> NodeFromJson(const Json& json, int depth) {
  if (depth > kMaxNodeDepth) throw std::runtime_error("layer nodes nested too deeply");
  if (!json.is_object()) throw std::runtime_error("a layer node is not an object");
  CQEL_SmartPtr<LayerNode> node(new LayerNode);
  node->LongName(TextField(json, "long"));
  node->ShortName(TextField(json, "short"));
  for (const Json& leafJson : ArrayField(json, "leaves")) {
    if (!leafJson.is_object()) throw std::runtime_error("a layer leaf is not an object");
    CQEL_SmartPtr<LayerLeaf> leaf(new LayerLeaf);
    const Json& id = leafJson.value("id", Json(0u));
    if (!id.is_number_unsigned() || id.get<std::uint64_t>() > 0xFFFFFFFFu) {
      throw std::runtime_error("a layer leaf's id is not an unsigned 32-bit number");
    }
    leaf->Id(id.get<unsigned>());
    leaf->LongName(TextField(leafJson, "long"));
    leaf->ShortName(TextField(leafJson, "short"));
    leaf->UserDefinedLayerDef(leafJson.value("userDefined", false));
    const int config = leafJson.value("config", 0);
    if (config < 0 || config > 2) throw std::runtime_error("a layer leaf's config is not 0, 1 or 2");
    leaf->LayerConfigurationSetting(static_cast<QEL_LAYER_CONFIGURATION_SETTING>(config));
    if (leafJson.value("styleDef", false)) {
      leaf->StyleDef(CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>(new LayerLineStyleLinkDef));
    }
    node->AddNewLayerLeaf(Share<CQEL_ResourceLayerLeaf>(leaf.Get()));
  }
  for (const Json& childJson : ArrayField(json, "nodes")) {
    CQEL_SmartPtr<LayerNode> child = NodeFromJson(childJson, depth + 1);
    node->AddNewLayerNode(Share<CQEL_ResourceLayerNode>(child.Get()));
  }
  return node;
}

CQEL_SmartPtr<LayerTable> TableFromJson(const Json& json) {
  if (!json.is_object()) throw std::runtime_error("the file holds no layer table");
  CQEL_SmartPtr<LayerTable> table(new LayerTable);
  for (const Json& nodeJson : ArrayField(json, "nodes")) {
    CQEL_SmartPtr<LayerNode> node = NodeFromJson(nodeJson, 1);
    table->AddNewLayerNode(Share<CQEL_ResourceLayerNode>(node.Get()));
  }
  return table;
}

bool WriteTable(const LayerTable& table, const std::string& path, std::string* error) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << TableToJson(table).dump(2) << '\n';
    if (!out) {
      if (error) *error = "cannot write " + temporary;
      return false;
    }
  }
  std::error_code code;
  std::filesystem::rename(temporary, path, code);
  if (code) {
    if (error) *error = "cannot replace " + path + ": " + code.message();
    return false;
  }
  return true;
}

LayerTable* OwnTable(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  return dynamic_cast<LayerTable*>(table.Get());
}

void ListNode(const LayerNode& node, std::vector<std::string>& path, std::vector<standin::LayerLeafEntry>& out) {
  path.push_back(node.LongName());
  for (const auto& leaf : node.Leaves()) {
    out.push_back(standin::LayerLeafEntry{Share<CQEL_ResourceLayerLeaf>(leaf.Get()), path});
  }
  for (const auto& child : node.Nodes()) ListNode(*child, path, out);
  path.pop_back();
}

}  // namespace

// ---- Class names and factories --------------------------------------------

const char* CQEL_ResourceBuffer::GetStaticClassName() { return "CQEL_ResourceBuffer"; }
const char* CQEL_ResourceLineStyleLinkDef::GetStaticClassName() { return "CQEL_ResourceLineStyleLinkDef"; }
const char* CQEL_ResourceLayerComponent::GetStaticClassName() { return "CQEL_ResourceLayerComponent"; }
const char* CQEL_ResourceLayerLeaf::GetStaticClassName() { return "CQEL_ResourceLayerLeaf"; }
const char* CQEL_ResourceLayerNode::GetStaticClassName() { return "CQEL_ResourceLayerNode"; }
const char* CQEL_ResourceLayerTable::GetStaticClassName() { return "CQEL_ResourceLayerTable"; }
const char* CQEL_Service_TessaroResources::GetStaticClassName() { return "CQEL_Service_TessaroResources"; }
const char* CQEL_Service_LayerResources::GetStaticClassName() { return "CQEL_Service_LayerResources"; }

CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> CQEL_ResourceLineStyleLinkDef::CreateObj() {
  HostCall("CQEL_ResourceLineStyleLinkDef::CreateObj");
  return standin_internal::AsInterface<CQEL_ResourceLineStyleLinkDef>(Make<LayerLineStyleLinkDef>());
}

CQEL_SmartPtr<CQEL_ResourceLayerLeaf> CQEL_ResourceLayerLeaf::CreateObj() {
  HostCall("CQEL_ResourceLayerLeaf::CreateObj");
  return standin_internal::AsInterface<CQEL_ResourceLayerLeaf>(Make<LayerLeaf>());
}

CQEL_SmartPtr<CQEL_ResourceLayerNode> CQEL_ResourceLayerNode::CreateObj() {
  HostCall("CQEL_ResourceLayerNode::CreateObj");
  return standin_internal::AsInterface<CQEL_ResourceLayerNode>(Make<LayerNode>());
}

// ---- Services -------------------------------------------------------------

CQEL_SmartPtr<CQEL_ResourceBuffer> CQEL_Service_TessaroResources::GetResourceBuffer() {
  HostCall("CQEL_Service_TessaroResources::GetResourceBuffer");
  return Share<CQEL_ResourceBuffer>(Resources().buffer.Get());
}

CQEL_SmartPtr<CQEL_ResourceLayerTable> CQEL_Service_LayerResources::GetTable(
    const CQEL_SmartPtr<CQEL_ResourceBuffer>& buffer) {
  HostCall("CQEL_Service_LayerResources::GetTable");
  auto* own = dynamic_cast<ResourceBuffer*>(buffer.Get());
  if (!own) return CQEL_SmartPtr<CQEL_ResourceLayerTable>();
  return Share<CQEL_ResourceLayerTable>(own->table.Get());
}

unsigned CQEL_Service_LayerResources::GetNextFreeLayerLeafId(const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  HostCall("CQEL_Service_LayerResources::GetNextFreeLayerLeafId");
  const LayerTable* own = OwnTable(table);
  return own ? own->NextFreeLeafId() : 1;
}

bool CQEL_Service_LayerResources::SaveTable(const CQEL_SmartPtr<CQEL_ResourceBuffer>& buffer,
                                           const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table) {
  HostCall("CQEL_Service_LayerResources::SaveTable");
  HostResources& resources = Resources();
  ++resources.saves;
  const LayerTable* own = OwnTable(table);
  if (!own || !dynamic_cast<ResourceBuffer*>(buffer.Get())) return false;
  if (resources.file.empty()) return true;
  return WriteTable(*own, resources.file, nullptr);
}

unsigned CQEL_Service_LayerResources::GetActiveLayer() {
  HostCall("CQEL_Service_LayerResources::GetActiveLayer");
  return Resources().activeLayer;
}

// ---- Controls -------------------------------------------------------------

namespace standin {

bool UseLayerTableFile(const std::string& path, std::string* error) {
  HostResources& resources = Resources();
  resources.file = path;
  std::error_code code;
  if (!std::filesystem::exists(path, code)) return true;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the file");
    resources.buffer->table = TableFromJson(Json::parse(in));
    return true;
  } catch (const std::exception& e) {
    resources.buffer->table = CQEL_SmartPtr<LayerTable>(new LayerTable);
    if (error) *error = path + ": " + e.what();
    return false;
  }
}

bool WriteLayerTableFile(const std::string& path, std::string* error) {
  return WriteTable(*Resources().buffer->table, path, error);
}

void ResetLayerTable() {
  HostResources& resources = Resources();
  resources.buffer->table = CQEL_SmartPtr<LayerTable>(new LayerTable);
  resources.file.clear();
  resources.saves = 0;
}

unsigned SaveTableCount() { return Resources().saves; }

void SetActiveLayer(unsigned id) { Resources().activeLayer = id; }

std::vector<LayerLeafEntry> ListLayerLeaves() {
  std::vector<LayerLeafEntry> entries;
  std::vector<std::string> path;
  for (const auto& node : Resources().buffer->table->Nodes()) ListNode(*node, path, entries);
  return entries;
}

}  // namespace standin
