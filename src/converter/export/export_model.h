// What an import left in the host, reshaped for writing into other formats:
// meshes as polygons of point indices, polylines as chains of points, the
// host layers as named groups under the names of the nodes above them, and
// one material for each distinct colour, transparency and surface.
//
//   ExportScene scene = BuildExportScene(result.objects, layers, "house.c4d");
//   ExportReport report = WriteExportFile(scene, "house.glb");   // export_writer.h
//
// Coordinates stay the host's: Z up, in millimetres (the import scales the
// scene's centimetres by 10). Writers convert where a format wants another
// convention.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qel_Objects.h"

namespace c4dexport {

using Point3 = std::array<double, 3>;

// A leaf of the host's layer table: its id, its long name and the long
// names of the nodes above it, from the table's top ("Cinema4D", file node).
struct ExportLayer {
  unsigned id = 0;
  std::string name;
  std::vector<std::string> path;
};

// A node of the output holding objects: a layer leaf, or the file node for
// objects whose layer is no leaf of the table.
struct ExportGroup {
  std::string name;
  std::vector<std::string> path;  // names of the nodes above it
  unsigned layerId = 0;           // 0 for the file node
};

struct ExportMaterial {
  unsigned char argb[4] = {0, 0, 0, 0};  // A is the transparency in percent
  std::string surface;                   // the surface file as the host got it; "" none
  std::string name;                      // unique within the scene
  // A material of the scene file (scene_structure.h) rather than a host
  // colour: its colour (channel colour times brightness) and opacity exactly,
  // and the colour channel's bitmap.
  bool fromScene = false;
  std::array<double, 3> colour{0.8, 0.8, 0.8};  // linear 0..1, when fromScene
  double opacity = 1.0;                          // when fromScene; below 1 is alpha blended
  std::string textureName;  // the bitmap as the material names it; "" none
  std::string texturePath;  // the file found for it; "" when not found

