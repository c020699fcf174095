// A selection of indices kept as a list of ranges, as point and polygon
// object data carry them.
#pragma once
#include <cstdint>

#include "ge_chunk_file.h"

class BaseSelect {
 public:
  static constexpr int32_t kChunkId = 110011;

  struct Range {
    int32_t first;
    int32_t last;
  };

  BaseSelect() = default;
  BaseSelect(const BaseSelect&) = delete;
  BaseSelect& operator=(const BaseSelect&) = delete;
  virtual ~BaseSelect() { DeselectAll(); }
  // Chunk 110011: a range count, then the ranges; false for other chunks.
  virtual bool Read(GeChunkFile& file, int32_t chunkId, int32_t level);

  // Reads one selection chunk embedded in another chunk: a start marker, the
  // header and the selection's chunk. An end marker instead leaves the
  // selection unchanged and is the end of the enclosing chunk. True when the
  // enclosing chunk goes on (the caller finishes it); false when its end
  // marker was met or the file failed.
  bool ReadEmbedded(GeChunkFile& file);

  void DeselectAll();
  bool IsSelected(int32_t index) const;
  int32_t GetRangeCount() const { return rangeCount; }
  const Range* GetRanges() const { return ranges; }

  Range* ranges = nullptr;  // GeAlloc block, owned
  int32_t rangeCount = 0;
};
