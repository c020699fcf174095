#include "ge_chunk_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include "ge_alloc.h"

static_assert(sizeof(Vector) == 12, "vector arrays are read as blocks of 12-byte records");
static_assert(sizeof(CPolygon) == 16, "polygon arrays are read as blocks of 16-byte records");

namespace {

constexpr uint32_t kHeaderWord1 = 0x58433444;       // "XC4D"
constexpr uint32_t kHeaderWord1OwnTypes = 0x36433444;  // "6C4D": classic, with objects under their own type's id
constexpr uint32_t kHeaderWord1Newer = 0x51433444;  // "QC4D": the newer variant
constexpr uint32_t kHeaderWord2 = 0x43344436;       // "C4D6"

// Payload sizes after the tag byte, for skipping.
constexpr int kCountedPayload = -1;  // an int32 byte count, then that many bytes
constexpr int kNoDefinedSize = -2;

int PayloadSize(uint8_t tag, bool newer) {
  if (newer) {
    // The newer variant widens reals, times, vectors and matrices to doubles.
    switch (tag) {
      case TAG_FLOAT32: return 8;
      case TAG_TIME: return 16;
      case TAG_VECTOR: return 24;
      case TAG_MATRIX: return 96;
      default: break;
    }
  }
  switch (tag) {
    case TAG_CHUNK_START: return 8;  // id and level; the payload follows as values
    case TAG_CHUNK_END: return 0;
    case TAG_INT8: case TAG_UINT8: case TAG_BOOL: return 1;
    case TAG_INT16: case TAG_UINT16: return 2;
    case TAG_INT32: case TAG_UINT32: case TAG_FLOAT32: return 4;
    case TAG_INT64: case TAG_UINT64: case TAG_FLOAT64: case TAG_TIME: return 8;
    case TAG_VECTOR: return 12;
    case TAG_VECTOR64: return 24;
    case TAG_MATRIX: return 48;
    case TAG_MATRIX64: return 96;
    default: return tag >= 128 ? kCountedPayload : kNoDefinedSize;
  }
}

// The length of a file just opened, also of 2 GiB and more where `long`
// has 32 bits (Windows, 32-bit Linux); 0 when it cannot be told.
int64_t FileLength(std::FILE* file) {
#if defined(_WIN32)
  if (_fseeki64(file, 0, SEEK_END) != 0) return 0;
  const int64_t end = _ftelli64(file);
  _fseeki64(file, 0, SEEK_SET);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return 0;
  const int64_t end = ftello(file);
  fseeko(file, 0, SEEK_SET);
#endif
  return end > 0 ? end : 0;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
uint16_t BigEndian16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
// A signalling NaN is kept as the quiet NaN that any arithmetic would make of
// it: on 32-bit x86 a float or double returned from a function passes through
// the x87 unit, which raises the invalid exception for a signalling NaN, and
// that is a trap in a host that runs with the invalid trap on.
float BigEndianFloat(const uint8_t* p) {
  uint32_t bits = BigEndian32(p);
  if ((bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0) bits |= 0x00400000u;
  return std::bit_cast<float>(bits);
}

Vector DecodeVector(const uint8_t* p) { return {BigEndianFloat(p), BigEndianFloat(p + 4), BigEndianFloat(p + 8)}; }

uint32_t Swap32(uint32_t w) {
#if defined(__GNUC__)
  return __builtin_bswap32(w);
#else
  return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
#endif
}

// Copies `words` big-endian 32-bit words from `source` to `target` in host
// order. Written so that the compiler turns it into vector shuffles.
void CopyWords32(const uint8_t* source, size_t words, uint8_t* target) {
  for (size_t i = 0; i < words; ++i) {
    uint32_t w;
    std::memcpy(&w, source + 4 * i, 4);
    w = Swap32(w);
    std::memcpy(target + 4 * i, &w, 4);
  }
}

// The same in place: one pointer, so that the compiler need not fear an
// overlap and vectorises the loop.
void SwapWords32(uint8_t* block, size_t words) {
  for (size_t i = 0; i < words; ++i) {
    uint32_t w;
    std::memcpy(&w, block + 4 * i, 4);
    w = Swap32(w);
    std::memcpy(block + 4 * i, &w, 4);
  }
}

void SwapWords16(uint8_t* block, size_t words) {
  for (size_t i = 0; i < words; ++i) {
    const uint16_t w = BigEndian16(block + 2 * i);
    std::memcpy(block + 2 * i, &w, 2);
  }
}

void CopyWords16(const uint8_t* source, size_t words, uint8_t* target) {
  for (size_t i = 0; i < words; ++i) {
    const uint16_t w = BigEndian16(source + 2 * i);
    std::memcpy(target + 2 * i, &w, 2);
  }
}

// Widens polygons of four big-endian uint16 indices (8 bytes each) to four
// int32 in host order (16 bytes each).
void WidenPolygons(const uint8_t* source, size_t count, uint8_t* target) {
  for (size_t i = 0; i < count; ++i) {
    const int32_t idx[4] = {BigEndian16(source + 8 * i), BigEndian16(source + 8 * i + 2),
                            BigEndian16(source + 8 * i + 4), BigEndian16(source + 8 * i + 6)};
    std::memcpy(target + 16 * i, idx, sizeof idx);
  }
}

// The time's parts rounded to whole numbers, the sign on the numerator, and
// the fraction reduced by the greatest common divisor.
GeTime ReducedTime(double a, double b) {
  double numerator = std::fabs(std::round(a));
  if ((a < 0) != (b < 0)) numerator = -numerator;
  const double denominator = std::fabs(std::round(b));
  if (std::fabs(numerator) < 0.001 || denominator < 0.001) return GeTime{0.0, 1.0};

  double divisor = 1.0;
  const double magnitude = std::fabs(numerator);
  if (magnitude < 2147483648.0 && denominator < 2147483648.0) {
    auto x = static_cast<int64_t>(magnitude);
    auto y = static_cast<int64_t>(denominator);
    while (y != 0) {
      const int64_t r = x % y;
      x = y;
      y = r;
    }
    divisor = static_cast<double>(x);
  } else {
    // Written so that a NaN remainder ends the loop as well.
    double x = magnitude;
    double y = denominator;
    while (y >= 0.001) {
      const double r = std::fmod(x, y);
      x = y;
      y = r;
    }
    divisor = x;
  }
  return GeTime{numerator / divisor, denominator / divisor};
}

GeLinkSupport* installedLinkSupport = nullptr;

}  // namespace

// ---------------------------------------------------------------------------
// The stream: a window of bytes over either a memory block or our own buffer
// that is refilled from the file. Reads never go through a per-byte locked
// call; large reads go straight from the file into the caller's memory.

struct GeChunkFile::Stream {
  static constexpr size_t kBufferSize = 256 * 1024;

  std::FILE* file = nullptr;
  struct FreeBlock {
    void operator()(uint8_t* block) const { GeFree(block); }
  };
  std::unique_ptr<uint8_t, FreeBlock> buffer;
  const uint8_t* window = nullptr;
  size_t windowSize = 0;
  size_t windowPos = 0;
  int64_t windowStart = 0;  // file offset of window[0]

  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() {
    if (file) std::fclose(file);
  }

  int64_t Position() const { return windowStart + static_cast<int64_t>(windowPos); }

  // Moves past the exhausted window and fills the next one from the file.
  bool Refill() {
    if (!file) return false;
    windowStart += static_cast<int64_t>(windowSize);
    windowPos = 0;
    windowSize = std::fread(buffer.get(), 1, kBufferSize, file);
    window = buffer.get();
    return windowSize > 0;
  }

  // The next `n` bytes where they lie in the window, or null when the window
  // holds fewer: the fast way for the many small values of a scene.
  const uint8_t* Ahead(size_t n) const { return windowSize - windowPos >= n ? window + windowPos : nullptr; }
  void Advance(size_t n) { windowPos += n; }

  bool Read(uint8_t* out, size_t n) {
    for (;;) {
      const size_t take = std::min(windowSize - windowPos, n);
      if (take > 0) {
        std::memcpy(out, window + windowPos, take);
        windowPos += take;
        out += take;
        n -= take;
      }
      if (n == 0) return true;
      if (!file) return false;
      if (n >= kBufferSize) {
        windowStart += static_cast<int64_t>(windowSize);
        windowSize = windowPos = 0;
        const size_t got = std::fread(out, 1, n, file);
        windowStart += static_cast<int64_t>(got);
        return got == n;
      }
      if (!Refill()) return false;
    }
  }

  bool Skip(uint64_t n) {
    for (;;) {
      const size_t take = static_cast<size_t>(std::min<uint64_t>(windowSize - windowPos, n));
      windowPos += take;
      n -= take;
      if (n == 0) return true;
      if (!Refill()) return false;
    }
  }

  // Reads `count` records of `recordSize` bytes and hands them, as many at a
  // time as the window holds, to convert(source, records, target), which
  // writes `targetSize` bytes per record. The bytes are converted where they
  // lie in the window: one pass over the target, and no second copy. Records
  // that keep their size (swapInPlace given) and reach past a window's worth
  // go from the file straight into the target instead, a window's worth at a
  // time, each part swapped in place while it is still in the cache: the
  // bytes then pass through no buffer of ours at all.
  template <class Convert>
  bool ReadRecords(uint8_t* target, size_t count, size_t recordSize, size_t targetSize, Convert convert,
                   void (*swapInPlace)(uint8_t* block, size_t records)) {
    while (count > 0) {
      const size_t whole = (windowSize - windowPos) / recordSize;
      if (whole == 0 && swapInPlace && file && windowPos == windowSize && count >= kBufferSize / recordSize) {
        const size_t take = std::min(count, kBufferSize / recordSize);
        const size_t bytes = take * recordSize;
        windowStart += static_cast<int64_t>(windowSize);
        windowSize = windowPos = 0;
        const size_t got = std::fread(target, 1, bytes, file);
        windowStart += static_cast<int64_t>(got);
        if (got != bytes) return false;
        swapInPlace(target, take);
        target += bytes;
        count -= take;
        continue;
      }
      if (whole == 0) {
        // A record across the end of the window, or an empty window.
        uint8_t record[16];
        if (!Read(record, recordSize)) return false;
        convert(record, 1, target);
        target += targetSize;
        --count;
        continue;
      }
      const size_t take = std::min(whole, count);
      convert(window + windowPos, take, target);
      windowPos += take * recordSize;
      target += take * targetSize;
      count -= take;
    }
    return true;
  }

  bool Peek(uint8_t& byte) {
    if (windowPos == windowSize && !Refill()) return false;
    byte = window[windowPos];
    return true;
  }
};

// ---------------------------------------------------------------------------

bool PrivateChunk::Read(GeChunkFile&, int32_t, int32_t) { return false; }

void GeChunkFile::InstallLinkSupport(GeLinkSupport* support) { installedLinkSupport = support; }
GeLinkSupport* GeChunkFile::GetLinkSupport() { return installedLinkSupport; }

GeChunkFile::GeChunkFile() {
  if (installedLinkSupport) registry_.reset(installedLinkSupport->NewRegistry());
}

GeChunkFile::~GeChunkFile() {
  registry_.reset();  // the registry's entries go before the file
  stream_.reset();
}

bool GeChunkFile::StartOpen() {
  stream_.reset();
  registry_.reset(installedLinkSupport ? installedLinkSupport->NewRegistry() : nullptr);
  length_ = 0;
  depth_ = 0;
  variant_ = GeFileVariant::Classic;
  headerVersion_ = 0;
  meter_ = GeAllocMeter{};
  if (installedLinkSupport && !registry_) {
    readFailed_ = 1;
    SetMemoryError();
    return false;
  }
  return true;
}

bool GeChunkFile::AcceptHeader() {
  meter_.limit = kMaxAllocationFactor * static_cast<uint64_t>(length_) + kAllocationAllowance;
  uint32_t first = 0;
  uint32_t second = 0;
  const bool read = ReadWord32(first) && ReadWord32(second) && second == kHeaderWord2;
  if (read && first == kHeaderWord1Newer) variant_ = GeFileVariant::Newer;
  if (read && first == kHeaderWord1OwnTypes) variant_ = GeFileVariant::ClassicOwnTypeObjects;
  const bool known = first == kHeaderWord1 || first == kHeaderWord1OwnTypes || first == kHeaderWord1Newer;
  if (!read || !known || (IsNewerVariant() && !ReadNewerHeaderTail())) {
    variant_ = GeFileVariant::Classic;
    headerVersion_ = 0;
    error_ = FILEERROR_FORMAT;
    stream_.reset();
    return false;
  }
  if (registry_) registry_->Empty();
  return true;
}

bool GeChunkFile::Open(const char* path) {
  if (!StartOpen()) return false;
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  auto* stream = file ? GeNew<Stream>() : nullptr;
  if (stream) {
    stream->file = file;
    stream->buffer.reset(static_cast<uint8_t*>(GeAllocUninitialized(Stream::kBufferSize)));
  } else if (file) {
    std::fclose(file);
  }
  if (!stream || !stream->buffer) {
    // A file that opened but found no memory to be read with says so.
    if (file) SetMemoryError();
    delete stream;
    readFailed_ = 1;
    return false;
  }
  stream_.reset(stream);
  readFailed_ = 0;
  // Our own buffer does the buffering; the C stream should not copy twice.
  std::setvbuf(file, nullptr, _IONBF, 0);
  length_ = FileLength(file);
  return AcceptHeader();
}

bool GeChunkFile::OpenMemory(const void* data, size_t size) {
  if (!StartOpen()) return false;
  auto* stream = (data || size == 0) ? GeNew<Stream>() : nullptr;
  if (!stream) {
    if (data || size == 0) SetMemoryError();
    readFailed_ = 1;
    return false;
  }
  stream->window = static_cast<const uint8_t*>(data);
  stream->windowSize = size;
  stream_.reset(stream);
  readFailed_ = 0;
  length_ = static_cast<int64_t>(size);
  return AcceptHeader();
}

bool GeChunkFile::Close() {
  if (!stream_) return false;
  stream_.reset();
  return true;
}

bool GeChunkFile::IsOpen() const { return stream_ != nullptr; }

int64_t GeChunkFile::GetPosition() const { return (stream_ && !readFailed_) ? stream_->Position() : 0; }

int64_t GeChunkFile::Remaining() const {
  if (!stream_ || readFailed_) return 0;
  return std::max<int64_t>(0, length_ - stream_->Position());
}

// ---------------------------------------------------------------------------
// Raw access

bool GeChunkFile::ReadBytes(void* out, size_t n) {
  if (!stream_ || readFailed_ || error_) return false;
  if (!stream_->Read(static_cast<uint8_t*>(out), n)) {
    readFailed_ = 1;
    return false;
  }
  return true;
}

bool GeChunkFile::SkipBytes(uint64_t n) {
  if (!stream_ || readFailed_ || error_) return false;
  if (!stream_->Skip(n)) {
    readFailed_ = 1;
    return false;
  }
  return true;
}

bool GeChunkFile::ReadRecords(uint8_t* target, size_t count, size_t recordSize, size_t targetSize,
                              RecordConverter convert, RecordSwapper swapInPlace) {
  if (!stream_ || readFailed_ || error_) return false;
  if (!stream_->ReadRecords(target, count, recordSize, targetSize, convert, swapInPlace)) {
    readFailed_ = 1;
    return false;
  }
  return true;
}

void GeChunkFile::CopyReadFailure() {
  if (error_ == FILEERROR_NONE) error_ = stream_ ? readFailed_ : FILEERROR_NONE;
}

// A byte count with its top bit set is no valid length, and one larger than
// what is left of the file cannot be satisfied. Both end the read with
// FILEERROR_READ: reading the bytes would have run into the end of the file
// and set exactly that code; we only notice it before allocating a buffer.
bool GeChunkFile::CheckLength(int64_t n) {
  if (n >= 0 && n <= Remaining()) return true;
  readFailed_ = 1;
  if (error_ == FILEERROR_NONE) error_ = FILEERROR_READ;
  return false;
}

bool GeChunkFile::ChargeAllocation(uint64_t bytes) {
  if (meter_.Charge(bytes)) return true;
  NoteRefusal();
  return false;
}

void GeChunkFile::NoteRefusal() {
  if (meter_.refused && error_ == FILEERROR_NONE) error_ = FILEERROR_LIMIT;
}

void GeChunkFile::SetError(int32_t code) {
  error_ = (code == FILEERROR_MEMORY && meter_.refused) ? FILEERROR_LIMIT : code;
}

void GeChunkFile::SetMemoryError() { SetError(FILEERROR_MEMORY); }

bool GeChunkFile::ReadByte(uint8_t& byte) {
  if (error_) return false;
  if (const uint8_t* p = (stream_ && !readFailed_) ? stream_->Ahead(1) : nullptr) {
    byte = *p;
    stream_->Advance(1);
    return true;
  }
  if (!ReadBytes(&byte, 1)) {
    CopyReadFailure();
    return false;
  }
  return true;
}

bool GeChunkFile::PeekByte(uint8_t& byte) {
  if (error_) return false;
  if (!stream_ || readFailed_ || !stream_->Peek(byte)) {
    if (stream_) readFailed_ = 1;
    CopyReadFailure();
    return false;
  }
  return true;
}

bool GeChunkFile::ReadWord32(uint32_t& word) {
  if (const uint8_t* p = (!error_ && stream_ && !readFailed_) ? stream_->Ahead(4) : nullptr) {
    word = BigEndian32(p);
    stream_->Advance(4);
    return true;
  }
  uint8_t bytes[4];
  if (!ReadBytes(bytes, 4)) return false;
  word = BigEndian32(bytes);
  return true;
}

bool GeChunkFile::EnterNesting() {
  if (depth_ >= kMaxNestingDepth) {
    if (error_ == FILEERROR_NONE) error_ = FILEERROR_NESTING;
    return false;
  }
  ++depth_;
  return true;
}

void GeChunkFile::LeaveNesting() {
  if (depth_ > 0) --depth_;
}

// ---------------------------------------------------------------------------
// Chunk framing

bool GeChunkFile::ReadChunkHeader(int32_t& id, int32_t& level) {
  if (error_) return false;
  uint32_t words[2];
  if (!ReadWord32(words[0]) || !ReadWord32(words[1])) {
    CopyReadFailure();
    return false;
  }
  id = static_cast<int32_t>(words[0]);
  level = static_cast<int32_t>(words[1]);
  return true;
}

bool GeChunkFile::ExpectTag(uint8_t tag) {
  uint8_t byte = 0;
  if (!ReadByte(byte)) return false;
  if (byte != tag) {
    error_ = FILEERROR_FORMAT;
    return false;
  }
  return true;
}

// Skipping reads the bytes; running past the end sets only the read-failed
// flag, which the next read turns into FILEERROR_READ.
bool GeChunkFile::SkipValue(uint8_t tag) {
  if (error_) return false;
  const int size = PayloadSize(tag, IsNewerVariant());
  if (size == kNoDefinedSize) {
    // A byte that is no value tag: nothing tells how far to skip, so the file
    // cannot be followed from here. It is not in the format we read.
    error_ = FILEERROR_FORMAT;
    return false;
  }
  if (size == kCountedPayload) {
    uint32_t word = 0;
    if (!ReadWord32(word)) return false;
    const int64_t n = static_cast<int32_t>(word);
    if (!CheckLength(n)) return false;
    SkipBytes(static_cast<uint64_t>(n));
  } else {
    SkipBytes(static_cast<uint64_t>(size));
  }
  return error_ == FILEERROR_NONE;
}

bool GeChunkFile::SkipChunkRest() {
  if (error_) return false;
  int64_t depth = 0;
  for (;;) {
    uint8_t byte = 0;
    if (!ReadByte(byte)) return false;
    if (byte == TAG_CHUNK_START) {
      ++depth;
      if (!SkipValue(byte)) return false;
    } else if (byte == TAG_CHUNK_END) {
      if (--depth < 0) return true;  // the current chunk's end marker
    } else if (!SkipValue(byte)) {
      return false;
    }
    // The file ended at a value boundary before the chunk's end: the error stays 0.
    if (GetPosition() >= length_) return false;
  }
}

int GeChunkFile::ReadChunkList(PrivateChunk* node, bool continueAfterUnknown, bool startAlreadyRead) {
  if (error_) return 0;
  if (!EnterNesting()) return 0;
  // Whatever the nodes allocate while they read counts against this file.
  GeAllocMeterScope metered(&meter_);
  int result = 0;
  bool first = true;
  for (;;) {
    uint8_t marker = TAG_CHUNK_START;
    if (!(first && startAlreadyRead) && !ReadByte(marker)) break;
    first = false;
    if (marker == TAG_CHUNK_END) {
      result = 1;
      break;
    }
    if (marker != TAG_CHUNK_START) {
      error_ = FILEERROR_CHUNK_MARKER;
      break;
    }
    int32_t id = 0;
    int32_t level = 0;
    if (!ReadChunkHeader(id, level)) break;
    const bool consumed = node && node->Read(*this, id, level);
    // A node may have passed over an allocation that the limit refused.
    NoteRefusal();
    if (!consumed) {
      const bool skipped = SkipChunkRest();
      if (!continueAfterUnknown) {
        result = skipped ? 1 : 0;
        break;
      }
      if (!skipped && error_) {
        // The limits keep their own codes, so that a file over one says so.
        if (error_ != FILEERROR_NESTING && error_ != FILEERROR_LIMIT) error_ = FILEERROR_CHUNK_SKIP;
        break;
      }
    } else if (error_) {
      break;
    }
    // The file ended before the list's end marker: the error stays as it is.
    if (GetPosition() >= length_) break;
  }
  LeaveNesting();
  return result;
}

bool GeChunkFile::ReadNodeChunks(PrivateChunk* node, bool expectHeader) {
  GeAllocMeterScope metered(&meter_);
  if (expectHeader) {
    uint8_t byte = 0;
    if (!ReadByte(byte)) return false;
    if (byte == TAG_CHUNK_START) {
      int32_t id = 0;
      int32_t level = 0;
      if (!ReadChunkHeader(id, level)) return false;
    } else if (byte != TAG_CHUNK_END) {
      error_ = FILEERROR_FORMAT;
      return false;
    }
  }
  return ReadChunkList(node, true, false) > 0;
}

// ---------------------------------------------------------------------------
// Typed reads

bool GeChunkFile::ReadTagged(uint8_t tag, uint8_t* payload, size_t n) {
  // Tag and payload straight from the window when it holds both; the same
  // steps as below: a wrong tag is consumed alone.
  if (const uint8_t* p = (!error_ && stream_ && !readFailed_) ? stream_->Ahead(n + 1) : nullptr) {
    stream_->Advance(1);
    if (p[0] != tag) {
      error_ = FILEERROR_FORMAT;
      return false;
    }
    std::memcpy(payload, p + 1, n);
    stream_->Advance(n);
    return true;
  }
  if (!ExpectTag(tag)) return false;
  if (!ReadBytes(payload, n)) {
    CopyReadFailure();
    return false;
  }
  return true;
}

bool GeChunkFile::ReadLength(int64_t& n) {
  uint32_t word = 0;
  if (!ReadWord32(word)) {
    CopyReadFailure();
    return false;
  }
  n = static_cast<int32_t>(word);
  return CheckLength(n);
}

bool GeChunkFile::ReadUInt8(uint8_t& v) { return ReadTagged(TAG_UINT8, &v, 1); }

bool GeChunkFile::ReadInt32(int32_t& v) {
  uint8_t p[4];
  if (!ReadTagged(TAG_INT32, p, 4)) return false;
  v = static_cast<int32_t>(BigEndian32(p));
  return true;
}

bool GeChunkFile::ReadUInt32(uint32_t& v) {
  uint8_t p[4];
  if (!ReadTagged(TAG_UINT32, p, 4)) return false;
  v = BigEndian32(p);
  return true;
}

bool GeChunkFile::ReadFloat32(float& v) {
  if (IsNewerVariant()) {
    double wide = 0.0;
    if (!ReadWideTagged(TAG_FLOAT32, &wide, 1)) return false;
    v = static_cast<float>(wide);
    return true;
  }
  uint8_t p[4];
  if (!ReadTagged(TAG_FLOAT32, p, 4)) return false;
  v = BigEndianFloat(p);
  return true;
}

bool GeChunkFile::ReadBool(int32_t& v) {
  uint8_t p = 0;
  if (!ReadTagged(TAG_BOOL, &p, 1)) return false;
  v = p != 0 ? 1 : 0;
  return true;
}

bool GeChunkFile::ReadTime(GeTime& v) {
  if (IsNewerVariant()) {
    double parts[2] = {0.0, 0.0};
    if (!ReadWideTagged(TAG_TIME, parts, 2)) return false;
    v = ReducedTime(parts[0], parts[1]);
    return true;
  }
  uint8_t p[8];
  if (!ReadTagged(TAG_TIME, p, 8)) return false;
  v = ReducedTime(BigEndianFloat(p), BigEndianFloat(p + 4));
  return true;
}

bool GeChunkFile::ReadVector(Vector& v) {
  if (IsNewerVariant()) {
    Vector64 wide;
    if (!ReadVector64(wide)) return false;
    v = Narrow(wide);
    return true;
  }
  uint8_t p[12];
  if (!ReadTagged(TAG_VECTOR, p, 12)) return false;
  v = DecodeVector(p);
  return true;
}

bool GeChunkFile::ReadMatrix(Matrix& v) {
  if (IsNewerVariant()) {
    Matrix64 wide;
    if (!ReadMatrix64(wide)) return false;
    v = Narrow(wide);
    return true;
  }
  uint8_t p[48];
  if (!ReadTagged(TAG_MATRIX, p, 48)) return false;
  v.off = DecodeVector(p);
  v.xAxis = DecodeVector(p + 12);
  v.yAxis = DecodeVector(p + 24);
  v.zAxis = DecodeVector(p + 36);
  return true;
}

bool GeChunkFile::ReadMemory(uint8_t*& block, int32_t& count) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  block = nullptr;
  count = 0;
  int64_t n = 0;
  if (!ExpectTag(TAG_MEMORY) || !ReadLength(n)) return false;
  if (n == 0) return true;
  block = static_cast<uint8_t*>(GeAlloc(static_cast<size_t>(n)));
  if (!block) {
    SetMemoryError();
    return false;
  }
  // The block is the caller's from here on, even when the read fails.
  count = static_cast<int32_t>(n);
  if (!ReadBytes(block, static_cast<size_t>(n))) {
    CopyReadFailure();
    return false;
  }
  return true;
}

bool GeChunkFile::SkipPrivateBlock() {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  int64_t n = 0;
  if (!ExpectTag(TAG_PRIVATE) || !ReadLength(n)) return false;
  if (n == 0) return true;
  // The bytes are dropped unseen: no need to zero the block first.
  void* block = GeAllocUninitialized(static_cast<size_t>(n));
  if (!block) {
    SetMemoryError();
    return false;
  }
  ReadBytes(block, static_cast<size_t>(n));  // a short read leaves only the flag
  GeFree(block);
  return true;
}

bool GeChunkFile::ReadPrivateBlock(std::vector<uint8_t>& bytes) {
  bytes.clear();
  int64_t n = 0;
  if (error_ || !ExpectTag(TAG_PRIVATE) || !ReadLength(n) || !ChargeAllocation(uint64_t(n))) return false;
  bytes.resize(static_cast<size_t>(n));
  if (n > 0 && !ReadBytes(bytes.data(), bytes.size())) {
    CopyReadFailure();
    return false;
  }
  return true;
}

bool GeChunkFile::ReadText(uint8_t tag, String& s) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  int64_t n = 0;
  if (!ExpectTag(tag) || !ReadLength(n)) return false;
  if (n == 0) {
    s.Clear();
    return true;
  }
  // An odd count reads its last byte and drops it.
  const size_t units = static_cast<size_t>(n / 2);
  auto* bytes = static_cast<uint8_t*>(GeAlloc(units * 2 + 2));
  if (!bytes) {
    SetMemoryError();
    return false;
  }
  if (!ReadBytes(bytes, static_cast<size_t>(n))) {
    GeFree(bytes);
    CopyReadFailure();
    return false;
  }
  SwapWords16(bytes, units);
  const bool stored = s.SetFromUnits(reinterpret_cast<const uint16_t*>(bytes), static_cast<int32_t>(units));
  GeFree(bytes);
  if (!stored) {
    SetMemoryError();
    return false;
  }
  return true;
}

