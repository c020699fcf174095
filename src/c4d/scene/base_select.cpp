#include "base_select.h"

#include "ge_alloc.h"
#include "scene_read.h"

void BaseSelect::DeselectAll() {
  GeFree(ranges);
  ranges = nullptr;
  rangeCount = 0;
}

bool BaseSelect::IsSelected(int32_t index) const {
  for (int32_t i = 0; i < rangeCount; ++i) {
    if (index >= ranges[i].first && index <= ranges[i].last) return true;
  }
  return false;
}

bool BaseSelect::Read(GeChunkFile& file, int32_t chunkId, int32_t level) {
  if (chunkId != kChunkId || level < 0) return false;
  DeselectAll();
  int32_t count = 0;
  file.ReadInt32(count);
  // Each range is two tagged int32 values.
  if (count != 0 && scene_read::CountFits(file, count, 10)) {
    ranges = static_cast<Range*>(GeAlloc(size_t(count) * sizeof(Range)));
    if (!ranges) {
      file.SetError(FILEERROR_MEMORY);
    } else {
      rangeCount = count;
      for (int32_t i = 0; i < count; ++i) {
        if (!file.ReadInt32(ranges[i].first) || !file.ReadInt32(ranges[i].last)) break;
      }
    }
  }
  file.SkipChunkRest();
  return true;
}

bool BaseSelect::ReadEmbedded(GeChunkFile& file) {
  uint8_t marker = 0;
  if (!file.ReadByte(marker)) return false;
  if (marker == TAG_CHUNK_END) return false;
  if (marker != TAG_CHUNK_START) {
    file.SetError(FILEERROR_FORMAT);
    return false;
  }
  int32_t id = 0, level = 0;
  if (!file.ReadChunkHeader(id, level)) return false;
  if (!Read(file, id, level)) file.SkipChunkRest();
  return true;
}
