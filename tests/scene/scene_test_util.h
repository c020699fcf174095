// Helpers for the scene tests: scenes loaded from written bytes, read back.
#pragma once
#include <string>

#include "scene_loader.h"
#include "scene_writer.h"

inline std::string NameOf(const C4DBaseList2D* node) { return node ? node->GetNameString() : "<null>"; }

template <typename T>
T* DataOf(const C4DBaseObject* object) {
  auto* plugin = dynamic_cast<const C4DPluginObject*>(object);
  return plugin ? dynamic_cast<T*>(plugin->objectData) : nullptr;
}
