#include "c4d_tag.h"

#include <algorithm>

#include "c4d_material.h"
#include "c4d_object.h"
#include "c4d_scene_factory.h"
#include "ge_alloc.h"
#include "scene_read.h"

// ---- tag list -------------------------------------------------------------------

C4DBaseObject* C4DRootTag::GetOwnerObject() const { return static_cast<C4DBaseObject*>(owner); }

C4DBaseTag* C4DRootTag::AllocChild(int32_t typeId) {
  switch (typeId) {
    case TAG_TYPE_POINT: return GeNew<PrivateC4DPointTag>();
    case TAG_TYPE_POLYGON: return GeNew<PrivateC4DPolygonTag>();
    case TAG_TYPE_PHONG: return GeNew<C4DPhongTag>();
    case TAG_TYPE_TEXTURE: return GeNew<C4DTextureTag>();
    case TAG_TYPE_UVW: return GeNew<C4DUVWTag>();
    case TAG_TYPE_SEGMENT: return OwnerFactory().KeepsSplineTags() ? GeNew<PrivateC4DSegmentTag>() : nullptr;
    case TAG_TYPE_TANGENT: return OwnerFactory().KeepsSplineTags() ? GeNew<C4DTangentTag>() : nullptr;
    case TAG_TYPE_POLYGON_SELECTION:
      return OwnerFactory().KeepsSelectionTags() ? GeNew<C4DPolygonSelectionTag>() : nullptr;
    default: return nullptr;
  }
}

// The tag list is a member of its object and gets no factory of its own.
const C4DSceneFactory& C4DRootTag::OwnerFactory() const {
  const C4DBaseObject* object = GetOwnerObject();
  return object ? object->Factory() : Factory();
}

bool C4DRootTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId == CHUNK_LIST) return C4DRootList2D::Read(file, chunkId, level);
  if (chunkId == CHUNK_NODE) {
    file.SkipChunkRest();
    return true;
  }
  if (chunkId < TAG_TYPE_POINT || chunkId > TAG_TYPE_POLYGON_SELECTION) return false;
  C4DBaseTag* tag = scene_read::NewNode(file, [&] { return AllocChild(chunkId); });
  if (!tag) return file.GetError() != FILEERROR_NONE;
  tag->factory = factory;
  if (!file.ReadNodeChunks(tag, false)) {
    delete tag;
    return false;
  }
  tag->owner = GetOwnerObject();
  Append(tag);
  return true;
}

// ---- point and polygon tags ---------------------------------------------------------

PrivateC4DPointTag::~PrivateC4DPointTag() { Clear(); }

void PrivateC4DPointTag::Clear() {
  GeFree(points);
  GeFree(points64);
  points = nullptr;
  points64 = nullptr;
  pointCount = 0;
}

bool PrivateC4DPointTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  if (chunkId != TAG_TYPE_POINT) return false;
  // A second payload replaces the first.
  Clear();
  if (file.IsNewerVariant()) {
    ReadNewerPoints(file);
  } else {
    file.ReadVectorArray(points, pointCount);
  }
  file.SkipChunkRest();
  return true;
}

PrivateC4DPolygonTag::~PrivateC4DPolygonTag() { GeFree(polygons); }

bool PrivateC4DPolygonTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  if (chunkId != TAG_TYPE_POLYGON) return false;
  GeFree(polygons);
  polygons = nullptr;
  polygonCount = 0;
  if (file.IsNewerVariant()) {
    ReadNewerPolygons(file);
  } else {
    file.ReadPolygonArray(polygons, polygonCount);
  }
  file.SkipChunkRest();
  return true;
}

// ---- texture tag ----------------------------------------------------------------------

C4DTextureTag::C4DTextureTag() { typeId = TAG_TYPE_TEXTURE; }

bool C4DTextureTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) {
    if (chunkId == CHUNK_BASE_LIST && file.IsNewerVariant()) materialInData = true;
    return true;
  }
  if (chunkId != kPayloadChunk || level < 0) return false;
  C4DTexturePayload read;
  for (Vector& vector : read.vectors) file.ReadVector(vector);
  for (Matrix& matrix : read.matrices) file.ReadMatrix(matrix);
  file.ReadFloat32(read.offsetU);
  file.ReadFloat32(read.offsetV);
  file.ReadFloat32(read.lengthU);
  file.ReadFloat32(read.lengthV);
  int32_t flag = 0;
  if (file.ReadBool(flag)) read.tiles = flag != 0;
  for (bool& value : read.switches) {
    if (file.ReadBool(flag)) value = flag != 0;
  }
  file.ReadInt32(read.projection);
  file.ReadInt32(read.projectionWord);
  scene_read::ReadValueSequence(file, "2I", nullptr);
  if (level >= 1) {
    String restriction;
    if (file.ReadString(restriction)) read.restriction = restriction.To8Bit();
  }
  if (level >= 2 && file.ReadBool(flag)) read.levelTwoSwitch = flag != 0;
  if (level >= 3) ReadLinkRecord(file, materialLink);
  if (level >= 4) {
    GeAliasLink second;
    ReadLinkRecord(file, second);
  }
  if (level >= 5) {
    for (int32_t& word : read.levelFiveWords) file.ReadInt32(word);
    for (float& real : read.levelFiveReals) file.ReadFloat32(real);
  }
  if (level >= 6 && file.ReadBool(flag)) read.levelSixSwitch = flag != 0;
  payload = std::move(read);
  file.SkipChunkRest();
  return true;
}

