// glb and gltf of a scene with its tree, through tinygltf: a node per object
// with its placement in glTF's axes and unit, one mesh per node with a
// primitive per material, materials with their bitmaps, cameras and lights.
// Every accessor's bytes are appended to one buffer reserved up front, so
// that the time grows with the scene (the asset library's exporter copies
// its buffer for every accessor).
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>

#include "corner_vertices.h"
#include "format_writers.h"
#include "gltf_edits.h"
#include "texture_files.h"

namespace c4dexport {

namespace {

using Float3 = std::array<float, 3>;

// glTF is Y up: host (x, y, z) is glTF's (x, z, -y).
Float3 GltfDirection(const Point3& d) { return {float(d[0]), float(d[2]), float(-d[1])}; }
Float3 GltfPoint(const Point3& p, double divisor) { return GltfDirection({p[0] / divisor, p[1] / divisor, p[2] / divisor}); }

// The host transform in glTF's axes (its turn conjugated by the axes'
// permutation, its offset converted like a point), column after column;
// empty for the identity, which glTF leaves out.
std::vector<double> GltfMatrix(const Transform& t, double divisor) {
  const int axis[3] = {0, 2, 1};          // glTF axis i is host axis axis[i]...
  const double sign[3] = {1, 1, -1};      // ...times sign[i]
  std::vector<double> m(16, 0.0);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[size_t(c * 4 + r)] = sign[r] * sign[c] * t[size_t(axis[r])][size_t(axis[c])];
    m[size_t(12 + r)] = sign[r] * t[size_t(axis[r])][3] / divisor;
  }
  m[15] = 1;
  const std::vector<double> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  return m == identity ? std::vector<double>{} : m;
}

tinygltf::Value Object(const std::string& key, tinygltf::Value value) {
  tinygltf::Value::Object object;
  object[key] = std::move(value);
  return tinygltf::Value(std::move(object));
}

// The buffer every accessor and embedded image lies in, grown by appending.
class BinaryBuffer {
 public:
  BinaryBuffer(tinygltf::Model& model, size_t reserve) : m_model(model) {
    m_model.buffers.emplace_back().data.reserve(reserve);
  }

  int View(const void* bytes, size_t size, int target) {
    std::vector<unsigned char>& data = m_model.buffers.front().data;
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.target = target;
    data.insert(data.end(), static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + size);
    data.resize((data.size() + 3) / 4 * 4, 0);  // the next view starts aligned
    m_model.bufferViews.push_back(view);
    return int(m_model.bufferViews.size() - 1);
  }

  template <size_t N>
  int Attribute(const std::vector<std::array<float, N>>& values, bool bounds) {
    tinygltf::Accessor accessor;
    accessor.bufferView = View(values.data(), values.size() * sizeof values[0], TINYGLTF_TARGET_ARRAY_BUFFER);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = N == 3 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC2;
    accessor.count = values.size();
    if (bounds) {
      accessor.minValues.assign(N, std::numeric_limits<double>::max());
      accessor.maxValues.assign(N, std::numeric_limits<double>::lowest());
      for (const auto& v : values) {
        for (size_t k = 0; k < N; ++k) {
          accessor.minValues[k] = std::min(accessor.minValues[k], double(v[k]));
          accessor.maxValues[k] = std::max(accessor.maxValues[k], double(v[k]));
        }
      }
    }
    return Add(std::move(accessor));
  }

  int Indices(const std::vector<uint32_t>& indices) {
    tinygltf::Accessor accessor;
    accessor.bufferView = View(indices.data(), indices.size() * sizeof indices[0], TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    accessor.type = TINYGLTF_TYPE_SCALAR;
    accessor.count = indices.size();
    return Add(std::move(accessor));
  }

 private:
  int Add(tinygltf::Accessor accessor) {
    m_model.accessors.push_back(std::move(accessor));
    return int(m_model.accessors.size() - 1);
  }
  tinygltf::Model& m_model;
};

// Bytes the scene's meshes and polylines take at most: per corner a point,
// a normal, a UV and an index of a triangle fan; per polyline point a point
// and its segment.
size_t BufferSizeOf(const ExportScene& scene) {
  size_t bytes = 0;
  for (const ExportMesh& mesh : scene.meshes) {
    for (const auto& polygon : mesh.polygons) bytes += polygon.size() * (12 + 12 + 8 + 12);
  }
  for (const ExportPolyline& line : scene.polylines) bytes += line.points.size() * (12 + 8);
  return bytes;
}

class GltfTreeWriter {
 public:
  GltfTreeWriter(const ExportScene& scene, const std::string& path, bool binary, ExportReport& report)
      : m_scene(scene), m_path(path), m_binary(binary), m_report(report),
        m_divisor(scene.units == ExportScene::Units::Centimetres ? 10 : 1000),
        m_buffer(m_model, BufferSizeOf(scene)) {}

