#include "convert_file.h"

#include "scene_structure.h"

#include <chrono>
#include <ostream>

#include "QEL_Server_C4D.h"
#include "json_writer.h"
#include <optional>
#include <unordered_set>

#include "c4d_document.h"
#include "not_converted.h"
#include "qel_Exceptions.h"
#include "standin/host_control.h"
#include "view_camera.h"

namespace c4dimport {

namespace {

// Where the host's own work moves the bar after the import's half.
constexpr int kBarSceneBuilt = 60;
constexpr int kBarWritten = 100;

std::vector<c4dexport::ExportLayer> HostLayers() {
  std::vector<c4dexport::ExportLayer> layers;
  for (const standin::LayerLeafEntry& entry : standin::ListLayerLeaves()) {
    if (entry.leaf) layers.push_back({entry.leaf->Id(), entry.leaf->LongName(), entry.path});
  }
  return layers;
}

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The counted objects that reach no output: neither converted, nor made by
// the converter, nor left out as hidden.
std::vector<NotConvertedObject> NotConverted(const std::vector<LeftOutObject>& account,
                                             const std::vector<HiddenObject>& hidden) {
  std::unordered_set<std::string> hiddenPaths;
  for (const HiddenObject& object : hidden) hiddenPaths.insert(object.path);
  std::vector<NotConvertedObject> notConverted;
  for (const LeftOutObject& object : account) {
    if (!object.judgement.counted || object.judgement.converts || object.rebuilt || object.generatorInput) continue;
    if (hiddenPaths.count(object.path)) continue;
    notConverted.push_back({object.path, object.reason});
  }
  return notConverted;
}

bool Interrupted(const ConvertOptions& options) { return options.interrupted && options.interrupted(); }

}  // namespace

bool ReportedNotConverted(const ImportResult& result) {
  for (const standin::BoxRecord& box : result.messages) {
    if (box.kind == standin::BoxKind::Error && box.type == QEL_MSGBOX_INFORMATION) return true;
  }
  return false;
}

size_t Conversion::NotConvertedCount() const {
  if (searchedNotConverted) return notConverted.size();
  const size_t counted = result.session.total;
  return counted > result.session.converted ? counted - result.session.converted : 0;
}

size_t Conversion::Meshes() const {
  size_t n = 0;
  for (const auto& object : result.objects) n += std::string(ViewObject(object).kind) == "mesh";
  return n;
}

size_t Conversion::Polylines() const {
  size_t n = 0;
  for (const auto& object : result.objects) n += std::string(ViewObject(object).kind) == "polyline";
  return n;
}

ConversionStatus Conversion::Status() const {
  if (!result.readable) return ConversionStatus::Unreadable;
  if (!result.hostError.empty()) return ConversionStatus::HostError;
  if (!output.empty() && !written.written) return ConversionStatus::NotWritten;
  if (cancelled) return ConversionStatus::Cancelled;
  if (!failures.empty()) return ConversionStatus::Failed;
  return ConversionStatus::Ok;
}

const char* StatusName(ConversionStatus status) {
  switch (status) {
    case ConversionStatus::Ok: return "ok";
    case ConversionStatus::Unreadable: return "unreadable";
    case ConversionStatus::HostError: return "host error";
    case ConversionStatus::NotWritten: return "not written";
    case ConversionStatus::Cancelled: return "cancelled";
    case ConversionStatus::Failed: return "failed";
  }
  return "?";
}

Conversion ConvertFile(const std::string& path, const ConvertOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  Conversion conversion;
  conversion.output = options.output;
  conversion.format = options.format;
  ImportOptions import = options.import;
  // The converter's own read of the scene, at most one beside the module's.
  SceneOnDemand scene(path);
  // Every step after the module's own is guarded: one that fails leaves a
  // message, and what was converted before it is kept and written.
  const auto guarded = [&conversion](const char* step, const auto& work) {
    try {
      work();
    } catch (const std::exception& error) {
      conversion.failures.push_back(std::string(step) + ": " + error.what());
    } catch (...) {
      conversion.failures.push_back(std::string(step) + ": an unknown error");
    }
  };
  if (options.countingFigures) {
    guarded("the scene could not be counted", [&] {
      if (const C4DBaseDocument* document = scene.Get()) {
        const SceneCounts counts = CountScene(*document);
        import.figures = CountingFigures{counts.counted, counts.maxPolygons};
      }
    });
  }
  // The converting pass's account of every object, found once for the
  // output and the report.
  std::optional<std::vector<LeftOutObject>> account;
  const auto accountOf = [&](const ImportResult& result) -> std::vector<LeftOutObject>* {
    if (!account) {
      const C4DBaseDocument* document = scene.Get();
      if (!document) return nullptr;
      LeftOutOptions options;
      options.convertLarge = result.session.convertLarge;
      options.converted = true;
      account = FindLeftOutObjects(*document, options);
    }
    return &*account;
  };
  std::vector<const C4DBaseObject*> sourceObjects;  // per host object, while the scene is read
  import.whileOpen = [&](ImportResult& result) {
    if (result.readable) {
      guarded("the converter's own objects could not be made", [&] {
        std::vector<LeftOutObject>* found = accountOf(result);
        if (!found) return;
        OutputOptions output;
        output.primitives = options.primitives;
        output.keepHidden = options.keepHidden;
        output.renderLevel = options.renderLevel;
        // After Cancel or a host error nothing more is made, as the module makes nothing more.
        output.makeMore = !Interrupted(options) && result.hostError.empty() && !result.session.cancelled;
        const bool large = options.import.large == LargeAnswer::Yes || result.session.convertLarge;
        output.polygonLimit = large ? c4drebuild::kNoPolygonLimit : kLargeObjectPolygonLimit;
        output.budget = options.rebuildBudget;
        OutputAccount done = CompleteOutput(
            *found, result, CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()),
            output);
        conversion.hidden = std::move(done.hidden);
        conversion.made = std::move(done.made);
        sourceObjects = std::move(done.sourceObjects);
      });
    }
    const bool writes = !options.output.empty() && options.format;
    if ((!writes && !options.keepScene) || !result.readable) return;
    // The host's own work, on the bar's second half: what was converted,
    // also after Cancel or a host error, is written.
    try {
      c4dexport::ExportScene out =
          c4dexport::BuildExportScene(result.objects, HostLayers(), c4dexport::FileNodeName(path));
      out.camera = ViewCameraOf(path);
      out.units = options.units;
      if (const C4DBaseDocument* document = scene.Get(); document && sourceObjects.size() == result.objects.size()) {
        guarded("the scene's structure could not be read", [&] {
          AddSceneStructure(out, *document, sourceObjects, {path, options.keepHidden});
        });
      }
      CQEL_Server_C4D::SetCheckProgress(kBarSceneBuilt);
      if (writes) conversion.written = c4dexport::WriteExportFile(out, options.output, *options.format);
      if (options.keepScene) conversion.scene = std::move(out);
    } catch (const std::exception& e) {
      conversion.written.written = false;
      conversion.written.error = e.what();
    } catch (...) {
      conversion.written.written = false;
      conversion.written.error = "an unknown error";
    }
    CQEL_Server_C4D::SetCheckProgress(kBarWritten);
  };
  conversion.result = ImportFile(path, import);
  if (!options.output.empty() && !conversion.result.readable) conversion.written.error = "the file could not be read";
  conversion.cancelled = conversion.result.session.cancelled || Interrupted(options);
  if (conversion.result.readable) {
    guarded("the objects not converted could not be named", [&] {
      if (const auto* found = accountOf(conversion.result)) {
        conversion.searchedNotConverted = true;
        conversion.notConverted = NotConverted(*found, conversion.hidden);
      }
    });
  }
  for (auto& made : conversion.made) made.object = nullptr;
  conversion.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return conversion;
}

