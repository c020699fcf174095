#include "scene_structure.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

#include "c4d_document.h"
#include "c4d_layer.h"
#include "c4d_material.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "c4d_tag.h"
#include "not_converted.h"
#include "output_objects.h"

namespace c4dimport {

namespace {

using c4dexport::ExportMesh;
using c4dexport::ExportNode;
using c4dexport::ExportScene;
using c4dexport::Point3;
using c4dexport::Transform;

constexpr int32_t kProjectionUVW = 6;

// Phong tag settings.
constexpr int32_t kPhongAngleLimit = 1001;
constexpr int32_t kPhongAngle = 1002;

// Camera settings, in millimetres.
constexpr int32_t kCameraFocalLength = 500;
constexpr int32_t kCameraFilmWidth = 1006;

// A scene placement in host axes: the host's point is 10 times the scene's
// with y and z swapped, so the transform is conjugated by that swap and its
// offset scaled.
Transform HostTransform(const Matrix64& m) {
  const auto swap = [](const Vector64& v) { return Point3{v.x, v.z, v.y}; };
  const Point3 x = swap(m.xAxis), y = swap(m.yAxis), z = swap(m.zAxis), off = swap(m.off);
  // The scene's axes become host columns in the order x, z, y.
  const Point3 columns[3] = {x, z, y};
  Transform t = c4dexport::IdentityTransform();
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) t[r][c] = columns[c][r];
    t[r][3] = 10.0 * off[r];
  }
  return t;
}

const C4DPluginObjectData* DataOf(const C4DBaseObject& object) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(&object);
  return plugin ? plugin->GetObjectData() : nullptr;
}

// The texture tags that dress an object: its own, else those of the nearest
// ancestor that has any.
std::vector<const C4DTextureTag*> TextureTagsOf(const C4DBaseObject* object) {
  for (; object; object = object->GetParent()) {
    std::vector<const C4DTextureTag*> tags;
    for (const C4DBaseTag* tag : object->tags.Tags()) {
      if (const auto* texture = dynamic_cast<const C4DTextureTag*>(tag)) tags.push_back(texture);
    }
    if (!tags.empty()) return tags;
  }
  return {};
}

// The corner of a polygon record at a point, -1 when none.
int CornerAt(const CPolygon& polygon, uint32_t point) {
  const int32_t corners[4] = {polygon.a, polygon.b, polygon.c, polygon.d};
  const int count = polygon.c == polygon.d ? 3 : 4;
  for (int k = 0; k < count; ++k) {
    if (corners[k] >= 0 && uint32_t(corners[k]) == point) return k;
  }
  return -1;
}

// Where a face of the host's mesh comes from: the polygon record and, per
// face corner, the record's corner.
struct FaceOrigin {
  int32_t polygon = -1;
  std::array<int8_t, 4> corners{};
};

// The module makes a polygon's faces in the records' order: one face, two
// triangles of a bent quadrangle, or none for a degenerate record. Faces are
// matched to records in that order by their corners.
bool MapFaces(const ExportMesh& mesh, const CPolygon* polygons, int32_t polygonCount, std::vector<FaceOrigin>& origins) {
  origins.assign(mesh.polygons.size(), {});
  int32_t next = 0;
  for (size_t f = 0; f < mesh.polygons.size(); ++f) {
    const std::vector<uint32_t>& face = mesh.polygons[f];
    if (face.size() > 4) return false;
    bool matched = false;
    for (int32_t p = std::max(next - 1, 0); p < polygonCount && !matched; ++p) {
      FaceOrigin origin{p, {}};
      matched = true;
      for (size_t k = 0; k < face.size() && matched; ++k) {
        const int corner = CornerAt(polygons[p], face[k]);
        origin.corners[k] = int8_t(corner);
        matched = corner >= 0;
      }
      if (matched) {
        origins[f] = origin;
        next = p + 1;
      }
    }
    if (!matched) return false;
  }
  return true;
}

