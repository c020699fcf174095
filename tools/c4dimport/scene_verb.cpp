#include "scene_verb.h"

#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "ge_chunk_file.h"
#include "json_writer.h"
#include "verbs.h"

namespace {

using c4dimport::SceneData;
using c4dimport::SceneLayer;
using c4dimport::SceneMaterial;
using c4dimport::SceneObject;
using c4dimport::SceneTag;

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string VectorText(const Vector& v) { return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")"; }

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string OnOff(bool v) { return v ? "on" : "off"; }

std::string Count(int64_t n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); }

bool IsIdentity(const std::array<Vector, 3>& axes) {
  const Matrix identity;
  auto same = [](const Vector& a, const Vector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
  return same(axes[0], identity.xAxis) && same(axes[1], identity.yAxis) && same(axes[2], identity.zAxis);
}

// What a tag holds, in a few words.
std::string TagSummary(const SceneTag& tag) {
  if (tag.pointCount) return Count(*tag.pointCount, "point");
  if (tag.polygonCount) return Count(*tag.polygonCount, "polygon");
  if (tag.namesMaterial) return "material " + (tag.material ? Quoted(*tag.material) : std::string("none"));
  if (tag.uvwCount) return "UVW coordinates of " + Count(*tag.uvwCount / 4, "polygon");
  return "";
}

class TextPrinter {
 public:
  explicit TextPrinter(std::ostream& out) : out_(out) {}

  void Document(const SceneData& d) {
    Line(0, "document: version " + std::to_string(d.version) + ", marked caches " + OnOff(d.useMarkedCaches) +
                (d.newerVariant ? ", newer variant (QC4D C4D6)" : ""));
    Line(0, "materials: " + std::to_string(d.materials.size()));
    for (const SceneMaterial& m : d.materials) Material(m);
    Line(0, "layers: " + std::to_string(d.layers.size()));
    Layers(d.layers, 1);
    Line(0, "objects: " + std::to_string(d.objects.size()));
    Objects(d.objects, 1);
  }

 private:
  void Material(const SceneMaterial& m) {
    std::string line = "material " + Quoted(m.name);
    if (m.hasChannels) {
      std::string states;
      for (int32_t s : m.channelStates) states += s ? '1' : '0';
      line += ": colour channel " + OnOff(m.colorChannel) + ", transparency channel " + OnOff(m.transparencyChannel) +
              " (states " + states + "), colour " + VectorText(m.color) + ", transparency " + Number(m.transparency);
    }
    Line(1, line);
  }

  void Layers(const std::vector<SceneLayer>& layers, int depth) {
    for (const SceneLayer& l : layers) {
      std::string text;
      for (int32_t f : l.flags) text += f ? " 1" : " 0";
      Line(depth, "layer " + Quoted(l.name) + ": flags 0-8" + text + ", colour " + VectorText(l.color));
      Layers(l.children, depth + 1);
    }
  }

  void Objects(const std::vector<SceneObject>& objects, int depth) {
    for (const SceneObject& o : objects) Object(o, depth);
  }

  void Object(const SceneObject& o, int depth) {
    std::string head = "object " + Quoted(o.name) + ": type " + std::to_string(o.typeId) + " " + o.typeName;
    if (o.dataTypeId) head += ", data " + std::to_string(o.dataTypeId) + (o.hasRecord ? "" : " (no record)");
    Line(depth, head);
    if (!o.notImported.empty()) Line(depth + 1, "not imported: " + o.notImported);
    if (!o.converter.empty()) Line(depth + 1, "converter: " + o.converter);
    if (!o.hidden.empty()) Line(depth + 1, "hidden: " + o.hidden + " (left out of the output unless --hidden)");
    std::string place = "position " + VectorText(o.position) + ", rotation " + VectorText(o.rotation) + ", scale " +
                        VectorText(o.scale) + ", colour " + VectorText(o.color) + ", useColor " +
                        std::to_string(o.useColor);
    if (o.layer) place += ", layer " + Quoted(*o.layer);
    if (o.closed) place += *o.closed ? ", closed" : ", open";
    Line(depth + 1, place);
    if (!IsIdentity(o.axes)) {
      Line(depth + 1, "axes x " + VectorText(o.axes[0]) + ", y " + VectorText(o.axes[1]) + ", z " + VectorText(o.axes[2]));
    }
    for (const SceneTag& tag : o.tags) {
      std::string line = "tag " + tag.typeName;
      if (!tag.name.empty()) line += " " + Quoted(tag.name);
      const std::string summary = TagSummary(tag);
      if (!summary.empty()) line += ": " + summary;
      Line(depth + 1, line);
    }
    Section(o.children, "children", depth + 1);
    Section(o.overrideCache, "override cache", depth + 1);
    Section(o.fallbackCache, "fallback cache", depth + 1);
  }

  void Section(const std::vector<SceneObject>& list, const char* title, int depth) {
    if (list.empty()) return;
    Line(depth, std::string(title) + ":");
    Objects(list, depth + 1);
  }

  void Line(int depth, const std::string& text) { out_ << std::string(size_t(2 * depth), ' ') << text << '\n'; }

  std::ostream& out_;
};

std::string ErrorText(int32_t code) {
  return "error " + std::to_string(code) + " " + FileErrorSymbol(code) + ": " + FileErrorName(code);
}

}  // namespace

void PrintScene(const SceneData& scene, std::ostream& out) { TextPrinter(out).Document(scene); }

int RunSceneVerb(const std::string& path, bool asJson, std::ostream& out) {
  const SceneData scene = c4dimport::LoadSceneData(path);
  if (asJson) {
    JsonWriter json(out);
    c4dimport::WriteSceneJson(json, scene);
  } else {
    std::string problem;
    if (!scene.opened) {
      problem = scene.error == FILEERROR_NONE ? "cannot be opened" : "is no C4D scene file";
    } else if (!scene.loaded) {
      problem = scene.error == FILEERROR_NONE ? "ends before the document's end marker" : "could not be read to its end";
    }
    out << path << ": " << (problem.empty() ? "loaded" : problem) << '\n';
    if (scene.opened) PrintScene(scene, out);
    if (!scene.loaded) out << ErrorText(scene.error) << '\n';
  }
  return scene.loaded ? kExitDone : kExitUnreadable;
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
