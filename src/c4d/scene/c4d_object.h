// Objects, the nodes of the scene tree: placement, colour, tags, children,
// a parent and two cache lists; plugin objects add a typed object data record
// chosen by a data type id from the file.
#pragma once
#include <cstdint>

#include "c4d_node.h"
#include "c4d_tag.h"

class C4DRootObject;
class C4DPluginObjectData;

// Object type ids (chunk ids of object chunks and typeId values).
enum : int32_t {
  OBJECT_POLYGON = 5100,
  OBJECT_SPLINE = 5101,
  OBJECT_LIGHT = 5102,
  OBJECT_CAMERA = 5103,
  OBJECT_FLOOR = 5104,
  OBJECT_SKY = 5105,
  OBJECT_ENVIRONMENT = 5106,
  OBJECT_FOREGROUND = 5121,
  OBJECT_BACKGROUND = 5122,
  OBJECT_INSTANCE = 5126,
  OBJECT_SPLINE_LINE = 5137,
  OBJECT_NULL = 5140,
  OBJECT_PRIMITIVE = 5141,
  OBJECT_PLUGIN = 5154,
  OBJECT_BASE = 5155,
  OBJECT_PLUGIN_POLYGON = 1001091,
};

// Chunk ids read by objects.
enum : int32_t {
  CHUNK_OBJECT = 110052,       // placement, colour, caches
  CHUNK_OBJECT_TAGS = 110108,  // the tag list
  CHUNK_OBJECT_DATA = 110064,  // data type id and the data's own payload
  CHUNK_OBJECT_LIST = 110063,  // a wrapper whose content continues an object list
  // Newer variant: a list of objects a generator keeps beside its children
  // (its output, where the file stores one); read as its fallback cache.
  CHUNK_NEWER_GENERATED = 300000117,
};

// Payload layouts change at these file versions.
constexpr int32_t kNewLayoutVersion = 7500;
constexpr int32_t kFourteenChannelVersion = 9400;

// The library's display name of a type id; "Unbekannter Typ" for others.
const char* C4DTypeName(int32_t typeId);

// A * B: B applied first. Sums are formed in double, stored as float.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
Matrix64 MatrixMultiply64(const Matrix64& a, const Matrix64& b);

class C4DBaseObject : public C4DBaseList4D {
 public:
  C4DBaseObject();
  ~C4DBaseObject() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // 1 when the object was dealt with; 0 lets the traversal convert its
  // fallback cache instead.
  virtual int32_t Execute() { return 0; }

  // Local matrix: axisMatrix with its axes scaled by `scale`, at `position`.
  Matrix GetMl() const;
  // Global matrix: the local matrices of all ancestors applied in turn.
  Matrix GetMg() const;
  // The same in double precision: a newer file's stored matrices as read, a
  // classic object's matrix widened.
  Matrix64 GetMl64() const;
  Matrix64 GetMg64() const;
  // First tag of the type, or null.
  C4DBaseTag* GetTag(int32_t tagTypeId) const;
  // The layer that `layerLink` resolves to, or null.
  using C4DBaseList2D::GetLayer;

  C4DBaseObject* GetParent() const { return parent; }
  C4DBaseObject* GetNext() const { return static_cast<C4DBaseObject*>(GetNextInList()); }
  C4DRootObject* GetChildList() const { return childList; }
  // First child, first node of each cache; null when the list is absent or empty.
  C4DBaseObject* GetFirstChild() const;
  C4DBaseObject* GetFirstOverride() const;
  C4DBaseObject* GetFirstFallback() const;

  // The three state words of the object chunk: editor and render visibility
  // (2 as the parent, 0 on, 1 off) and the disabled switch (1 disabled).
  enum ObjectVisibility : int32_t { VISIBILITY_ON = 0, VISIBILITY_OFF = 1, VISIBILITY_PARENT = 2 };
  int32_t editorVisibility = VISIBILITY_PARENT;
  int32_t renderVisibility = VISIBILITY_PARENT;
  bool disabled = false;
  // Resolved through the parents (an object in a cache: through the cache's owner): hidden when the nearest value that is not "as the parent" is off; a top-level "as parent" is visible.
  bool IsHiddenInEditor() const;
  bool IsDisabledInTree() const;   // itself or any ancestor disabled