// Normals smoothed across the edges that two faces share, unless the faces
// meet at more than `limit` radians; each corner takes the area-weighted
// normal of the faces it is smoothed with. (The phong tag's edge breaks are
// not among them: no file seen keeps the broken edges where they are read.)
class Smoothing {
 public:
  Smoothing(const ExportMesh& mesh, double limit) : m_mesh(mesh), m_cosLimit(std::cos(limit)) {}

  std::vector<Point3> CornerNormals() {
    FaceNormals();
    size_t corners = 0;
    for (const auto& face : m_mesh.polygons) {
      m_firstCorner.push_back(corners);
      corners += face.size();
    }
    m_group.resize(corners);
    for (size_t c = 0; c < corners; ++c) m_group[c] = c;
    JoinAcrossEdges();
    std::vector<Point3> sums(corners, Point3{0, 0, 0});
    for (size_t f = 0; f < m_mesh.polygons.size(); ++f) {
      for (size_t k = 0; k < m_mesh.polygons[f].size(); ++k) {
        Point3& sum = sums[Find(m_firstCorner[f] + k)];
        for (int i = 0; i < 3; ++i) sum[i] += m_area[f][i];
      }
    }
    std::vector<Point3> normals(corners);
    for (size_t f = 0; f < m_mesh.polygons.size(); ++f) {
      for (size_t k = 0; k < m_mesh.polygons[f].size(); ++k) {
        const size_t c = m_firstCorner[f] + k;
        normals[c] = Unit(sums[Find(c)], Unit(m_area[f], {0, 0, 1}));
      }
    }
    return normals;
  }

 private:
  static uint64_t EdgeKey(uint32_t a, uint32_t b) {
    if (a > b) std::swap(a, b);
    return (uint64_t(a) << 32) | b;
  }

  static Point3 Unit(const Point3& v, const Point3& fallback) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0) || !std::isfinite(length)) return fallback;
    return {v[0] / length, v[1] / length, v[2] / length};
  }

  // Newell's normal, as long as twice the face's area.
  void FaceNormals() {
    m_area.reserve(m_mesh.polygons.size());
    for (const auto& face : m_mesh.polygons) {
      Point3 n{0, 0, 0};
      for (size_t k = 0; k < face.size(); ++k) {
        const Point3& p = m_mesh.points[face[k]];
        const Point3& q = m_mesh.points[face[(k + 1) % face.size()]];
        n[0] += (p[1] - q[1]) * (p[2] + q[2]);
        n[1] += (p[2] - q[2]) * (p[0] + q[0]);
        n[2] += (p[0] - q[0]) * (p[1] + q[1]);
      }
      m_area.push_back(n);
    }
  }

  void JoinAcrossEdges() {
    // The first face corner seen starting each undirected edge.
    std::unordered_map<uint64_t, std::pair<size_t, size_t>> seen;  // edge -> (face, corner within face)
    seen.reserve(m_group.size());
    for (size_t f = 0; f < m_mesh.polygons.size(); ++f) {
      const auto& face = m_mesh.polygons[f];
      for (size_t k = 0; k < face.size(); ++k) {
        const uint32_t a = face[k], b = face[(k + 1) % face.size()];
        const uint64_t key = EdgeKey(a, b);
        const auto [it, inserted] = seen.emplace(key, std::make_pair(f, k));
        if (inserted || !Smooth(it->second.first, f)) continue;
        const auto& other = m_mesh.polygons[it->second.first];
        const size_t ok = it->second.second;
        const uint32_t oa = other[ok];
        const size_t oNext = m_firstCorner[it->second.first] + (ok + 1) % other.size();
        const size_t oThis = m_firstCorner[it->second.first] + ok;
        const size_t here = m_firstCorner[f] + k, hereNext = m_firstCorner[f] + (k + 1) % face.size();
        // Join the corners at the same points on both sides.
        if (oa == a) {
          Join(oThis, here);
          Join(oNext, hereNext);
        } else {
          Join(oThis, hereNext);
          Join(oNext, here);
        }
      }
    }
  }

  bool Smooth(size_t f, size_t g) const {
    const Point3 a = Unit(m_area[f], {0, 0, 0}), b = Unit(m_area[g], {0, 0, 0});
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] >= m_cosLimit - 1e-9;
  }

  size_t Find(size_t c) {
    while (m_group[c] != c) c = m_group[c] = m_group[m_group[c]];
    return c;
  }
  void Join(size_t a, size_t b) { m_group[Find(a)] = Find(b); }

  const ExportMesh& m_mesh;
  double m_cosLimit;
  std::vector<Point3> m_area;
  std::vector<size_t> m_firstCorner;
  std::vector<size_t> m_group;
};

