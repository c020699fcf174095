#include "c4d_object.h"

#include "c4d_object_data.h"
#include "c4d_scene_factory.h"
#include "ge_alloc.h"
#include "scene_read.h"


// ---- type names and matrices ------------------------------------------------

const char* C4DTypeName(int32_t typeId) {
  switch (typeId) {
    case 5100: return "Polygon Object";
    case 5101: return "Spline Object";
    case 5102: return "Light Object";
    case 5103: return "Camera Object";
    case 5104: return "Floor Object";
    case 5105: return "Sky Object";
    case 5106: return "Env Object";
    case 5137: return "Spline (Line) Object";
    case 5140: return "Null Object";
    case 5141: return "Primitive Object";
    case 5154: return "Plugin Object";
    case 5155: return "BaseObject";
    case 5600: return "Point Tag";
    case 5604: return "Polygon Tag";
    case 5612: return "Phong Tag";
    case 5616: return "Texture Tag";
    case 5671: return "UVW Tag";
    case 5673: return "Polygon Selection Tag";
    case 1001091: return "PluginPolygon Object";
    default: return "Unbekannter Typ";
  }
}

namespace {

// x*a + y*b + z*c (+ base), summed in double and stored as float.
Vector Combine(const Vector* base, const Vector& a, double x, const Vector& b, double y, const Vector& c,
               double z) {
  double rx = double(a.x) * x + double(b.x) * y + double(c.x) * z;
  double ry = double(a.y) * x + double(b.y) * y + double(c.y) * z;
  double rz = double(a.z) * x + double(b.z) * y + double(c.z) * z;
  if (base) {
    rx += base->x;
    ry += base->y;
    rz += base->z;
  }
  return Vector{float(rx), float(ry), float(rz)};
}

Vector ApplyAxes(const Matrix& m, const Vector& v) {
  return Combine(nullptr, m.xAxis, v.x, m.yAxis, v.y, m.zAxis, v.z);
}

}  // namespace

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  r.off = Combine(&a.off, a.xAxis, b.off.x, a.yAxis, b.off.y, a.zAxis, b.off.z);
  r.xAxis = ApplyAxes(a, b.xAxis);
  r.yAxis = ApplyAxes(a, b.yAxis);
  r.zAxis = ApplyAxes(a, b.zAxis);
  return r;
}

Matrix64 MatrixMultiply64(const Matrix64& a, const Matrix64& b) {
  auto apply = [&a](const Vector64& v) {
    return Vector64{a.xAxis.x * v.x + a.yAxis.x * v.y + a.zAxis.x * v.z,
                    a.xAxis.y * v.x + a.yAxis.y * v.y + a.zAxis.y * v.z,
                    a.xAxis.z * v.x + a.yAxis.z * v.y + a.zAxis.z * v.z};
  };
  Matrix64 r;
  const Vector64 off = apply(b.off);
  r.off = Vector64{off.x + a.off.x, off.y + a.off.y, off.z + a.off.z};
  r.xAxis = apply(b.xAxis);
  r.yAxis = apply(b.yAxis);
  r.zAxis = apply(b.zAxis);
  return r;
}

// ---- C4DBaseObject ------------------------------------------------------------

C4DBaseObject::C4DBaseObject() : tags(this) {}

C4DBaseObject::~C4DBaseObject() {
  delete childList;
  delete overrideCache;
  delete fallbackCache;
}

Matrix C4DBaseObject::GetMl() const {
  if (hasWideMl) return Narrow(wideMl);
  Matrix m = axisMatrix;
  m.xAxis = Vector{m.xAxis.x * scale.x, m.xAxis.y * scale.x, m.xAxis.z * scale.x};
  m.yAxis = Vector{m.yAxis.x * scale.y, m.yAxis.y * scale.y, m.yAxis.z * scale.y};
  m.zAxis = Vector{m.zAxis.x * scale.z, m.zAxis.y * scale.z, m.zAxis.z * scale.z};
  m.off = position;
  return m;
}

Matrix C4DBaseObject::GetMg() const {
  Matrix m = GetMl();
  for (const C4DBaseObject* p = parent; p; p = p->parent) m = MatrixMultiply(p->GetMl(), m);
  return m;
}

Matrix64 C4DBaseObject::GetMl64() const { return hasWideMl ? wideMl : Widen(GetMl()); }

Matrix64 C4DBaseObject::GetMg64() const {
  Matrix64 m = GetMl64();
  for (const C4DBaseObject* p = parent; p; p = p->parent) m = MatrixMultiply64(p->GetMl64(), m);
  return m;
}

