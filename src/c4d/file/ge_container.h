// Keyed parameter containers: each entry an id and a typed value.
#pragma once
#include <cstdint>

#include "c4d_string.h"
#include "c4d_types.h"

class GeChunkFile;
class GeContainer;
class PrivateChunk;

// A link held as a value. Links and their registry belong to the scene model;
// the file layer only copies, destroys and resolves them through this class.
class GeLinkValue {
 public:
  virtual ~GeLinkValue() = default;
  virtual GeLinkValue* CloneLink() const = 0;  // null when the copy failed
  virtual PrivateChunk* ResolveTarget() const = 0;
};

// Value kinds a container can hold; the numbers are the file's tag numbers.
enum GeValueType : int32_t {
  GEVALUE_EMPTY = 0,
  GEVALUE_WORD = 14,
  GEVALUE_INT32 = 15,
  GEVALUE_FLOAT32 = 19,
  GEVALUE_VECTOR = 23,
  GEVALUE_MATRIX = 25,
  GEVALUE_STRING = 130,
  GEVALUE_CONTAINER = 132,
  GEVALUE_LINK = 133,
};

class GeValue {
 public:
  GeValue() = default;
  GeValue(const GeValue& other) { CopyFrom(other); }
  GeValue& operator=(const GeValue& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  ~GeValue() { Clear(); }

  bool SetType(int32_t type);
  void Clear();
  bool CopyFrom(const GeValue& source);

  int32_t GetType() const { return type_; }
  int32_t AsInt32() const;
  float AsFloat32() const;
  const Vector& AsVector() const;
  const Matrix* AsMatrix() const;  // null unless a matrix
  const String& AsString() const;
  GeContainer* AsContainer() const;  // null unless a container
  PrivateChunk* AsLinkTarget() const;
  const GeLinkValue* AsLink() const;  // null unless a link

  // Payload setters for a value whose type was set with SetType.
  void SetInt32(int32_t v);
  void SetFloat32(float v);
  Vector* VectorPayload();
  Matrix* MatrixPayload();
  String* StringPayload();
  // Takes ownership of `link` (type becomes link); null leaves the value empty.
  void AdoptLink(GeLinkValue* link);

 private:
  int32_t type_ = GEVALUE_EMPTY;
  union {
    int32_t i;
    float f;
    Vector* v;
    Matrix* m;
    String* s;
    GeContainer* c;
    GeLinkValue* l;
  } payload_{0};
};

class GeContainer {
 public:
  GeContainer() = default;
  GeContainer(const GeContainer&) = delete;
  GeContainer& operator=(const GeContainer&) = delete;
  ~GeContainer() { Clear(); }

  // Null when the entry could not be allocated.
  GeValue* AppendValue(int32_t id, const GeValue& value);
  void StoreValue(int32_t id, const GeValue& value);
  // StoreValue that tells whether an allocation failed on the way.
  bool TryStoreValue(int32_t id, const GeValue& value);
  void StoreInt32(int32_t id, int32_t v);
  void StoreBool(int32_t id, bool v);
  void StoreFloat32(int32_t id, float v);
  void StoreVector(int32_t id, const Vector& v);

  int32_t FindInt32(int32_t id, int32_t def) const;
  bool FindBool(int32_t id, bool def) const;
  float FindFloat32(int32_t id, float def) const;
  Vector FindVector(int32_t id, const Vector& def) const;
  const GeValue& FindValue(int32_t id) const;
  GeContainer* FindSubContainer(int32_t id) const;
  GeContainer* AppendSubContainer(int32_t id, const GeContainer& source);
  bool CopyInto(GeContainer& target) const;
  void Clear();

  int32_t GetId() const { return id_; }
  void SetId(int32_t id) { id_ = id; }

  struct Entry {
    int32_t id;
    GeValue value;
    Entry* next;
  };
  const Entry* First() const { return first_; }
  int32_t GetCount() const { return count_; }

 private:
  Entry* FindEntry(int32_t id) const;
  void Link(Entry* entry);
  // Lookups go through a hash index of the first entry per id once a
  // container grows past a few entries, so that reading a container of n
  // entries with StoreValue stays linear. Without the index (small, or its
  // allocation failed) lookups scan the list.
  bool BuildIndex(int32_t capacity);
  void IndexInsert(Entry* entry);
  Entry* first_ = nullptr;
  Entry* last_ = nullptr;
  int32_t id_ = -1;
  int32_t count_ = 0;
  Entry** index_ = nullptr;
  int32_t indexCapacity_ = 0;  // a power of two, at least twice count_
  int32_t nextIndexAt_ = 8;
};

// Reads a container in either on-disk form (tag 132 or a chunk of id 132).
bool ReadContainer(GeChunkFile& file, GeContainer& container, bool append);
// Reads one stand-alone value: an int32 type, then the value of that type.
bool ReadValue(GeChunkFile& file, GeValue& value);