// The bitmap a material names, where the scene program finds it: beside the
// scene, in its "tex" folder, then at the path as stored.
std::string FindBitmap(const std::string& stored, const std::string& scenePath) {
  namespace fs = std::filesystem;
  std::string leaf = stored;
  if (const size_t cut = leaf.find_last_of("/\\:"); cut != std::string::npos) leaf = leaf.substr(cut + 1);
  const fs::path folder = fs::path(scenePath).parent_path();
  std::error_code error;
  for (const fs::path& candidate : {folder / leaf, folder / "tex" / leaf, fs::path(stored)}) {
    if (!leaf.empty() && fs::is_regular_file(candidate, error)) return candidate.string();
  }
  return "";
}

class StructureBuilder {
 public:
  StructureBuilder(ExportScene& scene, const StructureOptions& options) : m_scene(scene), m_options(options) {}

  // Returns the scene object of each node.
  std::vector<const C4DBaseObject*> AddTree(const C4DBaseDocument& document,
                                            const std::vector<const C4DBaseObject*>& sources) {
    // Which objects carry output, so that only branches with something in
    // them become nodes.
    std::vector<const C4DBaseObject*> meshSources(m_scene.meshes.size()), lineSources(m_scene.polylines.size());
    for (size_t i = 0; i < m_scene.meshes.size(); ++i) meshSources[i] = SourceOf(m_scene.meshes[i].objectNumber, sources);
    for (size_t i = 0; i < m_scene.polylines.size(); ++i) {
      lineSources[i] = SourceOf(m_scene.polylines[i].objectNumber, sources);
    }
    for (const auto* source : meshSources) MarkCarrier(source);
    for (const auto* source : lineSources) MarkCarrier(source);
    if (const C4DRootObject* objects = document.GetObjects()) {
      AddNodes(objects->GetFirstObject(), -1, c4dexport::IdentityTransform());
    }
    for (size_t i = 0; i < m_scene.meshes.size(); ++i) Attach(m_scene.meshes[i], meshSources[i], i, false);
    for (size_t i = 0; i < m_scene.polylines.size(); ++i) Attach(m_scene.polylines[i], lineSources[i], i, true);
    return m_nodeObjects;
  }

 private:
  static const C4DBaseObject* SourceOf(size_t objectNumber, const std::vector<const C4DBaseObject*>& sources) {
    return objectNumber >= 1 && objectNumber <= sources.size() ? sources[objectNumber - 1] : nullptr;
  }

  // Up to the first object already marked: every mark is made once.
  void MarkCarrier(const C4DBaseObject* source) {
    for (const C4DBaseObject* o = source; o && m_carriers.insert(o).second;) o = o->GetParent();
  }

  bool IsCameraOrLight(const C4DBaseObject& object) const {
    const C4DPluginObjectData* data = DataOf(object);
    return dynamic_cast<const C4DCameraObjectData*>(data) || dynamic_cast<const C4DLightObjectData*>(data);
  }

  bool Hidden(const C4DBaseObject& object) const { return !m_options.keepHidden && !HiddenReason(object).empty(); }

