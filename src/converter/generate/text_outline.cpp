#include "text_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ge_container.h"

#ifndef C4D_FALLBACK_FONT
#define C4D_FALLBACK_FONT ""
#endif

namespace c4dgen {

namespace {

using c4dprim::SplineRead;
using c4dprim::SplineSegment;
using c4dprim::SplineShape;

// A font folder may hold any number of files; the look-up reads this many at most.
constexpr size_t kMaxFontFiles = 20000;
constexpr FT_Long kMaxFacesPerFile = 64;
// The adaptive splines' angle: a curve gets one more point per 5 degrees it turns.
constexpr double kAngleStep = 5.0 / 180.0 * 3.14159265358979323846;
constexpr int kMaxPiecesPerCurve = 32;

struct LibraryCloser {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

Library OpenLibrary() {
  FT_Library library = nullptr;
  return Library(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

Face OpenFace(FT_Library library, const std::string& path, FT_Long index) {
  FT_Face face = nullptr;
  return Face(FT_New_Face(library, path.c_str(), index, &face) == 0 ? face : nullptr);
}

std::string Lowered(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct FontFace {
  std::string family;  // lower case
  std::string path;
  FT_Long index = 0;
  int weight = 400;  // 100 thin .. 900 black
  bool italic = false;
};

std::vector<std::filesystem::path> FontFolders() {
  std::vector<std::filesystem::path> folders{"/usr/share/fonts", "/usr/local/share/fonts"};
  if (const char* home = std::getenv("HOME")) {
    folders.emplace_back(std::string(home) + "/.local/share/fonts");
    folders.emplace_back(std::string(home) + "/.fonts");
  }
  return folders;
}

bool IsFontFile(const std::filesystem::path& path) {
  const std::string extension = Lowered(path.extension().string());
  return extension == ".ttf" || extension == ".otf" || extension == ".ttc";
}

void AddFaces(FT_Library library, const std::string& path, std::vector<FontFace>& faces) {
  FT_Long count = 1;
  for (FT_Long i = 0; i < count && i < kMaxFacesPerFile; ++i) {
    const Face face = OpenFace(library, path, i);
    if (!face) return;
    count = face->num_faces;
    if (!face->family_name) continue;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
    const int weight = os2 ? os2->usWeightClass : (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    faces.push_back({Lowered(face->family_name), path, i, weight, (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0});
  }
}

// Every face in the font folders, read once per process.
const std::vector<FontFace>& InstalledFaces() {
  static const std::vector<FontFace> faces = [] {
    std::vector<FontFace> found;
    const Library library = OpenLibrary();
    if (!library) return found;
    size_t files = 0;
    for (const std::filesystem::path& folder : FontFolders()) {
      std::error_code error;
      std::filesystem::recursive_directory_iterator it(folder, error), end;
      for (; !error && it != end && files < kMaxFontFiles; it.increment(error)) {
        if (!it->is_regular_file(error) || !IsFontFile(it->path())) continue;
        ++files;
        AddFaces(library.get(), it->path().string(), found);
      }
    }
    return found;
  }();
  return faces;
}

// The face of `family` closest to the weight and slant asked for, or null.
const FontFace* FindFace(const std::string& family, int weight, bool italic) {
  const FontFace* best = nullptr;
  int bestScore = std::numeric_limits<int>::min();
  for (const FontFace& face : InstalledFaces()) {
    if (face.family != Lowered(family)) continue;
    const int score = (face.italic == italic) * 1000 - std::abs(face.weight - weight);
    if (score > bestScore) best = &face, bestScore = score;
  }
  return best;
}

struct TextRequest {
  std::vector<std::u32string> lines;
  size_t characters = 0;
  double height = 200;
  int32_t alignment = 0;
  std::string family;
  int32_t weight = 400;
  bool italic = false;
};

// The string's 16-bit units as characters, split into lines at "\r" (and "\n").
void ReadLines(const String& text, TextRequest& request) {
  request.lines.emplace_back();
  for (int32_t i = 0; i < text.GetLength(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.GetLength() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c == U'\r' || c == U'\n') {
      if (c == U'\n' && i > 0 && text[i - 1] == u'\r') continue;
      request.lines.emplace_back();
    } else {
      request.lines.back().push_back(c);
      ++request.characters;
    }
  }
}

TextRequest ReadRequest(const GeContainer& data) {
  TextRequest request;
  const GeValue& text = data.FindValue(TEXT_STRING);
  ReadLines(text.GetType() == GEVALUE_STRING ? text.AsString() : String(), request);
  request.height = data.FindFloat32(TEXT_HEIGHT, 200.0f);
  request.alignment = data.FindInt32(TEXT_ALIGNMENT, 0);
  if (const GeContainer* font = data.FindSubContainer(TEXT_FONT)) {
    const GeValue& family = font->FindValue(FONT_FAMILY);
    if (family.GetType() == GEVALUE_STRING) request.family = family.AsString().To8Bit();
    request.weight = std::clamp(font->FindInt32(FONT_WEIGHT, 400), 1, 1000);
    request.italic = font->FindInt32(FONT_ITALIC, 0) != 0;
  }
  return request;
}

double Turn(double ux, double uy, double vx, double vy) {
  if ((ux == 0 && uy == 0) || (vx == 0 && vy == 0)) return 0;
  return std::atan2(std::abs(ux * vy - uy * vx), ux * vx + uy * vy);
}

int Pieces(double turn) { return std::clamp(int(std::ceil(turn / kAngleStep)), 1, kMaxPiecesPerCurve); }

// Collects a glyph's contours, curves flattened, placed at the pen and scaled.
struct Flattener {
  std::vector<SplineSegment>& segments;
  double penX = 0, penY = 0, scale = 1;
  double x = 0, y = 0;  // the current point, in font units of the glyph
  size_t points = 0;

  void Add(double px, double py) {
    segments.back().points.push_back({(penX + px) * scale, (penY + py) * scale, 0});
    x = px, y = py;
    ++points;
  }
  void Close() {
    if (segments.empty()) return;
    std::vector<Vector64>& contour = segments.back().points;
    const auto same = [](const Vector64& a, const Vector64& b) { return a.x == b.x && a.y == b.y; };
    if (contour.size() > 1 && same(contour.front(), contour.back())) contour.pop_back(), --points;
    if (contour.size() < 2) points -= contour.size(), segments.pop_back();
  }

  static Flattener& Of(void* user) { return *static_cast<Flattener*>(user); }
  static int MoveTo(const FT_Vector* to, void* user) {
    Flattener& f = Of(user);
    f.Close();
    f.segments.push_back({{}, true});
    f.Add(double(to->x), double(to->y));
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    Of(user).Add(double(to->x), double(to->y));
    return 0;
  }
  static int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
    Flattener& f = Of(user);
    const double x0 = f.x, y0 = f.y, cx = double(c->x), cy = double(c->y), x1 = double(to->x), y1 = double(to->y);
    const int n = Pieces(Turn(cx - x0, cy - y0, x1 - cx, y1 - cy));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, s = 1 - t;
      f.Add(s * s * x0 + 2 * s * t * cx + t * t * x1, s * s * y0 + 2 * s * t * cy + t * t * y1);
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    Flattener& f = Of(user);
    const double x0 = f.x, y0 = f.y, ax = double(c1->x), ay = double(c1->y), bx = double(c2->x), by = double(c2->y);
    const double x1 = double(to->x), y1 = double(to->y);
    const int n = Pieces(Turn(ax - x0, ay - y0, bx - ax, by - ay) + Turn(bx - ax, by - ay, x1 - bx, y1 - by));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, s = 1 - t;
      const double k0 = s * s * s, k1 = 3 * s * s * t, k2 = 3 * s * t * t, k3 = t * t * t;
      f.Add(k0 * x0 + k1 * ax + k2 * bx + k3 * x1, k0 * y0 + k1 * ay + k2 * by + k3 * y1);
    }
    return 0;
  }
};

// Font units: the glyph's advance and the kerning before it.
struct PlacedGlyph {
  FT_UInt index = 0;
  double x = 0;
};

std::vector<PlacedGlyph> LayOutLine(FT_Face face, const std::u32string& line, double& width) {
  std::vector<PlacedGlyph> glyphs;
  glyphs.reserve(line.size());
  double pen = 0;
  FT_UInt previous = 0;
  for (const char32_t c : line) {
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
    FT_Vector kerning{0, 0};
    if (previous && FT_HAS_KERNING(face)) FT_Get_Kerning(face, previous, index, FT_KERNING_UNSCALED, &kerning);
    pen += double(kerning.x);
    glyphs.push_back({index, pen});
    FT_Fixed advance = 0;
    if (FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &advance) == 0) pen += double(advance);
    previous = index;
  }
  width = pen;
  return glyphs;
}

// Sets the lines in `face`, the em scaled to `request.height`; false when the
// points would be more than a spline may have.
bool SetText(FT_Face face, const TextRequest& request, std::vector<SplineSegment>& segments) {
  static const FT_Outline_Funcs kFuncs{&Flattener::MoveTo, &Flattener::LineTo, &Flattener::ConicTo,
                                       &Flattener::CubicTo, 0, 0};
  Flattener flattener{segments};
  flattener.scale = request.height / double(face->units_per_EM ? face->units_per_EM : 1000);
  const double lineHeight = double(face->height ? face->height : face->units_per_EM);
  for (size_t row = 0; row < request.lines.size(); ++row) {
    double width = 0;
    const std::vector<PlacedGlyph> glyphs = LayOutLine(face, request.lines[row], width);
    const double start = request.alignment == 1 ? -width / 2 : request.alignment == 2 ? -width : 0;
    flattener.penY = -double(row) * lineHeight;
    for (const PlacedGlyph& glyph : glyphs) {
      if (FT_Load_Glyph(face, glyph.index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) continue;
      if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
      flattener.penX = start + glyph.x;
      FT_Outline_Decompose(&face->glyph->outline, &kFuncs, &flattener);
      flattener.Close();
      if (flattener.points > c4dprim::kMaxSplinePoints) return false;
    }
  }
  return true;
}

}  // namespace

SplineRead TextOutline(const GeContainer& data) {
  const TextRequest request = ReadRequest(data);
  if (request.characters > kMaxTextCharacters) {
    return SplineRead::Refused("a text of " + std::to_string(request.characters) + " characters (more than " +
                   std::to_string(kMaxTextCharacters) + ")");
  }
  if (!(request.height > 0) || !std::isfinite(request.height)) {
    return SplineRead::Refused("a text height of " + std::to_string(request.height) + " (not above 0)");
  }
  const Library library = OpenLibrary();
  if (!library) return SplineRead::Refused("the font library could not be started");
  const FontFace* found = request.family.empty() ? nullptr : FindFace(request.family, request.weight, request.italic);
  const Face face = found ? OpenFace(library.get(), found->path, found->index)
                          : OpenFace(library.get(), C4D_FALLBACK_FONT, 0);
  if (!face) return SplineRead::Refused(std::string("no font to set the text in (") + C4D_FALLBACK_FONT + " cannot be read)");
  SplineShape shape;
  if (!found) {
    const std::string standIn = face->family_name ? face->family_name : C4D_FALLBACK_FONT;
    shape.notes.push_back((request.family.empty() ? std::string("no font given")
                                                  : "font " + request.family + " not found") +
                          ": " + standIn + " stood in");
  }
  if (!SetText(face.get(), request, shape.segments)) {
    return SplineRead::Refused("a text outline of more than " + std::to_string(c4dprim::kMaxSplinePoints) + " points");
  }
  SplineRead read;
  read.shape = std::move(shape);
  return read;
}

}  // namespace c4dgen