  void Write() {
    m_model.asset.version = "2.0";
    m_model.asset.generator = "c4dimport";
    for (const ExportMaterial& material : m_scene.materials) AddMaterial(material);
    if (m_model.materials.empty()) AddMaterial(ExportMaterial{});
    if (!m_scene.groups.empty()) GroupNode(m_scene.groups.front().path, m_scene.groups.front().name);
    AddNodes();
    for (const ExportMesh& mesh : m_scene.meshes) AddMesh(mesh);
    for (const ExportPolyline& line : m_scene.polylines) AddPolyline(line);
    for (const ExportSceneCamera& camera : m_scene.cameras) AddCamera(camera);
    for (const ExportLight& light : m_scene.lights) AddLight(light);
    AddScene();
    if (m_model.buffers.front().data.empty()) m_model.buffers.clear();  // glTF forbids an empty buffer
    tinygltf::TinyGLTF gltf;
    gltf.SetImageWriter(nullptr, nullptr);  // images are referenced or embedded as they are
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
    if (!gltf.WriteGltfSceneToFile(&m_model, m_path, false, false, !m_binary, m_binary) ||
        !std::filesystem::exists(m_path, ignored)) {
      m_report.error = "writing the file failed";
      return;
    }
    if (!m_model.cameras.empty()) DropFarPlanes();
  }

 private:
  int NewNode(const std::string& name, int parent) {
    tinygltf::Node& node = m_model.nodes.emplace_back();
    node.name = name;
    const int index = int(m_model.nodes.size() - 1);
    if (parent >= 0) m_model.nodes[size_t(parent)].children.push_back(index);
    return index;
  }

  // The node of a group, and of each name on its path above it (the file's
  // node under "Cinema4D"), made when first asked for.
  int GroupNode(const std::vector<std::string>& path, const std::string& name) {
    std::vector<std::string> key = path;
    key.push_back(name);
    const auto found = m_groupNodes.find(key);
    if (found != m_groupNodes.end()) return found->second;
    const int parent = path.empty() ? -1 : GroupNode({path.begin(), path.end() - 1}, path.back());
    const int node = NewNode(name, parent);
    if (parent < 0) m_tops.push_back(node);
    return m_groupNodes[key] = node;
  }

  void AddNodes() {
    const int fileNode = m_scene.groups.empty() ? -1 : GroupNode(m_scene.groups.front().path, m_scene.groups.front().name);
    for (const ExportNode& node : m_scene.nodes) {
      const int out = NewNode(node.name, -1);
      m_model.nodes[size_t(out)].matrix = GltfMatrix(node.local, m_divisor);
      if (!node.layer.empty()) m_model.nodes[size_t(out)].extras = Object("layer", tinygltf::Value(node.layer));
      m_nodes.push_back(out);
    }
    for (size_t i = 0; i < m_scene.nodes.size(); ++i) {
      const int parent = m_scene.nodes[i].parent;
      const int at = parent < 0 || size_t(parent) >= m_nodes.size() ? fileNode : m_nodes[size_t(parent)];
      if (at >= 0) m_model.nodes[size_t(at)].children.push_back(m_nodes[i]);
      else m_tops.push_back(m_nodes[i]);
    }
  }

  bool OnNode(int node) const { return node >= 0 && size_t(node) < m_nodes.size(); }

  // The mesh of the node an object hangs under (its group's node without one of its own).
  tinygltf::Mesh& MeshAt(int node, size_t group) {
    int at = -1;
    if (OnNode(node)) {
      at = m_nodes[size_t(node)];
    } else {
      const ExportGroup& g = m_scene.groups.at(group);
      at = GroupNode(g.path, g.name);
    }
    tinygltf::Node& out = m_model.nodes[size_t(at)];
    if (out.mesh < 0) {
      out.mesh = int(m_model.meshes.size());
      m_model.meshes.emplace_back().name = out.name;
    }
    return m_model.meshes[size_t(out.mesh)];
  }

  int MaterialIndex(size_t material) const { return material < m_scene.materials.size() ? int(material) : 0; }

