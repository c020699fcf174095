#include "chunks_verb.h"

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "ge_alloc.h"
#include "ge_chunk_file.h"
#include "verbs.h"

namespace {

// Deeper chunks are still walked, but not indented further.
constexpr int kMaxIndent = 40;
constexpr int kMaxShownText = 120;

const char* ValueTagName(uint8_t tag) {
  switch (tag) {
    case TAG_INT8: return "int8";
    case TAG_UINT8: return "uint8";
    case TAG_INT16: return "int16";
    case TAG_UINT16: return "uint16";
    case TAG_INT32: return "int32";
    case TAG_UINT32: return "uint32";
    case TAG_INT64: return "int64";
    case TAG_UINT64: return "uint64";
    case TAG_FLOAT32: return "float32";
    case TAG_FLOAT64: return "float64";
    case TAG_BOOL: return "bool";
    case TAG_TIME: return "time";
    case TAG_VECTOR: return "vector";
    case TAG_VECTOR64: return "vector64";
    case TAG_MATRIX: return "matrix";
    case TAG_MATRIX64: return "matrix64";
    case TAG_MEMORY: return "memory";
    case TAG_PRIVATE: return "private";
    case TAG_STRING: return "string";
    case TAG_FILENAME: return "filename";
    case TAG_CONTAINER: return "container";
    case TAG_VECTOR_ARRAY: return "vector array";
    case TAG_POLYGON_ARRAY: return "polygon array";
    case TAG_UINT16_ARRAY: return "uint16 array";
    case TAG_PACKED_ARRAY: return "packed array";
    default: return "value";
  }
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string Count(int64_t n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); }
std::string Bytes(int64_t n) { return Count(n, "byte"); }

std::string VectorText(const Vector& v) { return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")"; }

// 8-bit text in quotes; control bytes escaped, long texts shortened.
std::string Quoted(const String& s) {
  std::string text = "\"";
  const std::string plain = s.To8Bit();
  for (size_t i = 0; i < plain.size() && i < kMaxShownText; ++i) {
    const auto c = static_cast<unsigned char>(plain[i]);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c < 32) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    } else {
      text += static_cast<char>(c);
    }
  }
  text += plain.size() > kMaxShownText ? "\"..." : "\"";
  return text;
}

// A memory block: alias records by their id, anything else by its first bytes.
std::string BlockText(const uint8_t* block, int32_t count) {
  if (count >= 14 && (std::string(reinterpret_cast<const char*>(block), 6) == "agoal1" ||
                      std::string(reinterpret_cast<const char*>(block), 6) == "alias2")) {
    uint64_t id = 0;
    for (int i = 6; i < 14; ++i) id = (id << 8) | block[i];
    char text[64];
    std::snprintf(text, sizeof text, "%s record 0x%016" PRIX64, block[1] == 'g' ? "goal" : "link", id);
    return text;
  }
  std::string text;
  for (int32_t i = 0; i < count && i < 16; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", block[i]);
    if (i > 0) text += ' ';
    text += hex;
  }
  return count > 16 ? text + " ..." : text;
}

// Reads one value whose tag has been peeked, with the typed read that the
// module itself would use, and describes it. Kinds without a typed read are
// skipped by their size.
bool ReadValueText(GeChunkFile& file, uint8_t tag, std::string& text) {
  switch (tag) {
    case TAG_UINT8: {
      uint8_t v = 0;
      if (!file.ReadUInt8(v)) return false;
      text = std::to_string(v);
      return true;
    }
    case TAG_INT32: {
      int32_t v = 0;
      if (!file.ReadInt32(v)) return false;
      text = std::to_string(v);
      return true;
    }
    case TAG_UINT32: {
      uint32_t v = 0;
      if (!file.ReadUInt32(v)) return false;
      text = std::to_string(v);
      return true;
    }
    case TAG_FLOAT32: {
      float v = 0;
      if (!file.ReadFloat32(v)) return false;
      text = Number(v);
      return true;
    }
    case TAG_BOOL: {
      int32_t v = 0;
      if (!file.ReadBool(v)) return false;
      text = v ? "true" : "false";
      return true;
    }
    case TAG_TIME: {
      GeTime v;
      if (!file.ReadTime(v)) return false;
      text = Number(v.numerator) + "/" + Number(v.denominator);
      return true;
    }
    case TAG_VECTOR: {
      Vector v;
      if (!file.ReadVector(v)) return false;
      text = VectorText(v);
      return true;
    }
    case TAG_MATRIX: {
      Matrix m;
      if (!file.ReadMatrix(m)) return false;
      text = "off " + VectorText(m.off) + " x " + VectorText(m.xAxis) + " y " + VectorText(m.yAxis) + " z " +
             VectorText(m.zAxis);
      return true;
    }
    case TAG_MEMORY: {
      uint8_t* block = nullptr;
      int32_t count = 0;
      const bool ok = file.ReadMemory(block, count);
      if (ok) text = BlockText(block, count);
      GeFree(block);
      return ok;
    }
    case TAG_STRING:
    case TAG_FILENAME: {
      String s;
      if (!(tag == TAG_STRING ? file.ReadString(s) : file.ReadFilename(s))) return false;
      text = Quoted(s);
      return true;
    }
    case TAG_VECTOR_ARRAY: {
      Vector* array = nullptr;
      int32_t count = 0;
      if (!file.ReadVectorArray(array, count)) return false;
      text = std::to_string(count) + " vectors";
      if (count > 0) text += ", first " + VectorText(array[0]);
      GeFree(array);
      return true;
    }
    case TAG_POLYGON_ARRAY: {
      CPolygon* array = nullptr;
      int32_t count = 0;
      if (!file.ReadPolygonArray(array, count)) return false;
      text = std::to_string(count) + " polygons";
      GeFree(array);
      return true;
    }
    case TAG_UINT16_ARRAY: {
      uint16_t* array = nullptr;
      int32_t count = 0;
      if (!file.ReadUInt16Array(array, count)) return false;
      text = std::to_string(count) + " values";
      GeFree(array);
      return true;
    }
    default: {
      uint8_t byte = 0;
      return file.ReadByte(byte) && file.SkipValue(byte);
    }
  }
}

