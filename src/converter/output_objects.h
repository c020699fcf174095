// What a conversion writes: the module's objects less those the scene
// hides, and what the converter makes itself of objects the module left out
// (primitives rebuilt from their parameters, splines drawn as the scene
// program draws them). The host's vector is reshaped in place, so that
// everything reported afterwards (the summary, the JSON, Python, Blender)
// counts what is written.
//
//   std::vector<LeftOutObject> account = FindLeftOutObjects(document, {.converted = true});
//   OutputAccount done = CompleteOutput(account, result, table, OutputOptions());
//   // result.objects: the module's visible objects, then those made here
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "import_run.h"
#include "not_converted.h"
#include "rebuild_primitives.h"

namespace c4dimport {

// Why the scene hides an object: "hidden in the editor", "disabled", "under
// a disabled object"; "" when it shows it.
std::string HiddenReason(const C4DBaseObject& object);

// What the converter makes of an object the module left out.
enum class ConverterWork {
  None,
  RebuildPrimitive,  // a primitive without a polygon cache, from its parameters
  DrawSpline,        // a spline the module does not convert, from its control points
  DrawSplinePrimitive,  // a spline primitive without a cache, from its parameters
  Evaluate,          // a generator without a cache, or an object with deformers (generators.h)
};
ConverterWork WorkFor(const LeftOutObject& left);
// "rebuilt from its parameters", ...; "" for None.
const char* WorkText(ConverterWork work);

// For every object the module leaves out and the converter makes, what it
// makes of it, for printers of the scene.
std::map<const C4DBaseObject*, std::string> ConverterNotes(const C4DBaseDocument& document);

// A spline the module converted as one chain through its points, which the
// scene program draws otherwise (in segments, or closed by its segment):
// the converter draws it instead.
bool RedrawnSpline(const C4DBaseObject& object);

struct OutputOptions {
  bool primitives = true;   // rebuild primitives (meshes and splines) from their parameters
  bool keepHidden = false;  // write hidden and disabled objects too
  bool renderLevel = false; // subdivide at the render level instead of the editor's
  bool makeMore = true;     // false after Cancel or a host error: only what the module made, less the hidden
  uint64_t polygonLimit = c4drebuild::kNoPolygonLimit;
  uint64_t budget = c4drebuild::kDefaultRebuildBudget;
};

// An object of the scene that the output leaves out because the scene hides it.
struct HiddenObject {
  std::string path;
  std::string reason;
  bool converted = false;  // the module had converted it
};

struct OutputAccount {
  std::vector<HiddenObject> hidden;
  // Every object the converter tried to make, made or not (with the reason).
  std::vector<c4drebuild::RebuiltPrimitive> made;
  // Per host object in `result.objects` afterwards, the scene object it
  // comes from (a generator for what it makes); null where unknown.
  std::vector<const C4DBaseObject*> sourceObjects;
};

// `account` lists the objects the module converted among those it left out
// (FindLeftOutObjects with `converted`), in the walk's order: the module's
// host objects in `result` are matched to it in turn. Hidden ones are taken
// out of `result.objects` unless kept, and so are splines the converter
// draws anew; what the converter makes follows them, a note each in
// `result.added` (a spline drawn in segments gives a polyline each). Objects made are marked `rebuilt`
// in `account`.
OutputAccount CompleteOutput(std::vector<LeftOutObject>& account, ImportResult& result,
                             const CQEL_SmartPtr<CQEL_ResourceLayerTable>& layerTable, const OutputOptions& options);

}  // namespace c4dimport
