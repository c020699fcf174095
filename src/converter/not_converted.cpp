#include "not_converted.h"

#include <utility>

#include "ge_chunk_file.h"
#include "scene_walk.h"

namespace c4dimport {

namespace {

// Walks as the converting pass: objects not dealt with pass on to their caches.
class LeftOutFinder final : public SceneWalkVisitor {
 public:
  LeftOutFinder(const C4DBaseDocument& document, const LeftOutOptions& options)
      : m_newer(document.IsNewerVariant()), m_options(options) {}

  bool Visit(C4DBaseObject& object) override {
    ObjectJudgementOptions judging;
    judging.convertLarge = m_options.convertLarge;
    judging.checkFaces = true;
    m_judgement = JudgeObject(object, judging);
    return m_judgement.dealtWith;
  }

  // An object whose fallback cache stands for it is not left out.
  void PassedOn(C4DBaseObject& object, bool toCache) override {
    if (toCache) return;
    if (m_judgement.reason == LeftOutReason::None && !(m_options.converted && m_judgement.converts)) return;
    LeftOutObject left;
    left.object = &object;
    if (m_options.paths) left.path = Path();
    left.judgement = m_judgement;
    left.reason = LeftOutReasonText(m_judgement, m_newer);
    m_left.push_back(std::move(left));
  }

  void Enter(C4DBaseObject& object, bool throughCache) override { m_trail.push_back({&object, throughCache}); }
  void Leave(C4DBaseObject&) override { m_trail.pop_back(); }

  std::vector<LeftOutObject> Take() { return std::move(m_left); }

 private:
  // The names of the trail, built only for an object that is reported: the
  // last parts that fit into kMaxPath, each cut to kMaxPathPart.
  std::string Path() const {
    std::vector<std::string> parts;
    size_t length = 0;
    for (auto it = m_trail.rbegin(); it != m_trail.rend(); ++it) {
      std::string part = it->second ? "cache: " : "";
      std::string name = it->first->GetNameString();
      if (name.size() > kMaxPathPart) name = name.substr(0, kMaxPathPart - 3) + "...";
      part += name;
      if (length + part.size() + 3 > kMaxPath && !parts.empty()) {
        parts.push_back("...");
        break;
      }
      length += part.size() + 3;
      parts.push_back(std::move(part));
    }
    std::string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) path += (path.empty() ? "" : " / ") + *it;
    return path;
  }

  bool m_newer;
  const LeftOutOptions& m_options;
  std::vector<std::pair<const C4DBaseObject*, bool>> m_trail;
  ObjectJudgement m_judgement;  // of the object just visited
  std::vector<LeftOutObject> m_left;
};

// Walks as the counting pass: an object counted is dealt with.
class Counter final : public SceneWalkVisitor {
 public:
  bool Visit(C4DBaseObject& object) override {
    const ObjectJudgement judgement = JudgeObject(object, ObjectJudgementOptions());
    if (!judgement.counted) return judgement.dealtWith;
    ++counts.counted;
    if (judgement.polygons > counts.maxPolygons) counts.maxPolygons = judgement.polygons;
    return true;
  }
  SceneCounts counts;
};

}  // namespace

C4DBaseDocument* SceneOnDemand::Get() {
  if (m_tried) return m_loaded ? &m_document : nullptr;
  m_tried = true;
  GeChunkFile file;
  m_loaded = file.Open(m_path.c_str()) && m_document.Load(file);
  return m_loaded ? &m_document : nullptr;
}

std::vector<LeftOutObject> FindLeftOutObjects(const C4DBaseDocument& document, const LeftOutOptions& options) {
  LeftOutFinder finder(document, options);
  WalkScene(document, finder);
  return finder.Take();
}

SceneCounts CountScene(const C4DBaseDocument& document) {
  Counter counter;
  WalkScene(document, counter);
  return counter.counts;
}

std::map<const C4DBaseObject*, std::string> LeftOutReasons(const C4DBaseDocument& document) {
  LeftOutOptions options;
  options.paths = false;
  std::map<const C4DBaseObject*, std::string> reasons;
  for (LeftOutObject& left : FindLeftOutObjects(document, options)) reasons[left.object] = std::move(left.reason);
  return reasons;
}

}  // namespace c4dimport
