#include "scene_writer.h"

#include <cmath>

namespace {

// Tag type ids in the order of TagSpec::Kind.
constexpr int32_t kTagTypeIds[] = {5600, 5604, 5612, 5616, 5671, 5672, 5617, 5673};

bool NewLayout(int32_t version) { return version >= 7500; }

// An empty link or goal slot: a memory value of no bytes.
C4DWriter& NoRecord(C4DWriter& w) { return w.Memory({}); }
// A link record to `id`, or an empty slot when `id` is 0.
C4DWriter& LinkOrNone(C4DWriter& w, uint64_t id) { return id != 0 ? w.LinkRecord(id) : NoRecord(w); }

}  // namespace

// Chunk 110011: a range count, then first and last of each range.
void SelectionChunk(C4DWriter& w, const std::vector<std::pair<int32_t, int32_t>>& ranges) {
  w.StartChunk(110011, 0).Int32(int32_t(ranges.size()));
  for (const auto& [first, last] : ranges) w.Int32(first).Int32(last);
  w.EndChunk();
}

namespace {

}  // namespace

// ---------------------------------------------------------------------------
// Spec builders

namespace {
// A tag of `kind` whose payload `fill` sets.
TagSpec MakeTag(TagSpec::Kind kind, const std::function<void(TagSpec&)>& fill = {}) {
  TagSpec t;
  t.kind = kind;
  if (fill) fill(t);
  return t;
}
}  // namespace

TagSpec TagSpec::Points(std::vector<Vector> points) {
  return MakeTag(Kind::Point, [&](TagSpec& t) { t.points = std::move(points); });
}
TagSpec TagSpec::Polygons(std::vector<CPolygon> polygons, bool sixteenBit) {
  return MakeTag(Kind::Polygon, [&](TagSpec& t) { t.polygons = std::move(polygons), t.sixteenBit = sixteenBit; });
}
TagSpec TagSpec::Texture(uint64_t materialId) {
  return MakeTag(Kind::Texture, [&](TagSpec& t) { t.materialId = materialId; });
}
TagSpec TagSpec::UVW(std::vector<Vector> uvw) { return MakeTag(Kind::UVW, [&](TagSpec& t) { t.uvw = std::move(uvw); }); }
TagSpec TagSpec::Phong() { return MakeTag(Kind::Phong); }
TagSpec TagSpec::Phong(bool angleLimit, float angle, bool edgeBreaks) {
  return MakeTag(Kind::Phong, [&](TagSpec& t) { t.node.data.Int(1001, angleLimit).Real(1002, angle).Int(1003, edgeBreaks); });
}
TagSpec TagSpec::PolygonSelection(const std::string& name, std::vector<std::pair<int32_t, int32_t>> ranges) {
  return MakeTag(Kind::PolygonSelection, [&](TagSpec& t) { t.node.name = name, t.ranges = std::move(ranges); });
}
TagSpec TagSpec::Segments(std::vector<std::pair<int32_t, bool>> segments) {
  return MakeTag(Kind::Segment, [&](TagSpec& t) { t.segments = std::move(segments); });
}
TagSpec TagSpec::Tangents(std::vector<Vector> leftRight) {
  return MakeTag(Kind::Tangent, [&](TagSpec& t) { t.tangents = std::move(leftRight); });
}

ObjectSpec ObjectSpec::Plugin(const std::string& name, int32_t dataTypeId) {
  ObjectSpec o;
  o.node.name = name;
  o.dataTypeId = dataTypeId;
  return o;
}

ObjectSpec ObjectSpec::Polygon(const std::string& name, std::vector<Vector> points,
                               std::vector<CPolygon> polygons) {
  return Plugin(name, 5100).WithTag(TagSpec::Points(std::move(points))).WithTag(TagSpec::Polygons(std::move(polygons)));
}

