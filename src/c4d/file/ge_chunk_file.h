// The open scene file: header check, chunk framing, the sticky error code and
// the typed reads of every value kind.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "c4d_string.h"
#include "c4d_types.h"
#include "ge_alloc.h"
#include "ge_tool_list.h"

class GeChunkFile;
class GeLinkValue;

// Error codes of a file object. The error is sticky: once set, every read
// fails at once until the object is destroyed.
enum : int32_t {
  FILEERROR_NONE = 0,
  FILEERROR_READ = 1,
  FILEERROR_MEMORY = -7,
  FILEERROR_FORMAT = -100,
  FILEERROR_CHUNK_MARKER = -103,
  FILEERROR_CHUNK_SKIP = -104,
  // A chunk, list or container nested deeper than kMaxNestingDepth.
  FILEERROR_NESTING = -105,
  // Reading the file would allocate more than kMaxAllocationFactor times its
  // length plus kAllocationAllowance.
  FILEERROR_LIMIT = -106,
};

// One-byte tags in front of every value.
enum : uint8_t {
  TAG_CHUNK_START = 1,
  TAG_CHUNK_END = 2,
  TAG_INT8 = 11,
  TAG_UINT8 = 12,
  TAG_INT16 = 13,
  TAG_UINT16 = 14,
  TAG_INT32 = 15,
  TAG_UINT32 = 16,
  TAG_INT64 = 17,
  TAG_UINT64 = 18,
  TAG_FLOAT32 = 19,
  TAG_FLOAT64 = 20,
  TAG_BOOL = 21,
  TAG_TIME = 22,
  TAG_VECTOR = 23,
  TAG_VECTOR64 = 24,
  TAG_MATRIX = 25,
  TAG_MATRIX64 = 26,
  TAG_MEMORY = 128,
  TAG_PRIVATE = 129,
  TAG_STRING = 130,
  TAG_FILENAME = 131,
  TAG_CONTAINER = 132,
  TAG_VECTOR_ARRAY = 133,
  TAG_POLYGON_ARRAY = 134,
  TAG_UINT16_ARRAY = 135,
  // Newer variant only: a kind byte, then a packed big-endian array.
  TAG_PACKED_ARRAY = 140,
};

// Element kinds of a packed array (tag 140).
enum : uint8_t {
  PACKED_INT32 = 3,    // 32-bit words (indices, or float32 bits)
  PACKED_FLOAT64 = 6,  // doubles
};

// The variants of the chunked format. A classic file begins "XC4D" "C4D6"
// and stores reals in single precision. A file that begins "6C4D" "C4D6" is
// classic in every value and payload, but its object lists also hold objects
// of the built-in types under their own type's chunk id (5100 a polygon
// object, 5103 a camera, ...) beside plugin objects (5154). A newer file
// begins "QC4D" "C4D6", the document version and a 0 byte, and stores reals,
// times, vectors and matrices as doubles; its node payloads have layouts of
// their own (the scene model reads them in code kept apart from the classic one).
enum class GeFileVariant : uint8_t { Classic, ClassicOwnTypeObjects, Newer };

// Limits no real scene reaches but a hostile file would.
// Chunks within chunks, lists within lists and containers within containers,
// counted together: every reader that recurses with the file's structure
// passes through ReadChunkList or ReadContainer, which carry the guard.
constexpr int32_t kMaxNestingDepth = 512;
// Everything that reading one file allocates (every GeAlloc and GeNew while
// the file reads, each block with its heap overhead, freed blocks included)
// may reach this many times the file's length plus a fixed allowance; the
// allocation that would pass it fails, and the read ends with FILEERROR_LIMIT.
// Real scenes take one to four times their length (arrays about once,
// 16-bit polygon arrays twice, small named nodes three to four times); a
// file of bare node chunks would take 40 to 130 times.
constexpr uint64_t kMaxAllocationFactor = 16;
constexpr uint64_t kAllocationAllowance = uint64_t{16} << 20;

// Every element of a scene is a chunk node. Read is offered each chunk whose
// header has just been read; it returns true when it consumed the whole chunk
// including its end marker, false to let the caller skip the rest.
class PrivateChunk : public GeTempPublicNode2D<PrivateChunk> {
 public:
  ~PrivateChunk() override = default;
  virtual bool Read(GeChunkFile& file, int32_t chunkId, int32_t level);
};

