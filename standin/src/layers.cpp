// The host's layer table: a tree of nodes and leaves with name indexes, the
// services that hand it out, and its JSON file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <unordered_map>
#include <utility>

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
  void StyleDef(const CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>& style) override;
  CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef> StyleDef() const override { return m_style; }
  void UserDefinedLayerDef(bool userDefined) override;
  bool UserDefinedLayerDef() const override { return m_userDefined; }
  void LayerConfigurationSetting(QEL_LAYER_CONFIGURATION_SETTING setting) override;
  QEL_LAYER_CONFIGURATION_SETTING LayerConfigurationSetting() const override { return m_setting; }

  LayerTable* table = nullptr;  // the table it is in, through its node
  LayerNode* parent = nullptr;
  unsigned serial = 0;          // its number in the table's journal; 0 before it joins a table
  bool changed = false;         // changed since the table was last saved

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
  void ShortName(const std::string& name) override;
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
  unsigned serial = 0;          // its number in the table's journal; 0 before it joins a table
  bool changed = false;         // changed since the table was last saved

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

  // Takes a subtree that was added below one of the table's nodes. Items
  // are numbered in the order they join, a node before its leaves and its
  // leaves before its nodes: the order in which the table file lists them,
  // so that a table read back numbers its items as the one that wrote it.
  void Attach(LayerNode* node) {
    node->table = this;
    if (!node->serial) node->serial = ++m_lastSerial;
    Changed(node);
    for (const auto& leaf : node->Leaves()) AttachLeaf(leaf.Get());
    for (const auto& child : node->Nodes()) Attach(child.Get());
  }
  void AttachLeaf(LayerLeaf* leaf) {
    leaf->table = this;
    if (!leaf->serial) leaf->serial = ++m_lastSerial;
    Changed(leaf);
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

  // What changed since the last save, in the order it first changed: a new
  // node is listed before what it holds.
  void Changed(LayerNode* node) {
    if (!node->changed) m_changedItems.push_back({node, nullptr});
    node->changed = true;
  }
  void Changed(LayerLeaf* leaf) {
    if (!leaf->changed) m_changedItems.push_back({nullptr, leaf});
    leaf->changed = true;
  }
  struct ChangedItem {
    LayerNode* node;
    LayerLeaf* leaf;
  };
  // Hands the list of changes over and starts a new one.
  std::vector<ChangedItem> TakeChanges() {
    for (const ChangedItem& item : m_changedItems) {
      if (item.node) item.node->changed = false;
      if (item.leaf) item.leaf->changed = false;
    }
    return std::exchange(m_changedItems, {});
  }
  // The saved state: nothing changed since.
  void ForgetChanges() { TakeChanges(); }
  // Numbers every item as reading the table file back would.
  void Renumber() {
    m_lastSerial = 0;
    for (const auto& node : m_nodes) Renumber(node.Get());
  }

  unsigned generation = 0;  // how often the table file was rewritten

 private:
  void Renumber(LayerNode* node) {
    node->serial = ++m_lastSerial;
    for (const auto& leaf : node->Leaves()) leaf->serial = ++m_lastSerial;
    for (const auto& child : node->Nodes()) Renumber(child.Get());
  }
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
  unsigned m_lastSerial = 0;
  std::vector<ChangedItem> m_changedItems;
};

void LayerLeaf::LongName(const std::string& name) {
  HostCall("CQEL_ResourceLayerLeaf::LongName");
  if (table) table->LeafRenamed(this, true, m_longName, name), table->Changed(this);
  m_longName = name;
}

void LayerLeaf::ShortName(const std::string& name) {
  HostCall("CQEL_ResourceLayerLeaf::ShortName");
  if (table) table->LeafRenamed(this, false, m_shortName, name), table->Changed(this);
  m_shortName = name;
}

void LayerLeaf::Id(unsigned id) {
  HostCall("CQEL_ResourceLayerLeaf::Id");
  if (table) table->LeafIdChanged(m_id, id), table->Changed(this);
  m_id = id;
}