C4DBaseTag* C4DBaseObject::GetTag(int32_t tagTypeId) const {
  for (C4DBaseTag* tag : tags.Tags()) {
    if (tag->typeId == tagTypeId) return tag;
  }
  return nullptr;
}

static C4DBaseObject* FirstOf(const C4DRootObject* list) { return list ? list->GetFirstObject() : nullptr; }

bool C4DBaseObject::IsHiddenInEditor() const {
  for (const C4DBaseObject* o = this; o; o = o->parent) {
    if (o->editorVisibility != VISIBILITY_PARENT) return o->editorVisibility == VISIBILITY_OFF;
  }
  return false;
}

bool C4DBaseObject::IsDisabledInTree() const {
  for (const C4DBaseObject* o = this; o; o = o->parent) {
    if (o->disabled) return true;
  }
  return false;
}

C4DBaseObject* C4DBaseObject::GetFirstChild() const { return FirstOf(childList); }
C4DBaseObject* C4DBaseObject::GetFirstOverride() const { return FirstOf(overrideCache); }
C4DBaseObject* C4DBaseObject::GetFirstFallback() const { return FirstOf(fallbackCache); }

bool C4DBaseObject::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseList4D::Read(file, chunkId, level)) return true;
  switch (chunkId) {
    case CHUNK_LIST:
      return ReadChildren(file);
    case CHUNK_OBJECT_TAGS:
      file.ReadNodeChunks(&tags, false);
      return true;
    case CHUNK_NEWER_GENERATED:
      if (!file.IsNewerVariant() || fallbackCache) return false;
      if (!ReadCache(file, fallbackCache, false)) return file.GetError() != FILEERROR_NONE;
      return true;
    case CHUNK_OBJECT:
      if (file.IsNewerVariant()) return ReadNewerObjectChunk(file, level);
      if (file.GetFileVersion() < kNewLayoutVersion) return ReadOldObjectChunk(file, level);
      return ReadObjectChunk(file, level);
    default:
      return false;
  }
}

C4DRootObject* C4DBaseObject::NewOwnedList() {
  C4DRootObject* list = Factory().MakeObjectList();
  if (list) list->owner = this;
  return list;
}

bool C4DBaseObject::ReadChildren(GeChunkFile& file) {
  if (!childList) childList = NewOwnedList();
  if (!childList) {
    if (file.GetError() == FILEERROR_NONE) file.SetError(FILEERROR_MEMORY);
    return true;
  }
  childList->owner = this;
  file.ReadNodeChunks(childList, false);
  return true;
}

bool C4DBaseObject::ReadCache(GeChunkFile& file, C4DRootObject*& cache, bool nestedChunk) {
  if (!cache) cache = NewOwnedList();
  if (!cache) {
    if (file.GetError() == FILEERROR_NONE) file.SetError(FILEERROR_MEMORY);
    return false;
  }
  cache->owner = this;
  // One whole nested chunk whatever its id, or the rest of the current
  // chunk; its content is the cache list.
  return file.ReadNodeChunks(cache, nestedChunk);
}

// Editor visibility, render visibility, disabled.
void C4DBaseObject::ReadStateWords(GeChunkFile& file) {
  int32_t enabledState = 0;
  file.ReadInt32(editorVisibility);
  file.ReadInt32(renderVisibility);
  file.ReadInt32(enabledState);
  disabled = enabledState == 1;
}

// Beside the placement, colour, state words and caches, the object chunk
// holds a second matrix after the axes, flags, a vector and a word and a
// later matrix; they are read and dropped, as nothing uses them.
bool C4DBaseObject::ReadOldObjectChunk(GeChunkFile& file, int32_t level) {
  Matrix dropped;
  ReadContainer(file, data, false);
  file.ReadVector(position);
  file.ReadVector(scale);
  file.ReadVector(rotation);
  file.ReadMatrix(axisMatrix);
  file.ReadMatrix(dropped);
  file.ReadString(name);
  if (level >= 1) ReadStateWords(file);
  file.SkipChunkRest();
  return true;
}

bool C4DBaseObject::ReadObjectChunk(GeChunkFile& file, int32_t level) {
  Matrix dropped;
  file.ReadVector(position);
  file.ReadVector(scale);
  file.ReadVector(rotation);
  file.ReadMatrix(axisMatrix);
  file.ReadMatrix(dropped);
  ReadStateWords(file);
  if (level >= 1) {
    scene_read::ReadValueSequence(file, "2B", nullptr);
    file.ReadVector(color);
  }
  if (level >= 2) file.ReadInt32(useColor);
  if (level >= 3) scene_read::ReadValueSequence(file, "V I", nullptr);
  if (level >= 4) file.ReadMatrix(dropped);
  if (level >= 5) {
    int32_t hasOverride = 0;
    if (file.ReadBool(hasOverride) && hasOverride) ReadCache(file, overrideCache);
    int32_t hasFallback = 0;
    if (file.ReadBool(hasFallback) && hasFallback) ReadCache(file, fallbackCache);
  }
  file.SkipChunkRest();
  return true;
}

