#include "scene_data.h"

#include "c4d_document.h"
#include "c4d_object_data.h"
#include "ge_chunk_file.h"
#include "json_writer.h"
#include "not_converted.h"
#include "output_objects.h"

namespace c4dimport {

namespace {

using Reasons = std::map<const C4DBaseObject*, std::string>;

// Why the module leaves each object out, and what the converter makes of it.
struct Accounts {
  Reasons leftOut, converter;
};

SceneMaterial DescribeMaterial(const C4DBaseMaterial& base) {
  SceneMaterial material;
  material.name = base.GetNameString();
  material.typeId = base.typeId;
  if (const auto* m = dynamic_cast<const C4DMaterial*>(&base)) {
    material.hasChannels = true;
    material.channelStates.assign(std::begin(m->channelStates), std::end(m->channelStates));
    material.colorChannel = m->GetChannelState(CHANNEL_COLOR) != 0;
    material.transparencyChannel = m->GetChannelState(CHANNEL_TRANSPARENCY) != 0;
    material.color = m->GetColor();
    material.transparency = m->GetTransparency();
    material.bitmap = m->ColorBitmap();
  }
  return material;
}

std::vector<SceneLayer> DescribeLayers(const C4DRootLayer* list) {
  std::vector<SceneLayer> layers;
  if (!list) return layers;
  for (const C4DBaseLayer* l : list->Layers()) {
    SceneLayer layer;
    layer.name = l->GetNameString();
    layer.flags = {l->visible, l->layerFlag1, l->layerFlag2, l->locked, l->layerFlag4,
                   l->layerFlag5, l->layerFlag6, l->layerFlag7, l->layerFlag8};
    layer.color = l->layerColor;
    layer.children = DescribeLayers(l->childLayers);
    layers.push_back(std::move(layer));
  }
  return layers;
}

int64_t SelectedCount(const BaseSelect& selection) {
  int64_t count = 0;
  for (int32_t i = 0; i < selection.GetRangeCount(); ++i) {
    const BaseSelect::Range& range = selection.GetRanges()[i];
    if (range.last >= range.first) count += int64_t(range.last) - range.first + 1;
  }
  return count;
}

SceneTag DescribeTag(const C4DBaseTag& tag) {
  SceneTag described;
  described.typeId = tag.typeId;
  described.typeName = C4DTypeName(tag.typeId);
  described.name = tag.GetNameString();
  switch (tag.typeId) {
    case TAG_TYPE_POINT: described.pointCount = static_cast<const PrivateC4DPointTag&>(tag).pointCount; break;
    case TAG_TYPE_POLYGON: described.polygonCount = static_cast<const PrivateC4DPolygonTag&>(tag).polygonCount; break;
    case TAG_TYPE_UVW: described.uvwCount = static_cast<const C4DUVWTag&>(tag).uvwCount; break;
    case TAG_TYPE_TEXTURE:
      described.namesMaterial = true;
      if (const C4DBaseMaterial* m = static_cast<const C4DTextureTag&>(tag).GetMaterial()) {
        described.material = m->GetNameString();
      }
      described.restriction = static_cast<const C4DTextureTag&>(tag).Restriction();
      described.projection = static_cast<const C4DTextureTag&>(tag).Projection();
      break;
    case TAG_TYPE_POLYGON_SELECTION: described.selectedCount = SelectedCount(static_cast<const C4DPolygonSelectionTag&>(tag).selection); break;
    default: break;
  }
  return described;
}

std::vector<SceneObject> DescribeObjects(const C4DRootObject* list, const Accounts& reasons);

SceneObject DescribeObject(const C4DBaseObject& o, const Accounts& reasons) {
  SceneObject object;
  object.name = o.GetNameString();
  object.typeId = o.typeId;
  object.typeName = C4DTypeName(o.typeId);
  if (const auto* plugin = dynamic_cast<const C4DPluginObject*>(&o)) {
    object.dataTypeId = plugin->dataTypeId;
    object.hasRecord = plugin->objectData != nullptr;
  }
  object.position = o.position;
  object.rotation = o.rotation;
  object.scale = o.scale;
  object.axes = {o.axisMatrix.xAxis, o.axisMatrix.yAxis, o.axisMatrix.zAxis};
  object.color = o.color;
  object.useColor = o.useColor;
  if (const C4DBaseLayer* layer = o.GetLayer()) object.layer = layer->GetNameString();
  if (const auto* spline = dynamic_cast<const C4DSplineObject*>(&o)) object.closed = spline->IsClosed();
  if (const auto* plugin = dynamic_cast<const C4DPluginObject*>(&o)) {
    if (const auto* light = dynamic_cast<const C4DLightObjectData*>(plugin->objectData)) {
      object.light = SceneLight{light->Kind(), light->Colour(), light->Brightness()};
    }
  }
  if (const auto reason = reasons.leftOut.find(&o); reason != reasons.leftOut.end()) object.notImported = reason->second;
  if (const auto note = reasons.converter.find(&o); note != reasons.converter.end()) object.converter = note->second;
  object.hidden = HiddenReason(o);
  for (const C4DBaseTag* tag : o.tags.Tags()) object.tags.push_back(DescribeTag(*tag));
  object.children = DescribeObjects(o.childList, reasons);
  object.overrideCache = DescribeObjects(o.overrideCache, reasons);
  object.fallbackCache = DescribeObjects(o.fallbackCache, reasons);
  return object;
}

std::vector<SceneObject> DescribeObjects(const C4DRootObject* list, const Accounts& reasons) {
  std::vector<SceneObject> objects;
  if (!list) return objects;
  for (const C4DBaseObject* o : list->Objects()) objects.push_back(DescribeObject(*o, reasons));
  return objects;
}

// ---- JSON ----------------------------------------------------------------------------

void WriteVector(JsonWriter& json, const Vector& v) { json.BeginArray(true).Number(v.x).Number(v.y).Number(v.z).EndArray(); }

void WriteVector(JsonWriter& json, const char* key, const Vector& v) { WriteVector(json.Key(key), v); }

void WriteLayers(JsonWriter& json, const std::vector<SceneLayer>& layers) {
  json.BeginArray();
  for (const SceneLayer& layer : layers) {
    json.BeginObject().Key("name").String(layer.name).Key("flags").BeginArray(true);
    for (int32_t flag : layer.flags) json.Integer(flag);
    json.EndArray();
    WriteVector(json, "color", layer.color);
    json.Key("children");
    WriteLayers(json, layer.children);
    json.EndObject();
  }
  json.EndArray();
}

void WriteTag(JsonWriter& json, const SceneTag& tag) {
  json.BeginObject().Key("typeId").Integer(tag.typeId).Key("typeName").String(tag.typeName);
  json.Key("name").String(tag.name);
  if (tag.pointCount) json.Key("pointCount").Integer(*tag.pointCount);
  if (tag.polygonCount) json.Key("polygonCount").Integer(*tag.polygonCount);
  if (tag.namesMaterial) {
    json.Key("material");
    tag.material ? json.String(*tag.material) : json.Null();
    json.Key("restriction").String(tag.restriction).Key("projection").Integer(tag.projection);
  }
  if (tag.selectedCount) json.Key("selectedCount").Integer(*tag.selectedCount);
  if (tag.uvwCount) json.Key("uvwCount").Integer(*tag.uvwCount);
  json.EndObject();
}

void WriteObjects(JsonWriter& json, const std::vector<SceneObject>& objects);

void WriteObject(JsonWriter& json, const SceneObject& o) {
  json.BeginObject().Key("name").String(o.name).Key("typeId").Integer(o.typeId);
  json.Key("typeName").String(o.typeName).Key("dataTypeId").Integer(o.dataTypeId);
  WriteVector(json, "position", o.position);
  WriteVector(json, "rotation", o.rotation);
  WriteVector(json, "scale", o.scale);
  json.Key("axes").BeginArray(true);
  for (const Vector& axis : o.axes) WriteVector(json, axis);
  json.EndArray();
  WriteVector(json, "color", o.color);
  json.Key("useColor").Integer(o.useColor).Key("layer");
  o.layer ? json.String(*o.layer) : json.Null();
  if (o.closed) json.Key("closed").Bool(*o.closed);
  if (o.light) {
    json.Key("light").BeginObject().Key("kind").Integer(o.light->kind);
    WriteVector(json, "color", o.light->color);
    json.Key("brightness").Number(o.light->brightness).EndObject();
  }
  if (!o.notImported.empty()) json.Key("notImported").String(o.notImported);
  if (!o.converter.empty()) json.Key("converter").String(o.converter);
  json.Key("hidden").Bool(!o.hidden.empty());
  if (!o.hidden.empty()) json.Key("hiddenReason").String(o.hidden);
  json.Key("tags").BeginArray();
  for (const SceneTag& tag : o.tags) WriteTag(json, tag);
  json.EndArray();
  json.Key("children");
  WriteObjects(json, o.children);
  json.Key("overrideCache");
  WriteObjects(json, o.overrideCache);
  json.Key("fallbackCache");
  WriteObjects(json, o.fallbackCache);
  json.EndObject();
}

void WriteObjects(JsonWriter& json, const std::vector<SceneObject>& objects) {
  json.BeginArray();
  for (const SceneObject& object : objects) WriteObject(json, object);
  json.EndArray();
}

}  // namespace

SceneData DescribeScene(const C4DBaseDocument& document) {
  SceneData scene;
  scene.version = document.GetFileVersion();
  scene.newerVariant = document.IsNewerVariant();
  scene.useMarkedCaches = document.useMarkedCaches != 0;
  if (const C4DRootMaterial* materials = document.GetMaterials()) {
    for (const C4DBaseMaterial* m : materials->Materials()) scene.materials.push_back(DescribeMaterial(*m));
  }
  scene.layers = DescribeLayers(document.GetLayers());
  scene.objects = DescribeObjects(document.GetObjects(), Accounts{LeftOutReasons(document), ConverterNotes(document)});
  return scene;
}

namespace {
// The scene as data shows the polygon selections too; spline tags it leaves out.
class SelectionTagsFactory final : public C4DSceneFactory {
 public:
  bool KeepsSelectionTags() const override { return true; }
};
}  // namespace

SceneData LoadSceneData(const std::string& path) {
  SelectionTagsFactory factory;
  C4DBaseDocument document(&factory);  // before the file: it installs the link support
  GeChunkFile file;
  const bool opened = file.Open(path.c_str());
  const bool loaded = opened && document.Load(file);
  SceneData scene = opened ? DescribeScene(document) : SceneData();
  scene.path = path;
  scene.opened = opened;
  scene.loaded = loaded;
  scene.error = file.GetError();
  scene.errorName = FileErrorSymbol(scene.error);
  return scene;
}

void WriteSceneJson(JsonWriter& json, const SceneData& scene, bool withFile) {
  json.BeginObject();
  if (withFile) {
    json.Key("file").String(scene.path).Key("loaded").Bool(scene.loaded);
    json.Key("error").Integer(scene.error).Key("errorName").String(scene.errorName);
  }
  if (scene.opened || !withFile) {
    json.Key("version").Integer(scene.version).Key("variant").String(scene.newerVariant ? "newer" : "classic");
    json.Key("useMarkedCaches").Bool(scene.useMarkedCaches);
    json.Key("materials").BeginArray();
    for (const SceneMaterial& m : scene.materials) {
      json.BeginObject().Key("name").String(m.name).Key("typeId").Integer(m.typeId);
      if (m.hasChannels) {
        json.Key("channelStates").BeginArray(true);
        for (int32_t state : m.channelStates) json.Integer(state);
        json.EndArray();
        json.Key("colorChannel").Bool(m.colorChannel).Key("transparencyChannel").Bool(m.transparencyChannel);
        WriteVector(json, "color", m.color);
        json.Key("transparency").Number(m.transparency);
        if (!m.bitmap.empty()) json.Key("bitmap").String(m.bitmap);
      }
      json.EndObject();
    }
    json.EndArray();
    json.Key("layers");
    WriteLayers(json, scene.layers);
    json.Key("objects");
    WriteObjects(json, scene.objects);
  }
  json.EndObject();
}

}  // namespace c4dimport
