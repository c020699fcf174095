// Materials with their channel states and parameters, and the material list.
// The conversion uses the states of the colour and transparency channels and
// the parameters 2100 (colour) and 2401 (transparency).
#pragma once
#include <cstdint>
#include <string>

#include "c4d_node.h"

enum : int32_t {
  MATERIAL_TYPE = 5703,        // type id and the id of the channel chunk
  CHUNK_MATERIAL_BASE = 110012,
  MATERIAL_COLOR = 2100,       // vector parameter
  MATERIAL_COLOR_BRIGHTNESS = 2101,  // real parameter
  MATERIAL_COLOR_SHADER = 8000,  // link to the colour channel's shader (files of version 7500 on)
  MATERIAL_LUMINANCE_SHADER = 8002,  // link to the luminance channel's shader
  CHANNEL_LUMINANCE = 1,
  MATERIAL_TRANSPARENCY = 2401,  // real parameter
  CHANNEL_COLOR = 0,
  CHANNEL_TRANSPARENCY = 2,
};

constexpr int32_t kMaterialChannelCount = 14;

// A material channel; never filled while a file is read.
class C4DBaseChannel : public PrivateChunk {
 public:
  GeContainer data;
};

class C4DBaseMaterial : public C4DBaseList4D {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  virtual int32_t Execute() { return 1; }
};

class C4DMaterial : public C4DBaseMaterial {
 public:
  C4DMaterial() { typeId = MATERIAL_TYPE; }
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;

  // Channel 0..12 gives its state, -1 the fourteenth state, others 0.
  int32_t GetChannelState(int32_t channel) const;
  // Parameter 2100, (0, 0, 0) when absent.
  Vector GetColor() const;
  // Parameter 2401, 0 when absent.
  float GetTransparency() const;
  // Parameter 2101, 1 when absent.
  float GetColorBrightness() const;
  // The file name of the colour channel's bitmap as stored, "" when there is
  // none: the shader that parameter 8000 links to, or the first shader below
  // it, depth first, that names a file (layer and filter shaders keep their
  // inputs in their own shader list).
  std::string ColorBitmap() const;
  // The same for the luminance channel (channel 1, parameter 8002).
  std::string LuminanceBitmap() const;

  C4DBaseChannel channels[kMaterialChannelCount];
  int32_t channelStates[kMaterialChannelCount] = {};

 protected:
  const char* DefaultName() const override { return "Mat"; }

 private:
  bool ReadChannelChunk(GeChunkFile& file);
  bool ReadOldChannelChunk(GeChunkFile& file, int32_t level);
};

// The material list. The library's class accepts no material; the default
// factory's list (C4DDefaultRootMaterial) and the module's accept chunk 5703.
class C4DRootMaterial : public C4DRootList2D {
 public:
  bool Read(GeChunkFile& file, int32_t chunkId, int32_t level) override;
  C4DBaseMaterial* AllocChild(int32_t typeId) override { (void)typeId; return nullptr; }

  C4DBaseMaterial* GetFirstMaterial() const { return static_cast<C4DBaseMaterial*>(GetFirst()); }
  C4DNodeRange<C4DBaseMaterial> Materials() const { return C4DNodeRange<C4DBaseMaterial>(&children); }
};

// The library's own material list: asks its factory's NewMaterial.
class C4DDefaultRootMaterial : public C4DRootMaterial {
 public:
  C4DBaseMaterial* AllocChild(int32_t typeId) override;
};
