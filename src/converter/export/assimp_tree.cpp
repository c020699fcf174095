// The scene tree through the asset library for COLLADA and OBJ (glTF's goes
// through gltf_tree_writer.cpp): a node per object of the scene below the
// file's node, with its placement turned into the format's axes and unit;
// meshes split by material and by the corners' normals and UVs; materials
// with their bitmaps; cameras and lights on nodes of their own.
#include <assimp/material.h>
#include <assimp/scene.h>

#include "assimp_scene.h"
#include "corner_vertices.h"
#include "format_writers.h"
#include "texture_files.h"

namespace c4dexport {

namespace {

// The transform in the format's axes and unit: turned like a direction,
// its offset converted like a point.
aiMatrix4x4 ConvertedTransform(const Transform& t, const AssimpFormat& how) {
  // The format's axes are the host's, permuted with signs: host axis e_j is
  // s times the format's axis k, whose column is then s times e_j's turned image.
  const Point3 hostAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  aiVector3D column[3];
  for (const Point3& axis : hostAxes) {
    const aiVector3D formatAxis = Direction(axis, how);
    const aiVector3D turned = Direction(ApplyToDirection(t, axis), how);
    for (unsigned k = 0; k < 3; ++k) {
      if (formatAxis[k] != 0) column[k] = turned * formatAxis[k];
    }
  }
  const aiVector3D at = Converted({t[0][3], t[1][3], t[2][3]}, how);
  return aiMatrix4x4(column[0].x, column[1].x, column[2].x, at.x, column[0].y, column[1].y, column[2].y, at.y,
                     column[0].z, column[1].z, column[2].z, at.z, 0, 0, 0, 1);
}

// Cameras and lights of glTF and COLLADA look along -Z with +Y up; in their
// node's frame the scene's look along +Y with +Z up.
aiMatrix4x4 LookAlongY(const AssimpFormat& how) {
  const aiVector3D back = -Direction({0, 1, 0}, how), up = Direction({0, 0, 1}, how), right = up ^ back;
  return aiMatrix4x4(right.x, up.x, back.x, 0, right.y, up.y, back.y, 0, right.z, up.z, back.z, 0, 0, 0, 0, 1);
}

class TreeBuilder {
 public:
  TreeBuilder(const ExportScene& scene, const ExportFormat& format, const AssimpFormat& how, const std::string& path,
              NodeTree& tree, SceneExtras& extras, ExportReport& report)
      : m_scene(scene), m_format(format), m_how(how), m_path(path), m_tree(tree), m_extras(extras),
        m_report(report), m_keepsTree(how.name != "obj") {}

  void Build(std::vector<aiMesh*>& meshes, std::vector<aiMaterial*>& materials) {
    for (const ExportMaterial& material : m_scene.materials) materials.push_back(Material(material));
    if (m_keepsTree) AddNodes();
    for (const ExportMesh& mesh : m_scene.meshes) AddMesh(mesh, meshes);
    for (const ExportPolyline& line : m_scene.polylines) AddPolyline(line, meshes);
    if (!m_keepsTree) return;
    for (const ExportSceneCamera& camera : m_scene.cameras) AddCamera(camera);
    for (const ExportLight& light : m_scene.lights) AddLight(light);
  }

 private:
  void AddNodes() {
    aiNode* fileNode = m_tree.NodeOf(KeyOf(m_scene.groups.front()));
    for (const ExportNode& node : m_scene.nodes) {
      auto* out = new aiNode(node.name);
      out->mTransformation = ConvertedTransform(node.local, m_how);
      m_nodes.push_back(out);
    }
    for (size_t i = 0; i < m_scene.nodes.size(); ++i) {
      const int parent = m_scene.nodes[i].parent;
      m_tree.AddChild(parent < 0 || size_t(parent) >= m_nodes.size() ? fileNode : m_nodes[size_t(parent)], m_nodes[i]);
    }
  }

  bool OnNode(int node) const { return m_keepsTree && node >= 0 && size_t(node) < m_nodes.size(); }

