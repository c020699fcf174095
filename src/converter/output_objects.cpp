#include "output_objects.h"

#include <unordered_set>

#include "c4d_object.h"
#include "c4d_object_data.h"
#include "ge_alloc.h"
#include "generators.h"
#include "host_objects.h"
#include "primitives.h"
#include "qel_Exceptions.h"
#include "spline_input.h"
#include "text_outline.h"

namespace c4dimport {

namespace {

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

// What a polyline's host objects take per point: the point and its edge.
constexpr uint64_t kHostBytesPerPolylinePoint = 100;

std::string Joined(const std::vector<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

std::string MadeNote(const c4drebuild::RebuiltPrimitive& made, const char* how) {
  return std::string(how) + ": " + made.kind + " \"" + made.path + "\" " +
         (made.dataType == OBJECT_SPLINE ? "from its control points" : "from its parameters") +
         (made.reason.empty() ? "" : " (" + made.reason + ")");
}

// Draws a spline or spline primitive as one polyline per segment, each with
// its note in `result.added`.
c4drebuild::RebuiltPrimitive DrawShape(const C4DBaseObject& object, const std::string& path, ConverterWork work,
                                       ImportResult& result, const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table,
                                       GeAllocMeter& budget) {
  c4drebuild::RebuiltPrimitive made;
  made.object = &object;
  made.path = path;
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  made.dataType = work == ConverterWork::DrawSplinePrimitive && plugin ? plugin->GetDataTypeId() : OBJECT_SPLINE;
  const bool text = made.dataType == c4dgen::TEXT_SPLINE;
  made.kind = work != ConverterWork::DrawSplinePrimitive ? "spline"
              : text ? "text" : c4dprim::SplinePrimitiveName(made.dataType);
  try {
    const c4dprim::SplineRead read = work != ConverterWork::DrawSplinePrimitive ? c4dgen::DrawnSpline(object)
                                     : text ? c4dgen::TextOutline(object.data)
                                            : c4dprim::ReadSplinePrimitive(made.dataType, object.data);
    if (!read.shape) {
      made.reason = read.reason;
      return made;
    }
    uint64_t points = 0;
    for (const c4dprim::SplineSegment& segment : read.shape->segments) points += segment.points.size();
    if (!budget.Charge(points * kHostBytesPerPolylinePoint)) {
      made.reason = "polylines of " + std::to_string(points) + " points, over what this file may make (" +
                    std::to_string(budget.limit >> 20) + " MiB of host objects, " +
                    std::to_string(budget.used >> 20) + " MiB taken)";
      return made;
    }
    made.reason = Joined(read.shape->notes);
    const size_t first = result.objects.size(), count = read.shape->segments.size();
    for (size_t i = 0; i < count; ++i) {
      const c4dprim::SplineSegment& segment = read.shape->segments[i];
      if (!c4dhost::AppendPolyline(object, segment.points, segment.closed, result.objects, table)) continue;
      std::string note = MadeNote(made, "drawn");
      if (count > 1) note += ", segment " + std::to_string(i + 1) + " of " + std::to_string(count);
      result.added.push_back(std::move(note));
      result.sources.push_back(path);
    }
    made.rebuilt = result.objects.size() > first;
    made.objectIndex = first;
    if (!made.rebuilt) made.reason = "it gives no line (fewer than two points)";
  } catch (CQEL_AppException* exception) {
    made.reason = "the host could not make it: " + std::string(exception->PrintReport());
    delete exception;
  } catch (const std::exception& error) {
    made.reason = std::string("it could not be drawn: ") + error.what();
  }
  return made;
}

// The module's objects matched to the account's converted objects in turn:
// all of them after a whole import, the first ones after Cancel or a host
// error; none when the two disagree (nothing is then taken out).
std::vector<LeftOutObject*> MatchModuleObjects(std::vector<LeftOutObject>& account, const ImportResult& result) {
  std::vector<LeftOutObject*> converted;
  for (LeftOutObject& entry : account) {
    if (entry.judgement.converts) converted.push_back(&entry);
  }
  const bool cutShort = result.session.cancelled || !result.hostError.empty();
  if (converted.size() < result.moduleObjects || (!cutShort && converted.size() != result.moduleObjects)) return {};
  converted.resize(result.moduleObjects);
  return converted;
}

// Objects the converter evaluates as a whole (generators the module left
// out, instances without a cache, objects bent by deformers), and everything
// below them, which their result replaces.
class EvaluatedObjects {
 public:
  explicit EvaluatedObjects(const std::vector<LeftOutObject>& account) {
    for (const LeftOutObject& left : account) {
      const C4DBaseObject& object = *left.object;
      const bool generator = left.judgement.reason == LeftOutReason::InstanceWithoutCache ||
                             (left.judgement.reason == LeftOutReason::UnknownDataWithoutCache &&
                              c4dgen::RoleOf(object) == c4dgen::Role::Generator);
      if (generator || c4dgen::HasDeformer(object)) m_wholes.insert(&object);
    }
  }
  // Evaluated as a whole itself, not as part of another.
  bool IsWhole(const C4DBaseObject& object) const { return m_wholes.count(&object) && !Below(object); }
  // Evaluated, as a whole or as part of one.
  bool Covers(const C4DBaseObject& object) const { return m_wholes.count(&object) || Below(object); }

 private:
  bool Below(const C4DBaseObject& object) const {
    for (const C4DBaseObject* p = object.GetParent(); p; p = p->GetParent()) {
      if (m_wholes.count(p)) return true;
    }
    return false;
  }
  std::unordered_set<const C4DBaseObject*> m_wholes;
};

// Appends what a generator (or an object with its deformers) makes, placed
// by its global matrix, each piece coloured as the object it comes from.
c4drebuild::RebuiltPrimitive Generate(const LeftOutObject& left, c4dgen::Evaluator& evaluator, ImportResult& result,
                                      const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, GeAllocMeter& budget) {
  const C4DBaseObject& object = *left.object;
  c4drebuild::RebuiltPrimitive made;
  made.object = &object;
  made.path = left.path;
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  made.dataType = plugin ? plugin->GetDataTypeId() : object.typeId;
  made.kind = c4dgen::RoleOf(object) == c4dgen::Role::Generator || left.judgement.reason == LeftOutReason::InstanceWithoutCache
                  ? c4dgen::GeneratorName(made.dataType)
                  : "deformed object";
  try {
    const c4dgen::Evaluation done = evaluator.Evaluate(object);
    if (!done.evaluated) {
      made.reason = done.reason + (done.notes.empty() ? "" : " (" + Joined(done.notes) + ")") +
                    ": its inputs are not written";
      return made;
    }
    made.reason = Joined(done.notes);
    uint64_t bytes = 0;
    for (const c4dgen::Piece& piece : done.pieces) {
      bytes += piece.polygons.empty() ? piece.points.size() * kHostBytesPerPolylinePoint
                                      : piece.polygons.size() * c4drebuild::kHostBytesPerPolygon;
    }
    if (!budget.Charge(bytes)) {
      made.reason = "a result of " + std::to_string(bytes >> 20) + " MiB of host objects, over what this file may make (" +
                    std::to_string(budget.limit >> 20) + " MiB, " + std::to_string(budget.used >> 20) +
                    " MiB taken): its inputs are not written";
      return made;
    }
    const Matrix64 mg = object.GetMg64();
    const size_t first = result.objects.size();
    for (const c4dgen::Piece& piece : done.pieces) {
      const C4DBaseObject& look = piece.look ? *piece.look : object;
      const bool appended = piece.polygons.empty()
                                ? c4dhost::AppendPolyline(look, mg, piece.points, piece.closed, result.objects, table)
                                : c4dhost::AppendMesh(look, mg, piece.points, piece.polygons, result.objects, table);
      if (!appended) continue;
      result.added.push_back("generated: " + made.kind + " \"" + made.path + "\"" +
                             (made.reason.empty() ? "" : " (" + made.reason + ")"));
      result.sources.push_back(made.path);
    }
    made.rebuilt = result.objects.size() > first;
    made.objectIndex = first;
    if (!made.rebuilt) made.reason = "it makes nothing" + (made.reason.empty() ? "" : " (" + made.reason + ")");
  } catch (CQEL_AppException* exception) {
    made.reason = "the host could not make it: " + std::string(exception->PrintReport());
    delete exception;
  } catch (const std::exception& error) {
    made.reason = std::string("it could not be evaluated: ") + error.what();
  }
  return made;
}

// Takes the module's objects over, less those the scene hides (unless kept)
// and the splines drawn anew (returned, to be drawn with the rest).
std::vector<LeftOutObject*> TakeOverModuleObjects(std::vector<LeftOutObject>& account, ImportResult& result,
                                                  bool keepHidden, const EvaluatedObjects& evaluated,
                                                  OutputAccount& done) {
  const std::vector<LeftOutObject*> matched = MatchModuleObjects(account, result);
  std::vector<LeftOutObject*> redrawn;
  result.sources.assign(result.objects.size(), "");
  if (matched.empty()) return redrawn;
  HostObjects kept;
  kept.reserve(result.objects.size());
  std::vector<std::string> sources;
  done.sourceObjects.clear();
  for (size_t i = 0; i < matched.size(); ++i) {
    std::string reason = keepHidden ? "" : HiddenReason(*matched[i]->object);
    if (evaluated.Covers(*matched[i]->object)) {
      continue;  // written as part of what a generator makes, or left out with it
    } else if (!reason.empty()) {
      done.hidden.push_back({matched[i]->path, std::move(reason), true});
    } else if (RedrawnSpline(*matched[i]->object)) {
      redrawn.push_back(matched[i]);
    } else {
      kept.push_back(std::move(result.objects[i]));
      sources.push_back(matched[i]->path);
      done.sourceObjects.push_back(matched[i]->object);
    }
  }
  for (size_t i = matched.size(); i < result.objects.size(); ++i) {
    kept.push_back(std::move(result.objects[i]));
    sources.emplace_back();
    done.sourceObjects.push_back(nullptr);
  }
  result.objects = std::move(kept);
  result.sources = std::move(sources);
  result.moduleObjects = result.objects.size();
  return redrawn;
}

}  // namespace

bool RedrawnSpline(const C4DBaseObject& object) {
  const auto* spline = dynamic_cast<const C4DSplineObject*>(&object);
  const auto* segments = spline ? static_cast<const PrivateC4DSegmentTag*>(spline->GetTag(TAG_TYPE_SEGMENT)) : nullptr;
  if (!segments || segments->segmentCount <= 0 || !segments->segments) return false;
  return segments->segmentCount > 1 || (segments->segments[0].closed != 0) != spline->IsClosed();
}

std::string HiddenReason(const C4DBaseObject& object) {
  if (object.disabled) return "disabled";
  if (object.IsDisabledInTree()) return "under a disabled object";
  if (object.IsHiddenInEditor()) return "hidden in the editor";
  return "";
}

ConverterWork WorkFor(const LeftOutObject& left) {
  const LeftOutReason reason = left.judgement.reason;
  // The module knows some primitives only as data types it does not convert.
  if (reason == LeftOutReason::SplineNotLinear) return ConverterWork::DrawSpline;
  if (reason == LeftOutReason::PrimitiveWithoutCache || reason == LeftOutReason::UnknownDataWithoutCache) {
    const auto* plugin = dynamic_cast<const C4DPluginObject*>(left.object);
    if (!plugin) return ConverterWork::None;
    if (c4dprim::IsRebuildablePrimitive(plugin->GetDataTypeId())) return ConverterWork::RebuildPrimitive;
    if (c4dprim::IsSplinePrimitive(plugin->GetDataTypeId()) || plugin->GetDataTypeId() == c4dgen::TEXT_SPLINE) {
      return ConverterWork::DrawSplinePrimitive;
    }
    if (IsSplineObject(plugin)) return ConverterWork::DrawSpline;
  }
  return ConverterWork::None;
}

const char* WorkText(ConverterWork work) {
  switch (work) {
    case ConverterWork::None: return "";
    case ConverterWork::RebuildPrimitive: return "rebuilt from its parameters";
    case ConverterWork::DrawSpline: return "drawn from its control points";
    case ConverterWork::DrawSplinePrimitive: return "drawn from its parameters";
    case ConverterWork::Evaluate: return "evaluated from its parameters and children";
  }
  return "";
}

std::map<const C4DBaseObject*, std::string> ConverterNotes(const C4DBaseDocument& document) {
  LeftOutOptions options;
  options.paths = false;
  options.converted = true;
  std::map<const C4DBaseObject*, std::string> notes;
  const std::vector<LeftOutObject> account = FindLeftOutObjects(document, options);
  const EvaluatedObjects evaluated(account);
  for (const LeftOutObject& left : account) {
    const ConverterWork work = evaluated.IsWhole(*left.object) ? ConverterWork::Evaluate
                               : evaluated.Covers(*left.object) || left.judgement.converts ? ConverterWork::None
                                                                                           : WorkFor(left);
    if (evaluated.Covers(*left.object) && work == ConverterWork::None) {
      notes[left.object] = "part of what the generator above it makes";
    } else if (work != ConverterWork::None) {
      notes[left.object] = WorkText(work);
    }
  }
  return notes;
}

OutputAccount CompleteOutput(std::vector<LeftOutObject>& account, ImportResult& result,
                             const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable, const OutputOptions& options) {
  OutputAccount done;
  const EvaluatedObjects evaluated(account);
  const std::vector<LeftOutObject*> redrawn =
      TakeOverModuleObjects(account, result, options.keepHidden, evaluated, done);
  done.sourceObjects.resize(result.objects.size(), nullptr);
  if (!options.makeMore) return done;
  GeAllocMeter budget;
  budget.limit = options.budget;
  // Every host object added names the object it was made for.
  const auto note = [&](LeftOutObject& left) {
    left.rebuilt = done.made.back().rebuilt;
    done.sourceObjects.resize(result.objects.size(), left.object);
  };
  for (LeftOutObject* left : redrawn) {
    done.made.push_back(DrawShape(*left->object, left->path, ConverterWork::DrawSpline, result, layerTable, budget));
    note(*left);
  }
  c4dgen::Evaluator evaluator;
  evaluator.renderLevel = options.renderLevel;
  for (LeftOutObject& left : account) {
    const bool whole = evaluated.IsWhole(*left.object);
    left.generatorInput = !whole && evaluated.Covers(*left.object);
    if (!whole && (left.judgement.converts || left.generatorInput)) continue;
    const ConverterWork work = whole ? ConverterWork::Evaluate : WorkFor(left);
    if (work == ConverterWork::None) {
      // An unknown object below another may be a deformer: say that its effect is not there.
      if (left.judgement.reason == LeftOutReason::UnknownDataWithoutCache && left.object->GetParent() &&
          c4dgen::IsUnknownObject(*left.object) && !left.object->GetFirstChild()) {
        c4drebuild::RebuiltPrimitive unknown;
        unknown.path = left.path;
        unknown.dataType = left.judgement.dataType;
        unknown.kind = "unknown object";
        unknown.reason = c4dgen::UnknownBelowNote(*left.object);
        done.made.push_back(std::move(unknown));
      }
      continue;
    }
    if (work != ConverterWork::DrawSpline && !options.primitives) continue;
    if (!options.keepHidden) {
      if (std::string reason = HiddenReason(*left.object); !reason.empty()) {
        done.hidden.push_back({left.path, std::move(reason), false});
        continue;
      }
    }
    if (work == ConverterWork::Evaluate) {
      done.made.push_back(Generate(left, evaluator, result, layerTable, budget));
    } else if (work == ConverterWork::RebuildPrimitive) {
      const auto& plugin = static_cast<const C4DPluginObject&>(*left.object);
      done.made.push_back(
          c4drebuild::RebuildPrimitive(plugin, left.path, result.objects, layerTable, options.polygonLimit, budget));
      if (done.made.back().rebuilt) {
        result.added.push_back(MadeNote(done.made.back(), "rebuilt"));
        result.sources.push_back(left.path);
      }
    } else {
      done.made.push_back(DrawShape(*left.object, left.path, work, result, layerTable, budget));
    }
    note(left);
  }
  return done;
}

}  // namespace c4dimport