C4DBaseMaterial* C4DTextureTag::GetMaterial() const {
  if (materialInData) return dynamic_cast<C4DBaseMaterial*>(data.FindValue(kNewerMaterialEntry).AsLinkTarget());
  return dynamic_cast<C4DBaseMaterial*>(ResolveLink(materialLink));
}

double C4DTextureTag::NewerOr(int32_t entry, float classic) const {
  return materialInData ? data.FindFloat32(entry, classic) : classic;
}

int32_t C4DTextureTag::Projection() const {
  return materialInData ? data.FindInt32(kNewerProjection, payload.projection) : payload.projection;
}

std::string C4DTextureTag::Restriction() const {
  if (!materialInData) return payload.restriction;
  const GeValue& value = data.FindValue(kNewerRestriction);
  return value.GetType() == GEVALUE_STRING ? value.AsString().To8Bit() : std::string();
}

double C4DTextureTag::OffsetU() const { return NewerOr(kNewerOffsetU, payload.offsetU); }
double C4DTextureTag::OffsetV() const { return NewerOr(kNewerOffsetV, payload.offsetV); }
double C4DTextureTag::LengthU() const { return NewerOr(kNewerLengthU, payload.lengthU); }
double C4DTextureTag::LengthV() const { return NewerOr(kNewerLengthV, payload.lengthV); }

bool C4DTextureTag::Tiles() const {
  return materialInData ? data.FindBool(kNewerTiles, payload.tiles) : payload.tiles;
}

// ---- polygon selection tag ------------------------------------------------------------

bool C4DPolygonSelectionTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  return selection.Read(file, chunkId, level);
}

const C4DPolygonSelectionTag* FindPolygonSelection(const C4DBaseObject& object, const std::string& name) {
  for (const C4DBaseTag* tag : object.tags.Tags()) {
    if (tag->typeId != TAG_TYPE_POLYGON_SELECTION || tag->GetNameString() != name) continue;
    if (auto* selection = dynamic_cast<const C4DPolygonSelectionTag*>(tag)) return selection;
  }
  return nullptr;
}

// ---- UVW tag --------------------------------------------------------------------------

C4DUVWTag::~C4DUVWTag() { GeFree(uvw); }

bool C4DUVWTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  if (chunkId != TAG_TYPE_UVW) return false;
  if (file.IsNewerVariant()) {
    ReadNewerUVW(file);
    file.SkipChunkRest();
    return true;
  }
  uint16_t* words = nullptr;
  int32_t wordCount = 0;
  file.ReadUInt16Array(words, wordCount);
  GeFree(words);
  if (level >= 1) {
    GeFree(uvw);
    uvw = nullptr;
    uvwCount = 0;
    file.ReadVectorArray(uvw, uvwCount);
  }
  if (level >= 2) scene_read::ReadValueSequence(file, "B", nullptr);
  file.SkipChunkRest();
  return true;
}

C4DUVWTag::UVWStruct C4DUVWTag::GetUVW(int32_t index) const {
  UVWStruct corners{};
  if (index < 0 || !uvw || 4 * int64_t(index) + 3 >= int64_t(uvwCount)) return corners;
  const Vector* v = uvw + 4 * int64_t(index);
  corners.a = v[0];
  corners.b = v[1];
  corners.c = v[2];
  corners.d = v[3];
  return corners;
}

// ---- segment tag ------------------------------------------------------------------------

PrivateC4DSegmentTag::~PrivateC4DSegmentTag() { GeFree(segments); }

bool PrivateC4DSegmentTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  if (chunkId != TAG_TYPE_SEGMENT || level < 0) return false;
  GeFree(segments);
  segments = nullptr;
  segmentCount = 0;
  int32_t count = 0;
  // Each segment is a tagged int32 and a tagged bool.
  if (file.ReadInt32(count) && count > 0 && scene_read::CountFits(file, count, 7)) {
    segments = static_cast<Segment*>(GeAlloc(size_t(count) * sizeof(Segment)));
    if (!segments) {
      file.SetError(FILEERROR_MEMORY);
    } else {
      segmentCount = count;
      for (int32_t i = 0; i < count; ++i) {
        if (!file.ReadInt32(segments[i].pointCount) || !file.ReadBool(segments[i].closed)) break;
      }
    }
  }
  file.SkipChunkRest();
  return true;
}

// ---- tangent tag ------------------------------------------------------------------------

C4DTangentTag::~C4DTangentTag() { GeFree(tangents); }

bool C4DTangentTag::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseTag::Read(file, chunkId, level)) return true;
  if (chunkId != TAG_TYPE_TANGENT || level < 0) return false;
  GeFree(tangents);
  tangents = nullptr;
  pointCount = 0;
  int32_t count = 0;
  // A count, then two tagged vectors per point (13 bytes each at least).
  if (file.ReadInt32(count) && count > 0 && scene_read::CountFits(file, 2 * int64_t(count), 13)) {
    tangents = static_cast<Vector64*>(GeAlloc(2 * size_t(count) * sizeof(Vector64)));
    if (!tangents) {
      file.SetError(FILEERROR_MEMORY);
    } else {
      // A read cut short leaves the handles read so far, the rest zero.
      std::fill(tangents, tangents + 2 * size_t(count), Vector64{0, 0, 0});
      pointCount = count;
      for (int32_t i = 0; i < 2 * count; ++i) {
        if (!file.ReadVector64(tangents[i])) break;
      }
    }
  }
  file.SkipChunkRest();
  return true;
}