void LayerLeaf::StyleDef(const CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>& style) {
  HostCall("CQEL_ResourceLayerLeaf::StyleDef");
  if (table) table->Changed(this);
  m_style = style;
}

void LayerLeaf::UserDefinedLayerDef(bool userDefined) {
  HostCall("CQEL_ResourceLayerLeaf::UserDefinedLayerDef");
  if (table) table->Changed(this);
  m_userDefined = userDefined;
}

void LayerLeaf::LayerConfigurationSetting(QEL_LAYER_CONFIGURATION_SETTING setting) {
  HostCall("CQEL_ResourceLayerLeaf::LayerConfigurationSetting");
  if (table) table->Changed(this);
  m_setting = setting;
}

void LayerNode::ShortName(const std::string& name) {
  if (table) table->Changed(this);
  m_shortName = name;
}

LayerNode::~LayerNode() {
  for (const auto& node : m_nodes) node->parent = nullptr;
  for (const auto& leaf : m_leaves) leaf->parent = nullptr;
}

void LayerNode::LongName(const std::string& name) {
  HostCall("CQEL_ResourceLayerNode::LongName");
  if (table) table->Changed(this);
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
  std::ofstream journal;  // open from the first save with changes until the journal is folded
  bool journalFailed = false;  // a save's changes could not be appended: the file misses them
  unsigned saves = 0;
  unsigned activeLayer = 0;
};

HostResources& Resources() {
  static HostResources resources;
  return resources;
}

// ---- JSON file ------------------------------------------------------------

constexpr int kMaxNodeDepth = 256;

Json LeafToJson(const LayerLeaf& leaf) {
  return {{"id", leaf.OwnId()},
          {"long", leaf.LongName()},
          {"short", leaf.ShortName()},
          {"userDefined", leaf.UserDefinedLayerDef()},
          {"config", static_cast<int>(leaf.LayerConfigurationSetting())},
          {"styleDef", !leaf.StyleDef().IsNull()}};
}

Json NodeToJson(const LayerNode& node) {
  Json leaves = Json::array();
  for (const auto& leaf : node.Leaves()) leaves.push_back(LeafToJson(*leaf));
  Json nodes = Json::array();
  for (const auto& child : node.Nodes()) nodes.push_back(NodeToJson(*child));
  return {{"long", node.LongName()}, {"short", node.ShortName()}, {"nodes", nodes}, {"leaves", leaves}};
}

Json TableToJson(const LayerTable& table) {
  Json nodes = Json::array();
  for (const auto& node : table.Nodes()) nodes.push_back(NodeToJson(*node));
  return {{"layerTable", 1}, {"generation", table.generation}, {"nodes", nodes}};
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

unsigned UnsignedField(const Json& object, const char* key) {
  const Json& value = object.value(key, Json(0u));
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > 0xFFFFFFFFu) {
    throw std::runtime_error(std::string("\"") + key + "\" is not an unsigned 32-bit number");
  }
  return value.get<unsigned>();
}

void LeafFromJson(const Json& leafJson, LayerLeaf& leaf) {
  if (!leafJson.is_object()) throw std::runtime_error("a layer leaf is not an object");
  leaf.Id(UnsignedField(leafJson, "id"));
  leaf.LongName(TextField(leafJson, "long"));
  leaf.ShortName(TextField(leafJson, "short"));
  leaf.UserDefinedLayerDef(leafJson.value("userDefined", false));
  const int config = leafJson.value("config", 0);
  if (config < 0 || config > 2) throw std::runtime_error("a layer leaf's config is not 0, 1 or 2");
  leaf.LayerConfigurationSetting(static_cast<QEL_LAYER_CONFIGURATION_SETTING>(config));
  leaf.StyleDef(leafJson.value("styleDef", false)
                    ? CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>(new LayerLineStyleLinkDef)
                    : CQEL_SmartPtr<CQEL_ResourceLineStyleLinkDef>());
}