  Vector position{0.0f, 0.0f, 0.0f};
  Vector rotation{0.0f, 0.0f, 0.0f};
  Vector scale{1.0f, 1.0f, 1.0f};
  Matrix axisMatrix;
  C4DRootTag tags;
  C4DRootObject* childList = nullptr;  // owned
  C4DBaseObject* parent = nullptr;     // not owned
  Vector color{1.0f, 1.0f, 1.0f};
  int32_t useColor = 0;
  C4DRootObject* overrideCache = nullptr;  // owned
  C4DRootObject* fallbackCache = nullptr;  // owned
  // A newer file's local matrix, made in double precision from its position,
  // rotation and scale as read (see ReadNewerObjectChunk); classic objects
  // have none and keep the classic GetMl.
  Matrix64 wideMl;
  bool hasWideMl = false;

 private:
  bool ReadNewerObjectChunk(GeChunkFile& file, int32_t level);
  bool ReadObjectChunk(GeChunkFile& file, int32_t level);
  bool ReadOldObjectChunk(GeChunkFile& file, int32_t level);
  bool ReadCache(GeChunkFile& file, C4DRootObject*& cache, bool nestedChunk = true);
  void ReadStateWords(GeChunkFile& file);
  bool ReadChildren(GeChunkFile& file);
  C4DRootObject* NewOwnedList();
};

// A list of objects: the document's, an object's children, or a cache.
// The library's class accepts no object type; lists of the default factory
// (C4DDefaultRootObject) and of the conversion module accept theirs.
class C4DRootObject : public C4DRootList2D {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  C4DBaseObject* AllocChild(int32_t typeId) override { (void)typeId; return nullptr; }

  C4DBaseObject* GetOwnerObject() const;
  C4DBaseObject* GetFirstObject() const { return static_cast<C4DBaseObject*>(GetFirst()); }
  C4DNodeRange<C4DBaseObject> Objects() const { return C4DNodeRange<C4DBaseObject>(&children); }

 private:
  C4DBaseObject* NewChild(GeChunkFile& file, int32_t chunkId);
};

// The library's own object list: asks its factory's NewObject for each chunk.
class C4DDefaultRootObject : public C4DRootObject {
 public:
  C4DBaseObject* AllocChild(int32_t typeId) override;
};

// An object whose behaviour lies in its object data record.
class C4DPluginObject : public C4DBaseObject {
 public:
  explicit C4DPluginObject(int32_t objectTypeId) { typeId = objectTypeId; }
  ~C4DPluginObject() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // Forwards to the object data: 1 when it gives non-zero, else 0; 0 without data.
  int32_t Execute() override;

  // Replaces the object data (the old record is destroyed); takes ownership
  // of `record` and makes this object its owner.
  void SetObjectData(C4DPluginObjectData* record);
  C4DPluginObjectData* GetObjectData() const { return objectData; }
  int32_t GetDataTypeId() const { return dataTypeId; }

  C4DPluginObjectData* objectData = nullptr;  // owned
  int32_t dataTypeId = 0;
  // Read from a chunk of its own type's id ('6C4D' files): a plugin object
  // whose data type is that id, given by the chunk, not by a data chunk.
  bool ownType = false;

  // Makes this object the own-type object `typeId`, with the object data
  // record of that data type; false when the record could not be made.
  bool TakeOwnType(GeChunkFile& file, int32_t typeId);

 private:
  bool ReadDataChunk(GeChunkFile& file, int32_t level);
};

// Spline settings in the object's data container.
enum : int32_t {
  SPLINE_SETTING_TYPE = 1000,
  SPLINE_SETTING_MODE = 1001,    // only 0 is converted
  SPLINE_SETTING_CLOSED = 1002,  // 1 means closed
};

class C4DSplineObject : public C4DPluginObject {
 public:
  C4DSplineObject() : C4DPluginObject(OBJECT_SPLINE) { dataTypeId = OBJECT_SPLINE; }

  // The integer settings 1000, 1001 and 1002 of `data`, 0 when absent.
  int32_t GetSplineSetting(int32_t id) const { return data.FindInt32(id, 0); }
  bool IsClosed() const { return GetSplineSetting(SPLINE_SETTING_CLOSED) == 1; }

 protected:
  const char* DefaultName() const override { return "Spline"; }
};
