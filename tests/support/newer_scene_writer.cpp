// The newer variant's payload layouts for SceneWriter: the writer's doubles
// come from C4DWriter once its newer header is written.
#include <bit>

#include "scene_writer.h"

void SceneWriter::NewerBaseList(const NodeSpec& node) {
  const int32_t level = node.level;
  w_.StartChunk(scene_chunk::kBaseList, level).Int32(node.nodeBits).Int32(0);
  node.data.WriteChunk(w_);
  node.goalId != 0 ? w_.UInt8(1).GoalRecord(node.goalId).Str(node.name) : w_.UInt8(0).Str(node.name);
  if (level >= 1) w_.Int32(0);
  if (level >= 2) w_.Int32(1).Int32(0);
  if (level >= 5) node.layerId != 0 ? w_.LinkRecord(node.layerId) : w_.Memory({});
  w_.UInt8(1).Memory(std::vector<uint8_t>(16, 7)).Bool(false).Int32(1).Int32(0).EndChunk();  // skipped by the reader
}

void SceneWriter::NewerObjectChunk(const ObjectSpec& o) {
  const int32_t level = o.objectLevel;
  w_.StartChunk(scene_chunk::kObject, level).Vec(o.position).Vec(o.scale).Vec(o.rotation);
  w_.Int32(o.states[0]).Int32(o.states[1]).Int32(o.states[2]);
  if (level >= 1) w_.Bool(false).Vec(o.color);
  if (level >= 2) w_.Int32(o.useColor ? 1 : 0);
  if (level >= 3) w_.Vec(Vector{}).Int32(0);
  if (level >= 4) w_.Mat(Matrix{});  // a stale copy of the global matrix: the reader keeps it unused
  if (level >= 5) {
    w_.Bool(!o.overrideCache.empty());
    if (!o.overrideCache.empty()) ObjectList(scene_chunk::kList, o.overrideCache);
    w_.Bool(!o.fallbackCache.empty());
    if (!o.fallbackCache.empty()) ObjectList(scene_chunk::kList, o.fallbackCache);
  }
  w_.UInt32(0).Int32(6).EndChunk();
}

void SceneWriter::NewerTag(const TagSpec& t, int32_t id) {
  w_.StartChunk(id, 0);
  NodeSpec node = t.node;
  if (t.kind == TagSpec::Kind::Texture) {
    const auto& [offsetU, offsetV, lengthU, lengthV] = t.offsetLength;
    node.data.Real(1000, offsetU).Real(1001, offsetV).Real(1002, lengthU).Real(1003, lengthV);
    node.data.Int(1004, t.projection).Str(1006, t.restriction).Int(1007, t.tiles);
    node.data.Link(1010, t.materialId);  // the material link
  }
  if (node.write) BaseList(node);
  std::vector<std::vector<double>> xyz(3);
  std::vector<std::vector<int32_t>> words(4);
  switch (t.kind) {
    case TagSpec::Kind::Point:
      for (const Vector& p : t.points) xyz[0].push_back(p.x), xyz[1].push_back(p.y), xyz[2].push_back(p.z);
      for (const Vector64& p : t.points64) xyz[0].push_back(p.x), xyz[1].push_back(p.y), xyz[2].push_back(p.z);
      w_.StartChunk(id, 0).Int32(int32_t(xyz[0].size())).Packed(xyz[0]).Packed(xyz[1]).Packed(xyz[2]).EndChunk();
      break;
    case TagSpec::Kind::Polygon:
      for (const CPolygon& p : t.polygons) words[0].push_back(p.a), words[1].push_back(p.b), words[2].push_back(p.c), words[3].push_back(p.d);
      w_.StartChunk(id, 0).Int32(int32_t(t.polygons.size())).Packed(words[0]).Packed(words[1]).Packed(words[2]);
      w_.Packed(words[3]).EndChunk();
      break;
    case TagSpec::Kind::UVW:
      for (const Vector& v : t.uvw) words[0].push_back(std::bit_cast<int32_t>(v.x)), words[0].push_back(std::bit_cast<int32_t>(v.y));
      w_.StartChunk(id, 4).Int32(int32_t(t.uvw.size() / 4)).Packed(words[0]).Bool(false).Bool(false).EndChunk();
      break;
    case TagSpec::Kind::PolygonSelection:
      SelectionChunk(w_, t.ranges);
      break;
    default:
      break;
  }
  w_.EndChunk();
}
