// The pieces of the asset library's scene that the writers through it share
// (assimp_writer.cpp builds groups of host objects, assimp_tree.cpp the
// scene tree with its materials, textures, cameras and lights).
#pragma once
#include <assimp/scene.h>

#include <map>
#include <string>
#include <vector>

#include "export_model.h"
#include "export_writer.h"

namespace c4dexport {

struct AssimpFormat {
  std::string name;  // the format's name, "glb"
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
  // Host millimetres per unit of the file: 1000 for glTF's metres, 1 for the
  // millimetres of the others; 10 for centimetres.
  double divisor = 1;
};

AssimpFormat AssimpFormatOf(const std::string& name, ExportScene::Units units);
// A point, or a direction (without the unit), in the format's frame.
aiVector3D Converted(const Point3& p, const AssimpFormat& format);
aiVector3D Direction(const Point3& d, const AssimpFormat& format);

void SetFace(aiFace& face, const uint32_t* indices, size_t count);
std::vector<std::string> KeyOf(const ExportGroup& group);

// The node tree: a node for every name on a group's path and for the group
// itself, keyed by the names from the top, and nodes added below them.
class NodeTree {
 public:
  aiNode* NodeOf(const std::vector<std::string>& key);
  void AddChild(aiNode* parent, aiNode* child);
  void AddMesh(aiNode* node, unsigned mesh) { m_lists[node].meshes.push_back(mesh); }
  // Hands the tree over: the only top node is the root, several get a root above them.
  aiNode* Root();

 private:
  struct Lists {
    std::vector<aiNode*> children;
    std::vector<unsigned> meshes;
  };
  std::map<std::vector<std::string>, aiNode*> m_named;
  std::map<aiNode*, Lists> m_lists;
  std::vector<aiNode*> m_tops;
};

// The cameras and lights the library's scene gets besides its nodes.
struct SceneExtras {
  std::vector<aiCamera*> cameras;
  std::vector<aiLight*> lights;
};

// The scene tree (ExportScene::nodes) as the library's nodes below the
// file's, each mesh and polyline under its node in the node's frame, with
// the materials' textures, corner normals and UVs, cameras and lights.
// OBJ keeps no tree: its meshes stay in the world, each named after its
// node's path. Fills `meshes`, `materials` and `extras`.
void BuildSceneTree(const ExportScene& scene, const ExportFormat& format, const AssimpFormat& how,
                    const std::string& path, NodeTree& tree, std::vector<aiMesh*>& meshes,
                    std::vector<aiMaterial*>& materials, SceneExtras& extras, ExportReport& report);

aiMaterial* NewMaterial(const ExportMaterial& material);

}  // namespace c4dexport