  // Where an object's meshes hang, and their name.
  aiNode* PlaceOf(int node, size_t group, size_t number, std::string& name) {
    if (OnNode(node)) {
      name = PlainName(m_scene.nodes[size_t(node)].name);
      return m_nodes[size_t(node)];
    }
    if (node >= 0 && size_t(node) < m_scene.nodes.size()) {  // OBJ: group names hold no spaces
      const std::string& path = m_scene.nodes[size_t(node)].path;
      std::string joined;
      for (size_t from = 0;;) {
        const size_t at = path.find(" / ", from);
        joined.append(path, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos) break;
        joined.push_back('/');
        from = at + 3;
      }
      name = PlainName(joined);
    } else {
      name = PlainName(m_scene.groups[group].name);
      if (!m_how.meshNamedAfterLayer) name.append("_").append(std::to_string(number));
    }
    return m_tree.NodeOf(KeyOf(m_scene.groups[group]));
  }

  void AddMesh(const ExportMesh& mesh, std::vector<aiMesh*>& meshes) {
    std::string name;
    aiNode* at = PlaceOf(mesh.node, mesh.group, mesh.objectNumber, name);
    const bool local = OnNode(mesh.node);
    const std::vector<Point3> points = local ? LocalPoints(m_scene, mesh) : mesh.points;
    const std::vector<Point3> normals = local ? LocalNormals(m_scene, mesh) : mesh.cornerNormals;
    for (const uint32_t material : MaterialsInOrder(mesh)) {
      const CornerMesh part = SplitCorners(mesh, points, normals, material);
      auto* m = new aiMesh;
      m->mName = name;
      m->mMaterialIndex = material < m_scene.materials.size() ? material : 0;
      m->mNumVertices = unsigned(part.points.size());
      m->mVertices = new aiVector3D[part.points.size()];
      for (size_t i = 0; i < part.points.size(); ++i) m->mVertices[i] = Converted(part.points[i], m_how);
      if (!part.normals.empty()) {
        m->mNormals = new aiVector3D[part.points.size()];
        for (size_t i = 0; i < part.points.size(); ++i) m->mNormals[i] = Direction(part.normals[i], m_how);
      }
      // A textured material needs coordinates: without them the whole mesh takes the bitmap's corner.
      if (!part.uvs.empty() || m_textured[m->mMaterialIndex]) {
        m->mNumUVComponents[0] = 2;
        m->mTextureCoords[0] = new aiVector3D[part.points.size()];
        for (size_t i = 0; i < part.uvs.size(); ++i) {  // the library's v runs up
          m->mTextureCoords[0][i] = aiVector3D(ai_real(part.uvs[i][0]), ai_real(1 - part.uvs[i][1]), 0);
        }
        for (size_t i = part.uvs.size(); i < part.points.size(); ++i) m->mTextureCoords[0][i] = aiVector3D(0, 1, 0);
      }
      m->mNumFaces = unsigned(part.faces.size());
      m->mFaces = new aiFace[part.faces.size()];
      for (size_t f = 0; f < part.faces.size(); ++f) {
        SetFace(m->mFaces[f], part.faces[f].data(), part.faces[f].size());
        m->mPrimitiveTypes |= part.faces[f].size() == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
      }
      m_tree.AddMesh(at, unsigned(meshes.size()));
      meshes.push_back(m);
    }
    for (const auto& polygon : mesh.polygons) m_report.polygons += m_format.keepsPolygons ? 1 : polygon.size() - 2;
    ++m_report.meshes;
  }

  void AddPolyline(const ExportPolyline& line, std::vector<aiMesh*>& meshes) {
    std::string name;
    aiNode* at = PlaceOf(line.node, line.group, line.objectNumber, name);
    const std::vector<Point3> points = OnNode(line.node) ? LocalPoints(m_scene, line) : line.points;
    auto* m = new aiMesh;
    m->mName = name + "_lines";
    m->mMaterialIndex = unsigned(line.material);
    m->mPrimitiveTypes = aiPrimitiveType_LINE;
    m->mNumVertices = unsigned(points.size());
    m->mVertices = new aiVector3D[points.size()];
    for (size_t i = 0; i < points.size(); ++i) m->mVertices[i] = Converted(points[i], m_how);
    const auto segments = line.Segments();
    m->mNumFaces = unsigned(segments.size());
    m->mFaces = new aiFace[segments.size()];
    for (size_t s = 0; s < segments.size(); ++s) SetFace(m->mFaces[s], segments[s].data(), 2);
    m_tree.AddMesh(at, unsigned(meshes.size()));
    meshes.push_back(m);
    ++m_report.polylines;
  }

