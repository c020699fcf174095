// The converter's account of an import, from its own read of the scene:
// the walk of the objects the import visits (scene_walk.h), each judged by
// the import's own rules (object_judgement.h), as the counting pass gives
// the counting figures, and as the converting pass the objects left out
// with their reasons (among them the primitives to rebuild). The module
// keeps no log; nothing here restates one of its rules.
//
//   SceneOnDemand scene(path);
//   SceneCounts counts = CountScene(*scene.Get());
//   for (const LeftOutObject& o : FindLeftOutObjects(*scene.Get(), {})) if (o.judgement.counted) ...   // behind 105
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "c4d_document.h"
#include "object_judgement.h"

namespace c4dimport {

// The converter's read of a scene keeps what the module's does not need:
// the spline tags that say how a spline is drawn, and the polygon selections
// that texture tags restrict their materials to.
class ConverterSceneFactory final : public C4DSceneFactory {
 public:
  bool KeepsSplineTags() const override { return true; }
  bool KeepsSelectionTags() const override { return true; }
};

// The scene as the scene library reads it, beside the module's own read:
// loaded once, on the first step that needs it.
class SceneOnDemand {
 public:
  explicit SceneOnDemand(std::string path) : m_path(std::move(path)) {}
  C4DBaseDocument* Get();

 private:
  std::string m_path;
  ConverterSceneFactory m_factory;
  C4DBaseDocument m_document{&m_factory};  // before the file: it installs the link support
  bool m_tried = false;
  bool m_loaded = false;
};

struct LeftOutObject {
  C4DBaseObject* object = nullptr;  // in the document accounted for
  // Names from the top, "House / Walls", a cache's object as "Cube / cache:
  // Cube"; each name and the whole cut to a length that any report can hold.
  std::string path;
  ObjectJudgement judgement;
  std::string reason;    // for a person: what it is and what would bring it in
  bool rebuilt = false;  // the converter made it (rebuilt, drew or evaluated it)
  bool generatorInput = false;  // an input of a generator the converter evaluated or refused
};

struct LeftOutOptions {
  bool convertLarge = false;  // the large question was answered Yes
  bool paths = true;          // give each object left out its path
  // Also list every object the module converts (reason None), in the order
  // the module appends its host objects.
  bool converted = false;
};

// Every object the converting pass leaves without a host object, with its
// reason, in the walk's order; nulls and empty objects are not listed, and
// an object whose fallback cache the walk goes on to is not either. With
// `converted`, the objects it converts stand among them.
std::vector<LeftOutObject> FindLeftOutObjects(const C4DBaseDocument& document,
                                              const LeftOutOptions& options = LeftOutOptions());

// The figures of the counting pass, which counts a primitive or an instance
// for its cache and does not go on into the cache.
struct SceneCounts {
  uint32_t counted = 0;      // objects counted as convertible
  uint32_t maxPolygons = 0;  // the largest counted mesh's polygon count
};
SceneCounts CountScene(const C4DBaseDocument& document);

// Why each object is left out, by object, for printers of the scene.
std::map<const C4DBaseObject*, std::string> LeftOutReasons(const C4DBaseDocument& document);

// The longest name part and path a report carries.
constexpr size_t kMaxPathPart = 100;
constexpr size_t kMaxPath = 1000;

}  // namespace c4dimport