  double Red() const { return fromScene ? colour[0] : argb[1] / 255.0; }
  double Green() const { return fromScene ? colour[1] : argb[2] / 255.0; }
  double Blue() const { return fromScene ? colour[2] : argb[3] / 255.0; }
  // 1 - A/100, kept within 0 and 1 (a scene material's own opacity).
  double Opacity() const;
};

struct ExportMesh {
  size_t objectNumber = 0;  // 1-based place in the host's vector
  size_t group = 0;
  size_t material = 0;
  std::vector<Point3> points;  // every host point, in order, used or not (world, host axes)
  std::vector<std::vector<uint32_t>> polygons;  // 0-based point indices
  // Filled by the scene structure (scene_structure.h); empty otherwise.
  // The node the mesh hangs under; -1: none, the mesh stands in its group.
  int node = -1;
  // Per polygon its material (index into the scene's materials); empty: all `material`.
  std::vector<uint32_t> polygonMaterials;
  // Per corner, polygon after polygon in the order of `polygons`: texture
  // coordinates as the scene stores them (u right, v down from the image's
  // top left), and normals (unit, host axes, world orientation). Empty: none
  // (normals: faceted, each face flat).
  std::vector<std::array<double, 2>> cornerUVs;
  std::vector<Point3> cornerNormals;
  // The phong tag's angle limit (radians) the normals were smoothed by; 0
  // when the mesh has no phong tag. Blender's auto-smooth takes it.
  double smoothAngle = 0.0;
};

struct ExportPolyline {
  size_t objectNumber = 0;
  size_t group = 0;
  size_t material = 0;
  int node = -1;  // as ExportMesh::node
  std::vector<Point3> points;  // without the repeated first point of a closed one
  bool closed = false;
  // The segments as point index pairs: each point to the next, and the last
  // back to the first when closed.
  std::vector<std::array<uint32_t, 2>> Segments() const;
};

// The view the scene's author last had, in host coordinates: it stands at
// `position` and looks along `forward`, `up` pointing up in its image (both
// of unit length and at right angles).
struct ExportCamera {
  Point3 position{0, 0, 0};
  Point3 forward{0, 1, 0};
  Point3 up{0, 0, 1};
  double horizontalFov = 0.927;  // radians, the whole angle
  double aspect = 4.0 / 3.0;     // width over height of its image
};

// A row-major 4x4 transform in host axes: (x, y, z) maps to the first three
// rows' dot products with (x, y, z, 1); the last row is 0 0 0 1.
using Transform = std::array<std::array<double, 4>, 4>;
Transform IdentityTransform();
Transform Multiply(const Transform& a, const Transform& b);
Transform Inverse(const Transform& t);  // of an affine transform; identity when singular
Point3 Apply(const Transform& t, const Point3& p);
Point3 ApplyToDirection(const Transform& t, const Point3& d);  // without the offset

// An object of the scene tree as the output keeps it: its name, its place
// under its parent (the pivot), its layer.
struct ExportNode {
  std::string name;  // the object's name, unique among its siblings
  std::string path;  // names from the top, "House / Walls", as reports give them
  int parent = -1;   // index into ExportScene::nodes; -1 at the top
  Transform local = IdentityTransform();   // host axes, millimetres
  Transform global = IdentityTransform();  // parent's global times local
  std::string layer;  // the scene layer's name; "" none
  std::vector<size_t> children;
  std::vector<size_t> meshes, polylines;  // indices into the scene's lists
  int camera = -1, light = -1;            // indices into the scene's lists; -1 none
};

// A camera object. In its node's frame it looks along +Y with +Z up (the
// scene's +z and +y in host axes).
struct ExportSceneCamera {
  std::string name;
  size_t node = 0;
  double focalLength = 36.0;  // millimetres
  double filmWidth = 36.0;    // millimetres (the aperture)
  double aspect = 4.0 / 3.0;  // of its image, width over height
  double HorizontalFov() const;  // radians, the whole angle
};

// A light object. Spot and infinite lights shine along +Y of their node.
struct ExportLight {
  enum class Kind { Point, Spot, Infinite, Area };
  std::string name;
  size_t node = 0;
  Kind kind = Kind::Point;
  std::array<double, 3> colour{1, 1, 1};
  double brightness = 1.0;      // 1 is the scene program's 100 %
  double innerAngle = 0.0;      // spot: the whole angles, radians
  double outerAngle = 0.5235987755982988;
  std::string note;             // how it was written where it is approximate; "" none
};

struct ExportScene {
  std::string fileNode;               // name of the file's node under "Cinema4D"
  std::vector<ExportGroup> groups;    // group 0 is the file node
  std::vector<ExportMaterial> materials;
  std::vector<ExportMesh> meshes;
  std::vector<ExportPolyline> polylines;
  // Host objects that could not be taken over, each with the reason.
  struct Skipped {
    size_t objectNumber = 0;
    std::string reason;
  };
  std::vector<Skipped> skipped;
  // Faces whose edges did not lead back to points (left out of their mesh).
  size_t brokenFaces = 0;
  // Written by the formats that hold a camera (glTF, COLLADA).
  std::optional<ExportCamera> camera;
  // The scene tree (scene_structure.h); empty when the scene was not read,
  // and writers then write groups as before.
  std::vector<ExportNode> nodes;
  std::vector<ExportSceneCamera> cameras;
  std::vector<ExportLight> lights;
  // Textures not found and the like, one line each for the report.
  std::vector<std::string> notes;
  // Centimetres: every format writes the scene's own numbers (host
  // millimetres / 10) and declares centimetres where it declares a unit;
  // glTF, whose unit is the metre, then holds one unit per centimetre.
  enum class Units { Millimetres, Centimetres };
  Units units = Units::Millimetres;
};

// The mesh's points in its node's frame (its points as they are without a node).
std::vector<Point3> LocalPoints(const ExportScene& scene, const ExportMesh& mesh);
std::vector<Point3> LocalPoints(const ExportScene& scene, const ExportPolyline& polyline);
// Its corner normals turned into its node's frame (unit length).
std::vector<Point3> LocalNormals(const ExportScene& scene, const ExportMesh& mesh);

// Objects of the host's vector and the leaves of the layer table. An object
// with a point that is not a finite number, or beyond a float, is skipped
// with the reason, so that every format leaves out the same objects and
// writes the rest. A leaf
// becomes a group when an object lies on it or when it stands under the
// file's own node ("Cinema4D" / `fileNodeName`), so that empty layers of
// the scene are kept too.
ExportScene BuildExportScene(const std::vector<CQEL_SmartPtr<CQEL_Object>>& objects,
                             const std::vector<ExportLayer>& layers, const std::string& fileNodeName);

// The name layer construction gives a file's node: the file name (after the
// last "/" or "\"), at most 28 characters.
std::string FileNodeName(const std::string& path);

// Splits a flat polygon into triangles of corner indices (positions into
// `polygon`), ears first, so that concave outlines stay inside themselves.
// A triangle is returned as is; fewer than three corners give none.
std::vector<std::array<uint32_t, 3>> TriangulatePolygon(const std::vector<Point3>& points,
                                                        const std::vector<uint32_t>& polygon);

// TriangulatePolygon for an outline with holes inside it (lists of point
// indices; holes running against the outline), each joined to the outline by
// a bridge. Triangles are point indices, in the outline's winding.
std::vector<std::array<uint32_t, 3>> TriangulateWithHoles(const std::vector<Point3>& points,
                                                          const std::vector<uint32_t>& outer,
                                                          const std::vector<std::vector<uint32_t>>& holes);

}  // namespace c4dexport
