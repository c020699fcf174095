#include "c4d_document.h"

#include "scene_walk.h"

C4DBaseDocument::C4DBaseDocument(C4DSceneFactory* factory)
    : factory_(factory ? factory : &C4DSceneFactory::Default()) {
  InstallSceneLinkSupport();
  objects = factory_->MakeObjectList();
  materials = factory_->MakeMaterialList();
  layers = factory_->MakeLayerList();
}

C4DBaseDocument::~C4DBaseDocument() {
  delete objects;
  delete materials;
  delete layers;
}

bool C4DBaseDocument::Load(GeChunkFile& file) {
  // A document whose lists could not be made cannot hold what the file says.
  if (!objects || !materials || !layers) {
    if (file.GetError() == FILEERROR_NONE) file.SetError(FILEERROR_MEMORY);
    return false;
  }
  fileVariant = file.GetVariant();
  return file.ReadNodeChunks(this, true);
}

bool C4DBaseDocument::ReadList(GeChunkFile& file, PrivateChunk* list) {
  if (!list) return false;
  // The list reads up to the first chunk it does not accept; what follows it
  // inside the list chunk is offered to the document.
  file.ReadChunkList(list, false, false);
  return true;
}

bool C4DBaseDocument::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  switch (chunkId) {
    case CHUNK_DOCUMENT_HEADER: {
      int32_t version = 0;
      if (file.ReadInt32(version)) {
        file.SetFileVersion(version);
        fileVersion = version;
      }
      if (level >= 1) file.ReadBool(useMarkedCaches);
      file.SkipChunkRest();
      return true;
    }
    case 110015:
    case 110050:
    case 110069:
    case 110106:
    case 110123:
    case 110125:
      file.SkipChunkRest();
      return true;
    case CHUNK_DOCUMENT_MATERIALS:
      return ReadList(file, materials);
    case CHUNK_DOCUMENT_OBJECTS:
      return ReadList(file, objects);
    case CHUNK_DOCUMENT_LAYERS:
      return ReadList(file, layers);
    default:
      return false;
  }
}

int32_t C4DBaseDocument::ExecuteAll() {
  if (materials) {
    for (C4DBaseMaterial* material : materials->Materials()) material->Execute();
  }
  if (layers) {
    for (C4DBaseLayer* layer : layers->Layers()) ExecuteLayer(layer);
  }
  if (objects) {
    for (C4DBaseObject* object : objects->Objects()) ExecuteObject(object);
  }
  return 1;
}

int32_t C4DBaseDocument::ExecuteLayer(C4DBaseLayer* layer) {
  layer->Execute();
  if (layer->childLayers) {
    for (C4DBaseLayer* child : layer->childLayers->Layers()) ExecuteLayer(child);
  }
  return 1;
}

int32_t C4DBaseDocument::ExecuteObject(C4DBaseObject* object) {
  struct Executing final : SceneWalkVisitor {
    bool Visit(C4DBaseObject& o) override { return o.Execute() != 0; }
  } executing;
  WalkSceneObject(*this, *object, executing);
  return 1;
}

bool C4DBaseDocument::PassesToMarkedCache(const C4DBaseObject& object) const {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  const bool pluginKind = object.typeId == OBJECT_PLUGIN || object.typeId == OBJECT_PLUGIN_POLYGON ||
                          (plugin && plugin->ownType);
  return useMarkedCaches != 0 && (object.nodeBits & kNodeBitCacheMarked) != 0 && pluginKind &&
         CacheChainMarked(&object);
}

bool C4DBaseDocument::CacheChainMarked(const C4DBaseObject* object) const {
  const C4DBaseObject* o = object;
  for (;;) {
    const C4DBaseObject* f = o->GetFirstFallback();
    if (!f) return (o->nodeBits & kNodeBitCacheMarked) != 0;
    if ((f->nodeBits & kNodeBitCacheMarked) == 0) return false;
    if (!f->GetFirstFallback()) return true;
    o = f;
  }
}
