#include "import_run.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include <afx.h>
#include <comdef.h>

#include "QEL_Server_C4D.h"
#include "json_writer.h"

namespace c4dimport {

namespace {

constexpr UINT kProgressDialogTemplate = 102;
constexpr UINT kLargeObjectQuestion = 106;

// Without counting figures from the caller, the counts are learnt as the
// host learns them: message 103 says the file was unreadable; message 105 gives the
// objects not converted and the objects counted; message 104 alone says that
// nothing was counted; neither says that all counted objects were converted.
void CountsFromMessages(ImportResult& result) {
  bool nothingConverted = false, notAllConverted = false;
  for (const standin::BoxRecord& box : result.messages) {
    if (box.kind != standin::BoxKind::Error) continue;
    if (box.type == QEL_MSGBOX_ERROR) result.readable = false;
    if (box.type != QEL_MSGBOX_INFORMATION) continue;
    unsigned notConverted = 0, counted = 0;
    if (std::sscanf(box.text.c_str(), "%u of %u", &notConverted, &counted) == 2) {
      notAllConverted = true;
      result.session.total = counted;
    } else {
      nothingConverted = true;
    }
  }
  if (!notAllConverted) result.session.total = nothingConverted ? 0 : result.session.converted;
}


// ---- JSON ---------------------------------------------------------------------------

// The note of an object added after the import, or null.
const std::string* AddedNote(const ImportResult& result, size_t i) {
  if (i < result.moduleObjects || i - result.moduleObjects >= result.added.size()) return nullptr;
  return &result.added[i - result.moduleObjects];
}

const std::string* SourceOf(const ImportResult& result, size_t i) {
  return i < result.sources.size() ? &result.sources[i] : nullptr;
}

void WriteObjectJson(JsonWriter& json, const CQEL_SmartPtr<CQEL_Object>& object, const std::string* source,
                     const std::string* added) {
  const ObjectView view = ViewObject(object);
  const CQEL_GeoPolyhedron3D* geometry = view.geometry;
  json.BeginObject().Key("kind").String(view.kind);
  if (source) json.Key("source").String(*source);
  if (added) json.Key("added").String(*added);
  json.Key("dimension").Integer(geometry ? int(geometry->GetDimension()) : 0);
  json.Key("orientation").Integer(geometry ? int(geometry->GetOrientation()) : 0);
  json.Key("layer").Unsigned(view.layer);
  json.Key("argb").BeginArray(true);
  for (int value : view.argb) json.Integer(value);
  json.EndArray();
  json.Key("surface");
  view.surface.empty() ? json.Null() : json.String(view.surface);
  json.Key("points").BeginArray();
  if (geometry) {
    for (const auto& point : geometry->GetPoints()) {
      if (!point) {
        json.Null();
        continue;
      }
      json.BeginArray(true).Number(point->X()).Number(point->Y()).Number(point->Z()).EndArray();
    }
  }
  json.EndArray();
  json.Key("edges").BeginArray();
  if (geometry) {
    for (const auto& edge : geometry->GetEdges()) json.BeginArray(true).Unsigned(edge.first).Unsigned(edge.second).EndArray();
  }
  json.EndArray();
  json.Key("faces").BeginArray();
  if (geometry) {
    for (const auto& face : geometry->GetFaces()) {
      json.BeginArray(true);
      for (int entry : face) json.Integer(entry);
      json.EndArray();
    }
  }
  json.EndArray();
  json.EndObject();
}

void WriteLayerJson(JsonWriter& json, const standin::LayerLeafEntry& entry) {
  const CQEL_ResourceLayerLeaf& leaf = *entry.leaf;
  json.BeginObject().Key("id").Unsigned(leaf.Id());
  json.Key("long").String(leaf.LongName());
  json.Key("short").String(leaf.ShortName());
  json.Key("path").BeginArray(true);
  for (const std::string& name : entry.path) json.String(name);
  json.EndArray();
  json.Key("config").Integer(int(leaf.LayerConfigurationSetting()));
  json.Key("userDefined").Bool(leaf.UserDefinedLayerDef());
  json.EndObject();
}

// ---- the summary --------------------------------------------------------------------

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

const char* ConfigurationName(QEL_LAYER_CONFIGURATION_SETTING setting) {
  switch (setting) {
    case QEL_LAYER_CONFIGURATION_EDITABLE: return "editable";
    case QEL_LAYER_CONFIGURATION_LOCKED: return "locked";
    case QEL_LAYER_CONFIGURATION_HIDDEN: return "hidden";
  }
  return "?";
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "" : separator) + name;
  return out;
}

// One object in a line: kind, sizes, layer, colour, surface.
std::string ObjectLine(const CQEL_SmartPtr<CQEL_Object>& object) {
  const ObjectView view = ViewObject(object);
  std::string line = view.kind;
  if (const CQEL_GeoPolyhedron3D* geometry = view.geometry) {
    const auto& points = geometry->GetPoints();
    line += ", " + Plural(points.size(), "point", "points") + ", " +
            Plural(geometry->GetEdges().size(), "edge", "edges");
    if (geometry->GetDimension() == QEL_DIMENSION_3D) {
      line += ", " + Plural(geometry->GetFaces().size(), "face", "faces");
    }
    if (points.size() > 1 && points.front().Get() == points.back().Get()) line += ", closed";
  }
  line += ", layer " + std::to_string(view.layer) + ", ARGB " + std::to_string(view.argb[0]) + " " +
          std::to_string(view.argb[1]) + " " + std::to_string(view.argb[2]) + " " + std::to_string(view.argb[3]);
  if (!view.surface.empty()) line += ", surface " + view.surface;
  return line;
}

}  // namespace