  void AddMesh(const ExportMesh& mesh) {
    const bool local = OnNode(mesh.node);
    const std::vector<Point3> points = local ? LocalPoints(m_scene, mesh) : mesh.points;
    const std::vector<Point3> normals = local ? LocalNormals(m_scene, mesh) : mesh.cornerNormals;
    for (const uint32_t material : MaterialsInOrder(mesh)) {
      const CornerMesh part = SplitCorners(mesh, points, normals, material);
      std::vector<uint32_t> triangles;
      for (const std::vector<uint32_t>& face : part.faces) {
        for (const auto& triangle : TriangulatePolygon(part.points, face)) {
          for (const uint32_t corner : triangle) triangles.push_back(face[corner]);
        }
      }
      if (triangles.empty()) continue;
      tinygltf::Primitive primitive;
      primitive.mode = TINYGLTF_MODE_TRIANGLES;
      primitive.material = MaterialIndex(material);
      primitive.attributes["POSITION"] = Positions(part.points);
      if (!part.normals.empty()) {
        std::vector<Float3> out;
        out.reserve(part.normals.size());
        for (const Point3& n : part.normals) out.push_back(GltfDirection(n));
        primitive.attributes["NORMAL"] = m_buffer.Attribute(out, false);
      }
      // A textured material needs coordinates: without them the whole mesh takes the bitmap's corner.
      if (!part.uvs.empty() || m_textured[size_t(primitive.material)]) {
        std::vector<std::array<float, 2>> uvs(part.points.size(), {0, 0});
        for (size_t i = 0; i < part.uvs.size(); ++i) uvs[i] = {float(part.uvs[i][0]), float(part.uvs[i][1])};
        primitive.attributes["TEXCOORD_0"] = m_buffer.Attribute(uvs, false);
      }
      primitive.indices = m_buffer.Indices(triangles);
      MeshAt(mesh.node, mesh.group).primitives.push_back(std::move(primitive));
    }
    for (const auto& polygon : mesh.polygons) m_report.polygons += polygon.size() - 2;
    ++m_report.meshes;
  }

  void AddPolyline(const ExportPolyline& line) {
    const auto segments = line.Segments();
    if (!segments.empty()) {
      tinygltf::Primitive primitive;
      primitive.mode = TINYGLTF_MODE_LINE;
      primitive.material = MaterialIndex(line.material);
      primitive.attributes["POSITION"] = Positions(OnNode(line.node) ? LocalPoints(m_scene, line) : line.points);
      std::vector<uint32_t> indices;
      indices.reserve(segments.size() * 2);
      for (const auto& segment : segments) indices.insert(indices.end(), segment.begin(), segment.end());
      primitive.indices = m_buffer.Indices(indices);
      MeshAt(line.node, line.group).primitives.push_back(std::move(primitive));
    }
    ++m_report.polylines;
  }

  int Positions(const std::vector<Point3>& points) {
    std::vector<Float3> out;
    out.reserve(points.size());
    for (const Point3& p : points) out.push_back(GltfPoint(p, m_divisor));
    return m_buffer.Attribute(out, true);
  }

  // The material with its bitmap where glTF can take it (PNG, JPEG): white
  // then, as the scene program shows the bitmap instead of the colour.
  void AddMaterial(const ExportMaterial& material) {
    tinygltf::Material& out = m_model.materials.emplace_back();
    out.name = material.name;
    const int texture = Texture(material);
    m_textured.push_back(texture >= 0);
    const double opacity = material.Opacity();
    out.pbrMetallicRoughness.baseColorFactor = texture >= 0 ? std::vector<double>{1, 1, 1, opacity}
        : std::vector<double>{material.Red(), material.Green(), material.Blue(), opacity};
    out.pbrMetallicRoughness.metallicFactor = 0;
    if (texture >= 0) out.pbrMetallicRoughness.baseColorTexture.index = texture;
    if (opacity < 1) out.alphaMode = "BLEND";
  }

  // Embedded in a .glb, referenced relative to a .gltf; -1 without one.
  int Texture(const ExportMaterial& material) {
    if (material.texturePath.empty()) return -1;
    const TextureFile file = ReadTexture(material.texturePath);
    if (!file.read || file.kind == ImageKind::Other) {
      m_report.notes.push_back("texture \"" + material.textureName + "\" of material \"" + material.name +
                               "\" left out: " + (file.read ? "glTF takes PNG and JPEG only" : "it cannot be read"));
      return -1;
    }
    tinygltf::Image& image = m_model.images.emplace_back();
    image.name = material.textureName;
    if (m_binary) {
      image.bufferView = m_buffer.View(file.bytes.data(), file.bytes.size(), 0);
      image.mimeType = MimeType(file.kind);
    } else {
      image.uri = PercentEncoded(RelativeTexturePath(material.texturePath, m_path));
    }
    if (m_model.samplers.empty()) m_model.samplers.emplace_back();  // repeating, as the scene program tiles
    tinygltf::Texture& texture = m_model.textures.emplace_back();
    texture.source = int(m_model.images.size() - 1);
    texture.sampler = 0;
    return int(m_model.textures.size() - 1);
  }