  // True when the object or one below it became a node.
  // The parent's placement is a copy: the nodes' vector grows below.
  bool AddNodes(const C4DBaseObject* object, int parent, const Transform parentGlobal) {
    bool any = false;
    std::map<std::string, int> namesTaken;
    for (; object; object = object->GetNext()) {
      const bool ownNode = m_carriers.count(object) || (IsCameraOrLight(*object) && !Hidden(*object));
      if (!ownNode && !HasNodeBelow(object)) continue;
      ExportNode node;
      // Names and paths as long as reports hold them: a file may name an
      // object with a million characters, and its children repeat it.
      std::string name = object->GetNameString();
      if (name.empty()) name = "Object";
      if (name.size() > kMaxPathPart) name = name.substr(0, kMaxPathPart - 3) + "...";
      if (const int taken = namesTaken[name]++; taken > 0) name.append(".").append(std::to_string(taken));
      node.name = name;
      node.path = parent < 0 ? name : m_scene.nodes[size_t(parent)].path + " / " + name;
      if (node.path.size() > kMaxPath) node.path = "... " + node.path.substr(node.path.size() - (kMaxPath - 4));
      node.parent = parent;
      node.local = HostTransform(object->GetMl64());
      node.global = c4dexport::Multiply(parentGlobal, node.local);
      if (const C4DBaseLayer* layer = object->GetLayer()) node.layer = layer->GetNameString();
      const size_t index = m_scene.nodes.size();
      m_scene.nodes.push_back(std::move(node));
      if (parent >= 0) m_scene.nodes[size_t(parent)].children.push_back(index);
      m_nodeOf[object] = index;
      m_nodeObjects.push_back(object);
      AddCameraOrLight(*object, index);
      AddNodes(object->GetFirstChild(), int(index), m_scene.nodes[index].global);
      any = true;
    }
    return any;
  }

  bool HasNodeBelow(const C4DBaseObject* object) const {
    for (const C4DBaseObject* child = object->GetFirstChild(); child; child = child->GetNext()) {
      if (m_carriers.count(child) || (IsCameraOrLight(*child) && !Hidden(*child)) || HasNodeBelow(child)) return true;
    }
    return false;
  }

  void AddCameraOrLight(const C4DBaseObject& object, size_t node) {
    const C4DPluginObjectData* data = DataOf(object);
    if (dynamic_cast<const C4DCameraObjectData*>(data)) {
      c4dexport::ExportSceneCamera camera;
      camera.name = m_scene.nodes[node].name;
      camera.node = node;
      camera.focalLength = object.data.FindFloat32(kCameraFocalLength, 36.0f);
      camera.filmWidth = object.data.FindFloat32(kCameraFilmWidth, 36.0f);
      m_scene.nodes[node].camera = int(m_scene.cameras.size());
      m_scene.cameras.push_back(std::move(camera));
    } else if (const auto* light = dynamic_cast<const C4DLightObjectData*>(data)) {
      m_scene.nodes[node].light = int(m_scene.lights.size());
      m_scene.lights.push_back(LightOf(*light, m_scene.nodes[node].name, node));
    }
  }

  static c4dexport::ExportLight LightOf(const C4DLightObjectData& data, const std::string& name, size_t node) {
    using Kind = c4dexport::ExportLight::Kind;
    c4dexport::ExportLight light;
    light.name = name;
    light.node = node;
    const Vector colour = data.Colour();
    light.colour = {colour.x, colour.y, colour.z};
    light.brightness = data.Brightness();
    light.innerAngle = data.InnerAngle();
    light.outerAngle = data.OuterAngle();
    switch (data.Kind()) {
      case LIGHT_OMNI: light.kind = Kind::Point; break;
      case LIGHT_SPOT: light.kind = Kind::Spot; break;
      case LIGHT_SPOT_SQUARE:
        light.kind = Kind::Spot;
        light.note = "a square spot light, written as a round one";
        break;
      case LIGHT_INFINITE: light.kind = Kind::Infinite; break;
      case LIGHT_PARALLEL:
      case LIGHT_PARALLEL_SPOT:
      case LIGHT_PARALLEL_SPOT_SQUARE:
        light.kind = Kind::Infinite;
        light.note = "a parallel light, written as an infinite one";
        break;
      case LIGHT_TUBE:
      case LIGHT_AREA:
        light.kind = Kind::Area;
        light.note = "an area light, written as a point light where the format has no area light";
        break;
      default:
        light.kind = Kind::Point;
        light.note = "a light of kind " + std::to_string(data.Kind()) + ", written as a point light";
    }
    if (!light.note.empty()) light.note = "light \"" + name + "\": " + light.note;
    return light;
  }