class ChunkPrinter {
 public:
  ChunkPrinter(GeChunkFile& file, std::ostream& out) : file_(file), out_(out) {}

  // Returns true when the document's end marker was reached.
  bool Walk() {
    for (;;) {
      if (!file_.ReadFailed() && file_.Remaining() == 0) {
        Note("the file ends before the document's end marker");
        return false;
      }
      const int64_t at = file_.GetPosition();
      uint8_t tag = 0;
      if (!file_.PeekByte(tag)) {
        Note("reading stopped at byte " + std::to_string(at));
        return false;
      }
      if (depth_ == 0 && tag != TAG_CHUNK_START) {
        // Where the document chunk must start: the module rejects the file here too.
        file_.SetError(FILEERROR_FORMAT);
        Note("byte " + std::to_string(at) + " does not start the document chunk");
        return false;
      }
      if (tag == TAG_CHUNK_START) {
        if (!StartChunk(at)) return false;
      } else if (tag == TAG_CHUNK_END) {
        uint8_t byte = 0;
        file_.ReadByte(byte);
        --depth_;
        Line("end");
        if (depth_ == 0) return true;
      } else if (!Value(tag, at)) {
        return false;
      }
    }
  }

  int Chunks() const { return chunks_; }
  int Values() const { return values_; }

 private:
  bool StartChunk(int64_t at) {
    uint8_t byte = 0;
    int32_t id = 0;
    int32_t level = 0;
    if (!file_.ReadByte(byte) || !file_.ReadChunkHeader(id, level)) {
      Note("the chunk header at byte " + std::to_string(at) + " is cut off");
      return false;
    }
    ++chunks_;
    if (id == TAG_CONTAINER && level < 1 && depth_ > 0) {
      // A parameter container in chunk form stored at level 0 is its header
      // alone: the loader reads nothing more of it, and no end marker follows.
      Line("chunk " + std::to_string(id) + " level " + std::to_string(level) + "  @" + std::to_string(at) +
           ": an empty container, header only");
      return true;
    }
    Line("chunk " + std::to_string(id) + " level " + std::to_string(level) + "  @" + std::to_string(at));
    ++depth_;
    return true;
  }

  bool Value(uint8_t tag, int64_t at) {
    std::string text;
    const bool ok = ReadValueText(file_, tag, text);
    std::string line = std::string(ValueTagName(tag)) + " [" + std::to_string(tag) + "]";
    if (!ok) {
      Line(line);
      Note("the value at byte " + std::to_string(at) + " could not be read");
      return false;
    }
    ++values_;
    if (file_.ReadFailed()) {
      Line(line + ": runs past the end of the file");
      return true;  // the next read reports the failure
    }
    // Bytes after the tag; counted kinds show their count word separately.
    const int64_t size = file_.GetPosition() - at - 1;
    line += tag >= 128 ? ", 4+" + Bytes(size - 4) : ", " + Bytes(size);
    if (!text.empty()) line += ": " + text;
    Line(line);
    return true;
  }

  void Line(const std::string& text) {
    const int indent = depth_ < kMaxIndent ? depth_ : kMaxIndent;
    out_ << std::string(static_cast<size_t>(2 * indent), ' ') << text << '\n';
  }
  void Note(const std::string& text) { out_ << "-- " << text << '\n'; }

  GeChunkFile& file_;
  std::ostream& out_;
  int depth_ = 0;
  int chunks_ = 0;
  int values_ = 0;
};

void PrintError(const GeChunkFile& file, std::ostream& out) {
  const int32_t code = file.GetError();
  out << "error " << code << " " << FileErrorSymbol(code) << ": " << FileErrorName(code) << '\n';
}

}  // namespace

int WalkChunks(GeChunkFile& file, std::ostream& out) {
  ChunkPrinter printer(file, out);
  const bool reachedEnd = printer.Walk();
  out << Count(printer.Chunks(), "chunk") << ", " << Count(printer.Values(), "value");
  if (reachedEnd && file.Remaining() > 0) {
    out << "; " << file.Remaining() << " bytes after the document are not read";
  }
  out << '\n';
  PrintError(file, out);
  return reachedEnd ? kExitDone : kExitUnreadable;
}

int RunChunksVerb(const std::string& path, std::ostream& out) {
  GeChunkFile file;
  if (!file.Open(path.c_str())) {
    out << path << ": ";
    out << (file.GetError() == FILEERROR_NONE ? "cannot be opened\n" : "is no C4D scene file\n");
    PrintError(file, out);
    return kExitUnreadable;
  }
  out << path << ": " << file.GetLength() << " bytes";
  if (file.IsNewerVariant()) out << ", newer variant (QC4D C4D6), document version " << file.GetHeaderVersion();
  out << "\n";
  return WalkChunks(file, out);
}

void AddChunksVerb(CLI::App& app, int& exitCode) {
  auto path = std::make_shared<std::string>();
  CLI::App* verb = app.add_subcommand(
      "chunks", "Print the chunk tree of a scene file: chunk ids and levels, each value's tag and size.");
  verb->add_option("FILE", *path, "The .c4d file")->required();
  verb->callback([path, &exitCode] { exitCode = RunChunksVerb(*path, std::cout); });
}