bool GeChunkFile::ReadString(String& s) { return ReadText(TAG_STRING, s); }
bool GeChunkFile::ReadFilename(String& s) { return ReadText(TAG_FILENAME, s); }

bool GeChunkFile::ReadVectorArray(Vector*& array, int32_t& count) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  array = nullptr;
  count = 0;
  int64_t n = 0;
  if (!ExpectTag(TAG_VECTOR_ARRAY) || !ReadLength(n)) return false;
  const int64_t number = n / 12;
  uint8_t* block = nullptr;
  if (number > 0) {
    const auto bytes = static_cast<size_t>(number * 12);
    // Every byte is written below, or the block is freed unseen.
    block = static_cast<uint8_t*>(GeAllocUninitialized(bytes));
    if (!block) {
      SetMemoryError();
      return false;
    }
    if (!ReadRecords(block, bytes / 4, 4, 4, CopyWords32, SwapWords32)) {
      GeFree(block);
      CopyReadFailure();
      return false;
    }
  }
  // A count that is no multiple of 12 leaves bytes inside the value; skip
  // them so that the next value starts where the file says.
  if (n > number * 12 && !SkipBytes(static_cast<uint64_t>(n - number * 12))) {
    GeFree(block);
    CopyReadFailure();
    return false;
  }
  array = reinterpret_cast<Vector*>(block);
  count = static_cast<int32_t>(number);
  return true;
}

