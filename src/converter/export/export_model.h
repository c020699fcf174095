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

  double Red() const { return argb[1] / 255.0; }
  double Green() const { return argb[2] / 255.0; }
  double Blue() const { return argb[3] / 255.0; }
  // 1 - A/100, kept within 0 and 1.
  double Opacity() const;
};

struct ExportMesh {
  size_t objectNumber = 0;  // 1-based place in the host's vector
  size_t group = 0;
  size_t material = 0;
  std::vector<Point3> points;  // every host point, in order, used or not
  std::vector<std::vector<uint32_t>> polygons;  // 0-based point indices
};

struct ExportPolyline {
  size_t objectNumber = 0;
  size_t group = 0;
  size_t material = 0;
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
};

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
