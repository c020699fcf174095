// The formats the asset library writes: the export scene becomes one of the
// library's scenes (nodes for the file and its layers, a mesh per host
// object, a material per colour) and the library's exporter writes it.
#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <map>
#include <memory>

#include "format_writers.h"

namespace c4dexport {

namespace {

struct AssimpFormat {
  const char* exporterId;
  // Host coordinates to the format's: glTF is Y up in metres.
  bool yUpMetres;
  // The root declares Z up in millimetres (the exporter writes it as the
  // file's up axis and unit).
  bool declaresUnit;
  bool pointColours;  // colours go onto the points (the format has no materials)
  bool meshNamedAfterLayer;  // a mesh is named after its layer (OBJ groups)
};

AssimpFormat AssimpFormatOf(const std::string& name) {
  if (name == "glb") return {"glb2", true, false, false, false};
  if (name == "gltf") return {"gltf2", true, false, false, false};
  if (name == "obj") return {"obj", false, false, false, true};
  if (name == "ply") return {"ply", false, false, true, false};
  if (name == "stl") return {"stlb", false, false, false, false};
  return {"collada", false, true, false, false};
}

aiVector3D Converted(const Point3& p, const AssimpFormat& format) {
  if (format.yUpMetres) return aiVector3D(ai_real(p[0] / 1000), ai_real(p[2] / 1000), ai_real(-p[1] / 1000));
  return aiVector3D(ai_real(p[0]), ai_real(p[1]), ai_real(p[2]));
}

aiMaterial* NewMaterial(const ExportMaterial& material) {
  auto* out = new aiMaterial;
  const aiString name(material.name);
  out->AddProperty(&name, AI_MATKEY_NAME);
  const aiColor4D diffuse(ai_real(material.Red()), ai_real(material.Green()), ai_real(material.Blue()), 1);
  out->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
  const ai_real opacity = ai_real(material.Opacity());
  out->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
  return out;
}

void SetFace(aiFace& face, const uint32_t* indices, size_t count) {
  face.mNumIndices = unsigned(count);
  face.mIndices = new unsigned[count];
  std::copy(indices, indices + count, face.mIndices);
}

void SetPoints(aiMesh& mesh, const std::vector<Point3>& points, const AssimpFormat& format) {
  mesh.mNumVertices = unsigned(points.size());
  mesh.mVertices = new aiVector3D[points.size()];
  for (size_t i = 0; i < points.size(); ++i) mesh.mVertices[i] = Converted(points[i], format);
}

void SetPointColours(aiMesh& mesh, const ExportMaterial& material) {
  mesh.mColors[0] = new aiColor4D[mesh.mNumVertices];
  const aiColor4D colour(ai_real(material.Red()), ai_real(material.Green()), ai_real(material.Blue()),
                         ai_real(material.Opacity()));
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) mesh.mColors[0][i] = colour;
}

// The node tree: a node for every name on a group's path and for the group
// itself, keyed by the names from the top.
class NodeTree {
 public:
  aiNode* NodeOf(const std::vector<std::string>& key) {
    const auto found = m_nodes.find(key);
    if (found != m_nodes.end()) return found->second.node;
    auto* node = new aiNode(key.back());
    m_nodes[key] = {node, {}, {}};
    if (key.size() == 1) {
      m_tops.push_back(node);
    } else {
      const std::vector<std::string> parentKey(key.begin(), key.end() - 1);
      aiNode* parent = NodeOf(parentKey);
      m_nodes[parentKey].children.push_back(node);
      node->mParent = parent;
    }
    return node;
  }

  void AddMesh(const std::vector<std::string>& key, unsigned mesh) {
    NodeOf(key);
    m_nodes[key].meshes.push_back(mesh);
  }

  // Hands the tree over: the only top node is the root, several get a root above them.
  aiNode* Root() {
    for (auto& [key, entry] : m_nodes) {
      if (!entry.children.empty()) {
        entry.node->mNumChildren = unsigned(entry.children.size());
        entry.node->mChildren = new aiNode*[entry.children.size()];
        std::copy(entry.children.begin(), entry.children.end(), entry.node->mChildren);
      }
      if (!entry.meshes.empty()) {
        entry.node->mNumMeshes = unsigned(entry.meshes.size());
        entry.node->mMeshes = new unsigned[entry.meshes.size()];
        std::copy(entry.meshes.begin(), entry.meshes.end(), entry.node->mMeshes);
      }
    }
    if (m_tops.size() == 1) return m_tops.front();
    auto* root = new aiNode("Scene");
    root->mNumChildren = unsigned(m_tops.size());
    root->mChildren = new aiNode*[m_tops.size()];
    for (size_t i = 0; i < m_tops.size(); ++i) {
      root->mChildren[i] = m_tops[i];
      m_tops[i]->mParent = root;
    }
    return root;
  }