ObjectSpec ObjectSpec::Spline(const std::string& name, std::vector<Vector> points, bool closed) {
  ObjectSpec o = Plugin(name, 0).WithTag(TagSpec::Points(std::move(points)));
  o.typeId = 5101;  // and no data chunk: it would replace the spline's point data
  o.node.data.Int(1000, 0).Int(1001, 0).Int(1002, closed ? 1 : 0);
  return o;
}

ObjectSpec ObjectSpec::Null(const std::string& name) { return Plugin(name, 5140); }
ObjectSpec ObjectSpec::Light(const std::string& name) { return Plugin(name, 5102); }
ObjectSpec ObjectSpec::Light(const std::string& name, const LightSpec& look) {
  ObjectSpec o = Plugin(name, 5102);
  o.light = look;
  return o;
}
ObjectSpec& ObjectSpec::Lens(float focalLength, float filmWidth) {
  node.data.Real(500, focalLength).Real(1006, filmWidth);
  return *this;
}
ObjectSpec ObjectSpec::Camera(const std::string& name) { return Plugin(name, 5103); }
ObjectSpec ObjectSpec::Primitive(const std::string& name, ObjectSpec cache, int32_t dataTypeId) {
  return Plugin(name, dataTypeId).Fallback(std::move(cache));
}
ObjectSpec ObjectSpec::Instance(const std::string& name, uint64_t referenceId, std::optional<ObjectSpec> cache) {
  ObjectSpec o = Plugin(name, 5126);
  o.node.data.Link(1001, referenceId);
  if (cache) o.fallbackCache.push_back(std::move(*cache));
  return o;
}

ObjectSpec& ObjectSpec::At(const Vector& p) { position = p; return *this; }
ObjectSpec& ObjectSpec::Scaled(const Vector& s) { scale = s; return *this; }
ObjectSpec& ObjectSpec::RotatedZ(float degrees) {
  const double r = double(degrees) * 3.14159265358979323846 / 180.0;
  // Quarter turns come out exact.
  auto exact = [](double v) { return std::fabs(v) < 1e-12 ? 0.0f : float(v); };
  const float c = exact(std::cos(r));
  const float s = exact(std::sin(r));
  axis.xAxis = Vector{c, s, 0.0f};
  axis.yAxis = Vector{-s, c, 0.0f};
  axis.zAxis = Vector{0.0f, 0.0f, 1.0f};
  rotation = Vector{0.0f, 0.0f, float(r)};
  return *this;
}
ObjectSpec& ObjectSpec::Colored(const Vector& rgb) { color = rgb; useColor = true; return *this; }
ObjectSpec& ObjectSpec::OnLayer(uint64_t layerId) { node.layerId = layerId; return *this; }
ObjectSpec& ObjectSpec::Goal(uint64_t goalId) { node.goalId = goalId; return *this; }
ObjectSpec& ObjectSpec::WithTag(TagSpec tag) { tags.push_back(std::move(tag)); return *this; }
ObjectSpec& ObjectSpec::WithTexture(uint64_t materialId) { return WithTag(TagSpec::Texture(materialId)); }
ObjectSpec& ObjectSpec::Child(ObjectSpec child) { children.push_back(std::move(child)); return *this; }
ObjectSpec& ObjectSpec::Fallback(ObjectSpec cache) { fallbackCache.push_back(std::move(cache)); return *this; }
ObjectSpec& ObjectSpec::Override(ObjectSpec cache) { overrideCache.push_back(std::move(cache)); return *this; }
ObjectSpec& ObjectSpec::Bits(int32_t nodeBits) { node.nodeBits = nodeBits; return *this; }
ObjectSpec& ObjectSpec::States(int32_t editor, int32_t render, int32_t disabled) {
  states = {editor, render, disabled};
  return *this;
}
ObjectSpec& ObjectSpec::OwnType() {
  typeId = dataTypeId;
  dataTypeId = 0;
  return *this;
}

MaterialSpec MaterialSpec::Colored(const std::string& name, uint64_t goalId, const Vector& rgb) {
  MaterialSpec m;
  m.node.name = name;
  m.node.goalId = goalId;
  m.channelStates[0] = 1;
  m.color = rgb;
  return m;
}