bool GeChunkFile::ReadPolygonArray(CPolygon*& array, int32_t& count) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  array = nullptr;
  count = 0;
  int64_t n = 0;
  uint32_t form = 0;
  if (!ExpectTag(TAG_POLYGON_ARRAY) || !ReadLength(n)) return false;
  if (!ReadWord32(form)) {
    CopyReadFailure();
    return false;
  }
  // The count covers the form word too: 16 bytes per polygon of int32
  // indices, 8 per polygon of uint16 indices, plus 4.
  const bool wide = form == 0;
  const int64_t stored = wide ? 16 : 8;
  const int64_t number = n / stored;
  const int64_t bytes = number * stored;
  if (!CheckLength(bytes)) return false;
  uint8_t* block = nullptr;
  if (number > 0) {
    // 16-bit polygons widen to twice their bytes in the file, which on a
    // 32-bit host may pass what a size can hold.
    const auto wanted = static_cast<uint64_t>(number) * 16;
    const auto memory = static_cast<size_t>(wanted);
    if (memory != wanted) {
      SetMemoryError();
      return false;
    }
    // Every byte is written below, or the block is freed unseen.
    block = static_cast<uint8_t*>(GeAllocUninitialized(memory));
    if (!block) {
      SetMemoryError();
      return false;
    }
    const bool read = wide ? ReadRecords(block, memory / 4, 4, 4, CopyWords32, SwapWords32)
                           : ReadRecords(block, static_cast<size_t>(number), 8, 16, WidenPolygons);
    if (!read) {
      GeFree(block);
      CopyReadFailure();
      return false;
    }
  }
  const int64_t rest = n - 4 - bytes;
  if (rest > 0 && !SkipBytes(static_cast<uint64_t>(rest))) {
    GeFree(block);
    CopyReadFailure();
    return false;
  }
  array = reinterpret_cast<CPolygon*>(block);
  count = static_cast<int32_t>(number);
  return true;
}