  // A node below the object's, turned to look along its +Y, for a camera or light.
  aiNode* LookingNode(size_t node, const std::string& name) {
    auto* out = new aiNode(name);
    out->mTransformation = LookAlongY(m_how);
    m_tree.AddChild(m_nodes.at(node), out);
    return out;
  }

  void AddCamera(const ExportSceneCamera& camera) {
    if (camera.node >= m_nodes.size()) return;
    aiNode* node = LookingNode(camera.node, camera.name + " camera");
    auto* out = new aiCamera;
    out->mName = node->mName;
    out->mHorizontalFOV = ai_real(camera.HorizontalFov() / 2);  // assimp keeps half the angle
    out->mAspect = ai_real(camera.aspect);
    out->mLookAt = aiVector3D(0, 0, -1);  // the library's default, +Z, would turn the node around
    m_extras.cameras.push_back(out);
  }

  void AddLight(const ExportLight& light) {
    if (light.node >= m_nodes.size()) return;
    if (!light.note.empty()) m_report.notes.push_back("light \"" + light.name + "\": " + light.note);
    aiNode* node = LookingNode(light.node, light.name + " light");
    auto* out = new aiLight;
    out->mName = node->mName;
    out->mType = light.kind == ExportLight::Kind::Spot       ? aiLightSource_SPOT
                 : light.kind == ExportLight::Kind::Infinite ? aiLightSource_DIRECTIONAL
                                                             : aiLightSource_POINT;
    const aiColor3D colour(ai_real(light.colour[0] * light.brightness), ai_real(light.colour[1] * light.brightness),
                           ai_real(light.colour[2] * light.brightness));
    out->mColorDiffuse = out->mColorSpecular = colour;
    out->mDirection = aiVector3D(0, 0, -1);
    out->mUp = aiVector3D(0, 1, 0);
    out->mAttenuationConstant = 1;
    out->mAngleInnerCone = ai_real(light.innerAngle);
    out->mAngleOuterCone = ai_real(light.outerAngle);
    m_extras.lights.push_back(out);
  }

  // The material with its bitmap, referenced by a path relative to the file
  // (COLLADA's exporter encodes it as a URI itself). With a bitmap the
  // colour is white, as the scene program shows the bitmap instead of the colour.
  aiMaterial* Material(const ExportMaterial& material) {
    const std::string reference =
        material.texturePath.empty() ? "" : RelativeTexturePath(material.texturePath, m_path);
    m_textured.push_back(!reference.empty());
    if (reference.empty()) return NewMaterial(material);
    ExportMaterial white = material;
    white.fromScene = true;
    white.colour = {1, 1, 1};
    white.opacity = material.Opacity();
    aiMaterial* out = NewMaterial(white);
    const aiString path(reference);
    out->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    return out;
  }

  const ExportScene& m_scene;
  const ExportFormat& m_format;
  const AssimpFormat& m_how;
  const std::string& m_path;
  NodeTree& m_tree;
  SceneExtras& m_extras;
  ExportReport& m_report;
  const bool m_keepsTree;
  std::vector<aiNode*> m_nodes;  // per scene node
  std::vector<bool> m_textured;  // per material
};

}  // namespace

void BuildSceneTree(const ExportScene& scene, const ExportFormat& format, const AssimpFormat& how,
                    const std::string& path, NodeTree& tree, std::vector<aiMesh*>& meshes,
                    std::vector<aiMaterial*>& materials, SceneExtras& extras, ExportReport& report) {
  TreeBuilder(scene, format, how, path, tree, extras, report).Build(meshes, materials);
}

}  // namespace c4dexport
