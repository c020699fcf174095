#include "scene_verb.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "c4d_document.h"
#include "ge_chunk_file.h"
#include "left_out.h"
#include "verbs.h"

// Keys stay in the order they are written.
using json = nlohmann::ordered_json;

namespace {

// Why the import leaves an object out, by object (none for the others).
using Reasons = std::map<const C4DBaseObject*, std::string>;

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string VectorText(const Vector& v) { return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")"; }

std::string Quoted(const C4DBaseList2D* node) { return node ? "\"" + node->GetNameString() + "\"" : "none"; }

// A float as the shortest decimal that reads back as the same float, so that
// 0.6f prints as 0.6 and not as the double nearest to it.
double Shortest(float v) {
  char text[32];
  for (int digits = 6; digits < 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, double(v));
    if (std::strtof(text, nullptr) == v) return std::strtod(text, nullptr);
  }
  return double(v);
}

json VectorJson(const Vector& v) { return json::array({Shortest(v.x), Shortest(v.y), Shortest(v.z)}); }

json NameJson(const C4DBaseList2D* node) { return node ? json(node->GetNameString()) : json(nullptr); }

int32_t DataTypeOf(const C4DBaseObject& object) {
  auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  return plugin ? plugin->dataTypeId : 0;
}

std::string ChannelStates(const C4DMaterial& m) {
  std::string states;
  for (int32_t s : m.channelStates) states += s ? '1' : '0';
  return states;
}

std::string OnOff(int32_t v) { return v ? "on" : "off"; }

std::string Count(int64_t n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); }

