// The editor's view camera of a scene file, for the export model: read with
// the scene library and turned into the host's frame as the import turns
// points (centimetres to millimetres, y and z swapped).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export_model.h"

namespace c4dimport {

// Null when the file holds no perspective view camera. The image's aspect is
// that of the file's preview when it has one.
std::optional<c4dexport::ExportCamera> ViewCameraOf(const std::string& path);

// What reading a file's preview image found.
enum class PreviewRead { Found, Unreadable, None };
// The JPEG the scene program keeps in a file of the newer variant (version 13
// on), byte for byte as stored.
PreviewRead ReadPreviewImage(const std::string& path, std::vector<uint8_t>& jpeg);

// The width and height of a JPEG from its frame header; false when none is found.
bool JpegSize(const std::vector<uint8_t>& jpeg, unsigned& width, unsigned& height);

}  // namespace c4dimport