// ---- object lists ---------------------------------------------------------------

C4DBaseObject* C4DRootObject::GetOwnerObject() const { return static_cast<C4DBaseObject*>(owner); }

bool C4DRootObject::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  switch (chunkId) {
    case CHUNK_LIST:
      file.ReadChunkList(this, true, false);
      return true;
    case CHUNK_OBJECT_LIST:
      file.ReadNodeChunks(this, false);
      return true;
    case CHUNK_NODE:
      file.SkipChunkRest();
      return true;
    default:
      break;
  }
  (void)level;
  C4DBaseObject* object = NewChild(file, chunkId);
  // Not accepted: skipped with its whole subtree; out of memory: the list
  // ends on the file's error.
  if (!object) return file.GetError() != FILEERROR_NONE;
  if (!file.ReadChunkList(object, true, false)) {
    delete object;
    return false;
  }
  Append(object);
  object->parent = GetOwnerObject();
  return true;
}

namespace {

// Chunk ids of the built-in object types that a '6C4D' file stores as
// objects of their own; splines and plugin objects are objects in every
// classic file.
bool IsOwnTypeChunk(const GeChunkFile& file, int32_t chunkId) {
  return file.HasOwnTypeObjects() && chunkId >= OBJECT_POLYGON && chunkId < OBJECT_POLYGON + 100 &&
         chunkId != OBJECT_SPLINE && chunkId != OBJECT_SPLINE_LINE && chunkId != OBJECT_PLUGIN;
}

}  // namespace

// An own-type object is the list's plugin object given the chunk's type, so
// that it is made, judged and converted as a plugin object of that data type
// by whichever factory the list has.
C4DBaseObject* C4DRootObject::NewChild(GeChunkFile& file, int32_t chunkId) {
  const bool ownType = IsOwnTypeChunk(file, chunkId);
  C4DBaseObject* object = scene_read::NewNode(file, [&] { return AllocChild(ownType ? OBJECT_PLUGIN : chunkId); });
  if (!object) return nullptr;
  object->factory = factory;
  if (!ownType) return object;
  auto* plugin = dynamic_cast<C4DPluginObject*>(object);
  if (plugin && plugin->TakeOwnType(file, chunkId)) return plugin;
  delete object;
  return nullptr;
}

C4DBaseObject* C4DDefaultRootObject::AllocChild(int32_t typeId) { return Factory().NewObject(typeId); }

// ---- plugin and spline objects -------------------------------------------------

C4DPluginObject::~C4DPluginObject() { delete objectData; }

void C4DPluginObject::SetObjectData(C4DPluginObjectData* record) {
  if (objectData != record) delete objectData;
  objectData = record;
  if (record) record->owner = this;
}

int32_t C4DPluginObject::Execute() {
  if (!objectData) return 0;
  return objectData->Execute() != 0 ? 1 : 0;
}

bool C4DPluginObject::TakeOwnType(GeChunkFile& file, int32_t typeId) {
  this->typeId = dataTypeId = typeId;
  ownType = true;
  bool known = false;
  SetObjectData(Factory().NewObjectData(typeId, known));
  if (!known || objectData) return true;
  file.SetError(FILEERROR_MEMORY);
  return false;
}

// An own-type object carries no data chunk in the files we have; one that
// came would not say its type, which the chunk id gives, so it is skipped.
bool C4DPluginObject::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseObject::Read(file, chunkId, level)) return true;
  if (chunkId != CHUNK_OBJECT_DATA || ownType) return false;
  return ReadDataChunk(file, level);
}

bool C4DPluginObject::ReadDataChunk(GeChunkFile& file, int32_t level) {
  int32_t dropped = 0;
  String dataName;
  file.ReadInt32(dataTypeId);
  file.ReadInt32(dropped);
  file.ReadString(dataName);
  if (name.IsEmpty()) scene_read::CopyText(file, name, dataName);

  bool known = false;
  SetObjectData(Factory().NewObjectData(dataTypeId, known));
  if (known && !objectData) {
    file.SetError(FILEERROR_MEMORY);
    return false;
  }
  if (objectData && !objectData->ReadData(file, level)) return false;
  file.SkipChunkRest();
  return true;
}