MaterialSpec MaterialSpec::Transparent(const std::string& name, uint64_t goalId, const Vector& rgb, float amount) {
  MaterialSpec m = Colored(name, goalId, rgb);
  m.channelStates[2] = 1;
  m.transparency = amount;
  return m;
}

MaterialSpec& MaterialSpec::WithColorBitmap(const std::string& file, uint64_t shaderId) {
  shaders.push_back(ShaderSpec{shaderId, file, 5833, {}});
  colorShaderId = shaderId;
  return *this;
}

LayerSpec LayerSpec::Named(const std::string& name, uint64_t goalId) {
  LayerSpec l;
  l.node.name = name;
  l.node.goalId = goalId;
  return l;
}

LayerSpec& LayerSpec::Child(LayerSpec child) { children.push_back(std::move(child)); return *this; }

SceneSpec SceneOf(std::vector<ObjectSpec> objects, int32_t version) {
  SceneSpec scene;
  scene.version = version;
  scene.objects = std::move(objects);
  return scene;
}

ObjectSpec Box(const std::string& name, float x, float y, float z) {
  return ObjectSpec::Polygon(name, {{0, 0, 0}, {x, 0, 0}, {x, y, 0}, {0, y, 0}, {0, 0, z}, {x, 0, z}, {x, y, z}, {0, y, z}},
                             {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}});
}

