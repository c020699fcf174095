// The formats the asset library writes: the export scene becomes one of the
// library's scenes (nodes for the file and its layers, a mesh per host
// object, a material per colour) and the library's exporter writes it.
#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>

#include "assimp_scene.h"
#include "format_writers.h"
#include "gltf_edits.h"

namespace c4dexport {

AssimpFormat AssimpFormatOf(const std::string& name, ExportScene::Units units) {
  AssimpFormat how = name == "glb"    ? AssimpFormat{name, "glb2", true, false, false, false, true}
                     : name == "gltf" ? AssimpFormat{name, "gltf2", true, false, false, false, true}
                     : name == "obj"  ? AssimpFormat{name, "obj", false, false, false, true, false}
                     : name == "ply"  ? AssimpFormat{name, "ply", false, false, true, false, false}
                     : name == "stl"  ? AssimpFormat{name, "stlb", false, false, false, false, false}
                                      : AssimpFormat{name, "collada", false, true, false, false, false};
  const bool centimetres = units == ExportScene::Units::Centimetres;
  how.divisor = how.yUpMetres ? (centimetres ? 10 : 1000) : (centimetres ? 10 : 1);
  return how;
}

aiVector3D Converted(const Point3& p, const AssimpFormat& format) {
  const double d = format.divisor;
  if (format.yUpMetres) return aiVector3D(ai_real(p[0] / d), ai_real(p[2] / d), ai_real(-p[1] / d));
  if (d == 1) return aiVector3D(ai_real(p[0]), ai_real(p[1]), ai_real(p[2]));
  return aiVector3D(ai_real(p[0] / d), ai_real(p[1] / d), ai_real(p[2] / d));
}

aiVector3D Direction(const Point3& d, const AssimpFormat& format) {
  if (format.yUpMetres) return aiVector3D(ai_real(d[0]), ai_real(d[2]), ai_real(-d[1]));
  return aiVector3D(ai_real(d[0]), ai_real(d[1]), ai_real(d[2]));
}

void SetFace(aiFace& face, const uint32_t* indices, size_t count) {
  face.mNumIndices = unsigned(count);
  face.mIndices = new unsigned[count];
  std::copy(indices, indices + count, face.mIndices);
}

std::vector<std::string> KeyOf(const ExportGroup& group) {
  std::vector<std::string> key = group.path;
  key.push_back(group.name);
  return key;
}

aiNode* NodeTree::NodeOf(const std::vector<std::string>& key) {
  const auto found = m_named.find(key);
  if (found != m_named.end()) return found->second;
  auto* node = new aiNode(key.back());
  m_named[key] = node;
  if (key.size() == 1) {
    m_tops.push_back(node);
  } else {
    AddChild(NodeOf(std::vector<std::string>(key.begin(), key.end() - 1)), node);
  }
  return node;
}

void NodeTree::AddChild(aiNode* parent, aiNode* child) {
  m_lists[parent].children.push_back(child);
  child->mParent = parent;
}

aiNode* NodeTree::Root() {
  for (auto& [node, lists] : m_lists) {
    if (!lists.children.empty()) {
      node->mNumChildren = unsigned(lists.children.size());
      node->mChildren = new aiNode*[lists.children.size()];
      std::copy(lists.children.begin(), lists.children.end(), node->mChildren);
    }
    if (!lists.meshes.empty()) {
      node->mNumMeshes = unsigned(lists.meshes.size());
      node->mMeshes = new unsigned[lists.meshes.size()];
      std::copy(lists.meshes.begin(), lists.meshes.end(), node->mMeshes);
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

namespace {

// The view as a camera and a node of its own under the root. The exporters
// take the camera's placement from its node, where it looks along -Z with Y
// up, as glTF and COLLADA cameras do.
void AddCamera(aiScene& out, const ExportCamera& view, const AssimpFormat& how, std::vector<aiCamera*>& cameras) {
  const aiVector3D back = -Direction(view.forward, how), up = Direction(view.up, how), right = up ^ back;
  const aiVector3D at = Converted(view.position, how);
  auto* node = new aiNode("View");
  node->mTransformation = aiMatrix4x4(right.x, up.x, back.x, at.x, right.y, up.y, back.y, at.y, right.z, up.z,
                                      back.z, at.z, 0, 0, 0, 1);
  aiNode* root = out.mRootNode;
  auto** children = new aiNode*[root->mNumChildren + 1];
  std::copy(root->mChildren, root->mChildren + root->mNumChildren, children);
  children[root->mNumChildren++] = node;
  delete[] root->mChildren;
  root->mChildren = children;
  node->mParent = root;
  auto* camera = new aiCamera;
  camera->mName = node->mName;
  camera->mHorizontalFOV = ai_real(view.horizontalFov / 2);  // assimp keeps half the angle
  camera->mAspect = ai_real(view.aspect);
  camera->mLookAt = aiVector3D(0, 0, -1);  // its node looks along -Z; the library's default is +Z
  cameras.push_back(camera);
}

template <class T>
void HandOver(const std::vector<T*>& items, unsigned& count, T**& array) {
  if (items.empty()) return;
  count = unsigned(items.size());
  array = new T*[items.size()];
  std::copy(items.begin(), items.end(), array);
}

void SetPointColours(aiMesh& mesh, const ExportMaterial& material) {
  mesh.mColors[0] = new aiColor4D[mesh.mNumVertices];
  const aiColor4D colour(ai_real(material.Red()), ai_real(material.Green()), ai_real(material.Blue()),
                         ai_real(material.Opacity()));
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) mesh.mColors[0][i] = colour;
}

// The host objects in their groups' nodes, as many of them in one mesh as
// the format wants.
void BuildGroups(const ExportScene& scene, const ExportFormat& format, const AssimpFormat& how, NodeTree& tree,
                 std::vector<aiMesh*>& meshes, ExportReport& report) {

  // Host objects gathered into the meshes of the output: one each, or one
  // per layer, material and kind.
  struct Part {
    const std::vector<Point3>* points;
    std::vector<std::vector<uint32_t>> faces;
  };
  struct Bucket {
    size_t group, material;
    bool lines;
    std::string name;
    std::vector<Part> parts;
  };
  std::vector<Bucket> buckets;
  std::map<std::tuple<size_t, size_t, bool>, size_t> bucketOf;
  auto bucket = [&](size_t group, size_t material, bool lines, size_t number) -> Bucket& {
    const std::string layer = PlainName(scene.groups[group].name);
    if (!how.oneMeshPerMaterial) {
      buckets.push_back({group, material, lines, how.meshNamedAfterLayer ? layer : layer + "_" + std::to_string(number), {}});
      return buckets.back();
    }
    const auto key = std::make_tuple(group, material, lines);
    const auto found = bucketOf.find(key);
    if (found != bucketOf.end()) return buckets[found->second];
    bucketOf[key] = buckets.size();
    buckets.push_back({group, material, lines, layer + "_" + PlainName(scene.materials[material].name) + (lines ? "_lines" : ""), {}});
    return buckets.back();
  };
  for (const ExportMesh& mesh : scene.meshes) {
    bucket(mesh.group, mesh.material, false, mesh.objectNumber).parts.push_back({&mesh.points, mesh.polygons});
    for (const auto& polygon : mesh.polygons) report.polygons += format.keepsPolygons ? 1 : polygon.size() - 2;
    ++report.meshes;
  }
  for (const ExportPolyline& line : scene.polylines) {
    if (!format.hasLines) {
      report.leftOut.push_back({line.objectNumber, "a polyline (" + format.name + " has no lines)"});
      continue;
    }
    std::vector<std::vector<uint32_t>> segments;
    for (const auto& segment : line.Segments()) segments.push_back({segment[0], segment[1]});
    bucket(line.group, line.material, true, line.objectNumber).parts.push_back({&line.points, std::move(segments)});
    ++report.polylines;
  }

  for (const Bucket& b : buckets) {
    auto* m = new aiMesh;
    m->mName = b.name;
    m->mMaterialIndex = unsigned(b.material);
    size_t pointCount = 0, faceCount = 0;
    for (const Part& part : b.parts) pointCount += part.points->size(), faceCount += part.faces.size();
    m->mNumVertices = unsigned(pointCount);
    m->mVertices = new aiVector3D[pointCount];
    m->mNumFaces = unsigned(faceCount);
    m->mFaces = new aiFace[faceCount];
    uint32_t offset = 0;
    size_t face = 0;
    for (const Part& part : b.parts) {
      for (size_t i = 0; i < part.points->size(); ++i) m->mVertices[offset + i] = Converted((*part.points)[i], how);
      for (const auto& indices : part.faces) {
        std::vector<uint32_t> shifted(indices);
        for (uint32_t& index : shifted) index += offset;
        SetFace(m->mFaces[face++], shifted.data(), shifted.size());
        m->mPrimitiveTypes |= b.lines ? aiPrimitiveType_LINE
                              : indices.size() == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
      }
      offset += uint32_t(part.points->size());
    }
    if (how.pointColours) SetPointColours(*m, scene.materials[b.material]);
    tree.AddMesh(tree.NodeOf(KeyOf(scene.groups[b.group])), unsigned(meshes.size()));
    meshes.push_back(m);
  }
}

// The scene tree where the format keeps one and the scene has it; the
// groups as before otherwise.
bool WritesTree(const ExportScene& scene, const AssimpFormat& how) {
  return !scene.nodes.empty() && (how.yUpMetres || how.declaresUnit || how.name == "obj");
}

std::unique_ptr<aiScene> BuildScene(const ExportScene& scene, const ExportFormat& format, const AssimpFormat& how,
                                    const std::string& path, SceneExtras& extras, ExportReport& report) {
  auto out = std::make_unique<aiScene>();
  NodeTree tree;
  // With the scene's tree, layers are the nodes' extras: a layer's node is
  // made only for objects that have no node of their own.
  const bool writesTree = WritesTree(scene, how);
  for (const ExportGroup& group : scene.groups) {
    if (!writesTree || &group == &scene.groups.front()) tree.NodeOf(KeyOf(group));
  }
  std::vector<aiMesh*> meshes;
  std::vector<aiMaterial*> materials;
  if (writesTree) {
    BuildSceneTree(scene, format, how, path, tree, meshes, materials, extras, report);
  } else {
    BuildGroups(scene, format, how, tree, meshes, report);
    for (const ExportMaterial& material : scene.materials) materials.push_back(NewMaterial(material));
  }
  // Every scene carries at least one material.
  if (materials.empty()) materials.push_back(NewMaterial(ExportMaterial{}));
  out->mNumMeshes = unsigned(meshes.size());
  out->mMeshes = new aiMesh*[meshes.size()];
  std::copy(meshes.begin(), meshes.end(), out->mMeshes);
  HandOver(materials, out->mNumMaterials, out->mMaterials);
  out->mRootNode = tree.Root();
  if (how.declaresUnit) {
    // A root turned from Y up to Z up and scaled to millimetres (or
    // centimetres) is what the exporter writes as the file's up axis and unit.
    const ai_real scale = ai_real(how.divisor / 1000);
    out->mRootNode->mTransformation = aiMatrix4x4(aiVector3D(scale, scale, scale),
                                                  aiQuaternion(aiMatrix3x3(1, 0, 0, 0, 0, 1, 0, -1, 0)),
                                                  aiVector3D(0, 0, 0));
  }
  if (scene.camera && (how.yUpMetres || how.declaresUnit)) AddCamera(*out, *scene.camera, how, extras.cameras);
  if (how.declaresUnit) {  // the glTF exporter leaves cameras and lights out: they are added to its file
    HandOver(extras.cameras, out->mNumCameras, out->mCameras);
    HandOver(extras.lights, out->mNumLights, out->mLights);
  }
  return out;
}

// The exporter names every unit a metre; centimetres get their own name.
void NameCentimetres(const std::string& path, std::string& error) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t begin = text.find("<unit ");
  const size_t end = begin == std::string::npos ? begin : text.find("/>", begin);
  if (end == std::string::npos) return;
  text.replace(begin, end + 2 - begin, "<unit name=\"centimeter\" meter=\"0.01\" />");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(text.data(), std::streamsize(text.size())).flush()) error = "writing the file failed";
}

}  // namespace

void WriteThroughAssimp(const ExportScene& scene, const std::string& path, const ExportFormat& format,
                        ExportReport& report) {
  const AssimpFormat how = AssimpFormatOf(format.name, scene.units);
  if (how.yUpMetres && !scene.nodes.empty()) return WriteGltfTree(scene, path, format.name == "glb", report);
  SceneExtras extras;
  const std::unique_ptr<aiScene> out = BuildScene(scene, format, how, path, extras, report);
  Assimp::Exporter exporter;
  if (exporter.Export(out.get(), how.exporterId, path) != aiReturn_SUCCESS) {
    report.error = exporter.GetErrorString();
    if (report.error.empty()) report.error = "the exporter failed";
    return;
  }
  if (how.yUpMetres && out->mNumMeshes == 0) DropEmptyBuffer(path, format.name == "glb", report.error);
  if (how.yUpMetres && scene.camera && report.error.empty()) {
    AddGltfCamera(path, format.name == "glb", *scene.camera, report.error);
  }
  if (how.declaresUnit && scene.units == ExportScene::Units::Centimetres && report.error.empty()) {
    NameCentimetres(path, report.error);
  }
}

}  // namespace c4dexport