int PresetAnswer(LargeAnswer answer) {
  switch (answer) {
    case LargeAnswer::Yes: return IDYES;
    case LargeAnswer::No: return IDNO;
    case LargeAnswer::Cancel: return IDCANCEL;
    case LargeAnswer::Ask: return 0;
  }
  return 0;
}

ObjectView ViewObject(const CQEL_SmartPtr<CQEL_Object>& object) {
  ObjectView view;
  auto* basis = dynamic_cast<CQEL_BasisPolyhedron3D*>(object.Get());
  if (!basis) return view;
  view.basis = basis;
  const CQEL_SmartPtr<CQEL_Geometry> geometry = basis->GetGeometry();
  view.geometry = dynamic_cast<const CQEL_GeoPolyhedron3D*>(geometry.Get());
  if (view.geometry) {
    if (view.geometry->GetDimension() == QEL_DIMENSION_3D) view.kind = "mesh";
    if (view.geometry->GetDimension() == QEL_DIMENSION_1D) view.kind = "polyline";
  }
  if (const CQEL_SmartPtr<CQEL_CommonStyle> style = basis->GetCommonStyle()) {
    if (const CQEL_SmartPtr<CQEL_UnsignedIntRef> layer = style->Layer()) view.layer = layer->Get();
    if (const CQEL_SmartPtr<CQEL_ColorARGB> colour = style->Color()) {
      view.argb[0] = colour->A();
      view.argb[1] = colour->R();
      view.argb[2] = colour->G();
      view.argb[3] = colour->B();
    }
  }
  if (const CQEL_SmartPtr<CQEL_FileHandle> surface = basis->TextureDefinition()) view.surface = surface->Path();
  return view;
}

