// Helpers for the scene tests: scenes loaded from written bytes, read back.
#pragma once
#include <string>

#include "scene_loader.h"
#include "scene_writer.h"

inline std::string NameOf(const C4DBaseList2D* node) { return node ? node->GetNameString() : "<null>"; }

// The names of an object list, each object's children in parentheses.
inline std::string Tree(const C4DRootObject* list) {
  std::string text;
  if (!list) return text;
  for (C4DBaseObject* o : list->Objects()) {
    text.append(text.empty() ? "" : " ").append(NameOf(o));
    if (o->childList && !o->childList->IsEmpty()) text.append("(").append(Tree(o->childList)).append(")");
  }
  return text;
}

template <typename T>
T* DataOf(const C4DBaseObject* object) {
  auto* plugin = dynamic_cast<const C4DPluginObject*>(object);
  return plugin ? dynamic_cast<T*>(plugin->objectData) : nullptr;
}

template <typename T>
T* TagOf(const C4DBaseObject* object, int32_t type) {
  return object ? static_cast<T*>(object->GetTag(type)) : nullptr;
}
