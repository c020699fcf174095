#include "output_objects.h"

#include "c4d_object.h"
#include "c4d_object_data.h"
#include "ge_alloc.h"
#include "primitives.h"

namespace c4dimport {

namespace {

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

std::string MadeNote(const c4drebuild::RebuiltPrimitive& made) {
  return "rebuilt: " + made.kind + " \"" + made.path + "\" from its parameters" +
         (made.reason.empty() ? "" : " (" + made.reason + ")");
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

void TakeOutHidden(std::vector<LeftOutObject>& account, ImportResult& result, OutputAccount& done) {
  const std::vector<LeftOutObject*> matched = MatchModuleObjects(account, result);
  if (matched.empty()) return;
  HostObjects kept;
  kept.reserve(result.objects.size());
  for (size_t i = 0; i < matched.size(); ++i) {
    std::string reason = HiddenReason(*matched[i]->object);
    if (reason.empty()) {
      kept.push_back(std::move(result.objects[i]));
    } else {
      done.hidden.push_back({matched[i]->path, std::move(reason), true});
    }
  }
  for (size_t i = matched.size(); i < result.objects.size(); ++i) kept.push_back(std::move(result.objects[i]));
  result.objects = std::move(kept);
  result.moduleObjects = result.objects.size();
}

}  // namespace

std::string HiddenReason(const C4DBaseObject& object) {
  if (object.disabled) return "disabled";
  if (object.IsDisabledInTree()) return "under a disabled object";
  if (object.IsHiddenInEditor()) return "hidden in the editor";
  return "";
}

ConverterWork WorkFor(const LeftOutObject& left) {
  const LeftOutReason reason = left.judgement.reason;
  // The module knows some primitives only as data types it does not convert.
  if (reason == LeftOutReason::PrimitiveWithoutCache || reason == LeftOutReason::UnknownDataWithoutCache) {
    const auto* plugin = dynamic_cast<const C4DPluginObject*>(left.object);
    if (plugin && c4dprim::IsRebuildablePrimitive(plugin->GetDataTypeId())) return ConverterWork::RebuildPrimitive;
  }
  return ConverterWork::None;
}

const char* WorkText(ConverterWork work) {
  switch (work) {
    case ConverterWork::None: return "";
    case ConverterWork::RebuildPrimitive: return "rebuilt from its parameters";
  }
  return "";
}

std::map<const C4DBaseObject*, std::string> ConverterNotes(const C4DBaseDocument& document) {
  LeftOutOptions options;
  options.paths = false;
  std::map<const C4DBaseObject*, std::string> notes;
  for (const LeftOutObject& left : FindLeftOutObjects(document, options)) {
    if (const ConverterWork work = WorkFor(left); work != ConverterWork::None) notes[left.object] = WorkText(work);
  }
  return notes;
}

OutputAccount CompleteOutput(std::vector<LeftOutObject>& account, ImportResult& result,
                             const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable, const OutputOptions& options) {
  OutputAccount done;
  if (!options.keepHidden) TakeOutHidden(account, result, done);
  if (!options.makeMore) return done;
  GeAllocMeter budget;
  budget.limit = options.budget;
  for (LeftOutObject& left : account) {
    if (left.judgement.converts) continue;
    const ConverterWork work = WorkFor(left);
    if (work == ConverterWork::None) continue;
    if (!options.keepHidden) {
      if (std::string reason = HiddenReason(*left.object); !reason.empty()) {
        done.hidden.push_back({left.path, std::move(reason), false});
        continue;
      }
    }
    if (work == ConverterWork::RebuildPrimitive && options.primitives) {
      const auto& plugin = static_cast<const C4DPluginObject&>(*left.object);
      done.made.push_back(
          c4drebuild::RebuildPrimitive(plugin, left.path, result.objects, layerTable, options.polygonLimit, budget));
    } else {
      continue;
    }
    left.rebuilt = done.made.back().rebuilt;
    if (left.rebuilt) {
      done.made.back().objectIndex = result.objects.size() - 1;
      result.added.push_back(MadeNote(done.made.back()));
    }
  }
  return done;
}

}  // namespace c4dimport
