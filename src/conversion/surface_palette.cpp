#include "surface_palette.h"

#include <cmath>
#include <cstdio>

#include "float_bytes.h"

const PaletteColour kSurfacePalette[16] = {
    {255, 255, 255}, {0, 0, 0},       {255, 255, 0},   {0, 255, 0},
    {0, 255, 255},   {255, 0, 255},   {255, 0, 0},     {0, 0, 255},
    {255, 128, 0},   {240, 240, 180}, {220, 255, 100}, {200, 200, 50},
    {200, 150, 50},  {200, 100, 50},  {150, 100, 50},  {130, 30, 80},
};

int QuantizeTransparency(uint8_t percent) {
  static const int kLevels[] = {25, 50, 75};
  const int t = percent;
  int best = 0;
  int bestDistance = t < 100 ? t : 100;
  for (int level : kLevels) {
    const int distance = std::abs(level - t);
    if (distance < bestDistance) {
      best = level;
      bestDistance = distance;
    }
  }
  return best;
}

namespace {
double Deviation(uint8_t palette, uint8_t value) {
  return std::fabs(double(palette) - double(value)) / (double(palette) + 1.0);
}
}  // namespace

int NearestPaletteIndex(uint8_t r, uint8_t g, uint8_t b) {
  int best = 0;
  double bestR = Deviation(kSurfacePalette[0].r, r);
  double bestG = Deviation(kSurfacePalette[0].g, g);
  double bestB = Deviation(kSurfacePalette[0].b, b);
  for (int i = 1; i < 16; ++i) {
    const double dR = Deviation(kSurfacePalette[i].r, r);
    const double dG = Deviation(kSurfacePalette[i].g, g);
    const double dB = Deviation(kSurfacePalette[i].b, b);
    if (dR < bestR + 0.1 && dG < bestG + 0.1 && dB < bestB + 0.1) {
      best = i;
      bestR = dR;
      bestG = dG;
      bestB = dB;
    }
  }
  return best;
}

std::string TransparencySurfaceName(float red, float green, float blue, float transparency) {
  const int level = QuantizeTransparency(PercentByte(transparency));
  if (level == 0) return std::string();
  const int index = NearestPaletteIndex(ColourByte(red), ColourByte(green), ColourByte(blue));
  char name[64];
  std::snprintf(name, sizeof name, "Transparency\\col%02d_trans%03d", index, level);
  return std::string(name) + ".surf";
}
