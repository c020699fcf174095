#include "convert_file.h"

#include <chrono>
#include <ostream>

#include "QEL_Server_C4D.h"
#include "json_writer.h"
#include "not_converted.h"
#include <optional>
#include <unordered_map>

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

std::string RebuiltNote(const c4drebuild::RebuiltPrimitive& primitive) {
  return primitive.kind + " \"" + primitive.path + "\" from its parameters" +
         (primitive.reason.empty() ? "" : " (" + primitive.reason + ")");
}

// The counted objects the module did not convert, those rebuilt marked so
// (objects null: the scene may go).
std::vector<NotConvertedObject> NotConverted(const std::vector<LeftOutObject>& leftOut,
                                        const std::vector<c4drebuild::RebuiltPrimitive>& primitives) {
  std::unordered_map<const C4DBaseObject*, size_t> rebuilt;
  for (const auto& primitive : primitives) {
    if (primitive.rebuilt) rebuilt.emplace(primitive.object, primitive.objectIndex);
  }
  std::vector<NotConvertedObject> notConverted;
  for (const LeftOutObject& object : leftOut) {
    if (!object.judgement.counted) continue;
    NotConvertedObject entry{object.path, object.reason};
    if (const auto found = rebuilt.find(object.object); found != rebuilt.end()) {
      entry.reason += "; rebuilt from its parameters as object " + std::to_string(found->second + 1);
      entry.rebuilt = true;
    }
    notConverted.push_back(std::move(entry));
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

Rebuild RebuildFor(bool primitives, bool output, bool json) {
  if (!primitives) return Rebuild::Never;
  return output || json ? Rebuild::Always : Rebuild::WhenReported;
}

size_t Conversion::NotConvertedCount() const {
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
  // What the converting pass left out, found once for the rebuild and the report.
  std::optional<std::vector<LeftOutObject>> leftOut;
  const auto leftOutOf = [&](const ImportResult& result) -> std::vector<LeftOutObject>* {
    if (!leftOut) {
      const C4DBaseDocument* document = scene.Get();
      if (!document) return nullptr;
      LeftOutOptions options;
      options.convertLarge = result.session.convertLarge;
      leftOut = FindLeftOutObjects(*document, options);
    }
    return &*leftOut;
  };
  import.whileOpen = [&](ImportResult& result) {
    const bool rebuild = options.primitives == Rebuild::Always ||
                         (options.primitives == Rebuild::WhenReported && ReportedNotConverted(result));
    // After Cancel or a host error nothing more is made, as the module makes nothing more.
    if (rebuild && !Interrupted(options) && result.readable && result.hostError.empty() && !result.session.cancelled) {
      guarded("the primitives could not be rebuilt", [&] {
        if (std::vector<LeftOutObject>* found = leftOutOf(result)) {
          const bool large = options.import.large == LargeAnswer::Yes || result.session.convertLarge;
          conversion.primitives = c4drebuild::RebuildPrimitives(
              *found, result.objects,
              CQEL_Service_LayerResources::GetTable(CQEL_Service_TessaroResources::GetResourceBuffer()),
              large ? c4drebuild::kNoPolygonLimit : kLargeObjectPolygonLimit, options.rebuildBudget);
          for (const auto& primitive : conversion.primitives) {
            if (primitive.rebuilt) result.rebuilt.push_back(RebuiltNote(primitive));
          }
        }
      });
    }
    if (options.output.empty() || !options.format || !result.readable) return;
    // The host's own work, on the bar's second half: what was converted,
    // also after Cancel or a host error, is written.
    try {
      c4dexport::ExportScene scene =
          c4dexport::BuildExportScene(result.objects, HostLayers(), c4dexport::FileNodeName(path));
      scene.camera = ViewCameraOf(path);
      CQEL_Server_C4D::SetCheckProgress(kBarSceneBuilt);
      conversion.written = c4dexport::WriteExportFile(scene, options.output, *options.format);
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
  conversion.searchedNotConverted = ReportedNotConverted(conversion.result);
  if (conversion.searchedNotConverted) {
    guarded("the objects not converted could not be named", [&] {
      if (const auto* found = leftOutOf(conversion.result)) {
        conversion.notConverted = NotConverted(*found, conversion.primitives);
      }
    });
  }
  for (auto& primitive : conversion.primitives) primitive.object = nullptr;
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
  if (!conversion.notConverted.empty()) {
    out << "not converted: " << Plural(conversion.notConverted.size(), "object", "objects") << "\n";
    for (const NotConvertedObject& object : conversion.notConverted) {
      out << "  \"" << object.path << "\": " << object.reason << "\n";
    }
  }
  for (const std::string& failure : conversion.failures) out << "failed: " << failure << "\n";
  for (const auto& primitive : conversion.primitives) {
    if (!primitive.rebuilt) out << "not rebuilt: " << primitive.kind << " \"" << primitive.path << "\": " << primitive.reason << "\n";
  }
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
}

void WriteConversionJson(std::ostream& out, const Conversion& conversion) {
  JsonWriter json(out);
  json.BeginObject();
  WriteResultMembers(json, conversion.result);
  if (conversion.searchedNotConverted) {
    json.Key("notConverted").BeginArray();
    for (const NotConvertedObject& object : conversion.notConverted) {
      json.BeginObject().Key("name").String(object.path).Key("reason").String(object.reason);
      if (object.rebuilt) json.Key("rebuilt").Bool(true);
      json.EndObject();
    }
    json.EndArray();
  }
  if (!conversion.primitives.empty()) {
    json.Key("primitives").BeginArray();
    for (const auto& primitive : conversion.primitives) {
      json.BeginObject().Key("name").String(primitive.path).Key("kind").String(primitive.kind);
      json.Key("dataType").Integer(primitive.dataType).Key("rebuilt").Bool(primitive.rebuilt).Key("object");
      primitive.rebuilt ? json.Unsigned(primitive.objectIndex + 1) : json.Null();
      json.Key("note").String(primitive.reason).EndObject();
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
    json.EndObject();
  }
  json.EndObject();
}

}  // namespace c4dimport
