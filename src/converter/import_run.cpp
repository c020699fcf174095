#include "import_run.h"

#include <charconv>
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

int PresetAnswer(LargeAnswer answer) {
  switch (answer) {
    case LargeAnswer::Yes: return IDYES;
    case LargeAnswer::No: return IDNO;
    case LargeAnswer::Cancel: return IDCANCEL;
    case LargeAnswer::Ask: return 0;
  }
  return 0;
}

// ---- JSON ---------------------------------------------------------------------------

// The JSON of a large import is hundreds of megabytes: every part of it is
// appended to one string, with no temporary copies of the parts.

// The shortest text that reads back as the same double; null for values
// JSON cannot hold.
void AppendNumber(std::string& out, double value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (std::isfinite(value) && error == std::errc()) {
    out.append(text, end);
  } else {
    out += "null";
  }
}

void AppendInteger(std::string& out, long long value) {
  char text[24];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

// A JSON array of `list`, each item appended by `write(out, item)`.
template <class List, class Write>
void AppendArray(std::string& out, const List& list, Write write, const char* separator = ", ") {
  out += '[';
  bool first = true;
  for (const auto& item : list) {
    if (!first) out += separator;
    first = false;
    write(out, item);
  }
  out += ']';
}

void AppendObjectJson(std::string& out, const CQEL_SmartPtr<CQEL_Object>& object, bool rebuilt) {
  const ObjectView view = ViewObject(object);
  const CQEL_GeoPolyhedron3D* geometry = view.geometry;
  out.append("{\"kind\": ").append(Quoted(view.kind));
  if (rebuilt) out += ", \"rebuilt\": true";
  out += ", \"dimension\": ";
  AppendInteger(out, geometry ? int(geometry->GetDimension()) : 0);
  out += ", \"orientation\": ";
  AppendInteger(out, geometry ? int(geometry->GetOrientation()) : 0);
  out += ", \"layer\": ";
  AppendInteger(out, view.layer);
  out += ", \"argb\": ";
  AppendArray(out, view.argb, [](std::string& o, int value) { AppendInteger(o, value); });
  out.append(", \"surface\": ").append(view.surface.empty() ? std::string("null") : Quoted(view.surface));
  const CQEL_GeoPolyhedron3D::PointList noPoints;
  const CQEL_GeoPolyhedron3D::EdgeList noEdges;
  const CQEL_GeoPolyhedron3D::FaceList noFaces;
  out += ", \"points\": ";
  AppendArray(out, geometry ? geometry->GetPoints() : noPoints, [](std::string& o, const auto& point) {
    if (!point) {
      o += "null";
      return;
    }
    const double xyz[] = {point->X(), point->Y(), point->Z()};
    AppendArray(o, xyz, AppendNumber);
  });
  out += ", \"edges\": ";
  AppendArray(out, geometry ? geometry->GetEdges() : noEdges, [](std::string& o, const auto& edge) {
    const unsigned ends[] = {edge.first, edge.second};
    AppendArray(o, ends, [](std::string& e, unsigned end) { AppendInteger(e, end); });
  });
  out += ", \"faces\": ";
  AppendArray(out, geometry ? geometry->GetFaces() : noFaces, [](std::string& o, const auto& face) {
    AppendArray(o, face, [](std::string& e, int entry) { AppendInteger(e, entry); });
  });
  out += '}';
}

std::string LayerJson(const standin::LayerLeafEntry& entry) {
  const CQEL_ResourceLayerLeaf& leaf = *entry.leaf;
  std::string out = "{\"id\": " + std::to_string(leaf.Id());
  out += ", \"long\": " + Quoted(leaf.LongName());
  out += ", \"short\": " + Quoted(leaf.ShortName());
  out += ", \"path\": ";
  AppendArray(out, entry.path, [](std::string& o, const std::string& name) { o += Quoted(name); });
  out += ", \"config\": " + std::to_string(int(leaf.LayerConfigurationSetting()));
  out += ", \"userDefined\": " + std::string(Bool(leaf.UserDefinedLayerDef()));
  return out + "}";
}

std::string MessageJson(const standin::BoxRecord& box) {
  std::string out = "{\"box\": " + Quoted(standin::BoxKindName(box.kind));
  out += ", \"type\": " + std::to_string(box.type);
  out += ", \"text\": " + Quoted(box.text);
  return out + "}";
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
  if (options.cancelAfter || options.onPump) {
    pressCancel = [&result, &pressed, &options, counted] {
      if (options.onPump) options.onPump({result.objects.size(), counted});
      if (!options.cancelAfter || pressed || result.objects.size() < *options.cancelAfter) return;
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
  if (options.whileOpen) options.whileOpen(result);
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
  if (!result.readable) return kImportUnreadable;
  if (!result.hostError.empty()) return kImportHostError;
  if (result.session.cancelled) return kImportCancelled;
  return kImportOk;
}

void WriteResultJson(std::ostream& stream, const ImportResult& result, const std::string& members) {
  // The objects of a large import come to hundreds of megabytes of text: they
  // go out a megabyte at a time, not as one string.
  constexpr size_t kWriteAt = size_t{1} << 20;
  const SessionCounters& s = result.session;
  std::string out = "{\"file\": " + Quoted(result.path);
  out += ",\n \"status\": " + std::string(result.readable ? "\"ok\"" : "\"unreadable\"");
  size_t index = 0;
  out += ",\n \"objects\": ";
  AppendArray(out, result.objects, [&](std::string& o, const CQEL_SmartPtr<CQEL_Object>& object) {
    AppendObjectJson(o, object, index++ >= result.moduleObjects);
    if (o.size() < kWriteAt) return;
    stream.write(o.data(), std::streamsize(o.size()));
    o.clear();
  }, ",\n  ");
  out += ",\n \"layers\": ";
  AppendArray(out, result.layers, [](std::string& o, const auto& entry) { o += LayerJson(entry); }, ",\n  ");
  out += ",\n \"messages\": ";
  AppendArray(out, result.messages, [](std::string& o, const auto& box) { o += MessageJson(box); }, ",\n  ");
  out += ",\n \"session\": {\"total\": " + std::to_string(s.total) + ", \"converted\": " +
         std::to_string(s.converted) + ", \"maxPolygons\": " + std::to_string(s.maxPolygons) +
         ", \"convertLarge\": " + Bool(s.convertLarge) + ", \"cancelled\": " + Bool(s.cancelled) + "}";
  if (!result.hostError.empty()) out.append(",\n \"hostError\": ").append(Quoted(result.hostError));
  out.append(members).append("}\n");
  stream.write(out.data(), std::streamsize(out.size()));
}

std::string ResultJson(const ImportResult& result) {
  std::ostringstream out;
  WriteResultJson(out, result);
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
    if (i >= result.moduleObjects && i - result.moduleObjects < result.rebuilt.size()) {
      out << ", rebuilt: " << result.rebuilt[i - result.moduleObjects];
    }
    out << "\n";
  }
  out << "counts: " << s.total << " counted, " << s.converted << " converted";
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