bool IsIdentity(const Matrix& m) {
  const Matrix identity;
  auto same = [](const Vector& a, const Vector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
  return same(m.xAxis, identity.xAxis) && same(m.yAxis, identity.yAxis) && same(m.zAxis, identity.zAxis);
}

// What a tag holds, in a few words.
std::string TagSummary(const C4DBaseTag& tag) {
  switch (tag.typeId) {
    case TAG_TYPE_POINT: return Count(static_cast<const PrivateC4DPointTag&>(tag).pointCount, "point");
    case TAG_TYPE_POLYGON: return Count(static_cast<const PrivateC4DPolygonTag&>(tag).polygonCount, "polygon");
    case TAG_TYPE_TEXTURE: return "material " + Quoted(static_cast<const C4DTextureTag&>(tag).GetMaterial());
    case TAG_TYPE_UVW:
      return "UVW coordinates of " + Count(static_cast<const C4DUVWTag&>(tag).uvwCount / 4, "polygon");
    default: return "";
  }
}

json TagJson(const C4DBaseTag& tag) {
  json j = {{"typeId", tag.typeId}, {"typeName", C4DTypeName(tag.typeId)}, {"name", tag.GetNameString()}};
  switch (tag.typeId) {
    case TAG_TYPE_POINT: j["pointCount"] = static_cast<const PrivateC4DPointTag&>(tag).pointCount; break;
    case TAG_TYPE_POLYGON: j["polygonCount"] = static_cast<const PrivateC4DPolygonTag&>(tag).polygonCount; break;
    case TAG_TYPE_TEXTURE: j["material"] = NameJson(static_cast<const C4DTextureTag&>(tag).GetMaterial()); break;
    case TAG_TYPE_UVW: j["uvwCount"] = static_cast<const C4DUVWTag&>(tag).uvwCount; break;
    default: break;
  }
  return j;
}

// ---- text ----------------------------------------------------------------------

class TextPrinter {
 public:
  TextPrinter(std::ostream& out, Reasons reasons) : out_(out), reasons_(std::move(reasons)) {}

  void Document(const C4DBaseDocument& d) {
    Line(0, "document: version " + std::to_string(d.GetFileVersion()) + ", marked caches " +
                OnOff(d.useMarkedCaches) + (d.IsNewerVariant() ? ", newer variant (QC4D C4D6)" : ""));
    const C4DRootMaterial* materials = d.GetMaterials();
    Line(0, "materials: " + std::to_string(materials ? materials->GetCount() : 0));
    if (materials) {
      for (const C4DBaseMaterial* m : materials->Materials()) Material(*m);
    }
    const C4DRootLayer* layers = d.GetLayers();
    Line(0, "layers: " + std::to_string(layers ? layers->GetCount() : 0));
    if (layers) Layers(*layers, 1);
    const C4DRootObject* objects = d.GetObjects();
    Line(0, "objects: " + std::to_string(objects ? objects->GetCount() : 0));
    if (objects) Objects(*objects, 1);
  }

 private:
  void Material(const C4DBaseMaterial& base) {
    auto* m = dynamic_cast<const C4DMaterial*>(&base);
    std::string line = "material " + Quoted(&base);
    if (m) {
      line += ": colour channel " + OnOff(m->GetChannelState(CHANNEL_COLOR)) + ", transparency channel " +
              OnOff(m->GetChannelState(CHANNEL_TRANSPARENCY)) + " (states " + ChannelStates(*m) +
              "), colour " + VectorText(m->GetColor()) + ", transparency " + Number(m->GetTransparency());
    }
    Line(1, line);
  }

  void Layers(const C4DRootLayer& list, int depth) {
    for (const C4DBaseLayer* l : list.Layers()) {
      const int32_t flags[] = {l->visible, l->layerFlag1, l->layerFlag2, l->locked, l->layerFlag4,
                               l->layerFlag5, l->layerFlag6, l->layerFlag7, l->layerFlag8};
      std::string text;
      for (int32_t f : flags) text += f ? " 1" : " 0";
      Line(depth, "layer " + Quoted(l) + ": flags 0-8" + text + ", colour " + VectorText(l->layerColor));
      if (l->childLayers) Layers(*l->childLayers, depth + 1);
    }
  }

  void Objects(const C4DRootObject& list, int depth) {
    for (const C4DBaseObject* o : list.Objects()) Object(*o, depth);
  }

  void Object(const C4DBaseObject& o, int depth) {
    std::string head = "object " + Quoted(&o) + ": type " + std::to_string(o.typeId) + " " + C4DTypeName(o.typeId);
    if (const int32_t dataType = DataTypeOf(o)) {
      head += ", data " + std::to_string(dataType);
      if (auto* plugin = dynamic_cast<const C4DPluginObject*>(&o); plugin && !plugin->objectData) {
        head += " (no record)";
      }
    }
    Line(depth, head);
    if (const auto reason = reasons_.find(&o); reason != reasons_.end()) {
      Line(depth + 1, "not imported: " + reason->second);
    }
    std::string place = "position " + VectorText(o.position) + ", rotation " + VectorText(o.rotation) + ", scale " +
                        VectorText(o.scale) + ", colour " + VectorText(o.color) + ", useColor " +
                        std::to_string(o.useColor);
    if (const C4DBaseLayer* layer = o.GetLayer()) place += ", layer " + Quoted(layer);
    if (auto* spline = dynamic_cast<const C4DSplineObject*>(&o)) {
      place += spline->IsClosed() ? ", closed" : ", open";
    }
    Line(depth + 1, place);
    if (!IsIdentity(o.axisMatrix)) {
      Line(depth + 1, "axes x " + VectorText(o.axisMatrix.xAxis) + ", y " + VectorText(o.axisMatrix.yAxis) + ", z " +
                          VectorText(o.axisMatrix.zAxis));
    }
    for (const C4DBaseTag* tag : o.tags.Tags()) {
      std::string line = std::string("tag ") + C4DTypeName(tag->typeId);
      if (!tag->name.IsEmpty()) line += " " + Quoted(tag);
      const std::string summary = TagSummary(*tag);
      if (!summary.empty()) line += ": " + summary;
      Line(depth + 1, line);
    }
    Cache(o.childList, "children", depth + 1);
    Cache(o.overrideCache, "override cache", depth + 1);
    Cache(o.fallbackCache, "fallback cache", depth + 1);
  }

  void Cache(const C4DRootObject* list, const char* title, int depth) {
    if (!list || list->IsEmpty()) return;
    Line(depth, std::string(title) + ":");
    Objects(*list, depth + 1);
  }

  void Line(int depth, const std::string& text) { out_ << std::string(size_t(2 * depth), ' ') << text << '\n'; }

  std::ostream& out_;
  Reasons reasons_;
};

// ---- JSON ------------------------------------------------------------------------

json MaterialJson(const C4DBaseMaterial& base) {
  json j = {{"name", base.GetNameString()}, {"typeId", base.typeId}};
  if (auto* m = dynamic_cast<const C4DMaterial*>(&base)) {
    json states = json::array();
    for (int32_t s : m->channelStates) states.push_back(s);
    j["channelStates"] = states;
    j["colorChannel"] = m->GetChannelState(CHANNEL_COLOR) != 0;
    j["transparencyChannel"] = m->GetChannelState(CHANNEL_TRANSPARENCY) != 0;
    j["color"] = VectorJson(m->GetColor());
    j["transparency"] = Shortest(m->GetTransparency());
  }
  return j;
}

json LayersJson(const C4DRootLayer& list) {
  json layers = json::array();
  for (const C4DBaseLayer* l : list.Layers()) {
    json j = {{"name", l->GetNameString()},
              {"flags", {l->visible, l->layerFlag1, l->layerFlag2, l->locked, l->layerFlag4, l->layerFlag5,
                         l->layerFlag6, l->layerFlag7, l->layerFlag8}},
              {"color", VectorJson(l->layerColor)}};
    j["children"] = l->childLayers ? LayersJson(*l->childLayers) : json::array();
    layers.push_back(std::move(j));
  }
  return layers;
}

json ObjectsJson(const C4DRootObject* list, const Reasons& reasons);

json ObjectJson(const C4DBaseObject& o, const Reasons& reasons) {
  json j = {{"name", o.GetNameString()},
            {"typeId", o.typeId},
            {"typeName", C4DTypeName(o.typeId)},
            {"dataTypeId", DataTypeOf(o)},
            {"position", VectorJson(o.position)},
            {"rotation", VectorJson(o.rotation)},
            {"scale", VectorJson(o.scale)},
            {"axes", {VectorJson(o.axisMatrix.xAxis), VectorJson(o.axisMatrix.yAxis), VectorJson(o.axisMatrix.zAxis)}},
            {"color", VectorJson(o.color)},
            {"useColor", o.useColor},
            {"layer", NameJson(o.GetLayer())}};
  if (auto* spline = dynamic_cast<const C4DSplineObject*>(&o)) j["closed"] = spline->IsClosed();
  if (const auto reason = reasons.find(&o); reason != reasons.end()) j["notImported"] = reason->second;
  json tags = json::array();
  for (const C4DBaseTag* tag : o.tags.Tags()) tags.push_back(TagJson(*tag));
  j["tags"] = tags;
  j["children"] = ObjectsJson(o.childList, reasons);
  j["overrideCache"] = ObjectsJson(o.overrideCache, reasons);
  j["fallbackCache"] = ObjectsJson(o.fallbackCache, reasons);
  return j;
}

json ObjectsJson(const C4DRootObject* list, const Reasons& reasons) {
  json objects = json::array();
  if (list) {
    for (const C4DBaseObject* o : list->Objects()) objects.push_back(ObjectJson(*o, reasons));
  }
  return objects;
}

// With `withObjects` false, "objects" (the last member) is empty.
json DocumentJson(const C4DBaseDocument& d, bool withObjects = true) {
  json materials = json::array();
  if (d.GetMaterials()) {
    for (const C4DBaseMaterial* m : d.GetMaterials()->Materials()) materials.push_back(MaterialJson(*m));
  }
  return {{"version", d.GetFileVersion()},
          {"variant", d.IsNewerVariant() ? "newer" : "classic"},
          {"useMarkedCaches", d.useMarkedCaches != 0},
          {"materials", materials},
          {"layers", d.GetLayers() ? LayersJson(*d.GetLayers()) : json::array()},
          {"objects", withObjects ? ObjectsJson(d.GetObjects(), c4dimport::LeftOutReasons(d, {})) : json::array()}};
}

// `head` and the document as dump(2) prints them, the objects written one
// top-level object at a time: a scene of many objects never stands in memory
// as one JSON tree, nor as one text.
void WriteSceneJson(std::ostream& out, json head, const C4DBaseDocument& d) {
  head.update(DocumentJson(d, false));
  std::string text = head.dump(2);  // ends with the empty objects: "[]\n}"
  const C4DRootObject* objects = d.GetObjects();
  if (!objects || objects->IsEmpty()) {
    out << text << '\n';
    return;
  }
  text.resize(text.size() - std::string_view("[]\n}").size());
  out << text << '[';
  const Reasons reasons = c4dimport::LeftOutReasons(d, {});
  const char* separator = "\n    ";
  for (const C4DBaseObject* o : objects->Objects()) {
    // An element of the array two levels down: each of its lines indented by four more.
    const std::string item = ObjectJson(*o, reasons).dump(2);
    out << separator;
    for (size_t start = 0, end = 0; start < item.size(); start = end + 1) {
      end = std::min(item.find('\n', start), item.size());
      out.write(item.data() + start, std::streamsize(end - start));
      if (end < item.size()) out << "\n    ";
    }
    separator = ",\n    ";
  }
  out << "\n  ]\n}\n";
}

std::string ErrorText(int32_t code) {
  return "error " + std::to_string(code) + " " + FileErrorSymbol(code) + ": " + FileErrorName(code);
}

}  // namespace

