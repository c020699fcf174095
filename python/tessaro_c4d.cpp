// tessaro_c4d: old Cinema 4D scenes imported into Python through the import
// module, exactly as Tessaro runs it (one session of StartImport, Read and
// EndImport with the stand-in host), and what reached the host handed over
// as numpy arrays.
//
//   import tessaro_c4d
//   result = tessaro_c4d.import_scene("house.c4d")
//   for mesh in result.meshes: print(mesh.points.shape, mesh.face_sizes)
//
// The module and the host keep their state in globals, so sessions run one
// at a time (a lock), but without the interpreter's lock: other Python
// threads go on while a file imports.
#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "convert_file.h"
#include "scene_data.h"
#include "view_camera.h"

namespace py = pybind11;

namespace {

using Clock = std::chrono::steady_clock;

// ---- what reached the host, in plain C++ (built without the interpreter's lock) ----

struct MeshData {
  size_t index = 0;
  std::string source;  // the scene object it comes from; "" when unknown
  std::string added;  // the note of an object the converter made after the import; "" the module's
  std::vector<double> points;  // x, y, z of each host point
  std::vector<int32_t> faceSizes;
  std::vector<int32_t> faceCorners;  // 0-based point indices
  size_t brokenFaces = 0;
  unsigned layer = 0;
  std::array<int, 4> argb{};
  std::string surface;
  // From the export scene: the look and the place in the scene tree (lengths
  // already in the unit asked for, as `points`).
  int node = -1;
  int material = -1;
  std::vector<double> localPoints;
  std::vector<int32_t> faceMaterials;  // empty: every face has `material`
  std::vector<double> uvs, normals;    // per corner; empty: none
  double smoothAngle = 0.0;
};

struct PolylineData {
  size_t index = 0;
  std::string source;
  std::string added;
  std::vector<double> points;
  bool closed = false;
  unsigned layer = 0;
  std::array<int, 4> argb{};
  std::string surface;
  int node = -1;
  int material = -1;
  std::vector<double> localPoints;
};

struct LayerData {
  unsigned id = 0;
  std::string longName, shortName;
  std::vector<std::string> path;
  int config = 0;
  bool userDefined = false;
};

struct MessageData {
  std::string box;
  int type = 0;
  std::string text;
};

struct NotConvertedData {
  std::string name, reason;
};

struct RunData {
  bool readable = false;
  std::string unreadableText;
  std::string hostError;
  std::vector<std::string> failures;
  bool layersNotSaved = false;
  c4dimport::SessionCounters session;
  std::vector<MeshData> meshes;
  std::vector<PolylineData> polylines;
  std::vector<LayerData> layers;
  std::vector<MessageData> messages;
  std::vector<NotConvertedData> notConverted;
  std::vector<NotConvertedData> hidden;
  double importSeconds = 0;
  double arraySeconds = 0;
  // The export scene's tree, materials, cameras and lights; its meshes and
  // polylines are taken over into `meshes` and `polylines` (TakeLook).
  c4dexport::ExportScene look;
  double unitScale = 1.0;  // host millimetres to the unit asked for
};

void AppendPoints(const CQEL_GeoPolyhedron3D::PointList& list, size_t count, std::vector<double>& out) {
  out.reserve(count * 3);
  constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  for (size_t i = 0; i < count; ++i) {
    const CQEL_GeoPoint3D* point = list[i].Get();
    out.push_back(point ? point->X() : kMissing);
    out.push_back(point ? point->Y() : kMissing);
    out.push_back(point ? point->Z() : kMissing);
  }
}

// Walks a face's signed edges back to the points they start from; false when
// an edge number names no edge or the edges do not close into a ring.
bool AppendFaceCorners(const std::vector<int>& face, const CQEL_GeoPolyhedron3D::EdgeList& edges, size_t pointCount,
                       std::vector<int32_t>& corners) {
  const size_t start = corners.size();
  unsigned first = 0, previousEnd = 0;
  for (const int entry : face) {
    const uint64_t number = entry < 0 ? uint64_t(-int64_t(entry)) : uint64_t(entry);
    if (number == 0 || number > edges.size()) break;
    auto [from, to] = edges[number - 1];
    if (entry < 0) std::swap(from, to);
    if (from == 0 || from > pointCount || to == 0 || to > pointCount) break;
    if (corners.size() == start) {
      first = from;
    } else if (from != previousEnd) {
      break;
    }
    corners.push_back(int32_t(from - 1));
    previousEnd = to;
  }
  const size_t taken = corners.size() - start;
  if (taken == face.size() && taken >= 3 && previousEnd == first) return true;
  corners.resize(start);
  return false;
}

void TakeObject(size_t index, const CQEL_SmartPtr<CQEL_Object>& object, const std::string& source,
                const std::string& added, RunData& run) {
  const c4dimport::ObjectView view = c4dimport::ViewObject(object);
  if (!view.geometry) return;
  const CQEL_GeoPolyhedron3D& geometry = *view.geometry;
  const auto& points = geometry.GetPoints();
  std::array<int, 4> argb{view.argb[0], view.argb[1], view.argb[2], view.argb[3]};
  if (geometry.GetDimension() == QEL_DIMENSION_3D) {
    MeshData mesh;
    mesh.index = index;
    mesh.source = source;
    mesh.added = added;
    mesh.layer = view.layer;
    mesh.argb = argb;
    mesh.surface = view.surface;
    AppendPoints(points, points.size(), mesh.points);
    const auto& faces = geometry.GetFaces();
    const auto& edges = geometry.GetEdges();
    mesh.faceSizes.reserve(faces.size());
    mesh.faceCorners.reserve(faces.size() * 4);
    for (const std::vector<int>& face : faces) {
      if (AppendFaceCorners(face, edges, points.size(), mesh.faceCorners)) {
        mesh.faceSizes.push_back(int32_t(face.size()));
      } else {
        ++mesh.brokenFaces;
      }
    }
    run.meshes.push_back(std::move(mesh));
  } else if (geometry.GetDimension() == QEL_DIMENSION_1D) {
    PolylineData line;
    line.index = index;
    line.source = source;
    line.added = added;
    line.layer = view.layer;
    line.argb = argb;
    line.surface = view.surface;
    // A closed polyline repeats its first point object at the end.
    line.closed = points.size() > 1 && points.front().Get() == points.back().Get();
    AppendPoints(points, points.size() - (line.closed ? 1 : 0), line.points);
    run.polylines.push_back(std::move(line));
  }
}

void AppendScaled(const std::vector<c4dexport::Point3>& points, double scale, std::vector<double>& out) {
  out.reserve(points.size() * 3);
  for (const c4dexport::Point3& p : points) {
    for (const double c : p) out.push_back(c * scale);
  }
}

void ScaleAll(std::vector<double>& values, double scale) {
  if (scale == 1.0) return;
  for (double& v : values) v *= scale;
}

// Per-corner data is taken only where it matches the corners the host's
// faces have (both walk the same edges, so it does).
void TakeMeshLook(const c4dexport::ExportScene& scene, const c4dexport::ExportMesh& from, double scale,
                  MeshData& mesh) {
  mesh.node = from.node;
  mesh.material = int(from.material);
  AppendScaled(c4dexport::LocalPoints(scene, from), scale, mesh.localPoints);
  if (!from.polygonMaterials.empty() && from.polygonMaterials.size() == mesh.faceSizes.size()) {
    mesh.faceMaterials.assign(from.polygonMaterials.begin(), from.polygonMaterials.end());
  }
  const size_t corners = mesh.faceCorners.size();
  if (!from.cornerUVs.empty() && from.cornerUVs.size() == corners) {
    mesh.uvs.reserve(corners * 2);
    for (const auto& uv : from.cornerUVs) mesh.uvs.insert(mesh.uvs.end(), uv.begin(), uv.end());
  }
  if (!from.cornerNormals.empty() && from.cornerNormals.size() == corners) {
    AppendScaled(c4dexport::LocalNormals(scene, from), 1.0, mesh.normals);
    mesh.smoothAngle = from.smoothAngle;
  }
}

void ScaleOffset(c4dexport::Transform& t, double scale) {
  for (size_t row = 0; row < 3; ++row) t[row][3] *= scale;
}

// The export scene laid onto what the host received: its meshes and
// polylines matched by their place in the host's vector, the nodes' lists
// turned into places in run.meshes and run.polylines, every length in the
// unit asked for.
void TakeLook(RunData& run) {
  c4dexport::ExportScene& scene = run.look;
  const double scale = run.unitScale;
  std::unordered_map<size_t, size_t> meshAt, polylineAt;  // object number -> place in run's list
  for (size_t i = 0; i < run.meshes.size(); ++i) meshAt[run.meshes[i].index + 1] = i;
  for (size_t i = 0; i < run.polylines.size(); ++i) polylineAt[run.polylines[i].index + 1] = i;
  for (const c4dexport::ExportMesh& from : scene.meshes) {
    if (const auto at = meshAt.find(from.objectNumber); at != meshAt.end()) {
      TakeMeshLook(scene, from, scale, run.meshes[at->second]);
    }
  }
  for (const c4dexport::ExportPolyline& from : scene.polylines) {
    if (const auto at = polylineAt.find(from.objectNumber); at != polylineAt.end()) {
      PolylineData& line = run.polylines[at->second];
      line.node = from.node;
      line.material = int(from.material);
      AppendScaled(c4dexport::LocalPoints(scene, from), scale, line.localPoints);
    }
  }
  const auto places = [](const std::vector<size_t>& indices, const auto& items, const auto& at) {
    std::vector<size_t> out;
    for (const size_t i : indices) {
      if (i >= items.size()) continue;
      if (const auto found = at.find(items[i].objectNumber); found != at.end()) out.push_back(found->second);
    }
    return out;
  };
  for (c4dexport::ExportNode& node : scene.nodes) {
    node.meshes = places(node.meshes, scene.meshes, meshAt);
    node.polylines = places(node.polylines, scene.polylines, polylineAt);
    ScaleOffset(node.local, scale);
    ScaleOffset(node.global, scale);
  }
  // Those the export scene left out (points beyond a float) stand where they are.
  for (MeshData& mesh : run.meshes) {
    ScaleAll(mesh.points, scale);
    if (mesh.localPoints.empty()) mesh.localPoints = mesh.points;
  }
  for (PolylineData& line : run.polylines) {
    ScaleAll(line.points, scale);
    if (line.localPoints.empty()) line.localPoints = line.points;
  }
  scene.meshes.clear();
  scene.polylines.clear();
}

c4dexport::ExportScene::Units ParseUnits(const std::string& units) {
  if (units == "mm") return c4dexport::ExportScene::Units::Millimetres;
  if (units == "cm") return c4dexport::ExportScene::Units::Centimetres;
  throw py::value_error("units must be \"mm\" or \"cm\", not \"" + units + "\"");
}

c4dimport::LargeAnswer ParseLarge(const std::string& large) {
  if (large == "yes") return c4dimport::LargeAnswer::Yes;
  if (large == "no") return c4dimport::LargeAnswer::No;
  if (large == "cancel") return c4dimport::LargeAnswer::Cancel;
  throw py::value_error("large must be \"yes\", \"no\" or \"cancel\", not \"" + large + "\"");
}

std::mutex g_sessionLock;
// The thread that holds the session, for a clear error where an import
// started from its own progress callback would wait for itself for ever.
std::atomic<std::thread::id> g_sessionThread{};

void RefuseReentry() {
  if (g_sessionThread.load() == std::this_thread::get_id()) {
    throw std::runtime_error("import_scene and load_scene cannot be called while this thread imports a scene "
                             "(from the progress callback)");
  }
}

// One session at a time, and whose it is.
class SessionHold {
 public:
  SessionHold() : m_lock(g_sessionLock) { g_sessionThread = std::this_thread::get_id(); }
  ~SessionHold() { g_sessionThread = std::thread::id(); }