  // The node of the nearest tree object at or above the source (a cache's
  // object hangs under its owner).
  int NodeOf(const C4DBaseObject* source) const {
    for (const C4DBaseObject* o = source; o; o = o->GetParent()) {
      if (auto it = m_nodeOf.find(o); it != m_nodeOf.end()) return int(it->second);
    }
    return -1;
  }

  template <class Item>
  void Attach(Item& item, const C4DBaseObject* source, size_t index, bool line) {
    item.node = NodeOf(source);
    if (item.node < 0) return;
    ExportNode& node = m_scene.nodes[size_t(item.node)];
    (line ? node.polylines : node.meshes).push_back(index);
  }

  ExportScene& m_scene;
  const StructureOptions& m_options;
  std::vector<const C4DBaseObject*> m_nodeObjects;  // per node
  std::unordered_set<const C4DBaseObject*> m_carriers;
  std::unordered_map<const C4DBaseObject*, size_t> m_nodeOf;
};

// The scene's materials as export materials, each once.
class MaterialTable {
 public:
  MaterialTable(ExportScene& scene, const std::string& scenePath) : m_scene(scene), m_scenePath(scenePath) {}

  // The scene program's material for objects without one: light grey.
  size_t Default() {
    if (m_default < 0) {
      c4dexport::ExportMaterial out;
      out.fromScene = true;
      out.name = UniqueName("Default");
      out.colour = {0.8, 0.8, 0.8};
      out.argb[1] = out.argb[2] = out.argb[3] = 204;
      m_scene.materials.push_back(std::move(out));
      m_default = int(m_scene.materials.size() - 1);
    }
    return size_t(m_default);
  }

  // The export material of a texture tag's material; -1 when it names none.
  int Of(const C4DTextureTag& tag) {
    const auto* material = dynamic_cast<const C4DMaterial*>(tag.GetMaterial());
    if (!material) return -1;
    if (auto it = m_index.find(material); it != m_index.end()) return it->second;
    c4dexport::ExportMaterial out;
    out.fromScene = true;
    out.name = UniqueName(material->GetNameString());
    if (material->GetChannelState(CHANNEL_COLOR)) {
      const Vector colour = material->GetColor();
      const double brightness = material->GetColorBrightness();
      out.colour = {colour.x * brightness, colour.y * brightness, colour.z * brightness};
      for (double& c : out.colour) c = std::isfinite(c) ? std::clamp(c, 0.0, 1.0) : 0.0;
      out.textureName = material->ColorBitmap();
    } else if (material->GetChannelState(CHANNEL_LUMINANCE)) {
      // A material that only glows shows its luminance, white or its bitmap.
      out.colour = {1, 1, 1};
      out.textureName = material->LuminanceBitmap();
      m_scene.notes.push_back("material \"" + out.name + "\": its luminance is written as its colour");
    } else {
      out.colour = {0, 0, 0};
    }
    if (material->GetChannelState(CHANNEL_TRANSPARENCY)) {
      const double t = material->GetTransparency();
      out.opacity = std::isfinite(t) ? std::clamp(1.0 - t, 0.0, 1.0) : 1.0;
    }
    out.argb[0] = uint8_t(std::lround((1.0 - out.opacity) * 100.0));
    for (int i = 0; i < 3; ++i) out.argb[i + 1] = uint8_t(std::lround(out.colour[size_t(i)] * 255.0));
    if (!out.textureName.empty()) {
      out.texturePath = FindBitmap(out.textureName, m_scenePath);
      if (out.texturePath.empty()) {
        m_scene.notes.push_back("texture \"" + out.textureName + "\" of material \"" + out.name +
                                "\" not found (looked beside the scene, in its tex folder and at the stored path)");
      }
    }
    m_scene.materials.push_back(std::move(out));
    return m_index[material] = int(m_scene.materials.size() - 1);
  }

 private:
  std::string UniqueName(std::string name) {
    if (name.empty()) name = "Mat";
    std::string unique = name;
    for (int n = 1; !m_names.insert(unique).second; ++n) unique = name + "." + std::to_string(n);
    return unique;
  }

  ExportScene& m_scene;
  std::string m_scenePath;
  std::unordered_map<const C4DMaterial*, int> m_index;
  std::unordered_set<std::string> m_names;
  int m_default = -1;
};

