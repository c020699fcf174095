#include "c4d_object_data.h"

#include <algorithm>
#include <numbers>

#include "ge_alloc.h"
#include "scene_read.h"

using scene_read::ReadValueSequence;

bool IsPrimitiveDataType(int32_t dataTypeId) {
  switch (dataTypeId) {
    case 5159: case 5160: case 5162: case 5163: case 5167: case 5168: case 5170:
      return true;
    default:
      return false;
  }
}

bool IsKnownDataType(int32_t dataTypeId) {
  switch (dataTypeId) {
    case DATA_POLYGON: case DATA_LIGHT: case DATA_CAMERA: case DATA_FLOOR: case DATA_SKY:
    case DATA_ENVIRONMENT: case DATA_FOREGROUND: case DATA_BACKGROUND: case DATA_INSTANCE:
    case DATA_NULL:
      return true;
    default:
      return IsPrimitiveDataType(dataTypeId);
  }
}

// ---- point and polygon data ---------------------------------------------------

namespace {

// One selection chunk embedded in the chunk being read.
bool ReadSelectionChunk(GeChunkFile& file, BaseSelect& selection) {
  if (selection.ReadEmbedded(file)) file.SkipChunkRest();
  return true;
}

}  // namespace

bool C4DPointObjectData::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  (void)level;
  switch (chunkId) {
    case 110117: return ReadSelectionChunk(file, pointSelection);
    case 110118: return ReadSelectionChunk(file, hiddenPoints);
    default: return false;
  }
}

const Vector* C4DPointObjectData::GetPoints() const {
  auto* tag = owner ? static_cast<PrivateC4DPointTag*>(owner->GetTag(TAG_TYPE_POINT)) : nullptr;
  return tag ? tag->points : nullptr;
}

int32_t C4DPointObjectData::GetPointCount() const {
  auto* tag = owner ? static_cast<PrivateC4DPointTag*>(owner->GetTag(TAG_TYPE_POINT)) : nullptr;
  return tag ? tag->pointCount : 0;
}

bool C4DPolygonObjectData::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (C4DPointObjectData::Read(file, chunkId, level)) return true;
  switch (chunkId) {
    case 110119: return ReadSelectionChunk(file, polygonSelection);
    case 110120: return ReadSelectionChunk(file, hiddenPolygons);
    case 110128: return ReadSelectionChunk(file, edgeSelection);
    case 110129: return ReadSelectionChunk(file, hiddenEdges);
    case 110132: return ReadSelectionChunk(file, phongBreaks);
    case 110133: return ReadNgons(file, level);
    default: return false;
  }
}

bool C4DPolygonObjectData::ReadNgons(GeChunkFile& file, int32_t level) {
  ngonOffsets.clear();
  ngonValues.clear();
  try {
    ReadNgonTable(file, level);
  } catch (const std::bad_alloc&) {
    file.SetError(FILEERROR_MEMORY);
  }
  file.SkipChunkRest();
  return true;
}

void C4DPolygonObjectData::ReadNgonTable(GeChunkFile& file, int32_t level) {
  if (level >= 1) {
    // Each entry takes at least its tagged count (5 bytes), each value 5.
    int32_t count = 0;
    if (file.ReadInt32(count) && scene_read::CountFits(file, count, 5)) {
      for (int32_t i = 0; i < count; ++i) {
        int32_t n = 0;
        if (!file.ReadInt32(n) || !scene_read::CountFits(file, n, 5)) break;
        ngonOffsets.push_back(int32_t(ngonValues.size()));
        for (int32_t k = 0; k < n; ++k) {
          uint32_t v = 0;
          if (!file.ReadUInt32(v)) break;
          ngonValues.push_back(v);
        }
      }
    }
  }
}

const CPolygon* C4DPolygonObjectData::GetPolygons() const {
  auto* tag = owner ? static_cast<PrivateC4DPolygonTag*>(owner->GetTag(TAG_TYPE_POLYGON)) : nullptr;
  return tag ? tag->polygons : nullptr;
}

int32_t C4DPolygonObjectData::GetPolygonCount() const {
  auto* tag = owner ? static_cast<PrivateC4DPolygonTag*>(owner->GetTag(TAG_TYPE_POLYGON)) : nullptr;
  return tag ? tag->polygonCount : 0;
}

// ---- light --------------------------------------------------------------------------

namespace {

class LightSink : public scene_read::ValueSink {
 public:
  explicit LightSink(C4DLightObjectData& light) : light_(light) {}
  void Float(float v) override { light_.floats.push_back(v); }
  void Int(int32_t v) override { light_.ints.push_back(v); }
  void Bool(int32_t v) override { light_.bools.push_back(v); }
  void Vec(const Vector& v) override { light_.vectors.push_back(v); }