ImportResult ImportFile(const std::string& path, const ImportOptions& options) {
  ImportResult result;
  result.path = path;
  result.readable = true;
  const uint32_t counted = options.figures ? options.figures->total : 0;

  standin::TerminalUi::Options terminalOptions;
  terminalOptions.out = options.messageStream;
  terminalOptions.presetAnswer = PresetAnswer(options.large);
  standin::TerminalUi terminal(terminalOptions);
  standin::ScriptedUi recorder(options.ui ? options.ui : &terminal);
  standin::ScopedHostUi installedUi(&recorder);
  std::optional<afx_frontend::ScopedWindowBackend> installedBackend;
  if (options.windowBackend) installedBackend.emplace(options.windowBackend);

  // The click arrives as a user's would: posted into the thread's queue when
  // the module looks into it, and dispatched by the module's own pump.
  bool pressed = false;
  afx_frontend::MessageHook pressCancel;
  if (options.cancelAfter || options.onPump || options.cancelRequested) {
    pressCancel = [&result, &pressed, &options, counted] {
      if (options.onPump) options.onPump({result.objects.size(), counted});
      const bool requested = options.cancelRequested && options.cancelRequested();
      const bool due = options.cancelAfter && result.objects.size() >= *options.cancelAfter;
      if (pressed || !(requested || due)) return;
      const HWND dialog = afx_frontend::FindDialog(kProgressDialogTemplate);
      if (dialog && afx_frontend::PostButtonClick(dialog, IDCANCEL)) pressed = true;
    };
  }
  afx_frontend::ScopedMessageHook installedHook(pressCancel);

  {
    // The host's own work (whileOpen) runs without the traps: they are there
    // for the module.
    const standin::ScopedFloatTraps traps(options.floatTraps);
    const int trapsBefore = standin::EnabledFloatTraps();
    if (options.hostFault) standin::InjectHostFault(*options.hostFault);
    CQEL_Server_C4D::StartImport();
    // The module passes every host error but those of layer construction on
    // to the host, as it came: the host's own exceptions and foreign ones.
    try {
      CQEL_Server_C4D::Read(CString(path), result.objects);
    } catch (CQEL_AppException* exception) {
      result.hostError = exception->PrintReport();
      delete exception;
    } catch (CException* exception) {
      result.hostError = CQEL_AppForeignException(exception).PrintReport();
      exception->Delete();
    } catch (const _com_error& error) {
      result.hostError = CQEL_AppForeignException(error).PrintReport();
    } catch (const std::exception& error) {
      result.hostError = CQEL_AppForeignException(error).PrintReport();
    } catch (...) {
      result.hostError = CQEL_AppForeignException().PrintReport();
    }
    result.hostFaultFired = options.hostFault && standin::HostFaultFired();
    standin::ClearHostFault();
    result.session.cancelled = CQEL_Server_C4D::IsCancelled();
    result.floatTrapsKept = standin::EnabledFloatTraps() == trapsBefore;
  }
  result.moduleObjects = result.objects.size();
  result.session.converted = static_cast<uint32_t>(result.moduleObjects);
  result.messages = recorder.Boxes();
  CountsFromMessages(result);
  if (options.figures && result.readable) {
    result.session.fromCountingPass = true;
    result.session.total = options.figures->total;
    result.session.maxPolygons = options.figures->maxPolygons;
  }
  for (const standin::BoxRecord& box : result.messages) {
    if (box.kind == standin::BoxKind::Question && box.stringId == kLargeObjectQuestion) {
      result.session.convertLarge = box.answer == IDYES;
    }
  }
  if (options.whileOpen) {
    // The session is closed whatever the host's own work does.
    try {
      options.whileOpen(result);
    } catch (...) {
      CQEL_Server_C4D::EndImport();
      throw;
    }
  }
  {
    const standin::ScopedFloatTraps traps(options.floatTraps);
    const int trapsBefore = standin::EnabledFloatTraps();
    CQEL_Server_C4D::EndImport();
    result.floatTrapsKept = result.floatTrapsKept && standin::EnabledFloatTraps() == trapsBefore;
  }

  result.layers = standin::ListLayerLeaves();
  result.messages = recorder.Boxes();
  return result;
}

int ExitCodeOf(const ImportResult& result) {
  if (!result.readable) return kExitUnreadable;
  if (!result.hostError.empty()) return kExitNotWritten;
  if (result.session.cancelled) return kExitCancelled;
  return kExitDone;
}