// What the texture tags, the UVW tag and the phong tag of a mesh's object
// make of it.
class MeshLook {
 public:
  MeshLook(ExportMesh& mesh, const C4DBaseObject* source, const C4DBaseObject* nodeObject, MaterialTable& materials)
      : m_mesh(mesh), m_source(source), m_nodeObject(nodeObject), m_materials(materials) {}

  void Apply() {
    m_mapped = MapToPolygons();
    AssignMaterials();
    if (m_mapped) AddUVs();
    AddNormals();
  }

 private:
  bool MapToPolygons() {
    const auto* data = dynamic_cast<const C4DPolygonObjectData*>(DataOf(*m_source));
    if (!data || !data->GetPolygons() || size_t(data->GetPointCount()) != m_mesh.points.size()) return false;
    return MapFaces(m_mesh, data->GetPolygons(), data->GetPolygonCount(), m_origins);
  }

  // Per face, the tag that wins: the last one that applies to its polygon.
  void AssignMaterials() {
    // Polygons no tag reaches show the scene program's default material,
    // unless the object shows its own colour.
    const uint32_t fallback = UsesOwnColour() ? uint32_t(m_mesh.material) : uint32_t(m_materials.Default());
    const std::vector<const C4DTextureTag*> tags = TextureTagsOf(m_source);
    if (tags.empty()) {
      m_mesh.material = fallback;
      return;
    }
    std::vector<const BaseSelect*> selections(tags.size(), nullptr);
    for (size_t t = 0; t < tags.size(); ++t) {
      const std::string restriction = tags[t]->Restriction();
      if (restriction.empty()) continue;
      const C4DPolygonSelectionTag* selection = m_mapped ? FindPolygonSelection(*m_source, restriction) : nullptr;
      // A restriction to a selection the object lacks shows nothing of the tag.
      static const BaseSelect nothing;
      selections[t] = selection ? &selection->selection : &nothing;
    }
    m_faceTags.assign(m_mesh.polygons.size(), nullptr);
    std::vector<uint32_t> faceMaterials(m_mesh.polygons.size(), fallback);
    for (size_t f = 0; f < m_mesh.polygons.size(); ++f) {
      const int32_t polygon = m_mapped ? m_origins[f].polygon : -1;
      for (size_t t = tags.size(); t-- > 0;) {
        if (selections[t] && (polygon < 0 || !selections[t]->IsSelected(polygon))) continue;
        const int material = m_materials.Of(*tags[t]);
        if (material < 0) continue;
        faceMaterials[f] = uint32_t(material);
        m_faceTags[f] = tags[t];
        break;
      }
    }
    const bool single = std::all_of(faceMaterials.begin(), faceMaterials.end(),
                                    [&](uint32_t m) { return m == faceMaterials.front(); });
    if (faceMaterials.empty()) return;
    if (single) {
      m_mesh.material = faceMaterials.front();
    } else {
      m_mesh.polygonMaterials = std::move(faceMaterials);
    }
  }

  bool UsesOwnColour() const {
    for (const C4DBaseObject* o = m_source; o; o = o->GetParent()) {
      if (o->useColor != 0) return true;
      if (o == m_nodeObject) break;
    }
    return false;
  }

  void AddUVs() {
    const auto* uvw = dynamic_cast<const C4DUVWTag*>(m_source->GetTag(TAG_TYPE_UVW));
    // A tag shorter than the polygons gives the rest (0, 0), as its corners read.
    if (!uvw || uvw->uvwCount < 4) return;
    m_mesh.cornerUVs.clear();
    for (size_t f = 0; f < m_mesh.polygons.size(); ++f) {
      const C4DUVWTag::UVWStruct corners = uvw->GetUVW(m_origins[f].polygon);
      const Vector* all[4] = {&corners.a, &corners.b, &corners.c, &corners.d};
      const C4DTextureTag* tag = m_faceTags.empty() ? nullptr : m_faceTags[f];
      const bool placed = tag && tag->Projection() == kProjectionUVW;
      for (size_t k = 0; k < m_mesh.polygons[f].size(); ++k) {
        const Vector& v = *all[m_origins[f].corners[k]];
        double u = v.x, w = v.y;
        if (placed && tag->LengthU() != 0.0 && tag->LengthV() != 0.0) {
          u = (u - tag->OffsetU()) / tag->LengthU();
          w = (w - tag->OffsetV()) / tag->LengthV();
        }
        m_mesh.cornerUVs.push_back({std::isfinite(u) ? u : 0.0, std::isfinite(w) ? w : 0.0});
      }
    }
  }

