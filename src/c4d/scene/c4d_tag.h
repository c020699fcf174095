// Tags: per-object data hanging off an object's tag list (points, polygons,
// UVW coordinates, the material assignment and its projection, the phong
// setting, named polygon selections).
#pragma once
#include <cstdint>
#include <string>

#include "base_select.h"
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
  TAG_TYPE_POLYGON_SELECTION = 5673,
};

// Projections of a texture tag (the ones seen in files so far).
enum : int32_t {
  TEXTURE_PROJECTION_UVW = 6,
};

class C4DBaseTag : public C4DBaseList2D {
 public:
  C4DBaseTag() { typeId = -1; }
  C4DBaseTag* GetNext() const { return static_cast<C4DBaseTag*>(GetNextInList()); }

  C4DBaseObject* owner = nullptr;  // the object carrying the tag; not owned
};

// An object's tags. Creates the tags itself from their chunk ids; unknown
// tags are skipped, and so are the segment and tangent tags unless the
// factory keeps spline tags (C4DSceneFactory::KeepsSplineTags), and the
// polygon selection tags unless it keeps selection tags.
class C4DRootTag : public C4DRootList2D {
 public:
  explicit C4DRootTag(C4DBaseList2D* ownerObject) { owner = ownerObject; }
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  C4DBaseTag* AllocChild(int32_t typeId) override;

  C4DBaseObject* GetOwnerObject() const;
  C4DBaseTag* GetFirstTag() const { return static_cast<C4DBaseTag*>(GetFirst()); }
  C4DNodeRange<C4DBaseTag> Tags() const { return C4DNodeRange<C4DBaseTag>(&children); }

 private:
  // The factory of the owning object, else the list's own.
  const C4DSceneFactory& OwnerFactory() const;
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

// The values of a classic texture tag's payload chunk, in file order; the
// defaults are what a tag without the chunk stands for.
struct C4DTexturePayload {
  Vector vectors[3] = {};
  Matrix matrices[2];
  float offsetU = 0, offsetV = 0, lengthU = 1, lengthV = 1;
  bool tiles = true;
  bool switches[2] = {false, false};
  int32_t projection = TEXTURE_PROJECTION_UVW;
  int32_t projectionWord = 0;
  std::string restriction;          // level 1
  bool levelTwoSwitch = false;      // level 2
  int32_t levelFiveWords[2] = {};   // level 5
  float levelFiveReals[2] = {};
  bool levelSixSwitch = false;      // level 6
};

class C4DTextureTag : public C4DBaseTag {
 public:
  static constexpr int32_t kPayloadChunk = 110010;

  C4DTextureTag();
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // The material that `materialLink` resolves to, or null.
  C4DBaseMaterial* GetMaterial() const;

  // How the material is laid on. A newer file keeps these in `data`, a
  // classic one in `payload`.
  int32_t Projection() const;
  // The name of the polygon selection the material is restricted to; "" for all.
  std::string Restriction() const;
  double OffsetU() const;
  double OffsetV() const;
  double LengthU() const;
  double LengthV() const;
  bool Tiles() const;

  GeAliasLink materialLink;
  // A newer file keeps the material link as entry 1010 of `data` instead.
  static constexpr int32_t kNewerMaterialEntry = 1010;
  // ... and the projection values as these entries.
  enum : int32_t {
    kNewerOffsetU = 1000,
    kNewerOffsetV = 1001,
    kNewerLengthU = 1002,
    kNewerLengthV = 1003,
    kNewerProjection = 1004,
    kNewerRestriction = 1006,
    kNewerTiles = 1007,
  };
  bool materialInData = false;
  C4DTexturePayload payload;

 protected:
  const char* DefaultName() const override { return "Texture"; }

 private:
  double NewerOr(int32_t entry, float classic) const;
};

// A named selection of polygons (its name is the node's); texture tags
// restrict their material to one by that name. Made by the tag list only for
// a factory that keeps selection tags.
class C4DPolygonSelectionTag : public C4DBaseTag {
 public:
  C4DPolygonSelectionTag() { typeId = TAG_TYPE_POLYGON_SELECTION; }
  // Chunk 110011: the ranges.
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  BaseSelect selection;
};

// The first polygon selection tag named `name` on `object`, or null.
const C4DPolygonSelectionTag* FindPolygonSelection(const C4DBaseObject& object, const std::string& name);

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
