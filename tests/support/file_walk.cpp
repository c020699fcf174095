#include "file_walk.h"

#include <cmath>
#include <string>

#include "ge_alloc.h"
#include "ge_chunk_file.h"
#include "ge_container.h"

namespace {

std::string Num(double v) {
  if (std::isnan(v)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}
std::string Text(const Vector& v) { return Num(v.x) + "," + Num(v.y) + "," + Num(v.z); }
std::string Text(const CPolygon& p) {
  return std::to_string(p.a) + "," + std::to_string(p.b) + "," + std::to_string(p.c) + "," + std::to_string(p.d);
}
std::string Text(uint16_t v) { return std::to_string(v); }

// An array as its count, then its first and its last element.
template <typename T>
std::string ArrayText(T* array, int32_t count) {
  std::string text = std::to_string(count);
  if (count > 0) text.append(" ").append(Text(array[0]));
  if (count > 1) text.append(" .. ").append(Text(array[count - 1]));
  GeFree(array);
  return text;
}

class Walker : public PrivateChunk {
 public:
  explicit Walker(std::string& out) : out_(out) {}

  bool Read(GeChunkFile& file, int32_t id, int32_t level) override {
    Note(file, "chunk " + std::to_string(id) + " " + std::to_string(level));
    if (id % 5 == 0) return false;  // the list skips it
    bool first = true;
    for (;;) {
      uint8_t tag = 0;
      if (!file.PeekByte(tag)) return false;
      if (tag == TAG_CHUNK_END) {
        file.ReadByte(tag);
        Note(file, "end");
        return true;
      }
      if (tag == TAG_CHUNK_START) {
        if ((id & 1) != 0 && first) {
          GeContainer container;
          const bool ok = ReadContainer(file, container, (level & 1) != 0);
          Note(file, std::string("container ") + (ok ? "ok " : "failed ") + std::to_string(container.GetId()));
        } else {
          // The nested chunks and then this chunk's end marker, as a list does.
          const int r = file.ReadChunkList(this, (id & 1) == 0, false);
          Note(file, "list " + std::to_string(r));
          return r > 0 || file.GetError() != FILEERROR_NONE;
        }
      } else if (!Value(file, tag, id)) {
        return false;
      }
      first = false;
    }
  }

 private:
  void Note(GeChunkFile& file, const std::string& what) {
    out_ += what + " @" + std::to_string(file.GetPosition()) + " e" + std::to_string(file.GetError()) + "\n";
  }

  bool Value(GeChunkFile& file, uint8_t tag, int32_t id) {
    bool ok = false;
    std::string text;
    uint8_t u8 = 0;
    uint32_t u32 = 0;
    int32_t i = 0, count = 0;
    float f = 0;
    GeTime t;
    Vector v;
    Matrix m;
    String s;
    uint8_t* block = nullptr;
    Vector* vectors = nullptr;
    CPolygon* polygons = nullptr;
    uint16_t* words = nullptr;
    switch (tag) {
      case TAG_UINT8: ok = file.ReadUInt8(u8), text = std::to_string(u8); break;
      case TAG_INT32:
        // Chunks with ids divisible by 3 hold stand-alone values: a type, then the value.
        if (id % 3 == 0) {
          GeValue value;
          ok = ReadValue(file, value), text = "value " + std::to_string(value.GetType());
        } else {
          ok = file.ReadInt32(i), text = std::to_string(i);
        }
        break;
      case TAG_UINT32: ok = file.ReadUInt32(u32), text = std::to_string(u32); break;
      case TAG_FLOAT32: ok = file.ReadFloat32(f), text = Num(f); break;
      case TAG_BOOL: ok = file.ReadBool(i), text = std::to_string(i); break;
      case TAG_TIME: ok = file.ReadTime(t), text = Num(t.numerator) + "/" + Num(t.denominator); break;
      case TAG_VECTOR: ok = file.ReadVector(v), text = Text(v); break;
      case TAG_MATRIX:
        ok = file.ReadMatrix(m), text = Text(m.off) + " " + Text(m.xAxis) + " " + Text(m.yAxis) + " " + Text(m.zAxis);
        break;
      case TAG_MEMORY:
        ok = file.ReadMemory(block, count), text = std::to_string(count);
        if (count > 0) text.append(" ").append(std::to_string(block[count - 1]));
        GeFree(block);
        break;
      case TAG_PRIVATE: ok = file.SkipPrivateBlock(); break;
      case TAG_STRING: ok = file.ReadString(s), text = s.To8Bit(); break;
      case TAG_FILENAME: ok = file.ReadFilename(s), text = s.To8Bit(); break;
      case TAG_CONTAINER: {
        GeContainer container;
        ok = ReadContainer(file, container, (id & 2) != 0), text = std::to_string(container.GetId());
        break;
      }
      case TAG_VECTOR_ARRAY: ok = file.ReadVectorArray(vectors, count), text = ArrayText(vectors, count); break;
      case TAG_POLYGON_ARRAY: ok = file.ReadPolygonArray(polygons, count), text = ArrayText(polygons, count); break;
      case TAG_UINT16_ARRAY: ok = file.ReadUInt16Array(words, count), text = ArrayText(words, count); break;
      default: ok = file.ReadByte(u8) && file.SkipValue(u8); break;
    }
    Note(file, "tag " + std::to_string(tag) + (ok ? " " : " failed ") + text);
    return ok;
  }

  std::string& out_;
};

}  // namespace

std::string WalkFile(GeChunkFile& file) {
  std::string out;
  Walker walker(out);
  const bool ended = file.ReadNodeChunks(&walker, true);
  out += std::string(ended ? "ended" : "stopped") + " @" + std::to_string(file.GetPosition()) + " e" +
         std::to_string(file.GetError()) + " depth " + std::to_string(file.GetNestingDepth()) + "\n";
  return out;
}