CQEL_SmartPtr<LayerNode> NodeFromJson(const Json& json, int depth) {
  if (depth > kMaxNodeDepth) throw std::runtime_error("layer nodes nested too deeply");
  if (!json.is_object()) throw std::runtime_error("a layer node is not an object");
  CQEL_SmartPtr<LayerNode> node(new LayerNode);
  node->LongName(TextField(json, "long"));
  node->ShortName(TextField(json, "short"));
  for (const Json& leafJson : ArrayField(json, "leaves")) {
    CQEL_SmartPtr<LayerLeaf> leaf(new LayerLeaf);
    LeafFromJson(leafJson, *leaf);
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
  table->generation = UnsignedField(json, "generation");
  for (const Json& nodeJson : ArrayField(json, "nodes")) {
    CQEL_SmartPtr<LayerNode> node = NodeFromJson(nodeJson, 1);
    table->AddNewLayerNode(Share<CQEL_ResourceLayerNode>(node.Get()));
  }
  table->ForgetChanges();
  return table;
}

// ---- The journal ----------------------------------------------------------
//
// A save appends what changed since the last one to "<file>.journal", one
// JSON line per node or leaf under its number in the table, so that saving
// costs what changed, not the whole table, and a save that returned is on
// disk even when the process dies right after it. When the session ends the
// journal is folded into the table file (written anew, one generation on)
// and removed; a journal found beside a table file of the generation it
// starts from is replayed and folded when the file is next used.

std::string JournalPath(const std::string& file) { return file + ".journal"; }

Json ChangeToJson(const LayerTable::ChangedItem& item) {
  if (item.node) {
    const LayerNode& node = *item.node;
    return {{"node", node.serial}, {"in", node.parent ? node.parent->serial : 0u},
            {"long", node.LongName()}, {"short", node.ShortName()}};
  }
  Json line = LeafToJson(*item.leaf);
  line["leaf"] = item.leaf->serial;
  line["in"] = item.leaf->parent ? item.leaf->parent->serial : 0u;
  return line;
}

bool AppendChanges(HostResources& resources, LayerTable& table) {
  const std::vector<LayerTable::ChangedItem> changes = table.TakeChanges();
  if (changes.empty()) return true;
  if (!resources.journal.is_open()) {
    resources.journal.open(JournalPath(resources.file), std::ios::binary | std::ios::trunc);
    resources.journal << Json{{"journal", 1}, {"generation", table.generation}}.dump() << '\n';
  }
  std::string lines;
  for (const LayerTable::ChangedItem& item : changes) lines += ChangeToJson(item).dump() + '\n';
  resources.journal << lines << std::flush;
  if (!resources.journal) resources.journalFailed = true;
  return static_cast<bool>(resources.journal);
}

// Applies a journal's lines to the table it was written against.
void ReplayJournal(std::istream& in, LayerTable& table) {
  std::unordered_map<unsigned, LayerNode*> nodes;
  std::unordered_map<unsigned, LayerLeaf*> leaves;
  std::vector<LayerNode*> stack;
  for (const auto& top : table.Nodes()) stack.push_back(top.Get());
  while (!stack.empty()) {
    LayerNode* node = stack.back();
    stack.pop_back();
    nodes[node->serial] = node;
    for (const auto& leaf : node->Leaves()) leaves[leaf->serial] = leaf.Get();
    for (const auto& child : node->Nodes()) stack.push_back(child.Get());
  }
  std::string text;
  while (std::getline(in, text)) {
    // A line cut short by the end of the process is a save that never returned.
    const Json line = Json::parse(text, nullptr, false);
    if (!line.is_object()) break;
    const unsigned in = UnsignedField(line, "in");
    LayerNode* parent = in ? nodes[in] : nullptr;
    if (in && !parent) throw std::runtime_error("the layer journal names a node the table does not hold");
    if (line.contains("node")) {
      LayerNode*& node = nodes[UnsignedField(line, "node")];
      if (!node) {
        CQEL_SmartPtr<LayerNode> added(new LayerNode);
        if (parent) {
          parent->AddNewLayerNode(Share<CQEL_ResourceLayerNode>(added.Get()));
        } else {
          table.AddNewLayerNode(Share<CQEL_ResourceLayerNode>(added.Get()));
        }
        node = added.Get();
      }
      node->LongName(TextField(line, "long"));
      node->ShortName(TextField(line, "short"));
    } else if (line.contains("leaf")) {
      if (!parent) throw std::runtime_error("the layer journal has a leaf outside every node");
      LayerLeaf*& leaf = leaves[UnsignedField(line, "leaf")];
      if (!leaf) {
        CQEL_SmartPtr<LayerLeaf> added(new LayerLeaf);
        parent->AddNewLayerLeaf(Share<CQEL_ResourceLayerLeaf>(added.Get()));
        leaf = added.Get();
      }
      LeafFromJson(line, *leaf);
    }
  }
  table.ForgetChanges();
}

bool WriteTable(const LayerTable& table, const std::string& path, std::string* error);

// Writes the table file anew with what the journal holds and removes the
// journal; the file names its new generation, so that a journal left
// behind by a process that died in between is known as folded already.
bool FoldJournal(HostResources& resources, std::string* error) {
  if (resources.file.empty()) return true;
  const std::string journal = JournalPath(resources.file);
  if (resources.journalFailed) {
    resources.journalFailed = false;
    resources.journal.close();
    if (error) *error = "cannot write " + journal;
    return false;
  }
  std::error_code code;
  if (!resources.journal.is_open() && !std::filesystem::exists(journal, code)) return true;
  resources.journal.close();
  LayerTable& table = *resources.buffer->table;
  ++table.generation;
  if (!WriteTable(table, resources.file, error)) return false;
  std::filesystem::remove(journal, code);
  table.Renumber();
  return true;
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
  LayerTable* own = OwnTable(table);
  if (!own || !dynamic_cast<ResourceBuffer*>(buffer.Get())) return false;
  if (resources.file.empty()) {
    own->ForgetChanges();
    return true;
  }
  if (own != resources.buffer->table.Get()) return WriteTable(*own, resources.file, nullptr);
  return AppendChanges(resources, *own);
}

unsigned CQEL_Service_LayerResources::GetActiveLayer() {
  HostCall("CQEL_Service_LayerResources::GetActiveLayer");
  return Resources().activeLayer;
}

// ---- Controls -------------------------------------------------------------

namespace standin {

bool UseLayerTableFile(const std::string& path, std::string* error) {
  HostResources& resources = Resources();
  FoldJournal(resources, nullptr);
  resources.file = path;
  std::error_code code;
  const bool tableFile = std::filesystem::exists(path, code);
  resources.buffer->table = CQEL_SmartPtr<LayerTable>(new LayerTable);
  try {
    if (tableFile) {
      std::ifstream in(path, std::ios::binary);
      if (!in) throw std::runtime_error("cannot open the file");
      resources.buffer->table = TableFromJson(Json::parse(in));
    }
    // What a session that ended before folding its journal had saved.
    std::ifstream journal(JournalPath(path), std::ios::binary);
    if (!journal) return true;
    std::string head;
    std::getline(journal, head);
    const Json start = Json::parse(head, nullptr, false);
    if (start.is_object() && start.value("generation", Json(-1)) == Json(resources.buffer->table->generation)) {
      ReplayJournal(journal, *resources.buffer->table);
    }
    journal.close();
    return FoldJournal(resources, error);
  } catch (const std::exception& e) {
    resources.buffer->table = CQEL_SmartPtr<LayerTable>(new LayerTable);
    if (error) *error = path + ": " + e.what();
    return false;
  }
}

bool CloseLayerTableFile(std::string* error) {
  HostResources& resources = Resources();
  const bool folded = FoldJournal(resources, error);
  resources.file.clear();
  return folded;
}

bool WriteLayerTableFile(const std::string& path, std::string* error) {
  return WriteTable(*Resources().buffer->table, path, error);
}

void ResetLayerTable() {
  HostResources& resources = Resources();
  FoldJournal(resources, nullptr);
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
