// Fuzz target: the file layer alone. Walks the input with the chunk lists,
// every typed read, containers and stand-alone values, once opened from
// memory and once from a file holding the same bytes; the two walks must
// agree step by step.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "file_walk.h"
#include "ge_chunk_file.h"
#include "memory_backed_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryBackedPath backing;

  GeChunkFile fromMemory;
  const bool memoryOpened = fromMemory.OpenMemory(data, size);
  const std::string memoryWalk = memoryOpened ? WalkFile(fromMemory) : "closed";

  GeChunkFile fromFile;
  const bool fileOpened = fromFile.Open(backing.Write(data, size).c_str());
  const std::string fileWalk = fileOpened ? WalkFile(fromFile) : "closed";

  if (memoryOpened != fileOpened || memoryWalk != fileWalk || fromMemory.GetError() != fromFile.GetError()) {
    std::fprintf(stderr, "memory and file walks differ:\n--- memory\n%s--- file\n%s", memoryWalk.c_str(),
                 fileWalk.c_str());
    std::abort();
  }
  return 0;
}