 private:
  std::lock_guard<std::mutex> m_lock;
};

// A path as the system takes it: str (with the surrogate escapes of
// os.fsdecode), bytes or any os.PathLike, as bytes; a NUL inside is an error,
// as for open().
std::string SystemPath(const py::object& path) {
  const py::bytes encoded = py::module_::import("os").attr("fsencode")(path);
  std::string bytes = encoded;
  if (bytes.find('\0') != std::string::npos) throw py::value_error("embedded null byte in path");
  return bytes;
}

using ProgressCallback = std::function<void(size_t, uint32_t)>;

// One import session; runs without the interpreter's lock (the progress
// callback takes it for its call).
RunData RunImport(const std::string& path, c4dimport::LargeAnswer large, bool primitives, bool hidden, bool renderLevel,
                  c4dexport::ExportScene::Units units, const std::optional<std::string>& layers,
                  const ProgressCallback& progress) {
  SessionHold session;
  RunData run;
  // A fresh host for every session, as a fresh process of the tool has.
  standin::ResetHost();
  if (layers) {
    std::string error;
    if (!standin::UseLayerTableFile(*layers, &error)) {
      standin::ResetHost();
      throw py::value_error("the layer table file " + *layers + " cannot be used: " + error);
    }
  }
  // Boxes are recorded, not shown; the large question takes the given answer.
  standin::ScriptedUi silent;
  silent.SetDefaultAnswer(c4dimport::PresetAnswer(large));  // ParseLarge gives no Ask
  c4dimport::ConvertOptions options;
  options.import.large = large;
  options.import.ui = &silent;
  // The session counters come back whole, the largest mesh too.
  options.countingFigures = true;
  std::exception_ptr progressError;
  if (progress) {
    options.import.onPump = [&progress, &progressError](const c4dimport::ImportProgress& at) {
      if (progressError) return;
      try {
        py::gil_scoped_acquire gil;
        progress(at.converted, at.counted);
      } catch (...) {
        // Never through the module's frames: raised once the session is over.
        progressError = std::current_exception();
      }
    };
    // An exception in the callback (KeyboardInterrupt too) cancels the import
    // at once, as the dialog's Cancel button would.
    options.import.cancelRequested = [&progressError] { return progressError != nullptr; };
  }
  // As the tool's own work after Read (output_objects.h).
  options.primitives = primitives;
  options.keepHidden = hidden;
  options.renderLevel = renderLevel;
  options.keepScene = true;
  options.units = units;
  const Clock::time_point start = Clock::now();
  c4dimport::Conversion conversion = c4dimport::ConvertFile(path, options);
  c4dimport::ImportResult& result = conversion.result;
  const Clock::time_point imported = Clock::now();

  run.readable = result.readable;
  run.hostError = result.hostError;
  run.session = result.session;
  for (size_t i = 0; i < result.objects.size(); ++i) {
    const size_t added = i - result.moduleObjects;  // wraps for the module's own
    TakeObject(i, result.objects[i], i < result.sources.size() ? result.sources[i] : "",
               added < result.added.size() ? result.added[added] : "", run);
  }
  if (conversion.scene) run.look = std::move(*conversion.scene);
  run.unitScale = units == c4dexport::ExportScene::Units::Centimetres ? 0.1 : 1.0;
  TakeLook(run);
  for (const standin::LayerLeafEntry& entry : result.layers) {
    if (!entry.leaf) continue;
    run.layers.push_back({entry.leaf->Id(), entry.leaf->LongName(), entry.leaf->ShortName(), entry.path,
                          int(entry.leaf->LayerConfigurationSetting()), entry.leaf->UserDefinedLayerDef()});
  }
  for (const standin::BoxRecord& box : result.messages) {
    run.messages.push_back({standin::BoxKindName(box.kind), box.type, box.text});
    if (box.kind == standin::BoxKind::Error && box.type == QEL_MSGBOX_ERROR && run.unreadableText.empty()) {
      run.unreadableText = box.text;
    }
  }
  for (const c4dimport::NotConvertedObject& object : conversion.notConverted) {
    run.notConverted.push_back({object.path, object.reason});
  }
  for (const c4dimport::HiddenObject& object : conversion.hidden) run.hidden.push_back({object.path, object.reason});
  run.arraySeconds = std::chrono::duration<double>(Clock::now() - imported).count();
  run.failures = conversion.failures;
  result = c4dimport::ImportResult();  // the host objects go before the host is reset
  std::string saveError;
  if (layers && !standin::CloseLayerTableFile(&saveError)) {
    run.failures.push_back("the layer table file " + *layers + " could not be saved: " + saveError);
    run.layersNotSaved = true;
  }
  standin::ResetHost();
  run.importSeconds = std::chrono::duration<double>(imported - start).count();
  if (progressError) {
    py::gil_scoped_acquire gil;
    std::rethrow_exception(progressError);
  }
  return run;
}

// ---- the Python side ---------------------------------------------------------------

// The vector's buffer handed to numpy as it is: the array owns it.
template <class T>
py::array_t<T> Adopt(std::vector<T>&& values, std::vector<py::ssize_t> shape) {
  if (values.empty()) return py::array_t<T>(shape);
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule release(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(shape, owned->data(), release);
}

py::array_t<double> PointArray(std::vector<double>&& points) {
  const auto rows = py::ssize_t(points.size() / 3);
  return Adopt(std::move(points), {rows, 3});
}

py::object SurfaceOf(const std::string& surface) { return surface.empty() ? py::object(py::none()) : py::object(py::str(surface)); }

py::object NoteOf(const std::string& note) { return note.empty() ? py::object(py::none()) : py::object(py::str(note)); }

py::object IndexOrNone(int index) { return index < 0 ? py::object(py::none()) : py::object(py::int_(index)); }

// Rows of `width` values, or None when there are none.
py::object RowsOrNone(std::vector<double>&& values, py::ssize_t width) {
  if (values.empty()) return py::none();
  const auto rows = py::ssize_t(values.size()) / width;
  return Adopt(std::move(values), {rows, width});
}

struct Mesh {
  size_t index;
  py::object source;
  py::object added;
  py::array_t<double> points;
  py::array_t<int32_t> face_sizes;
  py::array_t<int32_t> face_corners;
  size_t broken_faces;
  unsigned layer;
  std::array<int, 4> argb;
  py::object surface;
  py::object node, material;
  py::array_t<double> local_points;
  py::object face_materials, uvs, normals, smooth_angle;
};

struct Polyline {
  size_t index;
  py::object source;
  py::object added;
  py::array_t<double> points;
  bool closed;
  unsigned layer;
  std::array<int, 4> argb;
  py::object surface;
  py::object node, material;
  py::array_t<double> local_points;
};

// Text from the host as str, bytes that are not UTF-8 (a file's name in the
// layer path) escaped as os.fsdecode escapes them.
py::str SystemText(const std::string& text) {
  return py::reinterpret_steal<py::str>(PyUnicode_DecodeFSDefaultAndSize(text.data(), py::ssize_t(text.size())));
}

py::list SystemTexts(const std::vector<std::string>& texts) {
  py::list list;
  for (const std::string& text : texts) list.append(SystemText(text));
  return list;
}

struct Layer {
  unsigned id;
  py::str long_name, short_name;
  py::list path;
  int config;
  bool user_defined;
  const char* State() const { return config == 1 ? "locked" : config == 2 ? "hidden" : "editable"; }
};

struct Message {
  std::string box;
  int type;
  std::string text;
};

struct Node {
  py::str name, path;
  py::object parent;
  py::array_t<double> local, world;
  py::object layer;
  std::vector<size_t> children, meshes, polylines;
  py::object camera, light;
};

struct Material {
  py::str name;
  std::array<double, 3> colour;
  double opacity;
  py::object texture, texture_name;
  bool from_scene;
};

struct Camera {
  py::str name;
  size_t node;
  double focal_length, film_width, aspect;
};

struct Light {
  py::str name;
  size_t node;
  const char* kind;
  std::array<double, 3> colour;
  double brightness, inner_angle, outer_angle;
  py::object note;
};

py::array_t<double> MatrixArray(const c4dexport::Transform& t) {
  py::array_t<double> matrix({4, 4});
  auto m = matrix.mutable_unchecked<2>();
  for (py::ssize_t row = 0; row < 4; ++row) {
    for (py::ssize_t column = 0; column < 4; ++column) m(row, column) = t[size_t(row)][size_t(column)];
  }
  return matrix;
}

const char* LightKindName(c4dexport::ExportLight::Kind kind) {
  switch (kind) {
    case c4dexport::ExportLight::Kind::Spot: return "spot";
    case c4dexport::ExportLight::Kind::Infinite: return "infinite";
    case c4dexport::ExportLight::Kind::Area: return "area";
    case c4dexport::ExportLight::Kind::Point: break;
  }
  return "point";
}

struct Session {
  uint32_t total, converted, max_polygons;
  bool convert_large, cancelled;
};

struct Scene {
  py::object path;  // as it was given
  std::vector<Mesh> meshes;
  std::vector<Polyline> polylines;
  std::vector<Layer> layers;
  std::vector<Message> messages;
  Session session;
  std::vector<std::pair<std::string, std::string>> not_converted;
  std::vector<std::pair<std::string, std::string>> hidden;
  py::object host_error;
  py::list failures;
  py::dict timings;
  std::vector<Node> nodes;
  std::vector<Material> materials;
  std::vector<Camera> cameras;
  std::vector<Light> lights;
  py::list notes;
  std::string units;
};

py::object TextOrNone(const std::string& text) { return text.empty() ? py::object(py::none()) : py::object(SystemText(text)); }

void TakeTree(const c4dexport::ExportScene& look, Scene& scene) {
  for (const c4dexport::ExportNode& n : look.nodes) {
    scene.nodes.push_back({SystemText(n.name), SystemText(n.path), IndexOrNone(n.parent), MatrixArray(n.local),
                           MatrixArray(n.global), TextOrNone(n.layer), n.children, n.meshes, n.polylines,
                           IndexOrNone(n.camera), IndexOrNone(n.light)});
  }
  for (const c4dexport::ExportMaterial& m : look.materials) {
    scene.materials.push_back({SystemText(m.name), {m.Red(), m.Green(), m.Blue()}, m.Opacity(),
                               TextOrNone(m.texturePath), TextOrNone(m.textureName), m.fromScene});
  }
  for (const c4dexport::ExportSceneCamera& c : look.cameras) {
    scene.cameras.push_back({SystemText(c.name), c.node, c.focalLength, c.filmWidth, c.aspect});
  }
  for (const c4dexport::ExportLight& l : look.lights) {
    scene.lights.push_back({SystemText(l.name), l.node, LightKindName(l.kind), l.colour, l.brightness, l.innerAngle,
                            l.outerAngle, TextOrNone(l.note)});
  }
  scene.notes = SystemTexts(look.notes);
}

Scene MakeScene(const py::object& path, RunData&& run) {
  Scene scene;
  scene.path = path;
  scene.failures = SystemTexts(run.failures);
  scene.meshes.reserve(run.meshes.size());
  for (MeshData& m : run.meshes) {
    const auto faces = py::ssize_t(m.faceSizes.size());
    const auto corners = py::ssize_t(m.faceCorners.size());
    const auto faceMaterials = py::ssize_t(m.faceMaterials.size());
    py::object smooth = m.normals.empty() ? py::object(py::none()) : py::object(py::float_(m.smoothAngle));
    scene.meshes.push_back({m.index, NoteOf(m.source), NoteOf(m.added),
                            PointArray(std::move(m.points)), Adopt(std::move(m.faceSizes), {faces}),
                            Adopt(std::move(m.faceCorners), {corners}), m.brokenFaces, m.layer, m.argb,
                            SurfaceOf(m.surface), IndexOrNone(m.node), IndexOrNone(m.material),
                            PointArray(std::move(m.localPoints)),
                            faceMaterials ? py::object(Adopt(std::move(m.faceMaterials), {faceMaterials})) : py::object(py::none()),
                            RowsOrNone(std::move(m.uvs), 2), RowsOrNone(std::move(m.normals), 3), smooth});
  }
  for (PolylineData& l : run.polylines) {
    scene.polylines.push_back({l.index, NoteOf(l.source), NoteOf(l.added), PointArray(std::move(l.points)), l.closed,
                               l.layer, l.argb, SurfaceOf(l.surface), IndexOrNone(l.node), IndexOrNone(l.material),
                               PointArray(std::move(l.localPoints))});
  }
  TakeTree(run.look, scene);
  scene.units = run.unitScale == 1.0 ? "mm" : "cm";
  for (LayerData& l : run.layers) {
    scene.layers.push_back({l.id, SystemText(l.longName), SystemText(l.shortName), SystemTexts(l.path), l.config,
                            l.userDefined});
  }
  for (MessageData& m : run.messages) scene.messages.push_back({std::move(m.box), m.type, std::move(m.text)});
  const c4dimport::SessionCounters& s = run.session;
  scene.session = {s.total, s.converted, s.maxPolygons, s.convertLarge, s.cancelled};
  for (NotConvertedData& n : run.notConverted) scene.not_converted.emplace_back(std::move(n.name), std::move(n.reason));
  for (NotConvertedData& n : run.hidden) scene.hidden.emplace_back(std::move(n.name), std::move(n.reason));
  scene.host_error = run.hostError.empty() ? py::object(py::none()) : py::object(py::str(run.hostError));
  scene.timings["import"] = run.importSeconds;
  scene.timings["arrays"] = run.arraySeconds;
  return scene;
}

PyObject* g_sceneReadError = nullptr;

Scene ImportScene(const py::object& given, const std::string& large, bool primitives, bool hidden, bool renderLevel,
                  const py::object& layersGiven, const std::optional<ProgressCallback>& progress,
                  const std::string& units) {
  RefuseReentry();
  const std::string path = SystemPath(given);
  std::optional<std::string> layers;
  if (!layersGiven.is_none()) layers = SystemPath(layersGiven);
  const c4dimport::LargeAnswer answer = ParseLarge(large);
  const c4dexport::ExportScene::Units unit = ParseUnits(units);
  RunData run;
  {
    py::gil_scoped_release released;
    run = RunImport(path, answer, primitives, hidden, renderLevel, unit, layers,
                    progress ? *progress : ProgressCallback());
  }
  if (run.layersNotSaved) throw std::runtime_error(run.failures.back());
  if (!run.readable) {
    const std::string text = run.unreadableText.empty() ? path + ": the file could not be read" : run.unreadableText;
    PyErr_SetString(g_sceneReadError, text.c_str());
    throw py::error_already_set();
  }
  return MakeScene(given, std::move(run));
}

// ---- the scene as dicts and lists, with the keys of `c4dimport scene --json` ----------

// A float as the double of its shortest decimal text: 0.6f is 0.6, as the
// scene's JSON reads back.
double ShortestDouble(float value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() && std::isfinite(value) ? std::strtod(std::string(text, end).c_str(), nullptr)
                                                      : double(value);
}

py::list VectorList(const Vector& v) {
  py::list list;
  for (float c : {v.x, v.y, v.z}) list.append(ShortestDouble(c));
  return list;
}

py::list LayerDicts(const std::vector<c4dimport::SceneLayer>& layers) {
  py::list list;
  for (const auto& layer : layers) {
    py::dict d;
    d["name"] = layer.name;
    d["flags"] = py::cast(std::vector<int32_t>(layer.flags.begin(), layer.flags.end()));
    d["color"] = VectorList(layer.color);
    d["children"] = LayerDicts(layer.children);
    list.append(d);
  }
  return list;
}

py::list ObjectDicts(const std::vector<c4dimport::SceneObject>& objects) {
  py::list list;
  for (const auto& o : objects) {
    py::dict d;
    d["name"] = o.name;
    d["typeId"] = o.typeId;
    d["typeName"] = o.typeName;
    d["dataTypeId"] = o.dataTypeId;
    d["position"] = VectorList(o.position);
    d["rotation"] = VectorList(o.rotation);
    d["scale"] = VectorList(o.scale);
    py::list axes;
    for (const Vector& axis : o.axes) axes.append(VectorList(axis));
    d["axes"] = axes;
    d["color"] = VectorList(o.color);
    d["useColor"] = o.useColor;
    d["layer"] = o.layer ? py::object(py::str(*o.layer)) : py::object(py::none());
    if (o.closed) d["closed"] = *o.closed;
    if (o.light) {
      py::dict light;
      light["kind"] = o.light->kind;
      light["color"] = VectorList(o.light->color);
      light["brightness"] = ShortestDouble(o.light->brightness);
      d["light"] = light;
    }
    if (!o.notImported.empty()) d["notImported"] = o.notImported;
    if (!o.converter.empty()) d["converter"] = o.converter;
    d["hidden"] = !o.hidden.empty();
    if (!o.hidden.empty()) d["hiddenReason"] = o.hidden;
    py::list tags;
    for (const auto& tag : o.tags) {
      py::dict t;
      t["typeId"] = tag.typeId;
      t["typeName"] = tag.typeName;
      t["name"] = tag.name;
      if (tag.pointCount) t["pointCount"] = *tag.pointCount;
      if (tag.polygonCount) t["polygonCount"] = *tag.polygonCount;
      if (tag.namesMaterial) {
        t["material"] = tag.material ? py::object(py::str(*tag.material)) : py::object(py::none());
        t["restriction"] = tag.restriction;
        t["projection"] = tag.projection;
      }
      if (tag.selectedCount) t["selectedCount"] = *tag.selectedCount;
      if (tag.uvwCount) t["uvwCount"] = *tag.uvwCount;
      tags.append(t);
    }
    d["tags"] = tags;
    d["children"] = ObjectDicts(o.children);
    d["overrideCache"] = ObjectDicts(o.overrideCache);
    d["fallbackCache"] = ObjectDicts(o.fallbackCache);
    list.append(d);
  }
  return list;
}

py::dict SceneDict(const c4dimport::SceneData& scene, const py::object& file) {
  py::dict d;
  d["file"] = file;
  d["loaded"] = scene.loaded;
  d["error"] = scene.error;
  d["errorName"] = scene.errorName;
  if (!scene.opened) return d;
  d["version"] = scene.version;
  d["variant"] = scene.newerVariant ? "newer" : "classic";
  d["useMarkedCaches"] = scene.useMarkedCaches;
  py::list materials;
  for (const auto& m : scene.materials) {
    py::dict md;
    md["name"] = m.name;
    md["typeId"] = m.typeId;
    if (m.hasChannels) {
      md["channelStates"] = py::cast(m.channelStates);
      md["colorChannel"] = m.colorChannel;
      md["transparencyChannel"] = m.transparencyChannel;
      md["color"] = VectorList(m.color);
      md["transparency"] = ShortestDouble(m.transparency);
      if (!m.bitmap.empty()) md["bitmap"] = m.bitmap;
    }
    materials.append(md);
  }
  d["materials"] = materials;
  d["layers"] = LayerDicts(scene.layers);
  d["objects"] = ObjectDicts(scene.objects);
  return d;
}

py::object LoadScene(const py::object& given, bool strict) {
  RefuseReentry();
  const std::string path = SystemPath(given);
  c4dimport::SceneData scene;
  {
    py::gil_scoped_release released;
    SessionHold session;
    scene = c4dimport::LoadSceneData(path);
  }
  if (!scene.loaded && strict) {
    const std::string text = path + ": the scene could not be loaded (error " + std::to_string(scene.error) + " " +
                             scene.errorName + ")";
    PyErr_SetString(g_sceneReadError, text.c_str());
    throw py::error_already_set();
  }
  return SceneDict(scene, given);
}

py::object ReadPreview(const py::object& given) {
  const std::string path = SystemPath(given);
  std::vector<uint8_t> jpeg;
  c4dimport::PreviewRead read;
  {
    py::gil_scoped_release released;
    read = c4dimport::ReadPreviewImage(path, jpeg);
  }
  if (read == c4dimport::PreviewRead::Unreadable) {
    PyErr_SetString(g_sceneReadError, (path + ": cannot be read as a scene file").c_str());
    throw py::error_already_set();
  }
  if (read == c4dimport::PreviewRead::None) return py::none();
  return py::bytes(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
}

template <class T>
std::string Repr(const char* kind, const T& object, const std::string& more = "") {
  return std::string("<") + kind + " " + std::to_string(object.index) + ": " + std::to_string(object.points.shape(0)) +
         " points" + more + ", layer " + std::to_string(object.layer) + ">";
}

}  // namespace

PYBIND11_MODULE(tessaro_c4d, m) {
  m.doc() =
      "Old Cinema 4D scenes (.c4d) imported through Tessaro's import module.\n\n"
      "import_scene() runs one import session as Tessaro runs it and returns what reached the host;\n"
      "load_scene() returns the scene tree as the file holds it.";

  static py::exception<std::runtime_error> sceneReadError(m, "SceneReadError", PyExc_OSError);
  g_sceneReadError = sceneReadError.ptr();
  sceneReadError.doc() = "A file that is no scene or could not be read to its end; the text is the module's message.";

  py::class_<Mesh>(m, "Mesh", "A mesh the host received: points, polygons, layer and colour.")
      .def_readonly("index", &Mesh::index, "Place in the host's object vector (0-based).")
      .def_readonly("source", &Mesh::source, "The scene object it comes from, as a path: 'House / Walls'; or None.")
      .def_readonly("added", &Mesh::added,
                    "For a mesh the converter made after the import (a primitive rebuilt from its parameters), what\n"
                    "it is and what it leaves out; None for the module's own meshes.")
      .def_readonly("points", &Mesh::points, "Host points, (n, 3) float64: millimetres, Z up.")
      .def_readonly("face_sizes", &Mesh::face_sizes, "Corners of each face, int32.")
      .def_readonly("face_corners", &Mesh::face_corners,
                    "0-based point indices of every face's corners, one face after the other, int32.")
      .def_readonly("broken_faces", &Mesh::broken_faces, "Faces whose edges did not close into a ring (left out).")
      .def_readonly("layer", &Mesh::layer, "Id of the host layer (a Layer.id; 0: none).")
      .def_readonly("argb", &Mesh::argb, "(A, R, G, B): A is the transparency in percent, R, G, B 0 to 255.")
      .def_readonly("surface", &Mesh::surface, "The surface file the host got, or None.")
      .def_readonly("node", &Mesh::node, "Index of the Node it hangs under (scene.nodes), or None.")
      .def_readonly("local_points", &Mesh::local_points,
                    "The points in its node's frame, (n, 3) float64; equal to points without a node.")
      .def_readonly("material", &Mesh::material,
                    "Index into scene.materials of its material (of every face without face_materials); None for\n"
                    "a mesh the converter could not take over (a point beyond a float).")
      .def_readonly("face_materials", &Mesh::face_materials,
                    "Per face the index into scene.materials, int32; None when every face has `material`.")
      .def_readonly("uvs", &Mesh::uvs,
                    "Per corner (as face_corners) the texture coordinates, (corners, 2) float64, u right and v down\n"
                    "from the image's top left as the scene stores them; None when it has none.")
      .def_readonly("normals", &Mesh::normals,
                    "Per corner the unit normal in its node's frame, (corners, 3) float64; None when faceted.")
      .def_readonly("smooth_angle", &Mesh::smooth_angle,
                    "The angle (radians) the normals were smoothed by, 0 without a phong tag; None when faceted.")
      .def("__repr__", [](const Mesh& mesh) {
        return Repr("Mesh", mesh, ", " + std::to_string(mesh.face_sizes.shape(0)) + " faces");
      });

  py::class_<Polyline>(m, "Polyline", "A polyline the host received.")
      .def_readonly("index", &Polyline::index, "Place in the host's object vector (0-based).")
      .def_readonly("source", &Polyline::source, "The scene object it comes from, as a path; or None.")
      .def_readonly("added", &Polyline::added,
                    "For a polyline the converter made after the import (a spline drawn from its control points or\n"
                    "its parameters), what it is; None for the module's own polylines.")
      .def_readonly("points", &Polyline::points,
                    "Points, (n, 3) float64, without the repeated first point of a closed one.")
      .def_readonly("closed", &Polyline::closed, "The last point joins the first.")
      .def_readonly("layer", &Polyline::layer, "Id of the host layer (0: none).")
      .def_readonly("argb", &Polyline::argb, "(A, R, G, B) as for meshes.")
      .def_readonly("surface", &Polyline::surface, "The surface file, or None.")
      .def_readonly("node", &Polyline::node, "Index of the Node it hangs under, or None.")
      .def_readonly("material", &Polyline::material, "Index into scene.materials, or None.")
      .def_readonly("local_points", &Polyline::local_points, "The points in its node's frame, as for meshes.")
      .def("__repr__", [](const Polyline& line) { return Repr("Polyline", line); });

  py::class_<Layer>(m, "Layer", "A leaf of the host's layer table after the import.")
      .def_readonly("id", &Layer::id, "The id objects carry.")
      .def_readonly("long_name", &Layer::long_name)
      .def_readonly("short_name", &Layer::short_name, "At most 8 characters, unique in the table.")
      .def_readonly("path", &Layer::path, "Long names of the nodes above the leaf: ['Cinema4D', '<file>'].")
      .def_readonly("config", &Layer::config, "0 editable, 1 locked, 2 hidden.")
      .def_property_readonly("state", &Layer::State, "'editable', 'locked' or 'hidden'.")
      .def_readonly("user_defined", &Layer::user_defined)
      .def("__repr__", [](const Layer& l) { return py::str("<Layer {} {}>").format(l.id, l.long_name); });

  py::class_<Message>(m, "Message", "A message box the module showed.")
      .def_readonly("box", &Message::box, "'error', 'question' or 'report'.")
      .def_readonly("type", &Message::type, "Error: 0 error, 2 information; question: its button style.")
      .def_readonly("text", &Message::text)
      .def("__repr__", [](const Message& msg) { return "<Message " + msg.box + ": " + msg.text + ">"; });

  py::class_<Node>(m, "Node", "An object of the scene tree with its placement.")
      .def_readonly("name", &Node::name, "The object's name, unique among its siblings.")
      .def_readonly("path", &Node::path, "Names from the top: 'House / Walls'.")
      .def_readonly("parent", &Node::parent, "Index of the parent node, or None at the top.")
      .def_readonly("local", &Node::local,
                    "(4, 4) float64, row-major: its place under its parent (host axes, the unit asked for).")
      .def_readonly("world", &Node::world, "(4, 4) float64: the parent's world @ local.")
      .def_readonly("layer", &Node::layer, "The scene layer's name, or None.")
      .def_readonly("children", &Node::children, "Indices of the child nodes.")
      .def_readonly("meshes", &Node::meshes, "Indices into scene.meshes of the meshes it holds.")
      .def_readonly("polylines", &Node::polylines, "Indices into scene.polylines.")
      .def_readonly("camera", &Node::camera, "Index into scene.cameras, or None.")
      .def_readonly("light", &Node::light, "Index into scene.lights, or None.")
      .def("__repr__", [](const Node& n) { return py::str("<Node {}>").format(n.path); });

  py::class_<Material>(m, "Material", "A material of the output: the scene's own, or one per host colour.")
      .def_readonly("name", &Material::name, "Unique within the scene.")
      .def_readonly("colour", &Material::colour, "(r, g, b), 0 to 1.")
      .def_readonly("opacity", &Material::opacity, "0 to 1; below 1 is alpha blended.")
      .def_readonly("texture", &Material::texture, "The colour bitmap's file as found, or None.")
      .def_readonly("texture_name", &Material::texture_name, "The bitmap as the material names it, or None.")
      .def_readonly("from_scene", &Material::from_scene, "A material of the scene file (not a host colour).")
      .def("__repr__", [](const Material& mat) { return py::str("<Material {}>").format(mat.name); });

  py::class_<Camera>(m, "Camera", "A camera object; it looks along +Y of its node with +Z up.")
      .def_readonly("name", &Camera::name)
      .def_readonly("node", &Camera::node, "Index of its node.")
      .def_readonly("focal_length", &Camera::focal_length, "Millimetres.")
      .def_readonly("film_width", &Camera::film_width, "Millimetres.")
      .def_readonly("aspect", &Camera::aspect, "Width over height of its image.");

  py::class_<Light>(m, "Light", "A light object; spot and infinite lights shine along +Y of their node.")
      .def_readonly("name", &Light::name)
      .def_readonly("node", &Light::node, "Index of its node.")
      .def_readonly("kind", &Light::kind, "'point', 'spot', 'infinite' or 'area'.")
      .def_readonly("colour", &Light::colour, "(r, g, b), 0 to 1.")
      .def_readonly("brightness", &Light::brightness, "1 is the scene program's 100 %.")
      .def_readonly("inner_angle", &Light::inner_angle, "Spot: the whole inner angle, radians.")
      .def_readonly("outer_angle", &Light::outer_angle, "Spot: the whole outer angle, radians.")
      .def_readonly("note", &Light::note, "How it was approximated, or None.");

  py::class_<Session>(m, "Session", "The import session's counters.")
      .def_readonly("total", &Session::total, "Objects counted as convertible.")
      .def_readonly("converted", &Session::converted, "Objects the module converted (before the converter took out hidden ones).")
      .def_readonly("max_polygons", &Session::max_polygons, "Polygons of the largest counted mesh.")
      .def_readonly("convert_large", &Session::convert_large, "Meshes above the large-object limit were converted.")
      .def_readonly("cancelled", &Session::cancelled, "The progress dialog's Cancel button was pressed.");

  py::class_<Scene>(m, "ImportResult", "What one import session left in the host.")
      .def_readonly("path", &Scene::path)
      .def_readonly("meshes", &Scene::meshes)
      .def_readonly("polylines", &Scene::polylines)
      .def_readonly("layers", &Scene::layers, "Every leaf of the layer table, in table order.")
      .def_readonly("messages", &Scene::messages, "Every message box shown, in order.")
      .def_readonly("session", &Scene::session)
      .def_readonly("not_converted", &Scene::not_converted,
                    "(name, reason) of each counted object that reaches no output.")
      .def_readonly("hidden", &Scene::hidden,
                    "(name, reason) of each object left out because the scene hides it (import_scene(hidden=True)\n"
                    "keeps them).")
      .def_readonly("host_error", &Scene::host_error, "Report of a host error that ended the conversion, or None.")
      .def_readonly("failures", &Scene::failures,
                    "Steps after the import that failed (rebuilding primitives, naming what was not converted),\n"
                    "each with its message; what was converted before is kept.")
      .def_readonly("timings", &Scene::timings, "Seconds: 'import' in the module, 'arrays' to hand the result over.")
      .def_readonly("nodes", &Scene::nodes, "The scene tree: objects with their placement.")
      .def_readonly("materials", &Scene::materials)
      .def_readonly("cameras", &Scene::cameras)
      .def_readonly("lights", &Scene::lights)
      .def_readonly("notes", &Scene::notes, "Textures not found and the like, one line each.")
      .def_readonly("units", &Scene::units, "'mm' or 'cm': the unit of every length.")
      .def("__repr__", [](const Scene& s) {
        return "<ImportResult " + py::str(py::repr(s.path)).cast<std::string>() + ": " + std::to_string(s.meshes.size()) + " meshes, " +
               std::to_string(s.polylines.size()) + " polylines, " + std::to_string(s.layers.size()) + " layers>";
      });

  m.def("import_scene", &ImportScene, py::arg("path"), py::arg("large") = "no", py::arg("primitives") = true,
        py::arg("hidden") = false, py::arg("render_level") = false,
        py::arg("layers") = py::none(),
        py::arg("progress") = py::none(), py::arg("units") = "mm",
        "Imports a .c4d file through the module and the stand-in host, as `c4dimport import` does.\n\n"
        "large: the answer to the question about meshes above 500000 polygons: 'yes', 'no' or 'cancel'.\n"
        "primitives: primitives without polygon caches rebuilt from their parameters after the import and\n"
        "appended to the meshes, as the tool does (--no-primitives: False).\n"
        "hidden: keep the objects the scene hides (hidden in the editor or disabled), as --hidden does.\n"
        "render_level: subdivision surfaces at their render level, as --render-level does.\n"
        "layers: a layer table file kept across imports (as --layers), or None for a fresh table.\n"
        "progress: called as progress(converted, counted) while the module works; an exception it raises\n"
        "(KeyboardInterrupt too) cancels the import and is raised at once.\n"
        "units: 'mm' (the host's millimetres) or 'cm' (the scene's own numbers) for every length.\n"
        "path and layers: str, bytes or os.PathLike; result.path is path as given.\n"
        "Raises SceneReadError with the module's message when the file cannot be read.");
  m.def("read_preview", &ReadPreview, py::arg("path"),
        "The preview image (JPEG bytes) the scene program keeps in files of the newer variant from version 13\n"
        "on, as `c4dimport preview` writes it; None when the file holds none. Raises SceneReadError when the\n"
        "file is no scene file.");
  m.def("load_scene", &LoadScene, py::arg("path"), py::arg("strict") = true,
        "The scene tree as `c4dimport scene --json` shows it, as dicts and lists.\n\n"
        "strict: raise SceneReadError when the file cannot be loaded to its end; False returns what was read,\n"
        "with 'loaded' False and the file's 'error'.");
}
