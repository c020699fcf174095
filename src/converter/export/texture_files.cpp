#include "texture_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace c4dexport {

TextureFile ReadTexture(const std::string& path) {
  TextureFile texture;
  std::ifstream in(path, std::ios::binary);
  if (!in) return texture;
  texture.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  texture.read = !in.bad();
  if (texture.bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    texture.kind = ImageKind::Png;
  } else if (texture.bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) {
    texture.kind = ImageKind::Jpeg;
  }
  return texture;
}

const char* MimeType(ImageKind kind) {
  switch (kind) {
    case ImageKind::Png: return "image/png";
    case ImageKind::Jpeg: return "image/jpeg";
    default: return "";
  }
}

std::string RelativeTexturePath(const std::string& texturePath, const std::string& outputPath) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::absolute(fs::path(outputPath), error).parent_path();
  const fs::path texture = fs::absolute(fs::path(texturePath), error);
  fs::path relative = texture.lexically_relative(folder);
  if (relative.empty()) relative = texture;
  return relative.generic_string();
}

std::string PercentEncoded(const std::string& path) {
  std::string out;
  for (const unsigned char c : path) {
    const bool letterOrDigit = (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    if (letterOrDigit || std::string_view("-._~/").find(char(c)) != std::string_view::npos) {
      out += char(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

}  // namespace c4dexport
