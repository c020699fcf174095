// The root of a loaded scene: the object, material and layer lists, the
// document chunks, and the traversal that calls Execute on every material,
// layer and object to be converted.
//
// Loading:
//   MySceneFactory factory;               // or none: the library's classes
//   C4DBaseDocument document(&factory);   // installs the link support
//   GeChunkFile file;
//   bool ok = file.Open(path) && document.Load(file);
// The document keeps what was read even when the load failed.
#pragma once
#include <cstdint>

#include "c4d_layer.h"
#include "c4d_material.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "c4d_scene_factory.h"
#include "c4d_tag.h"

enum : int32_t {
  CHUNK_DOCUMENT_HEADER = 110024,
  CHUNK_DOCUMENT_MATERIALS = 110308,
  CHUNK_DOCUMENT_OBJECTS = 110107,
  CHUNK_DOCUMENT_LAYERS = 110134,
};

class C4DBaseDocument : public PrivateChunk {
 public:
  // Makes the three lists through `factory` (the library's default when
  // null), which must outlive the document.
  explicit C4DBaseDocument(C4DSceneFactory* factory = nullptr);
  C4DBaseDocument(const C4DBaseDocument&) = delete;
  C4DBaseDocument& operator=(const C4DBaseDocument&) = delete;
  ~C4DBaseDocument() override;

  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  // Reads the whole document chunk from an open file; true when it ended
  // with its end marker and the file reported no error.
  bool Load(GeChunkFile& file);

  // The traversal: every material, then every layer tree, then the object
  // tree depth first with its caches (scene_walk.h), calling Execute on
  // each. Always 1.
  virtual int32_t ExecuteAll();
  virtual int32_t ExecuteObject(C4DBaseObject* object);
  virtual int32_t ExecuteLayer(C4DBaseLayer* layer);
  // Whether the chain of first fallback-cache nodes below `object` is marked.
  bool CacheChainMarked(const C4DBaseObject* object) const;
  // Whether the traversal passes `object` on to its marked fallback cache
  // instead of converting it: the document uses marked caches, and the
  // plugin object and its chain of first fallback nodes are marked.
  bool PassesToMarkedCache(const C4DBaseObject& object) const;

  C4DSceneFactory& Factory() const { return *factory_; }
  C4DRootObject* GetObjects() const { return objects; }
  C4DRootMaterial* GetMaterials() const { return materials; }
  C4DRootLayer* GetLayers() const { return layers; }
  // The version the header chunk stored in the file while loading.
  int32_t GetFileVersion() const { return fileVersion; }

  C4DRootObject* objects = nullptr;      // owned
  C4DRootMaterial* materials = nullptr;  // owned
  C4DRootLayer* layers = nullptr;        // owned
  int32_t useMarkedCaches = 0;
  int32_t fileVersion = 0;
  // The variant of the file the document was loaded from.
  GeFileVariant fileVariant = GeFileVariant::Classic;
  bool IsNewerVariant() const { return fileVariant == GeFileVariant::Newer; }

 private:
  bool ReadList(GeChunkFile& file, PrivateChunk* list);
  C4DSceneFactory* factory_;
};
