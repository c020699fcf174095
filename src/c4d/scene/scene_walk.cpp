#include "scene_walk.h"

#include "c4d_document.h"

namespace {

void Walk(const C4DBaseDocument& document, C4DBaseObject& object, SceneWalkVisitor& visitor, bool throughCache) {
  visitor.Enter(object, throughCache);
  if (C4DBaseObject* first = object.GetFirstOverride()) {
    // Only the first node of a cache is ever converted.
    Walk(document, *first, visitor, true);
  } else if (document.PassesToMarkedCache(object)) {
    C4DBaseObject* fallback = object.GetFirstFallback();
    if (fallback && fallback->GetFirstOverride()) Walk(document, *fallback, visitor, true);
  } else {
    C4DBaseObject* fallback = visitor.Visit(object) ? nullptr : object.GetFirstFallback();
    visitor.PassedOn(object, fallback != nullptr);
    if (fallback) Walk(document, *fallback, visitor, true);
  }
  if (object.childList) {
    for (C4DBaseObject* child : object.childList->Objects()) Walk(document, *child, visitor, false);
  }
  visitor.Leave(object);
}

}  // namespace

void WalkScene(const C4DBaseDocument& document, SceneWalkVisitor& visitor) {
  if (const C4DRootObject* objects = document.GetObjects()) {
    for (C4DBaseObject* object : objects->Objects()) Walk(document, *object, visitor, false);
  }
}

void WalkSceneObject(const C4DBaseDocument& document, C4DBaseObject& object, SceneWalkVisitor& visitor) {
  Walk(document, object, visitor, false);
}