  // A node below the object's looking along its +Y: in glTF's axes the
  // object's +Y is -Z and its +Z is +Y, as glTF's cameras and lights look,
  // so the node keeps its parent's frame.
  int LookingNode(size_t node, const std::string& name) { return NewNode(name, m_nodes.at(node)); }

  void AddCamera(const ExportSceneCamera& camera) {
    if (camera.node >= m_nodes.size()) return;
    m_model.nodes[size_t(LookingNode(camera.node, camera.name + " camera"))].camera =
        NewCamera(camera.name, camera.HorizontalFov(), camera.aspect);
  }

  int NewCamera(const std::string& name, double horizontalFov, double aspect) {
    const nlohmann::json json = PerspectiveCamera(name, horizontalFov, aspect);
    tinygltf::Camera& camera = m_model.cameras.emplace_back();
    camera.name = name;
    camera.type = "perspective";
    camera.perspective.yfov = json["perspective"]["yfov"];
    camera.perspective.aspectRatio = json["perspective"]["aspectRatio"];
    camera.perspective.znear = json["perspective"]["znear"];
    return int(m_model.cameras.size() - 1);
  }

  void AddLight(const ExportLight& light) {
    if (light.node >= m_nodes.size()) return;
    if (!light.note.empty()) m_report.notes.push_back("light \"" + light.name + "\": " + light.note);
    const nlohmann::json json = GltfLight(light);
    tinygltf::Light& out = m_model.lights.emplace_back();
    out.name = light.name;
    out.type = json["type"];
    out.color = json["color"].get<std::vector<double>>();
    out.intensity = json["intensity"];
    if (json.contains("spot")) {
      out.spot.innerConeAngle = json["spot"]["innerConeAngle"];
      out.spot.outerConeAngle = json["spot"]["outerConeAngle"];
    }
    m_model.nodes[size_t(LookingNode(light.node, light.name + " light"))].extensions["KHR_lights_punctual"] =
        Object("light", tinygltf::Value(int(m_model.lights.size() - 1)));
  }

  // The view as a node "View" under the root, looking along its -Z with +Y up.
  void AddView(int root) {
    const ExportCamera& view = *m_scene.camera;
    const Float3 back = GltfDirection({-view.forward[0], -view.forward[1], -view.forward[2]});
    const Float3 up = GltfDirection(view.up), at = GltfPoint(view.position, m_divisor);
    const Float3 right = {up[1] * back[2] - up[2] * back[1], up[2] * back[0] - up[0] * back[2],
                          up[0] * back[1] - up[1] * back[0]};
    tinygltf::Node& node = m_model.nodes[size_t(NewNode("View", root))];
    node.matrix = {right[0], right[1], right[2], 0, up[0], up[1], up[2], 0, back[0], back[1], back[2], 0, at[0], at[1], at[2], 1};
    node.camera = NewCamera("View", view.horizontalFov, view.aspect);
  }

  // One top node is the root; several get a root above them.
  void AddScene() {
    int root = m_tops.size() == 1 ? m_tops.front() : NewNode("Scene", -1);
    if (m_tops.size() != 1) m_model.nodes[size_t(root)].children = m_tops;
    if (m_scene.camera) AddView(root);
    m_model.scenes.emplace_back().nodes = {root};
    m_model.defaultScene = 0;
  }

  // tinygltf writes a far plane of 0 for a camera without one, which glTF
  // forbids (no far plane is an infinite projection).
  void DropFarPlanes() {
    EditGltfJson(m_path, m_binary, true, m_report.error, [&](std::string& text) {
      nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
      if (json.is_discarded()) return false;
      for (nlohmann::json& camera : json["cameras"]) camera["perspective"].erase("zfar");
      text = json.dump(m_binary ? -1 : 2);
      return true;
    });
  }

  const ExportScene& m_scene;
  const std::string& m_path;
  const bool m_binary;
  ExportReport& m_report;
  const double m_divisor;  // host millimetres per glTF unit
  tinygltf::Model m_model;
  BinaryBuffer m_buffer;
  std::map<std::vector<std::string>, int> m_groupNodes;
  std::vector<int> m_tops;
  std::vector<int> m_nodes;      // per scene node
  std::vector<bool> m_textured;  // per material
};

}  // namespace

void WriteGltfTree(const ExportScene& scene, const std::string& path, bool binary, ExportReport& report) {
  GltfTreeWriter(scene, path, binary, report).Write();
}

}  // namespace c4dexport
