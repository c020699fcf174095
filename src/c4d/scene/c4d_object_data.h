// Object data records: the type-specific part of a plugin object, chosen by
// the data type id of its 110064 chunk. Most kinds carry no payload of their
// own; their parameters live in the owning object's data container.
#pragma once
#include <cstdint>
#include <vector>

#include "base_select.h"
#include "c4d_object.h"
#include "ge_alloc.h"

// A vector of values read from the file: its memory goes through GeAlloc, so
// it counts against the file's limit and tests can make it fail (the reader
// then catches std::bad_alloc and sets FILEERROR_MEMORY).
template <class T>
using FileDataVector = std::vector<T, GeStdAllocator<T>>;

// Data type ids of chunk 110064 that the library knows.
enum : int32_t {
  DATA_POLYGON = 5100,
  DATA_LIGHT = 5102,
  DATA_CAMERA = 5103,
  DATA_FLOOR = 5104,
  DATA_SKY = 5105,
  DATA_ENVIRONMENT = 5106,
  DATA_FOREGROUND = 5121,
  DATA_BACKGROUND = 5122,
  DATA_INSTANCE = 5126,
  DATA_NULL = 5140,
  DATA_PRIMITIVE_FIRST = 5159,  // primitives: 5159, 5160, 5162, 5163, 5167, 5168, 5170
};

// Whether the data type id is one of the known ones (a record exists for it).
bool IsKnownDataType(int32_t dataTypeId);
bool IsPrimitiveDataType(int32_t dataTypeId);

class C4DPluginObjectData : public PrivateChunk {
 public:
  // Object data receive no chunks of their own while loading.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override {
    (void)file, (void)chunkId, (void)level;
    return false;
  }
  // 1 when the owning object was dealt with.
  virtual int32_t Execute() { return 0; }
  // The record's payload inside chunk 110064, after the object's values.
  virtual bool ReadData(GeChunkFile& file, int32_t level) {
    (void)file, (void)level;
    return true;
  }

  C4DBaseObject* GetOwner() const { return owner; }

  C4DBaseObject* owner = nullptr;  // the object holding this record; not owned
};

// Points come from the owner's point tag; the selections are kept for the
// chunks that carry them, which loading never routes here.
class C4DPointObjectData : public C4DPluginObjectData {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  // The owner's point tag values; null and 0 when there is none.
  const Vector* GetPoints() const;
  int32_t GetPointCount() const;

  BaseSelect pointSelection;   // chunk 110117
  BaseSelect hiddenPoints;     // chunk 110118
};

class C4DPolygonObjectData : public C4DPointObjectData {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  // The owner's polygon tag values; null and 0 when there is none.
  const CPolygon* GetPolygons() const;
  int32_t GetPolygonCount() const;

  BaseSelect polygonSelection;  // 110119
  BaseSelect hiddenPolygons;    // 110120
  BaseSelect edgeSelection;     // 110128
  BaseSelect hiddenEdges;       // 110129
  BaseSelect phongBreaks;       // 110132
  // n-gon table (110133): per entry its values, flattened with offsets.
  FileDataVector<int32_t> ngonOffsets;
  FileDataVector<uint32_t> ngonValues;

 private:
  bool ReadNgons(GeChunkFile& file, int32_t level);
  void ReadNgonTable(GeChunkFile& file, int32_t level);
};

// Light kinds as the scene program numbers them (inferred from files; see
// docs/primitives-and-variants.md, "Lights").
enum C4DLightKind : int32_t {
  LIGHT_OMNI = 0,
  LIGHT_SPOT = 1,
  LIGHT_SPOT_SQUARE = 2,
  LIGHT_INFINITE = 3,
  LIGHT_PARALLEL = 4,
  LIGHT_PARALLEL_SPOT = 5,
  LIGHT_PARALLEL_SPOT_SQUARE = 6,
  LIGHT_TUBE = 7,
  LIGHT_AREA = 8,
};

// The light's payload, stored in file order by value kind. The import uses
// none of it; the accessors find their values by counting the groups before
// them, so each holds its default when the payload was not read that far.
class C4DLightObjectData : public C4DPluginObjectData {
 public:
  bool ReadData(GeChunkFile& file, int32_t level) override;

  Vector Colour() const;      // (1, 1, 1) by default
  float Brightness() const;   // 1 by default
  int32_t Kind() const;       // a C4DLightKind, omni by default
  float InnerAngle() const;   // spot cone, radians; 0 by default
  float OuterAngle() const;   // 30 degrees by default

  int32_t groupCount = 0;  // the count `c` of repeated groups
  bool oldLayout = false;  // read from a file older than version 7500
  FileDataVector<float> floats;
  FileDataVector<int32_t> ints;
  FileDataVector<int32_t> bools;
  FileDataVector<Vector> vectors;

 private:
  bool ReadSequence(GeChunkFile& file, const char* sequence, int64_t times);
  // Where the values of the colour, brightness, kind and spot angles start.
  uint64_t LookStart(char kind) const;
};

class C4DCameraObjectData : public C4DPluginObjectData {};
class C4DNullObjectData : public C4DPluginObjectData {};
class C4DFloorObjectData : public C4DPluginObjectData {};
class C4DSkyObjectData : public C4DPluginObjectData {};
class C4DEnvironmentObjectData : public C4DPluginObjectData {};
class C4DBackgroundObjectData : public C4DPluginObjectData {};
class C4DForegroundObjectData : public C4DPluginObjectData {};

// An instance: its reference is the link entry 1001 of the owner's data.
class C4DInstanceObjectData : public C4DPluginObjectData {
 public:
  static constexpr int32_t kReferenceId = 1001;
  // The node the reference resolves to, or null.
  PrivateChunk* GetReference() const;
};

// The library's record for the primitive data types; the geometry lies in
// the owning object's fallback cache.
class C4DPrimitiveObjectData : public C4DPluginObjectData {};