void WriteResultMembers(JsonWriter& json, const ImportResult& result) {
  const SessionCounters& s = result.session;
  json.Key("file").String(result.path);
  json.Key("status").String(result.readable ? "ok" : "unreadable");
  json.Key("objects").BeginArray();
  for (size_t i = 0; i < result.objects.size(); ++i) WriteObjectJson(json, result.objects[i], SourceOf(result, i), AddedNote(result, i));
  json.EndArray();
  json.Key("layers").BeginArray();
  for (const standin::LayerLeafEntry& entry : result.layers) WriteLayerJson(json, entry);
  json.EndArray();
  json.Key("messages").BeginArray();
  for (const standin::BoxRecord& box : result.messages) {
    json.BeginObject().Key("box").String(standin::BoxKindName(box.kind));
    json.Key("type").Integer(box.type).Key("text").String(box.text).EndObject();
  }
  json.EndArray();
  json.Key("session").BeginObject();
  json.Key("total").Unsigned(s.total).Key("converted").Unsigned(s.converted).Key("maxPolygons").Unsigned(s.maxPolygons);
  json.Key("convertLarge").Bool(s.convertLarge).Key("cancelled").Bool(s.cancelled);
  json.EndObject();
  if (!result.hostError.empty()) json.Key("hostError").String(result.hostError);
}

std::string ResultJson(const ImportResult& result) {
  std::ostringstream out;
  {
    JsonWriter json(out);
    json.BeginObject();
    WriteResultMembers(json, result);
    json.EndObject();
  }
  return out.str();
}

void PrintSummary(const ImportResult& result, std::ostream& out) {
  const SessionCounters& s = result.session;
  out << "file: " << result.path << (result.readable ? "" : " (could not be read)") << "\n";
  std::map<std::string, size_t> kinds;
  for (const auto& object : result.objects) ++kinds[ViewObject(object).kind];
  std::vector<std::string> byKind;
  if (kinds["mesh"]) byKind.push_back(Plural(kinds["mesh"], "mesh", "meshes"));
  if (kinds["polyline"]) byKind.push_back(Plural(kinds["polyline"], "polyline", "polylines"));
  if (kinds["other"]) byKind.push_back(Plural(kinds["other"], "other object", "other objects"));
  out << "objects: " << (byKind.empty() ? "none" : Joined(byKind, ", ")) << "\n";
  for (size_t i = 0; i < result.objects.size(); ++i) {
    out << "  " << (i + 1) << " " << ObjectLine(result.objects[i]);
    if (const std::string* source = SourceOf(result, i); source && !AddedNote(result, i)) out << ", \"" << *source << "\"";
    if (const std::string* added = AddedNote(result, i)) out << ", " << *added;
    out << "\n";
  }
  out << "counts: " << s.total << " counted, " << s.converted << " converted by the module";
  if (s.fromCountingPass) out << ", largest mesh " << Plural(s.maxPolygons, "polygon", "polygons");
  if (s.convertLarge) out << ", large meshes converted";
  if (s.cancelled) out << ", cancelled";
  out << "\n";
  out << "layers: " << (result.layers.empty() ? "none" : Plural(result.layers.size(), "leaf", "leaves")) << "\n";
  for (const standin::LayerLeafEntry& entry : result.layers) {
    std::vector<std::string> path = entry.path;
    path.push_back(entry.leaf->LongName());
    out << "  " << entry.leaf->Id() << " " << Joined(path, " / ") << " (short \"" << entry.leaf->ShortName()
        << "\", " << ConfigurationName(entry.leaf->LayerConfigurationSetting()) << ")\n";
  }
  out << "messages: " << (result.messages.empty() ? "none" : std::to_string(result.messages.size())) << "\n";
  for (const standin::BoxRecord& box : result.messages) {
    out << "  " << standin::BoxKindName(box.kind) << " " << box.type << ": " << box.text;
    if (box.kind == standin::BoxKind::Report) out << " (" << box.title << ")";
    out << "\n";
  }
  if (!result.hostError.empty()) out << "host error: " << result.hostError;
  if (!result.floatTrapsKept) out << "floating-point traps: the module changed them\n";
}

}  // namespace c4dimport
