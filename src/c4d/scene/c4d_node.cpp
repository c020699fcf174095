#include "c4d_node.h"

#include "c4d_layer.h"
#include "c4d_scene_factory.h"
#include "ge_alloc.h"
#include "scene_read.h"


// ---- C4DGeListNode ------------------------------------------------------------

bool C4DGeListNode::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId != CHUNK_NODE) return false;
  int32_t n = 0;
  file.ReadInt32(n);
  // A failed read ends the run.
  for (int32_t i = 0, word = 0; i < n; ++i) {
    if (!file.ReadInt32(word)) break;
  }
  if (level >= 2) {
    uint8_t hasGoal = 0;
    if (file.ReadUInt8(hasGoal) && hasGoal != 0) ReadGoalRecord(file, goal);
  }
  file.SkipChunkRest();
  return true;
}

// ---- C4DRootList2D ------------------------------------------------------------

C4DRootList2D::~C4DRootList2D() { children.FreeAll(); }

bool C4DRootList2D::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  (void)level;
  if (chunkId != CHUNK_LIST) return false;
  file.ReadChunkList(this, true, false);
  return true;
}

C4DBaseList2D* C4DRootList2D::AllocChild(int32_t typeId) {
  (void)typeId;
  return nullptr;
}

C4DBaseList2D* C4DRootList2D::GetFirst() const { return children.GetFirst(); }

C4DBaseList2D* C4DRootList2D::GetNext(const C4DBaseList2D* node) const { return children.GetNext(node); }

void C4DRootList2D::Append(C4DBaseList2D* node) { children.Append(node); }

C4DSceneFactory& C4DRootList2D::Factory() const {
  return factory ? *factory : C4DSceneFactory::Default();
}

// ---- shaders ------------------------------------------------------------------

bool C4DRootShader::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId == CHUNK_LIST) return C4DRootList2D::Read(file, chunkId, level);
  if (chunkId != C4DXBaseShader::kTypeId) return false;
  C4DXBaseShader* shader = GeNew<C4DXBaseShader>();
  if (!shader) {
    file.SetError(FILEERROR_MEMORY);
    return true;  // the list ends on the file's error
  }
  shader->factory = factory;
  file.ReadChunkList(shader, true, false);
  // A shader stays in its list even when its chunks failed.
  Append(shader);
  return true;
}

bool C4DXBaseShader::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseList2D::Read(file, chunkId, level)) return true;
  if (chunkId != kPayloadChunk) return false;
  int32_t dropped = 0;
  String droppedText;
  file.ReadInt32(kind);
  file.ReadInt32(dropped);
  file.ReadString(droppedText);
  file.SkipChunkRest();
  return true;
}

// ---- C4DBaseList2D ------------------------------------------------------------

bool C4DBaseList2D::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DGeListNode::Read(file, chunkId, level)) return true;
  switch (chunkId) {
    case CHUNK_BASE_LIST:
      ReadBaseListChunk(file, level);
      if (name.IsEmpty()) {
        if (const char* fallback = DefaultName()) scene_read::SetText(file, name, fallback);
      }
      return true;
    case CHUNK_SHADERS:
      shaders.owner = this;
      shaders.factory = factory;
      file.ReadNodeChunks(&shaders, false);
      return true;
    default:
      return false;
  }
}

void C4DBaseList2D::ReadBaseListChunk(GeChunkFile& file, int32_t level) {
  int32_t dropped = 0;
  file.ReadInt32(nodeBits);
  file.ReadInt32(dropped);
  ReadContainer(file, data, false);
  uint8_t hasGoal = 0;
  if (file.ReadUInt8(hasGoal) && hasGoal != 0) ReadGoalRecord(file, goal);
  file.ReadString(name);
  if (level >= 1) {
    int32_t hasAuxData = 0;
    if (file.ReadInt32(hasAuxData) && hasAuxData >= 1) ReadContainer(file, auxData, false);
  }
  if (level >= 2) {
    // A block of whole sub-chunks, announced by a 1 and a count; dropped.
    int32_t marker = 0;
    if (file.ReadInt32(marker) && marker == 1) {
      int32_t count = 0;
      file.ReadInt32(count);
      for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0, subLevel = 0;
        if (!file.ExpectTag(TAG_CHUNK_START) || !file.ReadChunkHeader(id, subLevel) || !file.SkipChunkRest()) break;
      }
    }
  }
  if (file.IsNewerVariant()) {
    ReadNewerBaseListTail(file, level);
    return;
  }
  if (level >= 3) file.ReadInt32(dropped);
  if (level >= 4) {
    int32_t m = 0;
    file.ReadInt32(m);
    for (int32_t i = 0; i < m; ++i) {
      if (!file.ReadInt32(dropped)) break;
    }
  }
  if (level >= 5) ReadLinkRecord(file, layerLink);
  file.SkipChunkRest();
}

char* C4DBaseList2D::GetName() const { return name.ToNew8Bit(); }

C4DBaseLayer* C4DBaseList2D::GetLayer() const {
  return dynamic_cast<C4DBaseLayer*>(ResolveLink(layerLink));
}

C4DSceneFactory& C4DBaseList2D::Factory() const {
  return factory ? *factory : C4DSceneFactory::Default();
}