// The alias registry and link records belong to the scene model. The file
// owns a registry and reads link values through this interface; without an
// installed support, link records are read and dropped.
class GeLinkRegistry {
 public:
  virtual ~GeLinkRegistry() = default;
  virtual void Empty() = 0;
};

class GeLinkSupport {
 public:
  virtual ~GeLinkSupport() = default;
  virtual GeLinkRegistry* NewRegistry() = 0;
  // Reads one link record (a memory value) and returns a new link value, which
  // may be unbound; null when the read failed.
  virtual GeLinkValue* ReadLinkValue(GeChunkFile& file) = 0;
};

class GeChunkFile {
 public:
  GeChunkFile();
  GeChunkFile(const GeChunkFile&) = delete;
  GeChunkFile& operator=(const GeChunkFile&) = delete;
  ~GeChunkFile();

  // The scene library installs its link support once; files made afterwards use it.
  static void InstallLinkSupport(GeLinkSupport* support);
  static GeLinkSupport* GetLinkSupport();

  bool Open(const char* path);
  // Reads from a block of memory that the caller keeps alive until Close.
  bool OpenMemory(const void* data, size_t size);
  bool Close();

  int32_t GetError() const { return error_; }
  // Sets the error. A memory error after the file's allocation limit refused
  // an allocation is reported as FILEERROR_LIMIT: that was its cause.
  void SetError(int32_t code);
  int32_t GetFileVersion() const { return version_; }
  void SetFileVersion(int32_t version) { version_ = version; }
  int64_t GetLength() const { return length_; }
  GeFileVariant GetVariant() const { return variant_; }
  bool IsNewerVariant() const { return variant_ == GeFileVariant::Newer; }
  bool HasOwnTypeObjects() const { return variant_ == GeFileVariant::ClassicOwnTypeObjects; }
  // The document version a newer file's header carries; 0 for a classic file.
  int32_t GetHeaderVersion() const { return headerVersion_; }
  // Current read position; 0 when there is no file or a read failed.
  int64_t GetPosition() const;
  // Bytes left between the position and the end of the file.
  int64_t Remaining() const;
  bool IsOpen() const;
  GeLinkRegistry* GetRegistry() const { return registry_.get(); }

  // Chunk framing.
  bool ReadChunkHeader(int32_t& id, int32_t& level);
  bool ExpectTag(uint8_t tag);
  bool SkipValue(uint8_t tag);
  bool SkipChunkRest();
  int ReadChunkList(PrivateChunk* node, bool continueAfterUnknown, bool startAlreadyRead);
  bool ReadNodeChunks(PrivateChunk* node, bool expectHeader);

  // One raw byte; a failed read copies the read-failed flag into the error.
  bool ReadByte(uint8_t& byte);
  // The next byte without consuming it; fails like ReadByte.
  bool PeekByte(uint8_t& byte);
  // One big-endian word without tag; a failure sets only the read-failed flag.
  bool ReadWord32(uint32_t& word);

  // Typed reads: each checks its tag first.
  bool ReadUInt8(uint8_t& v);
  bool ReadInt32(int32_t& v);
  bool ReadUInt32(uint32_t& v);
  bool ReadFloat32(float& v);
  bool ReadBool(int32_t& v);
  bool ReadTime(GeTime& v);
  bool ReadVector(Vector& v);
  bool ReadMatrix(Matrix& v);
  // Reals, vectors and matrices at the precision the file holds them: a newer
  // file's doubles as they are, a classic file's floats widened.
  bool ReadReal(double& v);
  bool ReadVector64(Vector64& v);
  bool ReadMatrix64(Matrix64& v);
  // Blocks and arrays are zero-filled GeAlloc blocks owned by the caller (GeFree).
  bool ReadMemory(uint8_t*& block, int32_t& count);
  bool SkipPrivateBlock();
  // A private block's bytes as stored; its length is checked against the file.
  bool ReadPrivateBlock(std::vector<uint8_t>& bytes);
  bool ReadString(String& s);
  bool ReadFilename(String& s);
  bool ReadVectorArray(Vector*& array, int32_t& count);
  bool ReadPolygonArray(CPolygon*& array, int32_t& count);
  bool ReadUInt16Array(uint16_t*& array, int32_t& count);
  // One packed array (tag 140) of exactly `count` elements of `kind`, each
  // converted to host order and stored as one column of a record array:
  // element i goes to column + i * stride (stride 4 or 16 for PACKED_INT32,
  // 8 or 24 for PACKED_FLOAT64). Another kind, another element count, or a
  // stride that does not fit is a format error. The caller checks the count
  // against the file (CheckCount) before it allocates the records.
  bool ReadPackedColumn(uint8_t kind, int32_t count, uint8_t* column, size_t stride);
  // Whether `count` records of at least `bytesEach` file bytes can stand in
  // what is left of the file; FILEERROR_READ when they cannot.
  bool CheckCount(int64_t count, int64_t bytesEach);

