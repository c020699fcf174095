// The surface files for transparent meshes: a colour is matched to one of 16
// palette entries and the transparency to one of four levels; together they
// name a surface file "Transparency\colNN_transNNN.surf" that the host knows.
#pragma once
#include <cstdint>
#include <string>

struct PaletteColour {
  uint8_t r, g, b;
};

extern const PaletteColour kSurfacePalette[16];

// One of 0, 25, 50, 75 for a percentage byte.
int QuantizeTransparency(uint8_t percent);

// The palette entry a colour is filed under. Deviations are relative to the
// palette value, so a dark palette channel is matched more strictly.
int NearestPaletteIndex(uint8_t r, uint8_t g, uint8_t b);

// The surface file name for a colour and transparency, or an empty string
// when the transparency rounds to level 0 (the object gets no surface).
std::string TransparencySurfaceName(float red, float green, float blue, float transparency);
