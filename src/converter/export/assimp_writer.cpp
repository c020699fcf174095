// The formats the asset library writes: the export scene becomes one of the
// library's scenes (nodes for the file and its layers, a mesh per host
// object, a material per colour) and the library's exporter writes it.
#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>

#include <nlohmann/json.hpp>

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
  // The objects of one layer with one material make one mesh. The glTF
  // exporter grows its binary buffer a little for every mesh, which takes
  // time by the square of the objects; one mesh per layer and material keeps
  // it to a few.
  bool oneMeshPerMaterial;
};

AssimpFormat AssimpFormatOf(const std::string& name) {
  if (name == "glb") return {"glb2", true, false, false, false, true};
  if (name == "gltf") return {"gltf2", true, false, false, false, true};
  if (name == "obj") return {"obj", false, false, false, true, false};
  if (name == "ply") return {"ply", false, false, true, false, false};
  if (name == "stl") return {"stlb", false, false, false, false, false};
  return {"collada", false, true, false, false, false};
}

aiVector3D Converted(const Point3& p, const AssimpFormat& format) {
  if (format.yUpMetres) return aiVector3D(ai_real(p[0] / 1000), ai_real(p[2] / 1000), ai_real(-p[1] / 1000));
  return aiVector3D(ai_real(p[0]), ai_real(p[1]), ai_real(p[2]));
}

// A direction in the format's frame: as a point, without the unit.
aiVector3D Direction(const Point3& d, const AssimpFormat& format) {
  if (format.yUpMetres) return aiVector3D(ai_real(d[0]), ai_real(d[2]), ai_real(-d[1]));
  return aiVector3D(ai_real(d[0]), ai_real(d[1]), ai_real(d[2]));
}

// The view as a camera and a node of its own under the root. The exporters
// take the camera's placement from its node, where it looks along -Z with Y
// up, as glTF and COLLADA cameras do.
void AddCamera(aiScene& out, const ExportCamera& view, const AssimpFormat& how) {
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
  out.mNumCameras = 1;
  out.mCameras = new aiCamera*[1]{camera};
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

  std::vector<aiMesh*> meshes;
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
    tree.AddMesh(KeyOf(scene.groups[b.group]), unsigned(meshes.size()));
    meshes.push_back(m);
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
  if (scene.camera && (how.yUpMetres || how.declaresUnit)) AddCamera(*out, *scene.camera, how);
  return out;
}

// Takes the member "buffers" out of a glTF document's text, with the comma
// that joins it to the next member (or to the one before, when it is last).
// Its objects hold no arrays, so the first "]" closes it.
bool EraseBuffers(std::string& json) {
  const size_t key = json.find("\"buffers\"");
  const size_t close = key == std::string::npos ? key : json.find(']', key);
  if (close == std::string::npos) return false;
  size_t end = json.find_first_not_of(" \t\r\n", close + 1);
  size_t begin = key;
  if (end != std::string::npos && json[end] == ',') {
    ++end;
  } else {
    begin = json.find_last_not_of(" \t\r\n", key - 1);
    if (begin == std::string::npos || json[begin] != ',') return false;
    end = close + 1;
  }
  json.erase(begin, end - begin);
  return true;
}

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | uint8_t(bytes[at + size_t(k)]);
  return v;
}
void PutLe32(std::string& bytes, size_t at, uint32_t v) {
  for (size_t k = 0; k < 4; ++k) bytes[at + k] = char((v >> (8 * k)) & 0xFF);
}

// Rewrites the JSON of a .gltf, or of a .glb's JSON chunk, with `edit`
// (which returns false to leave the file as it is). A .glb keeps the chunks
// after its JSON when `keepBinary`.
template <class Edit>
void EditGltfJson(const std::string& path, bool binary, bool keepBinary, std::string& error, const Edit& edit) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string json = bytes;
  if (binary) {
    if (bytes.size() < 20 || bytes.compare(0, 4, "glTF") != 0 || Le32(bytes, 12) > bytes.size() - 20) {
      error = "the exporter wrote no glb container";
      return;
    }
    json = bytes.substr(20, Le32(bytes, 12));
  }
  if (!edit(json)) return;
  if (binary) {
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::string rest = keepBinary ? bytes.substr(20 + Le32(bytes, 12)) : std::string();
    bytes.resize(20);
    PutLe32(bytes, 8, uint32_t(20 + json.size() + rest.size()));
    PutLe32(bytes, 12, uint32_t(json.size()));
    json.insert(0, bytes);
    json += rest;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(json.data(), std::streamsize(json.size()));
  if (!out.flush()) error = "writing the file failed";
}

// Without meshes the exporter still declares a buffer of no bytes (and
// writes an empty .bin beside a .gltf), which glTF forbids: a buffer holds
// at least one byte. The declaration and the empty file are taken out again.
// A .glb keeps its header and JSON chunk (padded to four bytes), and no
// binary chunk.
void DropEmptyBuffer(const std::string& path, bool binary, std::string& error) {
  EditGltfJson(path, binary, false, error, [&](std::string& json) {
    if (!EraseBuffers(json)) return false;  // the exporter declared no buffer
    if (!binary) {
      std::error_code ignored;
      std::filesystem::remove(std::filesystem::path(path).replace_extension(".bin"), ignored);
    }
    return true;
  });
}

// The glTF exporter leaves cameras out: the view's node gets its camera here.
// glTF takes the vertical angle; the near plane is a millimetre.
void AddGltfCamera(const std::string& path, bool binary, const ExportCamera& view, std::string& error) {
  EditGltfJson(path, binary, true, error, [&](std::string& text) {
    nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.contains("nodes")) return false;
    nlohmann::json& nodes = json["nodes"];
    for (nlohmann::json& node : nodes) {
      if (node.value("name", "") != "View" || node.contains("mesh") || node.contains("children")) continue;
      const double yfov = 2 * std::atan(std::tan(view.horizontalFov / 2) / view.aspect);
      json["cameras"] = nlohmann::json::array(
          {{{"name", "View"},
            {"type", "perspective"},
            {"perspective", {{"yfov", yfov}, {"aspectRatio", view.aspect}, {"znear", 0.001}}}}});
      node["camera"] = 0;
      text = json.dump();
      return true;
    }
    return false;
  });
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
    return;
  }
  if (how.yUpMetres && out->mNumMeshes == 0) DropEmptyBuffer(path, format.name == "glb", report.error);
  if (how.yUpMetres && scene.camera && report.error.empty()) {
    AddGltfCamera(path, format.name == "glb", *scene.camera, report.error);
  }
}

}  // namespace c4dexport
