// The node framework of the scene model: list nodes with their two base
// chunks, owning node lists (root lists) that create their children from
// chunk ids, and typed iteration over lists.
//
// Reading dispatches base-first: every Read offers the chunk to its base
// class's Read, handles the ids it knows, and returns false for the rest,
// which the file's chunk loop skips. A payload grows with the chunk level:
// a higher level carries every value of the lower ones, then more.
#pragma once
#include <cstdint>
#include <string>

#include "c4d_string.h"
#include "ge_alias.h"
#include "ge_chunk_file.h"
#include "ge_container.h"
#include "ge_tool_list.h"

class C4DBaseList2D;
class C4DSceneFactory;

// Chunk ids read by the framework.
enum : int32_t {
  CHUNK_NODE = 110069,       // node words and goal of every list node
  CHUNK_BASE_LIST = 110050,  // name, containers, goal and layer link
  CHUNK_SHADERS = 110131,    // the node's shader list
  CHUNK_LIST = 110100,       // the content of a list (may nest)
};

// Node bit tested by the document traversal for marked caches.
constexpr int32_t kNodeBitCacheMarked = 0x200;

// Range-for over the real nodes of an intrusive list, typed as T.
//   for (C4DBaseObject* object : list->Objects()) ...
template <class T>
class C4DNodeRange {
 public:
  class iterator {
   public:
    iterator(const GeToolList2D* list, GeToolNode2D* node) : list_(list), node_(node) {}
    T* operator*() const { return static_cast<T*>(node_); }
    iterator& operator++() {
      node_ = list_->GetNext(node_);
      return *this;
    }
    bool operator!=(const iterator& other) const { return node_ != other.node_; }
    bool operator==(const iterator& other) const { return node_ == other.node_; }

   private:
    const GeToolList2D* list_;
    GeToolNode2D* node_;
  };
  explicit C4DNodeRange(const GeToolList2D* list) : list_(list) {}
  iterator begin() const { return iterator(list_, list_ ? list_->GetFirst() : nullptr); }
  iterator end() const { return iterator(list_, nullptr); }

 private:
  const GeToolList2D* list_;
};

// Every node that sits in a scene list: a goal that links can point at.
class C4DGeListNode : public PrivateChunk {
 public:
  C4DGeListNode() : goal(this) {}
  // Chunk 110069: words that nothing uses, then the goal from level 2 on.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  GeAliasGoal goal;
};

// An owning list of named nodes. The list deletes every node still in it
// when destroyed; `owner` (the node whose list this is) is never owned.
class C4DRootList2D : public PrivateChunk {
 public:
  C4DRootList2D() = default;
  ~C4DRootList2D() override;
  // Chunk 110100: its content continues this same list.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // A new, empty node for a chunk whose id is a type id, or null when the
  // type is not accepted (the chunk is then skipped with its subtree).
  virtual C4DBaseList2D* AllocChild(int32_t typeId);

  C4DBaseList2D* GetFirst() const;
  C4DBaseList2D* GetNext(const C4DBaseList2D* node) const;
  int32_t GetCount() const { return children.GetCount(); }
  bool IsEmpty() const { return children.IsEmpty(); }
  C4DNodeRange<C4DBaseList2D> Nodes() const { return C4DNodeRange<C4DBaseList2D>(&children); }
  // Links `node` at the end; the list owns it from now on.
  void Append(C4DBaseList2D* node);

  // The creation hooks this list hands to the nodes it creates; the library's
  // default factory when null.
  C4DSceneFactory& Factory() const;

  GeTempPublicList2D<C4DBaseList2D> children;
  C4DBaseList2D* owner = nullptr;
  C4DSceneFactory* factory = nullptr;  // not owned
};

// The shaders of one node (chunk 5707 makes a C4DXBaseShader).
class C4DRootShader : public C4DRootList2D {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
};

// A named node: name, parameter containers, layer link, type id, shaders.
class C4DBaseList2D : public C4DGeListNode {
 public:
  C4DBaseList2D() = default;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  // The name as new 0-terminated 8-bit text (caller frees with GeFree), or
  // null when the name is empty.
  char* GetName() const;
  // The same text as a std::string, for callers outside the module.
  std::string GetNameString() const { return name.To8Bit(); }
  void SetName(const char* text) { name.SetFrom8Bit(text, -1); }
  // The node that `layerLink` resolves to when it is a layer, else null.
  class C4DBaseLayer* GetLayer() const;
  // The hooks for lists this node creates; the default factory when null.
  C4DSceneFactory& Factory() const;

  // The typed next node in the same list, or null at the end.
  C4DBaseList2D* GetNextInList() const { return static_cast<C4DBaseList2D*>(GetNextNode()); }

  String name;
  GeAliasLink layerLink;
  int32_t typeId = 0;
  GeContainer data;
  GeContainer auxData;
  C4DRootShader shaders;
  int32_t nodeBits = 0;
  C4DSceneFactory* factory = nullptr;  // not owned; set by the list that creates the node

 protected:
  // The name a node gets when its base-list chunk leaves the name empty;
  // null keeps it empty.
  virtual const char* DefaultName() const { return nullptr; }

 private:
  void ReadBaseListChunk(GeChunkFile& file, int32_t level);
  void ReadNewerBaseListTail(GeChunkFile& file, int32_t level);
};

// The base of objects, layers and materials.
class C4DBaseList4D : public C4DBaseList2D {};

// One shader of a node's shader list.
class C4DXBaseShader : public C4DBaseList2D {
 public:
  static constexpr int32_t kTypeId = 5707;
  static constexpr int32_t kPayloadChunk = 110064;
  // The kind a bitmap shader carries (seen in the bytes).
  static constexpr int32_t kBitmapKind = 5833;
  C4DXBaseShader() { typeId = kTypeId; }
  // Its payload chunk: the kind is kept, a word and a text are dropped.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  int32_t kind = 0;
};
