// Loads scene bytes into a document the way the import does: the document
// first (it installs the link support), then the file object, which owns the
// link registry until CloseFile. Header only: include it from targets that
// link the scene library (c4dscene).
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "c4d_document.h"
#include "ge_chunk_file.h"

struct LoadedScene {
  explicit LoadedScene(std::vector<uint8_t> data, C4DSceneFactory* factory = nullptr)
      : bytes(std::move(data)), document(factory), file(std::make_unique<GeChunkFile>()) {
    opened = file->OpenMemory(bytes.data(), bytes.size());
    loaded = opened && document.Load(*file);
    error = file->GetError();
  }

  // Destroys the file object and with it the link registry; links that were
  // paired stay paired.
  void CloseFile() { file.reset(); }

  C4DRootObject& Objects() const { return *document.objects; }
  C4DRootMaterial& Materials() const { return *document.materials; }
  C4DRootLayer& Layers() const { return *document.layers; }
  // The n-th top-level object (0-based), or null.
  C4DBaseObject* Object(int n) const {
    C4DBaseObject* o = document.objects ? document.objects->GetFirstObject() : nullptr;
    while (o && n-- > 0) o = o->GetNext();
    return o;
  }

  std::vector<uint8_t> bytes;
  C4DBaseDocument document;
  std::unique_ptr<GeChunkFile> file;
  bool opened = false;
  bool loaded = false;
  int32_t error = 0;
};
