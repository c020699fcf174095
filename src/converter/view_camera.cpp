#include "view_camera.h"

#include "document_view.h"

namespace c4dimport {

namespace {

// The import's mapping of the scene's frame to the host's, without the scale for directions.
c4dexport::Point3 HostOf(const Vector64& v, double scale) { return {v.x * scale, v.z * scale, v.y * scale}; }

}  // namespace

bool JpegSize(const std::vector<uint8_t>& jpeg, unsigned& width, unsigned& height) {
  // Markers after the start of image, each with a 16-bit length, up to a
  // start-of-frame marker (C0 to CF but for C4, C8 and CC).
  for (size_t at = 2; at + 9 <= jpeg.size() && jpeg[at] == 0xFF;) {
    const uint8_t marker = jpeg[at + 1];
    const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      height = unsigned(jpeg[at + 5]) << 8 | jpeg[at + 6];
      width = unsigned(jpeg[at + 7]) << 8 | jpeg[at + 8];
      return width > 0 && height > 0;
    }
    if (length < 2) return false;
    at += 2 + length;
  }
  return false;
}

PreviewRead ReadPreviewImage(const std::string& path, std::vector<uint8_t>& jpeg) {
  GeChunkFile file;
  if (!file.Open(path.c_str())) return PreviewRead::Unreadable;
  return ReadDocumentPreview(file, jpeg) ? PreviewRead::Found : PreviewRead::None;
}

std::optional<c4dexport::ExportCamera> ViewCameraOf(const std::string& path) {
  C4DViewCamera view;
  {
    GeChunkFile file;
    if (!file.Open(path.c_str()) || !ReadViewCamera(file, view)) return std::nullopt;
  }
  c4dexport::ExportCamera camera;
  camera.position = HostOf(view.matrix.off, 10.0);
  camera.forward = HostOf(view.matrix.zAxis, 1.0);
  camera.up = HostOf(view.matrix.yAxis, 1.0);
  camera.horizontalFov = view.HorizontalFov();
  GeChunkFile file;
  std::vector<uint8_t> jpeg;
  unsigned width = 0, height = 0;
  if (file.Open(path.c_str()) && ReadDocumentPreview(file, jpeg) && JpegSize(jpeg, width, height)) {
    camera.aspect = double(width) / height;
  }
  return camera;
}

}  // namespace c4dimport
