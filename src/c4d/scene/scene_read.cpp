#include "scene_read.h"

namespace scene_read {

static bool ReadOne(GeChunkFile& file, char kind, ValueSink* sink) {
  switch (kind) {
    case 'F': {
      float v = 0.0f;
      if (!file.ReadFloat32(v)) return false;
      if (sink) sink->Float(v);
      return true;
    }
    case 'I': {
      int32_t v = 0;
      if (!file.ReadInt32(v)) return false;
      if (sink) sink->Int(v);
      return true;
    }
    case 'B': {
      int32_t v = 0;
      if (!file.ReadBool(v)) return false;
      if (sink) sink->Bool(v);
      return true;
    }
    case 'V': {
      Vector v;
      if (!file.ReadVector(v)) return false;
      if (sink) sink->Vec(v);
      return true;
    }
    default:
      return false;
  }
}

bool ReadValueSequence(GeChunkFile& file, const char* sequence, ValueSink* sink) {
  for (const char* p = sequence; *p != '\0';) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    int repeat = 0;
    while (*p >= '0' && *p <= '9') repeat = repeat * 10 + (*p++ - '0');
    if (repeat == 0) repeat = 1;
    const char kind = *p++;
    for (int i = 0; i < repeat; ++i) {
      if (!ReadOne(file, kind, sink)) return false;
    }
  }
  return file.GetError() == FILEERROR_NONE;
}

bool CountFits(GeChunkFile& file, int64_t count, int64_t bytesEach) {
  if (file.GetError() != FILEERROR_NONE) return false;
  if (count < 0) {
    file.SetError(FILEERROR_FORMAT);
    return false;
  }
  if (count > file.Remaining() / bytesEach) {
    file.SetError(FILEERROR_READ);
    return false;
  }
  return true;
}

}  // namespace scene_read
