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
  std::snprintf(text, sizeof text, "%g", v);
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
    switch (tag) {
      case TAG_UINT8: {
        uint8_t v = 0;
        ok = file.ReadUInt8(v);
        text = std::to_string(v);
        break;
      }
      case TAG_INT32: {
        if (id % 3 == 0) {
          // A stand-alone value: its type, then the value itself.
          GeValue value;
          ok = ReadValue(file, value);
          text = "value " + std::to_string(value.GetType());
        } else {
          int32_t v = 0;
          ok = file.ReadInt32(v);
          text = std::to_string(v);
        }
        break;
      }
      case TAG_UINT32: {
        uint32_t v = 0;
        ok = file.ReadUInt32(v);
        text = std::to_string(v);
        break;
      }
      case TAG_FLOAT32: {
        float v = 0;
        ok = file.ReadFloat32(v);
        text = Num(v);
        break;
      }
      case TAG_BOOL: {
        int32_t v = 0;
        ok = file.ReadBool(v);
        text = std::to_string(v);
        break;
      }
      case TAG_TIME: {
        GeTime v;
        ok = file.ReadTime(v);
        text = Num(v.numerator) + "/" + Num(v.denominator);
        break;
      }
      case TAG_VECTOR: {
        Vector v;
        ok = file.ReadVector(v);
        text = Num(v.x) + "," + Num(v.y) + "," + Num(v.z);
        break;
      }
      case TAG_MATRIX: {
        Matrix m;
        ok = file.ReadMatrix(m);
        text = Num(m.off.x) + "," + Num(m.zAxis.z);
        break;
      }
      case TAG_MEMORY: {
        uint8_t* block = nullptr;
        int32_t count = 0;
        ok = file.ReadMemory(block, count);
        text = std::to_string(count);
        GeFree(block);
        break;
      }
      case TAG_PRIVATE:
        ok = file.SkipPrivateBlock();
        break;
      case TAG_STRING:
      case TAG_FILENAME: {
        String s;
        ok = tag == TAG_STRING ? file.ReadString(s) : file.ReadFilename(s);
        text = s.To8Bit();
        break;
      }
      case TAG_CONTAINER: {
        GeContainer container;
        ok = ReadContainer(file, container, (id & 2) != 0);
        text = std::to_string(container.GetId());
        break;
      }
      case TAG_VECTOR_ARRAY: {
        Vector* array = nullptr;
        int32_t count = 0;
        ok = file.ReadVectorArray(array, count);
        text = std::to_string(count) + (count > 0 ? " " + Num(array[count - 1].z) : "");
        GeFree(array);
        break;
      }
      case TAG_POLYGON_ARRAY: {
        CPolygon* array = nullptr;
        int32_t count = 0;
        ok = file.ReadPolygonArray(array, count);
        text = std::to_string(count) + (count > 0 ? " " + std::to_string(array[count - 1].d) : "");
        GeFree(array);
        break;
      }
      case TAG_UINT16_ARRAY: {
        uint16_t* array = nullptr;
        int32_t count = 0;
        ok = file.ReadUInt16Array(array, count);
        text = std::to_string(count) + (count > 0 ? " " + std::to_string(array[count - 1]) : "");
        GeFree(array);
        break;
      }
      default: {
        uint8_t byte = 0;
        ok = file.ReadByte(byte) && file.SkipValue(byte);
        break;
      }
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