int ExitCodeOf(const Conversion& conversion) {
  if (!conversion.result.readable) return kExitUnreadable;
  if (!conversion.result.hostError.empty()) return kExitNotWritten;
  if (!conversion.output.empty() && !conversion.written.written) return kExitNotWritten;
  if (!conversion.failures.empty()) return kExitNotWritten;
  if (conversion.cancelled) return kExitCancelled;
  return kExitDone;
}

void PrintConversion(const Conversion& conversion, std::ostream& out) {
  PrintSummary(conversion.result, out);
  size_t made = 0;
  for (const auto& object : conversion.made) made += object.rebuilt;
  if (!conversion.made.empty()) out << "made by the converter: " << made << " of " << conversion.made.size() << "\n";
  for (const auto& object : conversion.made) {
    if (!object.rebuilt) out << "  not made: " << object.kind << " \"" << object.path << "\": " << object.reason << "\n";
  }
  if (!conversion.hidden.empty()) {
    out << "hidden, left out: " << Plural(conversion.hidden.size(), "object", "objects") << " (--hidden keeps them)\n";
    for (const HiddenObject& object : conversion.hidden) out << "  \"" << object.path << "\": " << object.reason << "\n";
  }
  if (!conversion.notConverted.empty()) {
    out << "not converted: " << Plural(conversion.notConverted.size(), "object", "objects") << "\n";
    for (const NotConvertedObject& object : conversion.notConverted) {
      out << "  \"" << object.path << "\": " << object.reason << "\n";
    }
  }
  for (const std::string& failure : conversion.failures) out << "failed: " << failure << "\n";
  if (conversion.output.empty() || !conversion.result.readable) return;
  const c4dexport::ExportReport& w = conversion.written;
  if (!w.written) {
    out << "not written: " << conversion.output << ": " << w.error << "\n";
    return;
  }
  out << "written: " << conversion.output << " (" << (conversion.format ? conversion.format->name : "?") << ", "
      << Plural(w.meshes, "mesh", "meshes") << ", " << Plural(w.polylines, "polyline", "polylines") << ", "
      << Plural(w.polygons, "face", "faces") << ")\n";
  for (const auto& left : w.leftOut) {
    out << "  left out of the file: object " << left.objectNumber << ", " << left.reason << "\n";
  }
  for (const std::string& note : w.notes) out << "  note: " << note << "\n";
}

