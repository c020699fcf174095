// Layers: a tree of named layers that objects point at through their layer
// link.
#pragma once
#include <cstdint>

#include "c4d_node.h"

enum : int32_t {
  LAYER_TYPE = 100004801,  // type id and chunk id of a layer
  CHUNK_LAYER_DATA = 110313,
};

class C4DRootLayer;

class C4DBaseLayer : public C4DBaseList4D {
 public:
  C4DBaseLayer() { typeId = LAYER_TYPE; }
  ~C4DBaseLayer() override;
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // Does nothing in the library; the conversion builds its host layer here.
  virtual int32_t Execute() { return 1; }

  C4DBaseLayer* GetNext() const { return static_cast<C4DBaseLayer*>(GetNextInList()); }
  C4DBaseLayer* GetParentLayer() const { return parentLayer; }
  C4DRootLayer* GetChildLayers() const { return childLayers; }

  // The layer data's flags: eight in file order, of which the first tells
  // whether the layer's objects are shown and the fourth whether they are
  // locked, and from level 1 on a ninth (layerFlag8).
  int32_t layerFlag8 = 0;
  int32_t visible = 1;
  int32_t layerFlag1 = 1;
  int32_t layerFlag2 = 1;
  int32_t locked = 0;
  int32_t layerFlag4 = 1;
  int32_t layerFlag5 = 1;
  int32_t layerFlag6 = 1;
  int32_t layerFlag7 = 1;
  Vector layerColor{1.0f, 1.0f, 1.0f};
  C4DRootLayer* childLayers = nullptr;  // owned
  C4DBaseLayer* parentLayer = nullptr;  // not owned

 private:
  bool ReadLayerData(GeChunkFile& file, int32_t level);
  bool ReadChildLayers(GeChunkFile& file);
};

// A list of layers: the document's or a layer's children. Creates a layer
// through its factory's layer hook for chunk 100004801 only.
class C4DRootLayer : public C4DRootList2D {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  C4DBaseLayer* AllocChild(int32_t typeId) override;

  C4DBaseLayer* GetOwnerLayer() const;
  C4DBaseLayer* GetFirstLayer() const { return static_cast<C4DBaseLayer*>(GetFirst()); }
  C4DNodeRange<C4DBaseLayer> Layers() const { return C4DNodeRange<C4DBaseLayer>(&children); }
};
