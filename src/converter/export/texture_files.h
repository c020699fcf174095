// The bitmaps materials name, as the formats that reference or embed them
// need them: their kind from their first bytes, their bytes, and a path
// relative to the written file.
#pragma once
#include <string>

namespace c4dexport {

enum class ImageKind { Png, Jpeg, Other };

struct TextureFile {
  bool read = false;
  ImageKind kind = ImageKind::Other;
  std::string bytes;
};

TextureFile ReadTexture(const std::string& path);
// "image/png", "image/jpeg"; "" for other kinds.
const char* MimeType(ImageKind kind);

// The texture's path from the folder of `outputPath`, with "/" between names.
std::string RelativeTexturePath(const std::string& texturePath, const std::string& outputPath);
// A relative path as a URI reference: every byte but letters, digits, "-._~/" as %XX.
std::string PercentEncoded(const std::string& path);

}  // namespace c4dexport