void WriteConversionJson(std::ostream& out, const Conversion& conversion) {
  JsonWriter json(out);
  json.BeginObject();
  WriteResultMembers(json, conversion.result);
  if (conversion.searchedNotConverted) {
    json.Key("notConverted").BeginArray();
    for (const NotConvertedObject& object : conversion.notConverted) {
      json.BeginObject().Key("name").String(object.path).Key("reason").String(object.reason).EndObject();
    }
    json.EndArray();
    json.Key("hidden").BeginArray();
    for (const HiddenObject& object : conversion.hidden) {
      json.BeginObject().Key("name").String(object.path).Key("reason").String(object.reason);
      json.Key("convertedByModule").Bool(object.converted).EndObject();
    }
    json.EndArray();
  }
  if (!conversion.made.empty()) {
    json.Key("made").BeginArray();
    for (const auto& made : conversion.made) {
      json.BeginObject().Key("name").String(made.path).Key("kind").String(made.kind);
      json.Key("dataType").Integer(made.dataType).Key("made").Bool(made.rebuilt).Key("object");
      made.rebuilt ? json.Unsigned(made.objectIndex + 1) : json.Null();
      json.Key("note").String(made.reason).EndObject();
    }
    json.EndArray();
  }
  if (!conversion.failures.empty()) {
    json.Key("failures").BeginArray();
    for (const std::string& failure : conversion.failures) json.String(failure);
    json.EndArray();
  }
  if (!conversion.output.empty()) {
    const c4dexport::ExportReport& w = conversion.written;
    json.Key("output").BeginObject();
    json.Key("path").String(conversion.output);
    json.Key("format").String(conversion.format ? conversion.format->name : "");
    json.Key("written").Bool(w.written).Key("error");
    w.written ? json.Null() : json.String(w.error);
    json.Key("meshes").Unsigned(w.meshes).Key("polylines").Unsigned(w.polylines).Key("faces").Unsigned(w.polygons);
    json.Key("leftOut").BeginArray();
    for (const auto& left : w.leftOut) {
      json.BeginObject().Key("object").Unsigned(left.objectNumber).Key("reason").String(left.reason).EndObject();
    }
    json.EndArray();
    json.Key("notes").BeginArray();
    for (const std::string& note : w.notes) json.String(note);
    json.EndArray();
    json.EndObject();
  }
  json.EndObject();
}

}  // namespace c4dimport