ObjectSpec Quad(const std::string& name) {
  return ObjectSpec::Polygon(name, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
}

// ---------------------------------------------------------------------------
// SceneWriter

void SceneWriter::Values(const char* sequence) {
  for (const char* p = sequence; *p;) {
    if (*p == ' ' && ++p) continue;
    int n = 0;
    while (*p >= '0' && *p <= '9') n = n * 10 + (*p++ - '0');
    if (n == 0) n = 1;
    const char kind = *p++;
    for (int i = 0; i < n; ++i) {
      switch (kind) {
        case 'F': w_.Float32(0.25f); break;
        case 'I': w_.Int32(3); break;
        case 'B': w_.Bool(true); break;
        case 'V': w_.Vec(Vector{0.5f, 0.5f, 0.5f}); break;
        default: break;
      }
    }
  }
}

void SceneWriter::DocumentHeader(int32_t version, bool useMarkedCaches, int32_t level) {
  w_.StartChunk(scene_chunk::kHeader, level).Int32(version);
  if (level >= 1) w_.Bool(useMarkedCaches);
  w_.EndChunk();
}

void SceneWriter::BaseList(const NodeSpec& node) {
  if (w_.IsNewer()) return NewerBaseList(node);
  const int32_t level = node.level;
  const uint64_t goal = node.nodeWords < 0 ? node.goalId : 0;
  if (node.nodeWords >= 0) {
    w_.StartChunk(scene_chunk::kNode, 2).Int32(node.nodeWords);
    for (int32_t i = 0; i < node.nodeWords; ++i) w_.Int32(i + 1);
    w_.UInt8(1).GoalRecord(node.goalId).EndChunk();
  }
  w_.StartChunk(scene_chunk::kBaseList, level).Int32(node.nodeBits).Int32(0);
  node.data.WriteChunk(w_);
  w_.UInt8(goal != 0 ? 1 : 0);
  if (goal != 0) w_.GoalRecord(goal);
  w_.Str(node.name);
  if (level >= 1) w_.Int32(0);           // no second container
  if (level >= 2) w_.Int32(1).Int32(0);  // a block of no sub-chunks
  if (level >= 3) w_.Int32(0);
  if (level >= 4) w_.Int32(0);  // no further words
  if (level >= 5) LinkOrNone(w_, node.layerId);
  w_.EndChunk();
}

void SceneWriter::ObjectList(int32_t chunkId, const std::vector<ObjectSpec>& objects) {
  w_.StartChunk(chunkId, 0);
  for (const ObjectSpec& o : objects) Object(o);
  w_.EndChunk();
}

void SceneWriter::Object(const ObjectSpec& o) {
  w_.StartChunk(o.typeId, 0);
  if (o.node.write) BaseList(o.node);
  if (o.writeObjectChunk) ObjectChunk(o);
  if (o.dataTypeId != 0) DataChunk(o);
  if (!o.tags.empty()) {
    w_.StartChunk(scene_chunk::kTags, 0);
    for (const TagSpec& t : o.tags) Tag(t);
    w_.EndChunk();
  }
  if (!o.children.empty()) ObjectList(scene_chunk::kList, o.children);
  w_.EndChunk();
}

void SceneWriter::ObjectChunk(const ObjectSpec& o) {
  if (w_.IsNewer()) return NewerObjectChunk(o);
  const Matrix identity;
  if (!NewLayout(version_)) {
    ContainerSpec().WriteOlder(w_.StartChunk(scene_chunk::kObject, 1));
    w_.Vec(o.position).Vec(o.scale).Vec(o.rotation).Mat(o.axis).Mat(identity).Str(o.node.name);
    w_.Int32(o.states[0]).Int32(o.states[1]).Int32(o.states[2]).EndChunk();
    return;
  }
  const int32_t level = o.objectLevel;
  w_.StartChunk(scene_chunk::kObject, level).Vec(o.position).Vec(o.scale).Vec(o.rotation).Mat(o.axis).Mat(identity);
  w_.Int32(o.states[0]).Int32(o.states[1]).Int32(o.states[2]);
  if (level >= 1) w_.Bool(false).Bool(false).Vec(o.color);
  if (level >= 2) w_.Int32(o.useColor ? 1 : 0);
  if (level >= 3) w_.Vec(Vector{}).Int32(0);
  if (level >= 4) w_.Mat(identity);
  if (level >= 5) {
    w_.Bool(!o.overrideCache.empty());
    if (!o.overrideCache.empty()) ObjectList(scene_chunk::kList, o.overrideCache);
    w_.Bool(!o.fallbackCache.empty());
    if (!o.fallbackCache.empty()) ObjectList(scene_chunk::kList, o.fallbackCache);
  }
  w_.EndChunk();
}

void SceneWriter::DataChunk(const ObjectSpec& o) {
  w_.StartChunk(scene_chunk::kObjectData, o.dataLevel).Int32(o.dataTypeId).Int32(0).Str("");
  if (o.dataTypeId == 5102) LightPayload(o.lightGroups, o.light);
  w_.EndChunk();
}

void SceneWriter::LightPayload(int32_t groups, const std::optional<LightSpec>& look) {
  const bool oldLayout = !NewLayout(version_);
  // The light group: two reals, a vector and an integer.
  const char* group = "F F V I";
  const char* block = "B B B I I F F F F F V I";
  Values("F F F F");
  w_.Int32(groups);
  Values("I I B B B B");
  if (oldLayout) Values(group);
  for (int32_t i = 0; i < groups; ++i) Values(group);
  if (oldLayout) {
    for (int i = 0; i < 5; ++i) Values(block);
    for (int i = 0; i < 5; ++i) Values(group);
  }
  // The main body, as one long run.
  Values("F F F  B B  F F F F F  I I I  B B B B B  V  I I  F F F F F  V  B B B B B  F F F  V V  F  V");
  Values("B B B B  F F F F F F F");
  if (look) {
    w_.Vec(look->colour).Float32(look->brightness).Int32(look->kind);
    Values("I I I  B B B B");
    w_.Float32(look->innerAngle).Float32(look->outerAngle);
    Values("F F");
  } else {
    Values("V  F  I I I I  B B B B  F F F F");
  }
  Values("I  B B B B B B  F F F F F  V");
  Values("B B  F F F F  B  F  V  F  B B B B  F F F F  I I I  B");
  if (!oldLayout) {
    Values(group);
    for (int i = 0; i < 5; ++i) Values(block);
    for (int i = 0; i < 5; ++i) Values(group);
    Values("F F I");
  }
}

void SceneWriter::Tag(const TagSpec& t) {
  const int32_t id = kTagTypeIds[static_cast<int>(t.kind)];
  if (w_.IsNewer()) return NewerTag(t, id);
  w_.StartChunk(id, 0);
  if (t.node.write) BaseList(t.node);
  switch (t.kind) {
    case TagSpec::Kind::Point: w_.StartChunk(id, 0).VectorArray(t.points).EndChunk(); break;
    case TagSpec::Kind::Polygon: w_.StartChunk(id, 0).PolygonArray(t.polygons, t.sixteenBit).EndChunk(); break;
    case TagSpec::Kind::Phong: break;
    case TagSpec::Kind::Texture: {
      const int32_t level = t.textureLevel;
      const Matrix identity;
      w_.StartChunk(scene_chunk::kTexturePayload, level).Vec(Vector{}).Vec(Vector{}).Vec(Vector{}).Mat(identity).Mat(identity);
      for (float value : t.offsetLength) w_.Float32(value);
      w_.Bool(t.tiles).Bool(false).Bool(false).Int32(t.projection).Int32(0).Int32(0).Int32(0);
      if (level >= 1) w_.Str(t.restriction);
      if (level >= 2) w_.Bool(false);
      if (level >= 3) LinkOrNone(w_, t.materialId);
      if (level >= 4) NoRecord(w_);
      if (level >= 5) w_.Int32(1).Int32(1).Float32(1).Float32(1);
      if (level >= 6) w_.Bool(false);
      w_.EndChunk();
      break;
    }
    case TagSpec::Kind::PolygonSelection: SelectionChunk(w_, t.ranges); break;
    case TagSpec::Kind::UVW:
      w_.StartChunk(id, 2).UInt16Array({}).VectorArray(t.uvw).Bool(false);
      w_.EndChunk();
      break;
    case TagSpec::Kind::Segment:
      w_.StartChunk(id, 0).Int32(int32_t(t.segments.size()));
      for (const auto& [count, closed] : t.segments) w_.Int32(count).Bool(closed);
      w_.EndChunk();
      break;
    case TagSpec::Kind::Tangent:
      w_.StartChunk(id, 0).Int32(int32_t(t.tangents.size() / 2));
      for (const Vector& handle : t.tangents) w_.Vec(handle);
      w_.EndChunk();
      break;
  }
  w_.EndChunk();
}

void SceneWriter::Shader(const ShaderSpec& shader) {
  NodeSpec node;
  node.goalId = shader.goalId;
  if (!shader.file.empty()) node.data.Filename(1000, shader.file);
  w_.StartChunk(5707, 0);
  if (!shader.inputs.empty()) ShaderList(shader.inputs);
  BaseList(node);
  w_.StartChunk(scene_chunk::kObjectData, 0).Int32(shader.kind).Int32(0).Str("").EndChunk();
  w_.EndChunk();
}

void SceneWriter::ShaderList(const std::vector<ShaderSpec>& shaders) {
  w_.StartChunk(scene_chunk::kShaders, 0).StartChunk(scene_chunk::kList, 0);
  for (const ShaderSpec& shader : shaders) Shader(shader);
  w_.EndChunk().EndChunk();
}

void SceneWriter::Material(const MaterialSpec& m) {
  w_.StartChunk(scene_chunk::kMaterial, 0);
  NodeSpec node = m.node;
  if (m.color) node.data.Vec(2100, *m.color);
  if (m.brightness) node.data.Real(2101, *m.brightness);
  if (m.transparency) node.data.Real(2401, *m.transparency);
  if (m.colorShaderId != 0) node.data.Link(8000, m.colorShaderId);
  if (!m.shaders.empty()) ShaderList(m.shaders);
  if (node.write) BaseList(node);
  w_.StartChunk(scene_chunk::kMaterialBase, 0).Str(node.name).Private({}).Private({}).Private({}).EndChunk();
  if (NewLayout(version_)) {
    const int32_t channels = m.channelsWritten >= 0 ? m.channelsWritten : (version_ >= 9400 ? 14 : 13);
    w_.StartChunk(scene_chunk::kMaterial, 0);
    for (int32_t k = 0; k < channels; ++k) {
      w_.Bool(k < 14 && m.channelStates[k] != 0).StartChunk(scene_chunk::kChannelBlock, 0).EndChunk();
    }
    w_.EndChunk();
  } else {
    const int32_t level = m.oldLevel;
    w_.StartChunk(scene_chunk::kMaterial, level);
    const int states = level >= 1 ? 13 : 12;
    for (int k = 0; k < states; ++k) w_.Bool(m.channelStates[k] != 0);
    Values("B B F F F F F B V B B B F F I F F F F F B F F");
    if (level >= 1) Values("B B");
    if (level >= 2) Values("B");
    if (level >= 3) ContainerSpec().WriteOlder(w_);
    if (level >= 4) Values("B");
    w_.EndChunk();
  }
  w_.EndChunk();
}

void SceneWriter::Layer(const LayerSpec& l) {
  w_.StartChunk(scene_chunk::kLayer, 0);
  if (l.node.write) BaseList(l.node);
  if (l.writeData) {
    w_.StartChunk(scene_chunk::kLayerData, l.dataLevel);
    for (int32_t flag : l.flags) w_.Bool(flag != 0);
    w_.Vec(l.color);
    if (l.dataLevel >= 1) w_.Bool(l.flag8 != 0);
    w_.EndChunk();
  }
  if (!l.children.empty()) {
    w_.StartChunk(scene_chunk::kList, 0);
    for (const LayerSpec& c : l.children) Layer(c);
    w_.EndChunk();
  }
  w_.EndChunk();
}

// ---------------------------------------------------------------------------

void WriteSceneLists(SceneWriter& s, const SceneSpec& scene) {
  C4DWriter& w = s.Raw();
  auto list = [&](int32_t chunkId, auto&& writeNodes) {
    w.StartChunk(chunkId, 0);
    if (scene.wrapLists) w.StartChunk(scene_chunk::kList, 0);
    writeNodes();
    if (scene.wrapLists) w.EndChunk();
    w.EndChunk();
  };
  auto objects = [&] {
    list(scene_chunk::kObjects, [&] {
      for (const ObjectSpec& o : scene.objects) s.Object(o);
    });
  };
  if (scene.objectsFirst) objects();
  list(scene_chunk::kMaterials, [&] {
    for (const MaterialSpec& m : scene.materials) s.Material(m);
  });
  list(scene_chunk::kLayers, [&] {
    for (const LayerSpec& l : scene.layers) s.Layer(l);
  });
  if (!scene.objectsFirst) objects();
}

std::vector<uint8_t> WriteDocument(int32_t version, const std::function<void(SceneWriter&)>& body) {
  C4DWriter w;
  SceneWriter s(w, version);
  w.Header().StartChunk(scene_chunk::kDocument, 0);
  s.DocumentHeader(version, false);
  body(s);
  w.EndChunk();
  return w.Take();
}

std::vector<uint8_t> WriteObjectsDocument(int32_t version, const std::function<void(SceneWriter&)>& objects) {
  return WriteDocument(version, [&](SceneWriter& s) {
    s.Raw().StartChunk(scene_chunk::kObjects, 0);
    objects(s);
    s.Raw().EndChunk();
  });
}

std::vector<uint8_t> WriteScene(const SceneSpec& scene) {
  C4DWriter w;
  SceneWriter s(w, scene.version);
  if (scene.newer) {
    w.NewerHeader(scene.version);
  } else {
    w.Header(scene.headerFirst);
  }
  w.StartChunk(scene_chunk::kDocument, 0);
  if (scene.writeHeader) s.DocumentHeader(scene.version, scene.useMarkedCaches, scene.headerLevel);
  WriteSceneLists(s, scene);
  w.EndChunk();
  return w.Take();
}
