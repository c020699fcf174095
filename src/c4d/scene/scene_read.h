// Helpers shared by the node readers of the scene model (not part of the
// library's public interface).
#pragma once
#include <cstdint>

#include "c4d_string.h"
#include "ge_alloc.h"
#include "ge_chunk_file.h"

namespace scene_read {

// Every recursion of the readers (child lists, caches, child layers, shader
// lists, material channel blocks, lists nested in lists) passes through the
// file's ReadChunkList, which carries the nesting guard: a hostile file that
// nests without end fails with FILEERROR_NESTING instead of exhausting the
// stack. Nodes are made with GeNew while a list reads, so each counts
// against the file's allocation limit.

// Calls a creation hook for a chunk. A hook gives null both for a type it
// does not accept and when its allocation failed; only the second tried to
// allocate, and it sets FILEERROR_MEMORY, so that a node lost for want of
// memory is never mistaken for a chunk the list may skip.
template <class MakeNode>
auto NewNode(GeChunkFile& file, MakeNode make) -> decltype(make()) {
  const uint64_t attempts = GeAllocCount();
  auto* node = make();
  if (!node && GeAllocCount() != attempts) file.SetError(FILEERROR_MEMORY);
  return node;
}

// Receives the values of a sequence read with ReadValueSequence.
class ValueSink {
 public:
  virtual ~ValueSink() = default;
  virtual void Float(float) {}
  virtual void Int(int32_t) {}
  virtual void Bool(int32_t) {}
  virtual void Vec(const Vector&) {}
};

// Reads a run of values given as a compact sequence: space-separated tokens
// of an optional repeat count and a kind, F float, I int32, B bool,
// V vector; "3F 2B V" reads three floats, two bools and a vector. Values go
// to `sink` (dropped when null). Stops at the first failed read; true when
// the file's error is still clear.
bool ReadValueSequence(GeChunkFile& file, const char* sequence, ValueSink* sink);

// Whether `count` items of at least `bytesEach` bytes can still be in the
// file. Sets FILEERROR_FORMAT for a negative count and FILEERROR_READ for one
// the rest of the file cannot hold, so nothing is allocated for it.
bool CountFits(GeChunkFile& file, int64_t count, int64_t bytesEach);

// The local matrix of a position, a rotation (heading about y, pitch about x,
// bank about z, in radians, applied bank first) and a scale per axis.
Matrix64 LocalMatrix(const Vector64& position, const Vector64& rotation, const Vector64& scale);

// Sets the string from 8-bit text; a string that could not grow sets
// FILEERROR_MEMORY.
inline bool SetText(GeChunkFile& file, String& s, const char* text) {
  if (s.SetFrom8Bit(text, -1)) return true;
  file.SetError(FILEERROR_MEMORY);
  return false;
}

// Copies a string read from the file; likewise.
inline bool CopyText(GeChunkFile& file, String& target, const String& source) {
  target = source;
  if (target.GetLength() == source.GetLength()) return true;
  file.SetError(FILEERROR_MEMORY);
  return false;
}

}  // namespace scene_read
