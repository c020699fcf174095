// Alias links: how one node of a scene refers to another.
//
// In the file a link is an 8-byte id, and the node it names carries the same
// id in its goal record; either may come first. While a file is read, the
// file's AliasRegistry pairs every link with the goal of its id, so that after
// loading a link resolves straight to its node without any lookup, also once
// the file object (and with it the registry) is gone.
//
// Link support must be installed in the file layer before a file is opened:
// C4DBaseDocument's constructor does it, or call InstallSceneLinkSupport().
#pragma once
#include <cstdint>
#include <unordered_map>

#include "ge_alloc.h"
#include "ge_chunk_file.h"
#include "ge_container.h"
#include "ge_tool_list.h"

class GoalLinkList;
class GeAliasLink;

// The 8 id bytes of a goal or link record, as one number (first byte highest).
// Zero stands for no id.
using AliasId = uint64_t;

// The target end of links, embedded in every list node. Destroying a goal
// unbinds every link bound to it.
class GeAliasGoal {
 public:
  explicit GeAliasGoal(PrivateChunk* owner = nullptr) : node(owner) {}
  GeAliasGoal(const GeAliasGoal&) = delete;
  GeAliasGoal& operator=(const GeAliasGoal&) = delete;
  virtual ~GeAliasGoal();

  // Unbinds every link bound to this goal.
  void DropLinks();
  // Number of links bound to this goal (walks the list).
  int32_t GetLinkCount() const;

  PrivateChunk* node;  // the node owning the goal; null for registry placeholders
  GoalLinkList* linkList = nullptr;  // owned; created when the first link binds
};

// One binding: lives in its goal's GoalLinkList, owned by its GeAliasLink.
class GeAliasXLink : public GeTempPublicNode2D<GeAliasXLink> {
 public:
  ~GeAliasXLink() override;
  void Detach();  // out of its list; the link becomes unbound

  GoalLinkList* list = nullptr;
};

// The links bound to one goal. Destroying it detaches them, never frees them.
class GoalLinkList {
 public:
  explicit GoalLinkList(GeAliasGoal* owner) : goal(owner) {}
  GoalLinkList(const GoalLinkList&) = delete;
  GoalLinkList& operator=(const GoalLinkList&) = delete;
  ~GoalLinkList();

  void PushFront(GeAliasXLink* xlink);

  GeAliasGoal* goal;
  GeTempPublicList2D<GeAliasXLink> links;
};

// The source end: embedded in nodes that refer to others (layer and material
// links) and held as the value of link entries in parameter containers.
class GeAliasLink : public GeLinkValue {
 public:
  GeAliasLink() = default;
  GeAliasLink(const GeAliasLink&) = delete;
  GeAliasLink& operator=(const GeAliasLink&) = delete;
  ~GeAliasLink() override;

  // A new link bound to the same goal (unbound when this one is); null when
  // the allocation failed.
  GeLinkValue* CloneLink() const override;
  PrivateChunk* ResolveTarget() const override;

  // Binds `other` to this link's goal; unbinds it when this link is unbound.
  void BindSameGoal(GeAliasLink& other) const;
  // Binds this link to `goal`; false (and unbound) when an allocation failed.
  bool BindTo(GeAliasGoal& goal);
  void Unbind();
  // The goal this link is bound to, or null.
  GeAliasGoal* GetGoal() const;
  bool IsBound() const { return GetGoal() != nullptr; }

  GeAliasXLink* xlink = nullptr;  // owned
};

// The target node of a link, or null when it is unbound or its goal is a
// placeholder that never met its node.
PrivateChunk* ResolveLink(const GeAliasLink& link);

// One id of the registry. Its placeholder link always marks the goal that
// links of this id are to bind to: first the placeholder goal, later the goal
// of the node read with this id.
struct TransEntry {
  explicit TransEntry(AliasId entryId) : id(entryId) {}
  AliasId id;
  GeAliasGoal placeholderGoal{nullptr};
  GeAliasLink placeholderLink;
};

// The per-file registry that pairs links and goals whatever their order. The
// array keeps the entries in creation order; the index beside it finds an id
// in constant time and, like a scan of the array, yields the first entry with
// that id.
class AliasRegistry : public GeLinkRegistry {
 public:
  AliasRegistry() = default;
  ~AliasRegistry() override;
  void Empty() override;

  // The entry of `id`, made (with its placeholder bound) when there is none;
  // null when an allocation failed.
  TransEntry* FindOrCreate(AliasId id);
  TransEntry* Find(AliasId id) const;
  int32_t GetCount() const { return entries.count; }

  // A goal record with this id was read into `goal`.
  void RegisterGoal(AliasId id, GeAliasGoal& goal);
  // A link record with this id was read into `link`.
  void RegisterLink(AliasId id, GeAliasLink& link);

  GeTempDynArray<TransEntry> entries;

 private:
  // Its nodes are memory for file data: allocated through GeAlloc.
  std::unordered_map<AliasId, TransEntry*, std::hash<AliasId>, std::equal_to<AliasId>,
                     GeStdAllocator<std::pair<const AliasId, TransEntry*>>>
      index_;
};

// Goal and link records of the file (memory values). A record that is not
// well formed registers nothing: a bad goal record only drops the goal's
// existing bindings, a bad link record leaves the link as it was. Both return
// false only when the file's error is set.
bool ReadGoalRecord(GeChunkFile& file, GeAliasGoal& goal);
bool ReadLinkRecord(GeChunkFile& file, GeAliasLink& link);

// The registry of the file when it is one of ours, else null.
AliasRegistry* GetAliasRegistry(const GeChunkFile& file);

// Hands the scene model's registry and link reading to the file layer, so
// that files opened afterwards pair links and read link entries of
// containers. Safe to call any number of times.
void InstallSceneLinkSupport();