  // The phong tag of the object or of the objects up to its node's (a
  // generator's cache takes its generator's).
  const C4DBaseTag* PhongTag() const {
    for (const C4DBaseObject* o = m_source; o; o = o->GetParent()) {
      if (const C4DBaseTag* tag = o->GetTag(TAG_TYPE_PHONG)) return tag;
      if (o == m_nodeObject) break;
    }
    return nullptr;
  }

  void AddNormals() {
    const C4DBaseTag* phong = PhongTag();
    if (!phong) return;  // faceted
    const bool limited = phong->data.FindBool(kPhongAngleLimit, false);
    const double angle = limited ? std::clamp(double(phong->data.FindFloat32(kPhongAngle, 0.0f)), 0.0, std::numbers::pi)
                                 : std::numbers::pi;
    m_mesh.cornerNormals = Smoothing(m_mesh, angle).CornerNormals();
    m_mesh.smoothAngle = angle;
  }

  ExportMesh& m_mesh;
  const C4DBaseObject* m_source;
  const C4DBaseObject* m_nodeObject;
  MaterialTable& m_materials;
  bool m_mapped = false;
  std::vector<FaceOrigin> m_origins;
  std::vector<const C4DTextureTag*> m_faceTags;
};

// Host colours that texture tags replaced everywhere are not written.
void DropUnusedMaterials(ExportScene& scene) {
  std::vector<char> used(scene.materials.size(), 0);
  const auto mark = [&](size_t m) {
    if (m < used.size()) used[m] = 1;
  };
  for (const ExportMesh& mesh : scene.meshes) {
    mark(mesh.material);
    for (uint32_t m : mesh.polygonMaterials) mark(m);
  }
  for (const auto& line : scene.polylines) mark(line.material);
  std::vector<size_t> renumbered(scene.materials.size(), 0);
  std::vector<c4dexport::ExportMaterial> kept;
  for (size_t m = 0; m < scene.materials.size(); ++m) {
    if (!used[m]) continue;
    renumbered[m] = kept.size();
    kept.push_back(std::move(scene.materials[m]));
  }
  scene.materials = std::move(kept);
  const auto renumber = [&](auto& index) {
    if (size_t(index) < renumbered.size()) index = std::remove_reference_t<decltype(index)>(renumbered[size_t(index)]);
  };
  for (ExportMesh& mesh : scene.meshes) {
    renumber(mesh.material);
    for (uint32_t& m : mesh.polygonMaterials) renumber(m);
  }
  for (auto& line : scene.polylines) renumber(line.material);
}

}  // namespace

void AddSceneStructure(c4dexport::ExportScene& scene, const C4DBaseDocument& document,
                       const std::vector<const C4DBaseObject*>& sources, const StructureOptions& options) {
  const std::vector<const C4DBaseObject*> nodeObjects = StructureBuilder(scene, options).AddTree(document, sources);
  MaterialTable materials(scene, options.scenePath);
  for (ExportMesh& mesh : scene.meshes) {
    const size_t number = mesh.objectNumber;
    const C4DBaseObject* source = number >= 1 && number <= sources.size() ? sources[number - 1] : nullptr;
    if (!source) continue;
    const C4DBaseObject* nodeObject = mesh.node >= 0 ? nodeObjects[size_t(mesh.node)] : source;
    MeshLook(mesh, source, nodeObject, materials).Apply();
  }
  DropUnusedMaterials(scene);
  for (const c4dexport::ExportLight& light : scene.lights) {
    if (!light.note.empty()) scene.notes.push_back(light.note);
  }
}

}  // namespace c4dimport
