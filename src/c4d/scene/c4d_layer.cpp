#include "c4d_layer.h"

#include "c4d_scene_factory.h"
#include "scene_read.h"

// ---- C4DBaseLayer ---------------------------------------------------------------

C4DBaseLayer::~C4DBaseLayer() { delete childLayers; }

bool C4DBaseLayer::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseList4D::Read(file, chunkId, level)) return true;
  switch (chunkId) {
    case CHUNK_LIST: return ReadChildLayers(file);
    case CHUNK_LAYER_DATA: return ReadLayerData(file, level);
    default: return false;
  }
}

bool C4DBaseLayer::ReadChildLayers(GeChunkFile& file) {
  if (!childLayers) childLayers = Factory().MakeLayerList();
  if (!childLayers) {
    // Without a list the child layers cannot be kept: the read ends here.
    file.SetError(FILEERROR_MEMORY);
    return true;
  }
  childLayers->owner = this;
  file.ReadNodeChunks(childLayers, false);
  return true;
}

bool C4DBaseLayer::ReadLayerData(GeChunkFile& file, int32_t level) {
  if (level >= 0) {
    int32_t* flags[] = {&visible, &layerFlag1, &layerFlag2, &locked,
                        &layerFlag4, &layerFlag5, &layerFlag6, &layerFlag7};
    for (int32_t* flag : flags) file.ReadBool(*flag);
    file.ReadVector(layerColor);
  }
  if (level >= 1) file.ReadBool(layerFlag8);
  file.SkipChunkRest();
  return true;
}

// ---- C4DRootLayer -------------------------------------------------------------------

C4DBaseLayer* C4DRootLayer::GetOwnerLayer() const { return static_cast<C4DBaseLayer*>(owner); }

C4DBaseLayer* C4DRootLayer::AllocChild(int32_t typeId) {
  if (typeId != LAYER_TYPE) return nullptr;
  return Factory().NewLayer();
}

bool C4DRootLayer::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId == CHUNK_LIST) return C4DRootList2D::Read(file, chunkId, level);
  if (chunkId == CHUNK_NODE) {
    file.SkipChunkRest();
    return true;
  }
  C4DBaseLayer* layer = scene_read::NewNode(file, [&] { return AllocChild(chunkId); });
  if (!layer) return file.GetError() != FILEERROR_NONE;
  layer->factory = factory;
  if (!file.ReadNodeChunks(layer, false)) {
    delete layer;
    return false;
  }
  Append(layer);
  layer->parentLayer = GetOwnerLayer();
  return true;
}