 private:
  C4DLightObjectData& light_;
};

// The groups of the light payload. The body is split where the values the
// accessors read begin: colour, brightness, four words (kind, shadow kind,
// visible light, noise), four switches, four reals (inner and outer spot
// angle, two more).
constexpr const char* kLightHead = "4F";
constexpr const char* kLightHeadRest = "2I 4B";
constexpr const char* kLightSource = "2F V I";
constexpr const char* kLightOldBlock = "3B 2I 5F V I";
constexpr const char* kLightBodyLead = "3F 2B 5F 3I 5B V 2I 5F V 5B 3F 2V F V 4B 7F";
constexpr const char* kLightLook = "V F 4I 4B 4F";
constexpr const char* kLightBodyRest = "I 6B 5F V 2B 4F B F V F 4B 4F 3I B";
constexpr const char* kLightTail = "2F I";
constexpr int64_t kLightSourceMinBytes = 5 + 5 + 13 + 5;

// How many values of `kind` (F, I, B, V) a sequence holds.
size_t CountOf(const char* sequence, char kind) {
  size_t count = 0, repeat = 0;
  for (const char* p = sequence; *p; ++p) {
    if (*p >= '0' && *p <= '9') {
      repeat = repeat * 10 + size_t(*p - '0');
    } else if (*p != ' ') {
      if (*p == kind) count += repeat ? repeat : 1;
      repeat = 0;
    }
  }
  return count;
}

}  // namespace

bool C4DLightObjectData::ReadSequence(GeChunkFile& file, const char* sequence, int64_t times) {
  LightSink sink(*this);
  try {
    for (int64_t i = 0; i < times; ++i) {
      if (!ReadValueSequence(file, sequence, &sink)) return false;
    }
  } catch (const std::bad_alloc&) {
    file.SetError(FILEERROR_MEMORY);
    return false;
  }
  return true;
}

bool C4DLightObjectData::ReadData(GeChunkFile& file, int32_t level) {
  (void)level;
  oldLayout = file.GetFileVersion() < kNewLayoutVersion;
  floats.clear();
  ints.clear();
  bools.clear();
  vectors.clear();
  groupCount = 0;

  ReadSequence(file, kLightHead, 1);
  if (file.ReadInt32(groupCount)) {
    try {
      ints.push_back(groupCount);
    } catch (const std::bad_alloc&) {
      file.SetError(FILEERROR_MEMORY);
    }
  }
  ReadSequence(file, kLightHeadRest, 1);
  if (oldLayout) ReadSequence(file, kLightSource, 1);
  // The repeated groups: a count the file cannot hold ends the read.
  if (groupCount > 0 && scene_read::CountFits(file, groupCount, kLightSourceMinBytes)) {
    ReadSequence(file, kLightSource, groupCount);
  }
  if (oldLayout) {
    ReadSequence(file, kLightOldBlock, 5);
    ReadSequence(file, kLightSource, 5);
  }
  ReadSequence(file, kLightBodyLead, 1);
  ReadSequence(file, kLightLook, 1);
  ReadSequence(file, kLightBodyRest, 1);
  if (!oldLayout) {
    ReadSequence(file, kLightSource, 1);
    ReadSequence(file, kLightOldBlock, 5);
    ReadSequence(file, kLightSource, 5);
    ReadSequence(file, kLightTail, 1);
  }
  return file.GetError() == FILEERROR_NONE;
}

uint64_t C4DLightObjectData::LookStart(char kind) const {
  // The group count itself is the first word. 64 bits: a count the file
  // could not hold must not wrap around to an index of values that exist.
  uint64_t start = CountOf(kLightHead, kind) + (kind == 'I' ? 1 : 0) + CountOf(kLightHeadRest, kind);
  start += uint64_t(std::max(groupCount, 0)) * CountOf(kLightSource, kind);
  if (oldLayout) start += 6 * CountOf(kLightSource, kind) + 5 * CountOf(kLightOldBlock, kind);
  return start + CountOf(kLightBodyLead, kind);
}

namespace {
template <class T>
T ValueAt(const FileDataVector<T>& values, uint64_t index, T fallback) {
  return index < values.size() ? values[size_t(index)] : fallback;
}
}  // namespace

Vector C4DLightObjectData::Colour() const { return ValueAt(vectors, LookStart('V'), Vector{1.0f, 1.0f, 1.0f}); }
float C4DLightObjectData::Brightness() const { return ValueAt(floats, LookStart('F'), 1.0f); }
int32_t C4DLightObjectData::Kind() const { return ValueAt(ints, LookStart('I'), int32_t(LIGHT_OMNI)); }
float C4DLightObjectData::InnerAngle() const { return ValueAt(floats, LookStart('F') + 1, 0.0f); }
float C4DLightObjectData::OuterAngle() const {
  return ValueAt(floats, LookStart('F') + 2, float(std::numbers::pi / 6));
}

// ---- instance -------------------------------------------------------------------------

PrivateChunk* C4DInstanceObjectData::GetReference() const {
  if (!owner) return nullptr;
  return owner->data.FindValue(kReferenceId).AsLinkTarget();
}
