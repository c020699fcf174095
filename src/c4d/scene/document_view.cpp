#include "document_view.h"

#include <cmath>

#include "ge_container.h"
#include "scene_read.h"

namespace {

enum : int32_t {
  CHUNK_DOCUMENT = 110059,
  CHUNK_HEADER = 110024,
  CHUNK_VIEWS = 110123,  // the document's view list and the lists around it
  CHUNK_LIST_HEAD = 110100,
  CHUNK_VIEW_FRAME = 110306,
  CHUNK_VIEW_LIST = 110124,
  CHUNK_VIEW = 110305,  // a view at level 0; its camera at a higher level inside it
};

// The view camera's parameters.
enum : int32_t { kProjection = 1001, kFocalLength = 500, kApertureWidth = 1006 };
constexpr int32_t kPerspective = 0;

bool EnterChunk(GeChunkFile& file, int32_t& id, int32_t& level) {
  uint8_t tag = 0;
  return file.ReadByte(tag) && tag == TAG_CHUNK_START && file.ReadChunkHeader(id, level);
}

bool OnTheWayToViews(int32_t id) {
  return id == CHUNK_DOCUMENT || id == CHUNK_VIEWS || id == CHUNK_LIST_HEAD || id == CHUNK_VIEW_FRAME ||
         id == CHUNK_VIEW_LIST || id == CHUNK_VIEW;
}

bool Finite(const Vector64& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The camera chunk inside a view: a name, the parameters, then position,
// scale and rotation. False when it is no perspective camera.
bool ReadCamera(GeChunkFile& file, C4DViewCamera& camera) {
  String name;
  GeContainer data;
  Vector64 position, scale, rotation;
  if (!file.ReadString(name) || !ReadContainer(file, data, false) || !file.ReadVector64(position) ||
      !file.ReadVector64(scale) || !file.ReadVector64(rotation) || !Finite(position) || !Finite(rotation)) {
    return false;
  }
  if (data.FindInt32(kProjection, kPerspective) != kPerspective) return false;
  // The view's scale does not change what it sees.
  camera.matrix = scene_read::LocalMatrix(position, rotation, Vector64{1, 1, 1});
  const double focal = data.FindFloat32(kFocalLength, 36.0f), aperture = data.FindFloat32(kApertureWidth, 36.0f);
  if (focal > 0 && aperture > 0 && std::isfinite(focal) && std::isfinite(aperture)) {
    camera.focalLength = focal;
    camera.apertureWidth = aperture;
  }
  return true;
}

// The rest of the chunk just entered, entering only the chunks that lead to
// the views; stops at the first perspective camera.
bool FindCamera(GeChunkFile& file, C4DViewCamera& camera, bool& found) {
  if (!file.EnterNesting()) return false;
  bool ok = true;
  while (ok && !found) {
    uint8_t tag = 0;
    int32_t id = 0, level = 0;
    if (!file.ReadByte(tag)) {
      ok = false;
    } else if (tag == TAG_CHUNK_END) {
      break;
    } else if (tag != TAG_CHUNK_START) {
      ok = file.SkipValue(tag);
    } else if (!file.ReadChunkHeader(id, level)) {
      ok = false;
    } else if (id == CHUNK_VIEW && level > 0) {
      found = ReadCamera(file, camera);
      ok = found || file.SkipChunkRest();
    } else {
      ok = OnTheWayToViews(id) ? FindCamera(file, camera, found) : file.SkipChunkRest();
    }
  }
  file.LeaveNesting();
  return ok;
}

}  // namespace

double C4DViewCamera::HorizontalFov() const { return 2.0 * std::atan(apertureWidth / (2.0 * focalLength)); }

bool ReadDocumentPreview(GeChunkFile& file, std::vector<uint8_t>& jpeg) {
  jpeg.clear();
  int32_t id = 0, level = 0, version = 0, flag = 0;
  uint8_t next = 0;
  if (!EnterChunk(file, id, level) || id != CHUNK_DOCUMENT || !EnterChunk(file, id, level) || id != CHUNK_HEADER ||
      level < 2 || !file.ReadInt32(version) || !file.ReadBool(flag) || !file.ReadBool(flag) ||
      !file.PeekByte(next) || next != TAG_PRIVATE || !file.ReadPrivateBlock(jpeg)) {
    jpeg.clear();
    return false;
  }
  // A JPEG starts with the start-of-image marker and a marker after it.
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8 || jpeg[2] != 0xFF) jpeg.clear();
  return !jpeg.empty();
}

bool ReadViewCamera(GeChunkFile& file, C4DViewCamera& camera) {
  int32_t id = 0, level = 0;
  bool found = false;
  if (!EnterChunk(file, id, level) || id != CHUNK_DOCUMENT) return false;
  FindCamera(file, camera, found);
  return found;
}
