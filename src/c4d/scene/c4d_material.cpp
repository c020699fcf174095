#include "c4d_material.h"

#include "c4d_object.h"
#include "c4d_scene_factory.h"
#include "scene_read.h"

using scene_read::ReadValueSequence;

// ---- C4DBaseMaterial -------------------------------------------------------------

bool C4DBaseMaterial::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseList4D::Read(file, chunkId, level)) return true;
  if (chunkId != CHUNK_MATERIAL_BASE) return false;
  const bool oldLayout = file.GetFileVersion() < kNewLayoutVersion;
  String text;
  if (file.ReadString(text) && oldLayout) scene_read::CopyText(file, name, text);
  for (int i = 0; i < 3; ++i) file.SkipPrivateBlock();
  if (oldLayout) {
    if (level >= 1) {
      GeContainer dropped;
      ReadContainer(file, dropped, false);
    }
    if (level >= 2) ReadValueSequence(file, "B", nullptr);
  }
  file.SkipChunkRest();
  return true;
}

// ---- C4DMaterial ----------------------------------------------------------------------

bool C4DMaterial::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DBaseMaterial::Read(file, chunkId, level)) return true;
  if (chunkId != MATERIAL_TYPE) return false;
  if (file.GetFileVersion() >= kNewLayoutVersion) return ReadChannelChunk(file);
  return ReadOldChannelChunk(file, level);
}

bool C4DMaterial::ReadChannelChunk(GeChunkFile& file) {
  // Each channel: its state, then one block of chunks that come back to this
  // material's Read. Files before the fourteen-channel version stop after
  // the thirteenth.
  const int32_t channelCount = file.GetFileVersion() >= kFourteenChannelVersion ? 14 : 13;
  for (int32_t k = 0; k < channelCount; ++k) {
    file.ReadBool(channelStates[k]);
    file.ReadNodeChunks(this, true);
  }
  file.SkipChunkRest();
  return true;
}

bool C4DMaterial::ReadOldChannelChunk(GeChunkFile& file, int32_t level) {
  const int32_t stateCount = level >= 1 ? 13 : 12;
  for (int32_t k = 0; k < stateCount; ++k) file.ReadBool(channelStates[k]);
  // The old channel parameters, all dropped.
  ReadValueSequence(file, "2B 5F B V 3B 2F I 5F B 2F", nullptr);
  if (level >= 1) ReadValueSequence(file, "2B", nullptr);
  if (level >= 2) ReadValueSequence(file, "B", nullptr);
  if (level >= 3) {
    GeContainer dropped;
    ReadContainer(file, dropped, false);
  }
  if (level >= 4) ReadValueSequence(file, "B", nullptr);
  file.SkipChunkRest();
  return true;
}

int32_t C4DMaterial::GetChannelState(int32_t channel) const {
  if (channel == -1) return channelStates[13];
  if (channel >= 0 && channel <= 12) return channelStates[channel];
  return 0;
}

Vector C4DMaterial::GetColor() const { return data.FindVector(MATERIAL_COLOR, Vector{0.0f, 0.0f, 0.0f}); }

float C4DMaterial::GetTransparency() const { return data.FindFloat32(MATERIAL_TRANSPARENCY, 0.0f); }

float C4DMaterial::GetColorBrightness() const { return data.FindFloat32(MATERIAL_COLOR_BRIGHTNESS, 1.0f); }

namespace {

// A bitmap shader names its file as entry 1000.
constexpr int32_t kShaderFileEntry = 1000;
// A hostile file may nest shaders deeply; the search stops this far down.
constexpr int kMaxShaderDepth = 16;

std::string FirstBitmap(const C4DBaseList2D& shader, int depth) {
  const GeValue& file = shader.data.FindValue(kShaderFileEntry);
  if (file.GetType() == GEVALUE_STRING && !file.AsString().IsEmpty()) return file.AsString().To8Bit();
  if (depth >= kMaxShaderDepth) return {};
  for (const C4DBaseList2D* input : shader.shaders.Nodes()) {
    std::string found = FirstBitmap(*input, depth + 1);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

namespace {

std::string LinkedBitmap(const GeContainer& data, int32_t link) {
  const auto* shader = dynamic_cast<const C4DXBaseShader*>(data.FindValue(link).AsLinkTarget());
  return shader ? FirstBitmap(*shader, 0) : std::string();
}

}  // namespace

std::string C4DMaterial::ColorBitmap() const { return LinkedBitmap(data, MATERIAL_COLOR_SHADER); }

std::string C4DMaterial::LuminanceBitmap() const { return LinkedBitmap(data, MATERIAL_LUMINANCE_SHADER); }

// ---- material lists ----------------------------------------------------------------------

bool C4DRootMaterial::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId == CHUNK_LIST) return C4DRootList2D::Read(file, chunkId, level);
  if (chunkId != MATERIAL_TYPE) return false;
  C4DBaseMaterial* material = scene_read::NewNode(file, [&] { return AllocChild(chunkId); });
  if (!material) return file.GetError() != FILEERROR_NONE;
  material->factory = factory;
  if (!file.ReadChunkList(material, true, false)) {
    delete material;
    return false;
  }
  Append(material);
  return true;
}

C4DBaseMaterial* C4DDefaultRootMaterial::AllocChild(int32_t typeId) {
  (void)typeId;
  return Factory().NewMaterial();
}