  // Nesting guard for readers that recurse with the file's structure: Enter
  // fails with FILEERROR_NESTING beyond kMaxNestingDepth; every successful
  // Enter is paired with a Leave.
  bool EnterNesting();
  void LeaveNesting();
  int32_t GetNestingDepth() const { return depth_; }

  // After a raw read failed: the error becomes the read-failed flag (0 when no
  // file is open). An error already set is kept.
  void CopyReadFailure();
  bool ReadFailed() const { return readFailed_ != 0; }
  // The meter of everything reading this file allocates; its limit follows
  // from the file's length when the file is opened. The chunk lists, the
  // container reads and the typed reads that allocate keep it active while
  // they run, so GeAlloc and GeNew charge it.
  GeAllocMeter* AllocationMeter() { return &meter_; }
  uint64_t GetAllocatedBytes() const { return meter_.used; }
  uint64_t GetAllocationLimit() const { return meter_.limit; }
  // Replaces the limit that opening derived from the file's length, for a
  // host with less memory to spare (and for tests); call it after opening.
  void SetAllocationLimit(uint64_t bytes) { meter_.limit = bytes; }
  // Charges memory that a node reader takes other than through GeAlloc or
  // GeNew; beyond the limit sets FILEERROR_LIMIT and returns false.
  bool ChargeAllocation(uint64_t bytes);

 private:
  struct Stream;
  bool ReadBytes(void* out, size_t n);  // sets only the read-failed flag
  bool SkipBytes(uint64_t n);           // likewise
  // Reads `count` records of `recordSize` file bytes and converts them into
  // `targetSize` bytes each at `target`; fails like ReadBytes. Records that
  // keep their size may name the conversion in place too, for long runs read
  // straight into the target.
  using RecordConverter = void (*)(const uint8_t* source, size_t records, uint8_t* target);
  using RecordSwapper = void (*)(uint8_t* block, size_t records);
  bool ReadRecords(uint8_t* target, size_t count, size_t recordSize, size_t targetSize, RecordConverter convert,
                   RecordSwapper swapInPlace = nullptr);
  bool CheckLength(int64_t n);  // a count from the file against what is left
  bool ReadLength(int64_t& n);  // length word of a counted value, checked
  bool ReadTagged(uint8_t tag, uint8_t* payload, size_t n);
  bool ReadText(uint8_t tag, String& s);
  // Resets the object for a file; false (FILEERROR_MEMORY) when the link
  // registry could not be made, without which no link of the file pairs.
  bool StartOpen();
  bool AcceptHeader();
  // The newer variant's header after its 8 bytes: version and a 0 byte.
  bool ReadNewerHeaderTail();
  bool ReadWideTagged(uint8_t tag, double* values, size_t n);  // n doubles after a tag
  void SetMemoryError();
  // Turns a refusal of the meter into FILEERROR_LIMIT unless an error is set.
  void NoteRefusal();

  std::unique_ptr<Stream> stream_;
  int32_t readFailed_ = 0;
  int32_t error_ = FILEERROR_NONE;
  int64_t length_ = 0;
  int32_t version_ = 0;
  GeFileVariant variant_ = GeFileVariant::Classic;
  int32_t headerVersion_ = 0;
  int32_t depth_ = 0;
  GeAllocMeter meter_;
  std::unique_ptr<GeLinkRegistry> registry_;
};

// Human text for an error code, for tools and messages: one sentence.
const char* FileErrorName(int32_t code);
// The code's symbolic name, e.g. "FILEERROR_READ".
const char* FileErrorSymbol(int32_t code);
