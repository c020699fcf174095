// Tags: per-object data hanging off an object's tag list (points, polygons,
// UVW coordinates, the material assignment, the phong setting).
#pragma once
#include <cstdint>

#include "c4d_node.h"

class C4DBaseObject;
class C4DBaseMaterial;

// Tag type ids; each is also the id of the tag's payload chunk.
enum : int32_t {
  TAG_TYPE_POINT = 5600,
  TAG_TYPE_POLYGON = 5604,
  TAG_TYPE_PHONG = 5612,
  TAG_TYPE_TEXTURE = 5616,
  TAG_TYPE_TANGENT = 5617,
  TAG_TYPE_UVW = 5671,
  TAG_TYPE_SEGMENT = 5672,
};

class C4DBaseTag : public C4DBaseList2D {
 public:
  C4DBaseTag() { typeId = -1; }
  C4DBaseTag* GetNext() const { return static_cast<C4DBaseTag*>(GetNextInList()); }

  C4DBaseObject* owner = nullptr;  // the object carrying the tag; not owned
};

// An object's tags. Creates the tags itself from their chunk ids; unknown
// tags are skipped, and so are the segment and tangent tags unless the
// factory keeps spline tags (C4DSceneFactory::KeepsSplineTags).
class C4DRootTag : public C4DRootList2D {
 public:
  explicit C4DRootTag(C4DBaseList2D* ownerObject) { owner = ownerObject; }
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  C4DBaseTag* AllocChild(int32_t typeId) override;

  C4DBaseObject* GetOwnerObject() const;
  C4DBaseTag* GetFirstTag() const { return static_cast<C4DBaseTag*>(GetFirst()); }
  C4DNodeRange<C4DBaseTag> Tags() const { return C4DNodeRange<C4DBaseTag>(&children); }

 private:
  bool KeepsSplineTags() const;
};

class PrivateC4DPointTag : public C4DBaseTag {
 public:
  PrivateC4DPointTag() { typeId = TAG_TYPE_POINT; }
  ~PrivateC4DPointTag() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  Vector* points = nullptr;  // GeAlloc block, owned
  int32_t pointCount = 0;
  // A newer file's points as stored, in double precision (pointCount of
  // them, beside `points`); null for a classic file.
  Vector64* points64 = nullptr;  // GeAlloc block, owned

 private:
  void Clear();
  void ReadNewerPoints(GeChunkFile& file);
};

class PrivateC4DPolygonTag : public C4DBaseTag {
 public:
  PrivateC4DPolygonTag() { typeId = TAG_TYPE_POLYGON; }
  ~PrivateC4DPolygonTag() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  CPolygon* polygons = nullptr;  // GeAlloc block, owned
  int32_t polygonCount = 0;

 private:
  void ReadNewerPolygons(GeChunkFile& file);
};

// Its settings are entries of its data container.
class C4DPhongTag : public C4DBaseTag {
 public:
  C4DPhongTag() { typeId = TAG_TYPE_PHONG; }
};

class C4DTextureTag : public C4DBaseTag {
 public:
  static constexpr int32_t kPayloadChunk = 110010;

  C4DTextureTag();
  // Of its payload only the material link is kept; the projection values
  // around it are read and dropped.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // The material that `materialLink` resolves to, or null.
  C4DBaseMaterial* GetMaterial() const;

  GeAliasLink materialLink;
  // A newer file keeps the material link as entry 1010 of `data` instead.
  static constexpr int32_t kNewerMaterialEntry = 1010;
  bool materialInData = false;

 protected:
  const char* DefaultName() const override { return "Texture"; }
};

class C4DUVWTag : public C4DBaseTag {
 public:
  // The four corners a, b, c, d of one polygon.
  struct UVWStruct {
    Vector a, b, c, d;
  };

  C4DUVWTag() { typeId = TAG_TYPE_UVW; }
  ~C4DUVWTag() override;
  // The payload's 16-bit array in front of the corners and its flag behind
  // them are read and dropped.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // The corners of polygon `index`; four zero vectors when they are not all there.
  UVWStruct GetUVW(int32_t index) const;

  Vector* uvw = nullptr;  // GeAlloc block, owned; four vectors per polygon
  int32_t uvwCount = 0;   // number of vectors

 private:
  void ReadNewerUVW(GeChunkFile& file);

 protected:
  const char* DefaultName() const override { return "UVW"; }
};

// Made by the tag list only for a factory that keeps spline tags.
class PrivateC4DSegmentTag : public C4DBaseTag {
 public:
  struct Segment {
    int32_t pointCount;
    int32_t closed;
  };

  PrivateC4DSegmentTag() { typeId = TAG_TYPE_SEGMENT; }
  ~PrivateC4DSegmentTag() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  Segment* segments = nullptr;  // GeAlloc block, owned
  int32_t segmentCount = 0;
};

// A Bezier spline's handles: per point its left and right tangent, relative
// to the point. Made by the tag list only for a factory that keeps spline
// tags. Classic files store floats, newer ones doubles; both are kept wide.
class C4DTangentTag : public C4DBaseTag {
 public:
  C4DTangentTag() { typeId = TAG_TYPE_TANGENT; }
  ~C4DTangentTag() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  Vector64* tangents = nullptr;  // GeAlloc block, owned; left, right for each point
  int32_t pointCount = 0;        // tangents holds twice as many vectors
};
