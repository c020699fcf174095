// Helpers for the scene tests: documents written chunk by chunk.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene_loader.h"
#include "scene_writer.h"

// A document with a header chunk of `version`, then whatever `body` writes
// inside the document chunk.
inline std::vector<uint8_t> DocumentWith(int32_t version, const std::function<void(SceneWriter&)>& body) {
  C4DWriter w;
  SceneWriter s(w, version);
  w.Header().StartChunk(scene_chunk::kDocument, 0);
  s.DocumentHeader(version, false);
  body(s);
  w.EndChunk();
  return w.Take();
}

// A document whose object list chunk holds what `objects` writes.
inline std::vector<uint8_t> ObjectsDocument(int32_t version, const std::function<void(SceneWriter&)>& objects) {
  return DocumentWith(version, [&](SceneWriter& s) {
    s.Raw().StartChunk(scene_chunk::kObjects, 0);
    objects(s);
    s.Raw().EndChunk();
  });
}

// A scene of the given objects only.
inline SceneSpec SceneOf(std::vector<ObjectSpec> objects, int32_t version = kSceneVersionCurrent) {
  SceneSpec scene;
  scene.version = version;
  scene.objects = std::move(objects);
  return scene;
}

inline std::string NameOf(const C4DBaseList2D* node) { return node ? node->GetNameString() : "<null>"; }
