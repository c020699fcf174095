#include "ge_alias.h"

#include <cstring>
#include <new>

#include "ge_alloc.h"

// ---- goals and bindings ---------------------------------------------------

GeAliasGoal::~GeAliasGoal() { DropLinks(); }

void GeAliasGoal::DropLinks() {
  delete linkList;
  linkList = nullptr;
}

int32_t GeAliasGoal::GetLinkCount() const { return linkList ? linkList->links.GetCount() : 0; }

GeAliasXLink::~GeAliasXLink() { Detach(); }

void GeAliasXLink::Detach() {
  Unlink();
  list = nullptr;
}

GoalLinkList::~GoalLinkList() {
  // The links stay with their owners, merely unbound.
  for (GeAliasXLink* x = links.GetFirst(); x; x = links.GetNext(x)) x->list = nullptr;
  links.DetachAll();
}

void GoalLinkList::PushFront(GeAliasXLink* xlink) {
  xlink->Detach();
  xlink->list = this;
  links.InsertFirst(xlink);
}

GeAliasLink::~GeAliasLink() { delete xlink; }

GeAliasGoal* GeAliasLink::GetGoal() const {
  if (!xlink || !xlink->list) return nullptr;
  return xlink->list->goal;
}

bool GeAliasLink::BindTo(GeAliasGoal& goal) {
  if (!xlink) {
    xlink = GeNew<GeAliasXLink>();
    if (!xlink) return false;
  }
  xlink->Detach();
  if (!goal.linkList) {
    goal.linkList = GeNew<GoalLinkList>(&goal);
    if (!goal.linkList) return false;
  }
  goal.linkList->PushFront(xlink);
  return true;
}

void GeAliasLink::Unbind() {
  if (xlink) xlink->Detach();
}

void GeAliasLink::BindSameGoal(GeAliasLink& other) const {
  if (GeAliasGoal* goal = GetGoal()) {
    other.BindTo(*goal);
  } else {
    other.Unbind();
  }
}

GeLinkValue* GeAliasLink::CloneLink() const {
  GeAliasLink* copy = GeNew<GeAliasLink>();
  if (!copy) return nullptr;
  BindSameGoal(*copy);
  return copy;
}

PrivateChunk* GeAliasLink::ResolveTarget() const { return ResolveLink(*this); }

PrivateChunk* ResolveLink(const GeAliasLink& link) {
  const GeAliasGoal* goal = link.GetGoal();
  return goal ? goal->node : nullptr;
}

// ---- registry ---------------------------------------------------------------

AliasRegistry::~AliasRegistry() { Empty(); }

void AliasRegistry::Empty() {
  index_.clear();
  for (int32_t i = 0; i < entries.count; ++i) delete entries.Get(i);
  entries.FreeAll();
}

TransEntry* AliasRegistry::Find(AliasId id) const {
  auto found = index_.find(id);
  return found == index_.end() ? nullptr : found->second;
}

TransEntry* AliasRegistry::FindOrCreate(AliasId id) {
  if (TransEntry* entry = Find(id)) return entry;
  TransEntry* entry = GeNew<TransEntry>(id);
  if (!entry) return nullptr;
  entry->placeholderLink.BindTo(entry->placeholderGoal);
  if (!entries.Append(entry)) {
    delete entry;
    return nullptr;
  }
  try {
    index_.emplace(id, entry);
  } catch (const std::bad_alloc&) {
    // Without its index entry the id could be created twice: take it back.
    --entries.count;
    delete entry;
    return nullptr;
  }
  return entry;
}

void AliasRegistry::RegisterGoal(AliasId id, GeAliasGoal& goal) {
  goal.DropLinks();
  if (id == 0) return;
  TransEntry* entry = FindOrCreate(id);
  if (!entry) return;
  GeAliasGoal* current = entry->placeholderLink.GetGoal();
  if (!current || !current->linkList || current == &goal) return;
  // Every link waiting on the current goal, the entry's placeholder among
  // them, moves to the new goal, so later links of this id bind to it too.
  // The goal's own list was dropped above, so the whole list changes hands
  // at once: a file that registers one id many times costs no more than one
  // step per goal, however many links wait.
  goal.linkList = current->linkList;
  goal.linkList->goal = &goal;
  current->linkList = nullptr;
}

void AliasRegistry::RegisterLink(AliasId id, GeAliasLink& link) {
  link.Unbind();
  if (id == 0) return;
  TransEntry* entry = FindOrCreate(id);
  if (!entry) return;
  if (GeAliasGoal* current = entry->placeholderLink.GetGoal()) link.BindTo(*current);
}

// ---- file records -----------------------------------------------------------

namespace {

constexpr int32_t kRecordSize = 14;  // six prefix characters and the 8-byte id

AliasId IdFromBytes(const uint8_t* bytes) {
  AliasId id = 0;
  for (int i = 0; i < 8; ++i) id = (id << 8) | bytes[i];
  return id;
}

// Reads a memory value; false only when the file failed. `block` is null
// when the record was empty.
bool ReadRecord(GeChunkFile& file, uint8_t*& block, int32_t& count) {
  block = nullptr;
  count = 0;
  if (file.ReadMemory(block, count)) return true;
  GeFree(block);
  block = nullptr;
  return false;
}

}  // namespace

AliasRegistry* GetAliasRegistry(const GeChunkFile& file) {
  return dynamic_cast<AliasRegistry*>(file.GetRegistry());
}

bool ReadGoalRecord(GeChunkFile& file, GeAliasGoal& goal) {
  uint8_t* block = nullptr;
  int32_t count = 0;
  if (!ReadRecord(file, block, count)) return false;
  if (!block) return true;
  // Only a record of exactly the goal's size names an id; any other one
  // registers the goal under no id, which drops its bindings.
  AliasId id = 0;
  if (count == kRecordSize && std::memcmp(block, "agoal1", 6) == 0) id = IdFromBytes(block + 6);
  GeFree(block);
  if (AliasRegistry* registry = GetAliasRegistry(file)) registry->RegisterGoal(id, goal);
  return true;
}

bool ReadLinkRecord(GeChunkFile& file, GeAliasLink& link) {
  uint8_t* block = nullptr;
  int32_t count = 0;
  if (!ReadRecord(file, block, count)) return false;
  if (!block) return true;
  // Bytes after the id are not ours to interpret.
  const bool wellFormed = count >= kRecordSize && std::memcmp(block, "alias2", 6) == 0;
  const AliasId id = wellFormed ? IdFromBytes(block + 6) : 0;
  GeFree(block);
  if (!wellFormed) return true;
  if (AliasRegistry* registry = GetAliasRegistry(file)) registry->RegisterLink(id, link);
  return true;
}

// ---- link support for the file layer -------------------------------------------

namespace {

class SceneLinkSupport : public GeLinkSupport {
 public:
  GeLinkRegistry* NewRegistry() override { return GeNew<AliasRegistry>(); }

  GeLinkValue* ReadLinkValue(GeChunkFile& file) override {
    GeAliasLink* link = GeNew<GeAliasLink>();
    if (!link) {
      file.SetError(FILEERROR_MEMORY);
      return nullptr;
    }
    if (!ReadLinkRecord(file, *link)) {
      delete link;
      return nullptr;
    }
    return link;
  }
};

}  // namespace

void InstallSceneLinkSupport() {
  static SceneLinkSupport support;
  if (GeChunkFile::GetLinkSupport() != &support) GeChunkFile::InstallLinkSupport(&support);
}