void PrintScene(const C4DBaseDocument& document, std::ostream& out) {
  TextPrinter(out, c4dimport::LeftOutReasons(document, {})).Document(document);
}

std::string SceneJson(const C4DBaseDocument& document, int indent) {
  // Names are 7-bit text, so the dump never meets invalid UTF-8.
  return DocumentJson(document).dump(indent);
}

int RunSceneVerb(const std::string& path, bool asJson, std::ostream& out) {
  C4DBaseDocument document;  // before the file: it installs the link support
  GeChunkFile file;
  const bool opened = file.Open(path.c_str());
  const bool loaded = opened && document.Load(file);
  const int32_t error = file.GetError();
  std::string problem;
  if (!opened) {
    problem = error == FILEERROR_NONE ? "cannot be opened" : "is no C4D scene file";
  } else if (!loaded) {
    problem = error == FILEERROR_NONE ? "ends before the document's end marker" : "could not be read to its end";
  }

  if (asJson) {
    json j = {{"file", path}, {"loaded", loaded}, {"error", error}, {"errorName", FileErrorSymbol(error)}};
    if (opened) {
      WriteSceneJson(out, std::move(j), document);
    } else {
      out << j.dump(2) << '\n';
    }
  } else {
    out << path << ": " << (problem.empty() ? "loaded" : problem) << '\n';
    if (opened) PrintScene(document, out);
    if (!loaded) out << ErrorText(error) << '\n';
  }
  return loaded ? kExitSuccess : kExitFileFailed;
}

void AddSceneVerb(CLI::App& app, int& exitCode) {
  auto path = std::make_shared<std::string>();
  auto asJson = std::make_shared<bool>(false);
  CLI::App* verb = app.add_subcommand(
      "scene",
      "Load a scene file and print the scene: materials, the layer tree and the object tree with tags and caches.");
  verb->add_option("FILE", *path, "The .c4d file")->required();
  verb->add_flag("--json", *asJson, "Print one JSON document instead of text");
  verb->callback([path, asJson, &exitCode] { exitCode = RunSceneVerb(*path, *asJson, std::cout); });
}