 private:
  struct Entry {
    aiNode* node;
    std::vector<aiNode*> children;
    std::vector<unsigned> meshes;
  };
  std::map<std::vector<std::string>, Entry> m_nodes;
  std::vector<aiNode*> m_tops;
};

std::vector<std::string> KeyOf(const ExportGroup& group) {
  std::vector<std::string> key = group.path;
  key.push_back(group.name);
  return key;
}

std::unique_ptr<aiScene> BuildScene(const ExportScene& scene, const ExportFormat& format,
                                    const AssimpFormat& how, ExportReport& report) {
  auto out = std::make_unique<aiScene>();
  NodeTree tree;
  for (const ExportGroup& group : scene.groups) tree.NodeOf(KeyOf(group));

  std::vector<aiMesh*> meshes;
  auto name = [&](size_t group, size_t number) {
    const std::string layer = PlainName(scene.groups[group].name);
    return how.meshNamedAfterLayer ? layer : layer + "_" + std::to_string(number);
  };
  for (const ExportMesh& mesh : scene.meshes) {
    auto* m = new aiMesh;
    m->mName = name(mesh.group, mesh.objectNumber);
    m->mMaterialIndex = unsigned(mesh.material);
    SetPoints(*m, mesh.points, how);
    m->mNumFaces = unsigned(mesh.polygons.size());
    m->mFaces = new aiFace[mesh.polygons.size()];
    for (size_t i = 0; i < mesh.polygons.size(); ++i) {
      const std::vector<uint32_t>& polygon = mesh.polygons[i];
      SetFace(m->mFaces[i], polygon.data(), polygon.size());
      m->mPrimitiveTypes |= polygon.size() == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
      report.polygons += format.keepsPolygons ? 1 : polygon.size() - 2;
    }
    if (how.pointColours) SetPointColours(*m, scene.materials[mesh.material]);
    tree.AddMesh(KeyOf(scene.groups[mesh.group]), unsigned(meshes.size()));
    meshes.push_back(m);
    ++report.meshes;
  }
  for (const ExportPolyline& line : scene.polylines) {
    if (!format.hasLines) {
      report.leftOut.push_back({line.objectNumber, "a polyline (" + format.name + " has no lines)"});
      continue;
    }
    auto* m = new aiMesh;
    m->mName = name(line.group, line.objectNumber);
    m->mMaterialIndex = unsigned(line.material);
    m->mPrimitiveTypes = aiPrimitiveType_LINE;
    SetPoints(*m, line.points, how);
    const auto segments = line.Segments();
    m->mNumFaces = unsigned(segments.size());
    m->mFaces = new aiFace[segments.size()];
    for (size_t i = 0; i < segments.size(); ++i) SetFace(m->mFaces[i], segments[i].data(), 2);
    tree.AddMesh(KeyOf(scene.groups[line.group]), unsigned(meshes.size()));
    meshes.push_back(m);
    ++report.polylines;
  }

  out->mNumMeshes = unsigned(meshes.size());
  out->mMeshes = new aiMesh*[meshes.size()];
  std::copy(meshes.begin(), meshes.end(), out->mMeshes);
  // Every scene carries at least one material.
  const size_t materialCount = std::max<size_t>(scene.materials.size(), 1);
  out->mNumMaterials = unsigned(materialCount);
  out->mMaterials = new aiMaterial*[materialCount];
  for (size_t i = 0; i < materialCount; ++i) {
    out->mMaterials[i] = i < scene.materials.size() ? NewMaterial(scene.materials[i]) : NewMaterial(ExportMaterial{});
  }
  out->mRootNode = tree.Root();
  if (how.declaresUnit) {
    // A root turned from Y up to Z up and scaled to millimetres is what the
    // exporter writes as the file's up axis and unit.
    out->mRootNode->mTransformation =
        aiMatrix4x4(aiVector3D(ai_real(0.001), ai_real(0.001), ai_real(0.001)),
                    aiQuaternion(aiMatrix3x3(1, 0, 0, 0, 0, 1, 0, -1, 0)), aiVector3D(0, 0, 0));
  }
  return out;
}

}  // namespace

void WriteThroughAssimp(const ExportScene& scene, const std::string& path, const ExportFormat& format,
                        ExportReport& report) {
  const AssimpFormat how = AssimpFormatOf(format.name);
  const std::unique_ptr<aiScene> out = BuildScene(scene, format, how, report);
  Assimp::Exporter exporter;
  if (exporter.Export(out.get(), how.exporterId, path) != aiReturn_SUCCESS) {
    report.error = exporter.GetErrorString();
    if (report.error.empty()) report.error = "the exporter failed";
  }
}

}  // namespace c4dexport
