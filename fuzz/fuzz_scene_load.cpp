// Fuzz target: one scene document loaded from the input with the library's
// own node classes, then everything the conversion asks of a scene: the
// traversal, each node's name and parameters, each object's global matrix,
// tags, layer, material and instance links, points and polygons; and each
// primitive's mesh as the converter rebuilds it from its parameters.
#include <cstdint>

#include "c4d_document.h"
#include "ge_alloc.h"
#include "ge_chunk_file.h"
#include "primitives.h"

namespace {

// A node's name as the conversion takes it, and a few of its parameters.
void UseNode(const C4DBaseList2D& node) {
  GeFree(node.GetName());
  node.data.FindInt32(1002, 0);
  node.data.FindFloat32(2401, 0.0f);
  node.data.FindVector(2100, Vector{});
  node.data.FindValue(1001).AsLinkTarget();
}

void VisitLayers(const C4DRootLayer* list) {
  if (!list) return;
  for (C4DBaseLayer* layer : list->Layers()) {
    UseNode(*layer);
    VisitLayers(layer->childLayers);
  }
}

void VisitObjects(const C4DRootObject* list, int& visited) {
  if (!list) return;
  for (C4DBaseObject* object : list->Objects()) {
    ++visited;
    UseNode(*object);
    for (C4DBaseTag* tag : object->tags.Tags()) UseNode(*tag);
    const Matrix mg = object->GetMg();
    (void)mg;
    object->GetLayer();
    if (auto* texture = static_cast<C4DTextureTag*>(object->GetTag(TAG_TYPE_TEXTURE))) texture->GetMaterial();
    if (auto* uvw = static_cast<C4DUVWTag*>(object->GetTag(TAG_TYPE_UVW))) uvw->GetUVW(visited % 4);
    if (auto* plugin = dynamic_cast<C4DPluginObject*>(object)) {
      if (auto* points = dynamic_cast<C4DPointObjectData*>(plugin->GetObjectData())) {
        points->GetPoints();
        points->GetPointCount();
      }
      if (auto* instance = dynamic_cast<C4DInstanceObjectData*>(plugin->GetObjectData())) instance->GetReference();
      const c4dprim::PrimitiveRead primitive = c4dprim::ReadPrimitive(plugin->GetDataTypeId(), plugin->data);
      if (primitive.shape) c4dprim::BuildPrimitiveMesh(*primitive.shape);
    }
    VisitObjects(object->GetChildList(), visited);
    VisitObjects(object->overrideCache, visited);
    VisitObjects(object->fallbackCache, visited);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Some inputs also meet a failing allocation or a low memory limit, both
  // chosen by the input's last byte: inputs whose length is a multiple of 5
  // fail their N-th allocation, those of a multiple of 7 may take no more
  // than a few KiB.
  const unsigned last = size > 0 ? data[size - 1] : 0;
  C4DBaseDocument document;
  {
    GeChunkFile file;
    if (size % 5 == 0) GeAllocFailAt(last + 1);
    if (file.OpenMemory(data, size)) {
      if (size % 7 == 0) file.SetAllocationLimit(uint64_t{last} * 64);
      document.Load(file);
    }
    GeAllocFailAt(0);
  }
  // The file and its registry are gone: links resolve on their own now.
  document.ExecuteAll();
  int visited = 0;
  VisitObjects(document.objects, visited);
  VisitLayers(document.layers);
  if (document.materials) {
    for (C4DBaseMaterial* material : document.materials->Materials()) {
      UseNode(*material);
      if (auto* m = dynamic_cast<C4DMaterial*>(material)) {
        m->GetChannelState(0);
        m->GetColor();
        m->GetTransparency();
      }
    }
  }
  return 0;
}