bool GeChunkFile::ReadUInt16Array(uint16_t*& array, int32_t& count) {
  GeAllocMeterScope metered(&meter_);
  if (error_) return false;
  array = nullptr;
  count = 0;
  int64_t n = 0;
  if (!ExpectTag(TAG_UINT16_ARRAY) || !ReadLength(n)) return false;
  const int64_t number = n / 2;
  uint8_t* block = nullptr;
  if (number > 0) {
    const auto bytes = static_cast<size_t>(number * 2);
    // Every byte is written below, or the block is freed unseen.
    block = static_cast<uint8_t*>(GeAllocUninitialized(bytes));
    if (!block) {
      SetMemoryError();
      return false;
    }
    if (!ReadRecords(block, static_cast<size_t>(number), 2, 2, CopyWords16, SwapWords16)) {
      GeFree(block);
      CopyReadFailure();
      return false;
    }
  }
  // An odd count: the last byte belongs to the value and is dropped.
  if ((n & 1) != 0 && !SkipBytes(1)) {
    GeFree(block);
    CopyReadFailure();
    return false;
  }
  array = reinterpret_cast<uint16_t*>(block);
  count = static_cast<int32_t>(number);
  return true;
}

// ---------------------------------------------------------------------------

const char* FileErrorName(int32_t code) {
  switch (code) {
    case FILEERROR_NONE: return "No error: everything read so far was well-formed.";
    case FILEERROR_READ: return "A read failed: the file ended inside a value, a length reached beyond its end, or the file could not be read.";
    case FILEERROR_MEMORY: return "Memory for a value or a container read from the file could not be allocated.";
    case FILEERROR_FORMAT: return "The file is not in the expected format: a wrong or missing header, or a value of an unexpected kind.";
    case FILEERROR_CHUNK_MARKER: return "A byte that is neither a chunk start nor a chunk end stands where a list of chunks goes on.";
    case FILEERROR_CHUNK_SKIP: return "A chunk that the reader did not understand could not be skipped.";
    case FILEERROR_NESTING: return "Chunks, lists or containers are nested deeper than the reader allows.";
    case FILEERROR_LIMIT: return "Reading the file would take far more memory than a file of its size can need.";
    default: return "Unknown error code.";
  }
}

const char* FileErrorSymbol(int32_t code) {
  switch (code) {
    case FILEERROR_NONE: return "FILEERROR_NONE";
    case FILEERROR_READ: return "FILEERROR_READ";
    case FILEERROR_MEMORY: return "FILEERROR_MEMORY";
    case FILEERROR_FORMAT: return "FILEERROR_FORMAT";
    case FILEERROR_CHUNK_MARKER: return "FILEERROR_CHUNK_MARKER";
    case FILEERROR_CHUNK_SKIP: return "FILEERROR_CHUNK_SKIP";
    case FILEERROR_NESTING: return "FILEERROR_NESTING";
    case FILEERROR_LIMIT: return "FILEERROR_LIMIT";
    default: return "FILEERROR_UNKNOWN";
  }
}
