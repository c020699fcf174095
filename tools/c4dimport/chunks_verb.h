// `c4dimport chunks FILE`: the chunk tree of a scene file, with every value's
// tag and size, walked with the file library's own operations.
#pragma once
#include <iosfwd>
#include <string>

class GeChunkFile;

// Walks an opened file from the document chunk to its end marker and prints
// the tree. Returns the exit code: 0 when the document's end marker was
// reached, 1 otherwise. Never reads past what the file holds.
int WalkChunks(GeChunkFile& file, std::ostream& out);

// Opens the file at `path` and walks it.
int RunChunksVerb(const std::string& path, std::ostream& out);
